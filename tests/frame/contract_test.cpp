// Sweep over every registered property type: what each one reports about
// itself, its converters, and the contract of its values (default, copy,
// compare, null rules, round trip through the array converter).
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <vector>
#include <string>

#include "frame/type_list.h"
#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"

namespace {

using nyro::COSValue;

// Where a type's values depart from the common contract.
enum class Quirk {
    None,
    IdentityEquality, // values are equal only when they are the same value
    NullSecondIsEmpty, // a null second argument compares as the empty default
    CopyOfNullIsValue, // copying the null value makes a default-like value
};

// Value sizes and Java converters as the object system is told them: every
// enumeration 12 bytes, every array-valued type 4 bytes and no Java converter,
// the others as listed here.
struct TypeRow {
    const char* name;
    int bytes;
    bool java;
    Quirk quirk = Quirk::None;
};
const TypeRow others[] = {
    {"BoundingVolume", 52, true}, {"COSInterface", 4, true}, {"Callback", 32, true},
    {"ColorTable", 0, true, Quirk::IdentityEquality}, {"FontName", 1, true, Quirk::NullSecondIsEmpty},
    {"HandleOrEmpty", 8, true}, {"Inset", 32, true}, {"JavaPeer", 8, true}, {"MeshAlpha", 12, true},
    {"MeshColor", 36, true}, {"NLineStyles", 16, true}, {"NStrings", 12, true}, {"on/off", 1, true},
    {"Point2", 8, true}, {"Point2d", 16, true}, {"Point3", 24, true}, {"Position", 32, true, Quirk::CopyOfNullIsValue},
    {"RGBAColor", 36, true}, {"Rectangle2", 16, true}, {"ScreenPosition", 16, true}, {"UTF16String", 12, true},
};

// One row per type of the type list; a type of another family without an
// expectation above gets a row that fails.
std::vector<TypeRow> listedRows()
{
    std::vector<TypeRow> rows;
    for (const datatypes::ListedType& t : datatypes::typeList) {
        if (t.family == datatypes::TypeFamily::Enumeration) {
            rows.push_back({t.name, 12, true});
        } else if (t.family == datatypes::TypeFamily::Array) {
            rows.push_back({t.name, 4, false});
        } else {
            const TypeRow* e = std::find_if(std::begin(others), std::end(others),
                                            [&](const TypeRow& x) { return std::string(x.name) == t.name; });
            rows.push_back(e != std::end(others) ? *e : TypeRow{t.name, -1, false});
        }
    }
    return rows;
}
const std::vector<TypeRow> typeRows = listedRows();

void PrintTo(const TypeRow& r, std::ostream* os) { *os << r.name; }

class Contract : public vxtest::HostTest, public ::testing::WithParamInterface<TypeRow> {};

// The sizes the object system is told, and the converters registered.
TEST_P(Contract, DescribesItsValuesAndHasItsConverters)
{
    const TypeRow& row = GetParam();
    nyro::COSDataType* t = vxtest::type(row.name);
    ASSERT_NE(t, nullptr) << row.name << " is not registered";
    EXPECT_EQ(t->getValueSizeInBytes(COSValue()), row.bytes);
    EXPECT_EQ(t->getSizeInBits(), 8 * row.bytes);
    std::multiset<std::string> expected{"any", "string"};
    if (row.java)
        expected.insert("java");
    if (std::string(row.name) == "COSInterface")
        expected.insert("double"); // numeric handles
    std::vector<std::string> foreign = nyro::COSTypeRepository::conversionsOf(nyro::COSNameID(row.name));
    EXPECT_EQ(std::multiset<std::string>(foreign.begin(), foreign.end()), expected);
}

TEST_P(Contract, DefaultIsKeptCopiedComparedAndRoundTrips)
{
    const TypeRow& row = GetParam();
    nyro::COSDataType* t = vxtest::type(row.name);
    ASSERT_NE(t, nullptr) << row.name << " is not registered";
    COSValue def = t->getDefaultValue();
    EXPECT_EQ(t->getDefaultValue(), def) << "the same slot every call";
    bool pointerSlot = t->getStorageType() == 7;
    if (pointerSlot) {
        COSValue nullCopy = t->copy(COSValue());
        EXPECT_EQ(nullCopy.isNull(), row.quirk != Quirk::CopyOfNullIsValue);
        t->destroy(nullCopy);
        t->destroy(COSValue());
        EXPECT_TRUE(t->isEqual(COSValue(), COSValue()));
        EXPECT_EQ(t->compare(COSValue(), COSValue()), 0);
    }
    if (pointerSlot && def.isNull())
        return; // a type whose default is no value
    COSValue copy = t->copy(def);
    bool identity = row.quirk == Quirk::IdentityEquality;
    EXPECT_EQ(t->isEqual(copy, def), !identity);
    EXPECT_EQ(t->compare(copy, def), identity ? 2 : 0);
    EXPECT_TRUE(t->isEqual(def, def));
    if (pointerSlot) {
        EXPECT_NE(copy, def) << "a copy is a new value";
        EXPECT_FALSE(t->isEqual(COSValue(), def));
        EXPECT_EQ(t->isEqual(def, COSValue()), row.quirk == Quirk::NullSecondIsEmpty);
        EXPECT_EQ(t->compare(COSValue(), def), 2);
    }
    t->destroy(copy);

    // Exporting the default, reading that array back and exporting again gives
    // the same array.
    nyro::COSTypeConversion* mc = vxtest::conversion("any", row.name);
    gui_objects::QxArrayPtr exported(nyro::pointerValue<qxArray*>(mc->to(def)));
    ASSERT_TRUE(exported) << "the default converts to a host array";
    COSValue back = mc->from(nyro::COSValue::fromPointer(exported.get()));
    gui_objects::QxArrayPtr again(nyro::pointerValue<qxArray*>(mc->to(back)));
    EXPECT_TRUE(qxAreMatricesEqual(exported.get(), again.get()));
    if (!identity && !qxIsEmpty(exported.get())) {
        EXPECT_TRUE(t->isEqual(back, def)) << "a default read back from its array equals it";
    }
    t->destroy(back);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, Contract, ::testing::ValuesIn(typeRows), [](const auto& info) {
    std::string n = info.param.name;
    return n == "on/off" ? std::string("OnOffBoolean") : n;
});

} // namespace
