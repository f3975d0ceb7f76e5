// Text position: a 2-D or 3-D coordinate given as a row or a column, of any
// numeric or logical class, or nothing at all.
#pragma once

#include "arrays/array_property.h"

namespace datatypes {
VX_DECLARE_ARRAY_TYPE(TextPosition, "[0 0 0]", qxDOUBLE_CLASS, Accepted, AsGiven, form::TextPositionRow2,
                      form::TextPositionRow3, form::TextPositionColumn2, form::TextPositionColumn3)
} // namespace datatypes
