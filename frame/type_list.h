// The list of every property type (frame/types.def) as constant data: its
// position in the list, its registered name, its family and the file that
// defines it. The module entry registers the types in the list's order.
#pragma once

#include <cstdint>
#include <string_view>

namespace datatypes {

// The kinds of property types, each with its own way of describing what it
// accepts (see frame/catalog.h).
enum class TypeFamily : std::uint8_t { Enumeration, OnOff, Array, Record, Color, String, Callback, Reference };

// Positions in the list: listed::Limits, listed::OnOffBoolean, ...
namespace listed {
enum Index : int {
#define VX_TYPE(T, Name, Family, Home) T,
#include "frame/types.def"
    count
};
} // namespace listed

struct ListedType {
    const char* key;     // T of the C++ names (TDataType, init_datatypes_TDataType)
    const char* name;    // the name it registers under
    TypeFamily family;
    const char* home;    // the source file or table that defines it
};

inline constexpr ListedType typeList[listed::count] = {
#define VX_TYPE(T, Name, Family, Home) {#T, Name, TypeFamily::Family, Home},
#include "frame/types.def"
};

// Position of the type registered as `name`, or -1.
constexpr int listedIndexOf(std::string_view name)
{
    for (int i = 0; i < listed::count; ++i)
        if (name == typeList[i].name)
            return i;
    return -1;
}

// Registration callbacks are recorded by static initializers of each type's
// source file; those run in link order, which follows the source files. Their
// priorities put them in the list's order instead (priorities up to 100 are
// the runtime's own).
inline constexpr int firstRecordingPriority = 1000;

} // namespace datatypes
