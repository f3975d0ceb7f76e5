// Color values read from names and numbers, the color name table (abbreviation
// rules, added colors, reset, the table as a host struct) and the ColorTable
// property.
#include <string>
#include <vector>

#include "color/color.h"
#include "color/color_table.h"
#include "arrays/array_inputs.h"
#include "support/host_fixture.h"
#include "support/text_arrays.h"

namespace {

using datatypes::ColorBase;
using datatypes::ColorNameTable;
using vxtest::HostTest;

// Tests that add colors reset the table, before and after.
class ColorTableTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        ColorNameTable::getInstance().reset();
    }
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

TEST_P(SetFromString, NamesKeepAlphaNumbersSetItFailuresChangeNothing)
{
    const SetCase& c = GetParam();
    const ColorBase start(0.1, 0.2, 0.3, 0.4);
    ColorBase color = start;
    testing::internal::CaptureStdout();
    auto raised = vxtest::raisedBy([&] { color.setColorFromString(c.text); });
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(raised ? raised->id : "", c.id ? c.id : "");
    if (c.message)
        EXPECT_EQ(raised.value_or(vxtest::Raised{}).message, c.message);
    EXPECT_TRUE(color == (c.id ? start : c.expected))
        << color.getRed() << " " << color.getGreen() << " " << color.getBlue() << " " << color.getAlpha();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SetFromString,
    ::testing::Values(
        SetCase{"r", {1, 0, 0, 0.4}}, SetCase{"[0 0.5 1]", {0, 0.5, 1, 1}}, SetCase{"[1 0 0 0.5]", {1, 0, 0, 0.5}},
        SetCase{"[1 0 2]", {}, OutOfRange, "Color value contains NaN, or element out of range 0.0 <= value <= 1.0 ."},
        SetCase{"[NaN 0 0]", {}, OutOfRange}, SetCase{"[-0.1 0 0]", {}, OutOfRange}, SetCase{"[0 0 0 1.5]", {}, OutOfRange},
        SetCase{"purple", {}, "KELDAR:datatypes:RGBAColor:ParseError",
                "Specified string is an invalid color value. <a "
                "href=\"keldar:helpview([docroot,'/techdoc/ref/colorspec.html'])\">Please click for more information on "
                "specifying color.</a>"},
        SetCase{"gr", {}, "KELDAR:datatypes:RGBAColor:AmbiguousName",
                "Color table contains several names that match the specified string."},
        SetCase{"", {}, "KELDAR:datatypes:RGBAColor:AmbiguousName"}));

TEST_F(HostTest, ColorAsArrayIsFourByOneUint8)
{
    gui_objects::QxArrayPtr a = ColorBase(1, 0.5, 0, 0.2).getColorAsArray();
    ASSERT_TRUE(a);
    EXPECT_EQ(qxGetClassID(a.get()), qxUINT8_CLASS);
    EXPECT_EQ(std::make_pair(qxGetM(a.get()), qxGetN(a.get())), std::make_pair(qxSize(4), qxSize(1)));
    EXPECT_EQ(vxtest::elementsOf(a.get()), (std::vector<double>{255, 128, 0, 51}));
}

// ---- looking names up ----------------------------------------------------------------------

enum class Outcome { Color, Ambiguous, Missing };

struct LookupCase {
    const char* text;
    Outcome outcome;
    ColorNameTable::ColorValue rgb{};
};

std::ostream& operator<<(std::ostream& os, const LookupCase& c) { return os << '"' << (c.text ? c.text : "null") << '"'; }

class ColorLookup : public ColorTableTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ColorLookup, ExactNameWinsThenUniqueAbbreviation)
{
    const LookupCase& c = GetParam();
    EXPECT_EQ(table.isNameInTable(c.text), c.outcome != Outcome::Missing);
    testing::internal::CaptureStdout();
    switch (c.outcome) {
    case Outcome::Color: EXPECT_EQ(table.getColorValue(c.text), c.rgb); break;
    case Outcome::Ambiguous: EXPECT_THROW(table.getColorValue(c.text), datatypes::AmbiguousNameException); break;
    case Outcome::Missing: EXPECT_THROW(table.getColorValue(c.text), datatypes::MissingNameException); break;
    }
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console, c.outcome == Outcome::Ambiguous
                           ? "datatypes::ColorNameTable::getColorValue ambiguous name: " + std::string(c.text) + "\n"
                           : "");
}

const ColorNameTable::ColorValue red{1, 0, 0}, white{1, 1, 1};

