#include "evaluate.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "encode.h"
#include "helpers.h"
#include "literal.h"
#include "messages.h"
#include "nyro/nyro.h"
#include "statements.h"

namespace vxhost {

namespace {

using nyro::COSInterface;
using nyro::COSInterfacePtr;
using nyro::COSNameID;
using nyro::COSPropInfo;
using nyro::COSValue;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)); }
bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// What an expression gives: a host array (null: no value), flagged when it
// holds numeric handles, and the property it was read from, if any.
struct Value {
    QxArrayPtr array;
    bool handles = false;
    COSInterfacePtr object;
    COSPropInfo* property = nullptr;
};

// A value of a data type made for one comparison, destroyed with its type.
class TypedValue {
public:
    TypedValue(const nyro::COSDataType* type, COSValue v, bool owned) : type_(type), value_(v), owned_(owned) {}
    TypedValue(const TypedValue&) = delete;
    TypedValue& operator=(const TypedValue&) = delete;
    ~TypedValue()
    {
        if (owned_)
            type_->destroy(value_);
    }
    COSValue get() const { return value_; }

private:
    const nyro::COSDataType* type_;
    COSValue value_;
    bool owned_;
};

json::Value encodeValue(const Value& v)
{
    if (v.handles)
        return encodeHandles(v.array.get());
    if (v.array && qxIsObject(v.array.get()))
        return encodeObjects(v.array.get());
    return encodeArray(v.array.get());
}

// A property's text form; null when its type gives none or refuses one.
json::Value textForm(const COSInterface* obj, COSPropInfo* p)
{
    try {
        return Graphics::text(obj, p);
    } catch (const Quillmark::System::IUserException&) {
        return json::Value::null();
    }
}

// A property as `get(h)` lists it: its text form, or its array when the
// type has no text for it.
json::Value describeProperty(const COSInterface* obj, COSPropInfo* p)
{
    json::Value text = textForm(obj, p);
    if (!text.isNull())
        return text;
    QxArrayPtr a = Graphics::get(obj, p);
    return qxIsObject(a.get()) ? encodeObjects(a.get()) : encodeArray(a.get());
}

// Numeric handles of an object array.
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

std::string textOf(const Value& v, const char* what)
{
    const qxArray* a = v.array.get();
    bool row = a && (qxGetNumberOfElements(a) == 0 || (qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 1));
    if (!a || !qxIsChar(a) || !row)
        fail(msg::NotText, what, a ? (std::string("a ") + qxGetClassName(a) + " array").c_str() : "no value");
    return qxArrayToStdString(a);
}

