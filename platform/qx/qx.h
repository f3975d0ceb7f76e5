// Host array library: the host's array value (qxArray), its construction and
// inspection, array scope, shared-data copies and the host error mechanism.
//
// Numeric, char and logical arrays keep their elements in reference-counted
// buffers, so a shared-data copy shares the element storage of its source.
// Char arrays hold 16-bit code units, column-major, as the host does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ut/ut.h"

enum qxClassID : int {
    qxUNKNOWN_CLASS = 0,
    qxCELL_CLASS = 1,
    qxSTRUCT_CLASS = 2,
    qxLOGICAL_CLASS = 3,
    qxCHAR_CLASS = 4,
    qxVOID_CLASS = 5,
    qxDOUBLE_CLASS = 6,
    qxSINGLE_CLASS = 7,
    qxINT8_CLASS = 8,
    qxUINT8_CLASS = 9,
    qxINT16_CLASS = 10,
    qxUINT16_CLASS = 11,
    qxINT32_CLASS = 12,
    qxUINT32_CLASS = 13,
    qxINT64_CLASS = 14,
    qxUINT64_CLASS = 15,
    qxFUNCTION_CLASS = 16,
    qxOBJECT_CLASS = 17,
};

enum qxComplexity : int { qxREAL = 0, qxCOMPLEX = 1 };

using qxSize = std::size_t;
using qxChar = std::uint16_t;
using qxLogical = std::uint8_t;

struct qxArray;

namespace qx {
// What an object array holds. An array keeps one reference to each element it
// holds (taken when the element is stored or the array copied, given back when
// the element is replaced or the array destroyed); the element's owner decides
// what the last release does.
class SharedElement {
public:
    virtual void addReference() = 0;
    virtual void releaseReference() = 0;

protected:
    virtual ~SharedElement();
};
} // namespace qx

// ---- creation ---------------------------------------------------------------
qxArray* qxCreateDoubleMatrix(qxSize m, qxSize n, qxComplexity c);
qxArray* qxCreateDoubleScalar(double v);
qxArray* qxCreateNumericMatrix(qxSize m, qxSize n, qxClassID cls, qxComplexity c);
qxArray* qxCreateNumericArray(qxSize ndim, const qxSize* dims, qxClassID cls, qxComplexity c);
qxArray* qxCreateNumericMatrix_730(qxSize m, qxSize n, qxClassID cls, qxComplexity c);
qxArray* qxCreateNumericArray_730(qxSize ndim, const qxSize* dims, qxClassID cls, qxComplexity c);
qxArray* qxCreateLogicalMatrix(qxSize m, qxSize n);
qxArray* qxCreateLogicalArray(qxSize ndim, const qxSize* dims);
qxArray* qxCreateLogicalScalar(bool v);
// Text in UTF-8 becomes a 1xN char array of UTF-16 code units.
qxArray* qxCreateString(const char* utf8);
qxArray* qxCreateString_UTF16(const qxChar* text);
qxArray* qxCreateString_UTF16n(const qxChar* text, qxSize n);
qxArray* qxCreateCharArray(qxSize ndim, const qxSize* dims);
// An m-row char matrix, one row per string, short rows padded with NUL.
qxArray* qxCreateCharMatrixFromStrings(qxSize m, const char** strings);
qxArray* qxCreateCellMatrix(qxSize m, qxSize n);
qxArray* qxCreateCellArray(qxSize ndim, const qxSize* dims);
qxArray* qxCreateStructMatrix(qxSize m, qxSize n, int nfields, const char** names);
qxArray* qxCreateSparse(qxSize m, qxSize n, qxSize nzmax, qxComplexity c);
qxArray* qxCreateSparseLogicalMatrix(qxSize m, qxSize n, qxSize nzmax);

