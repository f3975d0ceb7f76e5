#include "gui_objects/string_parse.h"

#include <gtest/gtest.h>

#include "gui_objects/gui_objects.h"
#include "support/text_arrays.h"

using gui_objects::convert_from_string_utils::parse_strings;

namespace {

struct StringsCase {
    const char* text;
    const char* array; // vxtest::describe of the result
};
void PrintTo(const StringsCase& c, std::ostream* os) { *os << vxtest::printable(c.text); }

class ParseStringsTest : public ::testing::TestWithParam<StringsCase> {};

TEST_P(ParseStringsTest, BuildsTheArrayTheTextDenotes)
{
    const StringsCase& c = GetParam();
    gui_objects::QxArrayPtr a(parse_strings(c.text));
    EXPECT_EQ(vxtest::describe(a.get()), c.array) << c.text;
    a.reset();
    EXPECT_EQ(qxCountTemporaries(), 0u) << "only the result was made: " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseStringsTest,
    ::testing::Values(
        // Text that is no literal is taken as it stands.
        StringsCase{"-|--|:", "1x6 char ['-|--|:']"}, StringsCase{"", "0x0 char []"},
        StringsCase{"  Arial ", "1x8 char ['  Arial ']"}, StringsCase{"\xf0\x9f\x98\x80", "1x2 char ['\xf0\x9f\x98\x80']"},
        // Quoted.
        StringsCase{" 'a b' ", "1x3 char ['a b']"}, StringsCase{"''", "0x0 char []"},
        StringsCase{"'it''s'", "1x4 char ['it''s']"}, StringsCase{"'{[;]}'", "1x5 char ['{[;]}']"},
        // Char matrices: the pieces of a row are joined; rows are as long in UTF-16 units.
        StringsCase{"[ 'ab' 'c' ; 'd','ef' ]", "2x3 char ['abc';'def']"}, StringsCase{"[]", "0x0 char []"},
        StringsCase{"['x']", "1x1 char ['x']"}, StringsCase{"['\xc3\xa9';'e']", "2x1 char ['\xc3\xa9';'e']"},
        // Cell arrays.
        StringsCase{"{'a','bb' 'ccc'}", "1x3 cell {'a','bb','ccc'}"}, StringsCase{"{'a','b';'c','d'}", "2x2 cell {'a','b';'c','d'}"},
        StringsCase{"{}", "0x0 cell {}"}, StringsCase{"{''}", "1x1 cell {''}"}));

class ParseStringsRejectTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ParseStringsRejectTest, GivesNoArrayAndLeavesNothingBehind)
{
    EXPECT_EQ(parse_strings(GetParam()), nullptr) << GetParam();
    EXPECT_EQ(qxCountTemporaries(), 0u) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseStringsRejectTest,
                         ::testing::Values(nullptr, "'abc", "'a' 'b'", "['ab';'c']", "['a';]", "[1 2]", "{'a';'b','c'}"));

} // namespace