INSTANTIATE_TEST_SUITE_P(
    Names, ColorLookup,
    ::testing::Values(LookupCase{"r", Outcome::Color, red}, LookupCase{"RED", Outcome::Color, red},
                      LookupCase{"g", Outcome::Color, {0, 1, 0}}, LookupCase{"wh", Outcome::Color, white},
                      LookupCase{"defaultg", Outcome::Color, {0.8, 0.82, 0.86}}, LookupCase{"gr", Outcome::Ambiguous},
                      LookupCase{"", Outcome::Ambiguous}, LookupCase{"purple", Outcome::Missing},
                      LookupCase{"reddish", Outcome::Missing}, LookupCase{nullptr, Outcome::Missing}));

// ---- adding colors ----------------------------------------------------------------------

TEST_F(ColorTableTest, AddingAPrefixOfANameIsRefusedWithoutReplace)
{
    auto raised = vxtest::raisedBy([&] { table.addNamedColor("re", 0.1, 0.1, 0.1, false); });
    ASSERT_TRUE(raised.has_value());
    EXPECT_EQ(raised->id, "vx:datatypes");
    EXPECT_EQ(raised->message, "ColorNameTable::addNamedColor ColorNameTable::addNamedColor, color name: re is "
                               "already used in the color table.\n");
    EXPECT_EQ(table.getColorMap().count("re"), 0u);
}

TEST_F(ColorTableTest, ReplaceChangesAColorAndResetRestoresTheBuiltInOnes)
{
    table.addNamedColor("red", 0.9, 0.1, 0, true);
    table.addNamedColor("reddish", 0.8, 0.2, 0.2, false);
    EXPECT_EQ(table.getColorValue("red"), (ColorNameTable::ColorValue{0.9, 0.1, 0}));
    EXPECT_EQ(table.getColorValue("redd"), (ColorNameTable::ColorValue{0.8, 0.2, 0.2}));
    EXPECT_EQ(table.getNames().size(), 16u);
    table.reset();
    EXPECT_EQ(table.getNames().size(), 15u);
    EXPECT_EQ(table.getColorValue("r"), red);
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

TEST_F(ColorTableTest, TableAsArrayIsOneStructWithAFieldPerNameInMapOrder)
{
    qxArray* a = datatypes::getColorTableAsArray();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(qxGetClassID(a), qxSTRUCT_CLASS);
    EXPECT_EQ(std::make_pair(qxGetM(a), qxGetN(a)), std::make_pair(qxSize(1), qxSize(1)));
    EXPECT_EQ(qxGetArrayScope(a), 0);
    EXPECT_EQ(fieldNames(a), builtInOrder);
    const qxArray* grid = qxGetFieldByNumber(a, 0, qxGetFieldNumber(a, "defaultgridcolor"));
    EXPECT_EQ(vxtest::describe(grid), "1x3 double");
    EXPECT_EQ(vxtest::elementsOf(grid), (std::vector<double>{0.8, 0.82, 0.86}));
}

// Added names are kept as given: capitals sort first and never match a search.
TEST_F(ColorTableTest, AddedColorsAppearInMapOrderCapitalsAreNeverSelected)
{
    table.addNamedColor("reddish", 0.8, 0.2, 0.2, false);
    table.addNamedColor("Zinc", 0.5, 0.5, 0.6, false);
    std::vector<std::string> expected = builtInOrder;
    expected.insert(expected.begin() + 12, "reddish");
    expected.insert(expected.begin(), "Zinc");
    EXPECT_EQ(fieldNames(datatypes::getColorTableAsArray()), expected);
    EXPECT_FALSE(table.isNameInTable("Zinc"));
    EXPECT_THROW(table.getColorValue("zinc"), datatypes::MissingNameException);
}

// A count beyond what a signed 32-bit field count holds is host error 74.
TEST_F(HostTest, FieldCountBeyondInt32IsHostError74)
{
    EXPECT_EQ(datatypes::detail::colorTableFieldCount(2147483647u), 2147483647);
    auto raised = vxtest::raisedBy([] { datatypes::detail::colorTableFieldCount(2147483648u); });
    const qx::PredefinedError* e74 = qx::predefinedError(74);
    EXPECT_EQ(raised.value_or(vxtest::Raised{}).id + " " + raised.value_or(vxtest::Raised{}).message, std::string(e74->id) + " " + e74->text);
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

TEST_F(ColorTableTest, InputThatIsNoStructChangesNothing)
{
    for (qxArray* a : {static_cast<qxArray*>(nullptr), vxtest::row({1, 1, 1}).make()}) {
        nyro::COSValue v = vxtest::fromArray("ColorTable", a);
        EXPECT_EQ(table.getNames(), builtInOrder);
        vxtest::type("ColorTable")->destroy(v);
    }
}

// Values are arrays that outlive the host call; text gives and writes nothing.
TEST_F(ColorTableTest, ValuesAreEmptyArraysKeptBeyondTheCall)
{
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

} // namespace
