#include "graphics.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <string>

#include "catalog.h"
#include "frame/handles.h"
#include "gui_objects/callback.h"
#include "objects/callback.h"
#include "suggest.h"
#include "messages.h"
#include "nyro/nyro.h"
#include "ut/name_match.h"
#include "ut/ut.h"

namespace vxhost {

namespace {

struct CatalogRow {
    enum Kind { Class, Property } kind;
    const char* name;
    const char* second; // host class, or type
    const char* third;  // parent host class, or default literal
    const char* under;
};

constexpr CatalogRow catalog[] = {
#define VXHOST_CLASS(name, host, parent, under) {CatalogRow::Class, name, host, parent, under},
#define VXHOST_PROPERTY(name, type, def) {CatalogRow::Property, name, type, def, nullptr},
#include "classes.def"
#undef VXHOST_CLASS
#undef VXHOST_PROPERTY
};

constexpr const char* kRootClass = "root";

// The value a literal gives through the property's type, owned by the
// property from then on.
COSValue catalogDefault(nyro::COSDataType* type, const char* className, const CatalogRow& row,
                        const Graphics::LiteralReader* read)
{
    // The catalog is defined by the first Graphics, which brings the reader.
    if (!read)
        fail(msg::InternalError, "the class catalog was used before any graphics were made");
    QxArrayPtr a = (*read)(row.third);
    try {
        return Graphics::valueFrom(type, row.name, a.get());
    } catch (const Quillmark::System::IUserException& e) {
        fail(msg::CatalogDefault, className, row.name, e.GetMessageTxt());
    }
}

struct Catalog {
    std::vector<GraphicsClass> classes;
    std::vector<SkippedProperty> skipped;
    // Classes are defined once per process: a catalog that failed stays failed.
    std::string errorId, errorText;
};

// Defines the classes once per process (classes live as long as it does).
Catalog& catalogInstance(const Graphics::LiteralReader* read = nullptr)
{
    static Catalog* made = [read] {
        auto* c = new Catalog;
        try {
        nyro::COSClass* cls = nullptr;
        std::string className;
        for (const CatalogRow& row : catalog) {
            if (row.kind == CatalogRow::Class) {
                cls = nyro::COSClass::define(row.second, row.third);
                className = *row.name ? row.name : row.second;
                c->classes.push_back({row.name, cls, row.under});
                continue;
            }
            if (!nyro::COSTypeRepository::getType(COSNameID(row.second))) {
                c->skipped.push_back({className, row.name, row.second});
                continue;
            }
            if (!*row.third) {
                cls->addProperty(row.name, row.second);
                continue;
            }
            nyro::COSDataType* type =
                nyro::COSDataTypePtrHelper::getObject(nyro::COSTypeRepository::getType(COSNameID(row.second)));
            COSValue v = catalogDefault(type, className.c_str(), row, read);
            try {
                cls->addProperty(row.name, row.second, v);
            } catch (...) {
                type->destroy(v);
                throw;
            }
        }
        } catch (const Quillmark::System::IUserException& e) {
            c->errorId = e.GetID();
            c->errorText = e.GetMessageTxt();
        }
        return c;
    }();
    if (!made->errorId.empty())
        qxErrMsgIdAndTxt(made->errorId.c_str(), "%s", made->errorText.c_str());
    return *made;
}

const nyro::HostScalarType* hostScalar(const nyro::COSDataType* t)
{
    return dynamic_cast<const nyro::HostScalarType*>(t);
}
const nyro::HostScalarType* hostScalar(const COSPropInfo* p) { return hostScalar(p->getDataType()); }

// The host's own scalars, from and to host arrays.
COSValue scalarFrom(const char* property, const nyro::HostScalarType& t, const qxArray* a)
{
    using K = nyro::HostScalarType::Kind;
    if (t.kind() == K::String) {
        if (!a || !qxIsChar(a) || (qxGetM(a) != 1 && !qxIsEmpty(a)))
            fail(msg::ScalarValue, property, "a text");
        char* s = utStrdup(qxArrayToStdString(a).c_str());
        if (!s)
            throw nyro::COSOutOfMemoryException();
        return COSValue::fromPointer(s);
    }
    if (!a || !(qxIsNumeric(a) || qxIsLogical(a)) || qxIsComplex(a) || qxIsSparse(a) || qxGetNumberOfElements(a) != 1)
        fail(msg::ScalarValue, property, "a real numeric scalar");
    long double v = qx::readElement(qxGetClassID(a), qxGetData(a), 0);
    switch (t.kind()) {
    case K::Floating:
        return COSValue::fromDouble(t.getValueSizeInBytes(COSValue()) == 4 ? static_cast<float>(v)
                                                                            : static_cast<double>(v));
    case K::Logical: return COSValue(v != 0 ? 1u : 0u);
    case K::Signed: return COSValue::fromInt(static_cast<std::int64_t>(v));
    default: return COSValue(static_cast<std::uint64_t>(v));
    }
}

qxArray* scalarTo(const nyro::HostScalarType& t, COSValue v)
{
    using K = nyro::HostScalarType::Kind;
    switch (t.kind()) {
    case K::Floating: return qxCreateDoubleScalar(v.asDouble());
    case K::Logical: return qxCreateLogicalScalar(!v.isNull());
    case K::Signed: return qxCreateDoubleScalar(static_cast<double>(static_cast<std::int64_t>(v.bits())));
    case K::Unsigned: return qxCreateDoubleScalar(static_cast<double>(v.bits()));
    case K::String: return qxCreateString(nyro::pointerValue<const char*>(v));
    }
    return qxCreateDoubleMatrix(0, 0, qxREAL);
}

COSPropInfo* own(const COSInterface* obj, const char* name)
{
    return nyro::COSPropInfoPtrHelper::getObject(obj->getPropInfo(COSNameID(name)));
}

// Sets a handle-valued property to `target` through the handle conversion.
void setHandle(COSInterface* obj, const char* name, COSInterface* target)
{
    if (COSPropInfo* p = own(obj, name)) {
        QxArrayPtr h(qxCreateDoubleScalar(Graphics::handleOf(target)));
        Graphics::set(obj, p, h.get());
    }
}

// An object moves only under a parent of the class its class lives under.
void checkParent(const COSInterface* obj, const qxArray* value)
{
    const GraphicsClass* cls = Graphics::classOf(obj);
    if (!cls || cls->under.empty())
        return;
    COSInterfacePtr parent;
    if (value && qxIsObject(value) && qxGetNumberOfElements(value) == 1) {
        parent = COSInterfacePtr(omGetArrayElement(value, 0));
    } else if (value && qxIsDouble(value) && qxGetNumberOfElements(value) == 1 && !qxIsComplex(value)) {
        static const COSNameID number("double"), object("COSInterface");
        if (nyro::COSTypeConversion* c = nyro::COSTypeRepository::getConversion(number, object))
            parent = COSInterfacePtr::adopt(nyro::pointerValue<COSInterface*>(c->from(COSValue::fromDouble(*qxGetPr(value)))));
    }
    if (!parent || !parent->isValid())
        fail(msg::BadHandle);
    const GraphicsClass* found = Graphics::classOf(parent.get());
    if (!found || found->name != cls->under)
        fail(msg::BadParent, cls->name.c_str(), cls->under.c_str(), Graphics::classNameOf(parent.get()).c_str());
}

// The property of `cls` that `written` names through the class's name matcher
// (spelled so in any letter case, else the one name it begins), or, when it
// begins several names, those names.
struct NameMatch {
    COSPropInfo* found = nullptr;
    std::vector<COSPropInfo*> prefixed;
    COSPropInfo* unique() const { return found; }
};

NameMatch matchName(const nyro::COSClass* cls, std::string_view written)
{
    NameMatch m;
    m.found = cls->matchProperty(written, &m.prefixed);
    return m;
}

// The classes whose objects hold defaults for the objects made under them.
bool holdsDefaults(const COSInterface* obj)
{
    const GraphicsClass* c = Graphics::classOf(obj);
    return c && (c->name == "root" || c->name == "figure" || c->name == "axes");
}

// "axes" -> "Axes": how a class is spelled inside a default's name.
std::string capitalized(const std::string& name)
{
    std::string out = name;
    if (!out.empty())
        out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
    return out;
}

// The classes a default may be held for: those users make, but not listeners.
bool takesDefaults(const GraphicsClass& c) { return !c.under.empty(); }

// Fires "PreSet" or "PostSet" on `obj` for property `p`, when something listens.
void firePropertyEvent(COSInterface* obj, const char* event, const COSPropInfo* p)
{
    COSNameID id(event);
    if (obj->listenersOf(id).empty())
        return;
    const char* field = "Property";
    QxArrayPtr payload(qxCreateStructMatrix(1, 1, 1, &field));
    qxSetFieldByNumber(payload.get(), 0, 0, qxCreateString(p->getName()));
    obj->fireEvent(id, payload.get());
}

// Runs the callback a listener object holds when its property is set, the way
// a callback property runs: the object as a 1x1 object array, the event as its
// data array. The callback's error is logged: the set it heard stays done.
class PropertyListenerOp : public nyro::COSListenerOp {
public:
    PropertyListenerOp(COSInterfacePtr listener, std::string property, std::string event,
                       std::vector<json::Value>* log)
        : listener_(std::move(listener)), property_(std::move(property)), event_(std::move(event)), log_(log)
    {
    }

