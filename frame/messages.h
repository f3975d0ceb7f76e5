// The one header through which a source file reads a message catalog. Each
// folder keeps its rows in its own messages.def, VX_MESSAGE(Name, "id",
// "text"); a file names the catalog it raises from, then includes this header,
// which expands the rows into constants datatypes::msg::Name:
//
//     #define VX_MESSAGES "arrays/messages.def"
//     #include "frame/messages.h"
//
// The header may be included again for another catalog. A catalog expands
// once per translation unit (its .def is marked #pragma once), so headers that
// read the same catalog can meet in one source file.
#include "frame/message.h"

#ifndef VX_MESSAGES
#error "name the catalog first: #define VX_MESSAGES \"FOLDER/messages.def\""
#endif

namespace datatypes::msg {
#define VX_MESSAGE VX_MESSAGE_CONSTANT
#define VX_CHECK_TEXT(name, text) inline constexpr char name[] = text;
#include VX_MESSAGES
#undef VX_CHECK_TEXT
#undef VX_MESSAGE
} // namespace datatypes::msg

#undef VX_MESSAGES
