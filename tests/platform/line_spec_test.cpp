#include "gui_objects/line_spec.h"

#include <gtest/gtest.h>

#include <string>

#include "support/text_arrays.h"

using gui_objects::convert_from_string_utils::stringToColorMarkerLineStyle;

namespace {

struct SpecCase {
    std::string spec;
    bool ok;
    const char* colour = "";
    const char* marker = "";
    const char* lineStyle = "";
};
void PrintTo(const SpecCase& c, std::ostream* os) { *os << vxtest::printable(c.spec); }

class LineSpecTest : public ::testing::TestWithParam<SpecCase> {};

TEST_P(LineSpecTest, SplitsIntoColourMarkerAndLineStyle)
{
    const SpecCase& c = GetParam();
    std::string colour = "?", marker = "?", lineStyle = "?";
    EXPECT_EQ(stringToColorMarkerLineStyle(c.spec, colour, marker, lineStyle), c.ok) << c.spec;
    // A failure leaves the outputs as they were.
    EXPECT_EQ(colour, c.ok ? c.colour : "?") << c.spec;
    EXPECT_EQ(marker, c.ok ? c.marker : "?") << c.spec;
    EXPECT_EQ(lineStyle, c.ok ? c.lineStyle : "?") << c.spec;
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Accepted, LineSpecTest,
    ::testing::Values(SpecCase{"-", true, "", "", "-"}, SpecCase{"--", true, "", "", "--"},
                      SpecCase{":", true, "", "", ":"}, SpecCase{"-.", true, "", "", "-."},
                      SpecCase{"-..", true, "", ".", "-."}, SpecCase{"--.", true, "", ".", "--"},
                      SpecCase{".-", true, "", ".", "-"}, SpecCase{"o", true, "", "o", ""},
                      SpecCase{"--o", true, "", "o", "--"}, SpecCase{"o--", true, "", "o", "--"},
                      SpecCase{"r-.", true, "r", "", "-."}, SpecCase{"-.r", true, "r", "", "-."},
                      SpecCase{"k:x", true, "k", "x", ":"}, SpecCase{"R", true, "r", "", ""},
                      SpecCase{"gs", true, "g", "s", ""}, SpecCase{"square", true, "", "square", ""},
                      SpecCase{"Diamond:", true, "", "diamond", ":"}, SpecCase{"-pentagram", true, "", "pentagram", "-"},
                      SpecCase{"hexagram", true, "", "hexagram", ""}, SpecCase{"none", true, "", "none", ""},
                      SpecCase{"h", true, "", "h", ""}, SpecCase{"p", true, "", "p", ""},
                      SpecCase{"+", true, "", "+", ""}, SpecCase{"*", true, "", "*", ""},
                      SpecCase{"^", true, "", "^", ""}, SpecCase{"V", true, "", "v", ""},
                      SpecCase{">", true, "", ">", ""}, SpecCase{"<", true, "", "<", ""},
                      SpecCase{"d", true, "", "d", ""}, SpecCase{" -- o ", true, "", "o", "--"},
                      SpecCase{"\t:", true, "", "", ":"}, SpecCase{"", true, "", "", ""},
                      SpecCase{"   ", true, "", "", ""}, SpecCase{"b", true, "b", "", ""},
                      SpecCase{"y", true, "y", "", ""}, SpecCase{"w", true, "w", "", ""},
                      SpecCase{"c", true, "c", "", ""}, SpecCase{"m", true, "m", "", ""}));

INSTANTIATE_TEST_SUITE_P(
    Refused, LineSpecTest,
    ::testing::Values(SpecCase{"o+", false}, SpecCase{"--:", false}, SpecCase{"-:", false}, SpecCase{"rg", false},
                      SpecCase{"---", false}, // "--" then "-"
                      SpecCase{"sq", false}, SpecCase{"squared", false}, SpecCase{"q", false},
                      SpecCase{"red", false}, SpecCase{"=", false}, SpecCase{"|", false},
                      SpecCase{"-\xc3\xa9", false}, SpecCase{"-\0"s, false}, SpecCase{"o o", false},
                      SpecCase{"nonex", false}, SpecCase{"_", false}));

} // namespace
