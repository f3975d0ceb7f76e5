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
using vxtest::HostTest;

const double inf = INFINITY, nan = NAN;

nyro::COSValue fromArray(const char* type, const qxArray* a)
{
    return vxtest::conversion("any", type)->from(nyro::COSValue::fromPointer(a));
}
const qxArray* toArray(const char* type, nyro::COSValue v)
{
    return nyro::pointerValue<const qxArray*>(vxtest::conversion("any", type)->to(v));
}
std::string toText(const char* type, nyro::COSValue v)
{
    char* text = nyro::pointerValue<char*>(vxtest::conversion("string", type)->to(v));
    std::string s = text ? text : "<null>";
    utFree(text);
    return s;
}

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

std::ostream& operator<<(std::ostream& os, const PositionArrayCase& c)
{
    os << c.type << " " << qx::className(c.cls) << " " << c.rows << "x" << c.cols << " [";
    for (double v : c.values)
        os << " " << v;
    return os << " ]";
}

class PositionFromArray : public HostTest, public ::testing::WithParamInterface<PositionArrayCase> {};

TEST_P(PositionFromArray, StoresOrRefusesWithTheTypesMessage)
{
    const PositionArrayCase& c = GetParam();
    qxArray* a = c.withoutData ? vxtest::arrayWithoutData(c.cls, c.rows, c.cols)
                               : vxtest::makeArray(c.cls, c.rows, c.cols, c.values);
    nyro::COSValue v;
    auto raised = vxtest::raisedBy([&] { v = fromArray(c.type, a); });
    if (c.stored.empty()) {
        ASSERT_TRUE(raised.has_value());
        EXPECT_EQ(raised->id, c.id);
        EXPECT_EQ(raised->message, c.text);
        return;
    }
    ASSERT_FALSE(raised.has_value()) << raised->id << " " << raised->message;
    ASSERT_FALSE(v.isNull());
    const qxArray* back = toArray(c.type, v);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(qxGetClassID(back), c.storedClass);
    EXPECT_EQ(qxGetM(back), 1u);
    EXPECT_EQ(qxGetN(back), 4u);
    EXPECT_TRUE(vxtest::sameElements(vxtest::elementsOf(back), c.stored));
    vxtest::type(c.type)->destroy(v);
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
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {10, 20, 5, -1e-300}, qxDOUBLE_CLASS, {}, Negative,
                          NegativeText},
        PositionArrayCase{"Position", qxSINGLE_CLASS, 1, 4, {0, 0, -inf, 1}, qxDOUBLE_CLASS, {}, Negative,
                          NegativeText},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 4, 1, {1, 2, 3, 4}, qxDOUBLE_CLASS, {},
                          "KELDAR:vx:dt_conv:Matrix_to_keldarRect:Expected4ElementVector",
                          "Value must be a 4 element vector"},
        PositionArrayCase{"Position", qxINT32_CLASS, 1, 4, {1, 2, 3, 4}, qxDOUBLE_CLASS, {},
                          "KELDAR:vx:dt_conv:Matrix_to_keldarRect:ExpectedNumeric", "Value must be numeric."},
        PositionArrayCase{"Position", qxCHAR_CLASS, 1, 4, {97, 98, 99, 100}, qxDOUBLE_CLASS, {},
                          "KELDAR:vx:dt_conv:Matrix_to_keldarRect:ExpectedNumeric", "Value must be numeric."},
        PositionArrayCase{"Position", qxDOUBLE_CLASS, 1, 4, {}, qxDOUBLE_CLASS, {}, "datatypes:NullPositionDataType",
                          "Input array has NULL data.", true}));

