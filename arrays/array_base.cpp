#include "arrays/array_base.h"

#include <sstream>

#include "arrays/executors.h"
#include "nyro/nyro.h"

namespace datatypes {

namespace {

// A copy of `a` that the value can keep: a shared-data copy of a full array, a
// full copy of a sparse one, and a fresh array of the same shape and class for
// one without elements. The copy outlives the host call (scope 2).
qxArray* create_shared_array(const qxArray* a, const qxArrayView& view)
{
    if (!a)
        return nullptr;
    if (view.data && !view.sparse)
        return qxCreateScopedSharedDataCopy(a, 2);
    qxArray* copy = nullptr;
    if (view.data) {
        copy = qxMustBeFull(a);
    } else {
        const qxSize k = view.ndim;
        const qxSize* dims = view.dims;
        if (k > 2)
            copy = qxCreateNumericArray_730(k, dims, view.cls, qxREAL);
        else if (k == 2)
            copy = qxCreateNumericMatrix_730(dims[0], dims[1], view.cls, qxREAL);
        else if (k == 1)
            copy = qxCreateNumericMatrix_730(dims[0], 0, view.cls, qxREAL);
    }
    qxSetArrayScope(copy, 2);
    return copy;
}

qxArray* create_shared_array(const qxArray* a) { return a ? create_shared_array(a, qxGetArrayView(a)) : nullptr; }

} // namespace

ArrayBase::InvalidArrayException::~InvalidArrayException() = default;

ArrayBase::ArrayBase(const qxArray* a) : array_(create_shared_array(a)) {}

qxArray* ArrayBase::keptCopy(const qxArray* a, const qxArrayView& view) { return create_shared_array(a, view); }

ArrayBase::ArrayBase(const ArrayBase& other) : array_(create_shared_array(other.array_)) {}

ArrayBase& ArrayBase::operator=(const ArrayBase& other)
{
    ArrayBase copy(other);
    swap(copy);
    return *this;
}

ArrayBase::~ArrayBase()
{
    if (array_)
        qxDestroyArray(array_);
    array_ = nullptr;
}

bool ArrayBase::isValid(const qxArray*, ErrorMessage*) { return true; }

unsigned long ArrayBase::getMaxNumberOfValuesToCompare() const { return 0; }

bool ArrayBase::isEmpty(const qxArray* a) { return !a || qxIsEmpty(a); }

void ArrayBase::swap(ArrayBase& other) noexcept { std::swap(array_, other.array_); }

gui_objects::QxArrayPtr ArrayBase::getSharedDataCopy() const
{
    return gui_objects::QxArrayPtr(array_ ? create_shared_array(array_) : nullptr);
}

char* ArrayBase::convert_to_string() const
{
    if (!array_)
        return nullptr;
    try {
        static const nyro::COSNameID any("any");
        static const nyro::COSNameID string("string");
        if (nyro::COSTypeConversion* hostText = nyro::COSTypeRepository::getConversion(any, string))
            if (char* text = nyro::pointerValue<char*>(hostText->from(nyro::COSValue::fromPointer(array_))))
                return text;
    } catch (...) {
        // The host has no text for this array: write our own below.
    }
    std::ostringstream out;
    out << '[';
    const qxSize rows = qxGetM(array_);
    const qxSize cols = qxGetN(array_);
    if (rows == 1 && cols <= 9) {
        PrintExecutor print{out};
        vx::TL::ArrayDispatcher<PrintExecutor, vx::TL::AllNumeric>::dispatch(array_, print);
        out << ' ';
    } else {
        out << rows << 'x' << cols << " array";
    }
    out << ']';
    char* text = utStrdup(out.str().c_str());
    if (!text)
        throw nyro::COSOutOfMemoryException();
    return text;
}

bool ArrayBase::operator==(const ArrayBase& other) const
{
    if (!array_ || !other.array_)
        return !array_ && !other.array_;
    bool different = false;
    CompareExecutor compare{array_, different, getMaxNumberOfValuesToCompare()};
    vx::TL::ArrayDispatcher<CompareExecutor, vx::TL::AllNumeric>::dispatch(other.array_, compare);
    return !different;
}

} // namespace datatypes
