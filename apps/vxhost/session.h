// A console session: the workspace (graphics objects, variables) and the
// running of inputs, one answer per statement.
//
//   Session s(library, /*json=*/true);
//   for (const Outcome& o : *s.run("a = 1; b = 2", false))
//       puts(json::dump(o.json()).c_str());
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "evaluator.h"
#include "host.h"
#include "json.h"

namespace vxhost {

// What a statement answered: the fields of its answer, or what it raised
// (with what it changed before, as "set": [...]), and the host's console
// output it produced while it ran (captured in JSON mode).
struct Outcome {
    bool ok = true;
    bool display = true; // false for a ';'-suppressed statement
    json::Value fields = json::Value::object();
    std::string id;
    std::string message;
    std::string output;

    // {"ok":true, fields..., "output":...} or {"ok":false,"id":...,"message":..., fields...}
    json::Value json() const;
    // The readable display (display.h); "error [ID]: MESSAGE" for a failure;
    // nothing for a suppressed statement that succeeded.
    std::string readable() const;
};

class Session {
public:
    // `json`: console output is captured into the answers, and the catalog's
    // warnings stay off standard error.
    Session(const Library& library, bool json);
    ~Session();

    // Runs an input of one or more lines. With `more` (further lines may
    // follow) an input that ends inside a bracket or after '...' gives no
    // answers (nullopt) and is handed back in `*open`: the caller appends the
    // next line and tries again. The input is moved, not copied: a large
    // literal is held once. A syntax error answers once; after a statement
    // that fails, the ones after it do not run and answer "vxhost:NotRun".
    std::optional<std::vector<Outcome>> run(std::string input, bool more, std::string* open = nullptr);

    bool quit() const { return workspace_->quit; }
    Workspace& workspace() { return *workspace_; }

private:
    Outcome statement(const syntax::Program& program, const syntax::Node& s);

    bool json_;
    std::unique_ptr<Workspace> workspace_;
};

} // namespace vxhost
