// Property types that refer to things outside the value: an object of the
// object system (`COSInterface`), one graphics object or nothing
// (`HandleOrEmpty`), and a Java object (`JavaPeer`). Users set them with numeric
// handles, object arrays or Java objects; none has a text form.
//
// Reference counting: a `COSInterface` slot owns one reference to its object.
// Every way into a slot hands one over: the object-array path of
// COSInterfaceMC::from adds it, the handle path receives it from the "double"
// to "COSInterface" conversion (whose `from` gives its caller one reference, as
// every conversion's `from` gives a new value), `copy` adds one, and `destroy`
// releases one.
#pragma once

#include "frame/datatype.h"
#include "nyro/object_model.h"

namespace datatypes {

// ---- COSInterface ----------------------------------------------------------------

class COSInterfaceDataType : public TypeIdentity<COSInterfaceDataType> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "COSInterface";
    static constexpr int valueBytes = 4;
    static nyro::COSInterface* objectOf(COSValue v) { return nyro::pointerValue<nyro::COSInterface*>(v); }

    COSValue getDefaultValue() const override { return {}; }
    // The same object.
    bool isEqual(COSValue a, COSValue b) const override { return a == b; }
    // The same object, with one more reference.
    COSValue copy(COSValue v) const override;
    // Releases the slot's reference.
    void destroy(COSValue v) const override;
};

VX_NO_TEXT_CONVERSION(COSInterfaceSC);

// From: a double array: its first element as a handle; an object array: its first
// element; anything else: null.
// To: an empty "handle" array for null; the objects the value stands for: a 1x1
// array of the object's class for one, a 1 x n "handle" array for several.
VX_CONVERSION(COSInterfaceMC);

using COSInterfaceJC = JavaConversionThroughArray<COSInterfaceMC>;

// ---- HandleOrEmpty ---------------------------------------------------------------

// One graphics object or nothing, kept as an object array in the object
// system's internal form (an empty "handle" array for nothing). A value whose
// object has been deleted reads back as empty, and stays so.
class VX_API HandleOrEmpty : public UtCallocAllocated {
public:
    // Same as setHandle(a).
    explicit HandleOrEmpty(const qxArray* a);
    HandleOrEmpty(const HandleOrEmpty& other);
    HandleOrEmpty& operator=(const HandleOrEmpty& other);
    virtual ~HandleOrEmpty();

    // Null or empty: nothing; a scalar double: the object of that handle; a
    // scalar object array: its object. Anything else, or a handle of no valid
    // object, raises "datatypes:HandleOrEmpty" (the value then holds nothing set).
    virtual void setHandle(const qxArray* a);
    virtual void saveValidNYROObjectFromDoubleNotOnArrayList(const qxArray* a);
    virtual void saveValidNYROObjectFromNYRONotOnArrayList(const qxArray* a);
    virtual void saveEmptyNYROObjectNotOnArrayList();

    // Drops the held array.
    void cleanup();
    // A new empty "handle" object array (a temporary).
    qxArray* createEmptyObject() const;
    // The held array (null when nothing was ever set); emptied first when its
    // object has been deleted.
    const qxArray* getHandle() const;
    void copy(const HandleOrEmpty& other);
    bool operator==(const HandleOrEmpty& other) const;

private:
    void holdInternalFormOf(const qxArray* a);
    mutable qxArray* handle_ = nullptr;
};

class HandleOrEmptyDataType : public ValueDataType<HandleOrEmptyDataType, HandleOrEmpty> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "HandleOrEmpty";
    static constexpr int valueBytes = 8;
    // An empty "handle" array.
    COSValue makeDefault() const;
    // A failure while comparing raises "datatypes:HandleOrEmptyDataType:isEqual".
    bool isEqual(COSValue a, COSValue b) const override;
};

// No text form: both directions raise "datatypes:HandleOrEmpty".
VX_CONVERSION(HandleOrEmptySC);

// To: the held object array in the external form.
VX_CONVERSION(HandleOrEmptyMC);

using HandleOrEmptyJC = JavaConversionThroughArray<HandleOrEmptyMC>;

// ---- JavaPeer --------------------------------------------------------------------

// A Java object reference, not owned: copies share it and destruction leaves
// it to the Java bridge.
class VX_API JavaPeer : public UtCallocAllocated {
public:
    JavaPeer() = default;
    explicit JavaPeer(jobject reference) : reference_(reference) {}
    JavaPeer(const JavaPeer&) = default;
    JavaPeer& operator=(const JavaPeer&) = default;
    virtual ~JavaPeer();
    jobject get_jobject() const { return reference_; }
    // The identical reference.
    bool operator==(const JavaPeer& other) const { return reference_ == other.reference_; }

private:
    jobject reference_ = nullptr;
};

class JavaPeerDataType : public ValueDataType<JavaPeerDataType, JavaPeer> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "JavaPeer";
    static constexpr int valueBytes = 8;
    COSValue makeDefault() const { return {}; }
};

VX_NO_TEXT_CONVERSION(JavaPeerSC);

// From: the Java object closest to the array.
// To: the host array closest to the Java object; a 0x0 double for null.
VX_CONVERSION(JavaPeerMC);

using JavaPeerJC = JavaConversionThroughArray<JavaPeerMC>;

} // namespace datatypes

VX_API bool init_datatypes_COSInterfaceDataType();
VX_API bool init_datatypes_HandleOrEmptyDataType();
VX_API bool init_datatypes_JavaPeerDataType();
VX_API void init_datatypes_COSInterfaceDataType_callback();
VX_API void init_datatypes_HandleOrEmptyDataType_callback();
VX_API void init_datatypes_JavaPeerDataType_callback();
