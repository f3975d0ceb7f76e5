// The color name table: abbreviation rules, added colors, reset, the table as
// a host struct and the ColorTable property.
#include <optional>
#include <string>
#include <vector>

#include "color/color.h"
#include "color/color_table.h"
#include "geometry/array_support.h"
#include "support/host_fixture.h"

namespace {

using datatypes::ColorNameTable;
using vxtest::HostTest;

// Each test runs in its own process, but a test that adds colors resets the
// table anyway so the tests stay independent of one another within a process.
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
};

enum class Outcome { Color, Ambiguous, Missing };

struct LookupCase {
    const char* text;
    Outcome outcome;
    ColorNameTable::ColorValue rgb{};
};

std::ostream& operator<<(std::ostream& os, const LookupCase& c) { return os << '"' << c.text << '"'; }

class ColorLookup : public ColorTableTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ColorLookup, ExactNameWinsThenUniqueAbbreviation)
{
    const LookupCase& c = GetParam();
    const ColorNameTable& table = ColorNameTable::getInstance();
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

const ColorNameTable::ColorValue red{1, 0, 0}, green{0, 1, 0}, blue{0, 0, 1}, black{0, 0, 0}, white{1, 1, 1},
    yellow{1, 1, 0}, gray{0.5, 0.5, 0.5}, grid{0.8, 0.82, 0.86}, box{0.2, 0.2, 0.2};

INSTANTIATE_TEST_SUITE_P(
    Names, ColorLookup,
    ::testing::Values(
        LookupCase{"r", Outcome::Color, red}, LookupCase{"R", Outcome::Color, red},
        LookupCase{"Red", Outcome::Color, red}, LookupCase{"RED", Outcome::Color, red},
        LookupCase{"y", Outcome::Color, yellow}, LookupCase{"c", Outcome::Color, {0, 1, 1}},
        LookupCase{"m", Outcome::Color, {1, 0, 1}}, LookupCase{"k", Outcome::Color, black},
        LookupCase{"w", Outcome::Color, white}, LookupCase{"wh", Outcome::Color, white},
        // Single letters that are names of their own.
        LookupCase{"g", Outcome::Color, green}, LookupCase{"b", Outcome::Color, blue},
        LookupCase{"gra", Outcome::Color, gray}, LookupCase{"gre", Outcome::Color, green},
        LookupCase{"blu", Outcome::Color, blue}, LookupCase{"bla", Outcome::Color, black},
        LookupCase{"defaultg", Outcome::Color, grid}, LookupCase{"DefaultAxesBoxColor", Outcome::Color, box},
        LookupCase{"gr", Outcome::Ambiguous}, LookupCase{"bl", Outcome::Ambiguous}, LookupCase{"", Outcome::Ambiguous},
        LookupCase{"d", Outcome::Ambiguous}, LookupCase{"default", Outcome::Ambiguous},
        LookupCase{"purple", Outcome::Missing}, LookupCase{"x", Outcome::Missing},
        LookupCase{"reddish", Outcome::Missing}, LookupCase{"[1 0 0]", Outcome::Missing}));

TEST_F(ColorTableTest, NullTextIsInNoEntry)
{
    const ColorNameTable& table = ColorNameTable::getInstance();
    EXPECT_FALSE(table.isNameInTable(nullptr));
    EXPECT_THROW(table.getColorValue(nullptr), datatypes::MissingNameException);
}

// ---- adding colors ----------------------------------------------------------------------

TEST_F(ColorTableTest, AddingAPrefixOfANameIsRefusedWithoutReplace)
{
    auto raised = vxtest::raisedBy([] { ColorNameTable::getInstance().addNamedColor("re", 0.1, 0.1, 0.1, false); });
    ASSERT_TRUE(raised.has_value());
    EXPECT_EQ(raised->id, "vx:datatypes");
    EXPECT_EQ(raised->message, "ColorNameTable::addNamedColor ColorNameTable::addNamedColor, color name: re is "
                               "already used in the color table.\n");
    EXPECT_EQ(ColorNameTable::getInstance().getColorMap().count("re"), 0u);
    EXPECT_TRUE(vxtest::raisedBy([] { ColorNameTable::getInstance().addNamedColor("red", 0, 0, 0, false); }));
    EXPECT_EQ(ColorNameTable::getInstance().getColorValue("red"), red);
}

TEST_F(ColorTableTest, AddedColorsJoinTheAbbreviationRules)
{
    ColorNameTable& table = ColorNameTable::getInstance();
    table.addNamedColor("reddish", 0.8, 0.2, 0.2, false);
    const ColorNameTable::ColorValue reddish{0.8, 0.2, 0.2};
    testing::internal::CaptureStdout();
    EXPECT_EQ(table.getColorValue("red"), red); // exact
    EXPECT_EQ(table.getColorValue("redd"), reddish);
    EXPECT_EQ(table.getColorValue("REDDISH"), reddish);
    EXPECT_THROW(table.getColorValue("re"), datatypes::AmbiguousNameException);
    EXPECT_THROW(table.getColorValue("r"), datatypes::AmbiguousNameException);
    testing::internal::GetCapturedStdout();
}

TEST_F(ColorTableTest, ReplaceChangesAnExistingColor)
{
    ColorNameTable& table = ColorNameTable::getInstance();
    table.addNamedColor("red", 0.9, 0.1, 0, true);
    EXPECT_EQ(table.getColorValue("r"), (ColorNameTable::ColorValue{0.9, 0.1, 0}));
    EXPECT_EQ(table.getNames().size(), 15u);
    table.addNamedColor("orange", 1, 0.5, 0, true);
    EXPECT_EQ(table.getColorValue("o"), (ColorNameTable::ColorValue{1, 0.5, 0}));
}

TEST_F(ColorTableTest, CapitalisedNamesAreStoredButNeverSelected)
{
    ColorNameTable& table = ColorNameTable::getInstance();
    table.addNamedColor("MyBlue", 0, 0, 0.5, false);
    EXPECT_EQ(table.getColorMap().count("MyBlue"), 1u);
    EXPECT_FALSE(table.isNameInTable("MyBlue"));
    EXPECT_THROW(table.getColorValue("MyBlue"), datatypes::MissingNameException);
    EXPECT_THROW(table.getColorValue("myblue"), datatypes::MissingNameException);
}

TEST_F(ColorTableTest, ResetRestoresTheBuiltInColors)
{
    ColorNameTable& table = ColorNameTable::getInstance();
    table.addNamedColor("reddish", 0.8, 0.2, 0.2, false);
    table.addNamedColor("white", 0.9, 0.9, 0.9, true);
    table.reset();
    EXPECT_EQ(table.getNames().size(), 15u);
    EXPECT_FALSE(table.isNameInTable("redd"));
    EXPECT_EQ(table.getColorValue("white"), white);
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
    EXPECT_EQ(qxGetM(a), 1u);
    EXPECT_EQ(qxGetN(a), 1u);
    EXPECT_EQ(qxGetArrayScope(a), 0);
    EXPECT_EQ(fieldNames(a), builtInOrder);
    EXPECT_EQ(ColorNameTable::getInstance().getNames(), builtInOrder);
    const qxArray* grid = qxGetFieldByNumber(a, 0, qxGetFieldNumber(a, "defaultgridcolor"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(qxGetClassID(grid), qxDOUBLE_CLASS);
    EXPECT_EQ(qxGetM(grid), 1u);
    EXPECT_EQ(qxGetN(grid), 3u);
    EXPECT_EQ(vxtest::elementsOf(grid), (std::vector<double>{0.8, 0.82, 0.86}));
    std::vector<ColorNameTable::ColorValue> colors = ColorNameTable::getInstance().getColors();
    ASSERT_EQ(colors.size(), builtInOrder.size());
    for (int f = 0; f < qxGetNumberOfFields(a); ++f) {
        const ColorNameTable::ColorValue& c = colors[f];
        EXPECT_EQ(vxtest::elementsOf(qxGetFieldByNumber(a, 0, f)), (std::vector<double>{c.red, c.green, c.blue}))
            << builtInOrder[f];
    }
}

TEST_F(ColorTableTest, AddedColorsAppearInMapOrder)
{
    ColorNameTable::getInstance().addNamedColor("reddish", 0.8, 0.2, 0.2, false);
    ColorNameTable::getInstance().addNamedColor("Zinc", 0.5, 0.5, 0.6, false);
    std::vector<std::string> names = fieldNames(datatypes::getColorTableAsArray());
    std::vector<std::string> expected = builtInOrder;
    expected.insert(expected.begin() + 12, "reddish");
    expected.insert(expected.begin(), "Zinc"); // capitals sort before lower case
    EXPECT_EQ(names, expected);
}

struct CountCase {
    std::size_t entries;
    bool fits;
};

std::ostream& operator<<(std::ostream& os, const CountCase& c) { return os << c.entries << " entries"; }

class FieldCount : public HostTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(FieldCount, BeyondInt32IsHostError74)
{
    const CountCase& c = GetParam();
    std::optional<vxtest::Raised> raised;
    int count = -1;
    raised = vxtest::raisedBy([&] { count = datatypes::detail::colorTableFieldCount(c.entries); });
    if (c.fits) {
        EXPECT_FALSE(raised.has_value());
        EXPECT_EQ(static_cast<std::size_t>(count), c.entries);
    } else {
        ASSERT_TRUE(raised.has_value());
        const qx::PredefinedError* e74 = qx::predefinedError(74);
        EXPECT_EQ(raised->id, e74->id);
        EXPECT_EQ(raised->message, e74->text);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, FieldCount,
                         ::testing::Values(CountCase{0, true}, CountCase{15, true}, CountCase{2147483647u, true},
                                           CountCase{2147483648u, false}, CountCase{~std::size_t{0}, false}));

// ---- the ColorTable property ------------------------------------------------------------------

nyro::COSValue tableFrom(const qxArray* a)
{
    return vxtest::conversion("any", "ColorTable")->from(nyro::COSValue::fromPointer(a));
}

qxArray* structOf(std::vector<std::pair<const char*, qxArray*>> fields)
{
    std::vector<const char*> names;
    for (auto& f : fields)
        names.push_back(f.first);
    qxArray* s = qxCreateStructMatrix(1, 1, static_cast<int>(names.size()), names.data());
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].second)
            qxSetFieldByNumber(s, 0, static_cast<int>(i), fields[i].second);
    return s;
}

TEST_F(ColorTableTest, StructInputAddsOrReplacesColors)
{
    qxArray* s = structOf({{"teal", vxtest::makeArray(qxDOUBLE_CLASS, 1, 3, {0, 0.5, 0.5})},
                           {"red", vxtest::makeArray(qxDOUBLE_CLASS, 3, 1, {0.9, 0, 0})},
                           {"bright", vxtest::makeArray(qxUINT8_CLASS, 1, 4, {1, 1, 0, 7})},
                           {"empty", nullptr},
                           {"short", vxtest::makeArray(qxDOUBLE_CLASS, 1, 2, {1, 1})},
                           {"word", qxCreateString("abc")}});
    nyro::COSValue v = tableFrom(s);
    ColorNameTable& table = ColorNameTable::getInstance();
    EXPECT_EQ(table.getColorValue("teal"), (ColorNameTable::ColorValue{0, 0.5, 0.5}));
    EXPECT_EQ(table.getColorValue("red"), (ColorNameTable::ColorValue{0.9, 0, 0}));
    EXPECT_EQ(table.getColorValue("bright"), (ColorNameTable::ColorValue{1, 1, 0}));
    EXPECT_FALSE(table.isNameInTable("empty"));
    EXPECT_FALSE(table.isNameInTable("short"));
    EXPECT_FALSE(table.isNameInTable("word"));
    ASSERT_FALSE(v.isNull());
    vxtest::type("ColorTable")->destroy(v);
}

struct IgnoredCase {
    const char* what;
    qxArray* (*make)();
};

std::ostream& operator<<(std::ostream& os, const IgnoredCase& c) { return os << c.what; }

class ColorTableIgnores : public ColorTableTest, public ::testing::WithParamInterface<IgnoredCase> {};

TEST_P(ColorTableIgnores, InputThatIsNoStructChangesNothing)
{
    nyro::COSValue v = tableFrom(GetParam().make());
    EXPECT_EQ(ColorNameTable::getInstance().getNames(), builtInOrder);
    vxtest::type("ColorTable")->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ColorTableIgnores,
    ::testing::Values(IgnoredCase{"null", [] { return static_cast<qxArray*>(nullptr); }},
                      IgnoredCase{"double", [] { return vxtest::makeArray(qxDOUBLE_CLASS, 1, 3, {1, 1, 1}); }},
                      IgnoredCase{"text", [] { return qxCreateString("teal"); }},
                      IgnoredCase{"cell", [] { return qxCreateCellMatrix(1, 3); }}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ColorTableTest, ReadingTheTypeGivesTheWholeTable)
{
    ColorNameTable::getInstance().addNamedColor("teal", 0, 0.5, 0.5, false);
    const qxArray* a = nyro::pointerValue<const qxArray*>(vxtest::conversion("any", "ColorTable")->to({}));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(qxGetClassID(a), qxSTRUCT_CLASS);
    EXPECT_EQ(qxGetNumberOfFields(a), 16);
    EXPECT_GE(qxGetFieldNumber(a, "teal"), 0);
}

TEST_F(ColorTableTest, DataTypeComparesArrayIdentity)
{
    nyro::COSDataType* t = vxtest::type("ColorTable");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->getValueSizeInBytes({}), 0);
    EXPECT_EQ(t->getSizeInBits(), 0);
    nyro::COSValue d = t->getDefaultValue();
    ASSERT_FALSE(d.isNull());
    EXPECT_EQ(t->getDefaultValue(), d);
    const qxArray* da = nyro::pointerValue<const qxArray*>(d);
    EXPECT_EQ(qxGetClassID(da), qxDOUBLE_CLASS);
    EXPECT_TRUE(qxIsEmpty(da));
    EXPECT_NE(qxGetArrayScope(da), 0); // survives the host call
    nyro::COSValue copy = t->copy(d);
    ASSERT_FALSE(copy.isNull());
    EXPECT_NE(qxGetArrayScope(nyro::pointerValue<const qxArray*>(copy)), 0);
    EXPECT_TRUE(t->isEqual(d, d));
    EXPECT_FALSE(t->isEqual(d, copy));
    EXPECT_EQ(t->compare(d, copy), 2);
    EXPECT_TRUE(t->copy({}).isNull());
    t->destroy(copy);
    t->destroy({});
}

TEST_F(ColorTableTest, StringConversionsGiveNothing)
{
    EXPECT_TRUE(vxtest::conversion("string", "ColorTable")->from(nyro::COSValue::fromPointer("red")).isNull());
    EXPECT_TRUE(vxtest::conversion("string", "ColorTable")->to({}).isNull());
    EXPECT_NE(nyro::JavaTypeConversion::getConversion(nyro::COSNameID("ColorTable")), nullptr);
}

} // namespace
