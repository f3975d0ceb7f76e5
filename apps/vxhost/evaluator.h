// The one evaluator of the console's syntax tree (syntax.h), and the
// workspace it runs in: graphics objects, variables, function handles.
//
// Names in an expression are looked up in this order: a variable, a row of the
// command table (a statement or function: `set`, `zeros`, `figure`, ...), and
// in an index `end`. The command table is handed in by whoever makes the
// workspace; every row is called the same way: with the words of command
// syntax (`from VectorData [1 2]`) or the arguments of a call
// (`from('VectorData', [1 2])`), read through `Arguments`.
#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "arrays.h"
#include "graphics.h"
#include "gui_objects/callback.h"
#include "json.h"
#include "suggest.h"
#include "syntax.h"
#include "ut/name_match.h"

namespace vxhost {

// What an expression gives: a host array (null: no value), flagged when it
// holds numeric handles, and the property it was read from, if any.
struct Value {
    QxArrayPtr array;
    bool handles = false;
    nyro::COSInterfacePtr object;
    nyro::COSPropInfo* property = nullptr;
};

struct Variable {
    QxArrayPtr array; // array scope 2
    bool handles = false;
};
using Scope = std::map<std::string, Variable, std::less<>>;

class Evaluator;
class Arguments;
struct Command;

using Handler = Value (*)(Evaluator&, Arguments&);

// A row of the command table.
struct Command {
    std::string_view name;
    std::string_view usage;   // how it is written: "set(H, 'NAME', VALUE, ...)"
    std::string_view summary; // one line
    std::size_t minArgs, maxArgs;
    Handler run;
};
inline constexpr std::size_t kMany = static_cast<std::size_t>(-1);

// Callbacks run inside callbacks at most this deep.
inline constexpr int kMaxCallbackDepth = 8;

class Workspace : public gui_objects::CallbackExecutor {
public:
    // While it lives the workspace is the host's callback executor.
    Workspace(const Library& library, std::span<const Command> commands, bool warn);
    ~Workspace() override;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Runs a callback's statements with src and evt bound.
    void evaluate(const std::string& statement, const std::vector<const qxArray*>& args) override;
    // Runs a callback's function handle: the console's own handles here,
    // others through the host's function table.
    void call(const qxArray* functionHandle, const std::vector<const qxArray*>& args) override;

    // The row named `name`, or null.
    const Command* command(std::string_view name) const;
    std::span<const Command> commands() const { return commands_; }
    // Names nothing may be assigned to: rows and `end`.
    bool reserved(std::string_view name) const;

    // A function handle for `@(params) body` capturing the variables of
    // `scope` that the body names; for `@name` when `params` is null.
    QxArrayPtr makeHandle(const syntax::Program& program, const syntax::Node& handle, const Scope& scope);
    QxArrayPtr makeHandle(std::string_view name);

    Graphics graphics;
    Scope variables;
    bool quit = false;
    // Whether save and load may touch files (the fuzzing target turns them off).
    bool files = true;
    std::vector<json::Value> callbackLog;
    int depth = 0;

    struct Closure;

private:
    std::span<const Command> commands_;
    ut::NameMatcher commandNames_{ut::NameMatcher::Case::Exact}; // statement names are written exactly
    gui_objects::CallbackExecutor* previous_;
    std::map<std::string, std::unique_ptr<Closure>> closures_;
};

// The arguments of a row: command words or call arguments (or arrays a
// function handle was called with).
class Arguments {
public:
    struct Source {
        const syntax::Node* node = nullptr; // a Word or an expression
        bool word = false;
        const qxArray* given = nullptr;
    };
    Arguments(Evaluator& ev, const Command& command, std::vector<Source> sources)
        : ev_(ev), command_(command), sources_(std::move(sources))
    {
    }
    std::size_t size() const { return sources_.size(); }
    const Command& command() const { return command_; }
    // The value of argument i.
    Value value(std::size_t i);
    // The array of argument i (raises when it gives none).
    QxArrayPtr array(std::size_t i, const char* what = "The argument");
    // A name: a bare command word as written, else a text.
    std::string word(std::size_t i);
    // A text (char row) argument.
    std::string text(std::size_t i, const char* what);
    // Raises vxhost:Usage with the row's usage.
    [[noreturn]] void usage() const;

private:
    Evaluator& ev_;
    const Command& command_;
    std::vector<Source> sources_;
};

class Evaluator {
public:
    // `ws` may be null: then only values and the rows that need no graphics work.
    Evaluator(std::span<const Command> commands, Workspace* ws, Scope& scope, const syntax::Program& program)
        : commands(commands), scope(scope), ws_(ws), program_(program)
    {
    }