std::string trimmed(const std::string& s)
{
    std::size_t a = 0, b = s.size();
    while (a < b && isBlank(s[a]))
        ++a;
    while (b > a && isBlank(s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

// Splits a callback's text into statements at ';' outside quotes and brackets.
std::vector<std::string> splitStatements(const std::string& text)
{
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\'')
            quoted = !quoted;
        else if (!quoted && (c == '[' || c == '(' || c == '{'))
            ++depth;
        else if (!quoted && (c == ']' || c == ')' || c == '}'))
            --depth;
        if (c == ';' && !quoted && depth <= 0) {
            out.push_back(trimmed(current));
            current.clear();
        } else {
            current += c;
        }
    }
    out.push_back(trimmed(current));
    out.erase(std::remove_if(out.begin(), out.end(), [](const std::string& s) { return !isStatement(s); }),
              out.end());
    return out;
}

class Evaluator;
using Function = Value (*)(Evaluator&, std::vector<Value>&);

struct FunctionRow {
    std::string_view name;
    Function run;
};

const FunctionRow* findFunction(std::string_view name);

class Evaluator {
public:
    Evaluator(Workspace& ws, std::string_view line) : ws(ws), line_(line) {}

    Workspace& ws;
    json::Value extra = json::Value::object(); // answer fields a function adds

    json::Value statement()
    {
        skip();
        std::size_t start = pos_;
        if (atIdentifier()) {
            std::string name = identifier();
            skip();
            if (atAssignment()) {
                ++pos_;
                if (findFunction(name) || Graphics::classNamed(name) || isStatementName(name) ||
                    isLiteralFunction(name))
                    fail(msg::ReservedName, name.c_str());
                Value v = expression();
                end();
                if (!v.array)
                    fail(msg::NoValue, "The right-hand side");
                json::Value shown = encodeValue(v);
                store(name, std::move(v));
                return answer().set("name", json::Value::string(name)).set("value", std::move(shown));
            }
            pos_ = start;
        }
        Target target;
        Value v = expression(&target);
        if (target.set) {
            ++pos_; // '='
            Value rhs = expression();
            end();
            if (!rhs.array)
                fail(msg::NoValue, "The right-hand side");
            json::Value names = json::Value::list();
            for (const COSInterfacePtr& obj : objectsOf(target.objects, "The left-hand side")) {
                COSPropInfo* p = Graphics::property(obj.get(), target.property);
                Graphics::set(obj.get(), p, rhs.array.get());
                names.push(json::Value::string(p->getName()));
            }
            return answer().set("set", std::move(names));
        }
        end();
        json::Value out = answer();
        if (v.array) {
            out.set("value", encodeValue(v));
            if (json::Value text = v.property ? textForm(v.object.get(), v.property) : json::Value(); !text.isNull())
                out.set("text", std::move(text));
        }
        return out;
    }

    // ---- helpers for the functions

    std::vector<COSInterfacePtr> objectsOf(const Value& v, const char* what) const
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
            out.push_back(ws.graphics.objectOf(static_cast<double>(readElement(qxGetClassID(a), qxGetData(a), i))));
        return out;
    }

    COSInterfacePtr objectOf(const Value& v, const char* what) const
    {
        std::vector<COSInterfacePtr> all = objectsOf(v, what);
        if (all.size() != 1)
            fail(msg::NotHandles, what);
        return all.front();
    }

    Value readProperty(const COSInterfacePtr& obj, std::string_view name) const
    {
        Value out;
        out.property = Graphics::property(obj.get(), name);
        out.object = obj;
        out.array = Graphics::get(obj.get(), out.property);
        if (out.array && qxIsObject(out.array.get())) {
            out.array = handlesOfObjects(out.array.get());
            out.handles = true;
        }
        return out;
    }

private:
    struct Target {
        bool set = false;
        Value objects;
        std::string property;
    };

    json::Value answer() const
    {
        json::Value out = json::Value::object();
        for (std::size_t i = 0; i < extra.size(); ++i)
            out.set(extra.keys()[i], extra[i]);
        return out;
    }

    static bool isStatementName(std::string_view name)
    {
        for (const Statement& s : statements())
            if (s.name == name)
                return true;
        return false;
    }

    void store(const std::string& name, Value v)
    {
        qxSetArrayScope(v.array.get(), 2);
        Workspace::Variable var;
        var.handles = v.handles;
        var.array = std::move(v.array);
        ws.variables[name] = std::move(var);
    }

    // An expression: a primary followed by .Property reads. With a target,
    // a final ".Name =" is left for the caller to set.
    Value expression(Target* target = nullptr)
    {
        Value v = primary();
        for (;;) {
            skip();
            if (pos_ >= line_.size() || line_[pos_] != '.')
                return v;
            ++pos_;
            skip();
            if (!atIdentifier())
                fail(msg::Expected, "a property name", pos_ + 1);
            std::string name = identifier();
            skip();
            if (target && atAssignment()) {
                target->set = true;
                target->objects = std::move(v);
                target->property = name;
                return {};
            }
            if (v.array && qxIsStruct(v.array.get()) && !v.handles)
                v = field(v, name);
            else
                v = readProperty(objectOf(v, "The object before '.'"), name);
        }
    }

    Value primary()
    {
        skip();
        if (pos_ >= line_.size())
            fail(msg::Expected, "a value", pos_ + 1);
        if (!atIdentifier())
            return literal();
        std::size_t start = pos_;
        std::string name = identifier();
        if (auto it = ws.variables.find(name); it != ws.variables.end()) {
            Value v;
            v.array.reset(qxCreateSharedDataCopy(it->second.array.get()));
            v.handles = it->second.handles;
            return v;
        }
        const FunctionRow* f = findFunction(name);
        const GraphicsClass* cls = Graphics::classNamed(name);
        if (f || (cls && !cls->under.empty())) {
            std::vector<Value> args = callArguments();
            return f ? f->run(*this, args) : construct(*cls, args);
        }
        if (isLiteralFunction(name)) {
            pos_ = start;
            return literal();
        }
        if (start == firstNonBlank()) {
            // An unknown word opening the statement: the console's usual answer.
            std::size_t end = start;
            while (end < line_.size() && !isBlank(line_[end]))
                ++end;
            fail(msg::UnknownStatement, std::string(line_.substr(start, end - start)).c_str());
        }
        fail(msg::UndefinedName, name.c_str());
    }

    // A field of a 1x1 struct (the event data of a callback, say).
    Value field(const Value& s, const std::string& name)
    {
        int number = qxIsScalar(s.array.get()) ? qxGetFieldNumber(s.array.get(), name.c_str()) : -1;
        const qxArray* f = number >= 0 ? qxGetFieldByNumber(s.array.get(), 0, number) : nullptr;
        if (!f)
            fail(msg::UnknownField, name.c_str());
        Value v;
        if (qxIsObject(f)) {
            v.array = handlesOfObjects(f);
            v.handles = true;
        } else {
            v.array.reset(qxCreateSharedDataCopy(f));
        }
        return v;
    }

    Value literal()
    {
        Value v;
        v.array = parseLiteral(line_, pos_);
        return v;
    }

    std::vector<Value> callArguments()
    {
        std::vector<Value> args;
        skip();
        if (pos_ >= line_.size() || line_[pos_] != '(')
            return args;
        ++pos_;
        skip();
        if (pos_ < line_.size() && line_[pos_] == ')') {
            ++pos_;
            return args;
        }
        for (;;) {
            args.push_back(expression());
            skip();
            if (pos_ < line_.size() && line_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < line_.size() && line_[pos_] == ')') {
                ++pos_;
                return args;
            }
            fail(msg::Expected, "',' or ')'", pos_ + 1);
        }
    }

    Value construct(const GraphicsClass& cls, std::vector<Value>& args);

    std::size_t firstNonBlank() const
    {
        std::size_t i = 0;
        while (i < line_.size() && isBlank(line_[i]))
            ++i;
        return i;
    }
    void skip()
    {
        while (pos_ < line_.size() && isBlank(line_[pos_]))
            ++pos_;
    }
    bool atIdentifier() const { return pos_ < line_.size() && isIdentStart(line_[pos_]); }
    bool atAssignment() const
    {
        return pos_ < line_.size() && line_[pos_] == '=' && (pos_ + 1 >= line_.size() || line_[pos_ + 1] != '=');
    }
    std::string identifier()
    {
        std::size_t start = pos_;
        while (pos_ < line_.size() && isIdentChar(line_[pos_]))
            ++pos_;
        return std::string(line_.substr(start, pos_ - start));
    }
    void end()
    {
        skip();
        if (pos_ < line_.size() && line_[pos_] != '%' && line_[pos_] != '#' && line_[pos_] != ';')
            fail(msg::TrailingText, pos_ + 1, std::string(line_.substr(pos_)).c_str());
    }

    std::string_view line_;
    std::size_t pos_ = 0;
};

