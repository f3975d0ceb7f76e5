// The C++ type of each element class of host arrays, and the one visitor that
// turns a class number read at run time into that type at compile time: code
// that treats elements of every class alike is written once, as a generic
// callable, instead of as a switch per place.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "qx/qx.h"

namespace qx {

// What the visitor hands the callable: the class number and the type of its
// elements, both known at compile time. Classes whose elements are no plain
// C value (cell, struct, function handle, object, unknown) have `void`.
template <qxClassID Class, class T>
struct ElementClass {
    static constexpr qxClassID id = Class;
    using type = T;
};

// Every class with elements of a plain C type: X(class number, element type).
// Logical elements are bytes and char elements UTF-16 code units, so the
// callable tells them from uint8 and uint16 by `id`.
#define QX_ELEMENT_CLASSES(X)                                                                                 \
    X(qxDOUBLE_CLASS, double)                                                                                 \
    X(qxSINGLE_CLASS, float)                                                                                  \
    X(qxINT8_CLASS, std::int8_t)                                                                              \
    X(qxUINT8_CLASS, std::uint8_t)                                                                            \
    X(qxINT16_CLASS, std::int16_t)                                                                            \
    X(qxUINT16_CLASS, std::uint16_t)                                                                          \
    X(qxINT32_CLASS, std::int32_t)                                                                            \
    X(qxUINT32_CLASS, std::uint32_t)                                                                          \
    X(qxINT64_CLASS, std::int64_t)                                                                            \
    X(qxUINT64_CLASS, std::uint64_t)                                                                          \
    X(qxLOGICAL_CLASS, qxLogical)                                                                             \
    X(qxCHAR_CLASS, qxChar)

// Calls f(ElementClass<cls, T>{}) and returns what it returns. Every branch is
// instantiated, so f must compile for each element type (`if constexpr` on
// the type or on `id` picks what applies).
template <class F>
constexpr decltype(auto) visitElementClass(qxClassID cls, F&& f)
{
    switch (cls) {
#define QX_VISIT_ELEMENT_CLASS(C, T)                                                                          \
    case C: return std::forward<F>(f)(ElementClass<C, T>{});
        QX_ELEMENT_CLASSES(QX_VISIT_ELEMENT_CLASS)
#undef QX_VISIT_ELEMENT_CLASS
    case qxCELL_CLASS: return std::forward<F>(f)(ElementClass<qxCELL_CLASS, void>{});
    case qxSTRUCT_CLASS: return std::forward<F>(f)(ElementClass<qxSTRUCT_CLASS, void>{});
    default: return std::forward<F>(f)(ElementClass<qxUNKNOWN_CLASS, void>{});
    }
}

// The element type of a visited class, for `using T = ElementOf<decltype(e)>;`.
template <class E>
using ElementOf = typename std::remove_cvref_t<E>::type;

} // namespace qx
