// Reading numeric host arrays of every element class through one mechanism: an
// executor says what to do with elements of a known type; the dispatcher,
// instantiated for a list of classes, finds the array's class once and calls
// the executor with the matching element traits. Element loops are thus
// compiled per element type and never test the class per element.
#pragma once

#include <cstdint>
#include <type_traits>

#include "gui_objects/gui_objects.h"
#include "qx/element_class.h"
#include "qx/qx.h"

namespace vx {

// Element traits of a host class number.
template <int N>
struct MatrixTraits;

// One per element class of the host's list (qx/element_class.h).
#define VX_MATRIX_TRAITS(N, T)                                                                                \
    template <>                                                                                               \
    struct MatrixTraits<N> {                                                                                  \
        using element_type = T;                                                                               \
        static constexpr qxClassID classID = N;                                                               \
        static const element_type* data(const qxArray* a) { return static_cast<const T*>(qxGetData(a)); }   \
    };
QX_ELEMENT_CLASSES(VX_MATRIX_TRAITS)
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
