#pragma once

#include "frame/message.h"

namespace datatypes::msg {
#define VX_MESSAGE VX_MESSAGE_CONSTANT
#define VX_CHECK_TEXT(name, text) inline constexpr char name[] = text;
#include "arrays/messages.def"
#undef VX_CHECK_TEXT
#undef VX_MESSAGE
} // namespace datatypes::msg
