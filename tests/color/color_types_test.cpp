// RGBAColor, MeshColor and MeshAlpha through their registered converters: text
// and host arrays in, values, texts and arrays out, and the refusals.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "color/color_types.h"
#include "geometry/array_support.h"
#include "support/host_fixture.h"
#include "support/text_arrays.h"
#include "ut/ut.h"

namespace {

using datatypes::MeshAlpha;
using datatypes::MeshColor;
using datatypes::RGBAColor;
using nyro::COSValue;
using vxtest::HostTest;

const double nan = NAN;

// What a value holds: its style number and components (MeshAlpha: alpha only,
// the color components read as 0).
struct Held {
    int style;
    double r, g, b, a;
    friend bool operator==(const Held& x, const Held& y)
    {
        return x.style == y.style && x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
    }
};
std::ostream& operator<<(std::ostream& os, const Held& h)
{
    return os << "style " << h.style << " (" << h.r << ", " << h.g << ", " << h.b << ", " << h.a << ")";
}

Held held(const std::string& type, COSValue v)
{
    if (type == "RGBAColor") {
        const RGBAColor* c = datatypes::RGBAColorDataType::valueOf(v);
        return {c->getStyle(), c->getRed(), c->getGreen(), c->getBlue(), c->getAlpha()};
    }
    if (type == "MeshColor") {
        const MeshColor* c = datatypes::MeshColorDataType::valueOf(v);
        return {c->getStyle(), c->getRed(), c->getGreen(), c->getBlue(), c->getAlpha()};
    }
    const MeshAlpha* m = datatypes::MeshAlphaDataType::valueOf(v);
    return {m->getStyle(), 0, 0, 0, m->getAlpha()};
}

// A value made by a conversion, destroyed with its type.
struct Made {
    const char* type;
    COSValue v;
    ~Made() { vxtest::type(type)->destroy(v); }
};

// What a conversion did: the value it held, or the error it raised, or neither
// (the null value).
struct Outcome {
    std::optional<Held> value;
    std::string id, message;
};

template <class F>
Outcome outcomeOf(const char* type, F&& convert)
{
    Made made{type, {}};
    testing::internal::CaptureStdout(); // the color table's notice of ambiguous names
    auto raised = vxtest::raisedBy([&] { made.v = convert(); });
    testing::internal::GetCapturedStdout();
    Outcome o;
    if (raised) {
        o.id = raised->id;
        o.message = raised->message;
        EXPECT_TRUE(made.v.isNull()) << "a value after an error";
    } else if (!made.v.isNull()) {
        o.value = held(type, made.v);
    }
    return o;
}

void expectOutcome(const Outcome& got, const std::optional<Held>& value, const char* id, const char* message)
{
    if (id) {
        EXPECT_FALSE(got.value.has_value()) << *got.value;
        EXPECT_EQ(got.id, id);
        if (message) {
            EXPECT_EQ(got.message, message);
        }
        return;
    }
    EXPECT_EQ(got.id, "") << got.message;
    ASSERT_EQ(got.value.has_value(), value.has_value());
    if (value) {
        EXPECT_EQ(*got.value, *value);
    }
}

const char* const OutOfRange = "KELDAR:datatypes:OutOfRangeElement";
const char* const ParseError = "KELDAR:datatypes:RGBAColor:ParseError";
const char* const TableAmbiguous = "KELDAR:datatypes:RGBAColor:AmbiguousName";
const char* const Numeric1 = "KELDAR:vx:dt_conv:Matrix_to_Real:ExpectedNumeric1";
const char* const Numeric = "KELDAR:vx:dt_conv:Matrix_to_Real:ExpectedNumeric";
const char* const NumericText = "Value must be numeric";

// ---- text in -------------------------------------------------------------------------------

struct TextCase {
    const char* type;
    const char* text;
    std::optional<Held> value;
    const char* id = nullptr;
    const char* message = nullptr;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.type << " '" << c.text << "'"; }

class ColorFromText : public HostTest, public ::testing::WithParamInterface<TextCase> {};

// The string converter and the array converter given a char array of the same
// text follow the same rule.
TEST_P(ColorFromText, StringAndCharArrayGiveTheSameValueOrError)
{
    const TextCase& c = GetParam();
    Outcome viaText = outcomeOf(c.type, [&] {
        return vxtest::conversion("string", c.type)->from(COSValue::fromPointer(c.text));
    });
    expectOutcome(viaText, c.value, c.id, c.message);
    gui_objects::QxArrayPtr chars(qxCreateString(c.text));
    Outcome viaArray = outcomeOf(c.type, [&] {
        return vxtest::conversion("any", c.type)->from(COSValue::fromPointer(chars.get()));
    });
    expectOutcome(viaArray, c.value, c.id, c.message);
}

const Held black{1, 0, 0, 0, 1};
Held rgba(double r, double g, double b, double a = 1) { return {1, r, g, b, a}; }
Held rgbaRule(int style) { return {style, 0, 0, 0, 1}; }

INSTANTIATE_TEST_SUITE_P(
    RGBAColor, ColorFromText,
    ::testing::Values(TextCase{"RGBAColor", "none", rgbaRule(0)}, TextCase{"RGBAColor", "NONE", rgbaRule(0)},
                      TextCase{"RGBAColor", "n", rgbaRule(0)}, TextCase{"RGBAColor", "no", rgbaRule(0)},
                      TextCase{"RGBAColor", "r", rgba(1, 0, 0)}, TextCase{"RGBAColor", "Red", rgba(1, 0, 0)},
                      // "color" names the color style: never a rule, so read as a color.
                      TextCase{"RGBAColor", "c", rgba(0, 1, 1)}, TextCase{"RGBAColor", "co", {}, ParseError},
                      TextCase{"RGBAColor", "color", {}, ParseError},
                      TextCase{"RGBAColor", "[0.2 0.4 0.6]", rgba(0.2, 0.4, 0.6)},
                      TextCase{"RGBAColor", "[0.2 0.4 0.6 0.5]", rgba(0.2, 0.4, 0.6, 0.5)},
                      TextCase{"RGBAColor", "[1 0 2]", {}, OutOfRange,
                               "Color value contains NaN, or element out of range 0.0 <= value <= 1.0 ."},
                      TextCase{"RGBAColor", "purple", {}, ParseError},
                      TextCase{"RGBAColor", "bl", {}, TableAmbiguous,
                               "Color table contains several names that match the specified string."},
                      TextCase{"RGBAColor", "", {}, TableAmbiguous}));

Held mesh(double r, double g, double b) { return {0, r, g, b, 1}; }
Held meshRule(int style) { return {style, 0, 0, 0, 1}; }

INSTANTIATE_TEST_SUITE_P(
    MeshColor, ColorFromText,
    ::testing::Values(TextCase{"MeshColor", "flat", meshRule(2)}, TextCase{"MeshColor", "f", meshRule(2)},
                      TextCase{"MeshColor", "interp", meshRule(3)}, TextCase{"MeshColor", "i", meshRule(3)},
                      TextCase{"MeshColor", "texturemap", meshRule(4)}, TextCase{"MeshColor", "t", meshRule(4)},
                      TextCase{"MeshColor", "auto", meshRule(5)}, TextCase{"MeshColor", "A", meshRule(5)},
                      TextCase{"MeshColor", "none", meshRule(1)}, TextCase{"MeshColor", "n", meshRule(1)},
                      TextCase{"MeshColor", "c", mesh(0, 1, 1)}, TextCase{"MeshColor", "r", mesh(1, 0, 0)},
                      TextCase{"MeshColor", "b", mesh(0, 0, 1)}, TextCase{"MeshColor", "[1 0 0]", mesh(1, 0, 0)},
                      TextCase{"MeshColor", "[1 0 0 0.25]", Held{0, 1, 0, 0, 0.25}},
                      TextCase{"MeshColor", "color", {}, ParseError},
                      TextCase{"MeshColor", "[0 0 -1]", {}, OutOfRange}));

Held alpha(double a) { return {0, 0, 0, 0, a}; }
Held alphaRule(int style) { return {style, 0, 0, 0, 1}; }

INSTANTIATE_TEST_SUITE_P(
    MeshAlpha, ColorFromText,
    ::testing::Values(TextCase{"MeshAlpha", "0.5", alpha(0.5)}, TextCase{"MeshAlpha", "  0.25xyz", alpha(0.25)},
                      TextCase{"MeshAlpha", "\t-3e1", alpha(-30)}, TextCase{"MeshAlpha", "7", alpha(7)},
                      TextCase{"MeshAlpha", "flat", alphaRule(1)}, TextCase{"MeshAlpha", "interp", alphaRule(2)},
                      TextCase{"MeshAlpha", "TEX", alphaRule(3)},
                      TextCase{"MeshAlpha", "abc", {}, Numeric1, NumericText},
                      TextCase{"MeshAlpha", "alpha", {}, Numeric1, NumericText},
                      TextCase{"MeshAlpha", "al", {}, Numeric1}, TextCase{"MeshAlpha", "", {}, Numeric1},
                      TextCase{"MeshAlpha", "x0.5", {}, Numeric1}));

// ---- arrays in -----------------------------------------------------------------------------

struct ArrayCase {
    const char* type;
    qxClassID cls;
    qxSize rows, cols;
    std::vector<double> values;
    std::optional<Held> value; // none and no id: the null value
    const char* id = nullptr;
    const char* message = nullptr;
};
void PrintTo(const ArrayCase& c, std::ostream* os)
{
    *os << c.type << " " << qx::className(c.cls) << " " << c.rows << "x" << c.cols;
}

class ColorFromArray : public HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(ColorFromArray, GivesTheValueOrTheTypesError)
{
    const ArrayCase& c = GetParam();
    gui_objects::QxArrayPtr a(vxtest::makeArray(c.cls, c.rows, c.cols, c.values));
    Outcome got = outcomeOf(c.type, [&] {
        return vxtest::conversion("any", c.type)->from(COSValue::fromPointer(a.get()));
    });
    expectOutcome(got, c.value, c.id, c.message);
}

const char* const BadValue = "KELDAR:vx:dt_conv:BadColorValue";
const char* const BadValueText = "Color value contains NaN, or element out of range 0.0 <= value <= 1.0";
const char* const NotThree = "KELDAR:vx:dt_conv:ValueMustBe3ElementVector";
const char* const NotThreeText = "Color value must be a 3 element double vector";
const char* const NotDouble = "KELDAR:vx:dt_conv:ValueMustBe3Double";

INSTANTIATE_TEST_SUITE_P(
    RGBAColor, ColorFromArray,
    ::testing::Values(ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 1, 3, {1, 0, 0}, rgba(1, 0, 0)},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 3, 1, {0, 0.5, 1}, rgba(0, 0.5, 1)},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 1, 4, {1, 0, 0, 0.5}, rgba(1, 0, 0, 0.5)},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 2, 2, {0, 0, 0, 0}, rgba(0, 0, 0, 0)},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 1, 4, {1, 0, 0, 1.5}, {}, BadValue, BadValueText},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 1, 3, {nan, 0, 0}, {}, BadValue},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 1, 3, {0, 0, -0.01}, {}, BadValue},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 1, 2, {1, 0}, {}, NotThree, NotThreeText},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 1, 5, {1, 0, 0, 1, 1}, {}, NotThree},
                      ArrayCase{"RGBAColor", qxDOUBLE_CLASS, 0, 0, {}, {}, NotThree},
                      ArrayCase{"RGBAColor", qxINT32_CLASS, 1, 3, {1, 0, 0}, {}, NotDouble, NotThreeText},
                      ArrayCase{"RGBAColor", qxSINGLE_CLASS, 1, 3, {1, 0, 0}, {}, NotDouble},
                      ArrayCase{"RGBAColor", qxLOGICAL_CLASS, 1, 3, {1, 0, 0}, {}, NotDouble},
                      ArrayCase{"RGBAColor", qxCELL_CLASS, 1, 3, {}, {}, NotDouble}));

