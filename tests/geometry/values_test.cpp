// Point2, Point2d, Point3, Rectangle2, Inset, BoundingVolume, Position and
// ScreenPosition as the host sees them, through their registered array and
// string conversions; and the comparisons of these values.
#include <string>
#include <vector>

#include "arrays/array_inputs.h"
#include "geometry/position.h"
#include "geometry/records.h"
#include "gui_objects/geometry.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace {

using datatypes::Position;
using datatypes::ScreenPosition;
using namespace vxtest;

const double kMaxInt = 2147483647.0;

// ---- host array to value ----------------------------------------------------------------

struct ArrayCase {
    const char* type;
    Input input;
    std::vector<double> stored; // what the value reads back as (storage order); empty: refused
    const char* id = "";
    const char* text = "";
};

void PrintTo(const ArrayCase& c, std::ostream* os) { *os << c.type << " " << c.input; }

class RecordFromArray : public HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(RecordFromArray, StoresOrRefusesWithTheTypesMessage)
{
    const ArrayCase& c = GetParam();
    nyro::COSValue v;
    const std::string error = errorOf([&] { v = fromArray(c.type, c.input.make()); });
    EXPECT_EQ(error, c.stored.empty() ? std::string(c.id) + " " + c.text : "");
    if (!error.empty() || c.stored.empty())
        return;
    const qxArray* back = toArray(c.type, v);
    const std::string cls = std::string(c.type) == "ScreenPosition" ? "int32 " : "double ";
    EXPECT_EQ(describeShape(back), cls + std::to_string(c.input.dims[0]) + "x" + std::to_string(c.input.dims[1]));
    EXPECT_TRUE(sameElements(elementsOf(back), c.stored));
    type(c.type)->destroy(v);
}

const char* const BVWidth = "datatypes:BoundingVolumeDataType:InvalidWidth";
const char* const BVWidthText = "Values in 2nd row must be >= values in 1st row";
const char* const BVShape = "datatypes:BoundingVolumeDataType:ArrayShape";
const char* const Unsupported = "Input is unsupported class";
const char* const Negative = "KELDAR:vx:set_chck:DimensionsOutsideRange";
const char* const NegativeText = "Width and height must be > 0.";
const char* const Screen = "datatypes:ScreenPositionDataType";
const char* const ScreenNegative = "Width or Height values cannot be less than zero.";

