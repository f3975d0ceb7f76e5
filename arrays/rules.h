// Element rules of the validator kit: what a form demands of the values of an
// array whose class it accepts. Each rule is written per element type and
// without branches per element, so that the scans compile to vector loops.
//
// Every rule has one shape (Shape below): whether it judges one element at a
// time, which element faults it can report, and the text of its range check.
// Elementwise rules judge one element at a time:
//   faulty(x)  whether x breaks the rule (cheap, branch-free, used in scans);
//   fault(x)   which element check x fails first: range, NaN, infinity, zero.
// Whole-array rules (counts, order) offer holds(data, count) instead.
// `Classes` lists the element classes a rule is compiled for; the form's own
// class set is checked before, so a class outside the list cannot reach it.
// A new rule is a struct here and a row of arrays/rules.def.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

#define VX_MESSAGES "arrays/messages.def"
#include "frame/messages.h"
#include "frame/dispatch.h"
#include "qx/qx.h"

namespace datatypes {

// The element check an array fails; Predicate for a whole-array rule.
enum class ElementFault : std::uint8_t { None, Range, NaN, Inf, Zero, Predicate };

constexpr unsigned faultBit(ElementFault f) { return 1u << unsigned(f); }

namespace rule {

// The shape of a rule: whether it judges elements one at a time (else the
// array as a whole), the element faults it can report (none: the class alone
// decides), and the text of its range check (null: it makes none).
template <bool Elementwise, unsigned Faults, const char* RangeText = nullptr>
struct Shape {
    static constexpr bool inspectsElements = Faults != 0;
    static constexpr bool elementwise = Elementwise;
    static constexpr unsigned faults = Faults;
    static constexpr const char* rangeText = RangeText;
};
inline constexpr unsigned predicateFault = faultBit(ElementFault::Predicate);

template <class T>
constexpr bool isFloating = std::is_floating_point_v<T>;

// Scans gather "seen" flags with a select into a flag of the element's own
// type (a double for doubles, an unsigned integer of the same width for
// integers): the form of reduction the compiler vectorises with the base
// instruction set, where comparison masks cannot be narrowed cheaply.
template <class T>
using FlagOf =
    typename std::conditional_t<std::is_floating_point_v<T>, std::type_identity<T>, std::make_unsigned<T>>::type;

// ---- scanning many elements ----------------------------------------------------------

// Elements are judged in blocks, so that a scan stops soon after the first
// bad element however long the array. A block is read as `streams` adjacent
// runs side by side, each gathering its own flag, so that the vector units
// never wait on a single running flag. A run is one page of elements (4 KiB):
// the processor's prefetcher follows one ascending stream per page, so runs
// that shared a page would read at memory's pace only in part. The first block
// is short, so that a refusal near the start costs next to nothing.
inline constexpr std::size_t streams = 4;
inline constexpr std::size_t runBytes = 4096;
inline constexpr std::size_t firstBlock = 256;
// Elements of a full block of elements of `bytes` bytes.
constexpr std::size_t blockOf(std::size_t bytes) { return streams * runBytes / bytes; }

// Whether bad(i) holds for some i in [begin, end), without branches per element.
template <class Flag, class Bad>
inline bool anyIn(std::size_t begin, std::size_t end, Bad bad)
{
    const std::size_t run = (end - begin) / streams;
    const std::size_t b0 = begin, b1 = b0 + run, b2 = b1 + run, b3 = b2 + run;
    Flag f0 = 0, f1 = 0, f2 = 0, f3 = 0;
    for (std::size_t i = 0; i < run; ++i) {
        f0 = bad(b0 + i) ? Flag(1) : f0;
        f1 = bad(b1 + i) ? Flag(1) : f1;
        f2 = bad(b2 + i) ? Flag(1) : f2;
        f3 = bad(b3 + i) ? Flag(1) : f3;
    }
    for (std::size_t i = b3 + run; i < end; ++i)
        f0 = bad(i) ? Flag(1) : f0;
    return ((f0 != Flag(0)) | (f1 != Flag(0))) | ((f2 != Flag(0)) | (f3 != Flag(0)));
}

// The end of the block of [begin, end) that starts at `start`, for elements
// of `bytes` bytes.
inline std::size_t blockEnd(std::size_t begin, std::size_t start, std::size_t end, std::size_t bytes)
{
    const std::size_t length = start == begin ? firstBlock : blockOf(bytes);
    return end - start < length ? end : start + length;
}

// The start of the first block of [begin, end) in which bad(i) holds for
// some i; `end` when it holds for none. Flag has the width of the elements.
template <class Flag, class Bad>
inline std::size_t firstBlockWith(std::size_t begin, std::size_t end, Bad bad)
{
    for (std::size_t start = begin; start < end;) {
        const std::size_t stop = blockEnd(begin, start, end, sizeof(Flag));
        if (anyIn<Flag>(start, stop, bad))
            return start;
        start = stop;
    }
    return end;
}

template <class T>
inline bool isNaN(T x)
{
    return x != x;
}
template <class T>
inline bool isInf(T x)
{
    if constexpr (isFloating<T>)
        return std::fabs(x) == std::numeric_limits<T>::infinity();
    else
        return false;
}
// Neither NaN nor infinite.
template <class T>
inline bool isFinite(T x)
{
    if constexpr (isFloating<T>)
        return std::fabs(x) <= std::numeric_limits<T>::max();
    else
        return true;
}

// ---- no element looked at --------------------------------------------------------

// The class is all that matters.
struct ClassOnly : Shape<true, 0> {};

// ---- element checks of the strict forms (range, then NaN, then infinity) --------------

// Neither NaN nor infinite.
struct Finite : Shape<true, faultBit(ElementFault::NaN) | faultBit(ElementFault::Inf)> {
    using Classes = vx::TL::FloatingOnly;
    template <class T>
    static bool faulty(T x) { return !isFinite(x); }
    template <class T>
    static ElementFault fault(T x)
    {
        return isNaN(x) ? ElementFault::NaN : isInf(x) ? ElementFault::Inf : ElementFault::None;
    }
};

// Within [Lo, Hi] (an infinite element is out of range), then not NaN.
template <int Lo, int Hi, const char* Text>
struct Range : Shape<true, faultBit(ElementFault::Range) | faultBit(ElementFault::NaN), Text> {
    using Classes = vx::TL::FloatingOnly;
    template <class T>
    static bool faulty(T x) { return !((x >= T(Lo)) & (x <= T(Hi))); }
    template <class T>
    static ElementFault fault(T x)
    {
        return ((x < T(Lo)) | (x > T(Hi))) ? ElementFault::Range : isNaN(x) ? ElementFault::NaN : ElementFault::None;
    }
};

using ZeroToOne = Range<0, 1, msg::OutsideZeroToOne>;
using MinusOneToOne = Range<-1, 1, msg::OutsideMinusOneToOne>;

// Every element non-zero.
struct NonZero : Shape<true, faultBit(ElementFault::Zero)> {
    using Classes = vx::TL::AllNumeric;
    template <class T>
    static bool faulty(T x) { return x == T(0); }
    template <class T>
    static ElementFault fault(T x) { return faulty(x) ? ElementFault::Zero : ElementFault::None; }
};

// ---- predicates of the class-and-predicate step ---------------------------------------

template <class Derived>
struct ElementPredicate : Shape<true, predicateFault> {
    template <class T>
    static ElementFault fault(T x) { return Derived::faulty(x) ? ElementFault::Predicate : ElementFault::None; }
};

// Within [0, 1], neither NaN nor infinite.
struct UnitInterval : ElementPredicate<UnitInterval> {
    using Classes = vx::TL::FloatingOnly;
    template <class T>
    static bool faulty(T x) { return !((x >= T(0)) & (x <= T(1))); }
};

// Floating elements neither NaN nor infinite; integer and logical ones any.
struct FiniteOrIntegral : ElementPredicate<FiniteOrIntegral> {
    using Classes = vx::TL::AllNumericAndLogical;
    template <class T>
    static bool faulty(T x) { return !isFinite(x); }
};

// Face indices: NaN or a whole number of at least 1 that a 32-bit integer
// holds (floating); at least 1 (signed); non-zero (unsigned).
struct FaceIndex : ElementPredicate<FaceIndex> {
    using Classes = vx::TL::AllNumeric;
    template <class T>
    static bool faulty(T x)
    {
        if constexpr (isFloating<T>) {
            // Within what a 32-bit integer holds, a value converts to an
            // integer and back unchanged exactly when rounding it to the
            // nearest integer leaves it unchanged; adding and removing 2^52
            // rounds (for values below 2^52) and, unlike the conversion,
            // vectorises with the base instruction set. A NaN (which the rule
            // allows) makes every comparison false, so it passes without a
            // test of its own.
            const double v = x;
            const double rounded = (v + 0x1p52) - 0x1p52;
            const int outside = int(v < 1.0) | int(v > 2147483647.0);
            const int fraction = int(rounded < v) | int(rounded > v);
            return (outside | fraction) != 0;
        } else if constexpr (std::is_signed_v<T>) {
            return x < T(1);
        } else {
            return x == T(0);
        }
    }
};

// Element count a multiple of 3 (0 included); every element NaN or in [0, 1].
struct NormalizedColors : Shape<false, predicateFault> {
    using Classes = vx::TL::FloatingOnly;
    template <class T>
    static bool holds(const T* d, std::size_t n)
    {
        if (n % 3 != 0 || (n && !d))
            return false;
        return firstBlockWith<FlagOf<T>>(0, n, [d](std::size_t i) { return (d[i] < T(0)) | (d[i] > T(1)); }) == n;
    }
};

// Two elements: no NaN, none infinite, second above first.
struct IncreasingLimits : Shape<false, predicateFault> {
    using Classes = vx::TL::FloatingOnly;
    template <class T>
    static bool holds(const T* d, std::size_t n)
    {
        if (n != 2 || !d)
            return false;
        const double lo = d[0], hi = d[1];
        return isFinite(lo) && isFinite(hi) && hi > lo;
    }
};

// Two elements: no NaN, not both infinite, second above first.
struct IncreasingLimitsWithInfs : Shape<false, predicateFault> {
    using Classes = vx::TL::FloatingOnly;
    template <class T>
    static bool holds(const T* d, std::size_t n)
    {
        if (n != 2 || !d)
            return false;
        const double lo = d[0], hi = d[1];
        return !(isInf(lo) && isInf(hi)) && hi > lo;
    }
};

// Two elements: no NaN, not both infinite, second not below first.
struct EqualOrIncreasing : Shape<false, predicateFault> {
    using Classes = vx::TL::FloatingOnly;
    template <class T>
    static bool holds(const T* d, std::size_t n)
    {
        if (n != 2 || !d)
            return false;
        const double lo = d[0], hi = d[1];
        return !(isInf(lo) && isInf(hi)) && hi >= lo;
    }
};

// Tick positions: strictly increasing, no NaN, no two adjacent infinities.
// Fewer than two elements always pass; no data never does.
struct StrictlyIncreasing : Shape<false, predicateFault> {
    using Classes = vx::TL::FloatingOnly;
    template <class T>
    static bool holds(const T* d, std::size_t n)
    {
        if (!d)
            return false;
        if (n < 2)
            return true;
        // In a run whose every pair is in order, -Inf can stand only first and
        // +Inf only last, so two adjacent infinities can only be the first
        // pair: the scan need only test the order.
        const bool infinitePair = d[0] == -std::numeric_limits<T>::infinity() &&
                                  d[1] == std::numeric_limits<T>::infinity();
        const auto outOfOrder = [d](std::size_t i) { return !(d[i - 1] < d[i]); };
        return !infinitePair && firstBlockWith<FlagOf<T>>(1, n, outOfOrder) == n;
    }
};

// What a rule asks, in words for users: the rule's row of arrays/rules.def.
// Null for a rule without a row (ClassOnly asks nothing of the elements).
template <class Rule>
inline constexpr const char* wordsOf = nullptr;
#define VX_RULE(Rule, Words)                                                                              \
    template <>                                                                                           \
    inline constexpr const char* wordsOf<Rule> = Words;
#include "arrays/rules.def"

} // namespace rule
} // namespace datatypes
