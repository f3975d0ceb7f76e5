#include "evaluator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "encode.h"
#include "messages.h"
#include "nyro/nyro.h"
#include "suggest.h"

namespace vxhost {

namespace {

using syntax::Kind;
using syntax::Node;

// Binds a variable for the length of a callback, restoring what it held.
class Binding {
public:
    Binding(Scope& scope, std::string name, QxArrayPtr array, bool handles) : scope_(scope), name_(std::move(name))
    {
        if (auto it = scope_.find(name_); it != scope_.end()) {
            saved_ = std::move(it->second);
            had_ = true;
        }
        qxSetArrayScope(array.get(), 2);
        scope_[name_] = Variable{std::move(array), handles};
    }
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;
    ~Binding()
    {
        if (had_)
            scope_[name_] = std::move(saved_);
        else
            scope_.erase(name_);
    }

private:
    Scope& scope_;
    std::string name_;
    Variable saved_;
    bool had_ = false;
};

struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d)
    {
        if (depth >= kMaxCallbackDepth)
            fail(msg::CallbackDepth, kMaxCallbackDepth);
        ++depth;
    }
    ~DepthGuard() { --depth; }
};

Variable variableOf(Value v)
{
    qxSetArrayScope(v.array.get(), 2);
    return Variable{std::move(v.array), v.handles};
}

Value valueOf(const Variable& var)
{
    Value v;
    v.array.reset(qxCreateSharedDataCopy(var.array.get()));
    v.handles = var.handles;
    return v;
}

// The value of an argument a callback or function handle was called with:
// object arrays become numeric handles.
Value valueOfGiven(const qxArray* a)
{
    Value v;
    if (a && qxIsObject(a)) {
        v.array = handlesOfObjects(a);
        v.handles = true;
    } else {
        v.array.reset(a ? qxCreateSharedDataCopy(a) : qxCreateDoubleMatrix(0, 0, qxREAL));
    }
    return v;
}

void collectNames(const syntax::Program& p, const Node& n, std::vector<std::string>& out)
{
    if (n.kind == Kind::Name)
        out.emplace_back(p.text(n));
    for (const auto& c : n.children)
        collectNames(p, *c, out);
}

json::Value runStatements(Workspace& ws, Scope& scope, const syntax::Program& program, const char* key,
                          const std::string& what)
{
    for (const auto& s : program.statements) {
        Evaluator ev(ws.commands(), &ws, scope, program);
        json::Value fields = ev.statement(*s);
        json::Value entry = json::Value::object();
        entry[key] = key == std::string("statement") ? std::string(program.text(*s->children[0])) : what;
        entry["ok"] = true;
        entry.update(fields);
        ws.callbackLog.push_back(std::move(entry));
    }
    return {};
}

std::unique_ptr<syntax::Program> parsed(std::string text)
{
    syntax::ParseResult r = syntax::parse(std::move(text));
    if (!r.ok())
        fail(msg::SyntaxError, r.error.message.c_str());
    return std::move(r.program);
}

} // namespace

// ---- function handles -----------------------------------------------------------------

struct Workspace::Closure {
    Workspace* ws = nullptr;
    std::string name;
    const Command* row = nullptr;              // @name of a row
    std::vector<std::string> params;           // @(params) body
    std::unique_ptr<syntax::Program> body;
    Scope captured;
};

namespace {

qxArray* runClosure(void* context, int nargs, const qxArray* const* args)
{
    auto* c = static_cast<Workspace::Closure*>(context);
    if (!c || !c->ws)
        fail(msg::HandleGone, c ? c->name.c_str() : "");
    Workspace& ws = *c->ws;
    DepthGuard guard(ws.depth);
    if (c->row) {
        std::vector<Arguments::Source> sources;
        for (int i = 0; i < nargs; ++i)
            sources.push_back({nullptr, false, args[i]});
        Scope none;
        syntax::Program empty;
        Evaluator ev(ws.commands(), &ws, none, empty);
        ev.display = false;
        Arguments a(ev, *c->row, std::move(sources));
        if (a.size() < c->row->minArgs || a.size() > c->row->maxArgs)
            a.usage();
        c->row->run(ev, a);
        ws.callbackLog.push_back(json::Value{{"function", c->name}, {"ok", true}});
        return nullptr;
    }
    if (static_cast<std::size_t>(nargs) > c->params.size())
        fail(msg::HandleArguments, c->name.c_str(), c->params.size(), static_cast<std::size_t>(nargs));
    Scope local;
    for (const auto& [n, var] : c->captured)
        local[n] = variableOf(valueOf(var));
    for (int i = 0; i < nargs; ++i)
        local[c->params[static_cast<std::size_t>(i)]] = variableOf(valueOfGiven(args[i]));
    runStatements(ws, local, *c->body, "function", c->name);
    return nullptr;
}

qxArray* sessionEnded(void* context, int, const qxArray* const*)
{
    fail(msg::HandleGone, static_cast<const char*>(context));
}

// What the host's function table holds for a handle of the console: the name
// only. The console runs its handles itself (Workspace::call), as the
// callback executor the layer below declares, so nothing below calls up into
// the evaluator.
qxArray* consoleOnly(void* context, int, const qxArray* const*)
{
    fail(msg::ConsoleFunction, static_cast<const char*>(context));
}

} // namespace

