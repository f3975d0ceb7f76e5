// The console's statements and functions: one table, one row each (name,
// usage, summary, argument counts, handler). help, help NAME, reserved names
// and completion all read this table; a new statement is a handler and a row.
#include "commands.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "catalog.h"
#include "encode.h"
#include "filters/filters.h"
#include "frame/handles.h"
#include "geometry/units.h"
#include "gui_objects/gui_objects.h"
#include "messages.h"
#include "nyro/nyro.h"
#include "objects/callback.h"
#include "store.h"
#include "ut/name_match.h"

namespace vxhost {

namespace {

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

json::Value textOrNull(const char* s) { return s ? json::Value(s) : json::Value(); }

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
    MadeValue(const TypeRef& t, COSValue v, bool owned = true) : type_(t.type), value_(v), owned_(owned) {}
    MadeValue(const nyro::COSDataType* type, COSValue v, bool owned) : type_(type), value_(v), owned_(owned) {}
    MadeValue(const MadeValue&) = delete;
    MadeValue& operator=(const MadeValue&) = delete;
    ~MadeValue()
    {
        if (!owned_)
            return;
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
    bool owned_;
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
        return json::Value();
    json::Value out = json::Value::object();
    json::Value array;
    if (nyro::COSTypeConversion* mc = conversionFrom("any", t)) {
        QxArrayPtr a(nyro::pointerValue<qxArray*>(mc->to(v)));
        array = encodeArray(a.get());
    }
    out["array"] = std::move(array);
    json::Value text;
    if (nyro::COSTypeConversion* sc = conversionFrom("string", t)) {
        std::string why;
        try {
            ReturnedText returned(t.name, sc->to(v));
            text = returned.json();
        } catch (const Quillmark::System::IUserException&) {
            throw;
        } catch (const std::exception& e) {
            why = whyNoText(nullptr, &e);
            if (nyro::COSTypeConversion* mc = conversionFrom("any", t)) {
                QxArrayPtr a(nyro::pointerValue<qxArray*>(mc->to(v)));
                why = whyNoText(a.get(), &e);
            }
        }
        if (!why.empty())
            fail(msg::TextConversion, (std::string("type ") + t.name.c_str()).c_str(), why.c_str());
    }
    out["text"] = std::move(text);
    return out;
}

Value none() { return {}; }

void set(Evaluator& ev, const char* key, json::Value v) { ev.answer[key] = std::move(v); }

Value arrayValue(QxArrayPtr a)
{
    Value v;
    v.array = std::move(a);
    return v;
}

Value handleValue(const std::vector<COSInterfacePtr>& objects)
{
    Value v;
    v.array = handleArray(objects);
    v.handles = true;
    return v;
}

// ---- property types -----------------------------------------------------------------

Value runTypes(Evaluator& ev, Arguments&)
{
    json::Value list = json::Value::array();
    for (nyro::COSDataType* t : ev.ws().graphics.library().types()) {
        json::Value converters = json::Value::array();
        for (const std::string& foreign : nyro::COSTypeRepository::conversionsOf(COSNameID(t->getName())))
            converters.push_back(json::Value(foreign));
        list.push_back(json::Value{{"name", textOrNull(t->getName())},
                                   {"declaration", textOrNull(t->getDeclarationName())},
                                   {"category", textOrNull(t->getCategoryName())},
                                   {"storage", static_cast<std::int64_t>(t->getStorageType())},
                                   {"bytes", static_cast<std::int64_t>(t->getValueSizeInBytes(COSValue()))},
                                   {"bits", static_cast<std::int64_t>(t->getSizeInBits())},
                                   {"converters", std::move(converters)}});
    }
    set(ev, "types", std::move(list));
    return none();
}

Value runFrom(Evaluator& ev, Arguments& args)
{
    TypeRef t = typeNamed(args.word(0));
    QxArrayPtr a = args.array(1, "The value");
    MadeValue v(t, requiredConversion("any", t)->from(slotOf(a.get())));
    set(ev, "value", describeValue(t, v.get()));
    return none();
}

Value runParse(Evaluator& ev, Arguments& args)
{
    TypeRef t = typeNamed(args.word(0));
    std::string text = args.text(1, "TEXT");
    MadeValue v(t, requiredConversion("string", t)->from(slotOf(text)));
    set(ev, "value", describeValue(t, v.get()));
    return none();
}

Value runDefault(Evaluator& ev, Arguments& args)
{
    TypeRef t = typeNamed(args.word(0));
    // The default belongs to the type: it is shown, not destroyed.
    set(ev, "value", describeValue(t, t.type->getDefaultValue()));
    return none();
}

Value runEqual(Evaluator& ev, Arguments& args)
{
    TypeRef t = typeNamed(args.word(0));
    QxArrayPtr a = args.array(1), b = args.array(2);
    nyro::COSTypeConversion* mc = requiredConversion("any", t);
    MadeValue va(t, mc->from(slotOf(a.get())));
    MadeValue vb(t, mc->from(slotOf(b.get())));
    set(ev, "equal", json::Value(t.type->isEqual(va.get(), vb.get())));
    set(ev, "compare", static_cast<std::int64_t>(t.type->compare(va.get(), vb.get())));
    return none();
}

// The scalar a host type keeps in a slot, as JSON.
json::Value scalarValue(const nyro::HostScalarType& type, COSValue v)
{
    using K = nyro::HostScalarType::Kind;
    switch (type.kind()) {
    case K::Signed: return static_cast<std::int64_t>(v.bits());
    case K::Unsigned: return static_cast<std::uint64_t>(v.bits());
    case K::Floating:
        // Single precision values are widened into the slot; shown as the float they are.
        return type.getValueSizeInBytes(v) == 4 ? json::number(static_cast<float>(v.asDouble()))
                                                : json::number(v.asDouble());
    case K::Logical: return json::Value(!v.isNull());
    case K::String: return textOrNull(nyro::pointerValue<const char*>(v));
    }
    return json::Value();
}

Value runScalar(Evaluator& ev, Arguments& args)
{
    std::string name = args.word(0);
    std::string text = args.text(1, "TEXT");
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
    set(ev, "value", scalarValue(*scalar, v.get()));
    set(ev, "text", written.json());
    return none();
}

Value runShow(Evaluator& ev, Arguments& args)
{
    QxArrayPtr a = args.array(0);
    set(ev, "array", encodeArray(a.get()));
    return none();
}

// ---- unit conversion

json::Value numbers(std::initializer_list<double> values)
{
    json::Value list = json::Value::array();
    for (double v : values)
        list.push_back(json::number(v));
    return list;
}

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

