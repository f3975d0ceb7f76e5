// Point2, Point2d, Point3, Rectangle2, Inset and BoundingVolume as the host
// sees them: through their registered array and string conversions.
#include <cmath>
#include <string>
#include <vector>

#include "geometry/array_support.h"
#include "geometry/records.h"
#include "gui_objects/geometry.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace {

using namespace vxtest;

const double inf = INFINITY, nan = NAN;
const double kMaxInt = 2147483647.0, kMinInt = -2147483648.0;


// ---- host array to value ----------------------------------------------------------------

struct ArrayCase {
    const char* type;
    qxClassID cls;
    qxSize rows, cols;
    std::vector<double> values; // storage order
    std::vector<double> stored; // what the value reads back as (storage order); empty: refused
    const char* id = "";
    const char* text = "";
};

void PrintTo(const ArrayCase& c, std::ostream* os) { printArrayCase(c, os); }

class RecordFromArray : public HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(RecordFromArray, StoresOrRefusesWithTheTypesMessage)
{
    const ArrayCase& c = GetParam();
    nyro::COSValue v;
    auto raised = raisedBy([&] { v = fromArray(c.type, makeArray(c.cls, c.rows, c.cols, c.values)); });
    ASSERT_EQ(raised.has_value(), c.stored.empty()) << (raised ? raised->message : "accepted");
    EXPECT_EQ(raised ? raised->id + " " + raised->message : "", c.stored.empty() ? std::string(c.id) + " " + c.text : "");
    if (raised)
        return;
    const qxArray* back = toArray(c.type, v);
    EXPECT_EQ(qxGetClassID(back), qxDOUBLE_CLASS);
    EXPECT_EQ(std::make_pair(qxGetM(back), qxGetN(back)), std::make_pair(c.rows, c.cols));
    EXPECT_TRUE(sameElements(elementsOf(back), c.stored));
    type(c.type)->destroy(v);
}

const char* const P2Shape = "datatypes:Point2DataType:ArrayShape";
const char* const P2Class = "datatypes:Point2DataType:ArrayClass";
const char* const P2dData = "datatypes:Point2dDataType:ArrayData";
const char* const P3Vector = "KELDAR:vx:set_chck:Expected3ElementVector";
const char* const P3Finite = "KELDAR:vx:set_chck:Matrix_to_3element_Vector_set_check_fcn:ExpectedFinite";
const char* const InsetNumeric = "KELDAR:vx:dt_conv:Matrix_to_keldarRect:ExpectedNumeric";
const char* const InsetVector = "KELDAR:vx:dt_conv:Matrix_to_keldarRect:Expected4ElementVector";
const char* const BVWidth = "datatypes:BoundingVolumeDataType:InvalidWidth";
const char* const BVWidthText = "Values in 2nd row must be >= values in 1st row";

INSTANTIATE_TEST_SUITE_P(
    Point2, RecordFromArray,
    ::testing::Values(
        ArrayCase{"Point2", qxDOUBLE_CLASS, 1, 2, {1.7, 2.9}, {1, 2}},
        ArrayCase{"Point2", qxDOUBLE_CLASS, 1, 2, {-1.7, 2.9}, {-1, 2}},
        ArrayCase{"Point2", qxSINGLE_CLASS, 1, 2, {2.5, -0.5}, {2, 0}},
        ArrayCase{"Point2", qxINT8_CLASS, 1, 2, {-5, 6}, {-5, 6}},
        ArrayCase{"Point2", qxUINT32_CLASS, 1, 2, {4294967295.0, 1}, {-1, 1}},
        ArrayCase{"Point2", qxINT64_CLASS, 1, 2, {4294967301.0, -1}, {5, -1}},
        ArrayCase{"Point2", qxUINT64_CLASS, 1, 2, {4294967298.0, 7}, {2, 7}},
        // Saturating truncation of what cannot be an int32.
        ArrayCase{"Point2", qxDOUBLE_CLASS, 1, 2, {nan, inf}, {0, kMaxInt}},
        ArrayCase{"Point2", qxDOUBLE_CLASS, 1, 2, {-inf, 3e9}, {kMinInt, kMaxInt}},
        ArrayCase{"Point2", qxDOUBLE_CLASS, 1, 2, {-2147483648.9, 2147483647.9}, {kMinInt, kMaxInt}},
        ArrayCase{"Point2", qxDOUBLE_CLASS, 2, 1, {1, 2}, {}, P2Shape, "Input must be 1x2"},
        ArrayCase{"Point2", qxDOUBLE_CLASS, 1, 3, {1, 2, 3}, {}, P2Shape, "Input must be 1x2"},
        ArrayCase{"Point2", qxCHAR_CLASS, 1, 2, {97, 98}, {}, P2Class, "Input is unsupported class"},
        ArrayCase{"Point2", qxLOGICAL_CLASS, 1, 2, {1, 0}, {}, P2Class, "Input is unsupported class"}));