QxArrayPtr Workspace::makeHandle(std::string_view name)
{
    const Command* row = command(name);
    if (!row) {
        std::vector<std::string> names;
        for (const Command& k : commands_)
            names.emplace_back(k.name);
        std::string written(name);
        fail(msg::UndefinedName, written.c_str(), closest(written, names).c_str());
    }
    auto c = std::make_unique<Closure>();
    c->ws = this;
    c->name = std::string(name);
    c->row = row;
    qxRegisterFunction(c->name.c_str(), consoleOnly, const_cast<char*>(c->name.c_str()));
    QxArrayPtr h(qxCreateFunctionHandle(c->name.c_str()));
    closures_[c->name] = std::move(c);
    return h;
}

QxArrayPtr Workspace::makeHandle(const syntax::Program& program, const Node& handle, const Scope& scope)
{
    auto c = std::make_unique<Closure>();
    c->ws = this;
    const Node& params = *handle.children[0];
    const Node& body = *handle.children[1];
    for (const auto& p : params.children)
        c->params.emplace_back(program.text(*p));
    c->body = parsed(std::string(program.text(body)));
    // The variables the body names are captured as they are now.
    std::vector<std::string> names;
    collectNames(program, body, names);
    for (const std::string& n : names)
        if (std::find(c->params.begin(), c->params.end(), n) == c->params.end())
            if (auto it = scope.find(n); it != scope.end())
                c->captured[n] = variableOf(valueOf(it->second));
    // The handle is named by its text; the same text with other captures gets a number.
    std::string name(program.text(handle));
    for (int k = 2; closures_.count(name); ++k)
        name = std::string(program.text(handle)) + " % " + std::to_string(k);
    c->name = name;
    qxRegisterFunction(name.c_str(), consoleOnly, const_cast<char*>(c->name.c_str()));
    QxArrayPtr h(qxCreateFunctionHandle(name.c_str()));
    closures_[name] = std::move(c);
    return h;
}

// ---- the workspace ----------------------------------------------------------------------

Workspace::Workspace(const Library& library, std::span<const Command> commands, bool warn)
    : graphics(library, warn, [commands](const char* text) { return evaluateLiteral(text, commands); }),
      commands_(commands), previous_(gui_objects::setCallbackExecutor(this))
{
    for (const Command& c : commands_)
        commandNames_.add(c.name);
}

Workspace::~Workspace()
{
    gui_objects::setCallbackExecutor(previous_);
    // Handles may outlive the session in arrays nobody owns any more: their
    // functions now say so.
    for (auto& [name, c] : closures_)
        qxRegisterFunction(name.c_str(), sessionEnded, const_cast<char*>("of an ended session"));
    variables.clear();
}

const Command* Workspace::command(std::string_view name) const
{
    const int at = commandNames_.find(name);
    return at >= 0 ? &commands_[static_cast<std::size_t>(at)] : nullptr;
}

bool Workspace::reserved(std::string_view name) const { return name == "end" || command(name); }

void Workspace::evaluate(const std::string& statement, const std::vector<const qxArray*>& args)
{
    DepthGuard guard(depth);
    Binding src(variables, "src", args.size() > 0 ? valueOfGiven(args[0]).array : QxArrayPtr(qxCreateDoubleMatrix(0, 0, qxREAL)),
                args.size() > 0 && args[0] && qxIsObject(args[0]));
    Binding evt(variables, "evt", valueOfGiven(args.size() > 1 ? args[1] : nullptr).array, false);
    std::unique_ptr<syntax::Program> program = parsed(statement);
    runStatements(*this, variables, *program, "statement", statement);
}

void Workspace::call(const qxArray* functionHandle, const std::vector<const qxArray*>& args)
{
    const char* name = qxGetFunctionName(functionHandle);
    auto it = name ? closures_.find(name) : closures_.end();
    if (it == closures_.end()) {
        CallbackExecutor::call(functionHandle, args);
        return;
    }
    QxArrayPtr result(runClosure(it->second.get(), static_cast<int>(args.size()), args.data()));
}

