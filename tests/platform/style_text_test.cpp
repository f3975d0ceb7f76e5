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

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Accepted, StyleTextTest,
    ::testing::Values(StyleTextCase{"-", true, "", "", "-"}, StyleTextCase{"--", true, "", "", "--"},
                      StyleTextCase{":", true, "", "", ":"}, StyleTextCase{"-.", true, "", "", "-."},
                      StyleTextCase{"-..", true, "", ".", "-."}, StyleTextCase{"--.", true, "", ".", "--"},
                      StyleTextCase{".-", true, "", ".", "-"}, StyleTextCase{"o", true, "", "o", ""},
                      StyleTextCase{"--o", true, "", "o", "--"}, StyleTextCase{"o--", true, "", "o", "--"},
                      StyleTextCase{"r-.", true, "r", "", "-."}, StyleTextCase{"-.r", true, "r", "", "-."},
                      StyleTextCase{"k:x", true, "k", "x", ":"}, StyleTextCase{"R", true, "r", "", ""},
                      StyleTextCase{"gs", true, "g", "s", ""}, StyleTextCase{"square", true, "", "square", ""},
                      StyleTextCase{"Diamond:", true, "", "diamond", ":"}, StyleTextCase{"-pentagram", true, "", "pentagram", "-"},
                      StyleTextCase{"hexagram", true, "", "hexagram", ""}, StyleTextCase{"none", true, "", "none", ""},
                      StyleTextCase{"h", true, "", "h", ""}, StyleTextCase{"p", true, "", "p", ""},
                      StyleTextCase{"+", true, "", "+", ""}, StyleTextCase{"*", true, "", "*", ""},
                      StyleTextCase{"^", true, "", "^", ""}, StyleTextCase{"V", true, "", "v", ""},
                      StyleTextCase{">", true, "", ">", ""}, StyleTextCase{"<", true, "", "<", ""},
                      StyleTextCase{"d", true, "", "d", ""}, StyleTextCase{" -- o ", true, "", "o", "--"},
                      StyleTextCase{"\t:", true, "", "", ":"}, StyleTextCase{"", true, "", "", ""},
                      StyleTextCase{"   ", true, "", "", ""}, StyleTextCase{"b", true, "b", "", ""},
                      StyleTextCase{"y", true, "y", "", ""}, StyleTextCase{"w", true, "w", "", ""},
                      StyleTextCase{"c", true, "c", "", ""}, StyleTextCase{"m", true, "m", "", ""}));

INSTANTIATE_TEST_SUITE_P(
    Refused, StyleTextTest,
    ::testing::Values(StyleTextCase{"o+", false}, StyleTextCase{"--:", false}, StyleTextCase{"-:", false}, StyleTextCase{"rg", false},
                      StyleTextCase{"---", false}, // "--" then "-"
                      StyleTextCase{"sq", false}, StyleTextCase{"squared", false}, StyleTextCase{"q", false},
                      StyleTextCase{"red", false}, StyleTextCase{"=", false}, StyleTextCase{"|", false},
                      StyleTextCase{"-\xc3\xa9", false}, StyleTextCase{"-\0"s, false}, StyleTextCase{"o o", false},
                      StyleTextCase{"nonex", false}, StyleTextCase{"_", false}));

} // namespace
