// The console's language end to end: an input (a script on standard input) in,
// one JSON answer per statement out. Separators, suppression, continuation,
// indexing, function handles, captured output, partial sets and malformed input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "complete.h"
#include "console_runner.h"
#include "host.h"
#include "session.h"

namespace {

struct InputCase {
    const char* name;
    std::string input;
    std::vector<const char*> answers;
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

class Input : public ::testing::TestWithParam<InputCase> {};

TEST_P(Input, AnswersEachStatementOnItsOwnLine)
{
    vxtest::ConsoleRun run = vxtest::runConsole({"--json", "-"}, GetParam().input);
    std::vector<std::string> lines = vxtest::lines(run.out);
    ASSERT_EQ(lines.size(), GetParam().answers.size()) << run.out;
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], GetParam().answers[i]);
    EXPECT_EQ(run.err, "");
}

#define N1(v) R"j({"class":"double","size":[1,1],"data":[)j" v "]}"
#define OK_VALUE(v) R"j({"ok":true,"value":)j" v "}"

std::string withNul() { return std::string("x = 1\ny = 'a") + '\0' + "b'\nx\n"; }

// What a refused color adds to its answer: the accepted forms and names.

INSTANTIATE_TEST_SUITE_P(
    Language, Input,
    ::testing::Values(
        InputCase{"SeparatorsAndSuppression", "a = 1; b = 2, c = 3\nb\n",
                  {R"j({"ok":true,"name":"a"})j", R"j({"ok":true,"name":"b","value":)j" N1("2") "}",
                   R"j({"ok":true,"name":"c","value":)j" N1("3") "}", OK_VALUE(N1("2"))}},
        InputCase{"AFailureEndsItsLine", "a = 1; b = nothing; c = 3\nc\n",
                  {R"j({"ok":true,"name":"a"})j",
                   R"j({"ok":false,"id":"vxhost:UndefinedName","message":"Undefined variable or function 'nothing'."})j",
                   R"j({"ok":false,"id":"vxhost:NotRun","message":"Not run, as a statement before it on its line failed: c = 3"})j",
                   R"j({"ok":false,"id":"vxhost:UnknownStatement","message":"Unknown statement 'c'. Type help for the list of statements. Did you mean a?"})j"}},
        InputCase{"Continuation", "v = [1 2 ...\n 3];\nw = [1 2\n3 4];\nz = zeros(1, ...\n2)\nsize(w)\nnumel(v)\n",
                  {R"j({"ok":true,"name":"v"})j", R"j({"ok":true,"name":"w"})j",
                   R"j({"ok":true,"name":"z","value":{"class":"double","size":[1,2],"data":[0,0]}})j",
                   OK_VALUE(R"j({"class":"double","size":[1,2],"data":[2,2]})j"), OK_VALUE(N1("3"))}},
        InputCase{"Indexing", "m = [1 2 3; 4 5 6];\nm(2, end)\nm(:, 2)'\nm(end)\nm([true false], :)\nc = {10, 'x'};\nc{end}\n",
                  {R"j({"ok":true,"name":"m"})j", OK_VALUE(N1("6")),
                   OK_VALUE(R"j({"class":"double","size":[1,2],"data":[2,5]})j"), OK_VALUE(N1("6")),
                   OK_VALUE(R"j({"class":"double","size":[1,3],"data":[1,2,3]})j"), R"j({"ok":true,"name":"c"})j",
                   OK_VALUE(R"j({"class":"char","size":[1,1],"data":["x"]})j")}},
        InputCase{"IndexedAssignment", "v = 1:3; v(5) = 9; c = {}; c{2} = 'b'; s.a = 1; s.b = v(2);\nv\nc\ns.b\n",
                  {R"j({"ok":true,"name":"v"})j", R"j({"ok":true,"name":"v"})j", R"j({"ok":true,"name":"c"})j",
                   R"j({"ok":true,"name":"c"})j", R"j({"ok":true,"name":"s"})j", R"j({"ok":true,"name":"s"})j",
                   OK_VALUE(R"j({"class":"double","size":[1,5],"data":[1,2,3,0,9]})j"),
                   OK_VALUE(R"j({"class":"cell","size":[1,2],"data":[{"class":"double","size":[0,0],"data":[]},{"class":"char","size":[1,1],"data":["b"]}]})j"),
                   OK_VALUE(N1("2"))}},
        InputCase{"PropertyElements", "ax = axes('XLim', [0 10]);\nax.XLim(2) = 20;\nax.XLim(end)\nax.XLim(3)\n",
                  {R"j({"ok":true,"set":["XLim"],"name":"ax"})j", R"j({"ok":true,"set":["XLim"]})j", OK_VALUE(N1("20")),
                   R"j({"ok":false,"id":"vxhost:Index","message":"Index 3 exceeds the number of array elements (2)."})j"}},
        InputCase{"AssignmentWithoutIndex", "b = [0 2 3];\nb() = 7\nb\n",
                  {R"j({"ok":true,"name":"b"})j",
                   R"j({"ok":false,"id":"vxhost:Index","message":"An indexed assignment needs an index; to replace the whole value, assign to the name."})j",
                   OK_VALUE(R"j({"class":"double","size":[1,3],"data":[0,2,3]})j")}},
        InputCase{"HandlesCaptureTheVariablesTheyName",
                  "ax = axes; lim = [1 2];\nax.ButtonDownFcn = @(src, evt) set(src, 'XLim', lim);\nlim = [5 6];\n"
                  "notify(ax, 'ButtonDown');\nax.XLim\n",
                  {R"j({"ok":true,"name":"ax"})j", R"j({"ok":true,"name":"lim"})j", R"j({"ok":true,"set":["ButtonDownFcn"]})j",
                   R"j({"ok":true,"name":"lim"})j",
                   R"j({"ok":true,"callbacks":[{"function":"@(src, evt) set(src, 'XLim', lim)","ok":true,"set":["XLim"]}]})j",
                   R"j({"ok":true,"value":{"class":"double","size":[1,2],"data":[1,2]},"text":"[1 2]"})j"}},
        InputCase{"HandlesWithExtraArguments",
                  "ax = axes;\nax.ButtonDownFcn = {@(src, evt, a, b) set(src, 'XLim', [a b]), 3, 4};\n"
                  "notify(ax, 'ButtonDown'); ax.XLim\nax.ButtonDownFcn = @set;\nnotify(ax, 'ButtonDown')\n",
                  {R"j({"ok":true,"name":"ax"})j", R"j({"ok":true,"set":["ButtonDownFcn"]})j",
                   R"j({"ok":true,"callbacks":[{"function":"@(src, evt, a, b) set(src, 'XLim', [a b])","ok":true,"set":["XLim"]}]})j",
                   R"j({"ok":true,"value":{"class":"double","size":[1,2],"data":[3,4]},"text":"[3 4]"})j",
                   R"j({"ok":true,"set":["ButtonDownFcn"]})j",
                   R"j({"ok":false,"id":"vxhost:NotText","message":"The property name must be a text (a char row vector), not a struct array."})j"}},
        InputCase{"ConsoleOutputGoesIntoTheAnswer", "f = figure;\nf.Color = 'bl';\n",
                  {R"j({"ok":true,"name":"f"})j",
                   R"j({"ok":false,"id":"KELDAR:datatypes:RGBAColor:AmbiguousName","message":"Color table contains several names that match the specified string.")j" COLOR_HINT R"j(,"output":"datatypes::ColorNameTable::getColorValue ambiguous name: bl\n"})j"}},
        InputCase{"PartialSet", "l = line;\nset(l, 'LineWidth', 7, 'Color', 'mauve')\nl.LineWidth\n",
                  {R"j({"ok":true,"name":"l"})j",
                   R"j({"ok":false,"id":"KELDAR:datatypes:RGBAColor:ParseError","message":"Specified string is an invalid color value. <a href=\"keldar:helpview([docroot,'/techdoc/ref/colorspec.html'])\">Please click for more information on specifying color.</a>","set":["LineWidth"])j" COLOR_HINT "}",
                   R"j({"ok":true,"value":{"class":"double","size":[1,1],"data":[7]},"text":"7"})j"}},
        InputCase{"SparseStoredElementsOnly", "s = sparse(1e8, 1); s2 = sparse([0 3; 0 0]);\nnumel(s)\ns2\n",
                  {R"j({"ok":true,"name":"s"})j", R"j({"ok":true,"name":"s2"})j", OK_VALUE(N1("1e+08")),
                   OK_VALUE(R"j({"class":"double","size":[2,2],"sparse":true,"rows":[1],"columns":[2],"data":[3]})j")}},
        InputCase{"TextConversionFailureNamesTheProperty", "l = line; l.XData = cell(3, 0);\nget(l, 'XData')\nl.XData = [1 2];\nl.XData\n",
                  {R"j({"ok":true,"name":"l"})j", R"j({"ok":true,"set":["XData"]})j",
                   R"j({"ok":false,"id":"vxhost:TextConversion","message":"The value of XData has no text form: its type cannot write a cell 1x0 array as text."})j",
                   R"j({"ok":true,"set":["XData"]})j",
                   R"j({"ok":true,"value":{"class":"double","size":[1,2],"data":[1,2]},"text":"[1 2]"})j"}},
        // Malformed input: one clear error each, and the variables stay.
        InputCase{"MalformedInput",
                  "x = 5;\ny = 'abc\ny = [1 2)\n@\ny = \"t\"\ny = 1 - 2\n" + std::string("z = '\xff'\n") + "x\n",
                  {R"j({"ok":true,"name":"x"})j",
                   R"j({"ok":false,"id":"vxhost:Syntax","message":"a text is not closed at column 9."})j",
                   R"j({"ok":false,"id":"vxhost:Syntax","message":"expected ']' at column 9."})j",
                   R"j({"ok":false,"id":"vxhost:Syntax","message":"'@' must be followed by a function name or a parameter list at column 2."})j",
                   R"j({"ok":false,"id":"vxhost:Syntax","message":"texts are written in single quotes at column 5."})j",
                   R"j({"ok":false,"id":"vxhost:Syntax","message":"unexpected text at column 7."})j",
                   R"j({"ok":false,"id":"vxhost:Syntax","message":"text that is not UTF-8 at column 6."})j", OK_VALUE(N1("5"))}},
        InputCase{"NulByte", withNul(),
                  {R"j({"ok":true,"name":"x","value":)j" N1("1") "}",
                   R"j({"ok":false,"id":"vxhost:Syntax","message":"a NUL character at column 7."})j", OK_VALUE(N1("1"))}},
        InputCase{"UnbalancedAtTheEnd", "x = 2;\ny = [1 2\n",
                  {R"j({"ok":true,"name":"x"})j", R"j({"ok":false,"id":"vxhost:Syntax","message":"expected ']' at column 1."})j"}},
        InputCase{"HelpDocumentsARow", "help numel\nhelp nume\n",
                  {R"j({"ok":true,"help":{"name":"numel","usage":"numel(X)","summary":"the number of elements of X"}})j",
                   R"j({"ok":false,"id":"vxhost:UnknownStatement","message":"Unknown statement 'nume'. Type help for the list of statements. Did you mean numel?"})j"}}),
    [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

#undef N1
#undef OK_VALUE

// Completion and the command table, in-process on one session (a process
// keeps one graphics root, as the console does).
class InProcess : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        library_ = new vxhost::Library(vxhost::Library::load());
        session_ = new vxhost::Session(*library_, true);
    }
    static vxhost::Library* library_;
    static vxhost::Session* session_;
};
vxhost::Library* InProcess::library_ = nullptr;
vxhost::Session* InProcess::session_ = nullptr;

