// Host arrays in test tables: class, dimensions, values (repeated to fill),
// complex, sparse and data-less variants; and helpers to
// go through a type's registered conversions and read back what they give.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "arrays/array_types.h"
#include "qx/qx.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace vxtest {

inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double Inf = std::numeric_limits<double>::infinity();

struct Input {
    qxClassID cls = qxDOUBLE_CLASS;
    std::vector<qxSize> dims;
    std::vector<double> values; // column-major, repeated until every element has one
    bool complex = false, sparse = false, null = false;
    bool noData = false; // the dimensions without element storage
    const char* chars = nullptr; // the text of a char row (other char arrays hold 'a's)

    Input as(qxClassID c) const { Input i = *this; i.cls = c; return i; }
    Input asComplex() const { Input i = *this; i.complex = true; return i; }
    Input asSparse() const { Input i = *this; i.sparse = true; return i; }
    Input withoutData() const { Input i = *this; i.noData = true; return i; }
    qxSize numel() const { return std::accumulate(dims.begin(), dims.end(), qxSize(1), std::multiplies<>()); }
    double value(qxSize i) const { return values.empty() ? 0.0 : values[i % values.size()]; }

    // A new host array (a temporary of the current call). Sparse arrays are
    // real 2-D double or logical ones.
    qxArray* make() const;
    std::string describe() const;
};

inline Input row(std::vector<double> v) { return {qxDOUBLE_CLASS, {1, v.size()}, v}; }
inline Input col(std::vector<double> v) { return {qxDOUBLE_CLASS, {v.size(), 1}, v}; }
inline Input mat(qxSize m, qxSize n, std::vector<double> fill = {0}) { return {qxDOUBLE_CLASS, {m, n}, fill}; }
inline Input nd(std::vector<qxSize> dims, std::vector<double> fill = {0}) { return {qxDOUBLE_CLASS, dims, fill}; }
inline Input nullArray() { Input i; i.null = true; return i; }
inline Input chars(const char* text) { Input i{qxCHAR_CLASS, {1, std::strlen(text)}, {}}; i.chars = text; return i; }

inline std::ostream& operator<<(std::ostream& os, const Input& i) { return os << i.describe(); }

namespace detail {

// Element k of `data`, of class `cls`, set to v.
inline void put(qxClassID cls, void* data, qxSize k, double v)
{
    switch (cls) {
    case qxDOUBLE_CLASS: static_cast<double*>(data)[k] = v; break;
    case qxSINGLE_CLASS: static_cast<float*>(data)[k] = static_cast<float>(v); break;
    case qxINT8_CLASS: static_cast<std::int8_t*>(data)[k] = static_cast<std::int8_t>(v); break;
    case qxLOGICAL_CLASS:
    case qxUINT8_CLASS: static_cast<std::uint8_t*>(data)[k] = static_cast<std::uint8_t>(v); break;
    case qxINT16_CLASS: static_cast<std::int16_t*>(data)[k] = static_cast<std::int16_t>(v); break;
    case qxUINT16_CLASS: static_cast<std::uint16_t*>(data)[k] = static_cast<std::uint16_t>(v); break;
    case qxINT32_CLASS: static_cast<std::int32_t*>(data)[k] = static_cast<std::int32_t>(v); break;
    case qxUINT32_CLASS: static_cast<std::uint32_t*>(data)[k] = static_cast<std::uint32_t>(v); break;
    case qxINT64_CLASS: static_cast<std::int64_t*>(data)[k] = static_cast<std::int64_t>(v); break;
    case qxUINT64_CLASS: static_cast<std::uint64_t*>(data)[k] = static_cast<std::uint64_t>(v); break;
    default: break;
    }
}

inline std::string number(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return std::isnan(v) ? "NaN" : std::isinf(v) ? (v < 0 ? "-Inf" : "Inf") : buf;
}

} // namespace detail