// ---- the functions ----------------------------------------------------------------------

void argumentCount(std::vector<Value>& args, std::size_t least, std::size_t most, const char* name,
                   const char* takes)
{
    if (args.size() < least || args.size() > most)
        fail(msg::ArgumentCountOf, name, takes);
}

Value handleValue(const std::vector<COSInterfacePtr>& objects)
{
    Value v;
    v.array = handleArray(objects);
    v.handles = true;
    return v;
}

// Sets name/value pairs on every object, in order; the first refusal stops.
json::Value setPairs(const std::vector<COSInterfacePtr>& objects, std::vector<Value>& args, std::size_t first)
{
    if ((args.size() - first) % 2 != 0)
        fail(msg::PairsExpected);
    json::Value names = json::Value::list();
    for (const COSInterfacePtr& obj : objects)
        for (std::size_t i = first; i < args.size(); i += 2) {
            COSPropInfo* p = Graphics::property(obj.get(), textOf(args[i], "A property name"));
            if (!args[i + 1].array)
                fail(msg::NoValue, "The property value");
            Graphics::set(obj.get(), p, args[i + 1].array.get());
            names.push(json::Value::string(p->getName()));
        }
    return names;
}

COSInterfacePtr currentChild(Evaluator& e, COSInterface* parent, const char* slot, const char* className)
{
    Value current = e.readProperty(COSInterfacePtr(parent), slot);
    if (qxGetNumberOfElements(current.array.get()) == 1)
        return e.objectOf(current, slot);
    return e.ws.graphics.create(*Graphics::classNamed(className), parent);
}