    void execute(nyro::COSEventData* e) override
    {
        if (!e || !listener_->isValid())
            return;
        const qxArray* payload = e->getPayload();
        int f = payload && qxIsStruct(payload) ? qxGetFieldNumber(payload, "Property") : -1;
        if (f < 0 || qxArrayToStdString(qxGetFieldByNumber(payload, 0, f)) != property_)
            return;
        COSInterface* node = getNode(e);
        COSPropInfo* held = own(listener_.get(), "Callback");
        const auto* callback = held ? nyro::pointerValue<const gui_objects::MCallback*>(held->getValue(listener_.get()))
                                    : nullptr;
        if (!node || !callback)
            return;
        // The callback may delete its listener while it runs: it runs from a copy.
        gui_objects::MCallback running(*callback);
        QxArrayPtr source(omCreateNYROMatrix(1, 1, node->getClassName()));
        omSetArrayElement(source.get(), 0, node);
        QxArrayPtr data(e->getEventDataArray());
        try {
            running.execute(source.get(), data.get());
        } catch (const Quillmark::System::IUserException& x) {
            if (log_)
                log_->push_back(json::Value{{"listener", event_ + " " + property_},
                                            {"ok", false},
                                            {"id", x.GetID()},
                                            {"message", x.GetMessageTxt()}});
        }
    }

private:
    COSInterfacePtr listener_;
    std::string property_, event_;
    std::vector<json::Value>* log_;
};

json::Value handleJson(double h, const COSInterface* obj)
{
    return json::Value{{"handle", json::number(h)},
                       {"class", obj ? json::Value(Graphics::classNameOf(obj)) : json::Value()}};
}

json::Value oneOrList(json::Value list) { return list.size() == 1 ? json::Value(list[0]) : list; }

} // namespace

// ---- classes --------------------------------------------------------------------------

const std::vector<GraphicsClass>& Graphics::classes() { return catalogInstance().classes; }

const std::vector<SkippedProperty>& Graphics::skipped() { return catalogInstance().skipped; }

const GraphicsClass* Graphics::classNamed(std::string_view name)
{
    for (const GraphicsClass& c : classes())
        if (!c.name.empty() && c.name == name)
            return &c;
    return nullptr;
}

const GraphicsClass* Graphics::classOf(const COSInterface* obj)
{
    for (nyro::COSClass* k = obj ? obj->getClass() : nullptr; k; k = k->getParent())
        for (const GraphicsClass& c : classes())
            if (c.cls == k)
                return &c;
    return nullptr;
}

std::string Graphics::classNameOf(const COSInterface* obj)
{
    const GraphicsClass* c = classOf(obj);
    return c && !c->name.empty() ? c->name : obj->getClassName();
}

// ---- objects --------------------------------------------------------------------------

Graphics::Graphics(const Library& library, bool warn, const LiteralReader& read) : library_(library)
{
    catalogInstance(&read);
    const std::vector<SkippedProperty>& left = skipped();
    if (warn && !left.empty()) {
        std::string list;
        for (const SkippedProperty& s : left)
            list += (list.empty() ? "" : ", ") + s.className + "." + s.property + " (" + s.type + ")";
        std::fprintf(stderr, "vxhost: warning: %zu properties left out, their types are not registered: %s\n",
                     left.size(), list.c_str());
    }
    // The root holds handle 0 for the whole process (the handle conversion
    // gives it once): a later session takes the same root, with no current figure.
    static COSInterfacePtr processRoot;
    if (!processRoot) {
        processRoot = COSInterface::create(classNamed(kRootClass)->cls);
        handleOf(processRoot.get());
    } else if (COSPropInfo* p = own(processRoot.get(), "CurrentFigure")) {
        QxArrayPtr none(qxCreateDoubleMatrix(0, 0, qxREAL));
        set(processRoot.get(), p, none.get());
    }
    root_ = processRoot;
    objects_.push_back(root_);
}

Graphics::~Graphics()
{
    for (const nyro::COSListenerPtr& l : listeners_)
        if (l)
            l->setEnabled(false);
    // Children first, so that no deletion reaches an object already gone.
    for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) {
        if (*it == root_)
            continue; // the root stays for the next session
        double h = handleOf(it->get());
        try {
            (*it)->deleteObject();
        } catch (...) {
            // the session is over: a listener's error has nowhere to go
        }
        if (h != -1.0)
            datatypes::nyro_destroy_handle(h);
    }
    objects_.clear();
    for (HeldDefault& d : defaults_)
        d.property->getDataType()->destroy(d.value);
    defaults_.clear();
    root_ = COSInterfacePtr();
}

