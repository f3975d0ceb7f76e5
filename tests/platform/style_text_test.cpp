#include "gui_objects/style_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/text_arrays.h"

using gui_objects::convert_from_string_utils::stringToColorMarkerLineStyle;

namespace {

struct StyleTextCase {
    std::string text;
    bool ok;
    const char* colour = "";
    const char* marker = "";
    const char* lineStyle = "";
};
void PrintTo(const StyleTextCase& c, std::ostream* os) { *os << vxtest::printable(c.text); }

class StyleTextTest : public ::testing::TestWithParam<StyleTextCase> {};

TEST_P(StyleTextTest, SplitsIntoColourMarkerAndLineStyle)
{
    const StyleTextCase& c = GetParam();
    std::string colour = "?", marker = "?", lineStyle = "?";
    EXPECT_EQ(stringToColorMarkerLineStyle(c.text, colour, marker, lineStyle), c.ok) << c.text;
    // A failure leaves the outputs as they were.
    EXPECT_EQ(colour, c.ok ? c.colour : "?") << c.text;
    EXPECT_EQ(marker, c.ok ? c.marker : "?") << c.text;
    EXPECT_EQ(lineStyle, c.ok ? c.lineStyle : "?") << c.text;
}

// One part of each kind at most; the longest part that matches is taken; any letter case; blanks between parts.
INSTANTIATE_TEST_SUITE_P(
    Accepted, StyleTextTest,
    ::testing::Values(StyleTextCase{"-", true, "", "", "-"}, StyleTextCase{"--", true, "", "", "--"},
                      StyleTextCase{"-..", true, "", ".", "-."}, StyleTextCase{".-", true, "", ".", "-"},
                      StyleTextCase{"k:x", true, "k", "x", ":"}, StyleTextCase{"R", true, "r", "", ""},
                      StyleTextCase{"Diamond:", true, "", "diamond", ":"}, StyleTextCase{"-pentagram", true, "", "pentagram", "-"},
                      StyleTextCase{" -- o ", true, "", "o", "--"}, StyleTextCase{"", true, "", "", ""}));

INSTANTIATE_TEST_SUITE_P(Refused, StyleTextTest,
                         ::testing::Values(StyleTextCase{"o+", false}, StyleTextCase{"--:", false}, StyleTextCase{"rg", false},
                                           StyleTextCase{"---", false}, StyleTextCase{"sq", false},
                                           StyleTextCase{"-\xc3\xa9", false}));

} // namespace