// ---- helpers ---------------------------------------------------------------------------

json::Value encodeValue(const Value& v)
{
    if (v.handles)
        return encodeHandles(v.array.get());
    if (v.array && qxIsObject(v.array.get()))
        return encodeObjects(v.array.get());
    return encodeArray(v.array.get());
}

std::string whyNoText(const qxArray* a, const std::exception* e)
{
    if (const auto* user = dynamic_cast<const Quillmark::System::IUserException*>(e))
        return user->GetMessageTxt();
    if (!a)
        return "its type cannot write it";
    std::string size;
    for (qxSize d : qx::dimsOf(a)) {
        if (!size.empty())
            size += 'x';
        size += std::to_string(d);
    }
    return std::string("its type cannot write a ") + qxGetClassName(a) + " " + size + " array as text";
}

json::Value textOfProperty(const COSInterface* obj, COSPropInfo* p)
{
    std::string why;
    try {
        return Graphics::text(obj, p);
    } catch (const Quillmark::System::IUserException&) {
        return json::Value(); // the type has no text form for such values
    } catch (const std::exception& e) {
        QxArrayPtr a;
        try {
            a = Graphics::get(obj, p);
        } catch (...) {
        }
        why = whyNoText(a.get(), &e);
    }
    fail(msg::TextConversion, p->getName(), why.c_str());
}

QxArrayPtr handlesOfObjects(const qxArray* objects)
{
    qxSize n = qxGetNumberOfElements(objects);
    QxArrayPtr out(qxCreateDoubleMatrix(n ? 1 : 0, n, qxREAL));
    for (qxSize i = 0; i < n; ++i)
        qxGetPr(out.get())[i] = Graphics::handleOf(omGetArrayElement(objects, i));
    return out;
}

QxArrayPtr handleArray(const std::vector<COSInterfacePtr>& objects)
{
    QxArrayPtr out(qxCreateDoubleMatrix(objects.empty() ? 0 : 1, objects.size(), qxREAL));
    for (std::size_t i = 0; i < objects.size(); ++i)
        qxGetPr(out.get())[i] = Graphics::handleOf(objects[i].get());
    return out;
}

QxArrayPtr evaluateLiteral(std::string_view text, std::span<const Command> commands)
{
    syntax::ParseResult r = syntax::parseExpression(std::string(text));
    if (!r.ok())
        fail(msg::SyntaxError, r.error.message.c_str());
    Scope none;
    Evaluator ev(commands, nullptr, none, *r.program);
    Value v = ev.evaluate(*r.program->statements.front()->children.front());
    if (!v.array)
        fail(msg::NoValue, "The expression");
    return std::move(v.array);
}

// ---- arguments --------------------------------------------------------------------------

Value Arguments::value(std::size_t i)
{
    const Source& s = sources_.at(i);
    if (s.given || !s.node)
        return valueOfGiven(s.given);
    if (!s.word)
        return ev_.evaluate(*s.node);
    syntax::ParseResult r = syntax::parseExpression(std::string(ev_.program().text(*s.node)));
    if (!r.ok())
        fail(msg::SyntaxError, r.error.message.c_str());
    Evaluator sub(ev_.commands, ev_.workspace(), ev_.scope, *r.program);
    return sub.evaluate(*r.program->statements.front()->children.front());
}

QxArrayPtr Arguments::array(std::size_t i, const char* what)
{
    Value v = value(i);
    if (!v.array)
        fail(msg::NoValue, what);
    return std::move(v.array);
}

std::string Arguments::word(std::size_t i)
{
    const Source& s = sources_.at(i);
    if (s.word) {
        std::string_view w = ev_.program().text(*s.node);
        if (w.size() >= 2 && w.front() == '\'' && w.back() == '\'') {
            syntax::ParseResult r = syntax::parseExpression(std::string(w));
            const Node* e = r.ok() ? r.program->statements.front()->children.front().get() : nullptr;
            while (e && (e->kind == Kind::Range || e->kind == Kind::Postfix) && e->children.size() == 1)
                e = e->children.front().get();
            if (e && e->kind == Kind::String)
                return syntax::stringValue(w);
        }
        return std::string(w);
    }
    return text(i, "The name");
}