INSTANTIATE_TEST_SUITE_P(
    ScreenPosition, PositionFromArray,
    ::testing::Values(
        PositionArrayCase{"ScreenPosition", qxUINT8_CLASS, 1, 4, {1, 2, 3, 4}, qxINT32_CLASS, {1, 2, 3, 4}},
        PositionArrayCase{"ScreenPosition", qxINT16_CLASS, 1, 4, {-1, -2, 0, 0}, qxINT32_CLASS, {-1, -2, 0, 0}},
        // Unsigned classes are not checked; their values are reinterpreted.
        PositionArrayCase{"ScreenPosition", qxUINT32_CLASS, 1, 4, {1, 2, 4294967295.0, 4}, qxINT32_CLASS,
                          {1, 2, -1, 4}},
        PositionArrayCase{"ScreenPosition", qxINT64_CLASS, 1, 4, {4294967297.0, 2, 3, 4}, qxINT32_CLASS, {1, 2, 3, 4}},
        // Origin plus size beyond the int32 range still reads back unchanged.
        PositionArrayCase{"ScreenPosition", qxINT32_CLASS, 1, 4, {2147483647.0, 0, 10, 0}, qxINT32_CLASS,
                          {2147483647.0, 0, 10, 0}},
        PositionArrayCase{"ScreenPosition", qxINT32_CLASS, 1, 4, {1, 2, -3, 4}, qxINT32_CLASS, {}, Screen,
                          "Width or Height values cannot be less than zero."},
        PositionArrayCase{"ScreenPosition", qxINT8_CLASS, 1, 4, {1, 2, 3, -4}, qxINT32_CLASS, {}, Screen,
                          "Width or Height values cannot be less than zero."},
        PositionArrayCase{"ScreenPosition", qxDOUBLE_CLASS, 1, 4, {1, 2, 3, 4}, qxINT32_CLASS, {}, Screen,
                          "Invalid data type."},
        PositionArrayCase{"ScreenPosition", qxLOGICAL_CLASS, 1, 4, {1, 1, 1, 1}, qxINT32_CLASS, {}, Screen,
                          "Invalid data type."},
        PositionArrayCase{"ScreenPosition", qxINT32_CLASS, 4, 1, {1, 2, 3, 4}, qxINT32_CLASS, {}, Screen,
                          "Input value is not of the form [x y w h]"},
        PositionArrayCase{"ScreenPosition", qxINT32_CLASS, 1, 4, {}, qxINT32_CLASS, {}, Screen,
                          "Input array has a NULL data pointer", true}));

// ---- text -------------------------------------------------------------------------------

struct PositionTextCase {
    const char* type;
    const char* text;
    const char* printed;
};

std::ostream& operator<<(std::ostream& os, const PositionTextCase& c)
{
    return os << c.type << " '" << c.text << "'";
}

class PositionText : public HostTest, public ::testing::WithParamInterface<PositionTextCase> {};