INSTANTIATE_TEST_SUITE_P(
    MeshColor, ColorFromArray,
    ::testing::Values(
        // Floating elements are taken as they are, with no range check.
        ArrayCase{"MeshColor", qxDOUBLE_CLASS, 1, 3, {0.5, 2, -1}, mesh(0.5, 2, -1)},
        ArrayCase{"MeshColor", qxSINGLE_CLASS, 1, 3, {0.25, 0.5, 4}, mesh(0.25, 0.5, 4)},
        // Integer elements: the lowest byte, scaled to 0..1.
        ArrayCase{"MeshColor", qxUINT8_CLASS, 1, 3, {255, 0, 51}, mesh(1, 0, 0.2)},
        ArrayCase{"MeshColor", qxINT16_CLASS, 1, 3, {256, 0, 0}, mesh(0, 0, 0)},
        ArrayCase{"MeshColor", qxINT8_CLASS, 1, 3, {-1, 0, 0}, mesh(1, 0, 0)},
        ArrayCase{"MeshColor", qxINT32_CLASS, 1, 3, {511, 257, 102}, mesh(1, 1.0 / 255, 0.4)},
        ArrayCase{"MeshColor", qxUINT64_CLASS, 3, 1, {4294967295.0, 0, 0}, mesh(1, 0, 0)},
        ArrayCase{"MeshColor", qxDOUBLE_CLASS, 1, 2, {1, 0}, {}, Numeric1, NumericText},
        ArrayCase{"MeshColor", qxDOUBLE_CLASS, 1, 4, {1, 0, 0, 1}, {}, Numeric1},
        ArrayCase{"MeshColor", qxLOGICAL_CLASS, 1, 3, {1, 0, 0}, {}, Numeric, NumericText},
        ArrayCase{"MeshColor", qxCELL_CLASS, 1, 3, {}, {}, Numeric},
        ArrayCase{"MeshColor", qxLOGICAL_CLASS, 1, 2, {1, 0}, {}, Numeric1}));

