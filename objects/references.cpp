#include "objects/references.h"

#include <optional>
#include <utility>
#include <vector>

#define VX_MESSAGES "objects/messages.def"
#include "frame/messages.h"

namespace datatypes {

using nyro::COSInterface;
using nyro::COSInterfacePtr;

namespace {

nyro::COSTypeConversion* handleConversion()
{
    static const COSNameID number("double"), object("COSInterface");
    return nyro::COSTypeRepository::getConversion(number, object);
}

// The first element of a non-empty double array, or nothing when the array has
// no data. A sparse array is read where it stores its first column: element
// (1,1) is the column's first stored entry if that is in row 1, else zero; the
// array is never made full for it.
std::optional<double> firstDouble(const qxArray* a)
{
    const double* data = qxGetPr(a);
    if (!data)
        return std::nullopt;
    if (!qxIsSparse(a))
        return data[0];
    const qxSize* jc = qxGetJc(a);
    const qxSize* ir = qxGetIr(a);
    if (!jc || !ir || qxGetN(a) == 0)
        return 0.0;
    const qxSize k = jc[0];
    return k < jc[1] && k < qxGetNzmax(a) && ir[k] == 0 ? data[k] : 0.0;
}

// The object a handle converts to, with its reference handed over (or null).
COSInterfacePtr objectOfHandle(double h)
{
    nyro::COSTypeConversion* conversion = handleConversion();
    if (!conversion)
        return {};
    return COSInterfacePtr::adopt(COSInterfaceDataType::objectOf(conversion->from(COSValue::fromDouble(h))));
}

} // namespace

// ---- COSInterface ----------------------------------------------------------------

COSValue COSInterfaceDataType::copy(COSValue v) const
{
    if (COSInterface* obj = objectOf(v))
        obj->addReference();
    return v;
}

void COSInterfaceDataType::destroy(COSValue v) const
{
    if (COSInterface* obj = objectOf(v))
        obj->releaseReference();
}

COSValue COSInterfaceMC::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    if (!array)
        return {};
    if (qxGetClassID(array) == qxDOUBLE_CLASS) {
        const std::optional<double> handle = qxIsEmpty(array) ? std::nullopt : firstDouble(array);
        if (!handle)
            return {};
        return COSValue::fromPointer(objectOfHandle(*handle).release());
    }
    if (omIsNYRO(array)) {
        gui_objects::QxArrayPtr internal(nyroConvertArrayToInternal(array));
        if (!internal || qxIsEmpty(internal.get()))
            return {};
        COSInterface* obj = omGetArrayElement(internal.get(), 0);
        if (obj)
            obj->addReference();
        return COSValue::fromPointer(obj);
    }
    return {};
}

COSValue COSInterfaceMC::to(COSValue v) const
{
    COSInterface* obj = COSInterfaceDataType::objectOf(v);
    if (!obj)
        return slotOf(omCreateNYROEmpty("handle"));
    nyro::COSIterator it(obj, nyro::COSIterator::StandsFor, 0);
    std::vector<COSInterface*> found;
    while (it.hasMoreElements())
        found.push_back(it.nextElement());
    gui_objects::QxArrayPtr out(found.size() < 2 ? omCreateNYROMatrix(1, 1, obj->getClassName())
                                                 : omCreateNYROMatrix(1, found.size(), "handle"));
    for (std::size_t i = 0; i < found.size(); ++i)
        omSetArrayElement(out.get(), i, found[i]);
    return slotOf(out.release());
}

// ---- HandleOrEmpty ---------------------------------------------------------------

HandleOrEmpty::HandleOrEmpty(const qxArray* a) { setHandle(a); }

HandleOrEmpty::HandleOrEmpty(const HandleOrEmpty& other) { copy(other); }

HandleOrEmpty& HandleOrEmpty::operator=(const HandleOrEmpty& other)
{
    if (this != &other)
        copy(other);
    return *this;
}

HandleOrEmpty::~HandleOrEmpty() { cleanup(); }

void HandleOrEmpty::cleanup() { qxDestroyArray(std::exchange(handle_, nullptr)); }

void HandleOrEmpty::setHandle(const qxArray* a)
{
    cleanup();
    if (!a)
        saveEmptyNYROObjectNotOnArrayList();
    else if (qxIsScalar(a) && qxGetClassID(a) == qxDOUBLE_CLASS)
        saveValidNYROObjectFromDoubleNotOnArrayList(a);
    else if (qxIsScalar(a) && omIsNYRO(a))
        saveValidNYROObjectFromNYRONotOnArrayList(a);
    else if (!qxIsScalar(a) && qxIsEmpty(a))
        saveEmptyNYROObjectNotOnArrayList();
    else
        raise(msg::InvalidHandleOrEmpty);
}

void HandleOrEmpty::holdInternalFormOf(const qxArray* a)
{
    qxArray* internal = nyroConvertArrayToInternal(a);
    qxDestroyArray(std::exchange(handle_, internal));
}

