#include "nyro/object_model.h"

#include <algorithm>
#include <map>
#include <string>

namespace nyro {

namespace {

// The object model's own refusals: identifier and text (one "%s" at most).
struct Refusal {
    const char* id;
    const char* text;
};
constexpr Refusal DuplicateClass{"nyro:Class:DuplicateClass", "A class named %s is already defined."};
constexpr Refusal UnknownClass{"nyro:Class:UnknownClass", "There is no class named %s."};
constexpr Refusal UnknownType{"nyro:Class:UnknownType", "There is no registered data type named %s."};
constexpr Refusal DuplicateProperty{"nyro:Class:DuplicateProperty", "The class already has a property named %s."};
constexpr Refusal SealedClass{"nyro:Class:Sealed",
                              "The class %s has instances or subclasses and takes no new properties."};
constexpr Refusal UnknownProperty{"nyro:Object:UnknownProperty", "There is no %s property on this object."};
constexpr Refusal ForeignProperty{"nyro:Object:ForeignProperty", "The property %s does not belong to this object."};
constexpr Refusal DeletedObject{"nyro:Object:Deleted", "The object has been deleted."};
constexpr Refusal NoConversion{"nyro:Object:NoConversion", "The property %s does not convert from or to arrays."};
constexpr Refusal UnknownIterator{"nyro:Iterator:Unsupported", "Iterator type or direction %s is not supported."};

[[noreturn]] void refuse(const Refusal& r, const std::string& arg = {})
{
    std::string text = r.text;
    if (auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, arg);
    throw COSMsgException(r.id, text);
}

COSNameID arrays()
{
    static const COSNameID any("any");
    return any;
}

struct ArrayDeleter {
    void operator()(qxArray* a) const { qxDestroyArray(a); }
};
using ArrayPtr = std::unique_ptr<qxArray, ArrayDeleter>;

} // namespace

// ---- class registry ------------------------------------------------------------

// Classes live as long as the process: the registry is never destroyed.
struct ClassRegistry {
    std::map<COSNameID, std::unique_ptr<COSClass>> classes;
    COSClass* root = nullptr;