std::string Arguments::text(std::size_t i, const char* what)
{
    QxArrayPtr a = array(i, what);
    bool row = qxGetNumberOfElements(a.get()) == 0 || (qxGetNumberOfDimensions(a.get()) == 2 && qxGetM(a.get()) == 1);
    if (!qxIsChar(a.get()) || !row)
        fail(msg::NotText, what,
             qxIsChar(a.get()) ? "a char matrix" : (std::string("a ") + qxGetClassName(a.get()) + " array").c_str());
    return qxArrayToStdString(a.get());
}

void Arguments::usage() const { fail(msg::Usage, std::string(command_.usage).c_str()); }

// ---- the evaluator -----------------------------------------------------------------------

Workspace& Evaluator::ws() const
{
    if (!ws_)
        fail(msg::NoGraphics);
    return *ws_;
}

const Command* Evaluator::command(std::string_view name) const
{
    for (const Command& c : commands)
        if (c.name == name)
            return &c;
    return nullptr;
}

json::Value Evaluator::statement(const Node& s)
{
    display = s.display;
    const Node& body = *s.children.front();
    statementStart_ = &body;
    switch (body.kind) {
    case Kind::Assign: return assign(body);
    case Kind::Command: return runCommand(body);
    default: break;
    }
    Value v = evaluate(*body.children.front());
    json::Value out = answer;
    if (v.array && display) {
        out["value"] = encodeValue(v);
        if (v.property) {
            json::Value text = textOfProperty(v.object.get(), v.property);
            if (!text.is_null())
                out["text"] = std::move(text);
        }
    }
    return out;
}

json::Value Evaluator::runCommand(const Node& n)
{
    std::string name(program_.text(*n.children.front()));
    const Command* row = command(name);
    if (!row) {
        std::vector<std::string> names;
        for (const Command& c : commands)
            names.emplace_back(c.name);
        fail(msg::UnknownStatement, name.c_str(), closest(name, names).c_str());
    }
    std::vector<Arguments::Source> sources;
    for (std::size_t i = 1; i < n.children.size(); ++i)
        sources.push_back({n.children[i].get(), true, nullptr});
    Arguments args(*this, *row, std::move(sources));
    if (args.size() < row->minArgs || args.size() > row->maxArgs)
        args.usage();
    Value v = row->run(*this, args);
    json::Value out = answer;
    if (v.array && display)
        out["value"] = encodeValue(v);
    return out;
}

Value Evaluator::evaluate(const Node& n)
{
    switch (n.kind) {
    case Kind::Number: {
        Value v;
        v.array.reset(qxCreateDoubleScalar(std::strtod(program_.source.c_str() + n.begin, nullptr)));
        return v;
    }
    case Kind::NumberRun: {
        // Counted first, then read straight into the row: no number is kept twice.
        const char* p = program_.source.c_str();
        auto next = [&](std::size_t& i) {
            while (i < n.end) {
                char c = p[i];
                if (c == ' ' || c == '\t' || c == '\r' || c == ',' || c == '\n') {
                    ++i;
                } else if (c == '.' && p[i + 1] == '.' && p[i + 2] == '.') {
                    while (i < n.end && p[i] != '\n')
                        ++i;
                } else {
                    return true;
                }
            }
            return false;
        };
        qxSize count = 0;
        for (std::size_t i = n.begin; next(i); ++count) {
            char* end = nullptr;
            std::strtod(p + i, &end);
            i = static_cast<std::size_t>(end - p);
        }
        arrayOp(qx::checkedCount, Dims{1, count});
        Value v;
        v.array.reset(qxCreateDoubleMatrix(1, count, qxREAL));
        double* x = qxGetPr(v.array.get());
        qxSize k = 0;
        for (std::size_t i = n.begin; next(i); ++k) {
            char* end = nullptr;
            x[k] = std::strtod(p + i, &end);
            i = static_cast<std::size_t>(end - p);
        }
        return v;
    }
    case Kind::String: {
        Value v;
        v.array.reset(qxCreateString(syntax::stringValue(program_.text(n)).c_str()));
        return v;
    }
    case Kind::Name: return name(n, nullptr);
    case Kind::Colon: fail(msg::SyntaxError, ("':' alone stands for every position only in an index, at column " +
                                               std::to_string(program_.column(n.begin))).c_str());
    case Kind::Matrix: return matrix(n, false);
    case Kind::Cells: return matrix(n, true);
    case Kind::Range: return range(n);
    case Kind::Negate:
    case Kind::Plus: {
        Value operand = evaluate(*n.children.front());
        if (!operand.array)
            fail(msg::NoValue, "The operand of a sign");
        Value v;
        if (n.kind == Kind::Negate) {
            v.array = arrayOp(qx::negate, operand.array.get());
        } else {
            qxClassID cls = qxGetClassID(operand.array.get());
            if (!qx::hasElements(cls))
                fail(msg::ClassMismatch, qxGetClassName(operand.array.get()), "a number");
            v.array = qx::isNumericClass(cls) ? std::move(operand.array)
                                              : arrayOp(qx::convertClass, operand.array.get(), qxDOUBLE_CLASS);
        }
        return v;
    }
    case Kind::Postfix: return postfix(n);
    case Kind::Group: return evaluate(*n.children.front());
    case Kind::Expression: return evaluate(*n.children.front());
    case Kind::Handle: {
        Value v;
        v.array = ws().makeHandle(program_, n, scope);
        return v;
    }
    case Kind::FunctionRef: {
        Value v;
        v.array = ws().makeHandle(program_.text(n));
        return v;
    }
    default: break;
    }
    fail(msg::SyntaxError, ("unexpected text at column " + std::to_string(program_.column(n.begin))).c_str());
}

