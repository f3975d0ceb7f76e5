// The statements of the console. Each is a row of one table (name, usage,
// summary, handler), so a new statement is a handler and a row:
//
//   json::Value runShow(Session&, Arguments& args)
//   {
//       QxArrayPtr a = args.literal();
//       args.end();
//       return json::Value::object().set("array", encodeArray(a.get()));
//   }
//   {"show", "show LITERAL", "the array a literal makes", runShow},
//
// A handler reads its arguments from `Arguments`, returns the fields of its
// answer (the console adds "ok":true) and raises a host error for anything
// that fails; every array and value it makes is owned by RAII holders, and
// the host's temporaries are reclaimed after each statement.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "arrays.h"
#include "host.h"
#include "json.h"

namespace vxhost {

class Workspace;

struct Session {
    const Library& library;
    bool quit = false;
    // Answers are JSON lines: warnings go into answers, not to standard error.
    bool json = false;
    // The graphics objects and variables, made by the first statement that needs them.
    std::shared_ptr<Workspace> workspace;
};

struct Statement;

// The words and literals after a statement's name.
class Arguments {
public:
    Arguments(const Statement& statement, std::string_view line, std::size_t pos)
        : statement_(statement), line_(line), pos_(pos)
    {
    }
    // A quoted text ('int32 scalar') or a run of non-blank characters (on/off).
    std::string word();
    // A literal (literal.h).
    QxArrayPtr literal();
    // A literal that makes a text: a char row vector or an empty char array.
    std::string text(const char* what);
    // Only blanks or a comment (from % or #) may remain.
    void end();
    // Whether only blanks or a comment remain: where optional arguments end.
    bool atEnd();
    // The whole statement.
    std::string_view line() const { return line_; }

private:
    [[noreturn]] void usage() const;
    const Statement& statement_;
    std::string_view line_;
    std::size_t pos_;
};

using Handler = json::Value (*)(Session&, Arguments&);

struct Statement {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    Handler run;
};

std::span<const Statement> statements();

// What a statement answered: the fields of its answer, or what it raised.
struct Outcome {
    bool ok = true;
    json::Value fields = json::Value::object();
    std::string id;
    std::string message;

    // {"ok":true, fields...} or {"ok":false,"id":...,"message":...}
    json::Value json() const;
    // The readable display (display.h); "error [ID]: MESSAGE" for a failure.
    std::string readable() const;
};

// Blank lines and lines whose first non-blank character is % or # are comments.
bool isStatement(std::string_view line);

// Runs one statement; never throws for what the statement does.
Outcome execute(Session& session, std::string_view line);

} // namespace vxhost