COSInterfacePtr currentFigure(Evaluator& e) { return currentChild(e, e.ws.graphics.root(), "CurrentFigure", "figure"); }
COSInterfacePtr currentAxes(Evaluator& e) { return currentChild(e, currentFigure(e).get(), "CurrentAxes", "axes"); }

Value Evaluator::construct(const GraphicsClass& cls, std::vector<Value>& args)
{
    // An optional parent handle first, then name/value pairs.
    std::size_t first = 0;
    COSInterfacePtr parent;
    if (!args.empty() && !(args[0].array && qxIsChar(args[0].array.get()))) {
        parent = objectOf(args[0], "The parent");
        first = 1;
    } else if (cls.under == "root") {
        parent = COSInterfacePtr(ws.graphics.root());
    } else if (cls.under == "figure") {
        parent = currentFigure(*this);
    } else {
        parent = currentAxes(*this);
    }
    const GraphicsClass* parentClass = Graphics::classOf(parent.get());
    if (!parentClass || parentClass->name != cls.under)
        fail(msg::BadParent, cls.name.c_str(), cls.under.c_str(), Graphics::classNameOf(parent.get()).c_str());
    if ((args.size() - first) % 2 != 0)
        fail(msg::PairsExpected);
    COSInterfacePtr obj = ws.graphics.create(cls, parent.get());
    try {
        json::Value names = setPairs({obj}, args, first);
        if (names.size())
            extra.set("set", std::move(names));
    } catch (...) {
        // A refused value leaves no half-made object behind.
        try {
            ws.graphics.remove(obj.get());
        } catch (...) {
        }
        throw;
    }
    return handleValue({obj});
}

Value runSet(Evaluator& e, std::vector<Value>& args)
{
    if (args.size() < 3)
        fail(msg::ArgumentCountOf, "set", "a handle and name/value pairs");
    e.extra.set("set", setPairs(e.objectsOf(args[0], "The first argument of set"), args, 1));
    return {};
}

Value runGet(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 1, 2, "get", "a handle and an optional property name");
    COSInterfacePtr obj = e.objectOf(args[0], "The first argument of get");
    if (args.size() == 2)
        return e.readProperty(obj, textOf(args[1], "The property name"));
    json::Value props = json::Value::object();
    for (COSPropInfo* p : obj->getClass()->getProperties())
        props.set(p->getName(), describeProperty(obj.get(), p));
    e.extra.set("handle", json::Value::number(Graphics::handleOf(obj.get())))
        .set("class", json::Value::string(Graphics::classNameOf(obj.get())))
        .set("properties", std::move(props));
    return {};
}

Value runDelete(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 1, 1, "delete", "one argument");
    json::Value deleted = json::Value::list();
    for (const COSInterfacePtr& obj : e.objectsOf(args[0], "The argument of delete")) {
        if (!obj->isValid())
            continue; // deleted with an ancestor listed before it
        for (double h : e.ws.graphics.remove(obj.get()))
            deleted.push(json::Value::number(h));
    }
    e.extra.set("deleted", std::move(deleted));
    return {};
}

