// Messages the library raises: an identifier and a printf-style text, kept in
// per-subsystem catalogs (messages.def files) and referred to by name.
#pragma once

#include "qx/qx.h"

namespace datatypes {

struct Message {
    const char* id;
    const char* text;
};

// Raises the host error for `m`, its text formatted with `args`. Does not return.
template <class... Args>
[[noreturn]] void raise(const Message& m, Args... args)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    qxErrMsgIdAndTxt(m.id, m.text, args...);
#pragma GCC diagnostic pop
}

} // namespace datatypes

// Expands a catalog into named constants: VX_MESSAGE(Name, "id", "text").
#define VX_MESSAGE_CONSTANT(name, id, text) inline constexpr ::datatypes::Message name{id, text};
