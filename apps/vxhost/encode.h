// Host arrays as JSON:
//   {"class":"double","size":[1,2],"data":[0,10]}
// Data in storage (column-major) order; NaN and the infinities as the strings
// "NaN", "Inf", "-Inf"; logical data as true/false; 64-bit integers exactly.
// Complex arrays add "imag":[...] after "data"; sparse arrays add
// "sparse":true after "size" and give only their stored elements, with the
// row and column of each (from 1): "rows":[1,2],"columns":[1,2],"data":[5,6]. Char arrays
// give one string per row: {"class":"char","size":[2,2],"data":["ab","cd"]}
// (the columns of every page follow each other in a row). Cells list their
// elements: {"class":"cell","size":[1,2],"data":[ARRAY,ARRAY]}. A 1x1 struct
// maps its field names to their arrays in field order, "fields":{"a":ARRAY};
// a struct array of another size lists the names, "fields":["a"], and gives
// one such map per element, "data":[{"a":ARRAY},...]. No array is null.
#pragma once

#include <string>

#include "json.h"
#include "qx/ops.h"
#include "qx/qx.h"

namespace vxhost {

json::Value encodeArray(const qxArray* a);

// The array encodeArray wrote `v` for (class, size, data, imag, sparse rows
// and columns, fields), back; null when `v` is no such encoding, with `why`
// saying what is wrong. Object arrays and function handles have no encoding
// to read back.
qx::ArrayPtr decodeArray(const json::Value& v, std::string& why);

// Whether `v` is a host array as encodeArray writes it: an object whose first
// keys are "class" (a text) and "size" (a list), which no other answer begins with.
bool isHostArray(const json::Value& v);

// UTF-8 of 16-bit code units; an unpaired surrogate keeps its 3-byte form,
// which the JSON writer turns into a \u escape.
std::string utf8Of(const qxChar* units, qxSize n);

} // namespace vxhost
