// Runs the built console as a child process: arguments and standard input in,
// exit status, standard output and standard error out. The streams go through
// files of a private directory, so that no pipe can fill up or break.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace vxtest {

struct ConsoleRun {
    int status = -1; // exit status, or -1 when the console did not exit normally
    std::string out;
    std::string err;
};

inline ConsoleRun runConsole(const std::vector<std::string>& args, const std::string& input = {})
{
    char dir[] = "/tmp/vxconsole.XXXXXX";
    if (!mkdtemp(dir))
        throw std::runtime_error("cannot make a directory for the console's streams");
    const std::string paths[] = {std::string(dir) + "/in", std::string(dir) + "/out", std::string(dir) + "/err"};
    std::ofstream(paths[0], std::ios::binary) << input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, paths[0].c_str(), O_RDONLY, 0);
    for (int fd : {1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, paths[fd].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(VXHOST_PATH)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    int spawned = posix_spawn(&pid, VXHOST_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ConsoleRun run;
    int wstatus = 0;
    if (spawned == 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    std::string* streams[] = {nullptr, &run.out, &run.err};
    for (int fd : {1, 2}) {
        std::ifstream file(paths[fd], std::ios::binary);
        streams[fd]->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    for (const std::string& p : paths)
        std::remove(p.c_str());
    rmdir(dir);
    if (spawned != 0)
        throw std::runtime_error("cannot start " VXHOST_PATH);
    return run;
}

inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// A session of statements, each with the line of JSON it answers: "*" is not
// checked (the statement only builds what later ones look at), and an answer
// starting with "~" needs only to be a part of the real one.
struct Step {
    const char* statement;
    const char* json;
};

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};

inline void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }
inline std::string scenarioName(const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; }

// Handles of a session with one figure and one axes: the figure is 1, the
// axes and their title and labels take the next non-integer handles.
#define FIG R"({"ok":true,"name":"h","value":{"handle":1,"class":"figure"}})"
#define AXES R"({"ok":true,"name":"ax","value":{"handle":1.0009765625,"class":"axes"}})"
#define LIMITS(a, b) R"({"ok":true,"value":{"class":"double","size":[1,2],"data":[)" a "," b R"(]},"text":"[)" a " " b R"(]"})"
#define LOGICAL(v) R"({"ok":true,"value":{"class":"logical","size":[1,1],"data":[)" #v "]}}"
#define REFUSED_LIMITS                                                                                                 \
    R"({"ok":false,"id":"KELDAR:VX:TwoValuesIncreasingValidate","message":"This is not a valid Limits value. Limits values are not in increasing order.")"
#define NOT_INCREASING REFUSED_LIMITS "}"
// A refusal by a property adds the hint of what it accepts.
#define COLOR_HINT R"j(,"hint":"RGBAColor takes a color name (b, black, blue, cyan, defaultaxesboxcolor, defaultgridcolor, g, gray, green, k, magenta, red, w, white, yellow, none) or [r g b] or [r g b a]: 3 or 4 doubles between 0 and 1")j"
#define NOT_INCREASING_HINTED REFUSED_LIMITS R"(,"hint":"Limits takes 1x2 double|single, finite and increasing"})"

// Instantiated by each file with its own tables of scenarios.
class Session : public ::testing::TestWithParam<Scenario> {};

} // namespace vxtest