INSTANTIATE_TEST_SUITE_P(
    MeshAlpha, ColorFromArray,
    ::testing::Values(ArrayCase{"MeshAlpha", qxDOUBLE_CLASS, 1, 1, {2.5}, alpha(2.5)},
                      ArrayCase{"MeshAlpha", qxINT8_CLASS, 1, 1, {-3}, alpha(-3)},
                      ArrayCase{"MeshAlpha", qxUINT64_CLASS, 1, 1, {7}, alpha(7)},
                      ArrayCase{"MeshAlpha", qxSINGLE_CLASS, 1, 1, {0.5}, alpha(0.5)},
                      // A non-scalar is no value, and no error.
                      ArrayCase{"MeshAlpha", qxDOUBLE_CLASS, 1, 2, {0.1, 0.2}, std::nullopt},
                      ArrayCase{"MeshAlpha", qxDOUBLE_CLASS, 0, 0, {}, std::nullopt},
                      ArrayCase{"MeshAlpha", qxCELL_CLASS, 1, 2, {}, std::nullopt},
                      ArrayCase{"MeshAlpha", qxLOGICAL_CLASS, 1, 1, {1}, {}, Numeric, NumericText},
                      ArrayCase{"MeshAlpha", qxCELL_CLASS, 1, 1, {}, {}, Numeric}));