INSTANTIATE_TEST_SUITE_P(
    Point2d, RecordFromArray,
    ::testing::Values(
        ArrayCase{"Point2d", qxDOUBLE_CLASS, 1, 2, {0.5, 1e-7}, {0.5, 1e-7}},
        ArrayCase{"Point2d", qxINT32_CLASS, 1, 2, {5, 6}, {5, 6}},
        ArrayCase{"Point2d", qxINT64_CLASS, 1, 2, {4294967301.0, -7}, {4294967301.0, -7}},
        ArrayCase{"Point2d", qxSINGLE_CLASS, 1, 2, {0.25, -3}, {0.25, -3}},
        ArrayCase{"Point2d", qxDOUBLE_CLASS, 1, 2, {inf, 1}, {}, P2dData, "Input must be finite numbers"},
        ArrayCase{"Point2d", qxDOUBLE_CLASS, 1, 2, {1, nan}, {}, P2dData, "Input must be finite numbers"},
        ArrayCase{"Point2d", qxSINGLE_CLASS, 1, 2, {-inf, 1}, {}, P2dData, "Input must be finite numbers"},
        ArrayCase{"Point2d", qxDOUBLE_CLASS, 2, 1, {1, 2}, {}, "datatypes:Point2dDataType:ArrayShape", "Input must be 1x2"},
        ArrayCase{"Point2d", qxCELL_CLASS, 1, 2, {}, {}, "datatypes:Point2dDataType:ArrayClass", "Input is unsupported class"}));

INSTANTIATE_TEST_SUITE_P(
    Point3, RecordFromArray,
    ::testing::Values(
        ArrayCase{"Point3", qxDOUBLE_CLASS, 1, 3, {1, -2, 3.5}, {1, -2, 3.5}},
        ArrayCase{"Point3", qxINT16_CLASS, 1, 3, {-1, 2, 300}, {-1, 2, 300}},
        ArrayCase{"Point3", qxDOUBLE_CLASS, 1, 3, {1, nan, 3}, {}, P3Finite, "Input values must be finite numbers."},
        ArrayCase{"Point3", qxSINGLE_CLASS, 1, 3, {1, 2, inf}, {}, P3Finite, "Input values must be finite numbers."},
        ArrayCase{"Point3", qxDOUBLE_CLASS, 3, 1, {1, 2, 3}, {}, P3Vector, "Value must be a 3 element numeric vector."},
        ArrayCase{"Point3", qxCHAR_CLASS, 1, 3, {97, 98, 99}, {}, P3Vector, "Value must be a 3 element numeric vector."}));

INSTANTIATE_TEST_SUITE_P(
    Rectangle2, RecordFromArray,
    ::testing::Values(
        ArrayCase{"Rectangle2", qxDOUBLE_CLASS, 1, 4, {1.9, -2.9, 3, 4}, {1, -2, 3, 4}},
        ArrayCase{"Rectangle2", qxUINT8_CLASS, 1, 4, {1, 2, 3, 255}, {1, 2, 3, 255}},
        ArrayCase{"Rectangle2", qxINT64_CLASS, 1, 4, {-1, 4294967296.0, 3, 4}, {-1, 0, 3, 4}},
        ArrayCase{"Rectangle2", qxDOUBLE_CLASS, 4, 1, {1, 2, 3, 4}, {}, "datatypes:Rectangle2DataType:ArrayShape", "Input must be 1x4"},
        ArrayCase{"Rectangle2", qxLOGICAL_CLASS, 1, 4, {1, 1, 1, 1}, {}, "datatypes:Rectangle2DataType:ArrayClass", "Input is unsupported class"}));

INSTANTIATE_TEST_SUITE_P(
    Inset, RecordFromArray,
    ::testing::Values(
        ArrayCase{"Inset", qxDOUBLE_CLASS, 1, 4, {1, 2, 3, 4}, {1, 2, 3, 4}},
        // No value check at all.
        ArrayCase{"Inset", qxDOUBLE_CLASS, 1, 4, {nan, -1, inf, 0}, {nan, -1, inf, 0}},
        ArrayCase{"Inset", qxUINT16_CLASS, 1, 4, {1, 2, 3, 65535}, {1, 2, 3, 65535}},
        ArrayCase{"Inset", qxDOUBLE_CLASS, 1, 3, {1, 2, 3}, {}, InsetVector, "Value must be a 4 element vector."},
        ArrayCase{"Inset", qxLOGICAL_CLASS, 1, 4, {1, 0, 1, 0}, {}, InsetNumeric, "Value must be numeric."}));