    static ClassRegistry& get()
    {
        static auto* r = [] {
            auto* reg = new ClassRegistry;
            COSNameID handle("handle");
            reg->root = new COSClass(handle, nullptr);
            reg->classes.emplace(handle, std::unique_ptr<COSClass>(reg->root));
            return reg;
        }();
        return *r;
    }
};

COSClass::COSClass(COSNameID name, COSClass* parent) : name_(name), parent_(parent)
{
    if (parent_) {
        parent_->sealed_ = true;
        all_ = parent_->all_;
        for (const COSPropInfo* p : all_)
            names_.add(p->getName());
    }
}

COSClass* COSClass::define(const char* name, COSClass* parent)
{
    auto& reg = ClassRegistry::get();
    COSNameID id(name ? name : "");
    if (!name || !*name || reg.classes.count(id))
        refuse(DuplicateClass, name ? name : "");
    auto* cls = new COSClass(id, parent ? parent : reg.root);
    reg.classes.emplace(id, std::unique_ptr<COSClass>(cls));
    return cls;
}

COSClass* COSClass::define(const char* name, const char* parentName)
{
    COSClass* parent = find(parentName);
    if (!parent)
        refuse(UnknownClass, parentName ? parentName : "");
    return define(name, parent);
}

COSClass* COSClass::find(COSNameID name)
{
    auto& reg = ClassRegistry::get();
    auto it = reg.classes.find(name);
    return it == reg.classes.end() ? nullptr : it->second.get();
}

COSClass* COSClass::find(const char* name) { return name ? find(COSNameID(name)) : nullptr; }

COSClass* COSClass::handleClass() { return ClassRegistry::get().root; }

bool COSClass::isA(const COSClass* other) const
{
    for (const COSClass* c = this; c; c = c->parent_)
        if (c == other)
            return true;
    return false;
}

bool COSClass::isA(COSNameID name) const
{
    for (const COSClass* c = this; c; c = c->parent_)
        if (c->name_ == name)
            return true;
    return false;
}

COSPropInfo* COSClass::declare(const char* name, const char* typeName, COSValue ownDefault, bool hasOwnDefault)
{
    if (sealed_)
        refuse(SealedClass, getName());
    COSNameID id(name ? name : "");
    if (!name || !*name || findProperty(id))
        refuse(DuplicateProperty, name ? name : "");
    COSDataType* type = COSDataTypePtrHelper::getObject(COSTypeRepository::getType(COSNameID(typeName ? typeName : "")));
    if (!type)
        refuse(UnknownType, typeName ? typeName : "");
    own_.push_back(std::unique_ptr<COSPropInfo>(new COSPropInfo(this, id, type, all_.size(), ownDefault, hasOwnDefault)));
    names_.add(name);
    all_.push_back(own_.back().get());
    return all_.back();
}

COSPropInfo* COSClass::addProperty(const char* name, const char* typeName)
{
    return declare(name, typeName, COSValue(), false);
}

COSPropInfo* COSClass::addProperty(const char* name, const char* typeName, COSValue ownDefault)
{
    return declare(name, typeName, ownDefault, true);
}

COSPropInfo* COSClass::findProperty(COSNameID name) const
{
    for (COSPropInfo* p : all_)
        if (p->getNameID() == name)
            return p;
    return nullptr;
}

COSPropInfo* COSClass::matchProperty(std::string_view written, std::vector<COSPropInfo*>* candidates) const
{
    if (written.empty()) // begins every name, selects none
        return nullptr;
    const int at = names_.match(written);
    if (at >= 0)
        return all_[static_cast<std::size_t>(at)];
    if (at == ut::NameMatcher::ambiguous && candidates) {
        ut::NameMatcher spelling;
        spelling.add(written);
        for (COSPropInfo* p : all_) {
            std::string_view name = p->getName();
            if (name.size() > written.size() && spelling.find(name.substr(0, written.size())) == 0)
                candidates->push_back(p);
        }
    }
    return nullptr;
}

// ---- properties ----------------------------------------------------------------

COSPropInfo::COSPropInfo(COSClass* owner, COSNameID name, COSDataType* type, std::size_t index, COSValue ownDefault,
                         bool hasOwnDefault)
    : owner_(owner), name_(name), type_(type), typeName_(type->getName()), index_(index), ownDefault_(ownDefault),
      hasOwnDefault_(hasOwnDefault)
{
}

COSValue COSPropInfo::getDefaultValue() const { return hasOwnDefault_ ? ownDefault_ : type_->getDefaultValue(); }

std::size_t COSPropInfo::slotOf(const COSInterface* obj) const
{
    if (!obj || !obj->class_->isA(owner_))
        refuse(ForeignProperty, getName());
    return index_;
}

COSValue COSPropInfo::getValue(const COSInterface* obj) const { return obj->slots_[slotOf(obj)]; }

void COSPropInfo::adoptValue(COSInterface* obj, COSValue v) const
{
    std::size_t slot;
    try {
        slot = slotOf(obj);
        if (!obj->valid_)
            refuse(DeletedObject);
    } catch (...) {
        type_->destroy(v);
        throw;
    }
    COSValue old = std::exchange(obj->slots_[slot], v);
    type_->destroy(old);
}

void COSPropInfo::setValue(COSInterface* obj, COSValue v) const
{
    slotOf(obj);
    if (!obj->valid_)
        refuse(DeletedObject);
    adoptValue(obj, type_->copy(v));
}

void COSPropInfo::setFromArray(COSInterface* obj, const qxArray* a) const
{
    slotOf(obj);
    if (!obj->valid_)
        refuse(DeletedObject);
    COSTypeConversion* conversion = COSTypeRepository::getConversion(arrays(), typeName_);
    if (!conversion)
        refuse(NoConversion, getName());
    adoptValue(obj, conversion->from(COSValue::fromPointer(a)));
}

qxArray* COSPropInfo::getAsArray(const COSInterface* obj) const
{
    COSValue v = getValue(obj);
    COSTypeConversion* conversion = COSTypeRepository::getConversion(arrays(), typeName_);
    if (!conversion)
        refuse(NoConversion, getName());
    return pointerValue<qxArray*>(conversion->to(v));
}

// ---- events and listeners ------------------------------------------------------

COSEventData::COSEventData(COSInterface* source, COSNameID eventName, const qxArray* payload)
    : source_(source), name_(eventName), payload_(payload)
{
}

COSEventData::~COSEventData() = default;

qxArray* COSEventData::getEventDataArray() const
{
    std::vector<std::string> names{"Source", "EventName"};
    bool structPayload = payload_ && qxIsStruct(payload_) && qxIsScalar(payload_);
    if (structPayload) {
        for (int f = 0; f < qxGetNumberOfFields(payload_); ++f)
            if (std::find(names.begin(), names.end(), qxGetFieldNameByNumber(payload_, f)) == names.end())
                names.emplace_back(qxGetFieldNameByNumber(payload_, f));
    } else if (payload_) {
        names.emplace_back("Data");
    }
    std::vector<const char*> fields;
    for (const std::string& n : names)
        fields.push_back(n.c_str());
    ArrayPtr data(qxCreateStructMatrix(1, 1, static_cast<int>(fields.size()), fields.data()));
    qxSetFieldByNumber(data.get(), 0, 0, omCreateNYROScalar(source_));
    qxSetFieldByNumber(data.get(), 0, 1, qxCreateString(name_.c_str()));
    if (structPayload) {
        for (int f = 0; f < qxGetNumberOfFields(payload_); ++f) {
            int to = qxGetFieldNumber(data.get(), qxGetFieldNameByNumber(payload_, f));
            if (to >= 2)
                qxSetFieldByNumber(data.get(), 0, to, qxCreateSharedDataCopy(qxGetFieldByNumber(payload_, 0, f)));
        }
    } else if (payload_) {
        qxSetFieldByNumber(data.get(), 0, 2, qxCreateSharedDataCopy(payload_));
    }
    return data.release();
}

COSClassInstanceEventData::COSClassInstanceEventData(COSClass* cls, COSInterface* instance, COSNameID eventName,
                                                     const qxArray* payload)
    : COSEventData(instance, eventName, payload), class_(cls), instance_(instance)
{
}

COSClassInstanceEventData::~COSClassInstanceEventData() = default;

COSListenerOp::~COSListenerOp() = default;

COSInterface* COSListenerOp::getNode(COSEventData* event) { return event ? event->getSource() : nullptr; }

COSListenerPtr COSListener::createListener(COSListenerOp* op)
{
    std::unique_ptr<COSListenerOp> owned(op);
    if (!owned)
        return {};
    COSListenerPtr listener(new COSListener(owned.get()));
    owned.release();
    return listener;
}

COSListener::~COSListener() = default;

void COSListener::execute(COSEventData* event)
{
    if (enabled_ && op_)
        op_->execute(event);
}

void COSListener::releaseReference()
{
    if (--refs_ == 0)
        delete this;
}

void ListenerList::add(COSNameID event, COSListenerPtr listener)
{
    if (listener)
        entries_.emplace_back(event, std::move(listener));
}

bool ListenerList::remove(const COSListener* listener)
{
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const auto& e) { return e.second.get() == listener; });
    if (it == entries_.end())
        return false;
    // The entry leaves the list before its listener may be freed.
    COSListenerPtr keep = std::move(it->second);
    entries_.erase(it);
    return true;
}