    UnitConversion(Arguments& args, const char* type) : valueType(typeNamed(type))
    {
        from = unit(args.word(0));
        to = unit(args.word(1));
        valueArray = args.array(2);
        if (args.size() > 3)
            frameArray = args.array(3);
        if (args.size() > 4) {
            QxArrayPtr ppi = args.array(4);
            if (qxGetClassID(ppi.get()) != qxDOUBLE_CLASS || qxGetNumberOfElements(ppi.get()) != 1)
                args.usage();
            pixel = vx::Pixel(*qxGetPr(ppi.get()));
        }
        value.emplace(valueType, made(valueType, valueArray.get()));
        if (frameArray)
            frame.emplace(positionType, made(positionType, frameArray.get()));
    }

    template <class V>
    const V* valueAs() const { return nyro::pointerValue<const V*>(value->get()); }
    const datatypes::Position* framePosition() const
    {
        return frame ? nyro::pointerValue<const datatypes::Position*>(frame->get()) : &zero;
    }

    // The word matched by the property's string converter; the value's number is its code.
    static vx::UnitCode unit(const std::string& word)
    {
        TypeRef units = typeNamed("UnitsWithData");
        MadeValue v(units, requiredConversion("string", units)->from(slotOf(word)));
        return vx::unitCode(*nyro::pointerValue<const datatypes::UnitsWithData*>(v.get()));
    }