double Graphics::handleOf(COSInterface* obj) { return obj ? obj->getDoubleHandle() : -1.0; }

COSInterfacePtr Graphics::objectOf(double handle) const
{
    static const COSNameID number("double"), object("COSInterface");
    nyro::COSTypeConversion* c = nyro::COSTypeRepository::getConversion(number, object);
    COSInterfacePtr obj;
    if (c)
        obj = COSInterfacePtr::adopt(nyro::pointerValue<COSInterface*>(c->from(COSValue::fromDouble(handle))));
    if (!obj || !obj->isValid())
        fail(msg::BadHandle);
    return obj;
}

COSInterfacePtr Graphics::parentOf(const COSInterface* obj)
{
    COSPropInfo* p = own(obj, "Parent");
    if (!p || !obj->isValid())
        return {};
    QxArrayPtr a(p->getAsArray(obj));
    COSInterface* parent = a && qxGetNumberOfElements(a.get()) ? omGetArrayElement(a.get(), 0) : nullptr;
    return COSInterfacePtr(parent);
}

std::vector<COSInterfacePtr> Graphics::childrenOf(const COSInterface* obj) const
{
    std::vector<COSInterfacePtr> out;
    for (const COSInterfacePtr& o : objects_)
        if (o.get() != obj && parentOf(o.get()).get() == obj)
            out.push_back(o);
    return out;
}

