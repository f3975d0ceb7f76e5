// Object model of the object system: classes with typed properties, counted
// objects, property information, events and listeners, the "stands for"
// iterator and object arrays (the om* functions).
//
// Classes
//   COSClass::define("ui.Figure", "vx2utils.VXHandle") defines a class with a
//   name and a parent class (every class derives from the built-in root class
//   "handle"). Classes live as long as the process. addProperty(name, typeName)
//   declares a property whose values belong to a data type registered in the
//   type repository; an optional default (owned by the property from then on)
//   replaces the type's default for this property. A class accepts new
//   properties only until it has a subclass or an instance (it is then sealed:
//   addProperty throws COSMsgException). isA(name) tests derivation by name.
//
// Objects
//   COSInterface::create(cls) makes an instance holding one slot per property
//   of the class and its ancestors (ancestors' first). Each slot starts as a
//   copy of the property's default, made by the property's data type (`copy`).
//   COSPropInfo::setValue stores a copy made by the data type and destroys the
//   previous value through it; setFromArray converts a host array with the
//   repository's "any" conversion of the type and stores the result. Property
//   names are matched exactly (COSNameID).
//
//   Objects are reference counted: COSInterfacePtr owns one reference;
//   COSInterfacePtr::adopt takes over a reference someone already holds (for
//   example the result of a conversion's `from`). When the last reference goes,
//   the object destroys its property values through their data types and is
//   freed. deleteObject() is the user's "delete": it fires
//   "ObjectBeingDestroyed", then marks the object invalid (isValid() false) and
//   destroys its values, members and listeners at once, while the memory stays
//   until the last reference goes. Objects that refer to one another through
//   properties are freed once deleted; setting a property of a deleted object
//   throws COSMsgException.
//
//   A grouping object stands for several others: setMembers() gives it its
//   members (held by reference). COSIterator with type 3 (StandsFor) and
//   direction 0 yields the members of a grouping object with at least one
//   member, and otherwise the object itself.
//
// Events and listeners
//   COSListener::createListener(op) wraps a COSListenerOp (taking ownership) in
//   a counted listener. Attach it to one object (COSInterface::addListener) or
//   to a class (COSClass::addListener: it then hears the event on every instance
//   of the class and its subclasses). fireEvent(name, payload) runs, in the
//   order attached, the object's listeners for `name` with a COSEventData whose
//   source is the object, then the listeners of the object's class and of each
//   ancestor with a COSClassInstanceEventData (source and instance: the object).
//   create() fires "InstanceCreated" (class listeners only hear it). A listener
//   that throws ends the firing; the exception passes to fireEvent's caller.
//   Listeners added or removed while an event fires take effect from the next
//   event.
//
// Object arrays
//   Object arrays are host arrays (qxOBJECT_CLASS) of objects of a named class,
//   each element held by reference. The internal form (nyroConvertArrayToInternal)
//   is a copy kept past the host call (array scope 2) that its holder destroys;
//   the external form (nyroConvertArrayToExternal) is a temporary of the call.
//
// One thread at a time: the host calls the object model from its main thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "nyro/nyro.h"
#include "qx/qx.h"
#include "ut/name_match.h"

