// The console's message catalog (messages.def) and the call that raises one.
#pragma once

#include <type_traits>

#include "qx/qx.h"

namespace vxhost {

struct Message {
    const char* id;
    const char* text;
};

namespace msg {
#define VXHOST_MESSAGE(Name, id, text) inline constexpr Message Name{id, text};
#include "messages.def"
#undef VXHOST_MESSAGE
} // namespace msg

// Raises the host error of a message; arguments fill the text's % fields.
template <class... A>
[[noreturn]] void fail(const Message& m, A... args)
{
    static_assert(((std::is_arithmetic_v<A> || std::is_same_v<A, const char*> || std::is_same_v<A, char*>) && ...),
                  "message arguments are numbers or C strings");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    qxErrMsgIdAndTxt(m.id, m.text, args...);
#pragma GCC diagnostic pop
}

} // namespace vxhost