// ---- copies and destruction -------------------------------------------------
// A new array header sharing the element storage of `a` (no element is copied).
qxArray* qxCreateSharedDataCopy(const qxArray* a);
// The same as qxCreateSharedDataCopy followed by qxSetArrayScope(copy, scope),
// except that a copy of scope other than 0 is never a temporary, not even for
// a moment: what a value keeps is made in one step.
qxArray* qxCreateScopedSharedDataCopy(const qxArray* a, int scope);
// A deep copy with its own element storage.
qxArray* qxDuplicateArray(const qxArray* a);
// A full array made from a sparse one; a shared-data copy of a full one.
qxArray* qxMustBeFull(const qxArray* a);
void qxDestroyArray(qxArray* a);
// Array scope. A new array has scope 0: it is a temporary of the host call in
// progress, and the host reclaims the temporaries left over when the call ends
// (qxReclaimTemporaries). Any other scope (the library uses 2) makes the array
// outlive the call; its owner destroys it. An array stored into a cell or struct
// belongs to that container from then on.
void qxSetArrayScope(qxArray* a, int scope);
int qxGetArrayScope(const qxArray* a);
// Destroys every temporary array still alive (the host calls this when a call
// into property code has finished); returns how many it destroyed.
qxSize qxReclaimTemporaries();
// Number of temporary arrays alive.
qxSize qxCountTemporaries();

// ---- inspection -------------------------------------------------------------
// What readers of an array ask most, in one call: the answers of
// qxGetClassID, qxIsSparse, qxIsComplex, qxGetNumberOfDimensions,
// qxGetDimensions (valid while the array is neither changed nor destroyed),
// qxGetNumberOfElements, qxGetData and qxGetImagData. A null array reads as
// class unknown, no dimensions and no data.
struct qxArrayView {
    qxClassID cls;
    bool sparse;
    bool complex;
    qxSize ndim;
    const qxSize* dims;
    qxSize numel;
    void* data;
    void* imag;
};
qxArrayView qxGetArrayView(const qxArray* a);
qxClassID qxGetClassID(const qxArray* a);
const char* qxGetClassName(const qxArray* a);
qxSize qxGetM(const qxArray* a);
// Columns: the product of every dimension after the first.
qxSize qxGetN(const qxArray* a);
qxSize qxGetNumberOfDimensions(const qxArray* a);
const qxSize* qxGetDimensions(const qxArray* a);
qxSize qxGetNumberOfElements(const qxArray* a);
qxSize qxGetElementSize(const qxArray* a);
void* qxGetData(const qxArray* a);
void* qxGetImagData(const qxArray* a);
double* qxGetPr(const qxArray* a);
double* qxGetPi(const qxArray* a);
qxChar* qxGetChars(const qxArray* a);
qxLogical* qxGetLogicals(const qxArray* a);
void qxSetM(qxArray* a, qxSize m);
void qxSetN(qxArray* a, qxSize n);
int qxSetDimensions(qxArray* a, const qxSize* dims, qxSize ndim);

bool qxIsEmpty(const qxArray* a);
bool qxIsScalar(const qxArray* a);
bool qxIsVector(const qxArray* a);
bool qxIsSparse(const qxArray* a);
bool qxIsComplex(const qxArray* a);
bool qxIsNumeric(const qxArray* a);
bool qxIsChar(const qxArray* a);
bool qxIsLogical(const qxArray* a);
bool qxIsCell(const qxArray* a);
bool qxIsStruct(const qxArray* a);
bool qxIsDouble(const qxArray* a);
bool qxIsSingle(const qxArray* a);
// Same class, dimensions, sparsity and contents (cells and structs element by
// element; object arrays: same element class and the very same elements;
// function handles: the same function).
bool qxAreMatricesEqual(const qxArray* a, const qxArray* b);

bool qxIsNaN(double v);
bool qxIsInf(double v);
bool qxIsFinite(double v);
double qxGetNaN();
double qxGetInf();

// ---- sparse -----------------------------------------------------------------
qxSize* qxGetIr(const qxArray* a);
qxSize* qxGetJc(const qxArray* a);
qxSize qxGetNzmax(const qxArray* a);

