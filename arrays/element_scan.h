// Element scans of the validator kit: an executor per rule, dispatched on the
// array's class, whose loops the compiler vectorises. Elements are judged a
// block at a time without branches; only a block holding a fault is walked
// again to find the first faulty element and the check it fails.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "arrays/rules.h"
#include "frame/dispatch.h"

namespace datatypes {

// Elements an array actually stores: all of them, or a sparse array's
// non-zeros (never more than its allocated capacity).
inline qxSize storedElements(const qxArray* a)
{
    if (!qxGetData(a))
        return 0;
    if (!qxIsSparse(a))
        return qxGetNumberOfElements(a);
    const qxSize* jc = qxGetJc(a);
    return jc ? std::min(jc[qxGetN(a)], qxGetNzmax(a)) : 0;
}

// Whether pred holds for an element of d[begin, end), without branches.
template <class T, class Pred>
inline bool anyElement(const T* d, qxSize begin, qxSize end, Pred pred)
{
    using Flag = rule::FlagOf<T>;
    Flag seen = 0;
    for (qxSize i = begin; i < end; ++i)
        seen = pred(d[i]) ? Flag(1) : seen;
    return seen != Flag(0);
}

template <class Rule, class T>
ElementFault firstFault(const T* d, qxSize n)
{
    constexpr qxSize block = 1024;
    for (qxSize start = 0; start < n; start += block) {
        const qxSize end = std::min(n, start + block);
        if (anyElement(d, start, end, [](T x) { return Rule::faulty(x); }))
            for (qxSize i = start; i < end; ++i)
                if (const ElementFault f = Rule::fault(d[i]); f != ElementFault::None)
                    return f;
    }
    return ElementFault::None;
}

// Applies Rule to the elements of the array it is dispatched on. A sparse
// array is judged on its stored elements and, when it has unstored ones, on a
// zero standing for them; whole-array rules refuse sparse input outright.
template <class Rule>
struct ValidateExecutor {
    ElementFault fault = ElementFault::Predicate;

    template <class Traits>
    void execute(const Traits&, const qxArray* a)
    {
        using T = typename Traits::element_type;
        const T* d = Traits::data(a);
        const qxSize total = qxGetNumberOfElements(a);
        const qxSize stored = storedElements(a);
        if constexpr (Rule::elementwise) {
            fault = firstFault<Rule>(d, stored);
            if (fault == ElementFault::None && stored < total)
                fault = Rule::fault(T(0));
        } else {
            fault = !qxIsSparse(a) && Rule::holds(d, total) ? ElementFault::None : ElementFault::Predicate;
        }
    }
    void onError(qxClassID) { fault = ElementFault::Predicate; }
};

using ValidateExecutor_PatchFaces = ValidateExecutor<rule::FaceIndex>;
using ValidateExecutor_RowVector = ValidateExecutor<rule::FiniteOrIntegral>;
using ValidateExecutor_ColumnVector = ValidateExecutor<rule::FiniteOrIntegral>;
using ValidateExecutor_ScalarValue = ValidateExecutor<rule::FiniteOrIntegral>;

} // namespace datatypes
