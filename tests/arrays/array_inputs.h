// Describing host arrays in test tables: class, dimensions, values (repeated
// to fill), complex and sparse variants, and their text form; and small
// helpers to read what an array value holds.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "arrays/array_types.h"
#include "qx/qx.h"

namespace vxtest {

inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double Inf = std::numeric_limits<double>::infinity();

struct Input {
    qxClassID cls = qxDOUBLE_CLASS;
    std::vector<qxSize> dims;
    std::vector<double> values; // column-major, repeated until every element has one
    bool complex = false;
    bool sparse = false;
    bool null = false;

    Input as(qxClassID c) const { Input i = *this; i.cls = c; return i; }
    Input asComplex() const { Input i = *this; i.complex = true; return i; }
    Input asSparse() const { Input i = *this; i.sparse = true; return i; }
    qxSize numel() const { return std::accumulate(dims.begin(), dims.end(), qxSize(1), std::multiplies<>()); }
    double value(qxSize i) const { return values.empty() ? 0.0 : values[i % values.size()]; }

    // A new host array (a temporary of the current call).
    qxArray* make() const;
    // The bracketed text of a 2-D array ("[1 2; 3 4]").
    std::string text() const;
    std::string describe() const;
};

inline Input row(std::vector<double> v) { return {qxDOUBLE_CLASS, {1, v.size()}, v}; }
inline Input col(std::vector<double> v) { return {qxDOUBLE_CLASS, {v.size(), 1}, v}; }
inline Input mat(qxSize m, qxSize n, std::vector<double> fill = {0}) { return {qxDOUBLE_CLASS, {m, n}, fill}; }
inline Input nd(std::vector<qxSize> dims, std::vector<double> fill = {0}) { return {qxDOUBLE_CLASS, dims, fill}; }
inline Input chars(const char* text) { return {qxCHAR_CLASS, {1, std::char_traits<char>::length(text)}, {}, false, false, false}; }
inline Input cell() { return {qxCELL_CLASS, {1, 1}, {}}; }
inline Input nullArray() { Input i; i.null = true; return i; }

inline std::ostream& operator<<(std::ostream& os, const Input& i) { return os << i.describe(); }

inline nyro::COSValue slot(const void* p) { return nyro::COSValue::fromPointer(p); }
// The array an array-valued property value holds.
inline const qxArray* heldBy(nyro::COSValue v) { return nyro::pointerValue<const datatypes::ArrayBase*>(v)->getPtr(); }
// "<class> MxN" of an array.
inline std::string describeShape(const qxArray* a)
{
    return std::string(qx::className(qxGetClassID(a))) + " " + std::to_string(qxGetM(a)) + "x" + std::to_string(qxGetN(a));
}

namespace detail {

template <class T>
inline void fill(void* data, const Input& in, qxSize count, const std::vector<qxSize>& from)
{
    auto* d = static_cast<T*>(data);
    for (qxSize k = 0; k < count; ++k)
        d[k] = static_cast<T>(in.value(from.empty() ? k : from[k]));
}

inline void fillAs(qxClassID cls, void* data, const Input& in, qxSize count, const std::vector<qxSize>& from = {})
{
    switch (cls) {
    case qxDOUBLE_CLASS: fill<double>(data, in, count, from); break;
    case qxSINGLE_CLASS: fill<float>(data, in, count, from); break;
    case qxINT8_CLASS: fill<std::int8_t>(data, in, count, from); break;
    case qxLOGICAL_CLASS:
    case qxUINT8_CLASS: fill<std::uint8_t>(data, in, count, from); break;
    case qxINT16_CLASS: fill<std::int16_t>(data, in, count, from); break;
    case qxUINT16_CLASS: fill<std::uint16_t>(data, in, count, from); break;
    case qxINT32_CLASS: fill<std::int32_t>(data, in, count, from); break;
    case qxUINT32_CLASS: fill<std::uint32_t>(data, in, count, from); break;
    case qxINT64_CLASS: fill<std::int64_t>(data, in, count, from); break;
    case qxUINT64_CLASS: fill<std::uint64_t>(data, in, count, from); break;
    default: break;
    }
}

inline std::string number(double v)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v < 0 ? "-Inf" : "Inf";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

} // namespace detail

inline qxArray* Input::make() const
{
    if (null)
        return nullptr;
    if (cls == qxCHAR_CLASS) {
        qxArray* a = qxCreateCharArray(dims.size(), dims.data());
        std::fill(qxGetChars(a), qxGetChars(a) + numel(), qxChar('a'));
        return a;
    }
    if (cls == qxCELL_CLASS)
        return qxCreateCellMatrix(dims[0], dims[1]);
    if (sparse) {
        // Stored non-zeros only, column by column.
        const qxSize m = dims[0], n = dims[1];
        std::vector<qxSize> nz;
        for (qxSize k = 0; k < m * n; ++k)
            if (value(k) != 0)
                nz.push_back(k);
        qxArray* a = cls == qxLOGICAL_CLASS ? qxCreateSparseLogicalMatrix(m, n, nz.size())
                                            : qxCreateSparse(m, n, nz.size(), complex ? qxCOMPLEX : qxREAL);
        qxSize* ir = qxGetIr(a);
        qxSize* jc = qxGetJc(a);
        for (qxSize j = 0, k = 0; j < n; ++j) {
            jc[j] = k;
            while (k < nz.size() && nz[k] / m == j) {
                ir[k] = nz[k] % m;
                ++k;
            }
        }
        jc[n] = nz.size();
        detail::fillAs(cls, qxGetData(a), *this, nz.size(), nz);
        if (complex && qxGetImagData(a))
            detail::fillAs(cls, qxGetImagData(a), *this, nz.size(), nz);
        return a;
    }
    qxArray* a = qxCreateNumericArray(dims.size(), dims.data(), cls, complex ? qxCOMPLEX : qxREAL);
    detail::fillAs(cls, qxGetData(a), *this, numel());
    if (complex && qxGetImagData(a))
        detail::fillAs(cls, qxGetImagData(a), *this, numel());
    return a;
}

inline std::string Input::text() const
{
    std::string t = "[";
    const qxSize m = dims[0], n = dims.size() > 1 ? dims[1] : 1;
    for (qxSize i = 0; i < m; ++i) {
        for (qxSize j = 0; j < n; ++j)
            t += (j ? " " : "") + detail::number(value(j * m + i));
        t += i + 1 < m ? "; " : "";
    }
    return t + "]";
}

inline std::string Input::describe() const
{
    if (null)
        return "null";
    std::ostringstream os;
    os << qx::className(cls);
    for (qxSize k = 0; k < dims.size(); ++k)
        os << (k ? "x" : " ") << dims[k];
    if (complex)
        os << " complex";
    if (sparse)
        os << " sparse";
    if (!values.empty() && values.size() <= 6) {
        os << " {";
        for (qxSize k = 0; k < values.size(); ++k)
            os << (k ? " " : "") << detail::number(values[k]);
        os << "}";
    }
    return os.str();
}

} // namespace vxtest
