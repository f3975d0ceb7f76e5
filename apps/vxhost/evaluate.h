// Statements in the syntax of numeric-computing hosts, run on the graphics
// objects of a session:
//
//   h = figure                      ax = axes(h)      l = line(ax, 'XData', 1:3)
//   set(ax, 'XLim', [0 10], 'XScale', 'log')          ax.XLim = [0 10]
//   get(ax, 'XLim')   get(ax)   ax.XLim   ax.Title.FontSize_I
//   delete(h)   isequal(ax.XLim, [0 10])   ishandle(h)   v = [1 2 3]
//   notify(ax, 'ButtonDown')   addlistener(ax, 'Hit', 'ButtonDownFcn')
//   filter(ax.XLabel, 'FontLabelSize', 10)   gcf   gca   groot
//
// Values are host arrays; variables keep theirs past the statement (array
// scope 2). Graphics objects are numeric handles (figures 1, 2, ..., the root
// 0) looked up through the library's handle conversion. Property names match
// in any letter case and may be abbreviated while the abbreviation is unique.
// Callback properties run console statements with `src` (the source handle)
// and `evt` (the event data) bound.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics.h"
#include "gui_objects/callback.h"
#include "json.h"

namespace vxhost {

struct Session;
class Arguments;

// The state of a session's graphics: objects, variables and what callbacks
// answered during the statement in progress. While it lives it is the host's
// callback executor.
class Workspace : public gui_objects::CallbackExecutor {
public:
    struct Variable {
        QxArrayPtr array; // array scope 2
        bool handles = false;
    };

    // `warn`: say on standard error which properties the catalog left out.
    Workspace(const Library& library, bool warn);
    ~Workspace() override;

    // Runs a callback's statements (separated by ';') with src and evt bound.
    void evaluate(const std::string& statement, const std::vector<const qxArray*>& args) override;

    Graphics graphics;
    std::map<std::string, Variable> variables;
    std::vector<json::Value> callbackLog;
    int depth = 0;

private:
    gui_objects::CallbackExecutor* previous_;
};

// Callbacks run inside callbacks at most this deep.
inline constexpr int kMaxCallbackDepth = 8;

Workspace& workspaceOf(Session& session);

// Whether a line whose first word is `word` (and which the statement table
// does or does not know) is an expression statement: an assignment, a property
// access, a call, a variable or a literal.
bool isExpressionStatement(std::string_view line, std::string_view word, bool known);

// Runs an expression statement; raises host errors like any statement.
json::Value evaluateStatement(Session& session, std::string_view line);

// Handlers of the statement table.
json::Value runExpression(Session& session, Arguments& args); // the call-syntax rows
json::Value runClasses(Session& session, Arguments& args);
json::Value runWho(Session& session, Arguments& args);
json::Value runClear(Session& session, Arguments& args);

} // namespace vxhost
