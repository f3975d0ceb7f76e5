// The catalog: what every registered property type accepts, read from the same
// tables that define its behaviour (the type list, the enumeration name tables,
// the array forms and their rules, the color name table, the record rules).
// Consoles, schemas and the generated reference read it; nothing in it is a
// second copy of a name, a form or a rule.
//
// Each type's data type describes its own family part (`describe`), which the
// registration records here; the catalog adds what the object system knows of
// the type (its value size, its converters, its default). Entries are built
// when asked for, so that names added to the color name table at run time show.
// Ask after KDInitialize_vxdatatypes: before it, only the list's part is known.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "frame/export.h"
#include "frame/type_list.h"

namespace datatypes::catalog {

// One name of an enumeration (or of the on/off boolean), in table order.
struct EnumName {
    std::string name;       // lower case, as the table holds it
    bool isDefault = false; // the name of the type's default value
};

// One accepted form of an array-valued type, in the order the type tries them.
struct ArrayForm {
    std::string prefix;    // what the form's identifiers are built from ("TwoValuesIncreasing")
    std::string shape;     // dimensions in words: "1x2", "Nx3", "1xN", "MxNx3", "vector"
    int dimensions = 2;    // 2 or 3; 0 for "a row or a column" (a vector of any length)
    unsigned rows = 0;     // required row count, 0 for any
    unsigned columns = 0;  // required column count (all dimensions after the first), 0 for any
    std::vector<std::string> classes; // accepted element classes ("double", "single", "uint8", "logical", ...)
    bool sparseRefused = false;       // sparse input is refused (otherwise judged on its stored elements)
    bool complexRefused = false;      // complex input is refused
    std::string rule;      // the rule on the values in words ("strictly increasing"); empty: the class decides
    // The identifiers this form's refusals carry, in the order its checks run
    // (dimensions, rows, columns, third dimension, sparse, complex, class or
    // rule, then the element checks the rule makes).
    std::vector<std::string> identifiers;
};

// One name of the color name table, with its color.
struct ColorName {
    std::string name;
    double red = 0, green = 0, blue = 0;
};

// Everything the catalog says about one type.
struct TypeEntry {
    // From the type list (frame/types.def).
    std::string name;      // the registered name ("Limits", "on/off")
    std::string key;       // the name in the type's C++ names ("OnOffBoolean")
    TypeFamily family = TypeFamily::Enumeration;
    std::string home;      // the source file or table that defines the type
    int position = 0;      // place in the registration order, from 0

    // From the object system, once the type is registered.
    bool registered = false;
    int valueBytes = 0;                  // what getValueSizeInBytes reports
    std::vector<std::string> converters; // foreign names with a conversion: "any", "string", "java", "double"
    // The default value: its text form where the type gives one for it, else
    // its array form in words ("1x1 struct", "double 1x2 [0 1]"); `defaultIsText`
    // says which.
    std::string defaultValue;
    bool defaultIsText = true;

    // Enumerations and the on/off boolean: names in table order, the default marked.
    std::vector<EnumName> names;
    std::string matching;  // how a text picks a name, in words (empty for other families)

    // Array-valued types: whether null and empty arrays are accepted before any
    // form is tried, and the forms in the order tried.
    bool emptyAccepted = false;
    std::vector<ArrayForm> forms;

    // Colors: the color name table (names added through ColorTable included).
    std::vector<ColorName> colors;

    // Every family: what the type accepts, one form per line in words
    // ("a 1x2 row of finite numbers", "a char row vector", "a color name or [r g b]").
    std::vector<std::string> accepts;
    // Identifiers of the type's refusals that are not a form's (enumerations'
    // bad names, records' bad shapes, colors' bad names...), in table order.
    std::vector<std::string> refusals;
};

// Every listed type in registration order.
VX_API std::vector<TypeEntry> types();
// The type registered as `name` (exact match), or false when there is none.
VX_API bool find(std::string_view name, TypeEntry& out);
// "enumeration", "on/off", "array", "record", "color", "string", "callback", "reference".
VX_API const char* familyName(TypeFamily family);

// ---- what registration records -------------------------------------------------

// A type's own part of its entry, filled from its own tables.
using Describer = void (*)(TypeEntry&);
// Records the describer of the type at `position` in the list (0 to
// listed::count - 1). Inside the library only, as is classNames.
void recordDescriber(int position, Describer describe);
// The same for the type registered as `name` (a listed name).
void recordDescriber(std::string_view name, Describer describe);

// Element class names for the bits of a class set (one bit per class id), in
// class-id order; used by every family that states accepted classes.
std::vector<std::string> classNames(unsigned classSet);

} // namespace datatypes::catalog
