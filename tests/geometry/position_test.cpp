// Position and ScreenPosition through their registered conversions, and their
// exported comparisons.
#include <cmath>
#include <string>
#include <vector>

#include "geometry/array_support.h"
#include "geometry/position.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace {

using datatypes::Position;
using datatypes::ScreenPosition;
using namespace vxtest;

const double inf = INFINITY, nan = NAN;

struct PositionArrayCase {
    const char* type;
    qxClassID cls;
    qxSize rows, cols;
    std::vector<double> values;
    qxClassID storedClass; // class of the array read back
    std::vector<double> stored; // empty: refused
    const char* id = "";
    const char* text = "";
    bool withoutData = false;
};

void PrintTo(const PositionArrayCase& c, std::ostream* os) { printArrayCase(c, os); }

class PositionFromArray : public HostTest, public ::testing::WithParamInterface<PositionArrayCase> {};

TEST_P(PositionFromArray, StoresOrRefusesWithTheTypesMessage)
{
    const PositionArrayCase& c = GetParam();
    qxArray* a = c.withoutData ? arrayWithoutData(c.cls, c.rows, c.cols) : makeArray(c.cls, c.rows, c.cols, c.values);
    nyro::COSValue v;
    auto raised = raisedBy([&] { v = fromArray(c.type, a); });
    ASSERT_EQ(raised.has_value(), c.stored.empty()) << (raised ? raised->message : "accepted");
    EXPECT_EQ(raised ? raised->id + " " + raised->message : "", c.stored.empty() ? std::string(c.id) + " " + c.text : "");
    if (raised)
        return;
    const qxArray* back = toArray(c.type, v);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(qxGetClassID(back), c.storedClass);
    EXPECT_EQ(std::make_pair(qxGetM(back), qxGetN(back)), std::make_pair(qxSize(1), qxSize(4)));
    EXPECT_TRUE(sameElements(elementsOf(back), c.stored));
    type(c.type)->destroy(v);
}

const char* const Negative = "KELDAR:vx:set_chck:DimensionsOutsideRange";
const char* const NegativeText = "Width and height must be > 0.";
const char* const Screen = "datatypes:ScreenPositionDataType";

INSTANTIATE_TEST_SUITE_P(
    Position, PositionFromArray,
    ::testing::Values(
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {10, 20, 0, 0}, qxDOUBLE_CLASS, {10, 20, 0, 0}},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {-1, -2, 3, 4}, qxDOUBLE_CLASS, {-1, -2, 3, 4}},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {1, 2, nan, nan}, qxDOUBLE_CLASS, {1, 2, nan, nan}},
        PositionArrayCase{"Position", qxSINGLE_CLASS, 1, 4, {1.5, 2.5, 3, 4}, qxDOUBLE_CLASS, {1.5, 2.5, 3, 4}},
        // Origin and size read back exactly, however far the origin is from zero.
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {0.1, 0.1, 0.2, 0.2}, qxDOUBLE_CLASS, {0.1, 0.1, 0.2, 0.2}},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {1e20, -1e20, 1, 3}, qxDOUBLE_CLASS, {1e20, -1e20, 1, 3}},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {10, 20, -1, 5}, qxDOUBLE_CLASS, {}, Negative, NegativeText},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {10, 20, 5, -1e-300}, qxDOUBLE_CLASS, {}, Negative, NegativeText},
        PositionArrayCase{"Position", qxSINGLE_CLASS, 1, 4, {0, 0, -inf, 1}, qxDOUBLE_CLASS, {}, Negative, NegativeText},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 4, 1, {1, 2, 3, 4}, qxDOUBLE_CLASS, {},
                          "KELDAR:vx:dt_conv:Matrix_to_keldarRect:Expected4ElementVector",
                          "Value must be a 4 element vector"},
        PositionArrayCase{"Position", qxINT32_CLASS, 1, 4, {1, 2, 3, 4}, qxDOUBLE_CLASS, {},
                          "KELDAR:vx:dt_conv:Matrix_to_keldarRect:ExpectedNumeric", "Value must be numeric."},
        PositionArrayCase{"Position", qxCHAR_CLASS, 1, 4, {97, 98, 99, 100}, qxDOUBLE_CLASS, {},
                          "KELDAR:vx:dt_conv:Matrix_to_keldarRect:ExpectedNumeric", "Value must be numeric."},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {}, qxDOUBLE_CLASS, {}, "datatypes:NullPositionDataType", "Input array has NULL data.", true}));

