// The array-valued property types of arrays/types.def: value classes with their
// validators (Limits::isTwoValuesIncreasing, ColorMap::isUINT8ColorMap, ...)
// and predicates (Limits::isIncreasing, NColorPtr::isNormalized, ...), data
// types and converters.
#pragma once

#include "arrays/array_property.h"

namespace datatypes {
#define VX_ARRAY_TYPE VX_DECLARE_ARRAY_TYPE
#include "arrays/types.def"
#undef VX_ARRAY_TYPE
} // namespace datatypes
