#pragma once

#include "frame/message.h"

namespace datatypes::msg {
#define VX_MESSAGE VX_MESSAGE_CONSTANT
#include "filters/messages.def"
#undef VX_MESSAGE
} // namespace datatypes::msg
