// RGBAColor, MeshColor and MeshAlpha through their registered converters: text
// and host arrays in, values, texts and arrays out, and the refusals.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "arrays/array_inputs.h"
#include "color/color_types.h"
#include "support/host_fixture.h"
#include "support/text_arrays.h"
#include "ut/ut.h"

namespace {

using datatypes::MeshAlpha;
using datatypes::MeshColor;
using datatypes::RGBAColor;
using nyro::COSValue;
using vxtest::HostTest;
using vxtest::Input;

// What a value holds: "style 1 (r, g, b, a)", for MeshAlpha "style 0 (alpha)".
std::string held(const std::string& type, COSValue v)
{
    std::ostringstream os;
    auto color = [&](const auto* c) {
        os << "style " << c->getStyle() << " (" << c->getRed() << ", " << c->getGreen() << ", " << c->getBlue() << ", "
           << c->getAlpha() << ")";
    };
    if (type == "RGBAColor")
        color(datatypes::RGBAColorDataType::valueOf(v));
    else if (type == "MeshColor")
        color(datatypes::MeshColorDataType::valueOf(v));
    else
        os << "style " << datatypes::MeshAlphaDataType::valueOf(v)->getStyle() << " ("
           << datatypes::MeshAlphaDataType::valueOf(v)->getAlpha() << ")";
    return os.str();
}

// What a conversion did: the value it made (then destroyed), "null", or the
// identifier of the error it raised (its text goes to `message`).
template <class F>
std::string outcomeOf(const char* type, F&& convert, std::string* message = nullptr)
{
    COSValue v;
    testing::internal::CaptureStdout(); // the color table's notice of ambiguous names
    auto raised = vxtest::raisedBy([&] { v = convert(); });
    testing::internal::GetCapturedStdout();
    if (raised) {
        if (message)
            *message = raised->message;
        return raised->id;
    }
    std::string out = v.isNull() ? "null" : held(type, v);
    vxtest::type(type)->destroy(v);
    return out;
}

const char* const OutOfRange = "KELDAR:datatypes:OutOfRangeElement";
const char* const ParseError = "KELDAR:datatypes:RGBAColor:ParseError";
const char* const Numeric1 = "KELDAR:vx:dt_conv:Matrix_to_Real:ExpectedNumeric1";
const char* const Numeric = "KELDAR:vx:dt_conv:Matrix_to_Real:ExpectedNumeric";
const char* const NumericText = "Value must be numeric";

// ---- text in -------------------------------------------------------------------------------

struct TextCase {
    const char* type;
    const char* text;
    std::string expected;
    const char* message = nullptr;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.type << " '" << c.text << "'"; }

class ColorFromText : public HostTest, public ::testing::WithParamInterface<TextCase> {};

// The string converter and the array converter given a char array of the same
// text follow the same rule.
TEST_P(ColorFromText, StringAndCharArrayGiveTheSameValueOrError)
{
    const TextCase& c = GetParam();
    std::string message;
    EXPECT_EQ(outcomeOf(c.type, [&] { return vxtest::fromText(c.type, c.text); }, &message), c.expected);
    if (c.message)
        EXPECT_EQ(message, c.message);
    gui_objects::QxArrayPtr chars(qxCreateString(c.text));
    EXPECT_EQ(outcomeOf(c.type, [&] { return vxtest::fromArray(c.type, chars.get()); }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, ColorFromText,
    ::testing::Values(TextCase{"RGBAColor", "none", "style 0 (0, 0, 0, 1)"},
                      TextCase{"RGBAColor", "n", "style 0 (0, 0, 0, 1)"},
                      // "color" names the color style: never a rule, so read as a color.
                      TextCase{"RGBAColor", "c", "style 1 (0, 1, 1, 1)"}, TextCase{"RGBAColor", "co", ParseError},
                      TextCase{"RGBAColor", "[0.2 0.4 0.6 0.5]", "style 1 (0.2, 0.4, 0.6, 0.5)"},
                      TextCase{"RGBAColor", "[1 0 2]", OutOfRange},
                      TextCase{"RGBAColor", "bl", "KELDAR:datatypes:RGBAColor:AmbiguousName"},
                      TextCase{"MeshColor", "flat", "style 2 (0, 0, 0, 1)"},
                      TextCase{"MeshColor", "t", "style 4 (0, 0, 0, 1)"},
                      TextCase{"MeshColor", "none", "style 1 (0, 0, 0, 1)"},
                      TextCase{"MeshColor", "c", "style 0 (0, 1, 1, 1)"},
                      TextCase{"MeshColor", "[1 0 0 0.25]", "style 0 (1, 0, 0, 0.25)"},
                      TextCase{"MeshColor", "color", ParseError},
                      TextCase{"MeshAlpha", "  0.25xyz", "style 0 (0.25)"}, TextCase{"MeshAlpha", "TEX", "style 3 (1)"},
                      TextCase{"MeshAlpha", "abc", Numeric1, NumericText}, TextCase{"MeshAlpha", "al", Numeric1}));

// ---- arrays in -----------------------------------------------------------------------------

struct ArrayCase {
    const char* type;
    Input input;
    std::string expected;
    const char* message = nullptr;
};
void PrintTo(const ArrayCase& c, std::ostream* os) { *os << c.type << " " << c.input; }

class ColorFromArray : public HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(ColorFromArray, GivesTheValueOrTheTypesError)
{
    const ArrayCase& c = GetParam();
    gui_objects::QxArrayPtr a(c.input.make());
    std::string message;
    EXPECT_EQ(outcomeOf(c.type, [&] { return vxtest::fromArray(c.type, a.get()); }, &message), c.expected);
    if (c.message)
        EXPECT_EQ(message, c.message);
}

using vxtest::NaN;
using vxtest::col;
using vxtest::mat;
using vxtest::row;
const char* const BadValue = "KELDAR:vx:dt_conv:BadColorValue";
const char* const NotThree = "KELDAR:vx:dt_conv:ValueMustBe3ElementVector";
const char* const NotThreeText = "Color value must be a 3 element double vector";
const char* const NotDouble = "KELDAR:vx:dt_conv:ValueMustBe3Double";

INSTANTIATE_TEST_SUITE_P(
    All, ColorFromArray,
    ::testing::Values(
        ArrayCase{"RGBAColor", col({0, 0.5, 1}), "style 1 (0, 0.5, 1, 1)"},
        ArrayCase{"RGBAColor", mat(2, 2, {0}), "style 1 (0, 0, 0, 0)"},
        ArrayCase{"RGBAColor", row({1, 0, 0, 1.5}), BadValue, "Color value contains NaN, or element out of range 0.0 <= value <= 1.0"},
        ArrayCase{"RGBAColor", row({NaN, 0, 0}), BadValue}, ArrayCase{"RGBAColor", row({0, 0, -0.01}), BadValue},
        ArrayCase{"RGBAColor", row({1, 0}), NotThree, NotThreeText}, ArrayCase{"RGBAColor", row({1, 0, 0, 1, 1}), NotThree},
        ArrayCase{"RGBAColor", row({1, 0, 0}).as(qxINT32_CLASS), NotDouble, NotThreeText},
        ArrayCase{"RGBAColor", row({1, 0, 0}).withoutData(), NotThree},
        ArrayCase{"RGBAColor", row({1, 0, 0}).asSparse(), NotThree},
        // Floating elements are taken as they are, with no range check; integer
        // elements give their lowest byte, scaled to 0..1.
        ArrayCase{"MeshColor", row({0.5, 2, -1}), "style 0 (0.5, 2, -1, 1)"},
        ArrayCase{"MeshColor", row({NaN, 0, 0}), "style 0 (nan, 0, 0, 1)"},
        ArrayCase{"MeshColor", row({255, 0, 51}).as(qxUINT8_CLASS), "style 0 (1, 0, 0.2, 1)"},
        ArrayCase{"MeshColor", row({256, 0, 0}).as(qxINT16_CLASS), "style 0 (0, 0, 0, 1)"},
        ArrayCase{"MeshColor", row({-1, 0, 0}).as(qxINT8_CLASS), "style 0 (1, 0, 0, 1)"},
        ArrayCase{"MeshColor", row({1, 0}), Numeric1, NumericText},
        ArrayCase{"MeshColor", row({1, 0, 0}).as(qxLOGICAL_CLASS), Numeric, NumericText},
        ArrayCase{"MeshColor", row({1, 0}).as(qxLOGICAL_CLASS), Numeric1},
        ArrayCase{"MeshColor", row({1, 0, 0}).withoutData(), Numeric1},
        ArrayCase{"MeshColor", row({1, 0, 0}).asSparse(), Numeric},
        ArrayCase{"MeshAlpha", row({2.5}), "style 0 (2.5)"}, ArrayCase{"MeshAlpha", row({-3}).as(qxINT8_CLASS), "style 0 (-3)"},
        // A non-scalar is no value, and no error.
        ArrayCase{"MeshAlpha", row({0.1, 0.2}), "null"},
        ArrayCase{"MeshAlpha", row({1}).as(qxLOGICAL_CLASS), Numeric, NumericText},
        ArrayCase{"MeshAlpha", row({1}).as(qxINT8_CLASS).withoutData(), Numeric},
        ArrayCase{"MeshAlpha", row({1}).asSparse(), Numeric}));

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
    COSValue v = vxtest::fromText(c.type, c.text);
    EXPECT_EQ(vxtest::toText(c.type, v), c.written);
    const qxArray* a = vxtest::toArray(c.type, v);
    EXPECT_EQ(vxtest::describe(a), c.array);
    if (qxGetClassID(a) == qxDOUBLE_CLASS)
        EXPECT_EQ(vxtest::elementsOf(a), c.numbers);
    vxtest::type(c.type)->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    All, ColorWrittenBack,
    ::testing::Values(OutCase{"RGBAColor", "none", "none", "1x4 char ['none']"},
                      OutCase{"RGBAColor", "[0.123456789 1 0 0.5]", "[ 0.123457 1 0 ]", "1x3 double", {0.123456789, 1, 0}},
                      OutCase{"MeshColor", "i", "interp", "1x6 char ['interp']"},
                      OutCase{"MeshAlpha", "1234567", "1.23457e+06", "1x1 double", {1234567}},
                      OutCase{"MeshAlpha", "f", "flat", "1x4 char ['flat']"}));

TEST_F(HostTest, NullValuesReadBackAsEmptyArraysAndNoText)
{
    for (const char* type : {"RGBAColor", "MeshColor", "MeshAlpha"}) {
        EXPECT_EQ(vxtest::describe(vxtest::toArray(type, COSValue())), "0x0 double") << type;
        EXPECT_TRUE(vxtest::conversion("string", type)->to(COSValue()).isNull()) << type;
        EXPECT_TRUE(vxtest::conversion("string", type)->from(COSValue()).isNull()) << type;
        EXPECT_TRUE(vxtest::fromArray(type, nullptr).isNull()) << type;
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

TEST_P(ColorEquality, RulesByStyleColorsByComponents)
{
    const EqualCase& c = GetParam();
    COSValue a = vxtest::fromText(c.type, c.a), b = vxtest::fromText(c.type, c.b);
    nyro::COSDataType* t = vxtest::type(c.type);
    EXPECT_EQ(t->isEqual(a, b), c.equal);
    EXPECT_EQ(t->compare(a, b), c.equal ? 0 : 2);
    for (COSValue v : {a, b})
        t->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    All, ColorEquality,
    ::testing::Values(EqualCase{"RGBAColor", "r", "[1 0 0]", true}, EqualCase{"RGBAColor", "[1 0 0 0.5]", "[1 0 0]", false},
                      EqualCase{"RGBAColor", "none", "k", false}, EqualCase{"MeshColor", "flat", "interp", false},
                      EqualCase{"MeshAlpha", "0.5", "0.25", false}, EqualCase{"MeshAlpha", "1", "flat", false}));

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
    EXPECT_TRUE(MeshAlpha(datatypes::MeshAlphaStyle::kFlat, 0.2) == MeshAlpha(datatypes::MeshAlphaStyle::kFlat, 0.9));
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
                                           VisibleCase{2, 0, false, true}));

// ---- rule names that are also color names ------------------------------------------------

TEST_F(HostTest, RuleNamesBeginningAColorNameAreAmbiguous)
{
    auto& table = datatypes::ColorNameTable::getInstance();
    table.addNamedColor("nonesuch", 0.1, 0.1, 0.1, false);
    table.addNamedColor("flatgray", 0.4, 0.4, 0.4, false);
    for (auto [type, text] : {std::pair{"RGBAColor", "n"}, std::pair{"MeshColor", "flat"}}) {
        std::string message;
        EXPECT_EQ(outcomeOf(type, [&] { return vxtest::fromText(type, text); }, &message),
                  std::string("KELDAR:datatypes:") + type + ":AmbiguousName");
        EXPECT_EQ(message, "Color table contains several names that match the specified string");
    }
    // A color name that no rule name begins with is still a color.
    EXPECT_EQ(outcomeOf("MeshColor", [&] { return vxtest::fromText("MeshColor", "flatg"); }), "style 0 (0.4, 0.4, 0.4, 1)");
    table.reset();
}

// ---- defaults and storage ------------------------------------------------------------------

TEST_F(HostTest, DefaultsAreOpaqueBlackAndFullOpacity)
{
    EXPECT_EQ(held("RGBAColor", vxtest::type("RGBAColor")->getDefaultValue()), "style 1 (0, 0, 0, 1)");
    EXPECT_EQ(held("MeshColor", vxtest::type("MeshColor")->getDefaultValue()), "style 0 (0, 0, 0, 1)");
    EXPECT_EQ(held("MeshAlpha", vxtest::type("MeshAlpha")->getDefaultValue()), "style 0 (1)");
}

// RGBAColor values take ColorBase's storage (none gives the null value); mesh
// colors and alphas throw the object system's out-of-memory exception.
TEST_F(HostTest, CopiesWithoutHeap)
{
    nyro::COSDataType* rgba = vxtest::type("RGBAColor");
    COSValue red = vxtest::fromText("RGBAColor", "r");
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