    // Runs one Statement node; returns its answer's fields. `display` false
    // leaves the value out (nothing is encoded for a suppressed statement).
    json::Value statement(const syntax::Node& s);

    Value evaluate(const syntax::Node& n);
    const syntax::Program& program() const { return program_; }

    // ---- for the rows
    std::vector<nyro::COSInterfacePtr> objectsOf(const Value& v, const char* what) const;
    nyro::COSInterfacePtr objectOf(const Value& v, const char* what) const;
    // A property by the name a user writes: a property of the object's class,
    // Children, or (on the root, figures and axes) a default such as DefaultLineColor.
    Value readProperty(const nyro::COSInterfacePtr& obj, std::string_view name) const;
    // Sets what `name` names the same way; returns the name as spelled in the class.
    std::string setProperty(const nyro::COSInterfacePtr& obj, std::string_view name, const qxArray* value) const;
    // Sets name/value pairs args[first...] on every object, in order; the
    // first refusal stops, and `partial` names what was set before it.
    json::Value setPairs(const std::vector<nyro::COSInterfacePtr>& objects, Arguments& args, std::size_t first);

    // The workspace; "vxhost:NoGraphics" where there is none.
    Workspace& ws() const;
    Workspace* workspace() const { return ws_; }
    const Command* command(std::string_view name) const;

    std::span<const Command> commands;
    Scope& scope;
    json::Value answer = json::Value::object(); // fields a row adds to the statement's answer
    json::Value partial;                         // what a failed statement changed ("set": [...])
    bool display = true;

private:
    Value postfix(const syntax::Node& n);
    Value name(const syntax::Node& n, const syntax::Node* call);
    Value call(const Command& c, const syntax::Node* args);
    Value matrix(const syntax::Node& n, bool cells);
    Value range(const syntax::Node& n);
    std::vector<Subscript> subscripts(const Value& base, const syntax::Node& args);
    Value applyIndex(Value base, const syntax::Node& op);
    json::Value assign(const syntax::Node& n);
    Value assignInto(Value current, const std::vector<const syntax::Node*>& ops, std::size_t k, const Value& rhs,
                     json::Value& names);
    json::Value runCommand(const syntax::Node& n);

    Workspace* ws_;
    const syntax::Program& program_;
    // The arrays whose sizes `end` stands for, innermost last.
    struct EndFrame {
        const qxArray* array;
        std::size_t position, count;
    };
    std::vector<EndFrame> ends_;
    const syntax::Node* statementStart_ = nullptr;
};

// A property's text form; a type whose text conversion refuses the value
// raises vxhost:TextConversion naming the property and why.
json::Value textOfProperty(const nyro::COSInterface* obj, nyro::COSPropInfo* p);
json::Value encodeValue(const Value& v);
// Why a type's text conversion refused: the user error's text, or what the
// array is (for the library's internal exceptions, which carry none).
std::string whyNoText(const qxArray* a, const std::exception* e);
// Numeric handles of an object array.
QxArrayPtr handlesOfObjects(const qxArray* objects);
QxArrayPtr handleArray(const std::vector<nyro::COSInterfacePtr>& objects);
// An expression without variables or graphics: the defaults of the class catalog.
QxArrayPtr evaluateLiteral(std::string_view text, std::span<const Command> commands);

} // namespace vxhost