std::vector<COSListenerPtr> ListenerList::of(COSNameID event) const
{
    std::vector<COSListenerPtr> out;
    for (const auto& [name, listener] : entries_)
        if (name == event)
            out.push_back(listener);
    return out;
}

// ---- objects -------------------------------------------------------------------

COSInterface::COSInterface(COSClass* cls) : class_(cls), slots_(cls->all_.size()) {}

COSInterface::~COSInterface() { destroyValues(); }

void COSInterface::destroyValues()
{
    // A value's destruction may release other objects, which may in turn reach
    // this one: each slot is cleared before its value goes.
    for (std::size_t i = 0; i < slots_.size(); ++i)
        class_->all_[i]->getDataType()->destroy(std::exchange(slots_[i], COSValue()));
}

COSInterfacePtr COSInterface::create(COSClass* cls)
{
    if (!cls)
        refuse(UnknownClass, "");
    cls->sealed_ = true;
    COSInterfacePtr obj(new COSInterface(cls));
    // A copy that throws leaves the slots filled so far to the destructor.
    for (std::size_t i = 0; i < cls->all_.size(); ++i) {
        const COSPropInfo* p = cls->all_[i];
        obj->slots_[i] = p->getDataType()->copy(p->getDefaultValue());
    }
    obj->fireEvent(COSNameID(events::InstanceCreated));
    return obj;
}

COSInterfacePtr COSInterface::create(const char* className)
{
    COSClass* cls = COSClass::find(className);
    if (!cls)
        refuse(UnknownClass, className ? className : "");
    return create(cls);
}

void COSInterface::releaseReference()
{
    if (--refs_ == 0)
        delete this;
}