INSTANTIATE_TEST_SUITE_P(
    All, RecordFromArray,
    ::testing::Values(
        // Integer records truncate toward zero, saturating, and keep the low 32 bits of integers.
        ArrayCase{"Point2", row({1.7, -2.9}), {1, -2}},
        ArrayCase{"Point2", row({NaN, Inf}), {0, kMaxInt}},
        ArrayCase{"Point2", row({4294967301.0, -1}).as(qxINT64_CLASS), {5, -1}},
        ArrayCase{"Point2", col({1, 2}), {}, "datatypes:Point2DataType:ArrayShape", "Input must be 1x2"},
        ArrayCase{"Point2", row({1, 0}).as(qxLOGICAL_CLASS), {}, "datatypes:Point2DataType:ArrayClass", Unsupported},
        ArrayCase{"Point2d", row({0.5, 1e-7}), {0.5, 1e-7}},
        ArrayCase{"Point2d", row({1, NaN}), {}, "datatypes:Point2dDataType:ArrayData", "Input must be finite numbers"},
        ArrayCase{"Point2d", col({1, 2}), {}, "datatypes:Point2dDataType:ArrayShape", "Input must be 1x2"},
        ArrayCase{"Point2d", Input{qxCELL_CLASS, {1, 2}, {}}, {}, "datatypes:Point2dDataType:ArrayClass", Unsupported},
        ArrayCase{"Point3", row({1, -2, 3.5}), {1, -2, 3.5}},
        ArrayCase{"Point3", row({1, 2, Inf}).as(qxSINGLE_CLASS), {}, "KELDAR:vx:set_chck:Matrix_to_3element_Vector_set_check_fcn:ExpectedFinite", "Input values must be finite numbers."},
        ArrayCase{"Point3", col({1, 2, 3}), {}, "KELDAR:vx:set_chck:Expected3ElementVector", "Value must be a 3 element numeric vector."},
        ArrayCase{"Point3", row({1, 2, 3}).as(qxCHAR_CLASS), {}, "KELDAR:vx:set_chck:Expected3ElementVector", "Value must be a 3 element numeric vector."},
        ArrayCase{"Rectangle2", row({1.9, -2.9, 3, 4}), {1, -2, 3, 4}},
        ArrayCase{"Rectangle2", col({1, 2, 3, 4}), {}, "datatypes:Rectangle2DataType:ArrayShape", "Input must be 1x4"},
        ArrayCase{"Rectangle2", row({1, 1, 1, 1}).as(qxLOGICAL_CLASS), {}, "datatypes:Rectangle2DataType:ArrayClass", Unsupported},
        // No value check at all.
        ArrayCase{"Inset", row({NaN, -1, Inf, 0}), {NaN, -1, Inf, 0}},
        ArrayCase{"Inset", row({1, 2, 3}), {}, "KELDAR:vx:dt_conv:Matrix_to_keldarRect:Expected4ElementVector", "Value must be a 4 element vector."},
        ArrayCase{"Inset", row({1, 0, 1, 0}).as(qxLOGICAL_CLASS), {}, "KELDAR:vx:dt_conv:Matrix_to_keldarRect:ExpectedNumeric", "Value must be numeric."},
        // Storage order: column by column, so [0 0 0; 1 1 1] is 0 1 0 1 0 1.
        ArrayCase{"BoundingVolume", mat(2, 3, {0, 1}), {0, 1, 0, 1, 0, 1}},
        ArrayCase{"BoundingVolume", mat(2, 3, {2, 2, 3, 3, 4, 4}), {2, 2, 3, 3, 4, 4}},
        ArrayCase{"BoundingVolume", mat(2, 3, {NaN, 1, 0, 1, 0, 1}), {NaN, 1, 0, 1, 0, 1}},
        ArrayCase{"BoundingVolume", mat(2, 3, {1, 0, 0, 1, 0, 1}), {}, BVWidth, BVWidthText},
        ArrayCase{"BoundingVolume", mat(2, 3, {0, 1, 0, 1, 1, 0}), {}, BVWidth, BVWidthText},
        ArrayCase{"BoundingVolume", mat(3, 2), {}, BVShape, "Input must be 2"},
        ArrayCase{"BoundingVolume", mat(2, 3).as(qxCHAR_CLASS), {}, "datatypes:BoundingVolumeDataType:ArrayClass", Unsupported},
        ArrayCase{"Position", row({10, 20, 0, 0}), {10, 20, 0, 0}},
        ArrayCase{"Position", row({1, 2, NaN, NaN}), {1, 2, NaN, NaN}},
        // Origin and size read back exactly, however far the origin is from zero.
        ArrayCase{"Position", row({1e20, -1e20, 1, 3}), {1e20, -1e20, 1, 3}},
        ArrayCase{"Position", row({1.5, 2.5, 3, 4}).as(qxSINGLE_CLASS), {1.5, 2.5, 3, 4}},
        ArrayCase{"Position", row({10, 20, -1, 5}), {}, Negative, NegativeText},
        ArrayCase{"Position", row({10, 20, 5, -1e-300}), {}, Negative, NegativeText},
        ArrayCase{"Position", col({1, 2, 3, 4}), {}, "KELDAR:vx:dt_conv:Matrix_to_keldarRect:Expected4ElementVector", "Value must be a 4 element vector"},
        ArrayCase{"Position", row({1, 2, 3, 4}).as(qxINT32_CLASS), {}, "KELDAR:vx:dt_conv:Matrix_to_keldarRect:ExpectedNumeric", "Value must be numeric."},
        ArrayCase{"Position", row({1, 2, 3, 4}).withoutData(), {}, "datatypes:NullPositionDataType", "Input array has NULL data."},
        ArrayCase{"ScreenPosition", row({1, 2, 3, 4}).as(qxUINT8_CLASS), {1, 2, 3, 4}},
        // Unsigned classes are not checked; their values are reinterpreted.
        ArrayCase{"ScreenPosition", row({1, 2, 4294967295.0, 4}).as(qxUINT32_CLASS), {1, 2, -1, 4}},
        // Origin plus size beyond the int32 range still reads back unchanged.
        ArrayCase{"ScreenPosition", row({2147483647.0, 0, 10, 0}).as(qxINT32_CLASS), {2147483647.0, 0, 10, 0}},
        ArrayCase{"ScreenPosition", row({1, 2, -3, 4}).as(qxINT32_CLASS), {}, Screen, ScreenNegative},
        ArrayCase{"ScreenPosition", row({1, 2, 3, -4}).as(qxINT8_CLASS), {}, Screen, ScreenNegative},
        ArrayCase{"ScreenPosition", row({1, 2, 3, 4}), {}, Screen, "Invalid data type."},
        ArrayCase{"ScreenPosition", col({1, 2, 3, 4}).as(qxINT32_CLASS), {}, Screen, "Input value is not of the form [x y w h]"},
        ArrayCase{"ScreenPosition", row({1, 2, 3, 4}).as(qxINT32_CLASS).withoutData(), {}, Screen, "Input array has a NULL data pointer"}));