Value Evaluator::name(const Node& n, const Node* callOp)
{
    std::string_view text = program_.text(n);
    if (auto it = scope.find(text); it != scope.end())
        return valueOf(it->second);
    if (text == "end") {
        if (ends_.empty())
            fail(msg::EndOutsideIndex);
        const EndFrame& f = ends_.back();
        Value v;
        v.array.reset(qxCreateDoubleScalar(
            f.array ? static_cast<double>(qx::endOf(f.array, f.position, f.count)) : 0.0));
        return v;
    }
    if (const Command* row = command(text))
        return call(*row, callOp);
    std::string written(text);
    if (statementStart_ && n.begin == statementStart_->begin) {
        std::vector<std::string> names;
        for (const Command& c : commands)
            names.emplace_back(c.name);
        for (const auto& [v, var] : scope)
            names.push_back(v);
        fail(msg::UnknownStatement, written.c_str(), closest(written, names).c_str());
    }
    std::vector<std::string> names;
    for (const auto& [v, var] : scope)
        names.push_back(v);
    fail(msg::UndefinedName, written.c_str(), closest(written, names).c_str());
}

Value Evaluator::call(const Command& c, const Node* args)
{
    std::vector<Arguments::Source> sources;
    if (args)
        for (const auto& a : args->children)
            sources.push_back({a.get(), false, nullptr});
    Arguments a(*this, c, std::move(sources));
    if (a.size() < c.minArgs || a.size() > c.maxArgs)
        a.usage();
    return c.run(*this, a);
}

Value Evaluator::postfix(const Node& n)
{
    const Node& head = *n.children.front();
    std::size_t k = 1;
    Value v;
    if (head.kind == Kind::Name) {
        std::string_view text = program_.text(head);
        const Node* first = n.children.size() > 1 && n.children[1]->kind == Kind::Call ? n.children[1].get() : nullptr;
        bool isVariable = scope.find(text) != scope.end();
        if (!isVariable && text != "end" && command(text)) {
            v = name(head, first);
            if (first)
                k = 2;
        } else {
            v = name(head, nullptr);
        }
    } else {
        v = evaluate(head);
    }
    for (; k < n.children.size(); ++k) {
        const Node& op = *n.children[k];
        if (op.kind == Kind::Field) {
            std::string field(program_.text(op));
            if (!v.array)
                fail(msg::NoValue, "The value before '.'");
            if (qxIsStruct(v.array.get()) && !v.handles) {
                const qxArray* s = v.array.get();
                int number = qxIsScalar(s) ? qxGetFieldNumber(s, field.c_str()) : -1;
                const qxArray* f = number >= 0 ? qxGetFieldByNumber(s, 0, number) : nullptr;
                if (!f)
                    fail(msg::UnknownField, field.c_str());
                v = valueOfGiven(f);
            } else {
                v = readProperty(objectOf(v, "The object before '.'"), field);
            }
        } else if (op.kind == Kind::Transpose) {
            if (!v.array)
                fail(msg::NoValue, "The value before '''");
            Value t;
            t.array = arrayOp(qx::transposeOf, v.array.get());
            t.handles = v.handles;
            v = std::move(t);
        } else {
            v = applyIndex(std::move(v), op);
        }
    }
    return v;
}

