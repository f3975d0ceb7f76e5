// What a statement answers, as JSON: an ordered JSON document (objects keep
// their keys in the order they were set; setting a key again keeps its place)
// written as one line (dump) or shown readably (display.h).
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vxhost::json {

using Value = nlohmann::ordered_json;

// A finite double as a number; NaN and the infinities as the strings "NaN",
// "Inf" and "-Inf", which JSON has no numbers for.
Value number(double d);
// A single precision value as the double its shortest text reads back as, so
// that it is written as short as the single it is ("0.1", not 0.100000001...).
Value number(float f);

// The written form of a scalar: a number as dump writes it, a string's own
// text (unquoted), "true" or "false", "null".
std::string text(const Value& v);

// One line of JSON, as every answer is written (Value::dump would write
// doubles as "10.0" and refuse unpaired surrogates). Numbers with a fraction or an exponent are written in
// their shortest round-trip form ("1e+05", "0.1", "-0"), integers exactly.
// In strings, quotes, backslashes and controls are escaped (\n, \t and \r
// short, the others as \u escapes, DEL included); UTF-8 passes through; an
// unpaired UTF-16 surrogate (kept as its 3-byte form) is written as a \u
// escape; a byte that is not UTF-8 becomes the \u escape of its own value.
std::string dump(const Value& v);
void dump(const Value& v, std::string& out);
// Appends `s` as a quoted JSON string, as dump writes strings.
void appendQuoted(std::string& out, std::string_view s);

} // namespace vxhost::json
