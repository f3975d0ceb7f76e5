// Inputs whose answer is easy to get wrong: names that begin other names,
// one-character names, names that share their first letters.
#include <gtest/gtest.h>

#include "enum_test_support.h"

namespace {

struct Selection {
    const char* type;
    const char* input;
    const char* expected; // null: refused
};

std::ostream& operator<<(std::ostream& os, const Selection& s)
{
    return os << s.type << " '" << s.input << "'";
}

class SelectionTest : public vxtest::HostTest, public ::testing::WithParamInterface<Selection> {};

TEST_P(SelectionTest, SelectsTheExpectedNameOrRefuses)
{
    const Selection& s = GetParam();
    enumtest::Outcome out = enumtest::setFromArray(s.type, s.input);
    if (s.expected) {
        EXPECT_FALSE(out.error) << out.error->message;
        EXPECT_EQ(out.name, s.expected);
    } else {
        ASSERT_TRUE(out.error);
        EXPECT_EQ(out.error->id, "KELDAR:vx:propswch:FindObjFailed");
        EXPECT_EQ(out.error->message, enumtest::badName(s.input, s.type));
    }
}

const Selection selections[] = {
    {"AutoManual", "auto", "auto"},
    {"AutoManual", "AUTO", "auto"},
    {"AutoManual", "Auto", "auto"},
    {"AutoManual", "a", "auto"},
    {"AutoManual", "au", "auto"},
    {"AutoManual", "m", "manual"},
    {"AutoManual", "MAN", "manual"},
    {"AutoManual", "MANUAL", "manual"},
    {"AutoManual", " auto", nullptr},
    {"AutoManual", "auto ", nullptr},
    {"AutoManual", "autox", nullptr},
    {"AutoManual", "x", nullptr},
    {"AutoManual", "", nullptr},
    {"AutoManual", "\xc3\x81uto", nullptr},
    {"GridMajorMinor", "major", "major"},
    {"GridMajorMinor", "MAJOR", "major"},
    {"GridMajorMinor", "majora", "majorandminor"},
    {"GridMajorMinor", "maj", nullptr},
    {"GridMajorMinor", "m", nullptr},
    {"GridMajorMinor", "mi", "minor"},
    {"LineStyle", "-", "-"},
    {"LineStyle", "--", "--"},
    {"LineStyle", "-.", "-."},
    {"LineStyle", ":", ":"},
    {"LineStyle", "n", "none"},
    {"LineStyle", ".", nullptr},
    {"LineStyle", "---", nullptr},
    {"Units", "c", nullptr},
    {"Units", "p", nullptr},
    {"Units", "ce", "centimeters"},
    {"Units", "ch", "characters"},
    {"Units", "po", "points"},
    {"Units", "pi", "pixels"},
    {"Units", "in", "inches"},
    {"Units", "n", "normalized"},
    {"Units", "data", nullptr},
    {"HandleVisibility", "o", nullptr},
    {"HandleVisibility", "on", "on"},
    {"HandleVisibility", "of", "off"},
    {"HandleVisibility", "c", "callback"},
    {"EraseMode", "n", nullptr},
    {"EraseMode", "no", nullptr},
    {"EraseMode", "nor", "normal"},
    {"EraseMode", "non", "none"},
    {"EraseMode", "x", "xor"},
    {"BackFaceLighting", "l", "lit"},
    {"BackFaceLighting", "lit", "lit"},
    {"BackFaceLighting", "u", "unlit"},
    {"MarkerStyle", ".", "."},
    {"MarkerStyle", "s", "square"},
    {"MarkerStyle", "p", "pentagram"},
    {"MarkerStyle", "h", "hexagram"},
    {"MarkerStyle", "d", "diamond"},
    {"MarkerStyle", "o", "o"},
    {"MarkerStyle", "O", "o"},
    {"MarkerStyle", "X", "x"},
    {"MarkerStyle", "v", "v"},
    {"MarkerStyle", "V", "v"},
    {"MarkerStyle", "^", "^"},
    {"MarkerStyle", "n", "none"},
    {"MarkerStyle", "+", "+"},
    {"MarkerStyle", "<>", nullptr},
    {"UnitsWithData", "d", "data"},
    {"UnitsWithData", "co", "coordinatespace"},
    {"UnitsWithData", "CoordinateSpace", "coordinatespace"},
    {"UnitsWithData", "c", nullptr},
    {"TickDir", "i", "in"},
    {"TickDir", "o", "out"},
    {"TickDir", "b", "both"},
    {"NextPlot", "replace", "replace"},
    {"NextPlot", "replacec", "replacechildren"},
    {"NextPlot", "rep", nullptr},
    {"NextPlot", "n", "new"},
    {"StringBinding", "slice", "slice"},
    {"StringBinding", "slice2", "slice2d"},
    {"StringBinding", "s", nullptr},
    {"ColorType", "truecolor", "truecolor"},
    {"ColorType", "truecolora", "truecoloralpha"},
    {"ColorType", "t", nullptr},
    {"ColorType", "te", "texturemapped"},
    {"AxisClipping", "3", "3d"},
    {"AxisClipping", "3D", "3d"},
    {"AxisClipping", "o", nullptr},
    {"AxesBox", "of", "off"},
    {"AxisScale", "LIN", "linear"},
    {"AxisScale", "l", nullptr},
    {"FontWeight", "n", "normal"},
    {"VerticalAlignment", "b", nullptr},
    {"VerticalAlignment", "ba", "baseline"},
    {"Lighting", "G", "gouraud"},
};

INSTANTIATE_TEST_SUITE_P(Catalog, SelectionTest, ::testing::ValuesIn(selections));

// The predicates that other code calls by name, on values set from text.
struct Predicate {
    const char* type;
    const char* input;
    bool (*holds)(const datatypes::EnumBase&);
};

std::ostream& operator<<(std::ostream& os, const Predicate& p) { return os << p.type << " '" << p.input << "'"; }

template <class T, bool (T::*is)() const>
bool holds(const datatypes::EnumBase& v)
{
    return (dynamic_cast<const T&>(v).*is)();
}

using namespace datatypes;
const Predicate predicates[] = {
    {"AutoManual", "a", holds<AutoManual, &AutoManual::isAuto>},
    {"AutoManual", "m", holds<AutoManual, &AutoManual::isManual>},
    {"MarkerStyle", "^", holds<MarkerStyle, &MarkerStyle::isPyramid>},
    {"MarkerStyle", "v", holds<MarkerStyle, &MarkerStyle::isTriangle>},
    {"MarkerStyle", ">", holds<MarkerStyle, &MarkerStyle::isRight>},
    {"MarkerStyle", "*", holds<MarkerStyle, &MarkerStyle::isAsterisk>},
    {"MarkerStyle", ".", holds<MarkerStyle, &MarkerStyle::isPoint>},
    {"MarkerStyle", "o", holds<MarkerStyle, &MarkerStyle::isCircle>},
    {"LineStyle", "-.", holds<LineStyle, &LineStyle::isDashdotted>},
    {"LineStyle", "-", holds<LineStyle, &LineStyle::isSolid>},
    {"LineStyle", ":", holds<LineStyle, &LineStyle::isDotted>},
    {"UnitsWithData", "co", holds<UnitsWithData, &UnitsWithData::isCoordinateSpace>},
    {"AxisClipping", "3d", holds<AxisClipping, &AxisClipping::is3d>},
    {"StringBinding", "slice2d", holds<StringBinding, &StringBinding::isSlice2d>},
    {"GridMajorMinor", "majorand", holds<GridMajorMinor, &GridMajorMinor::isMajorandminor>},
    {"BackFaceLighting", "r", holds<BackFaceLighting, &BackFaceLighting::isReverselit>},
};

class PredicateTest : public vxtest::HostTest, public ::testing::WithParamInterface<Predicate> {};

TEST_P(PredicateTest, NamedPredicateHoldsForTheSelectedName)
{
    const Predicate& p = GetParam();
    enumtest::Value v(p.type, vxtest::conversion("string", p.type)->from(slotOf(p.input)));
    ASSERT_NE(v.get(), nullptr);
    EXPECT_TRUE(p.holds(*v.get()));
}

INSTANTIATE_TEST_SUITE_P(Catalog, PredicateTest, ::testing::ValuesIn(predicates));

// Enumerators that other code uses as codes (units, modes).
static_assert(Units::kInches == 0 && Units::kCentimeters == 1 && Units::kCharacters == 2 &&
              Units::kNormalized == 3 && Units::kPoints == 4 && Units::kPixels == 5);
static_assert(UnitsWithData::kData == 6 && UnitsWithData::kCoordinateSpace == 7);
static_assert(FontUnits::kNormalized == 2 && FontUnits::kPixels == 4);
static_assert(PaperUnits::kPoints == 3);
static_assert(ColorStyle::kNone == 0 && ColorStyle::kColor == 1);
static_assert(MeshAlphaStyle::kTexturemap == 3);
static_assert(MeshColorStyle::kAuto == 5);

// The name tables without a property type of their own.
struct NameTable {
    const char* name;
    const VXTypedEnumStringType* (*instance)();
    std::vector<const char*> names;
};

std::ostream& operator<<(std::ostream& os, const NameTable& t) { return os << t.name; }

const NameTable nameTables[] = {
    {"ColorStyle", [] { return static_cast<const VXTypedEnumStringType*>(ColorStyle::getInstance()); },
     {"none", "color"}},
    {"MeshAlphaStyle", [] { return static_cast<const VXTypedEnumStringType*>(MeshAlphaStyle::getInstance()); },
     {"alpha", "flat", "interp", "texturemap"}},
    {"MeshColorStyle", [] { return static_cast<const VXTypedEnumStringType*>(MeshColorStyle::getInstance()); },
     {"color", "none", "flat", "interp", "texturemap", "auto"}},
};

class NameTableTest : public vxtest::HostTest, public ::testing::WithParamInterface<NameTable> {};

TEST_P(NameTableTest, NumbersItsNamesInOrderAndMatchesAbbreviations)
{
    const NameTable& t = GetParam();
    const VXTypedEnumStringType* table = t.instance();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(t.instance(), table);
    EXPECT_STREQ(table->hostEnumeration()->getName(), t.name);
    ASSERT_EQ(table->getEnumLength(), static_cast<int>(t.names.size()));
    for (std::size_t i = 0; i < t.names.size(); ++i) {
        EXPECT_STREQ(table->getEnumString(nyro::COSValue::fromInt(i)), t.names[i]);
        const std::string upper = enumtest::upper(t.names[i]);
        EXPECT_TRUE(table->isValidEnumName(upper.c_str()));
        EXPECT_EQ(table->getEnumValue(upper.c_str()), static_cast<int>(i));
        // No two names of these tables share their first letter.
        const char first[] = {t.names[i][0], '\0'};
        EXPECT_EQ(table->getEnumValue(first), static_cast<int>(i)) << first;
    }
    EXPECT_FALSE(table->isValidEnumName("nonsense"));
}

INSTANTIATE_TEST_SUITE_P(Tables, NameTableTest, ::testing::ValuesIn(nameTables));

} // namespace
