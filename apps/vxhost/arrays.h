// Building host arrays the way a numeric-computing user writes them: class
// conversion, concatenation along any dimension, reshaping, sparse and complex
// forms, cells and structs. Every function returns a new array owned by the
// caller and raises a host error (messages.def) for input it cannot build from;
// what it built before failing is released.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gui_objects/gui_objects.h"
#include "qx/qx.h"

namespace vxhost {

using gui_objects::QxArrayPtr;
using Dims = std::vector<qxSize>;

// Larger arrays are refused (vxhost:literal:TooLarge) before anything is allocated.
inline constexpr qxSize kMaxElements = qxSize(1) << 24;
// A sparse array stores only its non-zero elements (at most kMaxElements),
// but keeps one column start per column: it may have this many columns.
inline constexpr qxSize kMaxSparseColumns = qxSize(1) << 27;

// The element classes (numeric, char, logical) by name: "double", "int8", ...
std::optional<qxClassID> elementClassNamed(std::string_view name);
bool hasElements(qxClassID cls);
bool isNumeric(qxClassID cls);
bool isInteger(qxClassID cls);

// The number of elements of an array of these dimensions, refused beyond kMaxElements.
qxSize checkedCount(const Dims& dims);
Dims dimsOf(const qxArray* a);

// Element i of an element-class array, exactly (64-bit integers included).
long double readElement(qxClassID cls, const void* data, qxSize i);
// Stores v as the class holds it: integers round half away from zero and
// saturate (NaN gives 0), char as a 16-bit code, logical as v != 0.
void writeElement(qxClassID cls, void* data, qxSize i, long double v);

// A full copy of `a` in class `target` (the imaginary part is kept). NaN to
// logical, complex to char or logical, and cells or structs are refused.
QxArrayPtr convertClass(const qxArray* a, qxClassID target);
// Every element equal to `value`.
QxArrayPtr filledArray(const Dims& dims, qxClassID cls, long double value);
// Cells of empty 0x0 double arrays.
QxArrayPtr emptyCellArray(const Dims& dims);
// A 1x1 cell holding `a`.
QxArrayPtr cellOf(QxArrayPtr a);

// Joins arrays along dimension `dim` (1 rows, 2 columns, ...). The class is
// the one that holds them all (char over integer over single over double over
// logical; cells take non-cells as 1x1 cells; structs need equal field names);
// 0x0 arrays only lend their class. Sparse parts make a sparse result where
// the class allows it; a complex part makes it complex.
QxArrayPtr concatenate(qxSize dim, const std::vector<const qxArray*>& parts);
// Same elements, new dimensions (their product must not change).
QxArrayPtr reshape(const qxArray* a, const Dims& dims);
// Sparse form of a full 2-D double or logical array.
QxArrayPtr sparseOf(const qxArray* a);
// Complex array of real parts `re` and imaginary parts `im` (either may be a
// scalar that is repeated); the imaginary part is kept even when all zero.
QxArrayPtr complexOf(const qxArray* re, const qxArray* im);
// -a, elementwise (char and logical become double; integers saturate).
QxArrayPtr negate(const qxArray* a);
// struct('name', value, ...): a cell value that is not 1x1 spreads over a
// struct array of its dimensions; other values are repeated in every element.
QxArrayPtr structOf(const std::vector<std::string_view>& names, const std::vector<const qxArray*>& values);

} // namespace vxhost

namespace vxhost {

// One subscript of an index: every position of its dimension (':'), or the
// listed positions (from 0). `column` records that it was written as a column,
// which shapes what a linear index of a matrix gives.
struct Subscript {
    bool all = false;
    std::vector<qxSize> at;
    bool column = false;
};

// The elements (or cells, or struct elements) `subs` select: a(i), a(i, j, ...).
// Positions beyond the array raise vxhost:Index.
QxArrayPtr indexArray(const qxArray* a, const std::vector<Subscript>& subs);
// `a` with the selected positions replaced by `value` (one element of it
// repeated when it has one); the array grows, filled with zeros (or empty
// cells), when a position lies beyond it. A null `a` is an empty array of the
// value's class. The value takes the class of `a`, as the host converts it.
QxArrayPtr assignIndexed(const qxArray* a, const std::vector<Subscript>& subs, const qxArray* value);
// A copy of cell array `c` (null: a new one) with the cell at `subs` holding a
// shared copy of `value`; grows like assignIndexed.
QxArrayPtr assignCell(const qxArray* c, const std::vector<Subscript>& subs, const qxArray* value);
// A copy of the 1x1 struct `s` (null: a new one) with field `name` set.
QxArrayPtr assignField(const qxArray* s, const std::string& name, const qxArray* value);
// The size a position `end` stands for: along dimension `k` of `count` subscripts.
qxSize endOf(const qxArray* a, std::size_t k, std::size_t count);

} // namespace vxhost

namespace vxhost {
// The transpose of a 2-D array (element classes, cells, structs).
QxArrayPtr transposeOf(const qxArray* a);
} // namespace vxhost
