// Java bridge of the host: a stand-in Java object holding a host array, and the
// Java conversion registered for "any" that turns host arrays into such objects
// and back.
#pragma once

#include "nyro/nyro.h"
#include "qx/qx.h"

namespace javabridge {

// Class name of the host's Java array-reference class.
inline constexpr const char* kArrayReferenceClass = "com.keldar.bridge.ArrayReference";

// A Java object: a reference to a host array it keeps (a shared-data copy).
class JavaObject {
public:
    explicit JavaObject(const qxArray* a);
    ~JavaObject();
    JavaObject(const JavaObject&) = delete;
    JavaObject& operator=(const JavaObject&) = delete;
    const qxArray* array() const { return array_; }

private:
    qxArray* array_;
};

// Registers the Java conversion for "any" (once; later calls do nothing).
// `to` takes a slot holding a qxArray* and returns a new JavaObject*; `from`
// takes a JavaObject* and returns a new qxArray* owned by the caller.
void install();

// Releases a Java object that a conversion returned.
void releaseObject(nyro::COSValue javaObject);

} // namespace javabridge
