#include "javabridge/javabridge.h"

namespace javabridge {

// The kept array outlives the host call that made the object.
JavaObject::JavaObject(const qxArray* a) : JavaObject(a, nullptr) {}
JavaObject::JavaObject(const qxArray* a, const char* javaClass) : array_(qxCreateSharedDataCopy(a)), javaClass_(javaClass)
{
    qxSetArrayScope(array_, 2);
}
JavaObject::~JavaObject() { qxDestroyArray(array_); }

namespace {

class AnyJavaConversion : public nyro::JavaTypeConversion {
public:
    nyro::COSValue to(nyro::COSValue v) const override
    {
        const auto* a = nyro::pointerValue<const qxArray*>(v);
        return a ? nyro::COSValue::fromPointer(new JavaObject(a)) : nyro::COSValue();
    }
    nyro::COSValue from(nyro::COSValue v) const override
    {
        const auto* j = nyro::pointerValue<const JavaObject*>(v);
        return j ? nyro::COSValue::fromPointer(qxCreateSharedDataCopy(j->array())) : nyro::COSValue();
    }
    const char* getJavaDeclarationName() const override { return kArrayReferenceClass; }
};

} // namespace

void install()
{
    nyro::COSNameID any("any");
    if (!nyro::JavaTypeConversion::getConversion(any))
        nyro::JavaTypeConversion::addConversion(any, new AnyJavaConversion);
}

void releaseObject(nyro::COSValue javaObject) { delete nyro::pointerValue<JavaObject*>(javaObject); }

} // namespace javabridge
