// Operations of the host array library on whole arrays, the way a
// numeric-computing user writes them: class conversion, concatenation along
// any dimension, reshaping, sparse and complex forms, filled arrays, cells and
// structs, sizes, indexing and indexed assignment.
//
// Every function that builds an array returns a new one owned by the caller. Input an operation cannot build from is refused with an
// ArrayError naming the fault and what it concerns; the caller words the
// message. Nothing half-built survives a refusal.
#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qx/qx.h"

namespace qx {

using Dims = std::vector<qxSize>;

// Owner of a host array: destroys it with qxDestroyArray.
struct ArrayDeleter {
    void operator()(qxArray* a) const noexcept { qxDestroyArray(a); }
};
using ArrayPtr = std::unique_ptr<qxArray, ArrayDeleter>;

// Larger arrays are refused (TooLarge) before anything is allocated. A host
// with less memory to give (a fuzzing run, which runs thousands of inputs a
// second) may lower it before its first operation.
inline qxSize maxElements = qxSize(1) << 24;
// A sparse array stores only its non-zero elements (at most maxElements), but
// keeps one column start per column: it may have fewer columns than this.
inline constexpr qxSize maxSparseColumns = qxSize(1) << 27;

// Why an operation refused its input, with what the fault concerns:
//   TooLarge           counts[0]: the limit
//   ClassMismatch      texts: what the array is ("char", "sparse", "complex numeric"), what it cannot become
//   BadArgument        texts: the operation ("reshape"), why ("the number of elements must not change")
//   IndexBeyond        counts: the position (from 1), the number of elements
//   IndexBeyondDim     counts: the position (from 1), the subscript's place (from 1), its extent
//   IndexClass         texts[0]: the class that cannot be indexed
//   AssignmentCount    counts: the elements given, the positions selected
//   NotStruct          texts[0]: the field
// The others carry nothing.
#define QX_ARRAY_FAULTS(X)                                                                                        \
    X(TooLarge) X(ClassMismatch) X(NaNToLogical) X(DimensionMismatch) X(FieldMismatch) X(BadArgument)             \
    X(IndexBeyond) X(IndexBeyondDim) X(IndexClass) X(IndexGrow) X(AssignmentCount) X(NotCell) X(OneCell)          \
    X(NotStruct) X(NoIndex)

enum class ArrayFault {
#define QX_FAULT_ENUMERATOR(name) name,
    QX_ARRAY_FAULTS(QX_FAULT_ENUMERATOR)
#undef QX_FAULT_ENUMERATOR
};

// The fault's name ("ClassMismatch").
const char* faultName(ArrayFault fault);

class ArrayError : public std::exception {
public:
    ArrayError(ArrayFault fault, std::string first, std::string second = {});
    ArrayError(ArrayFault fault, qxSize first = 0, qxSize second = 0, qxSize third = 0);
    ArrayFault fault() const { return fault_; }
    const std::string& text(int i) const { return texts_[i]; }
    qxSize count(int i) const { return counts_[i]; }
    // The fault's name and what it concerns, for logs; callers show their own words.
    const char* what() const noexcept override { return what_.c_str(); }

private:
    ArrayFault fault_;
    std::string texts_[2];
    qxSize counts_[3] = {};
    std::string what_;
};

// ---- classes and elements ---------------------------------------------------

// The element classes (numeric, char, logical) by name: "double", "int8", ...
std::optional<qxClassID> elementClassNamed(std::string_view name);
bool hasElements(qxClassID cls);
bool isNumericClass(qxClassID cls);
bool isIntegerClass(qxClassID cls);

// The number of elements of an array of these dimensions (TooLarge beyond maxElements).
qxSize checkedCount(const Dims& dims);
Dims dimsOf(const qxArray* a);

// Element i of an element-class array, exactly (64-bit integers included).
long double readElement(qxClassID cls, const void* data, qxSize i);
// Stores v as the class holds it: integers round half away from zero and
// saturate (NaN gives 0), single beyond its range is infinite, char is a
// 16-bit code, logical is v != 0.
void writeElement(qxClassID cls, void* data, qxSize i, long double v);

// ---- making arrays ----------------------------------------------------------

// A full copy of `a` in class `target` (the imaginary part is kept; a sparse
// array stays sparse). NaN to logical, complex to char or logical, sparse to
// other classes than double and logical, and cells or structs are refused.
ArrayPtr convertClass(const qxArray* a, qxClassID target);
// Every element equal to `value` (zeros, ones, NaN, true, ...).
ArrayPtr filledArray(const Dims& dims, qxClassID cls, long double value);
// Cells of empty 0x0 double arrays.
ArrayPtr emptyCellArray(const Dims& dims);
// A 1x1 cell that takes over `a`.
ArrayPtr cellOf(ArrayPtr a);
// An all-zero m-by-n sparse double array: it stores nothing, however large.
ArrayPtr sparseZeros(qxSize m, qxSize n);
// Sparse form of a full 2-D double or logical array.
ArrayPtr sparseOf(const qxArray* a);
// Complex array of real parts `re` and imaginary parts `im` (either may be a
// scalar that is repeated); the imaginary part is kept even when all zero.
ArrayPtr complexOf(const qxArray* re, const qxArray* im);
// -a, elementwise (char and logical become double; integers saturate).
ArrayPtr negate(const qxArray* a);
// struct('name', value, ...): a cell value that is not 1x1 spreads over a
// struct array of its dimensions; other values are repeated in every element.
// Field names begin with a letter and hold letters, digits and underscores.
ArrayPtr structOf(const std::vector<std::string_view>& names, const std::vector<const qxArray*>& values);

// ---- joining and shaping ----------------------------------------------------

// Joins arrays along dimension `dim` (1 rows, 2 columns, ...). The class is
// the one that holds them all (char over integer over single over double over
// logical; cells take non-cells as 1x1 cells; structs need equal field names);
// 0x0 arrays only lend their class. Sparse parts make a sparse result where
// the class allows it; a complex part makes it complex.
ArrayPtr concatenate(qxSize dim, const std::vector<const qxArray*>& parts);
// Same elements, new dimensions (their product must not change).
ArrayPtr reshape(const qxArray* a, const Dims& dims);
// The transpose of a 2-D array (element classes, cells, structs).
ArrayPtr transposeOf(const qxArray* a);

// ---- sizes ------------------------------------------------------------------

// The number of elements, as a double scalar.
ArrayPtr numelOf(const qxArray* a);
// The dimensions as a 1xN double row.
ArrayPtr sizeOf(const qxArray* a);
// The extent along dimension `dim` (from 1; 1 beyond the last) as a double scalar.
ArrayPtr sizeAlong(const qxArray* a, qxSize dim);

// ---- indexing ---------------------------------------------------------------

// One subscript of an index: every position of its dimension (':'), or the
// listed positions (from 0). `column` records that it was written as a column,
// which shapes what a linear index of a matrix gives.
struct Subscript {
    bool all = false;
    std::vector<qxSize> at;
    bool column = false;
};

// The extent a position `end` stands for: along subscript `k` of `count`.
qxSize endOf(const qxArray* a, std::size_t k, std::size_t count);
// The elements (or cells, or struct elements) `subs` select: a(i), a(i, j, ...).
ArrayPtr indexArray(const qxArray* a, const std::vector<Subscript>& subs);
// `a` with the selected positions replaced by `value` (one element of it
// repeated when it has one); the array grows, filled with zeros (or empty
// cells), when a position lies beyond it. A null `a` is an empty array of the
// value's class. The value takes the class of `a`.
ArrayPtr assignIndexed(const qxArray* a, const std::vector<Subscript>& subs, const qxArray* value);
// A copy of cell array `c` (null: a new one) with the one cell at `subs`
// holding a shared copy of `value`; grows like assignIndexed.
ArrayPtr assignCell(const qxArray* c, const std::vector<Subscript>& subs, const qxArray* value);
// A copy of the 1x1 struct `s` (null or []: a new one) with field `name` set.
ArrayPtr assignField(const qxArray* s, const std::string& name, const qxArray* value);

} // namespace qx
