#include "arrays/array_types.h"

#define VX_ARRAY_TYPE(T, ...) VX_REGISTER_ARRAY_TYPE(T)
#include "arrays/types.def"
#undef VX_ARRAY_TYPE
