// Java bridge of the host: a stand-in Java object holding a host array, and the
// Java conversion registered for "any" that turns host arrays into such objects
// and back.
#pragma once

#include "nyro/nyro.h"
#include "qx/qx.h"

// A reference to a Java object. Every reference is distinct: two references to
// one object compare unequal, as references. The bridge keeps each reference
// (and the object it leads to) until kdjDeleteGlobalRef deletes it.
struct _jobject;
using jobject = _jobject*;

namespace javabridge {

// Class name of the host's Java array-reference class.
inline constexpr const char* kArrayReferenceClass = "com.keldar.bridge.ArrayReference";

// A Java object: a reference to a host array it keeps (a shared-data copy).
class JavaObject {
public:
    explicit JavaObject(const qxArray* a);
    // An object of the Java class `javaClass` (a constant text) holding `a`.
    JavaObject(const qxArray* a, const char* javaClass);
    ~JavaObject();
    JavaObject(const JavaObject&) = delete;
    JavaObject& operator=(const JavaObject&) = delete;
    const qxArray* array() const { return array_; }
    const char* javaClass() const { return javaClass_ ? javaClass_ : kArrayReferenceClass; }

private:
    qxArray* array_;
    const char* javaClass_ = nullptr;
};

// Registers the Java conversion for "any" (once; later calls do nothing).
// `to` takes a slot holding a qxArray* and returns a new JavaObject*; `from`
// takes a JavaObject* and returns a new qxArray* owned by the caller.
void install();

// Releases a Java object that a conversion returned.
void releaseObject(nyro::COSValue javaObject);

// References to Java objects (below): the Java object a reference leads to,
// null for a null or deleted reference.
const JavaObject* objectOf(jobject reference);
// Whether two references lead to the same Java object.
bool isSameObject(jobject a, jobject b);
// References alive now.
std::size_t liveReferences();

} // namespace javabridge

// The Java object closest to a host array: a char row becomes a
// java.lang.String, a real double scalar a java.lang.Double, a logical scalar a
// java.lang.Boolean, anything else an array reference. A new reference; null
// for a null array.
jobject javaConvertKeldarToClosestJavaObject(const qxArray* a);
// The host array closest to a Java object: a new array owned by the caller;
// null for a null or deleted reference.
qxArray* javaConvertJavaObjectToClosestKeldarArray(jobject j);
// A new global reference to the object `j` leads to (null for a null or deleted
// reference). With `releaseSource`, `j` itself is deleted.
jobject kdjNewGlobalRef(jobject j, bool releaseSource);
// Deletes a reference (nothing for a null or unknown one).
void kdjDeleteGlobalRef(jobject j);
