// The validator kit. An array-valued property accepts a host array only in one
// of a few forms ("a 1x2 row of doubles", "an Nx3 table within [0, 1]", ...).
// A form is a row of data (arrays/forms.def); its validator runs the checks the
// row asks for, always in this order, and stops at the first that fails:
//
//   1   dimension count (2-D or 3-D), or 1' "is a vector"   retry set
//   2   rows                                                 retry set
//   3   columns, 3' third dimension of 3-D forms             retry set
//   4   not sparse                                           retry clear
//   5   not complex                                          retry clear
//   6   strict element class, then 7 element checks          retry set
//       (7a range: set, 7b NaN: clear, 7c Inf: clear, 7' zero: set)
//   6'  class among the accepted ones and the form's predicate holds  retry set
//
// The retry flag (`tryNextForm`) tells a property whether it may go on to try
// its next form: set when the input simply does not have this form, clear when
// it has the form but cannot be used (sparse, complex, NaN, Inf).
#pragma once

#include <cstdint>
#include <type_traits>

#define VX_MESSAGES "arrays/messages.def"
#include "frame/messages.h"
#include "arrays/rules.h"
#include "frame/catalog.h"
#include "frame/dispatch.h"
#include "frame/errors.h"
#include "qx/qx.h"

namespace datatypes {

// What a failed check reports.
struct Failure {
    const char* id;
    const char* text;
    bool tryNextForm;
};

enum class Dims : std::uint8_t { Two, Three, Vector };
enum class ClassStep : std::uint8_t { Strict, Validate };
enum Check : bool { Unchecked = false, Checked = true };
inline constexpr unsigned Any = 0;

// Sets of element classes, one bit per class id.
using ClassSet = std::uint32_t;
constexpr ClassSet bit(qxClassID c) { return ClassSet(1) << c; }
namespace classes {
inline constexpr ClassSet Double = bit(qxDOUBLE_CLASS);
inline constexpr ClassSet Single = bit(qxSINGLE_CLASS);
inline constexpr ClassSet Uint8 = bit(qxUINT8_CLASS);
inline constexpr ClassSet Uint32 = bit(qxUINT32_CLASS);
inline constexpr ClassSet Floating = Double | Single;
inline constexpr ClassSet Numeric = Floating | bit(qxINT8_CLASS) | Uint8 | bit(qxINT16_CLASS) |
                                    bit(qxUINT16_CLASS) | bit(qxINT32_CLASS) | Uint32 | bit(qxINT64_CLASS) |
                                    bit(qxUINT64_CLASS);
inline constexpr ClassSet NumericAndLogical = Numeric | bit(qxLOGICAL_CLASS);
inline constexpr ClassSet Image = Floating | Uint8 | bit(qxUINT16_CLASS) | bit(qxLOGICAL_CLASS);
} // namespace classes

// What the element checks read of an array: its data, its element count, how
// many elements it stores (a sparse array's non-zeros), and whether it is sparse.
struct ElementView {
    const void* data;
    qxSize total;
    qxSize stored;
    bool sparse;
};

// Runs a rule over the elements of an array whose class the form accepted.
using ElementScan = ElementFault (*)(const qxArray*, const ElementView&, qxClassID);
template <class Rule>
ElementFault scan(const qxArray* a, const ElementView& view, qxClassID cls); // arrays/validation.cpp

template <class Rule>
constexpr ElementScan scanOf()
{
    if constexpr (Rule::inspectsElements)
        return &scan<Rule>;
    else
        return nullptr;
}

// One form: its checks, and what each check reports when it fails.
struct Form {
    const char* prefix;
    Dims dims;
    unsigned rows, cols; // Any: not tested
    bool sparseCheck, complexCheck;
    ClassStep classStep;
    ClassSet classes;
    ElementScan elements; // null: the class decides alone
    const char* ruleWords; // what the rule asks, in words; null: the class decides alone
    unsigned ruleFaults;   // faultBit()s of the element faults the rule can report
    Failure shape, rowCount, columnCount, thirdDimension, sparse, complex, elementClass, range, nan, inf, minimum;
};

// Texts of the size checks; a size without a text cannot be a form's.
constexpr const char* rowsText(unsigned r)
{
    constexpr const char* texts[] = {nullptr, msg::MustHave1Row, msg::MustHave2Rows, msg::MustHave3Rows, msg::MustHave4Rows};
    return r < 5 ? texts[r] : nullptr;
}
constexpr const char* columnsText(unsigned c)
{
    constexpr const char* texts[] = {nullptr, msg::MustHave1Column, msg::MustHave2Columns, msg::MustHave3Columns};
    return c < 4 ? texts[c] : nullptr;
}
// Whether a size has a text (decided on the size alone, so that it stays a
// constant expression whatever the compiler makes of addresses).
constexpr bool hasRowsText(unsigned r) { return r >= 1 && r < 5; }
constexpr bool hasColumnsText(unsigned c) { return c >= 1 && c < 4; }

// The check of `form` that `a` fails, or null when `a` has the form. A null
// array fails the dimension count. Sparse arrays reaching the element checks
// (forms without the sparse check) are judged on their stored elements and,
// when some elements are not stored, on one zero standing for those.
const Failure* firstFailure(const Form& form, const qxArray* a);
// The same, for a caller that has already read `view` = qxGetArrayView(a).
const Failure* firstFailure(const Form& form, const qxArray* a, const qxArrayView& view);

// Elements an array actually stores: all of them, or a sparse array's
// non-zeros (never more than its allocated capacity).
qxSize storedElements(const qxArray* a);

namespace detail {

inline bool hasDimensions(Dims dims, const qxArrayView& v)
{
    switch (dims) {
    case Dims::Two: return v.ndim == 2;
    case Dims::Three: return v.ndim == 3;
    case Dims::Vector: return v.ndim == 2 && (v.dims[0] == 1 || v.dims[1] == 1); // qxIsVector
    }
    return false;
}

inline bool inSet(ClassSet set, qxClassID cls) { return cls >= 0 && cls < 32 && (set & bit(cls)); }

// Up to this many elements are judged one by one: wide loops could not pay
// for their set-up.
inline constexpr qxSize fewElements = 16;

// Whether the whole-array rule Rule, known where the form is, judges a few
// doubles in place rather than through its scan.
template <class Rule>
constexpr bool judgedInPlace()
{
    if constexpr (std::is_void_v<Rule>)
        return false;
    else if constexpr (!Rule::inspectsElements || Rule::elementwise)
        return false;
    else
        return Rule::Classes::Head::classID == qxDOUBLE_CLASS;
}

// The checks of firstFailure, in their order. Inlined where the form is a
// constant (a property's own forms), so that the checks the form does not ask
// for cost nothing; `Rule`, the form's rule when known there, lets a few
// doubles be judged without a call.
template <class Rule = void>
[[gnu::always_inline]] inline const Failure* checkForm(const Form& form, const qxArray* a, const qxArrayView& v)
{
    if (!a || !hasDimensions(form.dims, v))
        return &form.shape;
    // Rows are the first dimension, columns all the others together (what
    // qxGetN reports).
    const qxSize* dims = v.dims;
    if (form.rows != Any && dims[0] != form.rows)
        return &form.rowCount;
    qxSize cols = 1;
    for (qxSize k = 1; k < v.ndim; ++k)
        cols *= dims[k];
    if (form.cols != Any && cols != form.cols)
        return &form.columnCount;
    if (form.dims == Dims::Three && dims[2] != 3)
        return &form.thirdDimension;
    if (form.sparseCheck && v.sparse)
        return &form.sparse;
    if (form.complexCheck && v.complex && v.imag)
        return &form.complex;
    // Object classes are resolved through the host; the others are what the
    // array says.
    const qxClassID cls = v.cls > qxFUNCTION_CLASS ? vx::TL::detail::ArrayDispatcherBase::getClassID(a) : v.cls;
    if (!inSet(form.classes, cls))
        return &form.elementClass;
    if (!form.elements)
        return nullptr;
    const qxSize total = dims[0] * cols;
    if constexpr (judgedInPlace<Rule>()) {
        if (cls == qxDOUBLE_CLASS && !v.sparse && total <= fewElements)
            return Rule::holds(static_cast<const double*>(v.data), total) ? nullptr : &form.elementClass;
    }
    const ElementView view{v.data, total, !v.data ? 0 : v.sparse ? storedElements(a) : total, v.sparse};
    switch (form.elements(a, view, cls)) {
    case ElementFault::None: return nullptr;
    case ElementFault::Range: return &form.range;
    case ElementFault::NaN: return &form.nan;
    case ElementFault::Inf: return &form.inf;
    case ElementFault::Zero: return &form.minimum;
    case ElementFault::Predicate: break;
    }
    return &form.elementClass;
}

} // namespace detail

// The validator of a form: true when `a` has it; otherwise false, and the
// failed check's identifier, text and retry flag go to `record` if there is one.
bool validate(const Form& form, const qxArray* a, ErrorMessage* record);

// A property's rule for combining its forms: the first form that `a` has makes
// it valid; after a failure whose retry flag is clear the array is invalid;
// each failure overwrites the record, so the last form tried speaks.
//
// refusal() gives the failure the record ends with (null when `a` is valid);
// validateForms() writes it to the record. Each form's checks are inlined
// with its rule (FormRule, arrays/forms.h) known.
template <const Form& F>
struct FormRule;

template <const Form& First, const Form&... Rest>
const Failure* refusal(const qxArray* a, const qxArrayView& view)
{
    const Failure* failure = detail::checkForm<typename FormRule<First>::type>(First, a, view);
    if constexpr (sizeof...(Rest) > 0) {
        if (failure && failure->tryNextForm)
            return refusal<Rest...>(a, view);
    }
    return failure;
}

template <const Form&... Forms>
bool validateForms(const qxArray* a, ErrorMessage* record)
{
    const Failure* failure = refusal<Forms...>(a, qxGetArrayView(a));
    if (failure && record)
        *record = ErrorMessage(failure->id, failure->text, failure->tryNextForm);
    return !failure;
}

// What the catalog says of a form: shape, classes, checks, rule and identifiers.
catalog::ArrayForm describe(const Form& form);
// A described form in one line of words: "1x2 double|single, finite and increasing".
std::string inWords(const catalog::ArrayForm& form);

} // namespace datatypes