std::vector<Subscript> Evaluator::subscripts(const Value& base, const Node& args)
{
    std::vector<Subscript> subs;
    std::size_t count = args.children.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Node& a = *args.children[i];
        Subscript s;
        if (a.kind == Kind::Colon) {
            s.all = true;
            subs.push_back(std::move(s));
            continue;
        }
        ends_.push_back({base.array.get(), i, count});
        Value v;
        try {
            v = evaluate(a);
        } catch (...) {
            ends_.pop_back();
            throw;
        }
        ends_.pop_back();
        const qxArray* x = v.array.get();
        if (!x)
            fail(msg::NoValue, "An index");
        QxArrayPtr full(qxMustBeFull(x));
        qxClassID cls = qxGetClassID(full.get());
        qxSize n = qxGetNumberOfElements(full.get());
        s.column = qxGetNumberOfDimensions(x) == 2 && qxGetN(x) == 1 && qxGetM(x) > 1;
        if (cls == qxLOGICAL_CLASS) {
            for (qxSize j = 0; j < n; ++j)
                if (qxGetLogicals(full.get())[j])
                    s.at.push_back(j);
        } else {
            if (!qx::isNumericClass(cls) || qxIsComplex(full.get()))
                fail(msg::BadIndex);
            for (qxSize j = 0; j < n; ++j) {
                long double e = qx::readElement(cls, qxGetData(full.get()), j);
                if (!(e >= 1) || e != std::floor(e) || e > static_cast<long double>(qx::maxElements))
                    fail(msg::BadIndex);
                s.at.push_back(static_cast<qxSize>(e) - 1);
            }
        }
        subs.push_back(std::move(s));
    }
    return subs;
}

Value Evaluator::applyIndex(Value base, const Node& op)
{
    if (!base.array)
        fail(msg::NoValue, "The indexed value");
    std::vector<Subscript> subs = subscripts(base, op);
    Value v;
    if (op.kind == Kind::Brace) {
        if (!qxIsCell(base.array.get()))
            fail(msg::NotCell);
        QxArrayPtr picked = arrayOp(qx::indexArray, base.array.get(), subs);
        if (qxGetNumberOfElements(picked.get()) != 1)
            fail(msg::ManyCells, qxGetNumberOfElements(picked.get()));
        return valueOfGiven(qxGetCell(picked.get(), 0));
    }
    v.array = arrayOp(qx::indexArray, base.array.get(), subs);
    v.handles = base.handles;
    return v;
}

Value Evaluator::matrix(const Node& n, bool cells)
{
    std::vector<QxArrayPtr> rows;
    bool allHandles = true, any = false;
    for (const auto& row : n.children) {
        std::vector<QxArrayPtr> elements;
        for (const auto& e : row->children) {
            Value v = evaluate(*e);
            if (!v.array)
                fail(msg::NoValue, "An element");
            allHandles &= v.handles;
            any = true;
            elements.push_back(cells ? qx::cellOf(std::move(v.array)) : std::move(v.array));
        }
        if (elements.size() == 1) {
            rows.push_back(std::move(elements.front()));
            continue;
        }
        std::vector<const qxArray*> parts;
        for (const QxArrayPtr& e : elements)
            parts.push_back(e.get());
        rows.push_back(arrayOp(qx::concatenate, 2, parts));
    }
    Value v;
    if (rows.empty()) {
        v.array.reset(cells ? qxCreateCellMatrix(0, 0) : qxCreateDoubleMatrix(0, 0, qxREAL));
        return v;
    }
    if (rows.size() == 1 && !qxIsSparse(rows.front().get())) {
        // One element or one row: it is the array (a number run is read in place).
        v.array = std::move(rows.front());
    } else {
        std::vector<const qxArray*> parts;
        for (const QxArrayPtr& r : rows)
            parts.push_back(r.get());
        v.array = arrayOp(qx::concatenate, 1, parts);
    }
    v.handles = any && allHandles && !cells;
    return v;
}