struct CompletionCase {
    const char* line;
    std::vector<std::string> candidates;
};

TEST_F(InProcess, CompletesNamesVariablesAndProperties)
{
    vxhost::Session& session = *session_;
    ASSERT_TRUE(session.run("ax = axes; axis_count = 1;", false));
    const CompletionCase cases[] = {
        {"ax.XL", {"XLabel", "XLim", "XLimMode"}},
        {"set(ax, 'xl", {"XLabel", "XLim", "XLimMode"}},
        {"set(ax, 'XLim', [0 1], 'YL", {"YLabel", "YLim", "YLimMode"}},
        {"ax", {"ax", "axes", "axis_count"}},
        {"x = num", {"numel"}},
        {"nothing.XL", {}},
        {"ax.XScale = 'l", {"linear", "log"}},
        {"set(ax, 'XScale', 'li", {"linear"}},
        {"ax.Box = '", {"off", "on"}},
        // Commas and spaces inside quoted values, several pairs, the leftmost call deciding the object.
        {"set(ax, 'Tag', 'a, b', 'XL", {"XLabel", "XLim", "XLimMode"}},
        {"set( ax ,'XLim',[0 1] , 'Tag' ,'x, y', 'XScale' , 'l", {"linear", "log"}},
        {"set(ax, 'XLim', [0 1], 'Tag', 'a', 'XSc", {"XScale"}},
        {"ax.XScale  =  'l", {"linear", "log"}},
        {"2ax.XL", {"XLabel", "XLim", "XLimMode"}},
        {"offset(ax, 'XL", {"XLabel", "XLim", "XLimMode"}},
        {"set(nothing, set(ax, 'XL", {}},
        {"set(ax, set(nothing, 'XL", {"XLabel", "XLim", "XLimMode"}},
        {"set(ax, f(1, 2), 'XSc", {"XScale"}},
        // A quote inside a value, or text between a closing quote and its comma, ends the call's arguments.
        {"set(ax, 'it''s', 'XL", {}},
        {"set(ax, x', 'XL", {}},
        {"set(ax, 'XScale' x, 'l", {}},
        // get reads one property: no names after its second argument, whatever its first is.
        {"get(ax, 'XL", {"XLabel", "XLim", "XLimMode"}},
        {"get(ax, 'XLim', 'XL", {}},
        {"get(1, 'a', set(ax, 'XL", {}},
        {"get(ax, 'XScale', '", {}},
    };
    for (const CompletionCase& c : cases) {
        std::string line = c.line;
        vxhost::Completion got = vxhost::complete(session, line, line.size());
        EXPECT_EQ(got.candidates, c.candidates) << c.line;
    }
}