std::vector<COSInterfacePtr> Graphics::userChildren(const COSInterface* obj) const
{
    std::vector<COSInterfacePtr> out;
    for (COSInterfacePtr& c : childrenOf(obj)) {
        const GraphicsClass* cls = classOf(c.get());
        if (std::find(automatic_.begin(), automatic_.end(), c.get()) == automatic_.end() && cls && takesDefaults(*cls))
            out.push_back(std::move(c));
    }
    std::reverse(out.begin(), out.end());
    return out;
}

bool Graphics::namesChildren(const COSInterface* obj, std::string_view written)
{
    constexpr std::string_view children = "Children";
    if (ut::sameFolded(written, children))
        return true;
    if (written.empty() || written.size() >= children.size() || !ut::sameFolded(children.substr(0, written.size()), written))
        return false;
    NameMatch m = matchName(obj->getClass(), written);
    return !m.found && m.prefixed.empty();
}

COSInterfacePtr Graphics::create(const GraphicsClass& cls, COSInterface* parent, bool inherit)
{
    COSInterfacePtr obj = COSInterface::create(cls.cls);
    objects_.push_back(obj);
    try {
        handleOf(obj.get());
        if (parent) {
            setHandle(obj.get(), "Parent", parent);
            if (cls.name == "figure")
                setHandle(parent, "CurrentFigure", obj.get());
            else if (cls.name == "axes")
                setHandle(parent, "CurrentAxes", obj.get());
            // The nearest default: a copy made by the type shares the elements.
            if (inherit)
                for (COSPropInfo* p : obj->getClass()->getProperties())
                    if (const HeldDefault* d = nearestDefault(parent, &cls, p))
                        p->setValue(obj.get(), d->value);
        }
        // Each callback property runs on its event: ButtonDownFcn on
        // "ButtonDown", DeleteFcn when the object is being destroyed.
        for (COSPropInfo* p : obj->getClass()->getProperties()) {
            std::string name = p->getName();
            if (std::string(p->getDataType()->getName()) != "Callback" || name.size() <= 3 ||
                name.compare(name.size() - 3, 3, "Fcn") != 0)
                continue;
            std::string event = name == "DeleteFcn" ? nyro::events::ObjectBeingDestroyed : name.substr(0, name.size() - 3);
            nyro::COSListenerPtr listener = datatypes::createListener(name.c_str());
            keep(listener);
            obj->addListener(COSNameID(event.c_str()), listener);
        }
        if (cls.name == "axes") {
            const GraphicsClass* label = classNamed("label");
            for (const char* slot : {"Title", "XLabel", "YLabel", "ZLabel"}) {
                COSPropInfo* p = own(obj.get(), slot);
                if (!p)
                    continue;
                COSInterfacePtr child = create(*label, obj.get(), inherit);
                automatic_.push_back(child.get());
                QxArrayPtr off(qxCreateString("off"));
                set(child.get(), own(child.get(), "HandleVisibility"), off.get());
                // The object reference property takes the child as an object array.
                QxArrayPtr ref(omCreateNYROScalar(child.get()));
                set(obj.get(), p, ref.get());
            }
        }
    } catch (...) {
        try {
            remove(obj.get());
        } catch (...) {
        }
        throw;
    }
    return obj;
}