// The row from a to b in steps of `step` (1 when not given); empty when the
// step leads away from b. Elements in the second half are counted back from
// the end, so that 0:0.1:0.3 ends on 0.3 exactly. The class is double, or
// single or an integer class when a part is one.
Value Evaluator::range(const Node& n)
{
    if (n.children.size() == 1)
        return evaluate(*n.children.front());
    long double v[3] = {};
    qxClassID cls = qxDOUBLE_CLASS;
    std::size_t parts = n.children.size();
    for (std::size_t i = 0; i < parts; ++i) {
        Value part = evaluate(*n.children[i]);
        const qxArray* p = part.array.get();
        qxClassID c = p ? qxGetClassID(p) : qxUNKNOWN_CLASS;
        if (!p || !(qx::isNumericClass(c) || c == qxLOGICAL_CLASS) || qxGetNumberOfElements(p) != 1 || qxIsComplex(p))
            fail(msg::RangePart, program_.column(n.begin));
        QxArrayPtr full(qxMustBeFull(p));
        v[i] = qx::readElement(c, qxGetData(full.get()), 0);
        if (cls == qxDOUBLE_CLASS && qx::isNumericClass(c))
            cls = c;
    }
    long double a = v[0], step = parts == 3 ? v[1] : 1, b = parts == 3 ? v[2] : v[1];
    qxSize count = 0;
    if (!std::isnan(a) && !std::isnan(step) && !std::isnan(b) && step != 0 && (step > 0 ? a <= b : a >= b)) {
        long double c = std::floor((b - a) / step + 1e-10L) + 1;
        if (!(c <= static_cast<long double>(qx::maxElements)))
            fail(msg::TooLarge, qx::maxElements);
        count = static_cast<qxSize>(c);
    }
    QxArrayPtr out(qxCreateDoubleMatrix(1, count, qxREAL));
    double* x = qxGetPr(out.get());
    long double last = a + static_cast<long double>(count - 1) * step;
    if (count > 0 && std::fabs(last - b) <= 1e-10L * std::fabs(step))
        last = b;
    for (qxSize k = 0; k < count; ++k)
        x[k] = static_cast<double>(2 * k <= count ? a + static_cast<long double>(k) * step
                                                  : last - static_cast<long double>(count - 1 - k) * step);
    Value r;
    r.array = cls == qxDOUBLE_CLASS ? std::move(out) : arrayOp(qx::convertClass, out.get(), cls);
    return r;
}

json::Value Evaluator::assign(const Node& n)
{
    const Node& target = *n.children[0];
    const Node& head = *target.children[0];
    std::string var(program_.text(head));
    bool isVariable = scope.find(var) != scope.end();
    // `groot.Units = ...` sets a property of what a function gives; `groot = ...` is refused.
    const Command* row = isVariable ? nullptr : command(var);
    if ((row || var == "end") && target.children.size() == 1)
        fail(msg::ReservedName, var.c_str());
    Value rhs = evaluate(*n.children[1]);
    if (!rhs.array)
        fail(msg::NoValue, "The right-hand side");
    std::vector<const Node*> ops;
    for (std::size_t i = 1; i < target.children.size(); ++i)
        ops.push_back(target.children[i].get());
    json::Value out = answer;
    // The variable takes the value; a shown answer carries it too.
    auto store = [&](Value v) {
        json::Value shown = display ? encodeValue(v) : json::Value();
        scope[var] = variableOf(std::move(v));
        out["name"] = var;
        if (display)
            out["value"] = std::move(shown);
        return out;
    };
    if (ops.empty())
        return store(std::move(rhs));
    Value current;
    if (auto it = scope.find(var); it != scope.end())
        current = valueOf(it->second);
    else if (row)
        current = call(*row, nullptr);
    json::Value names = json::Value::array();
    Value updated;
    try {
        updated = assignInto(std::move(current), ops, 0, rhs, names);
    } catch (...) {
        if (names.size())
            partial = json::Value{{"set", std::move(names)}};
        throw;
    }
    if (names.size()) { // properties were set: the variable holds the same handles
        out["set"] = std::move(names);
        return out;
    }
    if (row)
        fail(msg::ReservedName, var.c_str());
    return store(std::move(updated));
}

Value Evaluator::assignInto(Value current, const std::vector<const Node*>& ops, std::size_t k, const Value& rhs,
                            json::Value& names)
{
    if (k == ops.size()) {
        Value v;
        v.array.reset(qxCreateSharedDataCopy(rhs.array.get()));
        v.handles = rhs.handles;
        return v;
    }
    const Node& op = *ops[k];
    bool last = k + 1 == ops.size();
    if (op.kind == Kind::Field) {
        std::string field(program_.text(op));
        const qxArray* a = current.array.get();
        if (!a || (qxIsStruct(a) && !current.handles)) {
            Value sub;
            if (a) {
                int f = qxGetFieldNumber(a, field.c_str());
                if (f >= 0 && qxGetNumberOfElements(a) == 1)
                    sub = valueOfGiven(qxGetFieldByNumber(a, 0, f));
            }
            Value inner = assignInto(std::move(sub), ops, k + 1, rhs, names);
            Value out;
            out.array = arrayOp(qx::assignField, a, field, inner.array.get());
            return out;
        }
        for (const COSInterfacePtr& obj : objectsOf(current, "The left-hand side")) {
            if (last) {
                names.push_back(json::Value(setProperty(obj, field, rhs.array.get())));
            } else {
                Value sub = readProperty(obj, field);
                json::Value inner = json::Value::array();
                Value updated = assignInto(std::move(sub), ops, k + 1, rhs, inner);
                names.push_back(json::Value(setProperty(obj, field, updated.array.get())));
            }
        }
        return current;
    }
    std::vector<Subscript> subs = subscripts(current, op);
    Value out;
    out.handles = current.handles;
    if (op.kind == Kind::Brace) {
        Value inner;
        if (!last) {
            if (!current.array || !qxIsCell(current.array.get()))
                fail(msg::NotCell);
            QxArrayPtr picked = arrayOp(qx::indexArray, current.array.get(), subs);
            if (qxGetNumberOfElements(picked.get()) != 1)
                fail(msg::ManyCells, qxGetNumberOfElements(picked.get()));
            inner = assignInto(valueOfGiven(qxGetCell(picked.get(), 0)), ops, k + 1, rhs, names);
        }
        out.array = arrayOp(qx::assignCell, current.array.get(), subs, last ? rhs.array.get() : inner.array.get());
        out.handles = false;
        return out;
    }
    if (last) {
        out.array = arrayOp(qx::assignIndexed, current.array.get(), subs, rhs.array.get());
        return out;
    }
    Value sub;
    if (current.array)
        sub.array = arrayOp(qx::indexArray, current.array.get(), subs);
    Value inner = assignInto(std::move(sub), ops, k + 1, rhs, names);
    out.array = arrayOp(qx::assignIndexed, current.array.get(), subs, inner.array.get());
    return out;
}