// ---- what every record type shares --------------------------------------------------

struct TypeCase {
    const char* type;
    qxSize rows, cols;
    const char* nullArrayId;
    const char* nullArrayText;
    const char* nullText;    // text of the null value
    const char* defaultText; // text of the default value
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.type; }

class RecordType : public HostTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(RecordType, NullsDefaultInequalityAndNoHeapForACopy)
{
    const TypeCase& c = GetParam();
    nyro::COSDataType* t = type(c.type);
    EXPECT_TRUE(fromArray(c.type, nullptr).isNull()) << "no array: the null value";
    EXPECT_EQ(errorOf([&] { fromArray(c.type, mat(c.rows, c.cols).withoutData().make()); }),
              std::string(c.nullArrayId) + " " + c.nullArrayText);
    EXPECT_EQ(describeShape(toArray(c.type, {})), "double 0x0");
    EXPECT_EQ(toText(c.type, {}), c.nullText);
    EXPECT_EQ(toText(c.type, t->getDefaultValue()), c.defaultText);

    nyro::COSValue a = fromArray(c.type, mat(c.rows, c.cols, {0, 1}).make());
    nyro::COSValue b = fromArray(c.type, mat(c.rows, c.cols, {0, 2}).make());
    EXPECT_FALSE(t->isEqual(a, b));
    const long before = ut::test::liveBlocks();
    nyro::COSValue copy;
    {
        ut::test::AllocationFailure fail(1);
        copy = t->copy(a);
    }
    EXPECT_TRUE(copy.isNull());
    EXPECT_EQ(ut::test::liveBlocks(), before);
    for (nyro::COSValue x : {a, b})
        t->destroy(x);
}

INSTANTIATE_TEST_SUITE_P(
    All, RecordType,
    ::testing::Values(
        TypeCase{"Point2", 1, 2, "datatypes:Point2DataType:ArrayNull", "Input is NULL", "[0 0]", "[0 0]"},
        TypeCase{"Point2d", 1, 2, "datatypes:Point2dDataType:ArrayNull", "Input is NULL", "", "[0 0]"},
        TypeCase{"Point3", 1, 3, "datatypes:Point3DataType:ArrayNull", "Input is NULL.", "", "[0 0 0]"},
        TypeCase{"Rectangle2", 1, 4, "datatypes:Rectangle2DataType:ArrayNull", "Input is NULL", "[0 0 0 0]", "[0 0 0 0]"},
        TypeCase{"Inset", 1, 4, "datatypes:InsetDataType:ArrayNull", "Input is NULL", "", "[0 0 0 0]"},
        TypeCase{"BoundingVolume", 2, 3, "datatypes:BoundingVolumeDataType:ArrayNull", "Input is NULL", "", "[ 0 0 0 ; 0 0 0 ]"}),
    [](const auto& info) { return std::string(info.param.type); });