void Graphics::forget(COSInterface* obj)
{
    dropDefaults(obj);
    automatic_.erase(std::remove(automatic_.begin(), automatic_.end(), obj), automatic_.end());
    objects_.erase(std::remove_if(objects_.begin(), objects_.end(),
                                  [&](const COSInterfacePtr& o) { return o.get() == obj; }),
                   objects_.end());
}

std::vector<double> Graphics::remove(COSInterface* obj)
{
    if (obj == root_.get())
        fail(msg::DeleteRoot);
    auto beingDeleted = [&](const COSInterface* o) {
        return std::find(deleting_.begin(), deleting_.end(), o) != deleting_.end();
    };
    // A DeleteFcn that deletes its own object (or an ancestor being deleted)
    // finds it on its way out already.
    if (beingDeleted(obj))
        return {};
    // The object, then its descendants, parents before children.
    std::vector<COSInterfacePtr> doomed{COSInterfacePtr(obj)};
    for (std::size_t i = 0; i < doomed.size(); ++i)
        for (COSInterfacePtr& c : childrenOf(doomed[i].get()))
            if (!beingDeleted(c.get()))
                doomed.push_back(std::move(c));
    std::size_t mark = deleting_.size();
    for (const COSInterfacePtr& o : doomed)
        deleting_.push_back(o.get());
    struct Done {
        std::vector<COSInterface*>& list;
        std::size_t mark;
        ~Done() { list.resize(mark); }
    } done{deleting_, mark};
    std::exception_ptr error;
    std::vector<double> handles;
    for (const COSInterfacePtr& o : doomed) {
        double h = handleOf(o.get());
        try {
            o->deleteObject();
        } catch (...) {
            if (!error)
                error = std::current_exception();
        }
        if (h != -1.0)
            datatypes::nyro_destroy_handle(h);
        forget(o.get());
        handles.push_back(h);
    }
    if (error)
        std::rethrow_exception(error);
    return handles;
}

