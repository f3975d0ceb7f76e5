#include "geometry/text_position.h"

VX_REGISTER_ARRAY_TYPE(TextPosition)
