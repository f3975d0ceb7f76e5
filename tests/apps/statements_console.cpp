// The console's statements, run through the built program: one statement in,
// one line of JSON out; and the program around them: sources of statements,
// output forms, exit status, the bundled examples.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "console_runner.h"

namespace vxtest {

#define ON R"({"ok":true,"value":{"array":{"class":"char","size":[1,2],"data":["on"]},"text":"on"}})"
#define OFF R"({"ok":true,"value":{"array":{"class":"char","size":[1,3],"data":["off"]},"text":"off"}})"
#define USAGE_FROM R"({"ok":false,"id":"vxhost:Usage","message":"Usage: from TYPE VALUE"})"
#define USAGE_CONVERT                                                                                                  \
    R"({"ok":false,"id":"vxhost:Usage","message":"Usage: convertposition FROM TO [x y w h] [[x y w h] [ppi]]"})"

// A value through the array converter (from), the string converter (parse),
// the type's default, and isEqual/compare; the library's refusal passes
// through with its own identifier.
INSTANTIATE_TEST_SUITE_P(
    Statements, Session,
    ::testing::Values(Scenario{"ValuesThroughTheTypes", {
        Step{"from on/off 'on'", ON}, Step{"from OnOffBoolean 'on'", ON},
        Step{"parse on/off 'ON'", OFF}, Step{"default on/off", OFF},
        Step{"from on/off 1",
             R"({"ok":false,"id":"KELDAR:datatypes:UnknownOnOffBooleanValue","message":"Incorrect type for value for On/Off Boolean"})"},
        Step{"equal on/off 'on' 'off'", R"({"ok":true,"equal":false,"compare":1})"},
        // A type without an array converter shows no array; a null value of a pointer type is null.
        Step{"parse bool 'on'", R"({"ok":true,"value":{"array":null,"text":"on"}})"},
        Step{"from MeshAlpha [0.1 0.2]", R"({"ok":true,"value":null})"},
        Step{"show ['ab';'cd']", R"({"ok":true,"array":{"class":"char","size":[2,2],"data":["ab","cd"]}})"},
        // The host's scalar types: one JSON form per kind, the text written back.
        Step{"scalar 'int64 scalar' '-9223372036854775808'",
             R"({"ok":true,"value":-9223372036854775808,"text":"-9223372036854775808"})"},
        Step{"scalar 'uint32 scalar' '-1'", R"({"ok":true,"value":4294967295,"text":"4294967295"})"},
        Step{"scalar 'single scalar' '0.1'", R"({"ok":true,"value":0.1,"text":"0.100000001"})"},
        Step{"scalar 'double scalar' 'nan'", R"({"ok":true,"value":"NaN","text":"nan"})"},
        Step{"scalar 'logical scalar' 'false'", R"({"ok":true,"value":false,"text":"false"})"},
        Step{"scalar 'string' 'abc'", R"({"ok":true,"value":"abc","text":"abc"})"},
        Step{"scalar 'double scalar' '1e400'",
             R"({"ok":false,"id":"vxhost:ParseFailed","message":"The text could not be converted to a value of the requested type."})"},
        // Units: a frame and a resolution may follow the position.
        Step{"convertposition normalized pixels [0.5 0.5 0.25 0.25] [0 0 400 300]",
             R"({"ok":true,"position":[200,150,100,75]})"},
        Step{"convertposition in pixels [1 1 1 1] [0 0 0 0] 96", R"({"ok":true,"position":[96,96,96,96]})"},
        Step{"convertinset inches pixels [1 2 3 4]", R"({"ok":true,"inset":[72,144,216,288]})"},
        Step{"convertposition inches pixels [1 1 2 3] [0 0 1 1] 'x'", USAGE_CONVERT}}},
    // What the console itself refuses, with its own identifiers.
    Scenario{"RefusedByTheConsole", {
        Step{"bogus", R"({"ok":false,"id":"vxhost:UnknownStatement","message":"Unknown statement 'bogus'. Type help for the list of statements."})"},
        Step{"from on/off % no literal", USAGE_FROM},
        Step{"from on/off 'on' 'off'", USAGE_FROM},
        Step{"from Nothing 1", R"({"ok":false,"id":"vxhost:UnknownType","message":"No property type is registered under the name 'Nothing'."})"},
        Step{"scalar 'int128 scalar' '1'", R"({"ok":false,"id":"vxhost:UnknownType","message":"No property type is registered under the name 'int128 scalar'."})"},
        Step{"from bool 'on'", R"({"ok":false,"id":"vxhost:NoConversion","message":"The type 'bool' has no conversion from \"any\"."})"},
        Step{"scalar on/off 'on'", R"({"ok":false,"id":"vxhost:NotHostScalar","message":"'on/off' is not a scalar type of the host."})"},
        Step{"parse on/off 1", R"({"ok":false,"id":"vxhost:NotText","message":"TEXT must be a text (a char row vector), not a double array."})"},
        Step{"parse on/off ['on';'of']", R"({"ok":false,"id":"vxhost:NotText","message":"TEXT must be a text (a char row vector), not a char matrix."})"},
        // Columns of literal faults count from the start of the statement.
        Step{"from on/off [1 2", R"({"ok":false,"id":"vxhost:Syntax","message":"expected ']' at column 17."})"},
        // Comments after a statement and blanks around it change nothing.
        Step{"default on/off # a note", OFF}, Step{"  \tparse on/off 'on'  ", ON},
        Step{"from on/off '% kept'", OFF}}}),
    scenarioName);

