#include "arrays/validation.h"

#include "arrays/element_scan.h"

namespace datatypes {

// The element loops are also compiled for AVX2, chosen when the library loads
// on a processor that has it: with the base instruction set the wider checks
// (face indices, ranges) cannot keep up with memory. Everything a scan calls is
// inlined into it, so that each clone carries its own loops.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VX_ELEMENT_LOOP_CLONES __attribute__((target_clones("avx2", "default"), flatten))
#else
#define VX_ELEMENT_LOOP_CLONES
#endif

namespace {
template <class Rule>
VX_ELEMENT_LOOP_CLONES ElementFault dispatchScan(const qxArray* a, const ElementView& view, qxClassID cls)
{
    ValidateExecutor<Rule> executor{view};
    vx::TL::ArrayDispatcher<ValidateExecutor<Rule>, typename Rule::Classes>::dispatchHelper(a, cls, executor);
    return executor.fault;
}
} // namespace

template <class Rule>
ElementFault scan(const qxArray* a, const ElementView& view, qxClassID cls)
{
    return dispatchScan<Rule>(a, view, cls);
}

// One instance per rule that inspects elements.
template ElementFault scan<rule::Finite>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::ZeroToOne>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::MinusOneToOne>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::NonZero>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::UnitInterval>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::FiniteOrIntegral>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::FaceIndex>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::NormalizedColors>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::IncreasingLimits>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::IncreasingLimitsWithInfs>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::EqualOrIncreasing>(const qxArray*, const ElementView&, qxClassID);
template ElementFault scan<rule::StrictlyIncreasing>(const qxArray*, const ElementView&, qxClassID);

namespace {

bool hasDimensions(Dims dims, qxSize count, const qxArray* a)
{
    switch (dims) {
    case Dims::Two: return count == 2;
    case Dims::Three: return count == 3;
    case Dims::Vector: return qxIsVector(a);
    }
    return false;
}

bool inSet(ClassSet set, qxClassID cls) { return cls >= 0 && cls < 32 && (set & bit(cls)); }

} // namespace

const Failure* firstFailure(const Form& form, const qxArray* a)
{
    if (!a)
        return &form.shape;
    // The size is read once: rows are the first dimension, columns all the
    // others together (what qxGetN reports).
    const qxSize count = qxGetNumberOfDimensions(a);
    if (!hasDimensions(form.dims, count, a))
        return &form.shape;
    const qxSize* dims = qxGetDimensions(a);
    if (form.rows != Any && dims[0] != form.rows)
        return &form.rowCount;
    qxSize cols = 1;
    for (qxSize k = 1; k < count; ++k)
        cols *= dims[k];
    if (form.cols != Any && cols != form.cols)
        return &form.columnCount;
    if (form.dims == Dims::Three && dims[2] != 3)
        return &form.thirdDimension;
    const bool sparse = qxIsSparse(a);
    if (form.sparseCheck && sparse)
        return &form.sparse;
    if (form.complexCheck && qxIsComplex(a) && qxGetImagData(a))
        return &form.complex;
    const qxClassID cls = vx::TL::detail::ArrayDispatcherBase::getClassID(a);
    if (!inSet(form.classes, cls))
        return &form.elementClass;
    switch (form.elements ? form.elements(a, elementView(a, dims[0] * cols, sparse), cls) : ElementFault::None) {
    case ElementFault::None: return nullptr;
    case ElementFault::Range: return &form.range;
    case ElementFault::NaN: return &form.nan;
    case ElementFault::Inf: return &form.inf;
    case ElementFault::Zero: return &form.minimum;
    case ElementFault::Predicate: break;
    }
    return &form.elementClass;
}

bool validate(const Form& form, const qxArray* a, ErrorMessage* record)
{
    const Failure* failure = firstFailure(form, a);
    if (failure && record)
        *record = ErrorMessage(failure->id, failure->text, failure->tryNextForm);
    return !failure;
}

} // namespace datatypes
