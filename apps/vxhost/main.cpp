// vxhost: the host console. Loads the property library as the host does and
// runs statements on its types, from -e options, a script file, standard
// input, or an interactive prompt.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>


#include "host.h"
#include "commands.h"
#include "interactive.h"
#include "session.h"

namespace {

using namespace vxhost;

constexpr int kAllOk = 0;
constexpr int kSomeFailed = 1; // also: the library could not be loaded
constexpr int kUsageError = 2;
constexpr const char* kPrompt = ">> ";

struct Options {
    bool json = false;
    bool help = false;
    std::vector<std::string> statements;
    std::optional<std::string> script; // "-" is standard input
};

void printHelp()
{
    std::printf("Usage: vxhost [--json] [-e STATEMENT]... [SCRIPT | -]\n"
                "\n"
                "Loads the property data type library and runs statements on its types:\n"
                "those given with -e (in order), else the lines of SCRIPT, else standard\n"
                "input (an interactive prompt with line editing when it is a terminal).\n"
                "Lines starting with %% or # are comments.\n"
                "\n"
                "Options:\n"
                "  -e STATEMENT  run STATEMENT (repeatable)\n"
                "  --json        answer each statement with exactly one line of JSON\n"
                "  -h, --help    show this help\n"
                "\n"
                "Statements:\n");
    for (const Command& s : commandTable())
        std::printf("  %-28.*s %.*s\n", static_cast<int>(s.usage.size()), s.usage.data(),
                    static_cast<int>(s.summary.size()), s.summary.data());
    std::printf("\n"
                "Values: 1 -2.5e3 NaN Inf [1 2; 3 4] 'text' ['ab';'cd'] true false {1, 'a'} {}\n"
                "  1:3 x' x(2) x(end) c{1} s.field h.Property @name @(src, evt) STATEMENT\n"
                "Statements are separated by , or ; (which hides the answer); a line ending\n"
                "in ... or inside an open bracket continues on the next line.\n"
                "\n"
                "Exit status: 0 when every statement succeeded, 1 when any raised an error\n"
                "(or the library could not be loaded), 2 for a usage error.\n");
}

// Parses the command line; a usage error is reported and gives no options.
std::optional<Options> parseOptions(int argc, char** argv)
{
    Options o;
    bool positionalOnly = false;
    auto usageError = [](const std::string& why) {
        std::fprintf(stderr, "vxhost: %s\nTry 'vxhost --help'.\n", why.c_str());
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!positionalOnly && arg == "--") {
            positionalOnly = true;
        } else if (!positionalOnly && arg == "--json") {
            o.json = true;
        } else if (!positionalOnly && (arg == "--help" || arg == "-h")) {
            o.help = true;
        } else if (!positionalOnly && arg == "-e") {
            if (i + 1 >= argc)
                return usageError("-e needs a statement");
            o.statements.emplace_back(argv[++i]);
        } else if (!positionalOnly && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else if (o.script) {
            return usageError("only one script may be given");
        } else {
            o.script = arg;
        }
    }
    if (o.script && !o.statements.empty())
        return usageError("give statements with -e or a script, not both");
    return o;
}

class Console {
public:
    Console(Session& session, bool json, bool echo) : session_(session), json_(json), echo_(echo) {}

    // Feeds one line; a statement left open (a bracket, '...') waits for the
    // next. `last`: no line follows. False once the session ends.
    bool line(std::string text, bool last = false)
    {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (pending_.empty()) {
            pending_ = std::move(text);
        } else {
            pending_ += '\n';
            pending_ += text;
        }
        // Echoed inputs are kept for the echo; others are moved into the parse.
        std::string input = echo_ && !json_ ? pending_ : std::string();
        std::optional<std::vector<Outcome>> outcomes = session_.run(std::move(pending_), !last, &pending_);
        if (!outcomes)
            return true;
        pending_.clear();
        std::string out;
        if (outcomes->empty()) { // blank lines and comments
            if (echo_ && !json_)
                out = input + "\n";
        } else if (echo_ && !json_) {
            out = kPrompt + input + "\n";
        }
        for (const Outcome& o : *outcomes) {
            failed_ |= !o.ok;
            if (json_) {
                out += json::dump(o.json()) + "\n";
            } else {
                out += o.output;
                out += o.readable();
            }
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
        return !session_.quit();
    }

    // Ends the input: a statement still open is answered with its error.
    void finish()
    {
        if (!pending_.empty())
            line("", true);
    }

    // Drops a statement left open (Ctrl-C at the prompt).
    void cancel() { pending_.clear(); }
    bool continuing() const { return !pending_.empty(); }

    void stream(std::istream& in)
    {
        std::string text;
        while (std::getline(in, text))
            if (!line(std::move(text)))
                return;
        finish();
    }

    int status() const { return failed_ ? kSomeFailed : kAllOk; }

private:
    Session& session_;
    bool json_;
    bool echo_;
    bool failed_ = false;
    std::string pending_;
};

} // namespace

int main(int argc, char** argv)
{
    std::optional<Options> options = parseOptions(argc, argv);
    if (!options)
        return kUsageError;
    if (options->help) {
        printHelp();
        return kAllOk;
    }
    std::ifstream file;
    if (options->script && *options->script != "-") {
        file.open(*options->script);
        if (!file) {
            std::fprintf(stderr, "vxhost: cannot open script '%s': %s\n", options->script->c_str(),
                         std::strerror(errno));
            return kUsageError;
        }
    }
    std::optional<Library> library;
    try {
        library = Library::load();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vxhost: %s\n", e.what());
        return kSomeFailed;
    }
    Session session(*library, options->json);
    bool interactive = options->statements.empty() && !options->script && isatty(STDIN_FILENO);
    // Outside the prompt each statement is shown above its answer.
    Console console(session, options->json, !interactive);
    if (!options->statements.empty()) {
        for (const std::string& s : options->statements)
            if (!console.line(s, true))
                break;
    } else if (file.is_open()) {
        console.stream(file);
    } else if (interactive) {
        runInteractive(session, [&](const std::string& text) { return console.line(text); },
                       [&] { console.cancel(); }, [&] { return console.continuing(); });
    } else {
        console.stream(std::cin);
    }
    return console.status();
}
