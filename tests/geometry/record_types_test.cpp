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

using vxtest::HostTest;

const double inf = INFINITY, nan = NAN;
const double kMaxInt = 2147483647.0, kMinInt = -2147483648.0;

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
nyro::COSValue fromText(const char* type, const char* text)
{
    return vxtest::conversion("string", type)->from(nyro::COSValue::fromPointer(text));
}

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

std::ostream& operator<<(std::ostream& os, const ArrayCase& c)
{
    os << c.type << " " << qx::className(c.cls) << " " << c.rows << "x" << c.cols << " [";
    for (double v : c.values)
        os << " " << v;
    return os << " ]";
}

class RecordFromArray : public HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(RecordFromArray, StoresOrRefusesWithTheTypesMessage)
{
    const ArrayCase& c = GetParam();
    qxArray* a = vxtest::makeArray(c.cls, c.rows, c.cols, c.values);
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
    EXPECT_EQ(qxGetClassID(back), qxDOUBLE_CLASS);
    EXPECT_EQ(qxGetM(back), c.rows);
    EXPECT_EQ(qxGetN(back), c.cols);
    EXPECT_TRUE(vxtest::sameElements(vxtest::elementsOf(back), c.stored));
    vxtest::type(c.type)->destroy(v);
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
        ArrayCase{"Point2d", qxDOUBLE_CLASS, 2, 1, {1, 2}, {}, "datatypes:Point2dDataType:ArrayShape",
                  "Input must be 1x2"},
        ArrayCase{"Point2d", qxCELL_CLASS, 1, 2, {}, {}, "datatypes:Point2dDataType:ArrayClass",
                  "Input is unsupported class"}));

INSTANTIATE_TEST_SUITE_P(
    Point3, RecordFromArray,
    ::testing::Values(
        ArrayCase{"Point3", qxDOUBLE_CLASS, 1, 3, {1, -2, 3.5}, {1, -2, 3.5}},
        ArrayCase{"Point3", qxINT16_CLASS, 1, 3, {-1, 2, 300}, {-1, 2, 300}},
        ArrayCase{"Point3", qxDOUBLE_CLASS, 1, 3, {1, nan, 3}, {}, P3Finite, "Input values must be finite numbers."},
        ArrayCase{"Point3", qxSINGLE_CLASS, 1, 3, {1, 2, inf}, {}, P3Finite, "Input values must be finite numbers."},
        ArrayCase{"Point3", qxDOUBLE_CLASS, 3, 1, {1, 2, 3}, {}, P3Vector, "Value must be a 3 element numeric vector."},
        ArrayCase{"Point3", qxCHAR_CLASS, 1, 3, {97, 98, 99}, {}, P3Vector,
                  "Value must be a 3 element numeric vector."}));

INSTANTIATE_TEST_SUITE_P(
    Rectangle2, RecordFromArray,
    ::testing::Values(
        ArrayCase{"Rectangle2", qxDOUBLE_CLASS, 1, 4, {1.9, -2.9, 3, 4}, {1, -2, 3, 4}},
        ArrayCase{"Rectangle2", qxUINT8_CLASS, 1, 4, {1, 2, 3, 255}, {1, 2, 3, 255}},
        ArrayCase{"Rectangle2", qxINT64_CLASS, 1, 4, {-1, 4294967296.0, 3, 4}, {-1, 0, 3, 4}},
        ArrayCase{"Rectangle2", qxDOUBLE_CLASS, 4, 1, {1, 2, 3, 4}, {}, "datatypes:Rectangle2DataType:ArrayShape",
                  "Input must be 1x4"},
        ArrayCase{"Rectangle2", qxLOGICAL_CLASS, 1, 4, {1, 1, 1, 1}, {}, "datatypes:Rectangle2DataType:ArrayClass",
                  "Input is unsupported class"}));

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
    int bytes;
    qxSize rows, cols;
    const char* nullArrayId;
    const char* nullArrayText;
    const char* nullText;    // text of the null value
    const char* defaultText; // text of the default value
};

std::ostream& operator<<(std::ostream& os, const TypeCase& c) { return os << c.type; }

class RecordType : public HostTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(RecordType, ReportsItsNameAndSize)
{
    const TypeCase& c = GetParam();
    nyro::COSDataType* t = vxtest::type(c.type);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->getName(), c.type);
    EXPECT_STREQ(t->getDeclarationName(), c.type);
    EXPECT_EQ(t->getValueSizeInBytes({}), c.bytes);
    EXPECT_EQ(t->getSizeInBits(), 8 * c.bytes);
    EXPECT_NE(nyro::JavaTypeConversion::getConversion(nyro::COSNameID(c.type)), nullptr);
}

TEST_P(RecordType, NullArrayGivesNullValueWithoutError)
{
    nyro::COSValue v;
    EXPECT_FALSE(vxtest::raisedBy([&] { v = fromArray(GetParam().type, nullptr); }).has_value());
    EXPECT_TRUE(v.isNull());
}

TEST_P(RecordType, ArrayWithoutDataIsTheNullArrayError)
{
    const TypeCase& c = GetParam();
    qxArray* a = vxtest::arrayWithoutData(qxDOUBLE_CLASS, c.rows, c.cols);
    auto raised = vxtest::raisedBy([&] { fromArray(c.type, a); });
    ASSERT_TRUE(raised.has_value());
    EXPECT_EQ(raised->id, c.nullArrayId);
    EXPECT_EQ(raised->message, c.nullArrayText);
}