#undef ON
#undef OFF
#undef USAGE_FROM
#undef USAGE_CONVERT

TEST(Types, ListsTheLibraryTypesButNotTheHostsAndColorTableGivesAStruct)
{
    std::string out = runConsole({"--json", "-e", "types", "-e", "colortable"}).out;
    EXPECT_NE(out.find(R"({"name":"AutoManual","declaration":"AutoManual","category":"Fundamental","storage":7,"bytes":12,"bits":96,"converters":["any","string","java"]})"),
              std::string::npos);
    EXPECT_EQ(out.find(R"("name":"int32 scalar")"), std::string::npos);
    EXPECT_NE(out.find("\n" R"({"ok":true,"table":{"class":"struct","size":[1,1],"fields":{"b":{"class":"double","size":[1,3],"data":[0,0,1]},"black":)"),
              std::string::npos) << out;
}

// ---- the program: sources of statements, output, exit status ----------------------

struct ProgramCase {
    const char* what;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;        // exact standard output
    std::string errStarts;  // beginning of standard error ("" for none)
};

void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.what; }

class Program : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(Program, ExitsWithItsStatus)
{
    const ProgramCase& c = GetParam();
    ConsoleRun run = runConsole(c.args, c.input);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err.substr(0, c.errStarts.size()), c.errStarts);
    EXPECT_EQ(run.err.empty(), c.errStarts.empty()) << run.err;
}

const std::string offLine = R"({"ok":true,"value":{"array":{"class":"char","size":[1,3],"data":["off"]},"text":"off"}})" "\n";
const std::string bogusLine =
    R"({"ok":false,"id":"vxhost:UnknownStatement","message":"Unknown statement 'bogus'. Type help for the list of statements."})" "\n";
const std::string readableOff = ">> default on/off\nvalue:\n  array: char 1x3 'off'\n  text: \"off\"\n";

