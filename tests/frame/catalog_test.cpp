// The catalog against the repository and the converters it describes: every
// listed type registered in the list's order and described by its family, and
// every enumeration name the catalog lists read back by the type's own matching.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "frame/catalog.h"
#include "frame/datatype.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace {

using datatypes::TypeFamily;
namespace catalog = datatypes::catalog;

class Catalog : public vxtest::HostTest {};

TEST_F(Catalog, RepositoryHoldsTheListedTypesInListOrder)
{
    // The host's own types and the name tables are in the repository too.
    std::vector<std::string> registered;
    for (nyro::COSDataType* t : nyro::COSTypeRepository::globalTypes())
        if (datatypes::listedIndexOf(t->getName()) >= 0)
            registered.emplace_back(t->getName());
    std::vector<std::string> listed;
    for (const datatypes::ListedType& t : datatypes::typeList)
        listed.emplace_back(t.name);
    EXPECT_EQ(registered, listed);
}

// What each family must say, checked over every entry.
TEST_F(Catalog, EveryTypeIsRegisteredAndDescribedByItsFamily)
{
    const std::vector<catalog::TypeEntry> all = catalog::types();
    ASSERT_EQ(all.size(), std::size_t(datatypes::listed::count));
    for (const catalog::TypeEntry& e : all) {
        SCOPED_TRACE(e.name);
        EXPECT_TRUE(e.registered);
        EXPECT_FALSE(e.accepts.empty());
        EXPECT_NE(std::find(e.converters.begin(), e.converters.end(), "any"), e.converters.end());
        switch (e.family) {
        case TypeFamily::Enumeration:
        case TypeFamily::OnOff:
            EXPECT_EQ(std::count_if(e.names.begin(), e.names.end(), [](auto& n) { return n.isDefault; }), 1);
            EXPECT_FALSE(e.matching.empty());
            break;
        case TypeFamily::Array:
            ASSERT_FALSE(e.forms.empty());
            for (const catalog::ArrayForm& f : e.forms)
                EXPECT_FALSE(f.identifiers.empty() || f.classes.empty()) << f.prefix;
            break;
        case TypeFamily::Color: // the name table, or the opacity's rule names
            EXPECT_FALSE(e.colors.empty() && e.names.empty());
            break;
        default:
            break;
        }
    }
}

TEST_F(Catalog, FindsByRegisteredNameOnly)
{
    catalog::TypeEntry e;
    ASSERT_TRUE(catalog::find("on/off", e));
    EXPECT_EQ(e.key, "OnOffBoolean");
    EXPECT_FALSE(catalog::find("OnOffBoolean", e));
    EXPECT_FALSE(catalog::find("limits", e));
}

// One row per enumeration: each name the catalog lists, in lower and upper
// case, selects that name through the type's text converter; the marked
// default is the default value's text.
class EnumNames : public vxtest::HostTest, public ::testing::WithParamInterface<const datatypes::ListedType*> {};

std::string textThrough(const std::string& type, const char* in)
{
    nyro::COSTypeConversion* sc = vxtest::conversion("string", type.c_str());
    nyro::COSValue v = sc->from(nyro::COSValue::fromPointer(in));
    nyro::COSValue text = sc->to(v);
    std::string out = datatypes::textOf(text);
    nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID(type.c_str()), text);
    vxtest::type(type.c_str())->destroy(v);
    return out;
}

TEST_P(EnumNames, RoundTripThroughMatching)
{
    catalog::TypeEntry e;
    ASSERT_TRUE(catalog::find(GetParam()->name, e));
    ASSERT_FALSE(e.names.empty());
    for (const catalog::EnumName& n : e.names) {
        std::string upper = n.name;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        EXPECT_EQ(textThrough(e.name, n.name.c_str()), n.name);
        EXPECT_EQ(textThrough(e.name, upper.c_str()), n.name);
        if (n.isDefault) {
            EXPECT_EQ(e.defaultValue, n.name);
        }
    }
}

std::vector<const datatypes::ListedType*> enumerations()
{
    std::vector<const datatypes::ListedType*> rows;
    for (const datatypes::ListedType& t : datatypes::typeList)
        if (t.family == TypeFamily::Enumeration || t.family == TypeFamily::OnOff)
            rows.push_back(&t);
    return rows;
}

INSTANTIATE_TEST_SUITE_P(All, EnumNames, ::testing::ValuesIn(enumerations()),
                         [](const auto& info) { return std::string(info.param->key); });

} // namespace