// ---- cells and structs ------------------------------------------------------
qxArray* qxGetCell(const qxArray* a, qxSize index);
// Takes ownership of `value`, destroying what the cell held before.
void qxSetCell(qxArray* a, qxSize index, qxArray* value);
int qxGetNumberOfFields(const qxArray* a);
const char* qxGetFieldNameByNumber(const qxArray* a, int field);
int qxGetFieldNumber(const qxArray* a, const char* name);
int qxAddField(qxArray* a, const char* name);
qxArray* qxGetFieldByNumber(const qxArray* a, qxSize index, int field);
void qxSetFieldByNumber(qxArray* a, qxSize index, int field, qxArray* value);

// ---- text -------------------------------------------------------------------
// The characters of a char array (storage order) as a heap UTF-8 string, or
// null when the array is not char or memory runs out. Free with qxFree.
char* qxArrayToString(const qxArray* a);
std::string qxArrayToStdString(const qxArray* a);
// The host's own text form of an array: the characters of a char array; for a
// real numeric or logical matrix the bracketed list "[0 10]", "[1 2; 3 4]", "[]";
// for a function handle "@" and the function's name.
// Throws qx::HostError for arrays it has no text for (cells, structs, N-d).
std::string qxFormatArray(const qxArray* a);

void* qxCalloc(std::size_t count, std::size_t size);
void* qxMalloc(std::size_t size);
void qxFree(void* p);
void qxFreeEx(void* p);

// ---- object arrays ----------------------------------------------------------
// An m x n array of shared elements of the named class ("handle", "ui.Figure",
// ...), every element empty (null) until set. Copies share the elements: each
// copy holds its own reference to each of them.
qxArray* qxCreateObjectMatrix(qxSize m, qxSize n, const char* className);
bool qxIsObject(const qxArray* a);
// The element class of an object array (null for other arrays).
const char* qxGetObjectClassName(const qxArray* a);
// Element `index` (column-major), null when empty, out of range or no object array.
qx::SharedElement* qxGetObjectElement(const qxArray* a, qxSize index);
// Stores `element` (may be null) at `index`, taking a reference to it and
// releasing the one held before; false (and nothing changed) when `index` is
// out of range or `a` is no object array.
bool qxSetObjectElement(qxArray* a, qxSize index, qx::SharedElement* element);

// ---- function handles -------------------------------------------------------
// A function the host has registered: called with the arguments of the call, it
// returns a new array (a temporary of the call) or null for no result.
using qxFunction = qxArray* (*)(void* context, int nargs, const qxArray* const* args);
// Registers (or replaces) the function `name`; `context` is passed to every call.
void qxRegisterFunction(const char* name, qxFunction fn, void* context);
bool qxIsFunctionRegistered(const char* name);
// A 1x1 function handle naming a registered function. Raises
// "KELDAR:qx:UndefinedFunction" for a name that is not registered.
qxArray* qxCreateFunctionHandle(const char* name);
bool qxIsFunctionHandle(const qxArray* a);
// The function a handle names (null for other arrays).
const char* qxGetFunctionName(const qxArray* a);
// Calls the function a handle names. Raises "KELDAR:qx:UndefinedFunction" when
// `handle` is no function handle or its function is not registered; whatever
// the function raises passes through.
qxArray* qxCallFunction(const qxArray* handle, int nargs, const qxArray* const* args);

// ---- errors -----------------------------------------------------------------
// Raise the host error: never returns; throws qx::HostError.
[[noreturn]] void qxErrMsgIdAndTxt(const char* id, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// Raise one of the host's predefined errors by number (qx::predefinedError).
[[noreturn]] void qxErrMsg(int number);

namespace qx {

class HostError : public Quillmark::System::IUserException {
public:
    HostError(std::string id, std::string text);
    ~HostError() override;
    const char* GetID() const override { return id_.c_str(); }
    const char* GetMessageTxt() const override { return text_.c_str(); }
    const std::string& identifier() const { return id_; }
    const std::string& message() const { return text_; }

private:
    std::string id_;
    std::string text_;
};

struct PredefinedError {
    int number;
    const char* id;
    const char* text;
};
// The host's numbered errors; null for an unknown number.
const PredefinedError* predefinedError(int number);

// Class name of a class id ("double", "char", ...).
const char* className(qxClassID cls);
// Byte size of one element of a class (0 for cell, struct and unknown).
qxSize elementSize(qxClassID cls);

} // namespace qx
