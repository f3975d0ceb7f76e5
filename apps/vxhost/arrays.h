// The host array operations (qx/ops.h) as the console calls them: what an
// operation refuses is raised as the console's own error (messages.def), with
// the identifier and text a user of the console reads.
#pragma once

#include <utility>

#include "qx/ops.h"

namespace vxhost {

using QxArrayPtr = qx::ArrayPtr;
using qx::Dims;
using qx::Subscript;

// Raises the console's error for a refusal of the array library.
[[noreturn]] void refuse(const qx::ArrayError& e);

// Calls an operation of qx/ops.h: arrayOp(qx::concatenate, 2, parts).
template <class R, class... P, class... A>
R arrayOp(R (*op)(P...), A&&... args)
{
    try {
        return op(std::forward<A>(args)...);
    } catch (const qx::ArrayError& e) {
        refuse(e);
    }
}

} // namespace vxhost