inline qxArray* Input::make() const
{
    if (null)
        return nullptr;
    if (noData) {
        qxArray* a = cls == qxCELL_CLASS ? qxCreateCellMatrix(0, 0) : qxCreateNumericMatrix(0, 0, cls, qxREAL);
        qxSetM(a, dims[0]);
        qxSetN(a, dims[1]);
        return a;
    }
    if (chars)
        return qxCreateString(chars);
    if (cls == qxCHAR_CLASS) {
        qxArray* a = qxCreateCharArray(dims.size(), dims.data());
        std::fill(qxGetChars(a), qxGetChars(a) + numel(), qxChar('a'));
        return a;
    }
    if (cls == qxCELL_CLASS)
        return qxCreateCellMatrix(dims[0], dims[1]);
    if (sparse) {
        // The non-zeros, column by column.
        const qxSize m = dims[0], n = dims[1];
        std::vector<qxSize> nz;
        for (qxSize k = 0; k < m * n; ++k)
            if (value(k) != 0)
                nz.push_back(k);
        qxArray* a = cls == qxLOGICAL_CLASS ? qxCreateSparseLogicalMatrix(m, n, nz.size()) : qxCreateSparse(m, n, nz.size(), qxREAL);
        for (qxSize i = 0; i < nz.size(); ++i) {
            qxGetIr(a)[i] = nz[i] % m;
            detail::put(cls, qxGetData(a), i, value(nz[i]));
        }
        for (qxSize j = 0; j <= n; ++j)
            qxGetJc(a)[j] = std::lower_bound(nz.begin(), nz.end(), j * m) - nz.begin();
        return a;
    }
    qxArray* a = qxCreateNumericArray(dims.size(), dims.data(), cls, complex ? qxCOMPLEX : qxREAL);
    for (qxSize k = 0; k < numel(); ++k) {
        detail::put(cls, qxGetData(a), k, value(k));
        if (complex)
            detail::put(cls, qxGetImagData(a), k, value(k));
    }
    return a;
}

inline std::string Input::describe() const
{
    if (null)
        return "null";
    if (chars)
        return std::string("'") + chars + "'";
    std::ostringstream os;
    os << qx::className(cls);
    for (qxSize k = 0; k < dims.size(); ++k)
        os << (k ? "x" : " ") << dims[k];
    os << (complex ? " complex" : "") << (sparse ? " sparse" : "") << (noData ? " without data" : "");
    if (values.size() <= 6) {
        os << " {";
        for (qxSize k = 0; k < values.size(); ++k)
            os << (k ? " " : "") << detail::number(values[k]);
        os << "}";
    }
    return os.str();
}

// ---- reading back ---------------------------------------------------------------------

inline nyro::COSValue slot(const void* p) { return nyro::COSValue::fromPointer(p); }
// The array an array-valued property value holds.
inline const qxArray* heldBy(nyro::COSValue v) { return nyro::pointerValue<const datatypes::ArrayBase*>(v)->getPtr(); }
// "<class> MxN" of an array.
inline std::string describeShape(const qxArray* a)
{
    return std::string(qx::className(qxGetClassID(a))) + " " + std::to_string(qxGetM(a)) + "x" + std::to_string(qxGetN(a));
}

// The elements of a double, int32 or uint8 array as doubles, in storage order.
inline std::vector<double> elementsOf(const qxArray* a)
{
    std::vector<double> out;
    for (qxSize i = 0, n = qxGetNumberOfElements(a); i < n; ++i) {
        switch (qxGetClassID(a)) {
        case qxDOUBLE_CLASS: out.push_back(static_cast<const double*>(qxGetData(a))[i]); break;
        case qxINT32_CLASS: out.push_back(static_cast<const std::int32_t*>(qxGetData(a))[i]); break;
        case qxUINT8_CLASS: out.push_back(static_cast<const std::uint8_t*>(qxGetData(a))[i]); break;
        default: out.push_back(0); break;
        }
    }
    return out;
}

// Element-wise equality where NaN equals NaN.
inline bool sameElements(const std::vector<double>& a, const std::vector<double>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](double x, double y) { return x == y || (x != x && y != y); });
}

inline nyro::COSValue fromArray(const char* type, const qxArray* a) { return conversion("any", type)->from(slot(a)); }
// The array a value converts to: a temporary of the call, or (array-valued
// types) a shared copy the caller destroys.
inline qxArray* toArray(const char* type, nyro::COSValue v) { return nyro::pointerValue<qxArray*>(conversion("any", type)->to(v)); }
inline nyro::COSValue fromText(const char* type, const char* text) { return conversion("string", type)->from(slot(text)); }
// The text a value converts to ("<null>" for none).
inline std::string toText(const char* type, nyro::COSValue v)
{
    char* text = nyro::pointerValue<char*>(conversion("string", type)->to(v));
    std::string s = text ? text : "<null>";
    utFree(text);
    return s;
}

} // namespace vxtest
