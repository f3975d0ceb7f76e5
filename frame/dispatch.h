// Reading numeric host arrays of every element class through one mechanism: an
// executor says what to do with elements of a known type; the dispatcher,
// instantiated for a list of classes, finds the array's class once and calls
// the executor with the matching element traits. Element loops are thus
// compiled per element type and never test the class per element.
#pragma once

#include <cstdint>
#include <type_traits>

#include "gui_objects/gui_objects.h"
#include "qx/qx.h"

namespace vx {

// Element traits of a host class number.
template <int N>
struct MatrixTraits;

#define VX_MATRIX_TRAITS(N, T)                                                                                \
    template <>                                                                                               \
    struct MatrixTraits<N> {                                                                                  \
        using element_type = T;                                                                               \
        static constexpr qxClassID classID = static_cast<qxClassID>(N);                                       \
        static const element_type* data(const qxArray* a) { return static_cast<const T*>(qxGetData(a)); }   \
    };
VX_MATRIX_TRAITS(3, std::uint8_t)
VX_MATRIX_TRAITS(6, double)
VX_MATRIX_TRAITS(7, float)
VX_MATRIX_TRAITS(8, std::int8_t)
VX_MATRIX_TRAITS(9, std::uint8_t)
VX_MATRIX_TRAITS(10, std::int16_t)
VX_MATRIX_TRAITS(11, std::uint16_t)
VX_MATRIX_TRAITS(12, std::int32_t)
VX_MATRIX_TRAITS(13, std::uint32_t)
VX_MATRIX_TRAITS(14, std::int64_t)
VX_MATRIX_TRAITS(15, std::uint64_t)
#undef VX_MATRIX_TRAITS

namespace TL {

struct NullType {};
template <class H, class T>
struct Typelist {
    using Head = H;
    using Tail = T;
};

// Typelist of the traits of the given class numbers, in the order given.
template <int... Ns>
struct MakeList;
template <>
struct MakeList<> {
    using type = NullType;
};
template <int N, int... Rest>
struct MakeList<N, Rest...> {
    using type = Typelist<MatrixTraits<N>, typename MakeList<Rest...>::type>;
};

// The class lists in use; double comes first wherever it is present.
using AllNumeric = MakeList<6, 7, 8, 9, 10, 11, 12, 13, 14, 15>::type;
using AllNumericAndLogical = MakeList<6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 3>::type;
using FloatingOnly = MakeList<6, 7>::type;
using IntegerOnly = MakeList<8, 9, 10, 11, 12, 13, 14, 15>::type;

namespace detail {
struct ArrayDispatcherBase {
    static qxClassID getClassID(const qxArray* a) { return gui_objects::getClassID(a); }
};
} // namespace detail

// Executor requirements: `template <class Traits> void execute(const Traits&,
// const qxArray*)` and `void onError(qxClassID)`.
template <class Executor, class List>
struct ArrayDispatcher : detail::ArrayDispatcherBase {
    static void dispatch(const qxArray* array, Executor& executor)
    {
        dispatchHelper(array, getClassID(array), executor);
    }
    static void dispatchHelper(const qxArray* array, qxClassID id, Executor& executor)
    {
        if constexpr (std::is_same_v<List, NullType>) {
            (void)array;
            executor.onError(id);
        } else {
            using Head = typename List::Head;
            if (id == Head::classID)
                executor.execute(Head(), array);
            else
                ArrayDispatcher<Executor, typename List::Tail>::dispatchHelper(array, id, executor);
        }
    }
};

} // namespace TL
} // namespace vx
