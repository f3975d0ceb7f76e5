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

void PrintTo(const Selection& s, std::ostream* os) { *os << s.type << " '" << s.input << "'"; }

class SelectionTest : public vxtest::HostTest, public ::testing::WithParamInterface<Selection> {};

TEST_P(SelectionTest, SelectsTheExpectedNameOrRefuses)
{
    const Selection& s = GetParam();
    enumtest::Outcome out = enumtest::setFromArray(s.type, s.input);
    EXPECT_EQ(out.name.value_or("refused"), s.expected ? s.expected : "refused");
    EXPECT_EQ(out.error ? out.error->id + " " + out.error->message : "",
              s.expected ? "" : "KELDAR:vx:propswch:FindObjFailed " + enumtest::badName(s.input, s.type));
}

// Every name and every prefix of one, in lower and upper case, is swept over
// each catalog type; these are the inputs that sweep does not reach.
const Selection selections[] = {
    {"AutoManual", "Auto", "auto"},
    {"AutoManual", "MaN", "manual"},
    {"AutoManual", " auto", nullptr},
    {"AutoManual", "auto ", nullptr},
    {"AutoManual", "autox", nullptr},
    {"AutoManual", "x", nullptr},
    {"AutoManual", "\xc3\x81uto", nullptr},
    {"GridMajorMinor", "majora", "majorandminor"},
    {"GridMajorMinor", "maj", nullptr},
    {"LineStyle", ".", nullptr},
    {"LineStyle", "---", nullptr},
    {"Units", "data", nullptr},
    {"EraseMode", "no", nullptr},
    {"MarkerStyle", "<>", nullptr},
    {"UnitsWithData", "CoordinateSpace", "coordinatespace"},
    {"NextPlot", "rep", nullptr},
    {"StringBinding", "slice2", "slice2d"},
    {"ColorType", "truecolora", "truecoloralpha"},
    {"AxisClipping", "3D", "3d"},
    {"Lighting", "G", "gouraud"},
};

INSTANTIATE_TEST_SUITE_P(Catalog, SelectionTest, ::testing::ValuesIn(selections));

// The predicates that other code calls by name, on values set from text.
struct Predicate {
    const char* type;
    const char* input;
    bool (*holds)(const datatypes::EnumBase&);
};

void PrintTo(const Predicate& p, std::ostream* os) { *os << p.type << " '" << p.input << "'"; }

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

void PrintTo(const NameTable& t, std::ostream* os) { *os << t.name; }

template <class T>
const VXTypedEnumStringType* instance() { return T::getInstance(); }
const NameTable nameTables[] = {
    {"ColorStyle", instance<ColorStyle>, {"none", "color"}},
    {"MeshAlphaStyle", instance<MeshAlphaStyle>, {"alpha", "flat", "interp", "texturemap"}},
    {"MeshColorStyle", instance<MeshColorStyle>, {"color", "none", "flat", "interp", "texturemap", "auto"}},
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