// ---- properties -----------------------------------------------------------------------

COSPropInfo* Graphics::property(const COSInterface* obj, std::string_view written)
{
    NameMatch m = matchName(obj->getClass(), written);
    if (COSPropInfo* p = m.unique())
        return p;
    std::string cls = classNameOf(obj), w(written);
    if (m.prefixed.empty()) {
        std::vector<std::string> names;
        for (COSPropInfo* p : obj->getClass()->getProperties())
            names.emplace_back(p->getName());
        fail(msg::UnknownProperty, w.c_str(), cls.c_str(), closest(w, names).c_str());
    }
    std::string list;
    for (COSPropInfo* p : m.prefixed)
        list += (list.empty() ? "" : ", ") + std::string(p->getName());
    fail(msg::AmbiguousProperty, cls.c_str(), w.c_str(), list.c_str());
}

// ---- defaults -------------------------------------------------------------------------

std::optional<DefaultRef> Graphics::defaultNamed(const COSInterface* obj, std::string_view written)
{
    constexpr std::string_view prefix = "default";
    if (written.size() <= prefix.size() || !ut::sameFolded(written.substr(0, prefix.size()), prefix) ||
        !holdsDefaults(obj))
        return std::nullopt;
    std::string_view rest = written.substr(prefix.size());
    // The longest class name that leads to a property: "DefaultTextprimitiveString" is not text's.
    const GraphicsClass* best = nullptr;
    COSPropInfo* found = nullptr;
    for (const GraphicsClass& c : classes()) {
        std::size_t n = c.name.size();
        if (!takesDefaults(c) || rest.size() <= n || !ut::sameFolded(rest.substr(0, n), c.name) ||
            (best && best->name.size() >= n))
            continue;
        COSPropInfo* p = matchName(c.cls, rest.substr(n)).unique();
        if (p && std::string_view(p->getName()) != "Parent") {
            best = &c;
            found = p;
        }
    }
    if (!found) {
        std::vector<std::string> names;
        for (const GraphicsClass& c : classes())
            if (takesDefaults(c))
                for (COSPropInfo* p : c.cls->getProperties())
                    names.push_back("Default" + capitalized(c.name) + p->getName());
        std::string w(written), cls = classNameOf(obj);
        fail(msg::UnknownDefault, w.c_str(), cls.c_str(), closest(w, names).c_str());
    }
    return DefaultRef{best, found, "Default" + capitalized(best->name) + found->getName()};
}

Graphics::HeldDefault* Graphics::heldDefault(const COSInterface* holder, const DefaultRef& d)
{
    for (HeldDefault& h : defaults_)
        if (h.holder == holder && h.cls == d.cls && h.property == d.property)
            return &h;
    return nullptr;
}