// ---- text to value and back ------------------------------------------------------------

struct TextCase {
    const char* type;
    const char* text;
    const char* printed; // null: the parse exception leaves the converter
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.type << " '" << c.text << "'"; }

class RecordText : public HostTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(RecordText, ParsesAndPrints)
{
    const TextCase& c = GetParam();
    try {
        nyro::COSValue v = fromText(c.type, c.text);
        EXPECT_EQ(toText(c.type, v), c.printed ? c.printed : "the parse exception");
        type(c.type)->destroy(v);
    } catch (const gui_objects::convert_from_string_utils::ParseException&) {
        EXPECT_FALSE(c.printed) << "parse exception";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RecordText,
    ::testing::Values(
        // Point2 reads its text rounding to nearest, Rectangle2 truncating toward zero.
        TextCase{"Point2", "[1.7 2.9]", "[2 3]"}, TextCase{"Point2", "[1 2 3]", nullptr},
        TextCase{"Point2d", "[123456789 1e-7]", "[1.23457e+08 1e-07]"}, TextCase{"Point3", "[-0.25 Inf 3]", "[-0.25 inf 3]"},
        TextCase{"Rectangle2", "[1.9 -2.9 3 4]", "[1 -2 3 4]"}, TextCase{"Inset", "[1 2 3 4.5]", "[1 2 3 4.5]"},
        // Unreadable inset and volume texts give the default record.
        TextCase{"Inset", "margins", "[0 0 0 0]"}, TextCase{"BoundingVolume", "[0 0 0; 1 2 3]", "[ 0 0 0 ; 1 2 3 ]"},
        TextCase{"BoundingVolume", "[1 1 1; 0 0 0]", "[ 0 0 0 ; 0 0 0 ]"},
        TextCase{"BoundingVolume", "[0 0 0 1 1 1]", "[ 0 0 0 ; 0 0 0 ]"},
        // Positions take any size from text; unreadable text gives zeros.
        TextCase{"Position", "[1.5 2 -3 4]", "[1.5 2 -3 4]"}, TextCase{"Position", "left", "[0 0 0 0]"},
        TextCase{"ScreenPosition", "[1.9 2.9 3.9 4.9]", "[1 2 3 4]"}, TextCase{"ScreenPosition", "[1 2 3 4 5]", "[0 0 0 0]"}));

// ---- null values, defaults, copies of positions --------------------------------------

// A null Position copies to zeros and converts to an empty double; a null
// ScreenPosition converts to no array. Without heap, Position raises the
// out-of-memory error and ScreenPosition gives the null value.
TEST_F(HostTest, PositionNullValuesDefaultsAndNoHeap)
{
    nyro::COSValue copy = type("Position")->copy({});
    EXPECT_TRUE(sameElements(elementsOf(toArray("Position", copy)), {0, 0, 0, 0}));
    type("Position")->destroy(copy);
    EXPECT_EQ(describeShape(toArray("Position", {})), "double 0x0");
    EXPECT_EQ(toArray("ScreenPosition", {}), nullptr);
    for (const char* t : {"Position", "ScreenPosition"}) {
        EXPECT_EQ(toText(t, {}), "") << t;
        EXPECT_EQ(toText(t, type(t)->getDefaultValue()), "[0 0 0 0]") << t;
        EXPECT_TRUE(fromArray(t, nullptr).isNull()) << t;
    }
    qxArray* a = row({1, 2, 3, 4}).make();
    qxArray* ints = row({1, 2, 3, 4}).as(qxINT32_CLASS).make();
    const long before = ut::test::liveBlocks();
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(fromArray("Position", a), nyro::COSOutOfMemoryException);
    ut::test::AllocationFailure again(1);
    EXPECT_TRUE(fromArray("ScreenPosition", ints).isNull());
    EXPECT_EQ(ut::test::liveBlocks(), before);
}

// ---- comparisons ------------------------------------------------------------------------

TEST_F(HostTest, BoundingVolumesCompareByCenterAndWidths)
{
    nyro::COSDataType* t = type("BoundingVolume");
    auto volume = [](std::vector<double> v) { return fromArray("BoundingVolume", mat(2, 3, v).make()); };
    const nyro::COSValue a = volume({0, 2, 0, 2, 0, 2});
    // The same; shifted; the same center with another width.
    for (auto [other, equal] : {std::pair{std::vector<double>{0, 2, 0, 2, 0, 2}, true}, {{1, 3, 0, 2, 0, 2}, false}, {{-1, 3, 0, 2, 0, 2}, false}}) {
        nyro::COSValue b = volume(other);
        EXPECT_EQ(t->isEqual(a, b), equal) << ::testing::PrintToString(other);
        t->destroy(b);
    }
    t->destroy(a);
}

struct RoundoffCase {
    double a, b;
    bool equal;
};

class Roundoff : public ::testing::TestWithParam<RoundoffCase> {};

// Absolute below magnitude 1, relative above it.
TEST_P(Roundoff, ScalarRule)
{
    const RoundoffCase& c = GetParam();
    using gui_objects::Inset2d;
    EXPECT_EQ(datatypes::equalWithinRoundoffError(Inset2d(c.a, 0, 0, 0), Inset2d(c.b, 0, 0, 0)), c.equal) << c.a << " " << c.b;
    EXPECT_EQ(datatypes::equalWithinRoundoffError(Inset2d(0, 0, 0, c.a), Inset2d(0, 0, 0, c.b)), c.equal) << c.a << " " << c.b;
}

INSTANTIATE_TEST_SUITE_P(Pairs, Roundoff,
                         ::testing::Values(RoundoffCase{0, 1e-13, true}, RoundoffCase{0, 2e-12, false},
                                           RoundoffCase{1e6, 1e6 + 1e-7, true}, RoundoffCase{1e6, 1e6 + 1e-5, false},
                                           RoundoffCase{-1e12, -1e12 - 0.5, true}, RoundoffCase{NaN, NaN, false},
                                           RoundoffCase{Inf, Inf, false}));

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

// The data type's equality is the tolerant one.
TEST_P(PositionComparisons, ExactNearlyAndRoundoff)
{
    const PositionPairCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.exact);
    EXPECT_EQ(datatypes::nearlyEqual(c.a, c.b), c.nearly);
    EXPECT_EQ(datatypes::equalWithinRoundoffError(c.a, c.b), c.roundoff);
    nyro::COSValue va = datatypes::PositionDataType::store(c.a), vb = datatypes::PositionDataType::store(c.b);
    EXPECT_EQ(type("Position")->isEqual(va, vb), c.nearly);
    for (nyro::COSValue v : {va, vb})
        type("Position")->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, PositionComparisons,
    ::testing::Values(PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4}, true, true, true},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4 + 5e-13}, false, true, true},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4 + 5e-11}, false, true, false},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4.001}, false, false, false}));

// Exact and corner-wise comparisons of screen positions agree.
TEST_F(HostTest, ScreenPositionComparisons)
{
    const ScreenPosition p(1, 2, 3, 4);
    for (auto [other, equal] : {std::pair{ScreenPosition(1, 2, 3, 4), true}, {ScreenPosition(1, 2, 3, 5), false}, {ScreenPosition(0, 2, 4, 4), false}}) {
        EXPECT_EQ(p == other, equal) << str(other);
        EXPECT_EQ(datatypes::nearlyEqual(p, other), equal) << str(other);
        nyro::COSValue va = datatypes::ScreenPositionDataType::store(p), vb = datatypes::ScreenPositionDataType::store(other);
        EXPECT_EQ(type("ScreenPosition")->isEqual(va, vb), equal) << str(other);
        for (nyro::COSValue v : {va, vb})
            type("ScreenPosition")->destroy(v);
    }
}

} // namespace
