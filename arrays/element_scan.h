// Element scans of the validator kit: an executor per rule, dispatched on the
// array's class, whose loops the compiler vectorises. Elements are judged a
// block at a time without branches (rules.h); only a block holding a fault is
// walked again to find the first faulty element and the check it fails.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "arrays/rules.h"
#include "arrays/validation.h"
#include "frame/dispatch.h"

namespace datatypes {

// The check the first faulty element of d[0, n) fails, or None: blocks are
// judged without branches, and only the first block holding a fault is
// walked element by element.
template <class Rule, class T>
ElementFault firstFault(const T* d, qxSize n)
{
    const qxSize start = rule::firstBlockWith<rule::FlagOf<T>>(0, n, [d](qxSize i) { return Rule::faulty(d[i]); });
    for (qxSize i = start, end = rule::blockEnd(0, start, n, sizeof(T)); i < end; ++i)
        if (const ElementFault f = Rule::fault(d[i]); f != ElementFault::None)
            return f;
    return ElementFault::None;
}

// Applies Rule to the elements of the array it is dispatched on. A sparse
// array is judged on its stored elements and, when it has unstored ones, on a
// zero standing for them; whole-array rules refuse sparse input outright.
template <class Rule>
struct ValidateExecutor {
    const ElementView& view;
    ElementFault fault = ElementFault::Predicate;

    template <class Traits>
    void execute(const Traits&, const qxArray*)
    {
        using T = typename Traits::element_type;
        const T* d = static_cast<const T*>(view.data);
        if constexpr (Rule::elementwise) {
            fault = firstFault<Rule>(d, view.stored);
            if (fault == ElementFault::None && view.stored < view.total)
                fault = Rule::fault(T(0));
        } else {
            fault = !view.sparse && Rule::holds(d, view.total) ? ElementFault::None : ElementFault::Predicate;
        }
    }
    void onError(qxClassID) { fault = ElementFault::Predicate; }
};

using ValidateExecutor_PatchFaces = ValidateExecutor<rule::FaceIndex>;
using ValidateExecutor_RowVector = ValidateExecutor<rule::FiniteOrIntegral>;
using ValidateExecutor_ColumnVector = ValidateExecutor<rule::FiniteOrIntegral>;
using ValidateExecutor_ScalarValue = ValidateExecutor<rule::FiniteOrIntegral>;

} // namespace datatypes
