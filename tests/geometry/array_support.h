// Building host arrays of any numeric class from doubles, reading them back,
// and going through a record type's registered conversions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "qx/qx.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace vxtest {

// A rows x cols array of class `cls` holding `values` in storage order, each
// converted to the element type (integer classes take the value modulo their
// width, so 4294967301 in int64 is 2^32 + 5). Char arrays get the values as
// code units.
inline qxArray* makeArray(qxClassID cls, qxSize rows, qxSize cols, const std::vector<double>& values)
{
    qxArray* a = cls == qxCHAR_CLASS ? nullptr : qxCreateNumericMatrix(rows, cols, cls, qxREAL);
    if (cls == qxCHAR_CLASS) {
        qxSize dims[2] = {rows, cols};
        a = qxCreateCharArray(2, dims);
    } else if (cls == qxCELL_CLASS) {
        return qxCreateCellMatrix(rows, cols);
    }
    void* d = qxGetData(a);
    for (qxSize i = 0; i < values.size() && i < rows * cols; ++i) {
        double v = values[i];
        switch (cls) {
        case qxDOUBLE_CLASS: static_cast<double*>(d)[i] = v; break;
        case qxSINGLE_CLASS: static_cast<float*>(d)[i] = static_cast<float>(v); break;
        case qxLOGICAL_CLASS:
        case qxUINT8_CLASS: static_cast<std::uint8_t*>(d)[i] = static_cast<std::uint8_t>(static_cast<std::int64_t>(v)); break;
        case qxINT8_CLASS: static_cast<std::int8_t*>(d)[i] = static_cast<std::int8_t>(static_cast<std::int64_t>(v)); break;
        case qxINT16_CLASS: static_cast<std::int16_t*>(d)[i] = static_cast<std::int16_t>(static_cast<std::int64_t>(v)); break;
        case qxCHAR_CLASS:
        case qxUINT16_CLASS: static_cast<std::uint16_t*>(d)[i] = static_cast<std::uint16_t>(static_cast<std::int64_t>(v)); break;
        case qxINT32_CLASS: static_cast<std::int32_t*>(d)[i] = static_cast<std::int32_t>(static_cast<std::int64_t>(v)); break;
        case qxUINT32_CLASS: static_cast<std::uint32_t*>(d)[i] = static_cast<std::uint32_t>(static_cast<std::int64_t>(v)); break;
        case qxINT64_CLASS: static_cast<std::int64_t*>(d)[i] = static_cast<std::int64_t>(v); break;
        case qxUINT64_CLASS: static_cast<std::uint64_t*>(d)[i] = static_cast<std::uint64_t>(static_cast<std::int64_t>(v)); break;
        default: break;
        }
    }
    return a;
}

// A rows x cols array of class `cls` that has no element storage.
inline qxArray* arrayWithoutData(qxClassID cls, qxSize rows, qxSize cols)
{
    qxArray* a = qxCreateNumericMatrix(0, 0, cls, qxREAL);
    qxSetM(a, rows);
    qxSetN(a, cols);
    return a;
}

// The elements of a numeric array as doubles, in storage order.
inline std::vector<double> elementsOf(const qxArray* a)
{
    std::vector<double> out;
    qxSize n = qxGetNumberOfElements(a);
    const void* d = qxGetData(a);
    for (qxSize i = 0; i < n; ++i) {
        switch (qxGetClassID(a)) {
        case qxDOUBLE_CLASS: out.push_back(static_cast<const double*>(d)[i]); break;
        case qxSINGLE_CLASS: out.push_back(static_cast<const float*>(d)[i]); break;
        case qxINT32_CLASS: out.push_back(static_cast<const std::int32_t*>(d)[i]); break;
        case qxUINT8_CLASS: out.push_back(static_cast<const std::uint8_t*>(d)[i]); break;
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

inline nyro::COSValue fromArray(const char* type, const qxArray* a)
{
    return conversion("any", type)->from(nyro::COSValue::fromPointer(a));
}
inline const qxArray* toArray(const char* type, nyro::COSValue v)
{
    return nyro::pointerValue<const qxArray*>(conversion("any", type)->to(v));
}
inline nyro::COSValue fromText(const char* type, const char* text)
{
    return conversion("string", type)->from(nyro::COSValue::fromPointer(text));
}
// The text a value converts to ("<null>" for none).
inline std::string toText(const char* type, nyro::COSValue v)
{
    char* text = nyro::pointerValue<char*>(conversion("string", type)->to(v));
    std::string s = text ? text : "<null>";
    utFree(text);
    return s;
}

// What a record-array case prints as: "<type> <class> MxN [values]".
template <class Case>
void printArrayCase(const Case& c, std::ostream* os)
{
    *os << c.type << " " << qx::className(c.cls) << " " << c.rows << "x" << c.cols << " " << ::testing::PrintToString(c.values);
}

} // namespace vxtest