    static COSValue made(const TypeRef& t, const qxArray* a) { return requiredConversion("any", t)->from(slotOf(a)); }
};

Value runConvertPosition(Evaluator& ev, Arguments& args)
{
    UnitConversion c(args, "Position");
    datatypes::Position out =
        vx::convertPosition(c.pixel, c.from, c.to, c.valueAs<datatypes::Position>(), c.framePosition());
    set(ev, "position", numbers({out.getX(), out.getY(), out.getWidth(), out.getHeight()}));
    return none();
}

Value runConvertInset(Evaluator& ev, Arguments& args)
{
    UnitConversion c(args, "Inset");
    gui_objects::Inset2d out =
        vx::convertInset(c.pixel, c.from, c.to, c.valueAs<gui_objects::Inset2d>(), c.framePosition());
    set(ev, "inset", numbers({out.getXMin(), out.getYMin(), out.getXMax(), out.getYMax()}));
    return none();
}

// The color name table as the ColorTable property reads it: a 1x1 struct, one
// [r g b] field per name.
Value runColorTable(Evaluator& ev, Arguments&)
{
    TypeRef t = typeNamed("ColorTable");
    QxArrayPtr table(nyro::pointerValue<qxArray*>(requiredConversion("any", t)->to(t.type->getDefaultValue())));
    set(ev, "table", encodeArray(table.get()));
    return none();
}

// ---- graphics objects -------------------------------------------------------------------

// A property as `get(h)` lists it: its text form, or its array when the type
// has no text for it (or refuses one).
json::Value describeProperty(const COSInterface* obj, COSPropInfo* p)
{
    json::Value text;
    try {
        text = Graphics::text(obj, p);
    } catch (const Quillmark::System::IUserException&) {
    }
    if (!text.is_null())
        return text;
    QxArrayPtr a = Graphics::get(obj, p);
    return qxIsObject(a.get()) ? encodeObjects(a.get()) : encodeArray(a.get());
}

COSInterfacePtr currentChild(Evaluator& e, COSInterface* parent, const char* slot, const char* className)
{
    Value current = e.readProperty(COSInterfacePtr(parent), slot);
    if (qxGetNumberOfElements(current.array.get()) == 1)
        return e.objectOf(current, slot);
    return e.ws().graphics.create(*Graphics::classNamed(className), parent);
}

COSInterfacePtr currentFigure(Evaluator& e) { return currentChild(e, e.ws().graphics.root(), "CurrentFigure", "figure"); }
COSInterfacePtr currentAxes(Evaluator& e) { return currentChild(e, currentFigure(e).get(), "CurrentAxes", "axes"); }

// figure(...), axes(...), line(...): an optional parent handle first, then name/value pairs.
Value runConstruct(Evaluator& ev, Arguments& args)
{
    const GraphicsClass* cls = Graphics::classNamed(args.command().name);
    Workspace& ws = ev.ws();
    std::size_t first = 0;
    COSInterfacePtr parent;
    Value firstArg = args.size() ? args.value(0) : Value();
    if (args.size() && !(firstArg.array && qxIsChar(firstArg.array.get()))) {
        parent = ev.objectOf(firstArg, "The parent");
        first = 1;
    } else if (cls->under == "root") {
        parent = COSInterfacePtr(ws.graphics.root());
    } else if (cls->under == "figure") {
        parent = currentFigure(ev);
    } else {
        parent = currentAxes(ev);
    }
    const GraphicsClass* parentClass = Graphics::classOf(parent.get());
    if (!parentClass || parentClass->name != cls->under)
        fail(msg::BadParent, cls->name.c_str(), cls->under.c_str(), Graphics::classNameOf(parent.get()).c_str());
    if ((args.size() - first) % 2 != 0)
        fail(msg::PairsExpected);
    COSInterfacePtr obj = ws.graphics.create(*cls, parent.get());
    try {
        json::Value names = ev.setPairs({obj}, args, first);
        if (names.size())
            set(ev, "set", std::move(names));
    } catch (...) {
        // A refused value leaves no half-made object behind.
        ev.partial = json::Value();
        try {
            ws.graphics.remove(obj.get());
        } catch (...) {
        }
        throw;
    }
    return handleValue({obj});
}

Value runSet(Evaluator& ev, Arguments& args)
{
    if (args.size() == 2)
        return runValues(ev, args);
    std::vector<COSInterfacePtr> objects = ev.objectsOf(args.value(0), "The first argument of set");
    set(ev, "set", ev.setPairs(objects, args, 1));
    return none();
}

Value runGet(Evaluator& ev, Arguments& args)
{
    COSInterfacePtr obj = ev.objectOf(args.value(0), "The first argument of get");
    if (args.size() == 2) {
        Value v = ev.readProperty(obj, args.text(1, "The property name"));
        if (ev.display) {
            json::Value text = v.property ? textOfProperty(obj.get(), v.property) : json::Value();
            ev.answer["value"] = encodeValue(v);
            if (!text.is_null())
                ev.answer["text"] = std::move(text);
        }
        return none();
    }
    json::Value props = json::Value::object();
    for (COSPropInfo* p : obj->getClass()->getProperties())
        props[p->getName()] = describeProperty(obj.get(), p);
    props["Children"] = encodeHandles(handleArray(ev.ws().graphics.userChildren(obj.get())).get());
    set(ev, "handle", json::number(Graphics::handleOf(obj.get())));
    set(ev, "class", json::Value(Graphics::classNameOf(obj.get())));
    set(ev, "properties", std::move(props));
    return none();
}

Value runDelete(Evaluator& ev, Arguments& args)
{
    json::Value deleted = json::Value::array();
    for (const COSInterfacePtr& obj : ev.objectsOf(args.value(0), "The argument of delete")) {
        if (!obj->isValid())
            continue; // deleted with an ancestor listed before it
        for (double h : ev.ws().graphics.remove(obj.get()))
            deleted.push_back(json::number(h));
    }
    set(ev, "deleted", std::move(deleted));
    return none();
}

Value runIsHandle(Evaluator& ev, Arguments& args)
{
    Value v = args.value(0);
    const qxArray* a = v.array.get();
    if (!a || !(qxIsNumeric(a) || qxIsObject(a)))
        return arrayValue(QxArrayPtr(qxCreateLogicalScalar(false)));
    qxSize n = qxGetNumberOfElements(a);
    QxArrayPtr out(qxCreateLogicalMatrix(qxGetM(a), qxGetN(a)));
    for (qxSize i = 0; i < n; ++i) {
        bool valid = false;
        if (qxIsObject(a)) {
            COSInterface* obj = omGetArrayElement(a, i);
            valid = obj && obj->isValid();
        } else {
            try {
                ev.ws().graphics.objectOf(static_cast<double>(qx::readElement(qxGetClassID(a), qxGetData(a), i)));
                valid = true;
            } catch (const Quillmark::System::IUserException&) {
            }
        }
        qxGetLogicals(out.get())[i] = valid;
    }
    return arrayValue(std::move(out));
}

// isequal through the property's type when either side was read from a
// property (the other side is converted by that type), else element by element.
Value runIsEqual(Evaluator& ev, Arguments& args)
{
    Value x = args.value(0), y = args.value(1);
    for (const Value* v : {&x, &y})
        if (!v->array)
            fail(msg::NoValue, "An argument of isequal");
    bool equal;
    json::Value by;
    if (x.property || y.property) {
        const Value& typed = x.property ? x : y;
        const Value& other = x.property ? y : x;
        const nyro::COSDataType* type = typed.property->getDataType();
        MadeValue a(type, typed.property->getValue(typed.object.get()), false);
        bool sameType = other.property && other.property->getDataType() == type;
        MadeValue b(type,
                    sameType ? other.property->getValue(other.object.get())
                             : Graphics::valueFrom(typed.property, other.array.get()),
                    !sameType);
        equal = type->isEqual(a.get(), b.get());
        by = json::Value(type->getName());
    } else {
        equal = qxAreMatricesEqual(x.array.get(), y.array.get());
        by = json::Value("array");
    }
    set(ev, "by", std::move(by));
    return arrayValue(QxArrayPtr(qxCreateLogicalScalar(equal)));
}

Value runNotify(Evaluator& ev, Arguments& args)
{
    std::vector<COSInterfacePtr> objects = ev.objectsOf(args.value(0), "The first argument of notify");
    std::string event = args.text(1, "The event name");
    QxArrayPtr data = args.size() == 3 ? args.array(2) : QxArrayPtr();
    for (const COSInterfacePtr& obj : objects)
        obj->fireEvent(COSNameID(event.c_str()), data.get());
    return none();
}

// ---- defaults, property listeners, tree access, save and load

// addlistener(h, 'PROP', 'PreSet'|'PostSet', CALLBACK): a listener object
// that runs the callback around each set of the property.
Value runAddPropertyListener(Evaluator& ev, Arguments& args)
{
    COSInterfacePtr target = ev.objectOf(args.value(0), "The first argument of addlistener");
    COSPropInfo* p = Graphics::property(target.get(), args.text(1, "The property name"));
    std::string event = args.text(2, "The event name");
    if (event != "PreSet" && event != "PostSet")
        fail(msg::ListenerEvent, event.c_str());
    QxArrayPtr callback = args.array(3, "The callback");
    Workspace& ws = ev.ws();
    return handleValue({ws.graphics.addPropertyListener(target.get(), p, event, callback.get(), &ws.callbackLog)});
}

Value runIsEmpty(Evaluator&, Arguments& args)
{
    QxArrayPtr a = args.array(0);
    return arrayValue(QxArrayPtr(qxCreateLogicalScalar(qxGetNumberOfElements(a.get()) == 0)));
}

// findobj(h, 'PROP', v): h and what is under it (through Children) whose
// property equals v as the property's type compares; objects without the
// property, or whose type refuses v, do not match.
Value runFindObj(Evaluator& ev, Arguments& args)
{
    std::vector<COSInterfacePtr> start = ev.objectsOf(args.value(0), "The first argument of findobj");
    std::string name = args.text(1, "The property name");
    QxArrayPtr wanted = args.array(2, "The value");
    const Graphics& g = ev.ws().graphics;
    std::vector<COSInterfacePtr> found, pending(start.rbegin(), start.rend());
    while (!pending.empty()) {
        COSInterfacePtr obj = std::move(pending.back());
        pending.pop_back();
        std::vector<COSInterfacePtr> children = g.userChildren(obj.get());
        pending.insert(pending.end(), children.rbegin(), children.rend());
        COSPropInfo* p = nullptr;
        COSValue v;
        try {
            p = Graphics::property(obj.get(), name);
            v = Graphics::valueFrom(p, wanted.get());
        } catch (const Quillmark::System::IUserException&) {
            continue;
        }
        MadeValue made(p->getDataType(), v, true);
        if (p->getDataType()->isEqual(p->getValue(obj.get()), made.get()))
            found.push_back(std::move(obj));
    }
    return handleValue(found);
}

Value runSave(Evaluator& ev, Arguments& args)
{
    COSInterfacePtr obj = ev.objectOf(args.value(0), "The first argument of save");
    std::string file = args.text(1, "The file name");
    if (!ev.ws().files)
        fail(msg::NoFiles);
    json::Value skipped = saveTree(ev.ws().graphics, obj.get(), file);
    set(ev, "saved", file);
    set(ev, "skipped", std::move(skipped));
    return none();
}

// load(FILE): everything is read and checked first; only then are objects
// made, under the current figure or axes when the top one is no figure.
Value runLoad(Evaluator& ev, Arguments& args)
{
    std::string file = args.text(0, "The file name");
    Workspace& ws = ev.ws();
    if (!ws.files)
        fail(msg::NoFiles);
    std::unique_ptr<LoadedTree> tree = readTree(file);
    const std::string& under = tree->topClass().under;
    COSInterfacePtr parent = under == "root"     ? COSInterfacePtr(ws.graphics.root())
                             : under == "figure" ? currentFigure(ev)
                                                 : currentAxes(ev);
    COSInterfacePtr top = tree->make(ws.graphics, parent.get());
    if (!tree->skipped().empty())
        set(ev, "skipped", tree->skipped());
    return handleValue({top});
}

// addlistener(h, 'Event', 'CallbackProperty'): the callback held in the
// property runs when the event fires on h. With a class name instead of h,
// on every instance of the class.
Value runAddListener(Evaluator& ev, Arguments& args)
{
    if (args.size() == 4)
        return runAddPropertyListener(ev, args);
    Value target = args.value(0);
    std::string event = args.text(1, "The event name");
    std::string property = args.text(2, "The property name");
    if (target.array && qxIsChar(target.array.get())) {
        std::string name = args.text(0, "The class name");
        const GraphicsClass* cls = Graphics::classNamed(name);
        if (!cls)
            fail(msg::UnknownClass, name.c_str());
        nyro::COSListenerPtr l = datatypes::createClassListener(property.c_str());
        ev.ws().graphics.keep(l);
        cls->cls->addListener(COSNameID(event.c_str()), l);
        return none();
    }
    for (const COSInterfacePtr& obj : ev.objectsOf(target, "The first argument of addlistener")) {
        nyro::COSListenerPtr l = datatypes::createListener(property.c_str());
        ev.ws().graphics.keep(l);
        obj->addListener(COSNameID(event.c_str()), l);
    }
    return none();
}

Value runGcf(Evaluator& ev, Arguments&) { return handleValue({currentFigure(ev)}); }
Value runGca(Evaluator& ev, Arguments&) { return handleValue({currentAxes(ev)}); }
Value runGroot(Evaluator& ev, Arguments&) { return handleValue({COSInterfacePtr(ev.ws().graphics.root())}); }

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

// The filter a text names, abbreviated as property names are.
struct FilterNames {
    ut::NameMatcher matcher;
    FilterNames()
    {
        for (const FilterRow& f : filterTable)
            matcher.add(f.name);
    }
};

const FilterRow& filterNamed(const std::string& written)
{
    static const FilterNames names;
    if (const int at = names.matcher.match(std::string_view(written)); at >= 0)
        return filterTable[static_cast<std::size_t>(at)];
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
    QxArrayPtr full(qxMustBeFull(a));
    return static_cast<double>(qx::readElement(qxGetClassID(a), qxGetData(full.get()), 0));
}

// Snapshot of an object's properties as JSON text, to report what changed.
std::vector<std::string> snapshot(const COSInterface* obj)
{
    std::vector<std::string> out;
    for (COSPropInfo* p : obj->getClass()->getProperties())
        out.push_back(json::dump(describeProperty(obj, p)));
    return out;
}

Value runFilter(Evaluator& ev, Arguments& args)
{
    COSInterfacePtr obj = ev.objectOf(args.value(0), "The first argument of filter");
    const FilterRow& f = filterNamed(args.text(1, "The filter name"));
    Value input = args.value(2);
    std::vector<std::string> before = snapshot(obj.get());
    std::exception_ptr error;
    try {
        switch (f.input) {
        case FilterInput::Size: {
            double size = scalarOf(input, "size");
            (f.name == "FontLabelSize" ? datatypes::filter_FontLabelSize : datatypes::filter_FontTitleSize)(obj.get(),
                                                                                                         size);
            break;
        }
        case FilterInput::Switch: {
            bool on = input.array && qxIsChar(input.array.get()) ? qxArrayToStdString(input.array.get()) == "on"
                                                                 : scalarOf(input, "switch") != 0;
            datatypes::filter_AxisMinorBooleanToGrid(obj.get(), on);
            break;
        }
        case FilterInput::Color: {
            TypeRef t = typeNamed("RGBAColor");
            if (!input.array)
                fail(msg::NoValue, "The color");
            MadeValue color(t, Graphics::valueFrom(t.type, "color", input.array.get()));
            auto run = f.name == "RGBAColorToTextPrimitive" ? datatypes::filter_RGBAColorToTextPrimitive
                                                            : datatypes::filter_RGBAColorToGeometryPrimitive;
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
            changed[props[i]->getName()] = describeProperty(obj.get(), props[i]);
    if (error)
        std::rethrow_exception(error);
    set(ev, "filter", json::Value(std::string(f.name)));
    set(ev, "changed", std::move(changed));
    return none();
}

// ---- the session -----------------------------------------------------------------------

Value runClasses(Evaluator& ev, Arguments&)
{
    ev.ws();
    json::Value list = json::Value::array();
    for (const GraphicsClass& c : Graphics::classes()) {
        json::Value props = json::Value::object();
        for (COSPropInfo* p : c.cls->getProperties())
            if (p->getOwnerClass() == c.cls)
                props[p->getName()] = p->getDataType()->getName();
        list.push_back(json::Value{{"name", c.name},
                                   {"class", c.cls->getName()},
                                   {"parent", c.cls->getParent()->getName()},
                                   {"under", c.under},
                                   {"properties", std::move(props)}});
    }
    json::Value skipped = json::Value::array();
    for (const SkippedProperty& s : Graphics::skipped())
        skipped.push_back(json::Value{{"class", s.className}, {"property", s.property}, {"type", s.type}});
    set(ev, "classes", std::move(list));
    set(ev, "skipped", std::move(skipped));
    return none();
}

Value runWho(Evaluator& ev, Arguments&)
{
    json::Value vars = json::Value::object();
    for (const auto& [name, var] : ev.scope) {
        Value v;
        v.array.reset(qxCreateSharedDataCopy(var.array.get()));
        v.handles = var.handles;
        vars[name] = encodeValue(v);
    }
    set(ev, "variables", std::move(vars));
    return none();
}

Value runClear(Evaluator& ev, Arguments& args)
{
    json::Value cleared = json::Value::array();
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i)
        names.push_back(args.word(i));
    if (names.empty())
        for (const auto& entry : ev.scope)
            names.push_back(entry.first);
    for (const std::string& n : names)
        if (ev.scope.erase(n))
            cleared.push_back(json::Value(n));
    set(ev, "cleared", std::move(cleared));
    return none();
}

Value runHelp(Evaluator& ev, Arguments& args)
{
    auto row = [](const Command& c) {
        return json::Value{{"name", std::string(c.name)},
                           {"usage", std::string(c.usage)},
                           {"summary", std::string(c.summary)}};
    };
    if (args.size() == 1) {
        std::string name = args.word(0);
        const Command* c = ev.command(name);
        if (!c) {
            std::vector<std::string> names;
            for (const Command& k : ev.commands)
                names.emplace_back(k.name);
            fail(msg::UnknownStatement, name.c_str(), closest(name, names).c_str());
        }
        set(ev, "help", row(*c));
        return none();
    }
    json::Value list = json::Value::array();
    for (const Command& c : ev.commands)
        list.push_back(row(c));
    set(ev, "statements", std::move(list));
    return none();
}

Value runQuit(Evaluator& ev, Arguments&)
{
    ev.ws().quit = true;
    return none();
}

// ---- arrays --------------------------------------------------------------------------------

std::vector<QxArrayPtr> allArrays(Arguments& args)
{
    std::vector<QxArrayPtr> out;
    for (std::size_t i = 0; i < args.size(); ++i)
        out.push_back(args.array(i));
    return out;
}

[[noreturn]] void badArgument(Arguments& args, const char* why)
{
    fail(msg::BadArgument, std::string(args.command().name).c_str(), why);
}

// A real numeric or logical scalar.
long double scalarArgument(Arguments& args, const qxArray* a)
{
    qxClassID cls = qxGetClassID(a);
    if (!(qx::isNumericClass(cls) || cls == qxLOGICAL_CLASS) || qxGetNumberOfElements(a) != 1 || qxIsComplex(a))
        badArgument(args, "expected a real number");
    QxArrayPtr full(qxMustBeFull(a));
    return qx::readElement(cls, qxGetData(full.get()), 0);
}

qxSize sizeFrom(Arguments& args, long double v)
{
    if (!std::isfinite(v) || v != std::floor(v))
        badArgument(args, "sizes must be whole numbers");
    if (v < 0)
        return 0; // a negative size is taken as 0, as hosts do
    if (v > static_cast<long double>(std::numeric_limits<qxSize>::max() / 2))
        fail(msg::TooLarge, qx::maxElements);
    return static_cast<qxSize>(v);
}

// The dimensions given by a[first, last): none is 1x1, one scalar n is n-by-n,
// one vector lists them, several scalars are one dimension each.
Dims shapeOf(Arguments& args, const std::vector<QxArrayPtr>& a, std::size_t first, std::size_t last)
{
    if (first == last)
        return {1, 1};
    if (last - first == 1) {
        const qxArray* x = a[first].get();
        qxSize n = qxGetNumberOfElements(x);
        if (n == 1) {
            qxSize s = sizeFrom(args, scalarArgument(args, x));
            return {s, s};
        }
        if (!qx::isNumericClass(qxGetClassID(x)) || !qxIsVector(x) || n < 2 || qxIsComplex(x) || qxIsSparse(x))
            badArgument(args, "the size must be a row of whole numbers");
        Dims dims;
        for (qxSize i = 0; i < n; ++i)
            dims.push_back(sizeFrom(args, qx::readElement(qxGetClassID(x), qxGetData(x), i)));
        return dims;
    }
    Dims dims;
    for (std::size_t i = first; i < last; ++i)
        dims.push_back(sizeFrom(args, scalarArgument(args, a[i].get())));
    return dims;
}

std::optional<std::string> textOf(const qxArray* a)
{
    if (!qxIsChar(a) || (qxGetNumberOfElements(a) > 0 && (qxGetNumberOfDimensions(a) != 2 || qxGetM(a) != 1)))
        return std::nullopt;
    return qxArrayToStdString(a);
}

// A class name given as the last argument ("int8" in zeros(2,3,'int8')).
qxClassID trailingClass(Arguments& args, const std::vector<QxArrayPtr>& a, std::size_t& last, bool floatingOnly)
{
    if (last == 0)
        return qxDOUBLE_CLASS;
    std::optional<std::string> name = textOf(a[last - 1].get());
    if (!name)
        return qxDOUBLE_CLASS;
    std::optional<qxClassID> cls = qx::elementClassNamed(*name);
    bool allowed = cls && (floatingOnly ? *cls == qxDOUBLE_CLASS || *cls == qxSINGLE_CLASS : qx::isNumericClass(*cls));
    if (!allowed)
        badArgument(args, floatingOnly ? "the class must be 'double' or 'single'" : "the class must be numeric");
    --last;
    return *cls;
}

Value runConvertClass(Evaluator&, Arguments& args)
{
    QxArrayPtr a = args.array(0);
    return arrayValue(arrayOp(qx::convertClass, a.get(), *qx::elementClassNamed(args.command().name)));
}

// zeros, ones, NaN, Inf: a filled array of a shape.
template <int Fill, bool FloatingOnly>
Value runFilled(Evaluator&, Arguments& args)
{
    std::vector<QxArrayPtr> a = allArrays(args);
    std::size_t last = a.size();
    qxClassID cls = trailingClass(args, a, last, FloatingOnly);
    long double value = Fill == 2 ? std::numeric_limits<long double>::quiet_NaN()
                      : Fill == 3 ? std::numeric_limits<long double>::infinity()
                                  : Fill;
    return arrayValue(arrayOp(qx::filledArray, shapeOf(args, a, 0, last), cls, value));
}

template <bool V>
Value runLogicalFilled(Evaluator&, Arguments& args)
{
    std::vector<QxArrayPtr> a = allArrays(args);
    return arrayValue(arrayOp(qx::filledArray, shapeOf(args, a, 0, a.size()), qxLOGICAL_CLASS, V));
}

Value runCell(Evaluator&, Arguments& args)
{
    std::vector<QxArrayPtr> a = allArrays(args);
    return arrayValue(arrayOp(qx::emptyCellArray, shapeOf(args, a, 0, a.size())));
}

// reshape(x, m, n, ...) or reshape(x, [m n ...]); one size may be [] and is
// then whatever makes the number of elements come out.
Value runReshape(Evaluator&, Arguments& args)
{
    std::vector<QxArrayPtr> a = allArrays(args);
    if (a.size() == 2)
        return arrayValue(arrayOp(qx::reshape, a[0].get(), shapeOf(args, a, 1, 2)));
    Dims dims;
    std::optional<std::size_t> open;
    for (std::size_t i = 1; i < a.size(); ++i) {
        const qxArray* x = a[i].get();
        if (qxGetNumberOfElements(x) == 0 && qxIsDouble(x)) {
            if (open)
                badArgument(args, "only one size may be left open with []");
            open = dims.size();
            dims.push_back(1);
            continue;
        }
        dims.push_back(sizeFrom(args, scalarArgument(args, x)));
    }
    if (open) {
        qxSize known = arrayOp(qx::checkedCount, dims), total = qxGetNumberOfElements(a[0].get());
        if (known == 0 || total % known != 0)
            badArgument(args, "the number of elements is not divisible by the given sizes");
        dims[*open] = total / known;
    }
    return arrayValue(arrayOp(qx::reshape, a[0].get(), dims));
}

Value runCat(Evaluator&, Arguments& args)
{
    std::vector<QxArrayPtr> a = allArrays(args);
    long double d = scalarArgument(args, a[0].get());
    if (!(d >= 1) || d != std::floor(d) || d > 64)
        badArgument(args, "the dimension must be a positive integer");
    std::vector<const qxArray*> parts;
    for (std::size_t i = 1; i < a.size(); ++i)
        parts.push_back(a[i].get());
    return arrayValue(arrayOp(qx::concatenate, static_cast<qxSize>(d), parts));
}

Value runSparse(Evaluator&, Arguments& args)
{
    std::vector<QxArrayPtr> a = allArrays(args);
    if (a.size() == 1)
        return arrayValue(arrayOp(qx::sparseOf, a[0].get()));
    qxSize m = sizeFrom(args, scalarArgument(args, a[0].get())), n = sizeFrom(args, scalarArgument(args, a[1].get()));
    return arrayValue(arrayOp(qx::sparseZeros, m, n));
}

Value runComplex(Evaluator&, Arguments& args)
{
    std::vector<QxArrayPtr> a = allArrays(args);
    if (a.size() == 2)
        return arrayValue(arrayOp(qx::complexOf, a[0].get(), a[1].get()));
    QxArrayPtr zero(qxCreateDoubleScalar(0));
    return arrayValue(arrayOp(qx::complexOf, a[0].get(), zero.get()));
}

Value runStruct(Evaluator&, Arguments& args)
{
    std::vector<QxArrayPtr> a = allArrays(args);
    if (a.size() % 2 != 0)
        badArgument(args, "names and values come in pairs");
    std::vector<std::string> names;
    std::vector<const qxArray*> values;
    for (std::size_t i = 0; i < a.size(); i += 2) {
        std::optional<std::string> name = textOf(a[i].get());
        if (!name)
            badArgument(args, "field names are texts");
        names.push_back(*name);
        values.push_back(a[i + 1].get());
    }
    return arrayValue(arrayOp(qx::structOf, std::vector<std::string_view>(names.begin(), names.end()), values));
}

Value runNumel(Evaluator&, Arguments& args)
{
    QxArrayPtr a = args.array(0);
    return arrayValue(qx::numelOf(a.get()));
}

Value runSize(Evaluator&, Arguments& args)
{
    QxArrayPtr a = args.array(0);
    if (args.size() == 2) {
        QxArrayPtr k = args.array(1);
        long double dim = scalarArgument(args, k.get());
        if (!(dim >= 1) || dim != std::floor(dim))
            badArgument(args, "the dimension must be a positive integer");
        // Beyond any array's dimensions every extent is 1.
        dim = std::min(dim, static_cast<long double>(qx::maxElements));
        return arrayValue(arrayOp(qx::sizeAlong, a.get(), static_cast<qxSize>(dim)));
    }
    return arrayValue(qx::sizeOf(a.get()));
}


// The rows written by hand; the graphics classes follow, one row each, from
// the class catalog.
constexpr Command handWritten[] = {
    // Property types and the library's helpers
    {"types", "types", "the property types the library registered, in registration order", 0, 0, runTypes},
    {"from", "from TYPE VALUE", "a value made by the type's array converter from the array", 2, 2, runFrom},
    {"parse", "parse TYPE 'TEXT'", "a value made by the type's string converter from the text", 2, 2, runParse},
    {"default", "default TYPE", "the type's default value", 1, 1, runDefault},
    {"equal", "equal TYPE VALUE VALUE", "isEqual and compare of two values made by the array converter", 3, 3,
     runEqual},
    {"scalar", "scalar 'HOST TYPE' 'TEXT'", "the text conversion of a scalar type of the host, both ways", 2, 2,
     runScalar},
    {"convertposition", "convertposition FROM TO [x y w h] [[x y w h] [ppi]]",
     "a position converted between units; the second array is the reference frame in pixels", 3, 5,
     runConvertPosition},
    {"convertinset", "convertinset FROM TO [xmin ymin xmax ymax] [[x y w h] [ppi]]",
     "an inset converted between units, like a position", 3, 5, runConvertInset},
    {"colortable", "colortable", "the color name table as a struct of [r g b] fields", 0, 0, runColorTable},
    {"show", "show VALUE", "the array a value is, in full", 1, 1, runShow},
    // Graphics objects
    {"set", "set(H, 'NAME', VALUE, ...)   set(H, 'NAME')",
     "sets properties; names in any letter case, abbreviated while unique; without a value, what NAME accepts", 2,
     kMany, runSet},
    {"get", "get(H, 'NAME')   get(H)", "a property's value and text; or every property of the object", 1, 2, runGet},
    {"delete", "delete(H)", "deletes objects with their descendants (DeleteFcn callbacks run)", 1, 1, runDelete},
    {"isequal", "isequal(A, B)", "equality through the property's type when a side was read from a property", 2, 2,
     runIsEqual},
    {"ishandle", "ishandle(H)", "whether each handle denotes a live object", 1, 1, runIsHandle},
    {"notify", "notify(H, 'EVENT', DATA)", "fires an event; the callback in property EVENTFcn runs on it", 2, 3,
     runNotify},
    {"addlistener", "addlistener(H, 'EVENT', 'PROPERTY')   L = addlistener(H, 'PROP', 'PreSet'|'PostSet', CALLBACK)",
     "runs the callback held in PROPERTY when EVENT fires (a class name for H: on every instance); or CALLBACK "
     "before or after each set of PROP, until delete(L) or delete(H)",
     3, 4, runAddListener},
    {"findobj", "findobj(H, 'PROP', VALUE)",
     "H and the objects under it whose PROP equals VALUE, as the property's type compares", 3, 3, runFindObj},
    {"save", "save(H, 'FILE')",
     "writes the objects under H (a figure or below) to FILE as JSON; lists the properties it cannot keep", 2, 2,
     runSave},
    {"load", "H = load('FILE')",
     "makes the objects a file of save holds, or nothing when any part of it is refused", 1, 1, runLoad},
    {"filter", "filter(H, 'FILTER', VALUE)",
     "runs a property filter on a child: FontLabelSize, FontTitleSize, AxisMinorBooleanToGrid, "
     "RGBAColorToTextPrimitive, RGBAColorToGeometryPrimitive",
     3, 3, runFilter},
    {"gcf", "gcf", "the current figure (made when missing)", 0, 0, runGcf},
    {"gca", "gca", "the current axes (made when missing)", 0, 0, runGca},
    {"groot", "groot", "the root object, handle 0", 0, 0, runGroot},
    {"classes", "classes", "the graphics classes with their properties and types", 0, 0, runClasses},
    {"values", "values TYPE   values(H, 'NAME')",
     "what a type or a property accepts, in words: names with the default in braces, array shapes and rules", 1, 2,
     runValues},
    {"schema", "schema", "every type with what it accepts, and every class with its properties, types and defaults",
     0, 0, runSchema},
    // The session
    {"who", "who", "the variables and their values", 0, 0, runWho},
    {"clear", "clear [NAME ...]", "removes variables (all of them without names)", 0, kMany, runClear},
    {"help", "help [NAME]", "the statements and functions; with a name, that one's usage", 0, 1, runHelp},
    {"quit", "quit", "ends the session", 0, 0, runQuit},
    {"exit", "exit", "ends the session", 0, 0, runQuit},
    // Arrays
    {"double", "double(X)", "X converted to double", 1, 1, runConvertClass},
    {"single", "single(X)", "X converted to single", 1, 1, runConvertClass},
    {"int8", "int8(X)", "X converted to int8 (rounded, saturated)", 1, 1, runConvertClass},
    {"uint8", "uint8(X)", "X converted to uint8 (rounded, saturated)", 1, 1, runConvertClass},
    {"int16", "int16(X)", "X converted to int16 (rounded, saturated)", 1, 1, runConvertClass},
    {"uint16", "uint16(X)", "X converted to uint16 (rounded, saturated)", 1, 1, runConvertClass},
    {"int32", "int32(X)", "X converted to int32 (rounded, saturated)", 1, 1, runConvertClass},
    {"uint32", "uint32(X)", "X converted to uint32 (rounded, saturated)", 1, 1, runConvertClass},
    {"int64", "int64(X)", "X converted to int64 (rounded, saturated)", 1, 1, runConvertClass},
    {"uint64", "uint64(X)", "X converted to uint64 (rounded, saturated)", 1, 1, runConvertClass},
    {"logical", "logical(X)", "X converted to logical (NaN is refused)", 1, 1, runConvertClass},
    {"char", "char(X)", "X converted to char (UTF-16 code units)", 1, 1, runConvertClass},
    {"zeros", "zeros(M, N, ..., 'CLASS')", "an array of zeros", 0, kMany, runFilled<0, false>},
    {"ones", "ones(M, N, ..., 'CLASS')", "an array of ones", 0, kMany, runFilled<1, false>},
    {"NaN", "NaN(M, N, ..., 'CLASS')", "an array of NaN (double or single)", 0, kMany, runFilled<2, true>},
    {"nan", "nan(M, N, ...)", "the same as NaN", 0, kMany, runFilled<2, true>},
    {"Inf", "Inf(M, N, ..., 'CLASS')", "an array of Inf (double or single)", 0, kMany, runFilled<3, true>},
    {"inf", "inf(M, N, ...)", "the same as Inf", 0, kMany, runFilled<3, true>},
    {"true", "true(M, N, ...)", "a logical array of true", 0, kMany, runLogicalFilled<true>},
    {"false", "false(M, N, ...)", "a logical array of false", 0, kMany, runLogicalFilled<false>},
    {"cell", "cell(M, N, ...)", "a cell array of empty arrays", 0, kMany, runCell},
    {"reshape", "reshape(X, M, N, ...)", "the elements of X in new dimensions (one may be [])", 2, kMany, runReshape},
    {"cat", "cat(DIM, A, B, ...)", "arrays joined along dimension DIM", 1, kMany, runCat},
    {"sparse", "sparse(X)   sparse(M, N)", "the sparse form of X, or an all-zero M-by-N sparse array", 1, 2,
     runSparse},
    {"complex", "complex(RE, IM)", "a complex array (the imaginary part is kept when zero)", 1, 2, runComplex},
    {"struct", "struct('NAME', VALUE, ...)", "a struct; a cell value spreads over a struct array", 0, kMany,
     runStruct},
    {"numel", "numel(X)", "the number of elements of X", 1, 1, runNumel},
    {"size", "size(X)   size(X, DIM)", "the dimensions of X", 1, 2, runSize},
    {"isempty", "isempty(X)", "whether X has no elements", 1, 1, runIsEmpty},
};

struct ClassRow {
    const char* name;
    const char* under;
};
constexpr ClassRow classRows[] = {
#define VXHOST_CLASS(name, host, parent, under) {name, under},
#define VXHOST_PROPERTY(name, type, def)
#include "classes.def"
#undef VXHOST_CLASS
#undef VXHOST_PROPERTY
};

struct Table {
    std::vector<std::string> usages, summaries;
    std::vector<Command> rows;
    Table()
    {
        rows.assign(std::begin(handWritten), std::end(handWritten));
        std::size_t count = 0;
        for (const ClassRow& c : classRows)
            count += *c.name && *c.under;
        usages.reserve(count);
        summaries.reserve(count);
        for (const ClassRow& c : classRows) {
            if (!*c.name || !*c.under)
                continue;
            std::string name = c.name;
            usages.push_back(name + "(PARENT, 'NAME', VALUE, ...)");
            summaries.push_back("a new " + name + " under a " + c.under + " (default: the current one)" +
                                (name == "axes" ? ", with its title and labels" : ""));
            rows.push_back({c.name, usages.back(), summaries.back(), 0, kMany, runConstruct});
        }
    }
};

} // namespace

std::span<const Command> commandTable()
{
    static const Table table;
    return table.rows;
}

} // namespace vxhost
