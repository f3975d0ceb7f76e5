// The catalog against the repository: every listed type registered in the
// list's order and described by its family, and what the lookup finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "frame/catalog.h"
#include "support/host_fixture.h"

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

} // namespace