// A NaN element makes a value that is not equal to itself; it is still a value.
TEST_F(HostTest, MeshColorKeepsNaNElements)
{
    gui_objects::QxArrayPtr a(vxtest::makeArray(qxDOUBLE_CLASS, 1, 3, {nan, 0, 0}));
    Made made{"MeshColor", vxtest::conversion("any", "MeshColor")->from(COSValue::fromPointer(a.get()))};
    ASSERT_FALSE(made.v.isNull());
    EXPECT_TRUE(std::isnan(datatypes::MeshColorDataType::valueOf(made.v)->getRed()));
    EXPECT_FALSE(vxtest::type("MeshColor")->isEqual(made.v, made.v));
}

TEST_F(HostTest, ArraysWithoutDataOrSparseAreRefused)
{
    struct Row {
        const char* type;
        qxArray* array;
        const char* id;
    } rows[] = {
        {"RGBAColor", vxtest::arrayWithoutData(qxDOUBLE_CLASS, 1, 3), NotThree},
        {"RGBAColor", qxCreateSparse(1, 3, 3, qxREAL), NotThree},
        {"MeshColor", vxtest::arrayWithoutData(qxDOUBLE_CLASS, 1, 3), Numeric1},
        {"MeshColor", qxCreateSparse(1, 3, 3, qxREAL), Numeric},
        {"MeshAlpha", vxtest::arrayWithoutData(qxINT8_CLASS, 1, 1), Numeric},
        {"MeshAlpha", qxCreateSparse(1, 1, 1, qxREAL), Numeric},
    };
    for (const Row& r : rows) {
        gui_objects::QxArrayPtr owned(r.array);
        Outcome got = outcomeOf(r.type, [&] {
            return vxtest::conversion("any", r.type)->from(COSValue::fromPointer(owned.get()));
        });
        EXPECT_EQ(got.id, r.id) << r.type;
    }
}