Value runIsHandle(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 1, 1, "ishandle", "one argument");
    const qxArray* a = args[0].array.get();
    Value out;
    if (!a || !(qxIsNumeric(a) || qxIsObject(a))) {
        out.array.reset(qxCreateLogicalScalar(false));
        return out;
    }
    qxSize n = qxGetNumberOfElements(a);
    out.array.reset(qxCreateLogicalMatrix(qxGetM(a), qxGetN(a)));
    for (qxSize i = 0; i < n; ++i) {
        bool valid = false;
        if (qxIsObject(a)) {
            COSInterface* obj = omGetArrayElement(a, i);
            valid = obj && obj->isValid();
        } else {
            try {
                e.ws.graphics.objectOf(static_cast<double>(readElement(qxGetClassID(a), qxGetData(a), i)));
                valid = true;
            } catch (const Quillmark::System::IUserException&) {
            }
        }
        qxGetLogicals(out.array.get())[i] = valid;
    }
    return out;
}

// isequal through the property's type when either side was read from a
// property (the other side is converted by that type), else element by element.
Value runIsEqual(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 2, 2, "isequal", "two arguments");
    for (const Value& v : args)
        if (!v.array)
            fail(msg::NoValue, "An argument of isequal");
    bool equal;
    json::Value by;
    if (args[0].property || args[1].property) {
        const Value& typed = args[0].property ? args[0] : args[1];
        const Value& other = args[0].property ? args[1] : args[0];
        const nyro::COSDataType* type = typed.property->getDataType();
        TypedValue a(type, typed.property->getValue(typed.object.get()), false);
        bool sameType = other.property && other.property->getDataType() == type;
        TypedValue b(type,
                     sameType ? other.property->getValue(other.object.get())
                              : Graphics::valueFrom(typed.property, other.array.get()),
                     !sameType);
        equal = type->isEqual(a.get(), b.get());
        by = json::Value::string(type->getName());
    } else {
        equal = qxAreMatricesEqual(args[0].array.get(), args[1].array.get());
        by = json::Value::string("array");
    }
    e.extra.set("by", std::move(by));
    Value out;
    out.array.reset(qxCreateLogicalScalar(equal));
    return out;
}

Value runNotify(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 2, 3, "notify", "a handle, an event name and optional event data");
    std::string event = textOf(args[1], "The event name");
    for (const COSInterfacePtr& obj : e.objectsOf(args[0], "The first argument of notify"))
        obj->fireEvent(COSNameID(event.c_str()), args.size() == 3 ? args[2].array.get() : nullptr);
    return {};
}

// addlistener(h, 'Event', 'CallbackProperty'): the callback held in the
// property runs when the event fires on h. With a class name instead of h,
// on every instance of the class.
Value runAddListener(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 3, 3, "addlistener", "a handle or class name, an event name and a property name");
    std::string event = textOf(args[1], "The event name");
    std::string property = textOf(args[2], "The property name");
    if (args[0].array && qxIsChar(args[0].array.get())) {
        std::string name = textOf(args[0], "The class name");
        const GraphicsClass* cls = Graphics::classNamed(name);
        if (!cls)
            fail(msg::UnknownClass, name.c_str());
        nyro::COSListenerPtr l = helpers::require(e.ws.graphics.library(), helpers::createClassListener)(property.c_str());
        e.ws.graphics.keep(l);
        cls->cls->addListener(COSNameID(event.c_str()), l);
        return {};
    }
    auto create = helpers::require(e.ws.graphics.library(), helpers::createListener);
    for (const COSInterfacePtr& obj : e.objectsOf(args[0], "The first argument of addlistener")) {
        nyro::COSListenerPtr l = create(property.c_str());
        e.ws.graphics.keep(l);
        obj->addListener(COSNameID(event.c_str()), l);
    }
    return {};
}

Value runGcf(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 0, 0, "gcf", "no arguments");
    return handleValue({currentFigure(e)});
}

