#include "statements.h"

#include <dlfcn.h>

#include <cctype>
#include <optional>
#include <string>

#include "display.h"
#include "encode.h"
#include "evaluate.h"
#include "gui_objects/gui_objects.h"
#include "literal.h"
#include "messages.h"
#include "geometry/units.h"
#include "nyro/nyro.h"

namespace vxhost {

namespace {

using nyro::COSNameID;
using nyro::COSValue;

// A slot of a type of this storage holds the address of a value object, and 0
// means no value; other types (the on/off boolean, the host's scalars) keep
// the value in the slot itself, where 0 is a value like any other.
constexpr int kPointerStorage = 7;

// Other names under which a statement finds a type.
struct Alias {
    std::string_view alias;
    const char* name;
};
constexpr Alias typeAliases[] = {
    {"OnOffBoolean", "on/off"},
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isCommentStart(char c) { return c == '%' || c == '#'; }

json::Value textOrNull(const char* s) { return s ? json::Value::string(s) : json::Value::null(); }

struct TypeRef {
    nyro::COSDataType* type;
    COSNameID name;
};

TypeRef typeNamed(const std::string& written)
{
    std::string name = written;
    for (const Alias& a : typeAliases)
        if (a.alias == written)
            name = a.name;
    nyro::COSDataTypePtr type = nyro::COSTypeRepository::getType(COSNameID(name));
    if (!type)
        fail(msg::UnknownType, written.c_str());
    // Registered types live as long as the process: the bare pointer stays valid.
    return {nyro::COSDataTypePtrHelper::getObject(type), COSNameID(name)};
}

nyro::COSTypeConversion* conversionFrom(const char* foreign, const TypeRef& t)
{
    return nyro::COSTypeRepository::getConversion(COSNameID(foreign), t.name);
}

nyro::COSTypeConversion* requiredConversion(const char* foreign, const TypeRef& t)
{
    nyro::COSTypeConversion* c = conversionFrom(foreign, t);
    if (!c)
        fail(msg::NoConversion, t.name.c_str(), foreign);
    return c;
}

// A value made for the statement, destroyed with its type when the statement ends.
class MadeValue {
public:
    MadeValue(const TypeRef& t, COSValue v) : type_(t.type), value_(v) {}
    MadeValue(const MadeValue&) = delete;
    MadeValue& operator=(const MadeValue&) = delete;
    ~MadeValue()
    {
        try {
            type_->destroy(value_);
        } catch (...) {
            // destroy does not fail; if it did, the statement's answer stands.
        }
    }
    COSValue get() const { return value_; }

private:
    const nyro::COSDataType* type_;
    COSValue value_;
};

// A text a string converter returned, handed back under the host's rule for
// texts of that type (copies are freed, borrowed texts left alone).
class ReturnedText {
public:
    ReturnedText(COSNameID type, COSValue text) : type_(type), text_(text) {}
    ReturnedText(const ReturnedText&) = delete;
    ReturnedText& operator=(const ReturnedText&) = delete;
    ~ReturnedText() { nyro::COSTypeRepository::releaseReturnedText(type_, text_); }
    json::Value json() const { return textOrNull(nyro::pointerValue<const char*>(text_)); }

private:
    COSNameID type_;
    COSValue text_;
};

COSValue slotOf(const qxArray* a) { return COSValue::fromPointer(a); }
COSValue slotOf(const std::string& s) { return COSValue::fromPointer(s.c_str()); }

// null for the null value, else what the array and string converters make of it.
json::Value describeValue(const TypeRef& t, COSValue v)
{
    if (t.type->getStorageType() == kPointerStorage && v.isNull())
        return json::Value::null();
    json::Value out = json::Value::object();
    json::Value array;
    if (nyro::COSTypeConversion* mc = conversionFrom("any", t)) {
        QxArrayPtr a(nyro::pointerValue<qxArray*>(mc->to(v)));
        array = encodeArray(a.get());
    }
    out.set("array", std::move(array));
    json::Value text;
    if (nyro::COSTypeConversion* sc = conversionFrom("string", t)) {
        ReturnedText returned(t.name, sc->to(v));
        text = returned.json();
    }
    out.set("text", std::move(text));
    return out;
}

json::Value answer(std::string_view key, json::Value v) { return json::Value::object().set(key, std::move(v)); }

// ---- the statements ---------------------------------------------------------------

json::Value runTypes(Session& session, Arguments& args)
{
    args.end();
    json::Value list = json::Value::list();
    for (nyro::COSDataType* t : session.library.types()) {
        json::Value converters = json::Value::list();
        for (const std::string& foreign : nyro::COSTypeRepository::conversionsOf(COSNameID(t->getName())))
            converters.push(json::Value::string(foreign));
        list.push(json::Value::object()
                      .set("name", textOrNull(t->getName()))
                      .set("declaration", textOrNull(t->getDeclarationName()))
                      .set("category", textOrNull(t->getCategoryName()))
                      .set("storage", json::Value::integer(t->getStorageType()))
                      .set("bytes", json::Value::integer(t->getValueSizeInBytes(COSValue())))
                      .set("bits", json::Value::integer(t->getSizeInBits()))
                      .set("converters", std::move(converters)));
    }
    return answer("types", std::move(list));
}

json::Value runFrom(Session&, Arguments& args)
{
    TypeRef t = typeNamed(args.word());
    QxArrayPtr a = args.literal();
    args.end();
    MadeValue v(t, requiredConversion("any", t)->from(slotOf(a.get())));
    return answer("value", describeValue(t, v.get()));
}

json::Value runParse(Session&, Arguments& args)
{
    TypeRef t = typeNamed(args.word());
    std::string text = args.text("TEXT");
    args.end();
    MadeValue v(t, requiredConversion("string", t)->from(slotOf(text)));
    return answer("value", describeValue(t, v.get()));
}

json::Value runDefault(Session&, Arguments& args)
{
    TypeRef t = typeNamed(args.word());
    args.end();
    // The default belongs to the type: it is shown, not destroyed.
    return answer("value", describeValue(t, t.type->getDefaultValue()));
}

json::Value runEqual(Session&, Arguments& args)
{
    TypeRef t = typeNamed(args.word());
    QxArrayPtr a = args.literal();
    QxArrayPtr b = args.literal();
    args.end();
    nyro::COSTypeConversion* mc = requiredConversion("any", t);
    MadeValue va(t, mc->from(slotOf(a.get())));
    MadeValue vb(t, mc->from(slotOf(b.get())));
    return json::Value::object()
        .set("equal", json::Value::boolean(t.type->isEqual(va.get(), vb.get())))
        .set("compare", json::Value::integer(t.type->compare(va.get(), vb.get())));
}

// The scalar a host type keeps in a slot, as JSON.
json::Value scalarValue(const nyro::HostScalarType& type, COSValue v)
{
    using K = nyro::HostScalarType::Kind;
    switch (type.kind()) {
    case K::Signed: return json::Value::integer(static_cast<std::int64_t>(v.bits()));
    case K::Unsigned: return json::Value::unsignedInteger(v.bits());
    case K::Floating:
        // Single precision values are widened into the slot; shown as the float they are.
        return type.getValueSizeInBytes(v) == 4 ? json::Value::number(static_cast<float>(v.asDouble()))
                                                : json::Value::number(v.asDouble());
    case K::Logical: return json::Value::boolean(!v.isNull());
    case K::String: return textOrNull(nyro::pointerValue<const char*>(v));
    }
    return json::Value::null();
}

json::Value runScalar(Session&, Arguments& args)
{
    std::string name = args.word();
    std::string text = args.text("TEXT");
    args.end();
    nyro::COSDataTypePtr found = nyro::COSTypeRepository::getType(COSNameID(name));
    if (!found)
        fail(msg::UnknownType, name.c_str());
    auto* scalar = dynamic_cast<nyro::HostScalarType*>(nyro::COSDataTypePtrHelper::getObject(found));
    if (!scalar)
        fail(msg::NotHostScalar, name.c_str());
    TypeRef t{scalar, COSNameID(name)};
    nyro::COSTypeConversion* sc = requiredConversion("string", t);
    MadeValue v(t, sc->from(slotOf(text)));
    ReturnedText written(t.name, sc->to(v.get()));
    return json::Value::object().set("value", scalarValue(*scalar, v.get())).set("text", written.json());
}

json::Value runShow(Session&, Arguments& args)
{
    QxArrayPtr a = args.literal();
    args.end();
    return answer("array", encodeArray(a.get()));
}

// The numbers of a converted position or inset, [x y w h] / [xmin ymin xmax ymax].
json::Value numbers(std::initializer_list<double> values)
{
    json::Value list = json::Value::list();
    for (double v : values)
        list.push(json::Value::number(v));
    return list;
}

// A helper the library exports, reached the way another host library reaches
// it: by its symbol in the loaded library.
template <class F>
F* exportedHelper(const char* symbol, const char* readable)
{
    void* p = dlsym(RTLD_DEFAULT, symbol);
    if (!p)
        fail(msg::InternalError, (std::string("the library exports no ") + readable).c_str());
    return reinterpret_cast<F*>(p);
}

using ConvertPositionFn = datatypes::Position(const vx::Pixel&, vx::UnitCode, vx::UnitCode,
                                              const datatypes::Position*, const datatypes::Position*);
using ConvertInsetFn = gui_objects::Inset2d(const vx::Pixel&, vx::UnitCode, vx::UnitCode,
                                            const gui_objects::Inset2d*, const datatypes::Position*);

// The arguments the unit conversions share: FROM TO VALUE [FRAME [PPI]]. Units
// are read by the UnitsWithData property (any letter case, abbreviations),
// the value by the property type `valueType` and the frame as a Position;
// without a frame it is [0 0 0 0], without a resolution 72 pixels per inch.
struct UnitConversion {
    TypeRef valueType;
    TypeRef positionType = typeNamed("Position");
    vx::UnitCode from, to;
    QxArrayPtr valueArray, frameArray;
    vx::Pixel pixel;
    std::optional<MadeValue> value, frame;
    datatypes::Position zero{0, 0, 0, 0};

    UnitConversion(Arguments& args, const char* type, const char* usage) : valueType(typeNamed(type))
    {
        from = unit(args.word());
        to = unit(args.word());
        valueArray = args.literal();
        if (!args.atEnd())
            frameArray = args.literal();
        if (!args.atEnd()) {
            QxArrayPtr ppi = args.literal();
            if (qxGetClassID(ppi.get()) != qxDOUBLE_CLASS || qxGetNumberOfElements(ppi.get()) != 1)
                fail(msg::Usage, usage);
            pixel = vx::Pixel(*qxGetPr(ppi.get()));
        }
        args.end();
        value.emplace(valueType, made(valueType, valueArray.get()));
        if (frameArray)
            frame.emplace(positionType, made(positionType, frameArray.get()));
    }

    // The value to convert, as its type made it.
    template <class V>
    const V* valueAs() const { return nyro::pointerValue<const V*>(value->get()); }
    // The frame to convert within; a zero frame when none was given.
    const datatypes::Position* framePosition() const
    {
        return frame ? nyro::pointerValue<const datatypes::Position*>(frame->get()) : &zero;
    }

    // The word matched by the property's string converter, then its full name
    // looked up in the property's name list (whose positions are the codes).
    static vx::UnitCode unit(const std::string& word)
    {
        TypeRef units = typeNamed("UnitsWithData");
        nyro::COSTypeConversion* sc = requiredConversion("string", units);
        MadeValue v(units, sc->from(slotOf(word)));
        COSValue text = sc->to(v.get());
        ReturnedText name(units.name, text);
        const std::string_view full = nyro::pointerValue<const char*>(text) ? nyro::pointerValue<const char*>(text) : "";
        for (int i = 0; i < datatypes::UnitsWithDataStyle::count; ++i)
            if (full == datatypes::UnitsWithDataStyle::enumNames[i])
                return static_cast<vx::UnitCode>(i);
        fail(msg::InternalError, "a units value without a name");
    }

    // What `t`'s array converter makes of `a`.
    static COSValue made(const TypeRef& t, const qxArray* a) { return requiredConversion("any", t)->from(slotOf(a)); }
};

constexpr const char* convertPositionUsage = "convertposition FROM TO [x y w h] [[x y w h] [ppi]]";
constexpr const char* convertInsetUsage = "convertinset FROM TO [xmin ymin xmax ymax] [[x y w h] [ppi]]";

json::Value runConvertPosition(Session&, Arguments& args)
{
    UnitConversion c(args, "Position", convertPositionUsage);
    auto* convert = exportedHelper<ConvertPositionFn>(
        "_ZN2vx15convertPositionERKNS_5PixelENS_8UnitCodeES3_PKN9datatypes8PositionES7_", "vx::convertPosition");
    datatypes::Position out = convert(c.pixel, c.from, c.to, c.valueAs<datatypes::Position>(), c.framePosition());
    return answer("position", numbers({out.getX(), out.getY(), out.getWidth(), out.getHeight()}));
}

json::Value runConvertInset(Session&, Arguments& args)
{
    UnitConversion c(args, "Inset", convertInsetUsage);
    auto* convert = exportedHelper<ConvertInsetFn>(
        "_ZN2vx12convertInsetERKNS_5PixelENS_8UnitCodeES3_PKN11gui_objects7Inset2dEPKN9datatypes8PositionE",
        "vx::convertInset");
    gui_objects::Inset2d out = convert(c.pixel, c.from, c.to, c.valueAs<gui_objects::Inset2d>(), c.framePosition());
    return answer("inset", numbers({out.getXMin(), out.getYMin(), out.getXMax(), out.getYMax()}));
}

// The color name table as the ColorTable property reads it: a 1x1 struct, one
// [r g b] field per name.
json::Value runColorTable(Session&, Arguments& args)
{
    args.end();
    TypeRef t = typeNamed("ColorTable");
    QxArrayPtr table(nyro::pointerValue<qxArray*>(requiredConversion("any", t)->to(t.type->getDefaultValue())));
    return answer("table", encodeArray(table.get()));
}

json::Value runHelp(Session&, Arguments& args)
{
    args.end();
    json::Value list = json::Value::list();
    for (const Statement& s : statements())
        list.push(json::Value::object()
                      .set("usage", json::Value::string(std::string(s.usage)))
                      .set("summary", json::Value::string(std::string(s.summary))));
    json::Value functions = json::Value::list();
    for (std::string_view f : literalFunctions())
        functions.push(json::Value::string(std::string(f)));
    return json::Value::object().set("statements", std::move(list)).set("functions", std::move(functions));
}

json::Value runQuit(Session& session, Arguments& args)
{
    args.end();
    session.quit = true;
    return json::Value::object();
}

constexpr Statement statementTable[] = {
    {"types", "types", "the property types the library registered, in registration order", runTypes},
    {"from", "from TYPE LITERAL", "a value made by the type's array converter from the literal's array", runFrom},
    {"parse", "parse TYPE 'TEXT'", "a value made by the type's string converter from the text", runParse},
    {"default", "default TYPE", "the type's default value", runDefault},
    {"equal", "equal TYPE LITERAL LITERAL", "isEqual and compare of two values made by the array converter",
     runEqual},
    {"scalar", "scalar 'HOST TYPE' 'TEXT'", "the text conversion of a scalar type of the host, both ways",
     runScalar},
    {"convertposition", convertPositionUsage,
     "a position converted between units; the second array is the reference frame in pixels", runConvertPosition},
    {"convertinset", convertInsetUsage,
     "an inset converted between units, like a position", runConvertInset},
    {"colortable", "colortable", "the color name table as a struct of [r g b] fields", runColorTable},
    {"show", "show LITERAL", "the array a literal makes", runShow},
    // Graphics objects, in the call syntax of numeric-computing hosts.
    {"=", "NAME = VALUE   H.NAME = VALUE   H.NAME",
     "keeps a value in a variable; sets or reads a property of the object a handle denotes", runExpression},
    {"figure", "figure('NAME', VALUE, ...)", "a new figure under the root: handle 1, 2, ...", runExpression},
    {"axes", "axes(PARENT, 'NAME', VALUE, ...)",
     "new axes with their title and labels; line, patch, surface, image, text, light, rectangle, label, grid, "
     "textprimitive and geometryprimitive are made alike (parent: the current axes)",
     runExpression},
    {"set", "set(H, 'NAME', VALUE, ...)", "sets properties; names in any letter case, abbreviated while unique",
     runExpression},
    {"get", "get(H, 'NAME')   get(H)", "a property's value and text; or every property of the object", runExpression},
    {"delete", "delete(H)", "deletes objects with their descendants (DeleteFcn callbacks run)", runExpression},
    {"isequal", "isequal(A, B)", "equality through the property's type when a side was read from a property",
     runExpression},
    {"ishandle", "ishandle(H)", "whether each handle denotes a live object", runExpression},
    {"notify", "notify(H, 'EVENT', DATA)", "fires an event; the callback in property EVENTFcn runs on it",
     runExpression},
    {"addlistener", "addlistener(H, 'EVENT', 'PROPERTY')",
     "runs the callback held in PROPERTY when EVENT fires (a class name for H: on every instance)", runExpression},
    {"filter", "filter(H, 'FILTER', VALUE)",
     "runs a property filter on a child: FontLabelSize, FontTitleSize, AxisMinorBooleanToGrid, "
     "RGBAColorToTextPrimitive, RGBAColorToGeometryPrimitive",
     runExpression},
    {"gcf", "gcf   gca   groot", "the current figure, the current axes (made when missing), the root", runExpression},
    {"gca", "gca", "the current axes", runExpression},
    {"groot", "groot", "the root object, handle 0", runExpression},
    {"classes", "classes", "the graphics classes with their properties and types", runClasses},
    {"who", "who", "the variables and their values", runWho},
    {"clear", "clear [NAME ...]", "removes variables (all of them without names)", runClear},
    {"help", "help", "the statements and the functions a literal may call", runHelp},
    {"quit", "quit", "ends the session (so does exit)", runQuit},
    {"exit", "exit", "ends the session", runQuit},
};

const Statement* findStatement(std::string_view name)
{
    for (const Statement& s : statementTable)
        if (s.name == name)
            return &s;
    return nullptr;
}

} // namespace

// ---- arguments --------------------------------------------------------------------

bool Arguments::atEnd()
{
    while (pos_ < line_.size() && isBlank(line_[pos_]))
        ++pos_;
    return pos_ >= line_.size() || isCommentStart(line_[pos_]);
}

void Arguments::usage() const { fail(msg::Usage, std::string(statement_.usage).c_str()); }

std::string Arguments::word()
{
    if (atEnd())
        usage();
    if (line_[pos_] == '\'')
        return text("the name");
    std::size_t start = pos_;
    while (pos_ < line_.size() && !isBlank(line_[pos_]))
        ++pos_;
    return std::string(line_.substr(start, pos_ - start));
}

QxArrayPtr Arguments::literal()
{
    if (atEnd())
        usage();
    return parseLiteral(line_, pos_);
}

std::string Arguments::text(const char* what)
{
    QxArrayPtr a = literal();
    bool row = qxGetNumberOfElements(a.get()) == 0 || (qxGetNumberOfDimensions(a.get()) == 2 && qxGetM(a.get()) == 1);
    if (!qxIsChar(a.get()) || !row)
        fail(msg::NotText, what,
             qxIsChar(a.get()) ? "a char matrix" : (std::string("a ") + qxGetClassName(a.get()) + " array").c_str());
    return qxArrayToStdString(a.get());
}

void Arguments::end()
{
    if (!atEnd())
        fail(msg::TrailingText, pos_ + 1, std::string(line_.substr(pos_)).c_str());
}

// ---- running a statement ----------------------------------------------------------

std::span<const Statement> statements() { return statementTable; }

bool isStatement(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && (isBlank(line[i]) || line[i] == '\r'))
        ++i;
    return i < line.size() && !isCommentStart(line[i]);
}

json::Value Outcome::json() const
{
    json::Value out = json::Value::object().set("ok", json::Value::boolean(ok));
    if (!ok)
        return out.set("id", json::Value::string(id)).set("message", json::Value::string(message));
    for (std::size_t i = 0; i < fields.size(); ++i)
        out.set(fields.keys()[i], fields[i]);
    return out;
}

std::string Outcome::readable() const
{
    return ok ? showResult(fields) : "error [" + id + "]: " + message + "\n";
}

Outcome execute(Session& session, std::string_view line)
{
    Outcome outcome;
    auto failed = [&](const char* id, const char* message) {
        outcome.ok = false;
        outcome.id = id ? id : "";
        outcome.message = message ? message : "";
    };
    // Raises through the host's own mechanism, so that it is caught below
    // like any other host error.
    auto fromMessage = [&](const Message& m, const char* detail = "") {
        try {
            fail(m, detail);
        } catch (const Quillmark::System::IUserException& e) {
            failed(e.GetID(), e.GetMessageTxt());
        }
    };
    try {
        std::size_t pos = 0;
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        std::size_t start = pos;
        // A name ends where a word does, or at the first sign after letters: set(h, ...).
        bool letters = pos < line.size() && std::isalpha(static_cast<unsigned char>(line[pos]));
        while (pos < line.size() && !isBlank(line[pos]) &&
               (!letters || std::isalnum(static_cast<unsigned char>(line[pos])) || line[pos] == '_'))
            ++pos;
        std::string name(line.substr(start, pos - start));
        const Statement* statement = findStatement(name);
        if (isExpressionStatement(line, name, statement != nullptr)) {
            outcome.fields = evaluateStatement(session, line);
        } else {
            Arguments args(*statement, line, pos);
            outcome.fields = statement->run(session, args);
        }
    } catch (const Quillmark::System::IUserException& e) {
        failed(e.GetID(), e.GetMessageTxt());
    } catch (const gui_objects::convert_from_string_utils::ParseException&) {
        fromMessage(msg::ParseFailed);
    } catch (const gui_objects::ArrayException&) {
        fromMessage(msg::ArrayFailed);
    } catch (const std::exception& e) {
        fromMessage(msg::InternalError, e.what());
    } catch (...) {
        fromMessage(msg::UnknownException);
    }
    // The host reclaims what the call left among its temporaries.
    qxReclaimTemporaries();
    return outcome;
}

} // namespace vxhost