const Graphics::HeldDefault* Graphics::nearestDefault(const COSInterface* from, const GraphicsClass* cls,
                                                      const COSPropInfo* p) const
{
    if (defaults_.empty())
        return nullptr;
    for (COSInterfacePtr o(const_cast<COSInterface*>(from)); o; o = parentOf(o.get()))
        for (const HeldDefault& h : defaults_)
            if (h.holder == o.get() && h.cls == cls && h.property == p)
                return &h;
    return nullptr;
}

void Graphics::setDefault(COSInterface* holder, const DefaultRef& d, const qxArray* value)
{
    if (!holder->isValid())
        fail(msg::BadHandle);
    nyro::COSDataType* type = d.property->getDataType();
    HeldDefault* held = heldDefault(holder, d);
    std::string word = value && qxIsChar(value) && qxGetM(value) == 1 ? qxArrayToStdString(value) : std::string();
    if (word == "remove") {
        if (held) {
            COSValue gone = held->value;
            defaults_.erase(defaults_.begin() + (held - defaults_.data()));
            type->destroy(gone);
        }
        return;
    }
    COSValue v = word == "factory" ? type->copy(d.property->getDefaultValue()) : valueFrom(d.property, value);
    if (held) {
        type->destroy(std::exchange(held->value, v));
        return;
    }
    try {
        defaults_.push_back({holder, d.cls, d.property, v});
    } catch (...) {
        type->destroy(v);
        throw;
    }
}

QxArrayPtr Graphics::getDefault(const COSInterface* holder, const DefaultRef& d) const
{
    if (!holder->isValid())
        fail(msg::BadHandle);
    const HeldDefault* h = nearestDefault(holder, d.cls, d.property);
    return arrayOf(d.property, h ? h->value : d.property->getDefaultValue());
}

void Graphics::dropDefaults(const COSInterface* holder)
{
    auto gone = std::stable_partition(defaults_.begin(), defaults_.end(),
                                      [&](const HeldDefault& h) { return h.holder != holder; });
    for (auto it = gone; it != defaults_.end(); ++it)
        it->property->getDataType()->destroy(it->value);
    defaults_.erase(gone, defaults_.end());
}

// ---- property listeners -----------------------------------------------------------------

COSInterfacePtr Graphics::addPropertyListener(COSInterface* target, COSPropInfo* p, const std::string& event,
                                              const qxArray* callback, std::vector<json::Value>* log)
{
    const GraphicsClass* cls = classNamed("listener");
    COSPropInfo* held = cls->cls->findProperty(COSNameID("Callback"));
    // The callback is made (or refused) before anything else is.
    COSValue v = valueFrom(held, callback);
    COSInterfacePtr listener;
    try {
        listener = create(*cls, target, false);
    } catch (...) {
        held->getDataType()->destroy(v);
        throw;
    }
    try {
        held->adoptValue(listener.get(), v);
        QxArrayPtr eventName(qxCreateString(event.c_str())), propertyName(qxCreateString(p->getName()));
        set(listener.get(), own(listener.get(), "EventName"), eventName.get());
        set(listener.get(), own(listener.get(), "PropertyName"), propertyName.get());
        nyro::COSListenerPtr l =
            nyro::COSListener::createListener(new PropertyListenerOp(listener, p->getName(), event, log));
        keep(l);
        target->addListener(COSNameID(event.c_str()), l);
    } catch (...) {
        try {
            remove(listener.get());
        } catch (...) {
        }
        throw;
    }
    return listener;
}

// ---- property values ------------------------------------------------------------------

COSValue Graphics::valueFrom(nyro::COSDataType* type, const char* property, const qxArray* a)
{
    if (const nyro::HostScalarType* t = hostScalar(type))
        return scalarFrom(property, *t, a);
    nyro::COSTypeConversion* c = nyro::COSTypeRepository::getConversion(COSNameID("any"), COSNameID(type->getName()));
    if (!c)
        fail(msg::NoConversion, type->getName(), "any");
    return c->from(COSValue::fromPointer(a));
}

