// The enumerated property types and the name tables of the library, generated
// from enums/catalog.def. For a type T (AutoManual, Units, MarkerStyle, ...):
//
//   datatypes::T                 value: T::value enumerators (T::kAuto, ...),
//                                predicates (isAuto(), ...), getIntValue()
//   datatypes::TStyle            name table; TStyle::getInstance()
//   datatypes::TDataType         data type; TDataType::getType()
//   datatypes::TSC, TMC, TJC     text, host array and Java converters
//
// and the name tables ColorStyle, MeshAlphaStyle and MeshColorStyle, with
// their enumerators (ColorStyle::kNone, ...) and getInstance().
#pragma once

#include "enums/enum_pattern.h"

namespace datatypes {
#define VX_ENUM_TYPE(T, NAMES) VX_ENUM_TYPE_CLASSES(T, NAMES)
#define VX_NAME_TABLE(Table, NAMES) VX_ENUM_NAME_TABLE_CLASS(Table, NAMES)
#include "enums/catalog.def"
} // namespace datatypes

// Registration: init_datatypes_TDataType() records the callback (it runs while
// the library loads); the callback registers the type and its converters.
#define VX_ENUM_TYPE(T, NAMES)                                                                            \
    VX_API bool init_datatypes_##T##DataType();                                                           \
    VX_API void init_datatypes_##T##DataType_callback();
#include "enums/catalog.def"