INSTANTIATE_TEST_SUITE_P(
    BoundingVolume, RecordFromArray,
    ::testing::Values(
        // Storage order: column by column, so [0 0 0; 1 1 1] is 0 1 0 1 0 1.
        ArrayCase{"BoundingVolume", qxDOUBLE_CLASS, 2, 3, {0, 1, 0, 1, 0, 1}, {0, 1, 0, 1, 0, 1}},
        ArrayCase{"BoundingVolume", qxDOUBLE_CLASS, 2, 3, {-1, 2, -3, 4, -5, 6}, {-1, 2, -3, 4, -5, 6}},
        ArrayCase{"BoundingVolume", qxDOUBLE_CLASS, 2, 3, {2, 2, 3, 3, 4, 4}, {2, 2, 3, 3, 4, 4}},
        ArrayCase{"BoundingVolume", qxDOUBLE_CLASS, 2, 3, {nan, 1, 0, 1, 0, 1}, {nan, 1, 0, 1, 0, 1}},
        ArrayCase{"BoundingVolume", qxINT8_CLASS, 2, 3, {-1, 1, -2, 2, -3, 3}, {-1, 1, -2, 2, -3, 3}},
        ArrayCase{"BoundingVolume", qxDOUBLE_CLASS, 2, 3, {1, 0, 0, 1, 0, 1}, {}, BVWidth, BVWidthText},
        ArrayCase{"BoundingVolume", qxDOUBLE_CLASS, 2, 3, {0, 1, 0, 1, 1, 0}, {}, BVWidth, BVWidthText},
        ArrayCase{"BoundingVolume", qxDOUBLE_CLASS, 3, 2, {0, 0, 0, 1, 1, 1}, {},
                  "datatypes:BoundingVolumeDataType:ArrayShape", "Input must be 2"},
        ArrayCase{"BoundingVolume", qxDOUBLE_CLASS, 1, 6, {0, 1, 0, 1, 0, 1}, {},
                  "datatypes:BoundingVolumeDataType:ArrayShape", "Input must be 2"},
        ArrayCase{"BoundingVolume", qxCHAR_CLASS, 2, 3, {97, 97, 97, 97, 97, 97}, {},
                  "datatypes:BoundingVolumeDataType:ArrayClass", "Input is unsupported class"}));

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