// ---- values out ----------------------------------------------------------------------------

struct OutCase {
    const char* type;
    const char* text; // made by the string converter
    const char* written;
    const char* array; // vxtest::describe of the array read back
    std::vector<double> numbers = {};
};
void PrintTo(const OutCase& c, std::ostream* os) { *os << c.type << " '" << c.text << "'"; }

class ColorWrittenBack : public HostTest, public ::testing::WithParamInterface<OutCase> {};

TEST_P(ColorWrittenBack, TextAndArray)
{
    const OutCase& c = GetParam();
    Made made{c.type, vxtest::conversion("string", c.type)->from(COSValue::fromPointer(c.text))};
    ASSERT_FALSE(made.v.isNull());
    char* text = nyro::pointerValue<char*>(vxtest::conversion("string", c.type)->to(made.v));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, c.written);
    utFree(text);
    gui_objects::QxArrayPtr a(nyro::pointerValue<qxArray*>(vxtest::conversion("any", c.type)->to(made.v)));
    EXPECT_EQ(vxtest::describe(a.get()), c.array);
    if (qxGetClassID(a.get()) == qxDOUBLE_CLASS) {
        EXPECT_EQ(vxtest::elementsOf(a.get()), c.numbers);
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, ColorWrittenBack,
    ::testing::Values(
        OutCase{"RGBAColor", "none", "none", "1x4 char ['none']"},
        OutCase{"RGBAColor", "r", "[ 1 0 0 ]", "1x3 double", {1, 0, 0}},
        OutCase{"RGBAColor", "[1 0 0 0.5]", "[ 1 0 0 ]", "1x3 double", {1, 0, 0}},
        OutCase{"RGBAColor", "[0.5 0.25 0.125]", "[ 0.5 0.25 0.125 ]", "1x3 double", {0.5, 0.25, 0.125}},
        OutCase{"RGBAColor", "[0.123456789 1 0]", "[ 0.123457 1 0 ]", "1x3 double", {0.123456789, 1, 0}},
        OutCase{"MeshColor", "none", "none", "1x4 char ['none']"},
        OutCase{"MeshColor", "i", "interp", "1x6 char ['interp']"},
        OutCase{"MeshColor", "texture", "texturemap", "1x10 char ['texturemap']"},
        OutCase{"MeshColor", "y", "[ 1 1 0 ]", "1x3 double", {1, 1, 0}},
        OutCase{"MeshAlpha", "0.5", "0.5", "1x1 double", {0.5}},
        OutCase{"MeshAlpha", "1234567", "1.23457e+06", "1x1 double", {1234567}},
        OutCase{"MeshAlpha", "f", "flat", "1x4 char ['flat']"}));