TEST_P(RecordType, NullValueConvertsToEmptyDoubleAndItsNullText)
{
    const TypeCase& c = GetParam();
    const qxArray* a = toArray(c.type, {});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(qxGetClassID(a), qxDOUBLE_CLASS);
    EXPECT_EQ(qxGetM(a), 0u);
    EXPECT_EQ(qxGetN(a), 0u);
    EXPECT_EQ(toText(c.type, {}), c.nullText);
}

TEST_P(RecordType, DefaultIsCachedAndReadsAsZeros)
{
    const TypeCase& c = GetParam();
    nyro::COSDataType* t = vxtest::type(c.type);
    nyro::COSValue d = t->getDefaultValue();
    ASSERT_FALSE(d.isNull());
    EXPECT_EQ(t->getDefaultValue(), d);
    EXPECT_EQ(toText(c.type, d), c.defaultText);
}

TEST_P(RecordType, CopyEqualityAndCompare)
{
    const TypeCase& c = GetParam();
    nyro::COSDataType* t = vxtest::type(c.type);
    std::vector<double> ones(c.rows * c.cols), other(c.rows * c.cols);
    for (std::size_t i = 0; i < ones.size(); ++i) {
        ones[i] = double(i);
        other[i] = double(i) + (i % 2 ? 5 : 0); // keeps a volume's rows in order
    }
    nyro::COSValue a = fromArray(c.type, vxtest::makeArray(qxDOUBLE_CLASS, c.rows, c.cols, ones));
    nyro::COSValue b = fromArray(c.type, vxtest::makeArray(qxDOUBLE_CLASS, c.rows, c.cols, other));
    nyro::COSValue copy = t->copy(a);
    EXPECT_NE(copy, a);
    EXPECT_TRUE(t->isEqual(a, copy));
    EXPECT_EQ(t->compare(a, copy), 0);
    EXPECT_FALSE(t->isEqual(a, b));
    EXPECT_EQ(t->compare(a, b), 2);
    EXPECT_TRUE(t->isEqual({}, {}));
    EXPECT_FALSE(t->isEqual(a, {}));
    EXPECT_FALSE(t->isEqual({}, a));
    EXPECT_TRUE(t->copy({}).isNull());
    t->destroy({});
    for (nyro::COSValue v : {a, b, copy})
        t->destroy(v);
}

TEST_P(RecordType, NoHeapForTheCopyGivesTheNullValue)
{
    const TypeCase& c = GetParam();
    nyro::COSDataType* t = vxtest::type(c.type);
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
        TypeCase{"Point2", 8, 1, 2, "datatypes:Point2DataType:ArrayNull", "Input is NULL", "[0 0]", "[0 0]"},
        TypeCase{"Point2d", 16, 1, 2, "datatypes:Point2dDataType:ArrayNull", "Input is NULL", "", "[0 0]"},
        TypeCase{"Point3", 24, 1, 3, "datatypes:Point3DataType:ArrayNull", "Input is NULL.", "", "[0 0 0]"},
        TypeCase{"Rectangle2", 16, 1, 4, "datatypes:Rectangle2DataType:ArrayNull", "Input is NULL", "[0 0 0 0]",
                 "[0 0 0 0]"},
        TypeCase{"Inset", 32, 1, 4, "datatypes:InsetDataType:ArrayNull", "Input is NULL", "", "[0 0 0 0]"},
        TypeCase{"BoundingVolume", 52, 2, 3, "datatypes:BoundingVolumeDataType:ArrayNull", "Input is NULL", "",
                 "[ 0 0 0 ; 0 0 0 ]"}),
    [](const auto& info) { return std::string(info.param.type); });

// ---- text to value and back ------------------------------------------------------------

struct TextCase {
    const char* type;
    const char* text;
    const char* printed; // null: the parse exception leaves the converter
};

std::ostream& operator<<(std::ostream& os, const TextCase& c) { return os << c.type << " '" << c.text << "'"; }

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
    vxtest::type(c.type)->destroy(v);
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
    nyro::COSDataType* t = vxtest::type("BoundingVolume");
    auto volume = [](std::vector<double> v) {
        return fromArray("BoundingVolume", vxtest::makeArray(qxDOUBLE_CLASS, 2, 3, v));
    };
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

std::ostream& operator<<(std::ostream& os, const RoundoffCase& c) { return os << c.a << " vs " << c.b; }

class Roundoff : public ::testing::TestWithParam<RoundoffCase> {};

TEST_P(Roundoff, ScalarRule)
{
    const RoundoffCase& c = GetParam();
    EXPECT_EQ(datatypes::equalWithinRoundoffError(gui_objects::Inset2d(c.a, 0, 0, 0), gui_objects::Inset2d(c.b, 0, 0, 0)),
              c.equal)
        << c.a << " " << c.b;
    EXPECT_EQ(datatypes::equalWithinRoundoffError(gui_objects::Inset2d(0, 0, 0, c.a), gui_objects::Inset2d(0, 0, 0, c.b)),
              c.equal)
        << c.a << " " << c.b;
}

INSTANTIATE_TEST_SUITE_P(Pairs, Roundoff,
                         ::testing::Values(RoundoffCase{0, 1e-13, true}, RoundoffCase{0, 2e-12, false},
                                           RoundoffCase{0.5, 0.5 + 9e-13, true}, RoundoffCase{0.5, 0.5 + 1.1e-12, false},
                                           RoundoffCase{1e6, 1e6 + 1e-7, true}, RoundoffCase{1e6, 1e6 + 1e-5, false},
                                           RoundoffCase{-1e12, -1e12 - 0.5, true}, RoundoffCase{1e12, 1e12 + 2, false},
                                           RoundoffCase{nan, nan, false}, RoundoffCase{inf, inf, false},
                                           RoundoffCase{-3, -3, true}));

} // namespace