// Every name of the table is a row once, with a usage and a summary; help NAME answers for each.
TEST_F(InProcess, EveryRowIsDocumentedOnce)
{
    vxhost::Session& session = *session_;
    std::vector<std::string_view> seen;
    for (const vxhost::Command& c : vxhost::commandTable()) {
        EXPECT_EQ(std::count(seen.begin(), seen.end(), c.name), 0) << c.name;
        seen.push_back(c.name);
        EXPECT_FALSE(c.usage.empty()) << c.name;
        EXPECT_FALSE(c.summary.empty()) << c.name;
        auto answers = session.run("help " + std::string(c.name), false);
        ASSERT_TRUE(answers && answers->size() == 1 && answers->front().ok) << c.name;
    }
}

TEST(Sessions, OneAfterAnother)
{
    vxhost::Library library = vxhost::Library::load();
    for (int i = 0; i < 2; ++i) {
        vxhost::Session s(library, true);
        auto r = s.run("ax = axes;", false);
        ASSERT_TRUE(r && r->front().ok) << r->front().message;
    }
}

// Ctrl-C at the prompt drops the line being typed; the session and its variables stay.
TEST(Prompt, CtrlCCancelsTheLineAndKeepsTheSession)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    std::string slave = ptsname(master);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, slave.c_str(), O_RDWR, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // A session of its own, so that the terminal becomes its controlling one.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    char* argv[] = {const_cast<char*>(VXHOST_PATH), nullptr};
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, VXHOST_PATH, &actions, &attr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    std::string seen;
    auto readUntil = [&](const std::string& what) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (seen.find(what) == std::string::npos && std::chrono::steady_clock::now() < until) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 100) > 0) {
                char buf[4096];
                ssize_t n = read(master, buf, sizeof buf);
                if (n <= 0)
                    break;
                seen.append(buf, static_cast<std::size_t>(n));
            }
        }
        return seen.find(what) != std::string::npos;
    };
    auto type = [&](const std::string& s) { ASSERT_EQ(write(master, s.data(), s.size()), static_cast<ssize_t>(s.size())); };
    EXPECT_TRUE(readUntil(">> "));
    type("kept = 41 + \x03");
    type("half = [1 2\n");
    EXPECT_TRUE(readUntil(".. "));
    type("\x03");
    type("kept = 42\n");
    EXPECT_TRUE(readUntil("value: double 1x1 42"));
    type("kept\n");
    seen.clear();
    EXPECT_TRUE(readUntil("value: double 1x1 42")) << seen;
    type("half\n");
    EXPECT_TRUE(readUntil("vxhost:")) << seen;
    EXPECT_EQ(seen.find("vxhost:Syntax"), std::string::npos) << "a cancelled line ran: " << seen;
    type("quit\n");
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status)) << "the console did not end by itself";
    close(master);
}

} // namespace