TEST_P(RecordType, NullArrayArrayWithoutDataNullValueAndDefault)
{
    const TypeCase& c = GetParam();
    nyro::COSValue v;
    EXPECT_FALSE(raisedBy([&] { v = fromArray(c.type, nullptr); })) << "no array: the null value";
    EXPECT_TRUE(v.isNull());
    auto raised = raisedBy([&] { fromArray(c.type, arrayWithoutData(qxDOUBLE_CLASS, c.rows, c.cols)); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id + " " + raised->message, std::string(c.nullArrayId) + " " + c.nullArrayText);
    const qxArray* a = toArray(c.type, {});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(qxGetClassID(a), qxDOUBLE_CLASS);
    EXPECT_TRUE(qxIsEmpty(a));
    EXPECT_EQ(toText(c.type, {}), c.nullText);
    EXPECT_EQ(toText(c.type, type(c.type)->getDefaultValue()), c.defaultText);
}

TEST_P(RecordType, DifferentRecordsAreUnequal)
{
    const TypeCase& c = GetParam();
    std::vector<double> ones(c.rows * c.cols), other(c.rows * c.cols);
    for (std::size_t i = 0; i < ones.size(); ++i)
        other[i] = (ones[i] = double(i)) + (i % 2 ? 5 : 0); // keeps a volume's rows in order
    nyro::COSValue a = fromArray(c.type, makeArray(qxDOUBLE_CLASS, c.rows, c.cols, ones));
    nyro::COSValue b = fromArray(c.type, makeArray(qxDOUBLE_CLASS, c.rows, c.cols, other));
    EXPECT_FALSE(type(c.type)->isEqual(a, b));
    EXPECT_EQ(type(c.type)->compare(a, b), 2);
    for (nyro::COSValue v : {a, b})
        type(c.type)->destroy(v);
}

TEST_P(RecordType, NoHeapForTheCopyGivesTheNullValue)
{
    nyro::COSDataType* t = type(GetParam().type);
    nyro::COSValue d = t->getDefaultValue();
    long before = ut::test::liveBlocks();
    nyro::COSValue copy;
    {
        ut::test::AllocationFailure fail(1);
        copy = t->copy(d);
    }
    EXPECT_TRUE(copy.isNull());
    EXPECT_EQ(ut::test::liveBlocks(), before);
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
    if (!c.printed) {
        EXPECT_THROW(fromText(c.type, c.text), gui_objects::convert_from_string_utils::ParseException);
        return;
    }
    nyro::COSValue v = fromText(c.type, c.text);
    ASSERT_FALSE(v.isNull());
    EXPECT_EQ(toText(c.type, v), c.printed);
    type(c.type)->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RecordText,
    ::testing::Values(
        // Point2 reads its text through Point2d::asPoint2i, which rounds to nearest.
        TextCase{"Point2", "[1.7 2.9]", "[2 3]"}, TextCase{"Point2", "[-1.5 0.4]", "[-2 0]"},
        TextCase{"Point2", "[1e10 NaN]", "[2147483647 0]"}, TextCase{"Point2", "[1 2 3]", nullptr},
        TextCase{"Point2", "one two", nullptr},
        TextCase{"Point2d", "[0.5 1e-7]", "[0.5 1e-07]"},
        TextCase{"Point2d", "[123456789 0.1]", "[1.23457e+08 0.1]"}, TextCase{"Point2d", "[1]", nullptr},
        TextCase{"Point3", "[1 2 3]", "[1 2 3]"}, TextCase{"Point3", "[-0.25 Inf 3]", "[-0.25 inf 3]"},
        TextCase{"Point3", "[1 2]", nullptr},
        // Rectangle2 truncates toward zero.
        TextCase{"Rectangle2", "[1.9 -2.9 3 4]", "[1 -2 3 4]"},
        TextCase{"Rectangle2", "[NaN Inf -Inf 1]", "[0 2147483647 -2147483648 1]"},
        TextCase{"Rectangle2", "[1 2 3]", nullptr},
        TextCase{"Inset", "[1 2 3 4.5]", "[1 2 3 4.5]"},
        // Unreadable inset and volume texts give the default record.
        TextCase{"Inset", "margins", "[0 0 0 0]"}, TextCase{"Inset", "[1 2 3]", "[0 0 0 0]"},
        TextCase{"BoundingVolume", "[0 0 0; 1 2 3]", "[ 0 0 0 ; 1 2 3 ]"},
        TextCase{"BoundingVolume", "[-1.5 0 0; 1e6 2 3]", "[ -1.5 0 0 ; 1e+06 2 3 ]"},
        TextCase{"BoundingVolume", "[1 1 1; 0 0 0]", "[ 0 0 0 ; 0 0 0 ]"},
        TextCase{"BoundingVolume", "[0 0 0 1 1 1]", "[ 0 0 0 ; 0 0 0 ]"}));

// ---- comparisons ------------------------------------------------------------------------

TEST_F(HostTest, BoundingVolumesCompareByCenterAndWidths)
{
    nyro::COSDataType* t = type("BoundingVolume");
    auto volume = [](std::vector<double> v) { return fromArray("BoundingVolume", makeArray(qxDOUBLE_CLASS, 2, 3, v)); };
    nyro::COSValue a = volume({0, 2, 0, 2, 0, 2});
    nyro::COSValue same = volume({0, 2, 0, 2, 0, 2});
    nyro::COSValue shifted = volume({1, 3, 0, 2, 0, 2});
    nyro::COSValue wider = volume({-1, 3, 0, 2, 0, 2});
    EXPECT_TRUE(t->isEqual(a, same));
    EXPECT_FALSE(t->isEqual(a, shifted));
    EXPECT_FALSE(t->isEqual(a, wider)); // same center, other width
    for (nyro::COSValue v : {a, same, shifted, wider})
        t->destroy(v);
}

struct RoundoffCase {
    double a, b;
    bool equal;
};


class Roundoff : public ::testing::TestWithParam<RoundoffCase> {};

TEST_P(Roundoff, ScalarRule)
{
    const RoundoffCase& c = GetParam();
    using gui_objects::Inset2d;
    EXPECT_EQ(datatypes::equalWithinRoundoffError(Inset2d(c.a, 0, 0, 0), Inset2d(c.b, 0, 0, 0)), c.equal) << c.a << " " << c.b;
    EXPECT_EQ(datatypes::equalWithinRoundoffError(Inset2d(0, 0, 0, c.a), Inset2d(0, 0, 0, c.b)), c.equal) << c.a << " " << c.b;
}

INSTANTIATE_TEST_SUITE_P(Pairs, Roundoff,
                         ::testing::Values(RoundoffCase{0, 1e-13, true}, RoundoffCase{0, 2e-12, false},
                                           RoundoffCase{0.5, 0.5 + 9e-13, true}, RoundoffCase{0.5, 0.5 + 1.1e-12, false},
                                           RoundoffCase{1e6, 1e6 + 1e-7, true}, RoundoffCase{1e6, 1e6 + 1e-5, false},
                                           RoundoffCase{-1e12, -1e12 - 0.5, true}, RoundoffCase{1e12, 1e12 + 2, false},
                                           RoundoffCase{nan, nan, false}, RoundoffCase{inf, inf, false},
                                           RoundoffCase{-3, -3, true}));

} // namespace