void COSInterface::deleteObject()
{
    if (!valid_)
        return;
    COSInterfacePtr keep(this);
    struct Finish {
        COSInterface* self;
        ~Finish()
        {
            self->valid_ = false;
            self->destroyValues();
            std::vector<COSInterfacePtr> members = std::move(self->members_);
            self->listeners_.clear();
        }
    } finish{this};
    // A listener that throws does not stop the deletion; its error passes on.
    fireEvent(COSNameID(events::ObjectBeingDestroyed));
}

void COSInterface::setFromArray(const char* property, const qxArray* a)
{
    COSPropInfo* p = class_->findProperty(COSNameID(property ? property : ""));
    if (!p)
        refuse(UnknownProperty, property ? property : "");
    p->setFromArray(this, a);
}

qxArray* COSInterface::getAsArray(const char* property) const
{
    COSPropInfo* p = class_->findProperty(COSNameID(property ? property : ""));
    if (!p)
        refuse(UnknownProperty, property ? property : "");
    return p->getAsArray(this);
}

void COSInterface::setMembers(std::vector<COSInterfacePtr> members)
{
    if (!valid_)
        refuse(DeletedObject);
    members.erase(std::remove(members.begin(), members.end(), COSInterfacePtr()), members.end());
    std::swap(members_, members);
}

void COSInterface::fireEvent(COSNameID event, const qxArray* payload)
{
    if (!valid_)
        return;
    COSInterfacePtr keep(this);
    std::vector<COSListenerPtr> own = listeners_.of(event);
    if (!own.empty()) {
        COSEventData data(this, event, payload);
        for (const COSListenerPtr& l : own)
            l->execute(&data);
    }
    for (COSClass* cls = class_; cls; cls = cls->parent_) {
        std::vector<COSListenerPtr> heard = cls->listeners_.of(event);
        if (heard.empty())
            continue;
        COSClassInstanceEventData data(cls, this, event, payload);
        for (const COSListenerPtr& l : heard)
            l->execute(&data);
    }
}

double COSInterface::getDoubleHandle()
{
    static const COSNameID number("double"), object("COSInterface");
    COSTypeConversion* conversion = COSTypeRepository::getConversion(number, object);
    if (!conversion)
        return -1.0;
    if (handle_ != -1.0) {
        try {
            // A conversion's `from` hands its caller one reference.
            COSInterfacePtr back =
                COSInterfacePtr::adopt(pointerValue<COSInterface*>(conversion->from(COSValue::fromDouble(handle_))));
            if (back.get() == this)
                return handle_;
        } catch (const Quillmark::System::IUserException&) {
            // the kept handle leads nowhere any more: make a new one
        }
    }
    handle_ = conversion->to(COSValue::fromPointer(this)).asDouble();
    return handle_;
}

COSIterator::COSIterator(COSInterface* start, int type, int direction)
{
    if (type != StandsFor || direction != 0)
        refuse(UnknownIterator, std::to_string(type) + "/" + std::to_string(direction));
    if (!start)
        return;
    if (start->getMembers().empty())
        items_.emplace_back(start);
    else
        items_ = start->getMembers();
}

} // namespace nyro

// ---- object arrays -------------------------------------------------------------

qxArray* omCreateNYROEmpty(const char* className) { return qxCreateObjectMatrix(0, 0, className); }

qxArray* omCreateNYROMatrix(qxSize m, qxSize n, const char* className)
{
    return qxCreateObjectMatrix(m, n, className);
}

qxArray* omCreateNYROScalar(nyro::COSInterface* obj)
{
    if (!obj)
        return omCreateNYROEmpty("handle");
    qxArray* a = qxCreateObjectMatrix(1, 1, obj->getClassName());
    qxSetObjectElement(a, 0, obj);
    return a;
}

nyro::COSInterface* omGetArrayElement(const qxArray* a, qxSize index)
{
    return dynamic_cast<nyro::COSInterface*>(qxGetObjectElement(a, index));
}

bool omSetArrayElement(qxArray* a, qxSize index, nyro::COSInterface* obj) { return qxSetObjectElement(a, index, obj); }

bool omIsNYRO(const qxArray* a) { return qxIsObject(a); }

qxArray* nyroConvertArrayToInternal(const qxArray* a)
{
    if (!omIsNYRO(a))
        return nullptr;
    qxArray* internal = qxCreateSharedDataCopy(a);
    qxSetArrayScope(internal, 2);
    return internal;
}

qxArray* nyroConvertArrayToExternal(const qxArray* a)
{
    return omIsNYRO(a) ? qxCreateSharedDataCopy(a) : nullptr;
}