Value runGca(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 0, 0, "gca", "no arguments");
    return handleValue({currentAxes(e)});
}

Value runGroot(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 0, 0, "groot", "no arguments");
    return handleValue({COSInterfacePtr(e.ws.graphics.root())});
}

// ---- property filters

enum class FilterInput { Size, Switch, Color };

struct FilterRow {
    std::string_view name;
    FilterInput input;
};

constexpr FilterRow filterTable[] = {
    {"FontLabelSize", FilterInput::Size},
    {"FontTitleSize", FilterInput::Size},
    {"AxisMinorBooleanToGrid", FilterInput::Switch},
    {"RGBAColorToTextPrimitive", FilterInput::Color},
    {"RGBAColorToGeometryPrimitive", FilterInput::Color},
};

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

const FilterRow& filterNamed(const std::string& written)
{
    const FilterRow* prefixed = nullptr;
    int prefixes = 0;
    for (const FilterRow& f : filterTable) {
        if (sameLetters(f.name, written))
            return f;
        if (!written.empty() && f.name.size() > written.size() && sameLetters(f.name.substr(0, written.size()), written)) {
            prefixed = &f;
            ++prefixes;
        }
    }
    if (prefixes == 1)
        return *prefixed;
    std::string list;
    for (const FilterRow& f : filterTable)
        list += (list.empty() ? "" : ", ") + std::string(f.name);
    fail(msg::UnknownFilter, written.c_str(), list.c_str());
}

double scalarOf(const Value& v, const char* what)
{
    const qxArray* a = v.array.get();
    if (!a || !(qxIsNumeric(a) || qxIsLogical(a)) || qxIsComplex(a) || qxGetNumberOfElements(a) != 1)
        fail(msg::ScalarValue, what, "a real numeric scalar");
    return static_cast<double>(readElement(qxGetClassID(a), qxGetData(a), 0));
}

bool switchOf(const Value& v)
{
    if (v.array && qxIsChar(v.array.get()))
        return textOf(v, "The switch") == "on";
    return scalarOf(v, "switch") != 0;
}

// Snapshot of an object's properties as JSON text, to report what changed.
std::vector<std::string> snapshot(const COSInterface* obj)
{
    std::vector<std::string> out;
    for (COSPropInfo* p : obj->getClass()->getProperties())
        out.push_back(describeProperty(obj, p).dump());
    return out;
}

Value runFilter(Evaluator& e, std::vector<Value>& args)
{
    argumentCount(args, 3, 3, "filter", "a handle, a filter name and a value");
    COSInterfacePtr obj = e.objectOf(args[0], "The first argument of filter");
    const FilterRow& f = filterNamed(textOf(args[1], "The filter name"));
    const Library& lib = e.ws.graphics.library();
    std::vector<std::string> before = snapshot(obj.get());
    std::exception_ptr error;
    try {
        switch (f.input) {
        case FilterInput::Size: {
            double size = scalarOf(args[2], "size");
            auto run = helpers::require(lib, f.name == "FontLabelSize" ? helpers::filterFontLabelSize
                                                                      : helpers::filterFontTitleSize);
            run(obj.get(), size);
            break;
        }
        case FilterInput::Switch:
            helpers::require(lib, helpers::filterAxisMinorBooleanToGrid)(obj.get(), switchOf(args[2]));
            break;
        case FilterInput::Color: {
            auto run = helpers::require(lib, f.name == "RGBAColorToTextPrimitive"
                                                 ? helpers::filterRGBAColorToTextPrimitive
                                                 : helpers::filterRGBAColorToGeometryPrimitive);
            nyro::COSDataTypePtr found = nyro::COSTypeRepository::getType(COSNameID("RGBAColor"));
            nyro::COSDataType* type = nyro::COSDataTypePtrHelper::getObject(found);
            if (!type)
                fail(msg::UnknownType, "RGBAColor");
            if (!args[2].array)
                fail(msg::NoValue, "The color");
            TypedValue color(type, Graphics::valueFrom(type, "color", args[2].array.get()), true);
            run(obj.get(), nyro::pointerValue<const datatypes::RGBAColor*>(color.get()));
            break;
        }
        }
    } catch (...) {
        // Properties set before a failure keep their values: reported below.
        error = std::current_exception();
    }
    std::vector<std::string> after = snapshot(obj.get());
    json::Value changed = json::Value::object();
    const std::vector<COSPropInfo*>& props = obj->getClass()->getProperties();
    for (std::size_t i = 0; i < props.size(); ++i)
        if (before[i] != after[i])
            changed.set(props[i]->getName(), describeProperty(obj.get(), props[i]));
    if (error)
        std::rethrow_exception(error);
    e.extra.set("filter", json::Value::string(std::string(f.name))).set("changed", std::move(changed));
    return {};
}