INSTANTIATE_TEST_SUITE_P(
    ScreenPosition, PositionFromArray,
    ::testing::Values(
        PositionArrayCase{"ScreenPosition", qxUINT8_CLASS, 1, 4, {1, 2, 3, 4}, qxINT32_CLASS, {1, 2, 3, 4}},
        PositionArrayCase{"ScreenPosition", qxINT16_CLASS, 1, 4, {-1, -2, 0, 0}, qxINT32_CLASS, {-1, -2, 0, 0}},
        // Unsigned classes are not checked; their values are reinterpreted.
        PositionArrayCase{"ScreenPosition", qxUINT32_CLASS, 1, 4, {1, 2, 4294967295.0, 4}, qxINT32_CLASS, {1, 2, -1, 4}},
        PositionArrayCase{"ScreenPosition", qxINT64_CLASS, 1, 4, {4294967297.0, 2, 3, 4}, qxINT32_CLASS, {1, 2, 3, 4}},
        // Origin plus size beyond the int32 range still reads back unchanged.
        PositionArrayCase{"ScreenPosition", qxINT32_CLASS, 1, 4, {2147483647.0, 0, 10, 0}, qxINT32_CLASS, {2147483647.0, 0, 10, 0}},
        PositionArrayCase{"ScreenPosition", qxINT32_CLASS, 1, 4, {1, 2, -3, 4}, qxINT32_CLASS, {}, Screen, "Width or Height values cannot be less than zero."},
        PositionArrayCase{"ScreenPosition", qxINT8_CLASS, 1, 4, {1, 2, 3, -4}, qxINT32_CLASS, {}, Screen, "Width or Height values cannot be less than zero."},
        PositionArrayCase{"ScreenPosition", qxDOUBLE_CLASS, 1, 4, {1, 2, 3, 4}, qxINT32_CLASS, {}, Screen, "Invalid data type."},
        PositionArrayCase{"ScreenPosition", qxLOGICAL_CLASS, 1, 4, {1, 1, 1, 1}, qxINT32_CLASS, {}, Screen, "Invalid data type."},
        PositionArrayCase{"ScreenPosition", qxINT32_CLASS, 4, 1, {1, 2, 3, 4}, qxINT32_CLASS, {}, Screen, "Input value is not of the form [x y w h]"},
        PositionArrayCase{"ScreenPosition", qxINT32_CLASS, 1, 4, {}, qxINT32_CLASS, {}, Screen, "Input array has a NULL data pointer", true}));

// ---- text -------------------------------------------------------------------------------

struct PositionTextCase {
    const char* type;
    const char* text;
    const char* printed;
};

void PrintTo(const PositionTextCase& c, std::ostream* os) { *os << c.type << " '" << c.text << "'"; }

class PositionText : public HostTest, public ::testing::WithParamInterface<PositionTextCase> {};

TEST_P(PositionText, ParsesAndPrints)
{
    const PositionTextCase& c = GetParam();
    nyro::COSValue v = fromText(c.type, c.text);
    ASSERT_FALSE(v.isNull());
    EXPECT_EQ(toText(c.type, v), c.printed);
    type(c.type)->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PositionText,
    ::testing::Values(PositionTextCase{"Position", "[1.5 2 3 4]", "[1.5 2 3 4]"},
                      PositionTextCase{"Position", "[0.1 1234567 3 4]", "[0.1 1.23457e+06 3 4]"},
                      // No size check on this path; unreadable text gives zeros.
                      PositionTextCase{"Position", "[1 2 -3 4]", "[1 2 -3 4]"},
                      PositionTextCase{"Position", "left", "[0 0 0 0]"},
                      PositionTextCase{"Position", "[1 2 3]", "[0 0 0 0]"},
                      PositionTextCase{"ScreenPosition", "[1.9 2.9 3.9 4.9]", "[1 2 3 4]"},
                      PositionTextCase{"ScreenPosition", "[-1.9 0 1e12 NaN]", "[-1 0 2147483647 0]"},
                      PositionTextCase{"ScreenPosition", "[1 2 3 4 5]", "[0 0 0 0]"}));

// ---- null values, defaults, copies ------------------------------------------------------