TEST_F(HostTest, NullValuesReadBackAsEmptyArraysAndNoText)
{
    for (const char* type : {"RGBAColor", "MeshColor", "MeshAlpha"}) {
        gui_objects::QxArrayPtr a(nyro::pointerValue<qxArray*>(vxtest::conversion("any", type)->to(COSValue())));
        EXPECT_EQ(vxtest::describe(a.get()), "0x0 double") << type;
        EXPECT_TRUE(vxtest::conversion("string", type)->to(COSValue()).isNull()) << type;
        EXPECT_TRUE(vxtest::conversion("string", type)->from(COSValue()).isNull()) << type;
        EXPECT_TRUE(vxtest::conversion("any", type)->from(COSValue()).isNull()) << type;
    }
}

// ---- equality and visibility ---------------------------------------------------------------

struct EqualCase {
    const char* type;
    const char* a;
    const char* b;
    bool equal;
};
void PrintTo(const EqualCase& c, std::ostream* os) { *os << c.type << " '" << c.a << "' '" << c.b << "'"; }

class ColorEquality : public HostTest, public ::testing::WithParamInterface<EqualCase> {};

TEST_P(ColorEquality, RulesIgnoreComponentsColorsCompareThem)
{
    const EqualCase& c = GetParam();
    nyro::COSTypeConversion* sc = vxtest::conversion("string", c.type);
    Made a{c.type, sc->from(COSValue::fromPointer(c.a))};
    Made b{c.type, sc->from(COSValue::fromPointer(c.b))};
    nyro::COSDataType* t = vxtest::type(c.type);
    EXPECT_EQ(t->isEqual(a.v, b.v), c.equal);
    EXPECT_EQ(t->compare(a.v, b.v), c.equal ? 0 : 2);
}

INSTANTIATE_TEST_SUITE_P(
    All, ColorEquality,
    ::testing::Values(EqualCase{"RGBAColor", "r", "[1 0 0]", true}, EqualCase{"RGBAColor", "none", "n", true},
                      EqualCase{"RGBAColor", "[1 0 0 0.5]", "[1 0 0]", false},
                      EqualCase{"RGBAColor", "none", "k", false}, EqualCase{"MeshColor", "flat", "f", true},
                      EqualCase{"MeshColor", "flat", "interp", false},
                      EqualCase{"MeshColor", "[0 0 0 0]", "k", false}, EqualCase{"MeshColor", "none", "k", false},
                      EqualCase{"MeshAlpha", "0.5", " 0.5", true}, EqualCase{"MeshAlpha", "0.5", "0.25", false},
                      EqualCase{"MeshAlpha", "interp", "i", true}, EqualCase{"MeshAlpha", "1", "flat", false}));

// Rules are equal whatever their components.
TEST(StyledColorValue, RulesCompareByStyleOnly)
{
    RGBAColor a(1, 0, 0, 1), b(0, 1, 0, 0.5);
    a.setStyle(datatypes::ColorStyle::kNone);
    b.setStyle(datatypes::ColorStyle::kNone);
    EXPECT_TRUE(a == b);
    MeshColor c(1, 0, 0, 1), d(0, 0, 1, 1);
    c.setStyle(datatypes::MeshColorStyle::kAuto);
    d.setStyle(datatypes::MeshColorStyle::kAuto);
    EXPECT_TRUE(c == d);
    MeshAlpha e(datatypes::MeshAlphaStyle::kFlat, 0.2), f(datatypes::MeshAlphaStyle::kFlat, 0.9);
    EXPECT_TRUE(e == f);
}

struct VisibleCase {
    int style;
    double alpha;
    bool rgba; // RGBAColor::isVisible (styles 0 and 1 only)
    bool mesh; // MeshColor::isVisible
};

class ColorVisibility : public ::testing::TestWithParam<VisibleCase> {};