constexpr FunctionRow functionTable[] = {
    {"set", runSet},           {"get", runGet},           {"delete", runDelete}, {"isequal", runIsEqual},
    {"ishandle", runIsHandle}, {"notify", runNotify},     {"addlistener", runAddListener},
    {"filter", runFilter},     {"gcf", runGcf},           {"gca", runGca},       {"groot", runGroot},
};

const FunctionRow* findFunction(std::string_view name)
{
    for (const FunctionRow& f : functionTable)
        if (f.name == name)
            return &f;
    return nullptr;
}

// Binds a variable for the length of a callback, restoring what it held.
class Binding {
public:
    Binding(Workspace& ws, std::string name, QxArrayPtr array, bool handles) : ws_(ws), name_(std::move(name))
    {
        if (auto it = ws_.variables.find(name_); it != ws_.variables.end()) {
            saved_ = std::move(it->second);
            had_ = true;
        }
        qxSetArrayScope(array.get(), 2);
        ws_.variables[name_] = Workspace::Variable{std::move(array), handles};
    }
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;
    ~Binding()
    {
        if (had_)
            ws_.variables[name_] = std::move(saved_);
        else
            ws_.variables.erase(name_);
    }

private:
    Workspace& ws_;
    std::string name_;
    Workspace::Variable saved_;
    bool had_ = false;
};

} // namespace

// ---- the workspace --------------------------------------------------------------------

Workspace::Workspace(const Library& library, bool warn)
    : graphics(library, warn), previous_(gui_objects::setCallbackExecutor(this))
{
}

Workspace::~Workspace()
{
    gui_objects::setCallbackExecutor(previous_);
    variables.clear();
}

void Workspace::evaluate(const std::string& statement, const std::vector<const qxArray*>& args)
{
    if (depth >= kMaxCallbackDepth)
        fail(msg::CallbackDepth, kMaxCallbackDepth);
    struct Depth {
        int& d;
        explicit Depth(int& d) : d(++d) {}
        ~Depth() { --d; }
    } guard(depth);
    const qxArray* source = args.size() > 0 ? args[0] : nullptr;
    const qxArray* event = args.size() > 1 ? args[1] : nullptr;
    Binding src(*this, "src", source ? handlesOfObjects(source) : QxArrayPtr(qxCreateDoubleMatrix(0, 0, qxREAL)), true);
    Binding evt(*this, "evt",
                QxArrayPtr(event ? qxCreateSharedDataCopy(event) : qxCreateDoubleMatrix(0, 0, qxREAL)), false);
    for (const std::string& part : splitStatements(statement)) {
        json::Value fields = Evaluator(*this, part).statement();
        json::Value entry = json::Value::object().set("statement", json::Value::string(part)).set(
            "ok", json::Value::boolean(true));
        for (std::size_t i = 0; i < fields.size(); ++i)
            entry.set(fields.keys()[i], fields[i]);
        callbackLog.push_back(std::move(entry));
    }
}

Workspace& workspaceOf(Session& session)
{
    if (!session.workspace)
        session.workspace = std::make_shared<Workspace>(session.library, !session.json);
    return *session.workspace;
}