TEST_P(PositionText, ParsesAndPrints)
{
    const PositionTextCase& c = GetParam();
    nyro::COSValue v = vxtest::conversion("string", c.type)->from(nyro::COSValue::fromPointer(c.text));
    ASSERT_FALSE(v.isNull());
    EXPECT_EQ(toText(c.type, v), c.printed);
    vxtest::type(c.type)->destroy(v);
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

TEST_F(HostTest, NullPositionCopiesToZerosAndConvertsToEmptyDouble)
{
    nyro::COSDataType* t = vxtest::type("Position");
    nyro::COSValue copy = t->copy({});
    ASSERT_FALSE(copy.isNull());
    EXPECT_TRUE(vxtest::sameElements(vxtest::elementsOf(toArray("Position", copy)), {0, 0, 0, 0}));
    t->destroy(copy);
    const qxArray* a = toArray("Position", {});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(qxGetClassID(a), qxDOUBLE_CLASS);
    EXPECT_TRUE(qxIsEmpty(a));
    EXPECT_EQ(toText("Position", {}), "");
}

TEST_F(HostTest, NullScreenPositionStaysNullAndConvertsToNoArray)
{
    nyro::COSDataType* t = vxtest::type("ScreenPosition");
    EXPECT_TRUE(t->copy({}).isNull());
    EXPECT_EQ(toArray("ScreenPosition", {}), nullptr);
    EXPECT_EQ(toText("ScreenPosition", {}), "");
}

struct PositionTypeCase {
    const char* type;
    int bytes;
};

std::ostream& operator<<(std::ostream& os, const PositionTypeCase& c) { return os << c.type; }

class PositionType : public HostTest, public ::testing::WithParamInterface<PositionTypeCase> {};

TEST_P(PositionType, SizeDefaultAndNullArray)
{
    const PositionTypeCase& c = GetParam();
    nyro::COSDataType* t = vxtest::type(c.type);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->getValueSizeInBytes({}), c.bytes);
    EXPECT_EQ(t->getSizeInBits(), 8 * c.bytes);
    nyro::COSValue d = t->getDefaultValue();
    EXPECT_EQ(t->getDefaultValue(), d);
    EXPECT_EQ(toText(c.type, d), "[0 0 0 0]");
    EXPECT_TRUE(fromArray(c.type, nullptr).isNull());
    EXPECT_NE(nyro::JavaTypeConversion::getConversion(nyro::COSNameID(c.type)), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Both, PositionType,
                         ::testing::Values(PositionTypeCase{"Position", 32}, PositionTypeCase{"ScreenPosition", 16}));

TEST_F(HostTest, PositionWithoutHeapRaisesOutOfMemory)
{
    qxArray* a = vxtest::makeArray(qxDOUBLE_CLASS, 1, 4, {1, 2, 3, 4});
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(fromArray("Position", a), nyro::COSOutOfMemoryException);
}

TEST_F(HostTest, ScreenPositionWithoutHeapIsNull)
{
    qxArray* a = vxtest::makeArray(qxINT32_CLASS, 1, 4, {1, 2, 3, 4});
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

std::ostream& operator<<(std::ostream& os, const PositionPairCase& c)
{
    return os << "[" << c.a.getX() << " " << c.a.getY() << " " << c.a.getWidth() << " " << c.a.getHeight() << "] vs ["
              << c.b.getX() << " " << c.b.getY() << " " << c.b.getWidth() << " " << c.b.getHeight() << "]";
}

class PositionComparisons : public HostTest, public ::testing::WithParamInterface<PositionPairCase> {};

TEST_P(PositionComparisons, ExactNearlyAndRoundoff)
{
    const PositionPairCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.exact);
    EXPECT_EQ(datatypes::nearlyEqual(c.a, c.b), c.nearly);
    EXPECT_EQ(datatypes::equalWithinRoundoffError(c.a, c.b), c.roundoff);
    // The data type's equality is the tolerant one.
    nyro::COSDataType* t = vxtest::type("Position");
    nyro::COSValue va = datatypes::PositionDataType::store(c.a), vb = datatypes::PositionDataType::store(c.b);
    EXPECT_EQ(t->isEqual(va, vb), c.nearly);
    EXPECT_EQ(t->compare(va, vb), c.nearly ? 0 : 2);
    t->destroy(va);
    t->destroy(vb);
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

std::ostream& operator<<(std::ostream& os, const ScreenPairCase& c)
{
    return os << "[" << c.a.getX() << " " << c.a.getY() << " " << c.a.getWidth() << " " << c.a.getHeight() << "] vs ["
              << c.b.getX() << " " << c.b.getY() << " " << c.b.getWidth() << " " << c.b.getHeight() << "]";
}

class ScreenComparisons : public HostTest, public ::testing::WithParamInterface<ScreenPairCase> {};

TEST_P(ScreenComparisons, ExactAndNearlyAgree)
{
    const ScreenPairCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(datatypes::nearlyEqual(c.a, c.b), c.equal);
    nyro::COSDataType* t = vxtest::type("ScreenPosition");
    nyro::COSValue va = datatypes::ScreenPositionDataType::store(c.a);
    nyro::COSValue vb = datatypes::ScreenPositionDataType::store(c.b);
    EXPECT_EQ(t->isEqual(va, vb), c.equal);
    t->destroy(va);
    t->destroy(vb);
}

INSTANTIATE_TEST_SUITE_P(Pairs, ScreenComparisons,
                         ::testing::Values(ScreenPairCase{{1, 2, 3, 4}, {1, 2, 3, 4}, true},
                                           ScreenPairCase{{1, 2, 3, 4}, {1, 2, 3, 5}, false},
                                           ScreenPairCase{{1, 2, 3, 4}, {0, 2, 4, 4}, false},
                                           ScreenPairCase{{1, 2, 3, 4}, {2, 2, 3, 4}, false}));

} // namespace
