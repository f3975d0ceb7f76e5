#include "arrays/validation.h"

#include "arrays/element_scan.h"

#include <algorithm>
#include <atomic>
#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#endif

namespace datatypes {

// The element loops are also compiled for AVX2: with the base instruction set
// the wider checks (face indices, ranges) cannot keep up with memory. Everything
// a scan calls is inlined into it, so that each variant carries its own loops.
// The processor is asked at the first scan, not when the library loads: the
// query traps on virtual machines and would cost every host that loads the
// library, scanning or not.
#if defined(__x86_64__) && defined(__GNUC__)
#define VX_AVX2_LOOPS 1
#endif

namespace {
template <class Rule>
inline ElementFault runScan(const qxArray* a, const ElementView& view, qxClassID cls)
{
    ValidateExecutor<Rule> executor{view};
    vx::TL::ArrayDispatcher<ValidateExecutor<Rule>, typename Rule::Classes>::dispatchHelper(a, cls, executor);
    return executor.fault;
}

template <class Rule>
__attribute__((flatten)) ElementFault baseScan(const qxArray* a, const ElementView& view, qxClassID cls)
{
    return runScan<Rule>(a, view, cls);
}

#ifdef VX_AVX2_LOOPS
template <class Rule>
__attribute__((target("avx2"), flatten)) ElementFault avx2Scan(const qxArray* a, const ElementView& view,
                                                              qxClassID cls)
{
    return runScan<Rule>(a, view, cls);
}

bool processorHasAvx2()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_OSXSAVE) || !(ecx & bit_AVX))
        return false;
    // The system must save the wide registers across task switches.
    unsigned lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    if ((lo & 6u) != 6u)
        return false;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & bit_AVX2);
}

// 0 not asked yet, 1 base, 2 AVX2; a race only asks twice.
std::atomic<int> loopVariant{0};

bool useAvx2()
{
    int v = loopVariant.load(std::memory_order_relaxed);
    if (v == 0) {
        v = processorHasAvx2() ? 2 : 1;
        loopVariant.store(v, std::memory_order_relaxed);
    }
    return v == 2;
}
#endif
} // namespace

template <class Rule>
ElementFault scan(const qxArray* a, const ElementView& view, qxClassID cls)
{
#ifdef VX_AVX2_LOOPS
    // A few elements are judged before wide loops could pay for their set-up.
    if (view.total > detail::fewElements && useAvx2())
        return avx2Scan<Rule>(a, view, cls);
#endif
    return baseScan<Rule>(a, view, cls);
}

// One instance per rule of arrays/rules.def.
#define VX_RULE(Rule, Words) template ElementFault scan<rule::Rule>(const qxArray*, const ElementView&, qxClassID);
#include "arrays/rules.def"

qxSize storedElements(const qxArray* a)
{
    if (!qxGetData(a))
        return 0;
    if (!qxIsSparse(a))
        return qxGetNumberOfElements(a);
    const qxSize* jc = qxGetJc(a);
    return jc ? std::min(jc[qxGetN(a)], qxGetNzmax(a)) : 0;
}

const Failure* firstFailure(const Form& form, const qxArray* a)
{
    return detail::checkForm(form, a, qxGetArrayView(a));
}

const Failure* firstFailure(const Form& form, const qxArray* a, const qxArrayView& view)
{
    return detail::checkForm(form, a, view);
}

bool validate(const Form& form, const qxArray* a, ErrorMessage* record)
{
    const Failure* failure = firstFailure(form, a);
    if (failure && record)
        *record = ErrorMessage(failure->id, failure->text, failure->tryNextForm);
    return !failure;
}

} // namespace datatypes

namespace datatypes {

catalog::ArrayForm describe(const Form& form)
{
    catalog::ArrayForm out;
    out.prefix = form.prefix;
    out.rows = form.rows;
    out.columns = form.cols;
    out.dimensions = form.dims == Dims::Two ? 2 : form.dims == Dims::Three ? 3 : 0;
    if (form.dims == Dims::Vector) {
        out.shape = "vector";
    } else {
        const std::string cols = form.cols != Any ? std::to_string(form.cols) : "N";
        const std::string rows = form.rows != Any ? std::to_string(form.rows) : form.cols == Any ? "M" : "N";
        out.shape = rows + "x" + cols + (form.dims == Dims::Three ? "x3" : "");
    }
    out.classes = catalog::classNames(form.classes);
    out.sparseRefused = form.sparseCheck;
    out.complexRefused = form.complexCheck;
    out.rule = form.ruleWords ? form.ruleWords : "";
    // In the order the checks run (see arrays/validation.h).
    auto add = [&out](const Failure& f) { out.identifiers.emplace_back(f.id); };
    add(form.shape);
    if (form.rows != Any)
        add(form.rowCount);
    if (form.cols != Any)
        add(form.columnCount);
    if (form.dims == Dims::Three)
        add(form.thirdDimension);
    if (form.sparseCheck)
        add(form.sparse);
    if (form.complexCheck)
        add(form.complex);
    add(form.elementClass);
    const std::pair<ElementFault, const Failure*> faults[] = {
        {ElementFault::Range, &form.range}, {ElementFault::NaN, &form.nan},
        {ElementFault::Inf, &form.inf}, {ElementFault::Zero, &form.minimum}};
    for (const auto& [fault, failure] : faults)
        if (form.ruleFaults & faultBit(fault))
            add(*failure);
    return out;
}

std::string inWords(const catalog::ArrayForm& form)
{
    std::string words = form.shape;
    for (std::size_t i = 0; i < form.classes.size(); ++i)
        words += (i ? "|" : " ") + form.classes[i];
    if (!form.rule.empty())
        words += ", " + form.rule;
    return words;
}

} // namespace datatypes