INSTANTIATE_TEST_SUITE_P(
    Runs, Program,
    ::testing::Values(
        ProgramCase{"every statement ok", {"--json", "-e", "default on/off", "-e", "default on/off"}, "", 0, offLine + offLine, ""},
        ProgramCase{"one failed", {"--json", "-e", "bogus", "-e", "default on/off"}, "", 1, bogusLine + offLine, ""},
        ProgramCase{"a blank statement says nothing", {"--json", "-e", "", "-e", "% only a comment"}, "", 0, "", ""},
        ProgramCase{"standard input, comments and CRLF", {"--json"},
                    "% comment\n# comment\n\n  \ndefault on/off\r\nbogus\ndefault on/off", 1, offLine + bogusLine + offLine, ""},
        ProgramCase{"'-' is standard input", {"--json", "-"}, "default on/off\n", 0, offLine, ""},
        ProgramCase{"quit ends the run", {"--json"}, "quit\nbogus\n", 0, "{\"ok\":true}\n", ""},
        ProgramCase{"readable answers under their statements", {"-e", "default on/off", "-e", "equal on/off 'on' 'off'"},
                    "", 0, readableOff + ">> equal on/off 'on' 'off'\nequal: false\ncompare: 1\n", ""},
        ProgramCase{"readable errors", {"-e", "from on/off 1"}, "", 1,
                    ">> from on/off 1\nerror [KELDAR:datatypes:UnknownOnOffBooleanValue]: Incorrect type for value for On/Off Boolean\n", ""},
        ProgramCase{"readable comments are kept", {}, "% about it\ndefault on/off\n", 0, "% about it\n" + readableOff, ""},
        ProgramCase{"unknown option", {"--verbose"}, "", 2, "", "vxhost: unknown option '--verbose'"},
        ProgramCase{"-e without a statement", {"--json", "-e"}, "", 2, "", "vxhost: -e needs a statement"},
        ProgramCase{"two scripts", {"a.vx", "b.vx"}, "", 2, "", "vxhost: only one script may be given"},
        ProgramCase{"-e and a script", {"-e", "types", "a.vx"}, "", 2, "", "vxhost: give statements with -e or a script"},
        ProgramCase{"missing script", {"/nonexistent/tour.vx"}, "", 2, "", "vxhost: cannot open script '/nonexistent/tour.vx'"}));

TEST(Program, HelpStartsWithTheUsageLine)
{
    ConsoleRun run = runConsole({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: vxhost [--json] [-e STATEMENT]... [SCRIPT | -]\n", 0), 0u) << run.out;
}

// The examples run from start to end, one answer per statement, as many
// accepted as they were written to show; every failure in them is a refusal by
// the library or by the console's property rules, none a malformed statement or
// a missing helper. The error catalogue ends by reading back what it tried to spoil.
struct ExampleCase {
    const char* file;
    std::size_t answers; // one per statement, a line may hold several
    std::size_t accepted;
    const char* last; // the last answer, "" for any
};

void PrintTo(const ExampleCase& c, std::ostream* os) { *os << c.file; }

class Examples : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(Examples, RunThroughWithOneAnswerPerStatement)
{
    std::string path = std::string(VX_EXAMPLES_DIR) + "/" + GetParam().file;
    std::ifstream file(path);
    ASSERT_TRUE(file) << path;
    ConsoleRun run = runConsole({"--json", path});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 1) << "the examples show refusals too";
    std::istringstream answers(run.out);
    std::size_t count = 0, accepted = 0;
    std::string line;
    for (std::string next; std::getline(answers, next); ++count, line = next)
        accepted += next.rfind(R"({"ok":true)", 0) == 0;
    EXPECT_EQ(count, GetParam().answers);
    EXPECT_EQ(accepted, GetParam().accepted);
    if (*GetParam().last) {
        EXPECT_EQ(line, GetParam().last);
    }
    for (const char* bad : {"vxhost:literal:", "vxhost:Syntax", "vxhost:Usage", "vxhost:UndefinedName",
                            "vxhost:ReservedName", "vxhost:UnknownStatement", "vxhost:InternalError",
                            "vxhost:UnknownException", "vxhost:TrailingText", "vxhost:NoHelper"})
        EXPECT_EQ(run.out.find(bad), std::string::npos) << GetParam().file << " has " << bad;
}

INSTANTIATE_TEST_SUITE_P(
    Files, Examples,
    ::testing::Values(ExampleCase{"tour.vx", 225, 180, ""},
                      ExampleCase{"errors.vx", 43, 9, R"({"ok":true,"value":{"class":"double","size":[3,3],"data":[0,0,1,0,0.5,0,1,0,0]},"text":"[0 0 1; 0 0.5 0; 1 0 0]"})"}));

} // namespace vxtest