TEST_P(ColorVisibility, ByStyleAndAlpha)
{
    const VisibleCase& c = GetParam();
    MeshColor m(0, 0, 0, c.alpha);
    m.setStyle(static_cast<datatypes::MeshColorStyle::value>(c.style));
    EXPECT_EQ(m.isVisible(), c.mesh);
    if (c.style <= 1) {
        RGBAColor r(0, 0, 0, c.alpha);
        r.setStyle(static_cast<datatypes::ColorStyle::value>(c.style));
        EXPECT_EQ(r.isVisible(), c.rgba);
    }
}

// RGBAColor: 0 none, 1 color; MeshColor: 0 color, 1 none, 2-5 rules.
INSTANTIATE_TEST_SUITE_P(Styles, ColorVisibility,
                         ::testing::Values(VisibleCase{0, 1, false, true}, VisibleCase{0, 0, false, false},
                                           VisibleCase{1, 0.5, true, false}, VisibleCase{1, 0, false, false},
                                           VisibleCase{2, 0, false, true}, VisibleCase{5, 0, false, true}));

// ---- rule names that are also color names ------------------------------------------------

class ColorsAddedToTable : public HostTest {
protected:
    void TearDown() override
    {
        datatypes::ColorNameTable::getInstance().reset();
        HostTest::TearDown();
    }
};

TEST_F(ColorsAddedToTable, RuleNamesBeginningAColorNameAreAmbiguous)
{
    auto& table = datatypes::ColorNameTable::getInstance();
    table.addNamedColor("nonesuch", 0.1, 0.1, 0.1, false);
    table.addNamedColor("flatgray", 0.4, 0.4, 0.4, false);
    struct Row {
        const char* type;
        const char* text;
        const char* id;
    } rows[] = {
        {"RGBAColor", "none", "KELDAR:datatypes:RGBAColor:AmbiguousName"},
        {"RGBAColor", "n", "KELDAR:datatypes:RGBAColor:AmbiguousName"},
        {"MeshColor", "flat", "KELDAR:datatypes:MeshColor:AmbiguousName"},
        {"MeshColor", "none", "KELDAR:datatypes:MeshColor:AmbiguousName"},
    };
    for (const Row& r : rows) {
        Outcome got = outcomeOf(r.type, [&] {
            return vxtest::conversion("string", r.type)->from(COSValue::fromPointer(r.text));
        });
        EXPECT_EQ(got.id, r.id) << r.text;
        EXPECT_EQ(got.message, "Color table contains several names that match the specified string") << r.text;
    }
    // A color name that no rule name begins with is still a color.
    Outcome flatgray = outcomeOf("MeshColor", [&] {
        return vxtest::conversion("string", "MeshColor")->from(COSValue::fromPointer("flatg"));
    });
    ASSERT_TRUE(flatgray.value.has_value()) << flatgray.id;
    EXPECT_EQ(*flatgray.value, mesh(0.4, 0.4, 0.4));
}

// ---- defaults and storage ------------------------------------------------------------------

TEST_F(HostTest, DefaultsAreOpaqueBlackAndFullOpacity)
{
    EXPECT_EQ(held("RGBAColor", vxtest::type("RGBAColor")->getDefaultValue()), black);
    EXPECT_EQ(held("MeshColor", vxtest::type("MeshColor")->getDefaultValue()), mesh(0, 0, 0));
    EXPECT_EQ(held("MeshAlpha", vxtest::type("MeshAlpha")->getDefaultValue()), alpha(1));
}

// RGBAColor values take ColorBase's storage (none gives the null value); mesh
// colors and alphas throw the object system's out-of-memory exception.
TEST_F(HostTest, CopiesWithoutHeap)
{
    nyro::COSDataType* rgba = vxtest::type("RGBAColor");
    COSValue red = vxtest::conversion("string", "RGBAColor")->from(COSValue::fromPointer("r"));
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_TRUE(rgba->copy(red).isNull());
    }
    rgba->destroy(red);
    for (const char* type : {"MeshColor", "MeshAlpha"}) {
        nyro::COSDataType* t = vxtest::type(type);
        COSValue def = t->getDefaultValue();
        ut::test::AllocationFailure fail(1);
        EXPECT_THROW(t->copy(def), nyro::COSOutOfMemoryException) << type;
    }
}

} // namespace