// A property's refusal is noted for the answer's hint of what it accepts.
COSValue Graphics::valueFrom(COSPropInfo* p, const qxArray* a)
{
    try {
        return valueFrom(p->getDataType(), p->getName(), a);
    } catch (const Quillmark::System::IUserException& e) {
        noteRefusal(p->getDataType()->getName(), e.GetID());
        throw;
    }
}

void Graphics::set(COSInterface* obj, COSPropInfo* p, const qxArray* value)
{
    if (!obj->isValid())
        fail(msg::BadHandle);
    if (std::string_view(p->getName()) == "Parent")
        checkParent(obj, value);
    // A refused value raises here, before any listener hears of it.
    COSValue v = valueFrom(p, value);
    try {
        firePropertyEvent(obj, "PreSet", p);
    } catch (...) {
        p->getDataType()->destroy(v);
        throw;
    }
    p->adoptValue(obj, v);
    firePropertyEvent(obj, "PostSet", p);
}

QxArrayPtr Graphics::arrayOf(COSPropInfo* p, COSValue v)
{
    if (const nyro::HostScalarType* t = hostScalar(p))
        return QxArrayPtr(scalarTo(*t, v));
    nyro::COSTypeConversion* c =
        nyro::COSTypeRepository::getConversion(COSNameID("any"), COSNameID(p->getDataType()->getName()));
    if (!c)
        fail(msg::NoConversion, p->getDataType()->getName(), "any");
    return QxArrayPtr(nyro::pointerValue<qxArray*>(c->to(v)));
}

QxArrayPtr Graphics::get(const COSInterface* obj, COSPropInfo* p)
{
    if (!obj->isValid())
        fail(msg::BadHandle);
    if (const nyro::HostScalarType* t = hostScalar(p))
        return QxArrayPtr(scalarTo(*t, p->getValue(obj)));
    return QxArrayPtr(p->getAsArray(obj));
}

json::Value Graphics::text(const COSInterface* obj, COSPropInfo* p)
{
    COSNameID type(p->getDataType()->getName());
    nyro::COSTypeConversion* c = nyro::COSTypeRepository::getConversion(COSNameID("string"), type);
    if (!c)
        return json::Value();
    COSValue t = c->to(p->getValue(obj));
    const char* s = nyro::pointerValue<const char*>(t);
    json::Value out = s ? json::Value(s) : json::Value();
    nyro::COSTypeRepository::releaseReturnedText(type, t);
    return out;
}

// ---- handles as JSON ------------------------------------------------------------------

json::Value encodeHandles(const qxArray* handles)
{
    json::Value list = json::Value::array();
    qxSize n = handles ? qxGetNumberOfElements(handles) : 0;
    for (qxSize i = 0; i < n; ++i) {
        double h = static_cast<double>(qx::readElement(qxGetClassID(handles), qxGetData(handles), i));
        static const COSNameID number("double"), object("COSInterface");
        nyro::COSTypeConversion* c = nyro::COSTypeRepository::getConversion(number, object);
        COSInterfacePtr obj;
        if (c)
            obj = COSInterfacePtr::adopt(nyro::pointerValue<COSInterface*>(c->from(COSValue::fromDouble(h))));
        list.push_back(handleJson(h, obj && obj->isValid() ? obj.get() : nullptr));
    }
    return oneOrList(std::move(list));
}

json::Value encodeObjects(const qxArray* objects)
{
    json::Value list = json::Value::array();
    qxSize n = objects ? qxGetNumberOfElements(objects) : 0;
    for (qxSize i = 0; i < n; ++i) {
        COSInterface* obj = omGetArrayElement(objects, i);
        list.push_back(handleJson(Graphics::handleOf(obj), obj && obj->isValid() ? obj : nullptr));
    }
    return oneOrList(std::move(list));
}

} // namespace vxhost