void HandleOrEmpty::saveValidNYROObjectFromDoubleNotOnArrayList(const qxArray* a)
{
    const std::optional<double> handle = firstDouble(a);
    COSInterfacePtr obj = handle ? objectOfHandle(*handle) : COSInterfacePtr();
    if (!obj || !obj->isValid())
        raise(msg::InvalidHandleOrEmpty);
    gui_objects::QxArrayPtr scalar(omCreateNYROScalar(obj.get()));
    holdInternalFormOf(scalar.get());
}

void HandleOrEmpty::saveValidNYROObjectFromNYRONotOnArrayList(const qxArray* a) { holdInternalFormOf(a); }

void HandleOrEmpty::saveEmptyNYROObjectNotOnArrayList()
{
    gui_objects::QxArrayPtr empty(createEmptyObject());
    holdInternalFormOf(empty.get());
}

qxArray* HandleOrEmpty::createEmptyObject() const { return omCreateNYROEmpty("handle"); }

const qxArray* HandleOrEmpty::getHandle() const
{
    if (handle_ && !qxIsEmpty(handle_)) {
        COSInterface* obj = omGetArrayElement(handle_, 0);
        if (!obj || !obj->isValid()) {
            gui_objects::QxArrayPtr empty(createEmptyObject());
            qxDestroyArray(std::exchange(handle_, nyroConvertArrayToInternal(empty.get())));
        }
    }
    return handle_;
}

void HandleOrEmpty::copy(const HandleOrEmpty& other)
{
    if (this == &other)
        return;
    setHandle(other.getHandle());
}

bool HandleOrEmpty::operator==(const HandleOrEmpty& other) const
{
    const qxArray* a = getHandle();
    const qxArray* b = other.getHandle();
    return a == b || qxAreMatricesEqual(a, b);
}

COSValue HandleOrEmptyDataType::makeDefault() const { return slotOf(new HandleOrEmpty(nullptr)); }

bool HandleOrEmptyDataType::isEqual(COSValue a, COSValue b) const
{
    try {
        return ValueDataType::isEqual(a, b);
    } catch (...) {
        raise(msg::HandleOrEmptyIsEqual);
        return false;
    }
}

COSValue HandleOrEmptySC::from(COSValue) const
{
    raise(msg::HandleOrEmptyFromString);
    return {};
}

COSValue HandleOrEmptySC::to(COSValue) const
{
    raise(msg::HandleOrEmptyToString);
    return {};
}

COSValue HandleOrEmptyMC::from(COSValue a) const { return slotOf(new HandleOrEmpty(arrayOf(a))); }

COSValue HandleOrEmptyMC::to(COSValue v) const
{
    const HandleOrEmpty* value = HandleOrEmptyDataType::valueOf(v);
    qxArray* external = value ? nyroConvertArrayToExternal(value->getHandle()) : nullptr;
    return slotOf(external ? external : omCreateNYROEmpty("handle"));
}

// ---- JavaPeer --------------------------------------------------------------------

JavaPeer::~JavaPeer() = default;

COSValue JavaPeerMC::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    if (!array)
        return {};
    jobject reference = javaConvertKeldarToClosestJavaObject(array);
    try {
        return slotOf(new JavaPeer(reference));
    } catch (...) {
        kdjDeleteGlobalRef(reference); // no value holds it
        throw;
    }
}

COSValue JavaPeerMC::to(COSValue v) const
{
    const JavaPeer* peer = JavaPeerDataType::valueOf(v);
    if (!peer)
        return slotOf(qxCreateDoubleMatrix(0, 0, qxREAL));
    // The fresh global reference serves this conversion only.
    jobject reference = kdjNewGlobalRef(peer->get_jobject(), false);
    qxArray* array = nullptr;
    try {
        array = javaConvertJavaObjectToClosestKeldarArray(reference);
    } catch (...) {
        kdjDeleteGlobalRef(reference); // also when the host could not make the array
        throw;
    }
    kdjDeleteGlobalRef(reference);
    return slotOf(array ? array : qxCreateDoubleMatrix(0, 0, qxREAL));
}

void COSInterfaceDataType::describe(catalog::TypeEntry& e)
{
    e.accepts.push_back("a numeric handle (its first element), or an object array (its first object)");
}

void HandleOrEmptyDataType::describe(catalog::TypeEntry& e)
{
    e.accepts.push_back("one graphics object or numeric handle, or [] for none");
    for (const Message* m : {&msg::InvalidHandleOrEmpty, &msg::HandleOrEmptyFromString})
        e.refusals.push_back(m->id);
}

void JavaPeerDataType::describe(catalog::TypeEntry& e)
{
    e.accepts.push_back("a Java object, or the host array closest to one");
}

} // namespace datatypes

VX_REGISTER_TYPE(COSInterface)
VX_REGISTER_TYPE(HandleOrEmpty)
VX_REGISTER_TYPE(JavaPeer)
