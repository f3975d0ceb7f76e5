// The host-side wrappers: each refusal arrives as one exception type with the
// library's identifier and text, accepted values read back in their text and
// array forms, copies compare equal and nothing is left on the utility heap.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vxdatatypes/host.h"

namespace {

using vxdatatypes::Array;
using vxdatatypes::Error;
using vxdatatypes::Type;
using vxdatatypes::Value;

struct TextRow {
    const char* type;
    const char* text;
    const char* expected;  // the text read back, or the identifier of the refusal
    bool refused;
};

class FacadeText : public ::testing::TestWithParam<TextRow> {
protected:
    void SetUp() override { vxdatatypes::initialize(); }
};

TEST_P(FacadeText, ConvertsOrRefusesWithTheIdentifier)
{
    const TextRow& row = GetParam();
    const long before = ut::test::liveBlocks();
    {
        if (row.refused) {
            try {
                Type(row.type).fromText(row.text);
                ADD_FAILURE() << row.text << " was accepted";
            } catch (const Error& e) {
                EXPECT_EQ(e.id(), row.expected);
                EXPECT_FALSE(e.message().empty());
            }
        } else {
            Type type(row.type);
            Value v = type.fromText(row.text);
            EXPECT_EQ(v.toText(), row.expected);
            Value copy = v;
            EXPECT_TRUE(copy == v);
            EXPECT_EQ(copy.compare(v), 0);
            EXPECT_TRUE(type.fromArray(v.toArray()) == v) << "the array form converts back";
        }
    }
    EXPECT_EQ(ut::test::liveBlocks(), before) << "values and texts free themselves";
}

INSTANTIATE_TEST_SUITE_P(Rows, FacadeText,
                         ::testing::Values(TextRow{"Limits", "[0 10]", "[0 10]", false},
                                           TextRow{"AxisScale", "log", "log", false},
                                           TextRow{"on/off", "off", "off", false},
                                           TextRow{"on/off", "on", "on", false},
                                           TextRow{"Limits", "[10 0]", "vxdatatypes:host:InvalidText", true},
                                           TextRow{"Limits", "[0 1", "vxdatatypes:host:InvalidText", true},
                                           TextRow{"NoSuchType", "1", "vxdatatypes:host:UnknownType", true}));

struct ArrayRow {
    const char* type;
    std::vector<double> row;
    const char* id;
};

class FacadeArray : public ::testing::TestWithParam<ArrayRow> {
protected:
    void SetUp() override { vxdatatypes::initialize(); }
};

TEST_P(FacadeArray, RefusalsCarryTheLibrarysIdentifier)
{
    const ArrayRow& row = GetParam();
    try {
        Type(row.type).fromArray(Array::row(row.row));
        ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.id(), row.id);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FacadeArray,
                         ::testing::Values(ArrayRow{"Limits", {5, 1}, "KELDAR:VX:TwoValuesIncreasingValidate"},
                                           ArrayRow{"Limits", {1, 2, 3}, "KELDAR:VX:TwoValuesIncreasingDimensions_N"}));

TEST(Facade, ValuesOfDifferentTypesAreNotEqualAndDoNotCompare)
{
    vxdatatypes::initialize();
    Value a = Type("Limits").fromText("[0 1]");
    Value b = Type("LimitsWithInfs").fromText("[0 1]");
    EXPECT_FALSE(a == b);
    EXPECT_THROW(a.compare(b), Error);
    EXPECT_EQ(Type("Limits").defaultValue().display(), "Limits [0 1]");
}

} // namespace
