#include "qx/ops.h"
#include "qx/element_class.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

namespace qx {

namespace {

constexpr const char* faultNames[] = {
#define QX_FAULT_NAME(name) #name,
    QX_ARRAY_FAULTS(QX_FAULT_NAME)
#undef QX_FAULT_NAME
};

template <class T>
T saturate(long double v)
{
    if (std::isnan(v))
        return 0;
    v = std::round(v);
    if (v <= static_cast<long double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (v >= static_cast<long double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

const char* describe(const qxArray* a)
{
    if (qxIsComplex(a))
        return qxGetClassID(a) == qxSINGLE_CLASS ? "complex single" : "complex numeric";
    return qxGetClassName(a);
}

ArrayPtr newArray(const Dims& dims, qxClassID cls, bool complex)
{
    checkedCount(dims);
    return ArrayPtr(qxCreateNumericArray(dims.size(), dims.data(), cls, complex ? qxCOMPLEX : qxREAL));
}

ArrayPtr newStructArray(const Dims& dims, const std::vector<const char*>& names)
{
    qxSize n = checkedCount(dims);
    ArrayPtr s(qxCreateStructMatrix(n, 1, static_cast<int>(names.size()), const_cast<const char**>(names.data())));
    qxSetDimensions(s.get(), dims.data(), dims.size());
    return s;
}

ArrayPtr fullOf(const qxArray* a) { return ArrayPtr(qxMustBeFull(a)); }

bool is0x0(const qxArray* a) { return qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 0 && qxGetN(a) == 0; }

// The class that holds every part of a numeric concatenation.
qxClassID commonClass(const std::vector<const qxArray*>& parts)
{
    bool anyChar = false, anyLogical = false, anySingle = false, allLogical = true;
    qxClassID firstInteger = qxUNKNOWN_CLASS;
    for (const qxArray* p : parts) {
        qxClassID c = qxGetClassID(p);
        if (!hasElements(c))
            throw ArrayError(ArrayFault::ClassMismatch, qxGetClassName(p), "a numeric, char or logical array");
        anyChar |= c == qxCHAR_CLASS;
        anyLogical |= c == qxLOGICAL_CLASS;
        anySingle |= c == qxSINGLE_CLASS;
        allLogical &= c == qxLOGICAL_CLASS;
        if (isIntegerClass(c) && firstInteger == qxUNKNOWN_CLASS)
            firstInteger = c;
    }
    if (anyChar) {
        if (anyLogical)
            throw ArrayError(ArrayFault::ClassMismatch, "logical", "char");
        return qxCHAR_CLASS;
    }
    if (firstInteger != qxUNKNOWN_CLASS)
        return firstInteger;
    if (anySingle)
        return qxSINGLE_CLASS;
    return allLogical ? qxLOGICAL_CLASS : qxDOUBLE_CLASS;
}

// Checks that every part fits the first along all dimensions but `dim` and
// returns the dimensions of the joined array (0x0 parts are left out).
Dims joinedDims(qxSize dim, const std::vector<const qxArray*>& parts)
{
    qxSize ndim = dim;
    for (const qxArray* p : parts)
        ndim = std::max(ndim, qxGetNumberOfDimensions(p));
    auto padded = [&](const qxArray* p) {
        Dims d = dimsOf(p);
        d.resize(ndim, 1);
        return d;
    };
    Dims out;
    for (const qxArray* p : parts) {
        Dims d = padded(p);
        if (out.empty()) {
            out = d;
            continue;
        }
        for (qxSize k = 0; k < ndim; ++k)
            if (k != dim - 1 && d[k] != out[k])
                throw ArrayError(ArrayFault::DimensionMismatch);
        out[dim - 1] += d[dim - 1];
        checkedCount(out);
    }
    return out.empty() ? Dims{0, 0} : out;
}

// Copies the parts slab by slab into `out`: along the joined dimension each
// part contributes a block of (product of the dimensions before it) * its own
// extent, and the blocks follow each other for every index of the dimensions after.
template <class CopyRun>
void joinInto(qxSize dim, const std::vector<const qxArray*>& parts, const Dims& out, CopyRun copyRun)
{
    qxSize pre = 1, post = 1;
    for (qxSize k = 0; k + 1 < dim; ++k)
        pre *= out[k];
    for (qxSize k = dim; k < out.size(); ++k)
        post *= out[k];
    qxSize dst = 0;
    for (qxSize k = 0; k < post; ++k)
        for (std::size_t p = 0; p < parts.size(); ++p) {
            Dims d = dimsOf(parts[p]);
            qxSize extent = dim - 1 < d.size() ? d[dim - 1] : 1;
            qxSize run = pre * extent;
            copyRun(p, k * run, dst, run);
            dst += run;
        }
}

ArrayPtr joinCells(qxSize dim, const std::vector<const qxArray*>& parts)
{
    Dims dims = joinedDims(dim, parts);
    ArrayPtr out(qxCreateCellArray(dims.size(), dims.data()));
    joinInto(dim, parts, dims, [&](std::size_t p, qxSize src, qxSize dst, qxSize n) {
        for (qxSize t = 0; t < n; ++t)
            qxSetCell(out.get(), dst + t, qxCreateSharedDataCopy(qxGetCell(parts[p], src + t)));
    });
    return out;
}

ArrayPtr joinStructs(qxSize dim, const std::vector<const qxArray*>& parts)
{
    std::vector<const char*> names;
    int nf = qxGetNumberOfFields(parts.front());
    for (int f = 0; f < nf; ++f)
        names.push_back(qxGetFieldNameByNumber(parts.front(), f));
    for (const qxArray* p : parts) {
        if (qxGetNumberOfFields(p) != nf)
            throw ArrayError(ArrayFault::FieldMismatch);
        for (const char* name : names)
            if (qxGetFieldNumber(p, name) < 0)
                throw ArrayError(ArrayFault::FieldMismatch);
    }
    Dims dims = joinedDims(dim, parts);
    ArrayPtr out = newStructArray(dims, names);
    joinInto(dim, parts, dims, [&](std::size_t p, qxSize src, qxSize dst, qxSize n) {
        for (qxSize t = 0; t < n; ++t)
            for (int f = 0; f < nf; ++f) {
                const qxArray* v = qxGetFieldByNumber(parts[p], src + t, qxGetFieldNumber(parts[p], names[f]));
                qxSetFieldByNumber(out.get(), dst + t, f, qxCreateSharedDataCopy(v));
            }
    });
    return out;
}

ArrayPtr joinElements(qxSize dim, const std::vector<const qxArray*>& parts, qxClassID cls, bool complex)
{
    std::vector<ArrayPtr> converted;
    std::vector<const qxArray*> same;
    for (const qxArray* p : parts) {
        ArrayPtr part = convertClass(p, cls);
        part = fullOf(part.get());
        if (complex && !qxIsComplex(part.get())) {
            ArrayPtr zeros = filledArray(dimsOf(p), cls, 0);
            part = complexOf(part.get(), zeros.get());
        }
        same.push_back(part.get());
        converted.push_back(std::move(part));
    }
    Dims dims = joinedDims(dim, same);
    ArrayPtr out = newArray(dims, cls, complex);
    qxSize es = elementSize(cls);
    joinInto(dim, same, dims, [&](std::size_t p, qxSize src, qxSize dst, qxSize n) {
        if (n == 0)
            return;
        std::memcpy(static_cast<char*>(qxGetData(out.get())) + dst * es,
                    static_cast<const char*>(qxGetData(same[p])) + src * es, n * es);
        if (complex)
            std::memcpy(static_cast<char*>(qxGetImagData(out.get())) + dst * es,
                        static_cast<const char*>(qxGetImagData(same[p])) + src * es, n * es);
    });
    return out;
}

} // namespace

const char* faultName(ArrayFault fault) { return faultNames[static_cast<int>(fault)]; }

ArrayError::ArrayError(ArrayFault fault, std::string first, std::string second)
    : fault_(fault), texts_{std::move(first), std::move(second)},
      what_(std::string(faultName(fault)) + ": " + texts_[0] + (texts_[1].empty() ? "" : ", " + texts_[1]))
{
}

ArrayError::ArrayError(ArrayFault fault, qxSize first, qxSize second, qxSize third)
    : fault_(fault), counts_{first, second, third}, what_(faultName(fault))
{
    int last = third ? 3 : second ? 2 : first ? 1 : 0;
    for (int i = 0; i < last; ++i)
        what_.append(i ? ", " : ": ").append(std::to_string(counts_[i]));
}

// The host's own class names are the names of the classes.
std::optional<qxClassID> elementClassNamed(std::string_view name)
{
    for (int c = qxLOGICAL_CLASS; c <= qxUINT64_CLASS; ++c) {
        auto cls = static_cast<qxClassID>(c);
        if (hasElements(cls) && name == className(cls))
            return cls;
    }
    return std::nullopt;
}

bool isNumericClass(qxClassID cls) { return cls >= qxDOUBLE_CLASS && cls <= qxUINT64_CLASS; }
bool isIntegerClass(qxClassID cls) { return cls >= qxINT8_CLASS && cls <= qxUINT64_CLASS; }
bool hasElements(qxClassID cls) { return isNumericClass(cls) || cls == qxCHAR_CLASS || cls == qxLOGICAL_CLASS; }

qxSize checkedCount(const Dims& dims)
{
    qxSize n = 1;
    for (qxSize d : dims) {
        if (d != 0 && n > maxElements / d)
            throw ArrayError(ArrayFault::TooLarge, maxElements);
        n *= d;
    }
    if (n > maxElements)
        throw ArrayError(ArrayFault::TooLarge, maxElements);
    return n;
}

Dims dimsOf(const qxArray* a)
{
    const qxSize* d = qxGetDimensions(a);
    return Dims(d, d + qxGetNumberOfDimensions(a));
}

long double readElement(qxClassID cls, const void* data, qxSize i)
{
    return qx::visitElementClass(cls, [&](auto e) -> long double {
        using T = qx::ElementOf<decltype(e)>;
        if constexpr (std::is_void_v<T>)
            return 0; // no numbers in a cell or struct
        else
            return static_cast<long double>(static_cast<const T*>(data)[i]);
    });
}

void writeElement(qxClassID cls, void* data, qxSize i, long double v)
{
    qx::visitElementClass(cls, [&](auto e) {
        using T = qx::ElementOf<decltype(e)>;
        if constexpr (!std::is_void_v<T>) {
            T* out = static_cast<T*>(data);
            if constexpr (decltype(e)::id == qxLOGICAL_CLASS)
                out[i] = v != 0;
            else if constexpr (std::is_same_v<T, float>)
                // Beyond the range of single a value becomes infinite, as the host rounds it.
                out[i] = std::fabs(v) > FLT_MAX && std::isfinite(v) ? (v < 0 ? -INFINITY : INFINITY)
                                                                     : static_cast<float>(v);
            else if constexpr (std::is_floating_point_v<T>)
                out[i] = static_cast<T>(v);
            else
                out[i] = saturate<T>(v);
        }
    });
}

ArrayPtr convertClass(const qxArray* a, qxClassID target)
{
    qxClassID from = qxGetClassID(a);
    if (!hasElements(from) || !hasElements(target))
        throw ArrayError(ArrayFault::ClassMismatch, qxGetClassName(a), className(target));
    if (qxIsSparse(a) && target != qxDOUBLE_CLASS && target != qxLOGICAL_CLASS)
        throw ArrayError(ArrayFault::ClassMismatch, "sparse", className(target));
    if (from == target)
        return ArrayPtr(qxCreateSharedDataCopy(a));
    ArrayPtr full = fullOf(a);
    bool complex = qxIsComplex(a);
    if (complex && !isNumericClass(target))
        throw ArrayError(ArrayFault::ClassMismatch, describe(a), className(target));
    qxSize n = qxGetNumberOfElements(a);
    if (target == qxLOGICAL_CLASS)
        for (qxSize i = 0; i < n; ++i)
            if (std::isnan(readElement(from, qxGetData(full.get()), i)))
                throw ArrayError(ArrayFault::NaNToLogical);
    ArrayPtr out = newArray(dimsOf(a), target, complex);
    for (qxSize i = 0; i < n; ++i) {
        writeElement(target, qxGetData(out.get()), i, readElement(from, qxGetData(full.get()), i));
        if (complex)
            writeElement(target, qxGetImagData(out.get()), i, readElement(from, qxGetImagData(full.get()), i));
    }
    return qxIsSparse(a) ? sparseOf(out.get()) : std::move(out);
}

ArrayPtr filledArray(const Dims& dims, qxClassID cls, long double value)
{
    ArrayPtr out = newArray(dims, cls, false);
    qxSize n = qxGetNumberOfElements(out.get());
    for (qxSize i = 0; i < n; ++i)
        writeElement(cls, qxGetData(out.get()), i, value);
    return out;
}

ArrayPtr emptyCellArray(const Dims& dims)
{
    qxSize n = checkedCount(dims);
    ArrayPtr out(qxCreateCellArray(dims.size(), dims.data()));
    for (qxSize i = 0; i < n; ++i)
        qxSetCell(out.get(), i, qxCreateDoubleMatrix(0, 0, qxREAL));
    return out;
}

ArrayPtr cellOf(ArrayPtr a)
{
    ArrayPtr out(qxCreateCellMatrix(1, 1));
    qxSetCell(out.get(), 0, a.release());
    return out;
}

ArrayPtr concatenate(qxSize dim, const std::vector<const qxArray*>& parts)
{
    if (dim == 0)
        throw ArrayError(ArrayFault::BadArgument, "cat", "the dimension must be a positive integer");
    if (parts.empty())
        return ArrayPtr(qxCreateDoubleMatrix(0, 0, qxREAL));
    bool anyCell = false, anyStruct = false, anySparse = false, anyComplex = false;
    for (const qxArray* p : parts) {
        anyCell |= qxIsCell(p);
        anyStruct |= qxIsStruct(p);
        anySparse |= qxIsSparse(p);
        anyComplex |= qxIsComplex(p);
    }
    // 0x0 parts lend their class but take no place.
    std::vector<const qxArray*> placed;
    for (const qxArray* p : parts)
        if (!is0x0(p))
            placed.push_back(p);

    if (anyCell) {
        std::vector<ArrayPtr> wrapped;
        std::vector<const qxArray*> cells;
        for (const qxArray* p : placed) {
            if (!qxIsCell(p)) {
                wrapped.push_back(cellOf(ArrayPtr(qxCreateSharedDataCopy(p))));
                p = wrapped.back().get();
            }
            cells.push_back(p);
        }
        return joinCells(dim, cells);
    }
    if (anyStruct) {
        for (const qxArray* p : placed)
            if (!qxIsStruct(p))
                throw ArrayError(ArrayFault::ClassMismatch, qxGetClassName(p), "struct");
        if (placed.empty())
            return newStructArray({0, 0}, {});
        return joinStructs(dim, placed);
    }
    qxClassID cls = commonClass(parts);
    ArrayPtr out = joinElements(dim, placed, cls, anyComplex);
    bool canBeSparse = (cls == qxDOUBLE_CLASS || cls == qxLOGICAL_CLASS) && qxGetNumberOfDimensions(out.get()) == 2;
    return anySparse && canBeSparse ? sparseOf(out.get()) : std::move(out);
}

ArrayPtr numelOf(const qxArray* a)
{
    return ArrayPtr(qxCreateDoubleScalar(static_cast<double>(qxGetNumberOfElements(a))));
}

ArrayPtr sizeOf(const qxArray* a)
{
    Dims d = dimsOf(a);
    ArrayPtr out(qxCreateDoubleMatrix(1, d.size(), qxREAL));
    for (std::size_t i = 0; i < d.size(); ++i)
        qxGetPr(out.get())[i] = static_cast<double>(d[i]);
    return out;
}

ArrayPtr sizeAlong(const qxArray* a, qxSize dim)
{
    if (dim == 0)
        throw ArrayError(ArrayFault::BadArgument, "size", "the dimension must be a positive integer");
    Dims d = dimsOf(a);
    return ArrayPtr(qxCreateDoubleScalar(dim <= d.size() ? static_cast<double>(d[dim - 1]) : 1.0));
}

ArrayPtr reshape(const qxArray* a, const Dims& dims)
{
    qxSize n = checkedCount(dims);
    if (n != qxGetNumberOfElements(a))
        throw ArrayError(ArrayFault::BadArgument, "reshape", "the number of elements must not change");
    if (qxIsSparse(a)) {
        Dims kept = dims;
        while (kept.size() > 2 && kept.back() == 1)
            kept.pop_back();
        if (kept.size() > 2)
            throw ArrayError(ArrayFault::BadArgument, "reshape", "a sparse array has two dimensions");
        ArrayPtr full = fullOf(a);
        qxSetDimensions(full.get(), dims.data(), dims.size());
        return sparseOf(full.get());
    }
    ArrayPtr out(qxCreateSharedDataCopy(a));
    qxSetDimensions(out.get(), dims.data(), dims.size());
    return out;
}

ArrayPtr sparseOf(const qxArray* a)
{
    qxClassID cls = qxGetClassID(a);
    if (cls != qxDOUBLE_CLASS && cls != qxLOGICAL_CLASS)
        throw ArrayError(ArrayFault::BadArgument, "sparse", "only double and logical arrays can be sparse");
    if (qxGetNumberOfDimensions(a) > 2)
        throw ArrayError(ArrayFault::BadArgument, "sparse", "a sparse array has two dimensions");
    if (qxIsSparse(a))
        return ArrayPtr(qxDuplicateArray(a));
    qxSize m = qxGetM(a), n = qxGetN(a), count = m * n;
    bool complex = qxIsComplex(a);
    auto nonZero = [&](qxSize i) {
        return readElement(cls, qxGetData(a), i) != 0 || (complex && readElement(cls, qxGetImagData(a), i) != 0);
    };
    qxSize nz = 0;
    for (qxSize i = 0; i < count; ++i)
        nz += nonZero(i);
    ArrayPtr out(cls == qxLOGICAL_CLASS ? qxCreateSparseLogicalMatrix(m, n, nz)
                                          : qxCreateSparse(m, n, nz, complex ? qxCOMPLEX : qxREAL));
    qxSize* ir = qxGetIr(out.get());
    qxSize* jc = qxGetJc(out.get());
    qxSize k = 0;
    for (qxSize j = 0; j < n; ++j) {
        jc[j] = k;
        for (qxSize i = 0; i < m; ++i) {
            qxSize at = j * m + i;
            if (!nonZero(at))
                continue;
            ir[k] = i;
            writeElement(cls, qxGetData(out.get()), k, readElement(cls, qxGetData(a), at));
            if (complex)
                writeElement(cls, qxGetImagData(out.get()), k, readElement(cls, qxGetImagData(a), at));
            ++k;
        }
    }
    jc[n] = k;
    return out;
}

ArrayPtr sparseZeros(qxSize m, qxSize n)
{
    if (n >= maxSparseColumns)
        throw ArrayError(ArrayFault::TooLarge, maxSparseColumns);
    return ArrayPtr(qxCreateSparse(m, n, 0, qxREAL));
}

ArrayPtr complexOf(const qxArray* re, const qxArray* im)
{
    for (const qxArray* p : {re, im}) {
        if (!isNumericClass(qxGetClassID(p)))
            throw ArrayError(ArrayFault::BadArgument, "complex", "the parts must be numeric");
        if (qxIsComplex(p))
            throw ArrayError(ArrayFault::BadArgument, "complex", "the parts must be real");
    }
    qxClassID a = qxGetClassID(re), b = qxGetClassID(im);
    if (a != b && a != qxDOUBLE_CLASS && b != qxDOUBLE_CLASS)
        throw ArrayError(ArrayFault::BadArgument, "complex", "the parts must be of one class, or one of them double");
    qxClassID cls = a == qxDOUBLE_CLASS ? b : a;
    bool sparse = qxIsSparse(re) || qxIsSparse(im);
    if (sparse && cls != qxDOUBLE_CLASS)
        throw ArrayError(ArrayFault::ClassMismatch, "sparse", className(cls));
    ArrayPtr r = convertClass(re, cls), i = convertClass(im, cls);
    ArrayPtr rf = fullOf(r.get()), jf = fullOf(i.get());
    qxSize nr = qxGetNumberOfElements(rf.get()), ni = qxGetNumberOfElements(jf.get());
    if (nr != 1 && ni != 1 && dimsOf(rf.get()) != dimsOf(jf.get()))
        throw ArrayError(ArrayFault::BadArgument, "complex", "the parts must have the same size, or one of them be a scalar");
    const qxArray* shape = nr == 1 ? jf.get() : rf.get();
    ArrayPtr out = newArray(dimsOf(shape), cls, true);
    qxSize n = qxGetNumberOfElements(out.get());
    for (qxSize k = 0; k < n; ++k) {
        writeElement(cls, qxGetData(out.get()), k, readElement(cls, qxGetData(rf.get()), nr == 1 ? 0 : k));
        writeElement(cls, qxGetImagData(out.get()), k, readElement(cls, qxGetData(jf.get()), ni == 1 ? 0 : k));
    }
    return sparse ? sparseOf(out.get()) : std::move(out);
}

ArrayPtr negate(const qxArray* a)
{
    qxClassID cls = qxGetClassID(a);
    if (!hasElements(cls))
        throw ArrayError(ArrayFault::ClassMismatch, qxGetClassName(a), "a number to negate");
    qxClassID target = isNumericClass(cls) ? cls : qxDOUBLE_CLASS;
    ArrayPtr converted = convertClass(a, target);
    ArrayPtr full = fullOf(converted.get());
    bool complex = qxIsComplex(full.get());
    ArrayPtr out = newArray(dimsOf(full.get()), target, complex);
    qxSize n = qxGetNumberOfElements(out.get());
    for (qxSize i = 0; i < n; ++i) {
        writeElement(target, qxGetData(out.get()), i, -readElement(target, qxGetData(full.get()), i));
        if (complex)
            writeElement(target, qxGetImagData(out.get()), i, -readElement(target, qxGetImagData(full.get()), i));
    }
    return qxIsSparse(a) ? sparseOf(out.get()) : std::move(out);
}

ArrayPtr structOf(const std::vector<std::string_view>& names, const std::vector<const qxArray*>& values)
{
    std::vector<std::string> owned(names.begin(), names.end());
    std::vector<const char*> cnames;
    for (std::size_t f = 0; f < owned.size(); ++f) {
        const std::string& name = owned[f];
        bool valid = !name.empty() && std::isalpha(static_cast<unsigned char>(name[0]));
        for (char c : name)
            valid &= std::isalnum(static_cast<unsigned char>(c)) || c == '_';
        if (!valid)
            throw ArrayError(ArrayFault::BadArgument, "struct", "field names begin with a letter and hold letters, digits and underscores");
        for (std::size_t g = 0; g < f; ++g)
            if (owned[g] == name)
                throw ArrayError(ArrayFault::BadArgument, "struct", "a field name is given twice");
        cnames.push_back(name.c_str());
    }
    // The dimensions of the struct array: those of the cell values that are not 1x1.
    std::optional<Dims> dims;
    for (const qxArray* v : values)
        if (qxIsCell(v) && qxGetNumberOfElements(v) != 1) {
            if (dims && *dims != dimsOf(v))
                throw ArrayError(ArrayFault::BadArgument, "struct", "the cell values must have the same size");
            dims = dimsOf(v);
        }
    ArrayPtr out = newStructArray(dims.value_or(Dims{1, 1}), cnames);
    qxSize n = qxGetNumberOfElements(out.get());
    for (qxSize i = 0; i < n; ++i)
        for (std::size_t f = 0; f < values.size(); ++f) {
            const qxArray* v = values[f];
            const qxArray* element = !qxIsCell(v) ? v : qxGetCell(v, qxGetNumberOfElements(v) == 1 ? 0 : i);
            qxSetFieldByNumber(out.get(), i, static_cast<int>(f), qxCreateSharedDataCopy(element));
        }
    return out;
}

// ---- indexing ---------------------------------------------------------------

namespace {

// The dimensions of `a` seen through `count` subscripts: the last one takes
// the product of the dimensions from it on; missing ones are 1.
Dims viewedDims(const qxArray* a, std::size_t count)
{
    Dims d = dimsOf(a);
    if (count == 1)
        return {qxGetNumberOfElements(a)};
    Dims out(count, 1);
    for (std::size_t k = 0; k < d.size(); ++k)
        out[std::min(k, count - 1)] *= d[k];
    return out;
}

std::vector<qxSize> positionsOf(const Subscript& s, qxSize extent)
{
    if (!s.all)
        return s.at;
    std::vector<qxSize> all(extent);
    for (qxSize i = 0; i < extent; ++i)
        all[i] = i;
    return all;
}

// Calls f(source position, destination position) for every selected element.
template <class F>
void forEachSelected(const Dims& view, const std::vector<std::vector<qxSize>>& pos, F f)
{
    std::size_t count = pos.size();
    qxSize total = 1;
    for (const auto& p : pos)
        total *= p.size();
    std::vector<qxSize> k(count, 0);
    for (qxSize dst = 0; dst < total; ++dst) {
        qxSize src = 0, stride = 1;
        for (std::size_t d = 0; d < count; ++d) {
            src += pos[d][k[d]] * stride;
            stride *= view[d];
        }
        f(src, dst);
        for (std::size_t d = 0; d < count && ++k[d] == pos[d].size(); ++d)
            k[d] = 0;
    }
}

// An empty array of the class of `like` with the given dimensions (cells
// hold empty arrays, structs the fields of `like`).
ArrayPtr blankLike(const qxArray* like, const Dims& dims)
{
    qxClassID cls = qxGetClassID(like);
    if (cls == qxCELL_CLASS)
        return emptyCellArray(dims);
    if (cls == qxSTRUCT_CLASS) {
        std::vector<const char*> names;
        for (int f = 0; f < qxGetNumberOfFields(like); ++f)
            names.push_back(qxGetFieldNameByNumber(like, f));
        qxSize n = checkedCount(dims);
        ArrayPtr s(qxCreateStructMatrix(n, 1, static_cast<int>(names.size()), names.data()));
        qxSetDimensions(s.get(), dims.data(), dims.size());
        for (qxSize i = 0; i < n; ++i)
            for (int f = 0; f < static_cast<int>(names.size()); ++f)
                qxSetFieldByNumber(s.get(), i, f, qxCreateDoubleMatrix(0, 0, qxREAL));
        return s;
    }
    if (!hasElements(cls))
        throw ArrayError(ArrayFault::IndexClass, qxGetClassName(like));
    ArrayPtr out = filledArray(dims, cls, 0);
    if (qxIsComplex(like)) {
        ArrayPtr zeros = filledArray(dims, cls, 0);
        out = complexOf(out.get(), zeros.get());
    }
    return out;
}

// Copies element `src` of `from` into element `dst` of `to` (same class).
void copyElement(const qxArray* from, qxSize src, qxArray* to, qxSize dst)
{
    qxClassID cls = qxGetClassID(to);
    if (cls == qxCELL_CLASS) {
        const qxArray* c = qxGetCell(from, src);
        qxSetCell(to, dst, c ? qxCreateSharedDataCopy(c) : qxCreateDoubleMatrix(0, 0, qxREAL));
        return;
    }
    if (cls == qxSTRUCT_CLASS) {
        for (int f = 0; f < qxGetNumberOfFields(to); ++f) {
            int g = qxGetFieldNumber(from, qxGetFieldNameByNumber(to, f));
            const qxArray* v = g >= 0 ? qxGetFieldByNumber(from, src, g) : nullptr;
            qxSetFieldByNumber(to, dst, f, v ? qxCreateSharedDataCopy(v) : qxCreateDoubleMatrix(0, 0, qxREAL));
        }
        return;
    }
    qxSize es = elementSize(cls);
    std::memcpy(static_cast<char*>(qxGetData(to)) + dst * es, static_cast<const char*>(qxGetData(from)) + src * es, es);
    if (qxIsComplex(to)) {
        if (qxIsComplex(from))
            std::memcpy(static_cast<char*>(qxGetImagData(to)) + dst * es,
                        static_cast<const char*>(qxGetImagData(from)) + src * es, es);
        else
            std::memset(static_cast<char*>(qxGetImagData(to)) + dst * es, 0, es);
    }
}

// The dimensions an indexed assignment needs: `view` grown to hold every position.
Dims grownView(const Dims& view, const std::vector<Subscript>& subs)
{
    Dims out = view;
    for (std::size_t d = 0; d < subs.size(); ++d)
        if (!subs[d].all)
            for (qxSize p : subs[d].at)
                out[d] = std::max(out[d], p + 1);
    return out;
}

// `a` (full) resized to `dims` seen as `count` subscripts, its elements kept in place.
ArrayPtr grownTo(const qxArray* a, const Dims& oldView, const Dims& newView, bool rowVector)
{
    Dims dims = newView;
    if (dims.size() == 1)
        dims = rowVector ? Dims{1, newView[0]} : Dims{newView[0], 1};
    ArrayPtr out = blankLike(a, dims);
    std::vector<std::vector<qxSize>> pos;
    for (qxSize extent : oldView) {
        std::vector<qxSize> p(extent);
        for (qxSize i = 0; i < extent; ++i)
            p[i] = i;
        pos.push_back(std::move(p));
    }
    // Old positions enumerate in storage order: the counter is the old index.
    forEachSelected(newView, pos, [&](qxSize to, qxSize from) { copyElement(a, from, out.get(), to); });
    return out;
}

// The selected positions of `view` as source positions, checked against it.
std::vector<std::vector<qxSize>> selected(const Dims& view, const std::vector<Subscript>& subs, qxSize numel)
{
    std::vector<std::vector<qxSize>> pos;
    for (std::size_t d = 0; d < subs.size(); ++d) {
        pos.push_back(positionsOf(subs[d], view[d]));
        for (qxSize p : pos.back())
            if (p >= view[d]) {
                if (subs.size() == 1)
                    throw ArrayError(ArrayFault::IndexBeyond, p + 1, numel);
                throw ArrayError(ArrayFault::IndexBeyondDim, p + 1, d + 1, view[d]);
            }
    }
    return pos;
}

} // namespace

qxSize endOf(const qxArray* a, std::size_t k, std::size_t count)
{
    return viewedDims(a, count)[k];
}

ArrayPtr indexArray(const qxArray* a, const std::vector<Subscript>& subs)
{
    if (subs.empty())
        return ArrayPtr(qxCreateSharedDataCopy(a));
    ArrayPtr full = fullOf(a);
    Dims view = viewedDims(full.get(), subs.size());
    std::vector<std::vector<qxSize>> pos = selected(view, subs, qxGetNumberOfElements(full.get()));
    Dims dims;
    if (subs.size() == 1) {
        qxSize k = pos[0].size();
        bool row = qxGetNumberOfDimensions(full.get()) == 2 && qxGetM(full.get()) == 1;
        bool column = qxGetNumberOfDimensions(full.get()) == 2 && qxGetN(full.get()) == 1 && !row;
        if (subs[0].all || column || (!row && subs[0].column))
            dims = {k, 1};
        else
            dims = {1, k};
    } else {
        for (const auto& p : pos)
            dims.push_back(p.size());
        while (dims.size() > 2 && dims.back() == 1)
            dims.pop_back();
    }
    ArrayPtr out = blankLike(full.get(), dims);
    forEachSelected(view, pos, [&](qxSize src, qxSize dst) { copyElement(full.get(), src, out.get(), dst); });
    return out;
}

namespace {

// The array an assignment works on: `a` made full and grown to hold every
// position, in the class both `a` and the value fit.
ArrayPtr assignmentBase(const qxArray* a, const std::vector<Subscript>& subs, const qxArray* like, Dims& view)
{
    ArrayPtr base;
    if (!a || (qxGetNumberOfElements(a) == 0 && qxGetClassID(a) != qxGetClassID(like) && qxIsDouble(a)))
        base = blankLike(like, {0, 0});
    else
        base = fullOf(a);
    if (qxIsComplex(like) && !qxIsComplex(base.get()) && hasElements(qxGetClassID(base.get()))) {
        ArrayPtr zeros = filledArray(dimsOf(base.get()), qxGetClassID(base.get()), 0);
        base = complexOf(base.get(), zeros.get());
    }
    Dims old = viewedDims(base.get(), subs.size());
    view = grownView(old, subs);
    if (view != old) {
        bool empty = qxGetNumberOfElements(base.get()) == 0;
        bool row = qxGetNumberOfDimensions(base.get()) == 2 && qxGetM(base.get()) == 1;
        bool column = qxGetNumberOfDimensions(base.get()) == 2 && qxGetN(base.get()) == 1 && !row;
        if (subs.size() == 1 && !empty && !row && !column)
            throw ArrayError(ArrayFault::IndexGrow);
        checkedCount(view);
        base = grownTo(base.get(), old, view, !column);
    } else {
        base = ArrayPtr(qxDuplicateArray(base.get()));
    }
    return base;
}

} // namespace

ArrayPtr assignIndexed(const qxArray* a, const std::vector<Subscript>& subs, const qxArray* value)
{
    if (subs.empty())
        throw ArrayError(ArrayFault::NoIndex);
    ArrayPtr fullValue = fullOf(value);
    const qxArray* v = fullValue.get();
    if (a && qxIsCell(a) && !qxIsCell(v))
        throw ArrayError(ArrayFault::ClassMismatch, qxGetClassName(v), "cell");
    Dims view;
    ArrayPtr base = assignmentBase(a, subs, v, view);
    ArrayPtr converted;
    if (qxGetClassID(v) != qxGetClassID(base.get())) {
        converted = convertClass(v, qxGetClassID(base.get()));
        v = converted.get();
    }
    std::vector<std::vector<qxSize>> pos = selected(view, subs, qxGetNumberOfElements(base.get()));
    qxSize count = 1;
    for (const auto& p : pos)
        count *= p.size();
    qxSize n = qxGetNumberOfElements(v);
    if (n != 1 && n != count)
        throw ArrayError(ArrayFault::AssignmentCount, n, count);
    forEachSelected(view, pos, [&](qxSize dst, qxSize k) { copyElement(v, n == 1 ? 0 : k, base.get(), dst); });
    return base;
}

ArrayPtr assignCell(const qxArray* c, const std::vector<Subscript>& subs, const qxArray* value)
{
    if (c && !qxIsCell(c) && qxGetNumberOfElements(c) != 0)
        throw ArrayError(ArrayFault::NotCell);
    ArrayPtr empty(qxCreateCellMatrix(0, 0));
    Dims view;
    ArrayPtr base = assignmentBase(c && qxIsCell(c) ? c : nullptr, subs, empty.get(), view);
    std::vector<std::vector<qxSize>> pos = selected(view, subs, qxGetNumberOfElements(base.get()));
    std::size_t count = 0;
    forEachSelected(view, pos, [&](qxSize dst, qxSize) {
        qxSetCell(base.get(), dst, qxCreateSharedDataCopy(value));
        ++count;
    });
    if (count != 1)
        throw ArrayError(ArrayFault::OneCell);
    return base;
}

ArrayPtr assignField(const qxArray* s, const std::string& name, const qxArray* value)
{
    ArrayPtr out;
    if (!s || (qxGetNumberOfElements(s) == 0 && qxIsDouble(s))) {
        out.reset(qxCreateStructMatrix(1, 1, 0, nullptr));
    } else {
        if (!qxIsStruct(s) || qxGetNumberOfElements(s) != 1)
            throw ArrayError(ArrayFault::NotStruct, name.c_str());
        out.reset(qxDuplicateArray(s));
    }
    int f = qxGetFieldNumber(out.get(), name.c_str());
    if (f < 0) {
        std::vector<std::string_view> names{name};
        ArrayPtr check = structOf(names, {value}); // the name follows the rules of field names
        f = qxAddField(out.get(), name.c_str());
    }
    qxSetFieldByNumber(out.get(), 0, f, qxCreateSharedDataCopy(value));
    return out;
}

ArrayPtr transposeOf(const qxArray* a)
{
    if (qxGetNumberOfDimensions(a) > 2)
        throw ArrayError(ArrayFault::BadArgument, "transpose", "the array has more than two dimensions");
    ArrayPtr full = fullOf(a);
    qxSize m = qxGetM(full.get()), n = qxGetN(full.get());
    ArrayPtr out = blankLike(full.get(), {n, m});
    for (qxSize i = 0; i < m; ++i)
        for (qxSize j = 0; j < n; ++j)
            copyElement(full.get(), j * m + i, out.get(), i * n + j);
    return qxIsSparse(a) ? sparseOf(out.get()) : std::move(out);
}

} // namespace qx
