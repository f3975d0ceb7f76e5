// Executors of array class dispatch used by the shared array value: element
// loops compiled once per element type.
#pragma once

#include <algorithm>
#include <ostream>
#include <type_traits>

#include "arrays/rules.h"
#include "frame/dispatch.h"
#include "frame/errors.h"

namespace datatypes {

// Marks two arrays different unless they have the same dimension count, rows,
// columns and class, at most `limit` elements, and equal real elements
// (ordered equality: a NaN equals nothing). Dispatched on the other array.
struct CompareExecutor {
    const qxArray* mine;
    bool& different;
    unsigned long limit;

    template <class Traits>
    void execute(const Traits&, const qxArray* other)
    {
        if (qxGetNumberOfDimensions(mine) != qxGetNumberOfDimensions(other) || qxGetM(mine) != qxGetM(other) ||
            qxGetN(mine) != qxGetN(other) || qxGetClassID(mine) != Traits::classID ||
            qxGetNumberOfElements(other) > limit) {
            different = true;
            return;
        }
        different = !equalElements(Traits::data(mine), Traits::data(other), qxGetNumberOfElements(other));
    }
    void onError(qxClassID) {}

    // Blockwise: each block is compared without branches, and the first block
    // holding a difference ends the comparison.
    template <class T>
    static bool equalElements(const T* a, const T* b, qxSize n)
    {
        constexpr qxSize block = 256;
        for (qxSize start = 0; start < n; start += block) {
            const qxSize end = std::min(n, start + block);
            using Flag = rule::FlagOf<T>;
            Flag differs = 0;
            for (qxSize i = start; i < end; ++i)
                differs = !(a[i] == b[i]) ? Flag(1) : differs;
            if (differs != Flag(0))
                return false;
        }
        return true;
    }
};

// Writes the elements, in storage order, each after one blank. 8-bit integers
// are written as numbers. Classes outside the ten numeric ones cannot occur.
struct PrintExecutor {
    std::ostream& out;

    template <class Traits>
    void execute(const Traits&, const qxArray* a)
    {
        const auto* d = Traits::data(a);
        for (qxSize i = 0, n = qxGetNumberOfElements(a); i < n; ++i)
            out << ' ' << +d[i];
    }
    [[noreturn]] void onError(qxClassID) { throw GenericException(); }
};

} // namespace datatypes
