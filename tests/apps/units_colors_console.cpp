// The console's unit conversion and color table statements, and the color
// property types through from/parse/equal: one statement in, one JSON line out.
#include <gtest/gtest.h>

#include <string>

#include "console_runner.h"

namespace {

struct ConsoleCase {
    const char* statement;
    const char* json;
};

void PrintTo(const ConsoleCase& c, std::ostream* os) { *os << c.statement; }

class UnitsAndColorsStatement : public ::testing::TestWithParam<ConsoleCase> {};

TEST_P(UnitsAndColorsStatement, AnswersOneLineOfJson)
{
    vxtest::ConsoleRun run = vxtest::runConsole({"--json", "-e", GetParam().statement});
    EXPECT_EQ(run.out, std::string(GetParam().json) + "\n");
    EXPECT_EQ(run.err, "");
    bool ok = std::string(GetParam().json).rfind(R"({"ok":true)", 0) == 0;
    EXPECT_EQ(run.status, ok ? 0 : 1);
}

#define ZERO_FRAME                                                                                                     \
    R"({"ok":false,"id":"vx:datatypes","message":"The width and height of the reference frame have to be greater then 0 when converting position to Normalized units."})"

INSTANTIATE_TEST_SUITE_P(
    Units, UnitsAndColorsStatement,
    ::testing::Values(
        ConsoleCase{"convertposition inches pixels [1 1 2 3]", R"({"ok":true,"position":[72,72,144,216]})"},
        ConsoleCase{"convertposition Pix po [72 72 144 216]", R"({"ok":true,"position":[72,72,144,216]})"},
        ConsoleCase{"convertposition normalized pixels [0.5 0.5 0.25 0.25] [0 0 400 300]",
                    R"({"ok":true,"position":[200,150,100,75]})"},
        ConsoleCase{"convertposition inches points [1 2 3 4] [0 0 0 0] 96", R"({"ok":true,"position":[72,144,216,288]})"},
        ConsoleCase{"convertposition in pixels [1 1 1 1] [0 0 0 0] 96", R"({"ok":true,"position":[96,96,96,96]})"},
        ConsoleCase{"convertposition data inches [72 0 0 0]", R"({"ok":true,"position":[1,0,0,0]})"},
        // Without a frame the frame is [0 0 0 0]: normalized targets are refused.
        ConsoleCase{"convertposition pixels normalized [1 1 1 1]", ZERO_FRAME},
        ConsoleCase{"convertposition normalized normalized [0.1 0.2 0.3 0.4]",
                    R"({"ok":true,"position":[0.1,0.2,0.3,0.4]})"},
        ConsoleCase{"convertposition c pixels [1 1 1 1]",
                    R"({"ok":false,"id":"KELDAR:vx:propswch:FindObjFailed","message":"Bad value c for UnitsWithData."})"},
        ConsoleCase{"convertposition inches pixels [1 1 2]",
                    R"({"ok":false,"id":"KELDAR:vx:dt_conv:Matrix_to_keldarRect:Expected4ElementVector","message":"Value must be a 4 element vector"})"},
        ConsoleCase{"convertposition inches pixels [1 1 2 3] [0 0 1 1] 'x'",
                    R"({"ok":false,"id":"vxhost:Usage","message":"Usage: convertposition FROM TO [x y w h] [[x y w h] [ppi]]"})"},
        ConsoleCase{"convertposition inches pixels",
                    R"({"ok":false,"id":"vxhost:Usage","message":"Usage: convertposition FROM TO [x y w h] [[x y w h] [ppi]]"})"},
        ConsoleCase{"convertinset inches pixels [1 2 3 4]", R"({"ok":true,"inset":[72,144,216,288]})"},
        ConsoleCase{"convertinset pixels normalized [40 30 80 60] [0 0 400 300]",
                    R"({"ok":true,"inset":[0.1,0.1,0.2,0.2]})"},
        ConsoleCase{"convertinset inches normalized [1 2 3 4] [0 0 400 0]", ZERO_FRAME}));

INSTANTIATE_TEST_SUITE_P(
    Colors, UnitsAndColorsStatement,
    ::testing::Values(
        ConsoleCase{"from RGBAColor 'none'",
                    R"({"ok":true,"value":{"array":{"class":"char","size":[1,4],"data":["none"]},"text":"none"}})"},
        ConsoleCase{"from RGBAColor [1 0 0 0.5]",
                    R"({"ok":true,"value":{"array":{"class":"double","size":[1,3],"data":[1,0,0]},"text":"[ 1 0 0 ]"}})"},
        ConsoleCase{"from RGBAColor int32([1 0 0])",
                    R"({"ok":false,"id":"KELDAR:vx:dt_conv:ValueMustBe3Double","message":"Color value must be a 3 element double vector"})"},
        ConsoleCase{"parse MeshColor 'f'",
                    R"({"ok":true,"value":{"array":{"class":"char","size":[1,4],"data":["flat"]},"text":"flat"}})"},
        ConsoleCase{"from MeshColor int16([256 0 255])",
                    R"({"ok":true,"value":{"array":{"class":"double","size":[1,3],"data":[0,0,1]},"text":"[ 0 0 1 ]"}})"},
        ConsoleCase{"from MeshAlpha [0.1 0.2]", R"({"ok":true,"value":null})"},
        ConsoleCase{"parse MeshAlpha 'alpha'",
                    R"({"ok":false,"id":"KELDAR:vx:dt_conv:Matrix_to_Real:ExpectedNumeric1","message":"Value must be numeric"})"},
        ConsoleCase{"equal RGBAColor 'none' 'n'", R"({"ok":true,"equal":true,"compare":0})"},
        ConsoleCase{"equal MeshAlpha 0.5 '0.5'", R"({"ok":true,"equal":true,"compare":0})"}));

// The table as the ColorTable property reads it, in name order.
TEST(ColorTableStatement, GivesTheTableAsAStructOfRgbFields)
{
    vxtest::ConsoleRun run = vxtest::runConsole({"--json", "-e", "colortable"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind(R"({"ok":true,"table":{"class":"struct","size":[1,1],"fields":{"b":)", 0), 0u) << run.out;
    std::string previous;
    std::size_t at = 0;
    for (const char* field :
         {R"("b":{"class":"double","size":[1,3],"data":[0,0,1]})", R"("black":)", R"("blue":)", R"("cyan":)",
          R"("defaultaxesboxcolor":{"class":"double","size":[1,3],"data":[0.2,0.2,0.2]})",
          R"("defaultgridcolor":{"class":"double","size":[1,3],"data":[0.8,0.82,0.86]})", R"("g":)", R"("gray":)",
          R"("green":)", R"("k":)", R"("magenta":)", R"("red":)", R"("w":)", R"("white":)",
          R"("yellow":{"class":"double","size":[1,3],"data":[1,1,0]}}}})"}) {
        std::size_t next = run.out.find(field, at);
        ASSERT_NE(next, std::string::npos) << field << " after " << previous;
        at = next;
        previous = field;
    }
    EXPECT_EQ(run.out.find(R"("y":)"), std::string::npos) << "y is an abbreviation, not a name";
    vxtest::ConsoleRun extra = vxtest::runConsole({"--json", "-e", "colortable extra"});
    EXPECT_EQ(extra.status, 1);
}

} // namespace
