// Color values read from names and numbers, the color name table (abbreviation
// rules, added colors, reset, the table as a host struct), the ColorTable
// property, and RGBAColor, MeshColor and MeshAlpha through their registered
// converters: text and host arrays in, values, texts and arrays out, and the
// refusals.
#include <sstream>
#include <string>
#include <vector>

#include "arrays/array_inputs.h"
#include "color/color_table.h"
#include "color/color_types.h"
#include "frame/catalog.h"
#include "support/host_fixture.h"
#include "support/text_arrays.h"
#include "ut/ut.h"

namespace {

using datatypes::ColorBase;
using datatypes::ColorNameTable;
using datatypes::MeshAlpha;
using datatypes::MeshColor;
using datatypes::RGBAColor;
using nyro::COSValue;
using vxtest::HostTest;
using vxtest::Input;

// Tests that add colors reset the table after them.
class ColorTableTest : public HostTest {
protected:
    void TearDown() override
    {
        ColorNameTable::getInstance().reset();
        HostTest::TearDown();
    }
    ColorNameTable& table = ColorNameTable::getInstance();
};

// ---- ColorBase -----------------------------------------------------------------------------

struct SetCase {
    const char* text;
    ColorBase expected; // when no error
    const char* id = nullptr;
    const char* message = nullptr;
};

std::ostream& operator<<(std::ostream& os, const SetCase& c) { return os << '"' << c.text << '"'; }

class SetFromString : public HostTest, public ::testing::WithParamInterface<SetCase> {};

const char* const OutOfRange = "KELDAR:datatypes:OutOfRangeElement";
const char* const ParseError = "KELDAR:datatypes:RGBAColor:ParseError";
const char* const Ambiguous = "KELDAR:datatypes:RGBAColor:AmbiguousName";

// A name of the table (the exact name first, else the one it abbreviates, in
// any case) keeps the alpha; numbers set it. A failure changes nothing, and an
// ambiguous name is noticed on the console first.
TEST_P(SetFromString, NamesKeepAlphaNumbersSetItFailuresChangeNothing)
{
    const SetCase& c = GetParam();
    const ColorBase start(0.1, 0.2, 0.3, 0.4);
    ColorBase color = start;
    testing::internal::CaptureStdout();
    auto raised = vxtest::raisedBy([&] { color.setColorFromString(c.text); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              c.id == Ambiguous ? "datatypes::ColorNameTable::getColorValue ambiguous name: " + std::string(c.text) + "\n" : "");
    EXPECT_EQ(raised ? raised->id : "", c.id ? c.id : "");
    EXPECT_EQ(c.message ? raised.value_or(vxtest::Raised{}).message : "", c.message ? c.message : "");
    EXPECT_TRUE(color == (c.id ? start : c.expected))
        << color.getRed() << " " << color.getGreen() << " " << color.getBlue() << " " << color.getAlpha();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SetFromString,
    ::testing::Values(
        SetCase{"RED", {1, 0, 0, 0.4}}, SetCase{"g", {0, 1, 0, 0.4}}, SetCase{"wh", {1, 1, 1, 0.4}},
        SetCase{"defaultg", {0.8, 0.82, 0.86, 0.4}}, SetCase{"[0 0.5 1]", {0, 0.5, 1, 1}}, SetCase{"[1 0 0 0.5]", {1, 0, 0, 0.5}},
        SetCase{"[1 0 2]", {}, OutOfRange, "Color value contains NaN, or element out of range 0.0 <= value <= 1.0 ."},
        SetCase{"[NaN 0 0]", {}, OutOfRange}, SetCase{"[-0.1 0 0]", {}, OutOfRange}, SetCase{"[0 0 0 1.5]", {}, OutOfRange},
        SetCase{"purple", {}, ParseError,
                "Specified string is an invalid color value. <a "
                "href=\"keldar:helpview([docroot,'/techdoc/ref/colorspec.html'])\">Please click for more information on "
                "specifying color.</a>"},
        SetCase{"reddish", {}, ParseError},
        SetCase{"gr", {}, Ambiguous, "Color table contains several names that match the specified string."},
        SetCase{"", {}, Ambiguous}));

TEST_F(HostTest, ColorAsArrayIsFourByOneUint8)
{
    gui_objects::QxArrayPtr a = ColorBase(1, 0.5, 0, 0.2).getColorAsArray();
    EXPECT_EQ(vxtest::describe(a.get()), "4x1 uint8");
    EXPECT_EQ(vxtest::elementsOf(a.get()), (std::vector<double>{255, 128, 0, 51}));
}

// ---- the table as a host struct ------------------------------------------------------------

const std::vector<std::string> builtInOrder = {"b",    "black", "blue", "cyan",    "defaultaxesboxcolor",
                                               "defaultgridcolor", "g",    "gray", "green", "k",
                                               "magenta", "red",   "w",    "white", "yellow"};

std::vector<std::string> fieldNames(const qxArray* a)
{
    std::vector<std::string> names;
    for (int f = 0; f < qxGetNumberOfFields(a); ++f)
        names.emplace_back(qxGetFieldNameByNumber(a, f));
    return names;
}

// A name that begins an existing one is refused unless it replaces; names are
// kept as given (capitals never match a search); reset restores the built-in
// colors.
TEST_F(ColorTableTest, AddReplaceResetAndReadAsAStruct)
{
    EXPECT_EQ(vxtest::errorOf([&] { table.addNamedColor("re", 0.1, 0.1, 0.1, false); }),
              "vx:datatypes ColorNameTable::addNamedColor ColorNameTable::addNamedColor, color name: re is "
              "already used in the color table.\n");
    EXPECT_EQ(table.getColorMap().count("re"), 0u);
    table.addNamedColor("red", 0.9, 0.1, 0, true);
    table.addNamedColor("reddish", 0.8, 0.2, 0.2, false);
    table.addNamedColor("Zinc", 0.5, 0.5, 0.6, false);
    EXPECT_EQ(table.getColorValue("red"), (ColorNameTable::ColorValue{0.9, 0.1, 0}));
    EXPECT_EQ(table.getColorValue("redd"), (ColorNameTable::ColorValue{0.8, 0.2, 0.2}));
    EXPECT_FALSE(table.isNameInTable("Zinc"));
    EXPECT_FALSE(table.isNameInTable(nullptr));
    EXPECT_THROW(table.getColorValue(nullptr), datatypes::MissingNameException);
    std::vector<std::string> expected = builtInOrder;
    expected.insert(expected.begin() + 12, "reddish");
    expected.insert(expected.begin(), "Zinc");
    EXPECT_EQ(fieldNames(datatypes::getColorTableAsArray()), expected);
    table.reset();
    EXPECT_EQ(table.getNames(), builtInOrder);
    EXPECT_EQ(table.getColorValue("red"), (ColorNameTable::ColorValue{1, 0, 0}));
    EXPECT_FALSE(table.isNameInTable("redd")) << "reset forgets the added names";
    // As a host struct: one temporary 1x1 struct, a field per name in map order.
    qxArray* a = datatypes::getColorTableAsArray();
    EXPECT_EQ(vxtest::describe(a), "1x1 struct");
    EXPECT_EQ(qxGetArrayScope(a), 0);
    EXPECT_EQ(fieldNames(a), builtInOrder);
    const qxArray* grid = qxGetFieldByNumber(a, 0, qxGetFieldNumber(a, "defaultgridcolor"));
    EXPECT_EQ(vxtest::describe(grid), "1x3 double");
    EXPECT_EQ(vxtest::elementsOf(grid), (std::vector<double>{0.8, 0.82, 0.86}));
}

// A count beyond what a signed 32-bit field count holds is host error 74.
TEST_F(HostTest, FieldCountBeyondInt32IsHostError74)
{
    EXPECT_EQ(datatypes::detail::colorTableFieldCount(2147483647u), 2147483647);
    const qx::PredefinedError* e74 = qx::predefinedError(74);
    EXPECT_EQ(vxtest::errorOf([] { datatypes::detail::colorTableFieldCount(2147483648u); }),
              std::string(e74->id) + " " + e74->text);
}

// ---- the ColorTable property ------------------------------------------------------------------

TEST_F(ColorTableTest, StructInputAddsOrReplacesColorsOfThreeNumbersOrMore)
{
    const char* names[] = {"teal", "red", "bright", "empty", "short", "word"};
    qxArray* s = qxCreateStructMatrix(1, 1, 6, names);
    qxSetFieldByNumber(s, 0, 0, vxtest::row({0, 0.5, 0.5}).make());
    qxSetFieldByNumber(s, 0, 1, vxtest::col({0.9, 0, 0}).make());
    qxSetFieldByNumber(s, 0, 2, vxtest::row({1, 1, 0, 7}).as(qxUINT8_CLASS).make());
    qxSetFieldByNumber(s, 0, 4, vxtest::row({1, 1}).make());
    qxSetFieldByNumber(s, 0, 5, qxCreateString("abc"));
    nyro::COSValue v = vxtest::fromArray("ColorTable", s);
    EXPECT_EQ(table.getColorValue("teal"), (ColorNameTable::ColorValue{0, 0.5, 0.5}));
    EXPECT_EQ(table.getColorValue("red"), (ColorNameTable::ColorValue{0.9, 0, 0}));
    EXPECT_EQ(table.getColorValue("bright"), (ColorNameTable::ColorValue{1, 1, 0}));
    for (const char* ignored : {"empty", "short", "word"})
        EXPECT_FALSE(table.isNameInTable(ignored)) << ignored;
    EXPECT_EQ(vxtest::describe(nyro::pointerValue<const qxArray*>(v)), "0x0 double");
    vxtest::type("ColorTable")->destroy(v);
    // Reading the type gives the whole table.
    const qxArray* a = vxtest::toArray("ColorTable", {});
    EXPECT_EQ(qxGetNumberOfFields(a), 17);
    EXPECT_GE(qxGetFieldNumber(a, "bright"), 0);
}

// Values are arrays that outlive the host call; input that is no struct, and
// text, change nothing and write nothing.
TEST_F(ColorTableTest, ValuesAreEmptyArraysKeptBeyondTheCallOtherInputChangesNothing)
{
    for (qxArray* a : {static_cast<qxArray*>(nullptr), vxtest::row({1, 1, 1}).make()})
        vxtest::type("ColorTable")->destroy(vxtest::fromArray("ColorTable", a));
    EXPECT_EQ(table.getNames(), builtInOrder);
    nyro::COSDataType* t = vxtest::type("ColorTable");
    nyro::COSValue d = t->getDefaultValue();
    const qxArray* da = nyro::pointerValue<const qxArray*>(d);
    EXPECT_EQ(vxtest::describe(da), "0x0 double");
    EXPECT_NE(qxGetArrayScope(da), 0);
    nyro::COSValue copy = t->copy(d);
    EXPECT_NE(qxGetArrayScope(nyro::pointerValue<const qxArray*>(copy)), 0);
    t->destroy(copy);
    EXPECT_TRUE(vxtest::conversion("string", "ColorTable")->from(nyro::COSValue::fromPointer("red")).isNull());
    EXPECT_TRUE(vxtest::conversion("string", "ColorTable")->to({}).isNull());
}

// ---- the color property types ---------------------------------------------------------------

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

const char* const Numeric1 = "KELDAR:vx:dt_conv:Matrix_to_Real:ExpectedNumeric1";
const char* const Numeric = "KELDAR:vx:dt_conv:Matrix_to_Real:ExpectedNumeric";
const char* const NumericText = "Value must be numeric";

// ---- text and arrays in -------------------------------------------------------------------

struct InCase {
    const char* type;
    Input input;
    std::string expected;
    const char* message = nullptr;
};
void PrintTo(const InCase& c, std::ostream* os) { *os << c.type << " " << c.input; }

class ColorFrom : public HostTest, public ::testing::WithParamInterface<InCase> {};

// A char array follows the same rule as the same text through the string converter.
TEST_P(ColorFrom, TextOrArrayGivesTheValueOrTheTypesError)
{
    const InCase& c = GetParam();
    gui_objects::QxArrayPtr a(c.input.make());
    std::string message;
    EXPECT_EQ(outcomeOf(c.type, [&] { return vxtest::fromArray(c.type, a.get()); }, &message), c.expected);
    EXPECT_EQ(c.message ? message : "", c.message ? c.message : "");
    if (c.input.chars) {
        EXPECT_EQ(outcomeOf(c.type, [&] { return vxtest::fromText(c.type, c.input.chars); }), c.expected);
    }
}

using vxtest::NaN;
using vxtest::chars;
using vxtest::col;
using vxtest::mat;
using vxtest::row;
const char* const BadValue = "KELDAR:vx:dt_conv:BadColorValue";
const char* const NotThree = "KELDAR:vx:dt_conv:ValueMustBe3ElementVector";
const char* const NotThreeText = "Color value must be a 3 element double vector";
const char* const NotDouble = "KELDAR:vx:dt_conv:ValueMustBe3Double";

INSTANTIATE_TEST_SUITE_P(
    All, ColorFrom,
    ::testing::Values(
        InCase{"RGBAColor", chars("none"), "style 0 (0, 0, 0, 1)"},
        // "color" names the color style: never a rule, so read as a color.
        InCase{"RGBAColor", chars("c"), "style 1 (0, 1, 1, 1)"}, InCase{"RGBAColor", chars("co"), ParseError},
        InCase{"RGBAColor", chars("[0.2 0.4 0.6 0.5]"), "style 1 (0.2, 0.4, 0.6, 0.5)"},
        InCase{"MeshColor", chars("t"), "style 4 (0, 0, 0, 1)"}, InCase{"MeshColor", chars("none"), "style 1 (0, 0, 0, 1)"},
        InCase{"MeshColor", chars("c"), "style 0 (0, 1, 1, 1)"}, InCase{"MeshColor", chars("color"), ParseError},
        InCase{"MeshAlpha", chars("  0.25xyz"), "style 0 (0.25)"}, InCase{"MeshAlpha", chars("TEX"), "style 3 (1)"},
        InCase{"MeshAlpha", chars("abc"), Numeric1, NumericText}, InCase{"MeshAlpha", chars("al"), Numeric1},
        InCase{"RGBAColor", col({0, 0.5, 1}), "style 1 (0, 0.5, 1, 1)"},
        InCase{"RGBAColor", mat(2, 2, {0}), "style 1 (0, 0, 0, 0)"},
        InCase{"RGBAColor", row({1, 0, 0, 1.5}), BadValue, "Color value contains NaN, or element out of range 0.0 <= value <= 1.0"},
        InCase{"RGBAColor", row({NaN, 0, 0}), BadValue}, InCase{"RGBAColor", row({0, 0, -0.01}), BadValue},
        InCase{"RGBAColor", row({1, 0}), NotThree, NotThreeText}, InCase{"RGBAColor", row({1, 0, 0, 1, 1}), NotThree},
        InCase{"RGBAColor", row({1, 0, 0}).as(qxINT32_CLASS), NotDouble, NotThreeText},
        InCase{"RGBAColor", row({1, 0, 0}).withoutData(), NotThree},
        InCase{"RGBAColor", row({1, 0, 0}).asSparse(), NotThree},
        // Floating elements are taken as they are, with no range check; integer
        // elements give their lowest byte, scaled to 0..1.
        InCase{"MeshColor", row({0.5, 2, -1}), "style 0 (0.5, 2, -1, 1)"},
        InCase{"MeshColor", row({255, 0, 51}).as(qxUINT8_CLASS), "style 0 (1, 0, 0.2, 1)"},
        InCase{"MeshColor", row({256, 0, 0}).as(qxINT16_CLASS), "style 0 (0, 0, 0, 1)"},
        InCase{"MeshColor", row({1, 0}), Numeric1, NumericText},
        InCase{"MeshColor", row({1, 0, 0}).as(qxLOGICAL_CLASS), Numeric, NumericText},
        InCase{"MeshColor", row({1, 0}).as(qxLOGICAL_CLASS), Numeric1},
        InCase{"MeshColor", row({1, 0, 0}).withoutData(), Numeric1},
        InCase{"MeshColor", row({1, 0, 0}).asSparse(), Numeric},
        InCase{"MeshAlpha", row({2.5}), "style 0 (2.5)"}, InCase{"MeshAlpha", row({-3}).as(qxINT8_CLASS), "style 0 (-3)"},
        // A non-scalar is no value, and no error.
        InCase{"MeshAlpha", row({0.1, 0.2}), "null"},
        InCase{"MeshAlpha", row({1}).as(qxLOGICAL_CLASS), Numeric, NumericText},
        InCase{"MeshAlpha", row({1}).as(qxINT8_CLASS).withoutData(), Numeric},
        InCase{"MeshAlpha", row({1}).asSparse(), Numeric}));

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
    EXPECT_EQ(qxGetClassID(a) == qxDOUBLE_CLASS ? vxtest::elementsOf(a) : std::vector<double>{}, c.numbers);
    vxtest::type(c.type)->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    All, ColorWrittenBack,
    ::testing::Values(OutCase{"RGBAColor", "none", "none", "1x4 char ['none']"},
                      OutCase{"RGBAColor", "[0.123456789 1 0 0.5]", "[ 0.123457 1 0 ]", "1x3 double", {0.123456789, 1, 0}},
                      OutCase{"MeshColor", "i", "interp", "1x6 char ['interp']"},
                      OutCase{"MeshAlpha", "1234567", "1.23457e+06", "1x1 double", {1234567}},
                      OutCase{"MeshAlpha", "f", "flat", "1x4 char ['flat']"}));

TEST_F(HostTest, DefaultsAndNullValues)
{
    const std::pair<const char*, const char*> defaults[] = {
        {"RGBAColor", "style 1 (0, 0, 0, 1)"}, {"MeshColor", "style 0 (0, 0, 0, 1)"}, {"MeshAlpha", "style 0 (1)"}};
    for (auto [type, def] : defaults) {
        EXPECT_EQ(held(type, vxtest::type(type)->getDefaultValue()), def);
        EXPECT_EQ(vxtest::describe(vxtest::toArray(type, COSValue())), "0x0 double") << type;
        EXPECT_EQ(vxtest::toText(type, COSValue()), "<null>") << type;
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

TEST_F(ColorTableTest, RuleNamesBeginningAColorNameAreAmbiguous)
{
    table.addNamedColor("nonesuch", 0.1, 0.1, 0.1, false);
    table.addNamedColor("flatgray", 0.4, 0.4, 0.4, false);
    for (const auto& row : {std::pair{"RGBAColor", "n"}, std::pair{"MeshColor", "flat"}}) {
        const char* type = row.first;
        const char* text = row.second;
        std::string message;
        EXPECT_EQ(outcomeOf(type, [&] { return vxtest::fromText(type, text); }, &message),
                  std::string("KELDAR:datatypes:") + type + ":AmbiguousName");
        EXPECT_EQ(message, "Color table contains several names that match the specified string");
    }
    // A color name that no rule name begins with is still a color.
    EXPECT_EQ(outcomeOf("MeshColor", [&] { return vxtest::fromText("MeshColor", "flatg"); }), "style 0 (0.4, 0.4, 0.4, 1)");
}

// ---- storage ------------------------------------------------------------------------------

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

// The catalog reads the table when asked, so names added at run time show.
TEST_F(ColorTableTest, CatalogListsNamesAddedAtRunTime)
{
    table.addNamedColor("mauvette", 0.8, 0.6, 0.8, false);
    datatypes::catalog::TypeEntry e;
    ASSERT_TRUE(datatypes::catalog::find("RGBAColor", e));
    table.reset();
    EXPECT_TRUE(std::any_of(e.colors.begin(), e.colors.end(), [](auto& c) { return c.name == "mauvette"; }));
}

} // namespace