// ---- for the rows -------------------------------------------------------------------------

std::vector<COSInterfacePtr> Evaluator::objectsOf(const Value& v, const char* what) const
{
    std::vector<COSInterfacePtr> out;
    const qxArray* a = v.array.get();
    if (a && qxIsObject(a)) {
        for (qxSize i = 0; i < qxGetNumberOfElements(a); ++i) {
            COSInterface* obj = omGetArrayElement(a, i);
            if (!obj || !obj->isValid())
                fail(msg::BadHandle);
            out.emplace_back(obj);
        }
        return out;
    }
    if (!a || !(qxIsNumeric(a) || qxIsLogical(a)) || qxIsComplex(a) || qxIsSparse(a))
        fail(msg::NotHandles, what);
    for (qxSize i = 0; i < qxGetNumberOfElements(a); ++i)
        out.push_back(ws().graphics.objectOf(static_cast<double>(qx::readElement(qxGetClassID(a), qxGetData(a), i))));
    return out;
}

COSInterfacePtr Evaluator::objectOf(const Value& v, const char* what) const
{
    std::vector<COSInterfacePtr> all = objectsOf(v, what);
    if (all.size() != 1)
        fail(msg::NotHandles, what);
    return all.front();
}

Value Evaluator::readProperty(const COSInterfacePtr& obj, std::string_view name) const
{
    Value out;
    if (std::optional<DefaultRef> d = Graphics::defaultNamed(obj.get(), name)) {
        out.array = ws().graphics.getDefault(obj.get(), *d);
    } else if (Graphics::namesChildren(obj.get(), name)) {
        out.array = handleArray(ws().graphics.userChildren(obj.get()));
        out.handles = true;
        return out;
    } else {
        out.property = Graphics::property(obj.get(), name);
        out.object = obj;
        out.array = Graphics::get(obj.get(), out.property);
    }
    if (out.array && qxIsObject(out.array.get())) {
        out.array = handlesOfObjects(out.array.get());
        out.handles = true;
    }
    return out;
}

std::string Evaluator::setProperty(const COSInterfacePtr& obj, std::string_view name, const qxArray* value) const
{
    if (std::optional<DefaultRef> d = Graphics::defaultNamed(obj.get(), name)) {
        ws().graphics.setDefault(obj.get(), *d, value);
        return d->name;
    }
    if (Graphics::namesChildren(obj.get(), name))
        fail(msg::ReadOnly, "Children", "set the Parent of each child instead");
    COSPropInfo* p = Graphics::property(obj.get(), name);
    Graphics::set(obj.get(), p, value);
    return p->getName();
}

json::Value Evaluator::setPairs(const std::vector<COSInterfacePtr>& objects, Arguments& args, std::size_t first)
{
    if ((args.size() - first) % 2 != 0)
        fail(msg::PairsExpected);
    json::Value names = json::Value::array();
    try {
        for (const COSInterfacePtr& obj : objects)
            for (std::size_t i = first; i < args.size(); i += 2) {
                std::string name = args.text(i, "A property name");
                QxArrayPtr value = args.array(i + 1, "The value");
                names.push_back(json::Value(setProperty(obj, name, value.get())));
            }
    } catch (...) {
        if (names.size())
            partial = json::Value{{"set", std::move(names)}};
        throw;
    }
    return names;
}

} // namespace vxhost
