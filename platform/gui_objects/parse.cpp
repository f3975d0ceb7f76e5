#include "gui_objects/parse.h"
#include "qx/element_class.h"

#include <cmath>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <type_traits>
#include <limits>

namespace gui_objects::convert_from_string_utils {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool startsWithWord(const char* p, const char* word)
{
    for (; *word; ++p, ++word)
        if (std::tolower(static_cast<unsigned char>(*p)) != *word)
            return false;
    return !std::isalnum(static_cast<unsigned char>(*p));
}

// Reads one number at p; advances p past it.
double readNumber(const char*& p)
{
    const char* q = p;
    double sign = 1;
    if (*q == '+' || *q == '-') {
        sign = *q == '-' ? -1 : 1;
        ++q;
    }
    if (startsWithWord(q, "nan")) {
        p = q + 3;
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (startsWithWord(q, "inf")) {
        p = q + 3;
        return sign * std::numeric_limits<double>::infinity();
    }
    // Decimal notation only: no hexadecimal numbers.
    if (!(std::isdigit(static_cast<unsigned char>(*q)) || *q == '.') || (q[0] == '0' && (q[1] == 'x' || q[1] == 'X')))
        throw ParseException();
    char* end = nullptr;
    double v = std::strtod(p, &end);
    if (end == p)
        throw ParseException();
    p = end;
    return v;
}

} // namespace

ParsedMatrix parse_matrix(const char* text)
{
    if (!text)
        throw ParseException();
    ParsedMatrix m;
    const char* p = text;
    while (isBlank(*p) || *p == '\n')
        ++p;
    bool bracketed = *p == '[';
    if (bracketed)
        ++p;
    qxSize inRow = 0;
    bool sawRowBreak = false;
    auto endRow = [&] {
        if (inRow == 0 && !sawRowBreak && m.rows == 0)
            return; // nothing yet
        if (m.rows == 0)
            m.cols = inRow;
        else if (inRow != m.cols)
            throw ParseException();
        ++m.rows;
        inRow = 0;
    };
    for (;;) {
        while (isBlank(*p) || *p == ',')
            ++p;
        if (*p == ';' || *p == '\n') {
            if (inRow == 0)
                throw ParseException(); // empty row between separators
            endRow();
            sawRowBreak = true;
            ++p;
            continue;
        }
        if (*p == ']' || *p == '\0')
            break;
        m.rowMajor.push_back(readNumber(p));
        ++inRow;
        if (!(isBlank(*p) || *p == ',' || *p == ';' || *p == '\n' || *p == ']' || *p == '\0'))
            throw ParseException();
    }
    if (bracketed) {
        if (*p != ']')
            throw ParseException();
        ++p;
    } else if (*p == ']') {
        throw ParseException();
    }
    while (isBlank(*p) || *p == '\n')
        ++p;
    if (*p != '\0')
        throw ParseException();
    if (inRow > 0)
        endRow(); // a trailing ";" has already closed the last row
    if (m.rows == 0)
        m.cols = 0;
    return m;
}

void parse_array_dimensions(const char* text, qxSize& rows, qxSize& cols)
{
    ParsedMatrix m = parse_matrix(text);
    rows = m.rows;
    cols = m.cols;
}

namespace {

// Stores v as element `index` of a `cls` array; a value the class cannot hold
// exactly (a fraction or out of range for an integer class, other than 0 or 1
// for logical) and a class without numbers are parse errors.
void storeAs(qxClassID cls, void* data, qxSize index, double v)
{
    qx::visitElementClass(cls, [&](auto e) {
        using T = qx::ElementOf<decltype(e)>;
        if constexpr (std::is_void_v<T> || decltype(e)::id == qxCHAR_CLASS) {
            throw ParseException();
        } else if constexpr (decltype(e)::id == qxLOGICAL_CLASS) {
            if (v != 0 && v != 1)
                throw ParseException();
            static_cast<T*>(data)[index] = static_cast<T>(v);
        } else if constexpr (std::is_floating_point_v<T>) {
            static_cast<T*>(data)[index] = static_cast<T>(v);
        } else {
            if (!std::isfinite(v) || v != std::floor(v) || v < static_cast<double>(std::numeric_limits<T>::lowest()) ||
                v > static_cast<double>(std::numeric_limits<T>::max()))
                throw ParseException();
            static_cast<T*>(data)[index] = static_cast<T>(v);
        }
    });
}

template <qxSize R, qxSize C>
void parseFixed(const char* text, double* out)
{
    ParsedMatrix m = parse_matrix(text);
    if (m.rows != R || m.cols != C)
        throw ParseException();
    std::memcpy(out, m.rowMajor.data(), R * C * sizeof(double));
}

} // namespace

qxArray* parse_mxn(qxSize m, qxSize n, qxClassID cls, const char* text)
{
    ParsedMatrix parsed = parse_matrix(text);
    if (parsed.rows != m || parsed.cols != n)
        throw ParseException();
    QxArrayPtr a(qxCreateNumericMatrix(m, n, cls, qxREAL));
    void* data = qxGetData(a.get());
    for (qxSize i = 0; i < m; ++i)
        for (qxSize j = 0; j < n; ++j)
            storeAs(cls, data, j * m + i, parsed.rowMajor[i * n + j]);
    return a.release();
}

void parse_1x2_double(const char* text, double out[2]) { parseFixed<1, 2>(text, out); }
void parse_1x3_double(const char* text, double out[3]) { parseFixed<1, 3>(text, out); }
void parse_1x4_double(const char* text, double out[4]) { parseFixed<1, 4>(text, out); }
void parse_2x3_double(const char* text, double out[2][3]) { parseFixed<2, 3>(text, &out[0][0]); }

} // namespace gui_objects::convert_from_string_utils