TEST_F(HostTest, NullValuesDefaultsAndNoArray)
{
    // A null Position copies to zeros and converts to an empty double; a null
    // ScreenPosition stays null and converts to no array.
    nyro::COSValue copy = type("Position")->copy({});
    EXPECT_TRUE(sameElements(elementsOf(toArray("Position", copy)), {0, 0, 0, 0}));
    type("Position")->destroy(copy);
    const qxArray* a = toArray("Position", {});
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(qxIsDouble(a) && qxIsEmpty(a));
    EXPECT_TRUE(type("ScreenPosition")->copy({}).isNull());
    EXPECT_EQ(toArray("ScreenPosition", {}), nullptr);
    for (const char* t : {"Position", "ScreenPosition"}) {
        EXPECT_EQ(toText(t, {}), "") << t;
        EXPECT_EQ(toText(t, type(t)->getDefaultValue()), "[0 0 0 0]") << t;
        EXPECT_TRUE(fromArray(t, nullptr).isNull()) << t;
    }
}

TEST_F(HostTest, PositionWithoutHeapRaisesOutOfMemory)
{
    qxArray* a = makeArray(qxDOUBLE_CLASS, 1, 4, {1, 2, 3, 4});
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(fromArray("Position", a), nyro::COSOutOfMemoryException);
}

TEST_F(HostTest, ScreenPositionWithoutHeapIsNull)
{
    qxArray* a = makeArray(qxINT32_CLASS, 1, 4, {1, 2, 3, 4});
    long before = ut::test::liveBlocks();
    nyro::COSValue v;
    {
        ut::test::AllocationFailure fail(1);
        v = fromArray("ScreenPosition", a);
    }
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(ut::test::liveBlocks(), before);
}

// ---- comparisons -----------------------------------------------------------------------

struct PositionPairCase {
    Position a, b;
    bool exact, nearly, roundoff;
};

template <class P>
std::string str(const P& p)
{
    return ::testing::PrintToString(std::vector<double>{double(p.getX()), double(p.getY()), double(p.getWidth()), double(p.getHeight())});
}
void PrintTo(const PositionPairCase& c, std::ostream* os) { *os << str(c.a) << " vs " << str(c.b); }

class PositionComparisons : public HostTest, public ::testing::WithParamInterface<PositionPairCase> {};

TEST_P(PositionComparisons, ExactNearlyAndRoundoff)
{
    const PositionPairCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.exact);
    EXPECT_EQ(datatypes::nearlyEqual(c.a, c.b), c.nearly);
    EXPECT_EQ(datatypes::equalWithinRoundoffError(c.a, c.b), c.roundoff);
    // The data type's equality is the tolerant one.
    nyro::COSValue va = datatypes::PositionDataType::store(c.a), vb = datatypes::PositionDataType::store(c.b);
    EXPECT_EQ(type("Position")->isEqual(va, vb), c.nearly);
    EXPECT_EQ(type("Position")->compare(va, vb), c.nearly ? 0 : 2);
    for (nyro::COSValue v : {va, vb})
        type("Position")->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, PositionComparisons,
    ::testing::Values(PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4}, true, true, true},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4 + 5e-13}, false, true, true},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4 + 5e-11}, false, true, false},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4.001}, false, false, false},
                      PositionPairCase{{1e9, 0, 1, 1}, {1e9 + 1e-2, 0, 1, 1}, false, true, false},
                      PositionPairCase{{0, 0, 0, 0}, {0, 0, 0, 1e-9}, false, false, false},
                      PositionPairCase{{nan, 0, 1, 1}, {nan, 0, 1, 1}, false, true, false},
                      PositionPairCase{{inf, 0, 1, 1}, {inf, 0, 1, 1}, true, true, false}));

struct ScreenPairCase {
    ScreenPosition a, b;
    bool equal;
};

void PrintTo(const ScreenPairCase& c, std::ostream* os) { *os << str(c.a) << " vs " << str(c.b); }

class ScreenComparisons : public HostTest, public ::testing::WithParamInterface<ScreenPairCase> {};

TEST_P(ScreenComparisons, ExactAndNearlyAgree)
{
    const ScreenPairCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(datatypes::nearlyEqual(c.a, c.b), c.equal);
    nyro::COSValue va = datatypes::ScreenPositionDataType::store(c.a), vb = datatypes::ScreenPositionDataType::store(c.b);
    EXPECT_EQ(type("ScreenPosition")->isEqual(va, vb), c.equal);
    for (nyro::COSValue v : {va, vb})
        type("ScreenPosition")->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Pairs, ScreenComparisons,
                         ::testing::Values(ScreenPairCase{{1, 2, 3, 4}, {1, 2, 3, 4}, true},
                                           ScreenPairCase{{1, 2, 3, 4}, {1, 2, 3, 5}, false},
                                           ScreenPairCase{{1, 2, 3, 4}, {0, 2, 4, 4}, false},
                                           ScreenPairCase{{1, 2, 3, 4}, {2, 2, 3, 4}, false}));

} // namespace