bool isExpressionStatement(std::string_view line, std::string_view word, bool known)
{
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i >= line.size() || !isIdentStart(line[i]))
        return true; // a literal
    std::size_t after = i + word.size();
    // A property read touches its object (ax.XLim); "show .5" is a word statement.
    if (after < line.size() && line[after] == '.')
        return true;
    while (after < line.size() && isBlank(line[after]))
        ++after;
    bool assigns = after < line.size() && line[after] == '=' && (after + 1 >= line.size() || line[after + 1] != '=');
    return !known || assigns;
}

json::Value evaluateStatement(Session& session, std::string_view line)
{
    if (!session.workspace) {
        // Before any graphics statement there are no variables: an unknown
        // first word is an unknown statement, and makes no workspace.
        std::size_t i = 0;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        std::size_t end = i;
        while (end < line.size() && isIdentChar(line[end]))
            ++end;
        std::string word(line.substr(i, end - i));
        std::size_t next = end;
        while (next < line.size() && isBlank(line[next]))
            ++next;
        bool assigns = next < line.size() && line[next] == '=' && (next + 1 >= line.size() || line[next + 1] != '=');
        if (i < line.size() && isIdentStart(line[i]) && !assigns && !findFunction(word) && !Graphics::classNamed(word) &&
            !isLiteralFunction(word)) {
            std::size_t stop = i;
            while (stop < line.size() && !isBlank(line[stop]))
                ++stop;
            fail(msg::UnknownStatement, std::string(line.substr(i, stop - i)).c_str());
        }
    }
    Workspace& ws = workspaceOf(session);
    ws.callbackLog.clear();
    json::Value fields = Evaluator(ws, line).statement();
    if (!ws.callbackLog.empty()) {
        json::Value log = json::Value::list();
        for (json::Value& entry : ws.callbackLog)
            log.push(std::move(entry));
        ws.callbackLog.clear();
        fields.set("callbacks", std::move(log));
    }
    return fields;
}

json::Value runExpression(Session& session, Arguments& args) { return evaluateStatement(session, args.line()); }

json::Value runClasses(Session&, Arguments& args)
{
    args.end();
    json::Value list = json::Value::list();
    for (const GraphicsClass& c : Graphics::classes()) {
        json::Value props = json::Value::object();
        for (COSPropInfo* p : c.cls->getProperties())
            if (p->getOwnerClass() == c.cls)
                props.set(p->getName(), json::Value::string(p->getDataType()->getName()));
        list.push(json::Value::object()
                      .set("name", json::Value::string(c.name))
                      .set("class", json::Value::string(c.cls->getName()))
                      .set("parent", json::Value::string(c.cls->getParent()->getName()))
                      .set("under", json::Value::string(c.under))
                      .set("properties", std::move(props)));
    }
    json::Value skipped = json::Value::list();
    for (const SkippedProperty& s : Graphics::skipped())
        skipped.push(json::Value::object()
                         .set("class", json::Value::string(s.className))
                         .set("property", json::Value::string(s.property))
                         .set("type", json::Value::string(s.type)));
    return json::Value::object().set("classes", std::move(list)).set("skipped", std::move(skipped));
}

json::Value runWho(Session& session, Arguments& args)
{
    args.end();
    Workspace& ws = workspaceOf(session);
    json::Value vars = json::Value::object();
    for (const auto& [name, var] : ws.variables) {
        Value v;
        v.array.reset(qxCreateSharedDataCopy(var.array.get()));
        v.handles = var.handles;
        vars.set(name, encodeValue(v));
    }
    return json::Value::object().set("variables", std::move(vars));
}

json::Value runClear(Session& session, Arguments& args)
{
    Workspace& ws = workspaceOf(session);
    json::Value cleared = json::Value::list();
    std::vector<std::string> names;
    while (!args.atEnd())
        names.push_back(args.word());
    if (names.empty())
        for (const auto& entry : ws.variables)
            names.push_back(entry.first);
    for (const std::string& n : names)
        if (ws.variables.erase(n))
            cleared.push(json::Value::string(n));
    return json::Value::object().set("cleared", std::move(cleared));
}

} // namespace vxhost
