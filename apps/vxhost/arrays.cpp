#include "arrays.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "messages.h"

namespace vxhost {

namespace {

struct ClassRow {
    const char* name;
    qxClassID cls;
};

constexpr ClassRow elementClasses[] = {
    {"double", qxDOUBLE_CLASS}, {"single", qxSINGLE_CLASS}, {"int8", qxINT8_CLASS},     {"uint8", qxUINT8_CLASS},
    {"int16", qxINT16_CLASS},   {"uint16", qxUINT16_CLASS}, {"int32", qxINT32_CLASS},   {"uint32", qxUINT32_CLASS},
    {"int64", qxINT64_CLASS},   {"uint64", qxUINT64_CLASS}, {"logical", qxLOGICAL_CLASS}, {"char", qxCHAR_CLASS},
};

// Calls f with a null pointer of the C type that holds the elements of `cls`.
template <class F>
decltype(auto) withElementType(qxClassID cls, F&& f)
{
    switch (cls) {
    case qxDOUBLE_CLASS: return f(static_cast<double*>(nullptr));
    case qxSINGLE_CLASS: return f(static_cast<float*>(nullptr));
    case qxINT8_CLASS: return f(static_cast<std::int8_t*>(nullptr));
    case qxINT16_CLASS: return f(static_cast<std::int16_t*>(nullptr));
    case qxUINT16_CLASS: return f(static_cast<std::uint16_t*>(nullptr));
    case qxCHAR_CLASS: return f(static_cast<std::uint16_t*>(nullptr));
    case qxINT32_CLASS: return f(static_cast<std::int32_t*>(nullptr));
    case qxUINT32_CLASS: return f(static_cast<std::uint32_t*>(nullptr));
    case qxINT64_CLASS: return f(static_cast<std::int64_t*>(nullptr));
    case qxUINT64_CLASS: return f(static_cast<std::uint64_t*>(nullptr));
    default: return f(static_cast<std::uint8_t*>(nullptr)); // uint8, logical
    }
}

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

QxArrayPtr newArray(const Dims& dims, qxClassID cls, bool complex)
{
    checkedCount(dims);
    return QxArrayPtr(qxCreateNumericArray(dims.size(), dims.data(), cls, complex ? qxCOMPLEX : qxREAL));
}

QxArrayPtr newStructArray(const Dims& dims, const std::vector<const char*>& names)
{
    qxSize n = checkedCount(dims);
    QxArrayPtr s(qxCreateStructMatrix(n, 1, static_cast<int>(names.size()), const_cast<const char**>(names.data())));
    qxSetDimensions(s.get(), dims.data(), dims.size());
    return s;
}

QxArrayPtr fullOf(const qxArray* a) { return QxArrayPtr(qxMustBeFull(a)); }

bool is0x0(const qxArray* a) { return qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 0 && qxGetN(a) == 0; }

// The class that holds every part of a numeric concatenation.
qxClassID commonClass(const std::vector<const qxArray*>& parts)
{
    bool anyChar = false, anyLogical = false, anySingle = false, allLogical = true;
    qxClassID firstInteger = qxUNKNOWN_CLASS;
    for (const qxArray* p : parts) {
        qxClassID c = qxGetClassID(p);
        if (!hasElements(c))
            fail(msg::ClassMismatch, qxGetClassName(p), "a numeric, char or logical array");
        anyChar |= c == qxCHAR_CLASS;
        anyLogical |= c == qxLOGICAL_CLASS;
        anySingle |= c == qxSINGLE_CLASS;
        allLogical &= c == qxLOGICAL_CLASS;
        if (isInteger(c) && firstInteger == qxUNKNOWN_CLASS)
            firstInteger = c;
    }
    if (anyChar) {
        if (anyLogical)
            fail(msg::ClassMismatch, "logical", "char");
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
                fail(msg::DimensionMismatch);
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

QxArrayPtr joinCells(qxSize dim, const std::vector<const qxArray*>& parts)
{
    Dims dims = joinedDims(dim, parts);
    QxArrayPtr out(qxCreateCellArray(dims.size(), dims.data()));
    joinInto(dim, parts, dims, [&](std::size_t p, qxSize src, qxSize dst, qxSize n) {
        for (qxSize t = 0; t < n; ++t)
            qxSetCell(out.get(), dst + t, qxCreateSharedDataCopy(qxGetCell(parts[p], src + t)));
    });
    return out;
}

QxArrayPtr joinStructs(qxSize dim, const std::vector<const qxArray*>& parts)
{
    std::vector<const char*> names;
    int nf = qxGetNumberOfFields(parts.front());
    for (int f = 0; f < nf; ++f)
        names.push_back(qxGetFieldNameByNumber(parts.front(), f));
    for (const qxArray* p : parts) {
        if (qxGetNumberOfFields(p) != nf)
            fail(msg::FieldMismatch);
        for (const char* name : names)
            if (qxGetFieldNumber(p, name) < 0)
                fail(msg::FieldMismatch);
    }
    Dims dims = joinedDims(dim, parts);
    QxArrayPtr out = newStructArray(dims, names);
    joinInto(dim, parts, dims, [&](std::size_t p, qxSize src, qxSize dst, qxSize n) {
        for (qxSize t = 0; t < n; ++t)
            for (int f = 0; f < nf; ++f) {
                const qxArray* v = qxGetFieldByNumber(parts[p], src + t, qxGetFieldNumber(parts[p], names[f]));
                qxSetFieldByNumber(out.get(), dst + t, f, qxCreateSharedDataCopy(v));
            }
    });
    return out;
}

QxArrayPtr joinElements(qxSize dim, const std::vector<const qxArray*>& parts, qxClassID cls, bool complex)
{
    std::vector<QxArrayPtr> converted;
    std::vector<const qxArray*> same;
    for (const qxArray* p : parts) {
        QxArrayPtr part = convertClass(p, cls);
        part = fullOf(part.get());
        if (complex && !qxIsComplex(part.get())) {
            QxArrayPtr zeros = filledArray(dimsOf(p), cls, 0);
            part = complexOf(part.get(), zeros.get());
        }
        same.push_back(part.get());
        converted.push_back(std::move(part));
    }
    Dims dims = joinedDims(dim, same);
    QxArrayPtr out = newArray(dims, cls, complex);
    qxSize es = qx::elementSize(cls);
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

std::optional<qxClassID> elementClassNamed(std::string_view name)
{
    for (const ClassRow& row : elementClasses)
        if (name == row.name)
            return row.cls;
    return std::nullopt;
}

bool isNumeric(qxClassID cls) { return cls >= qxDOUBLE_CLASS && cls <= qxUINT64_CLASS; }
bool isInteger(qxClassID cls) { return cls >= qxINT8_CLASS && cls <= qxUINT64_CLASS; }
bool hasElements(qxClassID cls) { return isNumeric(cls) || cls == qxCHAR_CLASS || cls == qxLOGICAL_CLASS; }

qxSize checkedCount(const Dims& dims)
{
    qxSize n = 1;
    for (qxSize d : dims) {
        if (d != 0 && n > kMaxElements / d)
            fail(msg::TooLarge, kMaxElements);
        n *= d;
    }
    if (n > kMaxElements)
        fail(msg::TooLarge, kMaxElements);
    return n;
}

Dims dimsOf(const qxArray* a)
{
    const qxSize* d = qxGetDimensions(a);
    return Dims(d, d + qxGetNumberOfDimensions(a));
}

long double readElement(qxClassID cls, const void* data, qxSize i)
{
    return withElementType(cls, [&](auto* tag) {
        using T = std::remove_pointer_t<decltype(tag)>;
        return static_cast<long double>(static_cast<const T*>(data)[i]);
    });
}

void writeElement(qxClassID cls, void* data, qxSize i, long double v)
{
    if (cls == qxLOGICAL_CLASS) {
        static_cast<qxLogical*>(data)[i] = v != 0;
        return;
    }
    withElementType(cls, [&](auto* tag) {
        using T = std::remove_pointer_t<decltype(tag)>;
        T* out = static_cast<T*>(data);
        if constexpr (std::is_same_v<T, float>)
            // Beyond the range of single a value becomes infinite, as the host rounds it.
            out[i] = std::fabs(v) > FLT_MAX && std::isfinite(v) ? (v < 0 ? -INFINITY : INFINITY)
                                                                 : static_cast<float>(v);
        else if constexpr (std::is_floating_point_v<T>)
            out[i] = static_cast<T>(v);
        else
            out[i] = saturate<T>(v);
    });
}

QxArrayPtr convertClass(const qxArray* a, qxClassID target)
{
    qxClassID from = qxGetClassID(a);
    if (!hasElements(from) || !hasElements(target))
        fail(msg::ClassMismatch, qxGetClassName(a), qx::className(target));
    if (qxIsSparse(a) && target != qxDOUBLE_CLASS && target != qxLOGICAL_CLASS)
        fail(msg::ClassMismatch, "sparse", qx::className(target));
    if (from == target)
        return QxArrayPtr(qxCreateSharedDataCopy(a));
    QxArrayPtr full = fullOf(a);
    bool complex = qxIsComplex(a);
    if (complex && !isNumeric(target))
        fail(msg::ClassMismatch, describe(a), qx::className(target));
    qxSize n = qxGetNumberOfElements(a);
    if (target == qxLOGICAL_CLASS)
        for (qxSize i = 0; i < n; ++i)
            if (std::isnan(readElement(from, qxGetData(full.get()), i)))
                fail(msg::NaNToLogical);
    QxArrayPtr out = newArray(dimsOf(a), target, complex);
    for (qxSize i = 0; i < n; ++i) {
        writeElement(target, qxGetData(out.get()), i, readElement(from, qxGetData(full.get()), i));
        if (complex)
            writeElement(target, qxGetImagData(out.get()), i, readElement(from, qxGetImagData(full.get()), i));
    }
    return qxIsSparse(a) ? sparseOf(out.get()) : std::move(out);
}

QxArrayPtr filledArray(const Dims& dims, qxClassID cls, long double value)
{
    QxArrayPtr out = newArray(dims, cls, false);
    qxSize n = qxGetNumberOfElements(out.get());
    for (qxSize i = 0; i < n; ++i)
        writeElement(cls, qxGetData(out.get()), i, value);
    return out;
}

QxArrayPtr emptyCellArray(const Dims& dims)
{
    qxSize n = checkedCount(dims);
    QxArrayPtr out(qxCreateCellArray(dims.size(), dims.data()));
    for (qxSize i = 0; i < n; ++i)
        qxSetCell(out.get(), i, qxCreateDoubleMatrix(0, 0, qxREAL));
    return out;
}

QxArrayPtr cellOf(QxArrayPtr a)
{
    QxArrayPtr out(qxCreateCellMatrix(1, 1));
    qxSetCell(out.get(), 0, a.release());
    return out;
}

QxArrayPtr concatenate(qxSize dim, const std::vector<const qxArray*>& parts)
{
    if (dim == 0)
        fail(msg::BadArgument, "cat", "the dimension must be a positive integer");
    if (parts.empty())
        return QxArrayPtr(qxCreateDoubleMatrix(0, 0, qxREAL));
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
        std::vector<QxArrayPtr> wrapped;
        std::vector<const qxArray*> cells;
        for (const qxArray* p : placed) {
            if (!qxIsCell(p)) {
                wrapped.push_back(cellOf(QxArrayPtr(qxCreateSharedDataCopy(p))));
                p = wrapped.back().get();
            }
            cells.push_back(p);
        }
        return joinCells(dim, cells);
    }
    if (anyStruct) {
        for (const qxArray* p : placed)
            if (!qxIsStruct(p))
                fail(msg::ClassMismatch, qxGetClassName(p), "struct");
        if (placed.empty())
            return newStructArray({0, 0}, {});
        return joinStructs(dim, placed);
    }
    qxClassID cls = commonClass(parts);
    QxArrayPtr out = joinElements(dim, placed, cls, anyComplex);
    bool canBeSparse = (cls == qxDOUBLE_CLASS || cls == qxLOGICAL_CLASS) && qxGetNumberOfDimensions(out.get()) == 2;
    return anySparse && canBeSparse ? sparseOf(out.get()) : std::move(out);
}

QxArrayPtr reshape(const qxArray* a, const Dims& dims)
{
    qxSize n = checkedCount(dims);
    if (n != qxGetNumberOfElements(a))
        fail(msg::BadArgument, "reshape", "the number of elements must not change");
    if (qxIsSparse(a)) {
        Dims kept = dims;
        while (kept.size() > 2 && kept.back() == 1)
            kept.pop_back();
        if (kept.size() > 2)
            fail(msg::BadArgument, "reshape", "a sparse array has two dimensions");
        QxArrayPtr full = fullOf(a);
        qxSetDimensions(full.get(), dims.data(), dims.size());
        return sparseOf(full.get());
    }
    QxArrayPtr out(qxCreateSharedDataCopy(a));
    qxSetDimensions(out.get(), dims.data(), dims.size());
    return out;
}

QxArrayPtr sparseOf(const qxArray* a)
{
    qxClassID cls = qxGetClassID(a);
    if (cls != qxDOUBLE_CLASS && cls != qxLOGICAL_CLASS)
        fail(msg::BadArgument, "sparse", "only double and logical arrays can be sparse");
    if (qxGetNumberOfDimensions(a) > 2)
        fail(msg::BadArgument, "sparse", "a sparse array has two dimensions");
    if (qxIsSparse(a))
        return QxArrayPtr(qxDuplicateArray(a));
    qxSize m = qxGetM(a), n = qxGetN(a), count = m * n;
    bool complex = qxIsComplex(a);
    auto nonZero = [&](qxSize i) {
        return readElement(cls, qxGetData(a), i) != 0 || (complex && readElement(cls, qxGetImagData(a), i) != 0);
    };
    qxSize nz = 0;
    for (qxSize i = 0; i < count; ++i)
        nz += nonZero(i);
    QxArrayPtr out(cls == qxLOGICAL_CLASS ? qxCreateSparseLogicalMatrix(m, n, nz)
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

QxArrayPtr complexOf(const qxArray* re, const qxArray* im)
{
    for (const qxArray* p : {re, im}) {
        if (!isNumeric(qxGetClassID(p)))
            fail(msg::BadArgument, "complex", "the parts must be numeric");
        if (qxIsComplex(p))
            fail(msg::BadArgument, "complex", "the parts must be real");
    }
    qxClassID a = qxGetClassID(re), b = qxGetClassID(im);
    if (a != b && a != qxDOUBLE_CLASS && b != qxDOUBLE_CLASS)
        fail(msg::BadArgument, "complex", "the parts must be of one class, or one of them double");
    qxClassID cls = a == qxDOUBLE_CLASS ? b : a;
    bool sparse = qxIsSparse(re) || qxIsSparse(im);
    if (sparse && cls != qxDOUBLE_CLASS)
        fail(msg::ClassMismatch, "sparse", qx::className(cls));
    QxArrayPtr r = convertClass(re, cls), i = convertClass(im, cls);
    QxArrayPtr rf = fullOf(r.get()), jf = fullOf(i.get());
    qxSize nr = qxGetNumberOfElements(rf.get()), ni = qxGetNumberOfElements(jf.get());
    if (nr != 1 && ni != 1 && dimsOf(rf.get()) != dimsOf(jf.get()))
        fail(msg::BadArgument, "complex", "the parts must have the same size, or one of them be a scalar");
    const qxArray* shape = nr == 1 ? jf.get() : rf.get();
    QxArrayPtr out = newArray(dimsOf(shape), cls, true);
    qxSize n = qxGetNumberOfElements(out.get());
    for (qxSize k = 0; k < n; ++k) {
        writeElement(cls, qxGetData(out.get()), k, readElement(cls, qxGetData(rf.get()), nr == 1 ? 0 : k));
        writeElement(cls, qxGetImagData(out.get()), k, readElement(cls, qxGetData(jf.get()), ni == 1 ? 0 : k));
    }
    return sparse ? sparseOf(out.get()) : std::move(out);
}

QxArrayPtr negate(const qxArray* a)
{
    qxClassID cls = qxGetClassID(a);
    if (!hasElements(cls))
        fail(msg::ClassMismatch, qxGetClassName(a), "a number to negate");
    qxClassID target = isNumeric(cls) ? cls : qxDOUBLE_CLASS;
    QxArrayPtr converted = convertClass(a, target);
    QxArrayPtr full = fullOf(converted.get());
    bool complex = qxIsComplex(full.get());
    QxArrayPtr out = newArray(dimsOf(full.get()), target, complex);
    qxSize n = qxGetNumberOfElements(out.get());
    for (qxSize i = 0; i < n; ++i) {
        writeElement(target, qxGetData(out.get()), i, -readElement(target, qxGetData(full.get()), i));
        if (complex)
            writeElement(target, qxGetImagData(out.get()), i, -readElement(target, qxGetImagData(full.get()), i));
    }
    return qxIsSparse(a) ? sparseOf(out.get()) : std::move(out);
}

QxArrayPtr structOf(const std::vector<std::string_view>& names, const std::vector<const qxArray*>& values)
{
    std::vector<std::string> owned(names.begin(), names.end());
    std::vector<const char*> cnames;
    for (std::size_t f = 0; f < owned.size(); ++f) {
        const std::string& name = owned[f];
        bool valid = !name.empty() && std::isalpha(static_cast<unsigned char>(name[0]));
        for (char c : name)
            valid &= std::isalnum(static_cast<unsigned char>(c)) || c == '_';
        if (!valid)
            fail(msg::BadArgument, "struct", "field names begin with a letter and hold letters, digits and underscores");
        for (std::size_t g = 0; g < f; ++g)
            if (owned[g] == name)
                fail(msg::BadArgument, "struct", "a field name is given twice");
        cnames.push_back(name.c_str());
    }
    // The dimensions of the struct array: those of the cell values that are not 1x1.
    std::optional<Dims> dims;
    for (const qxArray* v : values)
        if (qxIsCell(v) && qxGetNumberOfElements(v) != 1) {
            if (dims && *dims != dimsOf(v))
                fail(msg::BadArgument, "struct", "the cell values must have the same size");
            dims = dimsOf(v);
        }
    QxArrayPtr out = newStructArray(dims.value_or(Dims{1, 1}), cnames);
    qxSize n = qxGetNumberOfElements(out.get());
    for (qxSize i = 0; i < n; ++i)
        for (std::size_t f = 0; f < values.size(); ++f) {
            const qxArray* v = values[f];
            const qxArray* element = !qxIsCell(v) ? v : qxGetCell(v, qxGetNumberOfElements(v) == 1 ? 0 : i);
            qxSetFieldByNumber(out.get(), i, static_cast<int>(f), qxCreateSharedDataCopy(element));
        }
    return out;
}

} // namespace vxhost
