// Numeric handles of graphics objects: the conversion between "double" (the
// handles users hold) and "COSInterface" (the objects), and the bookkeeping of
// the handles it creates in the GUI-objects library's handle table.
//
// The root object ("ui.Root") gets handle 0 the first time it is exported; a
// figure whose "IntegerHandle" property is on gets the smallest free positive
// integer; every other object of a class deriving from "vx2utils.VXHandle" a
// non-integer handle. Objects of other classes have no handle (-1), unless the
// host's other object system ("gbtcos") converts them.
//
// A handle record holds one reference to its object, given back when
// nyro_destroy_handle destroys the handle. Like every conversion's `from`, the
// "double" to "COSInterface" conversion hands its caller one reference to the
// object it returns (adopt it with nyro::COSInterfacePtr::adopt).
#pragma once

#include "frame/export.h"
#include "nyro/object_model.h"

namespace datatypes {

// Registers the conversion between "double" and "COSInterface" (the module
// entry point calls it first; a second call keeps the first conversion).
void initDoubleConverters();

// Binds the integer handle `n` to `obj`: `n`, or -1 when `n` is taken or negative.
VX_API double assignFigureIntegerHandle(nyro::COSInterfacePtr obj, int n);

// Destroys the handle `h` and its record (nothing when `h` is not bound).
VX_API void nyro_destroy_handle(double h);

namespace test {
// On: remember every handle created from now on. Off: first destroy and unbind
// every remembered handle (when tracking was on), then stop remembering.
VX_API void enableDoubleHandleTracking(bool on);
} // namespace test

} // namespace datatypes