namespace nyro {

class COSClass;
class COSInterface;
class COSListener;
class COSPropInfo;

// ---- counted pointers --------------------------------------------------------

// Owns one reference to a counted object (addReference/releaseReference).
template <class T>
class CountedPtr {
public:
    CountedPtr() = default;
    CountedPtr(std::nullptr_t) {}
    // Adds a reference to `p`.
    explicit CountedPtr(T* p) : p_(p)
    {
        if (p_)
            p_->addReference();
    }
    // Takes over a reference the caller already holds.
    static CountedPtr adopt(T* p)
    {
        CountedPtr c;
        c.p_ = p;
        return c;
    }
    CountedPtr(const CountedPtr& o) : CountedPtr(o.p_) {}
    CountedPtr(CountedPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    CountedPtr& operator=(CountedPtr o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    ~CountedPtr()
    {
        if (p_)
            p_->releaseReference();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Gives the reference up to the caller without releasing it.
    T* release() { return std::exchange(p_, nullptr); }
    friend bool operator==(const CountedPtr& a, const CountedPtr& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

using COSInterfacePtr = CountedPtr<COSInterface>;
using COSListenerPtr = CountedPtr<COSListener>;

// Names of the events the object model fires itself.
namespace events {
inline constexpr const char* InstanceCreated = "InstanceCreated";
inline constexpr const char* ObjectBeingDestroyed = "ObjectBeingDestroyed";
} // namespace events

// ---- properties --------------------------------------------------------------

// A property of a class: its name, its data type and its place in the objects.
class COSPropInfo {
public:
    const char* getName() const { return name_.c_str(); }
    COSNameID getNameID() const { return name_; }
    COSDataType* getDataType() const { return type_; }
    COSClass* getOwnerClass() const { return owner_; }
    // The value instances start with (owned by the property or by the type).
    COSValue getDefaultValue() const;

    // The value `obj` holds, still owned by the object (null for a deleted object).
    COSValue getValue(const COSInterface* obj) const;
    // Stores a copy of `v` made by the data type; the old value is destroyed.
    void setValue(COSInterface* obj, COSValue v) const;
    // Stores `v` itself: the object takes ownership.
    void adoptValue(COSInterface* obj, COSValue v) const;
    // Through host arrays, with the repository's conversion between "any" and
    // the type: a failed conversion leaves the old value in place.
    void setFromArray(COSInterface* obj, const qxArray* a) const;
    // A new host array owned by the caller.
    qxArray* getAsArray(const COSInterface* obj) const;

private:
    friend class COSClass;
    COSPropInfo(COSClass* owner, COSNameID name, COSDataType* type, std::size_t index, COSValue ownDefault,
                bool hasOwnDefault);
    std::size_t slotOf(const COSInterface* obj) const;

    COSClass* owner_;
    COSNameID name_;
    COSDataType* type_;
    COSNameID typeName_;
    std::size_t index_;
    COSValue ownDefault_;
    bool hasOwnDefault_;
};

// Property information as the object system hands it out (properties live as
// long as their class, so the pointer does not count).
class COSPropInfoPtr {
public:
    COSPropInfoPtr() = default;
    explicit COSPropInfoPtr(COSPropInfo* p) : p_(p) {}
    COSPropInfo* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    friend struct COSPropInfoPtrHelper;
    COSPropInfo* p_ = nullptr;
};

struct COSPropInfoPtrHelper {
    static COSPropInfo* getObject(const COSPropInfoPtr& p) { return p.p_; }
};

// ---- events and listeners ----------------------------------------------------

// An event fired on an object: its source, its name and an optional payload
// (a host array the firer keeps).
class COSEventData {
public:
    COSEventData(COSInterface* source, COSNameID eventName, const qxArray* payload = nullptr);
    virtual ~COSEventData();
    COSInterface* getSource() const { return source_; }
    COSNameID getEventName() const { return name_; }
    const qxArray* getPayload() const { return payload_; }
    // The event as a new host array owned by the caller: a 1x1 struct with the
    // fields "Source" (1x1 object array of the source, or an empty "handle"
    // array), "EventName" (char), then the fields of a 1x1 struct payload, or
    // "Data" holding any other payload.
    virtual qxArray* getEventDataArray() const;

private:
    COSInterface* source_;
    COSNameID name_;
    const qxArray* payload_;
};

// An event heard by a listener attached to a class: it carries the instance
// on which the event fired and the class the listener is attached to.
class COSClassInstanceEventData : public COSEventData {
public:
    COSClassInstanceEventData(COSClass* cls, COSInterface* instance, COSNameID eventName,
                              const qxArray* payload = nullptr);
    ~COSClassInstanceEventData() override;
    COSInterface* getInstance() const { return instance_; }
    COSClass* getEventClass() const { return class_; }

private:
    COSClass* class_;
    COSInterface* instance_;
};

// What a listener does when its event fires.
class COSListenerOp {
public:
    virtual ~COSListenerOp();
    virtual void execute(COSEventData* event) = 0;
    // The object the operation acts on; by default the event's source.
    virtual COSInterface* getNode(COSEventData* event);
};

// A counted listener owning its operation.
class COSListener {
public:
    // Takes ownership of `op`; a null op gives a null listener.
    static COSListenerPtr createListener(COSListenerOp* op);
    COSListener(const COSListener&) = delete;
    COSListener& operator=(const COSListener&) = delete;

    // Runs the operation unless the listener is disabled.
    void execute(COSEventData* event);
    COSListenerOp* getOp() const { return op_.get(); }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

    void addReference() { ++refs_; }
    void releaseReference();

private:
    explicit COSListener(COSListenerOp* op) : op_(op) {}
    ~COSListener();
    std::unique_ptr<COSListenerOp> op_;
    std::atomic<long> refs_{0};
    bool enabled_ = true;
};

// Listeners attached to one object or one class, by event name.
class ListenerList {
public:
    void add(COSNameID event, COSListenerPtr listener);
    bool remove(const COSListener* listener);
    // The listeners of `event`, in the order attached.
    std::vector<COSListenerPtr> of(COSNameID event) const;
    void clear() { entries_.clear(); }

private:
    std::vector<std::pair<COSNameID, COSListenerPtr>> entries_;
};

// ---- classes -----------------------------------------------------------------

class COSClass {
public:
    // Defines a class; a null parent means the root class "handle". Throws
    // COSMsgException when a class of that name exists or the parent is unknown.
    static COSClass* define(const char* name, COSClass* parent = nullptr);
    static COSClass* define(const char* name, const char* parentName);
    // The class of that name, or null.
    static COSClass* find(const char* name);
    static COSClass* find(COSNameID name);
    // The built-in root class "handle".
    static COSClass* handleClass();

    const char* getName() const { return name_.c_str(); }
    COSNameID getNameID() const { return name_; }
    COSClass* getParent() const { return parent_; }
    // Whether this class is `other` or derives from it.
    bool isA(const COSClass* other) const;
    bool isA(COSNameID name) const;
    bool isA(const char* name) const { return isA(COSNameID(name)); }

    // Declares a property of the registered type `typeName`. Throws
    // COSMsgException when the type is not registered, the name is taken in
    // the class or an ancestor, or the class is sealed.
    COSPropInfo* addProperty(const char* name, const char* typeName);
    // The same with a default of the property's own, which the property owns.
    COSPropInfo* addProperty(const char* name, const char* typeName, COSValue ownDefault);
    // The property of that name, declared here or in an ancestor, or null.
    COSPropInfo* findProperty(COSNameID name) const;
    // The property a user's spelling selects: the one whose name equals it in
    // any letter case, else the one name it begins; null when it selects none.
    // When it begins several names (and equals none), `candidates` (if given)
    // receives them in declaration order.
    COSPropInfo* matchProperty(std::string_view written, std::vector<COSPropInfo*>* candidates = nullptr) const;
    // Every property, the ancestors' first.
    const std::vector<COSPropInfo*>& getProperties() const { return all_; }
    bool isSealed() const { return sealed_; }

    void addListener(COSNameID event, COSListenerPtr listener) { listeners_.add(event, std::move(listener)); }
    bool removeListener(const COSListener* listener) { return listeners_.remove(listener); }
    std::vector<COSListenerPtr> listenersOf(COSNameID event) const { return listeners_.of(event); }

private:
    friend class COSInterface;
    friend struct ClassRegistry;
    COSClass(COSNameID name, COSClass* parent);
    COSPropInfo* declare(const char* name, const char* typeName, COSValue ownDefault, bool hasOwnDefault);

    COSNameID name_;
    COSClass* parent_;
    std::vector<std::unique_ptr<COSPropInfo>> own_;
    std::vector<COSPropInfo*> all_;
    ut::NameMatcher names_; // the names of all_, in the same positions
    ListenerList listeners_;
    bool sealed_ = false;
};

// ---- objects -----------------------------------------------------------------

class COSInterface : public qx::SharedElement {
public:
    // A new valid instance of `cls` holding the properties' defaults.
    static COSInterfacePtr create(COSClass* cls);
    static COSInterfacePtr create(const char* className);

    void addReference() override { ++refs_; }
    void releaseReference() override;
    long getReferenceCount() const { return refs_; }

    COSClass* getClass() const { return class_; }
    const char* getClassName() const { return class_->getName(); }
    bool isValid() const { return valid_; }
    // The user's delete (see the header comment). Deleting twice does nothing.
    void deleteObject();

    // The property information of `name` for this object, or null.
    COSPropInfoPtr getPropInfo(COSNameID name) const { return COSPropInfoPtr(class_->findProperty(name)); }
    // By name, through host arrays; an unknown name throws COSMsgException.
    void setFromArray(const char* property, const qxArray* a);
    qxArray* getAsArray(const char* property) const;

    // The objects a grouping object stands for (empty: it stands for itself).
    void setMembers(std::vector<COSInterfacePtr> members);
    const std::vector<COSInterfacePtr>& getMembers() const { return members_; }

    void addListener(COSNameID event, COSListenerPtr listener) { listeners_.add(event, std::move(listener)); }
    bool removeListener(const COSListener* listener) { return listeners_.remove(listener); }
    // The listeners attached to this object for `event`, in the order attached.
    std::vector<COSListenerPtr> listenersOf(COSNameID event) const { return listeners_.of(event); }
    // Runs the listeners of `event` (see the header comment); nothing for a
    // deleted object.
    void fireEvent(COSNameID event, const qxArray* payload = nullptr);

    // The numeric handle the host knows this object by: made once through the
    // repository's conversion between "double" and "COSInterface", then kept
    // while it still leads back to this object. -1 when there is none.
    double getDoubleHandle();

    COSInterface(const COSInterface&) = delete;
    COSInterface& operator=(const COSInterface&) = delete;

private:
    friend class COSPropInfo;
    explicit COSInterface(COSClass* cls);
    ~COSInterface() override;
    void destroyValues();

    COSClass* class_;
    std::vector<COSValue> slots_;
    std::vector<COSInterfacePtr> members_;
    ListenerList listeners_;
    std::atomic<long> refs_{0};
    bool valid_ = true;
    double handle_ = -1.0;
};

// Walks the objects related to an object. Type StandsFor (3) with direction 0
// is the only walk: the members of a grouping object, or the object itself.
class COSIterator {
public:
    static constexpr int StandsFor = 3;
    // Throws COSMsgException for any other type or direction.
    COSIterator(COSInterface* start, int type, int direction);
    bool hasMoreElements() const { return next_ < items_.size(); }
    // The next object (null once there are no more).
    COSInterface* nextElement() { return hasMoreElements() ? items_[next_++].get() : nullptr; }

private:
    std::vector<COSInterfacePtr> items_;
    std::size_t next_ = 0;
};

} // namespace nyro

// ---- object arrays -----------------------------------------------------------
// New arrays are temporaries of the host call (scope 0) unless stated.

// An empty (0x0) object array of the class.
qxArray* omCreateNYROEmpty(const char* className);
// An m x n object array of the class, every element empty.
qxArray* omCreateNYROMatrix(qxSize m, qxSize n, const char* className);
// A 1x1 array of the object's class holding it (an empty "handle" array for null).
qxArray* omCreateNYROScalar(nyro::COSInterface* obj);
// Element `index`, or null (empty element, out of range, not an object array).
nyro::COSInterface* omGetArrayElement(const qxArray* a, qxSize index);
// Stores `obj` (the array takes a reference); false when `index` is out of range.
bool omSetArrayElement(qxArray* a, qxSize index, nyro::COSInterface* obj);
bool omIsNYRO(const qxArray* a);
// The internal form: a copy its holder keeps past the host call and destroys;
// null when `a` is no object array.
qxArray* nyroConvertArrayToInternal(const qxArray* a);
// The external form handed to the host: a temporary copy; null when `a` is no
// object array.
qxArray* nyroConvertArrayToExternal(const qxArray* a);
