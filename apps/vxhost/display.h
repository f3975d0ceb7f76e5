// The readable display of statement results, for people at the prompt:
//
//   value:
//     array: char 1x2 'on'
//     text: "on"
//
// Host arrays (values marked by encodeArray) are shown as a class, a size and
// their elements: "double 2x2 [1 2; 3 4]", "char 2x2 ['ab'; 'cd']",
// "cell 1x2 {double 1x1 1, char 1x1 'a'}", "struct 1x1 {a: double 1x1 1}".
// Arrays of more than two dimensions list their elements in storage order.
#pragma once

#include <string>

#include "json.h"

namespace vxhost {

// One line for a host array encoded by encodeArray.
std::string showArray(const json::Value& array);

// The fields of a result object, one "key: value" line each (nested objects
// and lists of objects indented below their key); ends with a newline.
std::string showResult(const json::Value& result);

} // namespace vxhost
