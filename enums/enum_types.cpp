#include "enums/enum_types.h"

// Recorded in the order of the catalog, so the types register in that order.
#define VX_ENUM_TYPE(T, NAMES) VX_REGISTER_TYPE(T)
#include "enums/catalog.def"
