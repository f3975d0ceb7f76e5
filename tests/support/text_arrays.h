// Host arrays of text for tests: built from their literal text, and described
// back in the same notation so that tables can state expected arrays plainly.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "gui_objects/string_parse.h"
#include "gui_objects/utf16_string.h"
#include "qx/qx.h"

namespace vxtest {

// The array of a literal such as 'abc', ['ab';'cd'] or {'-o';':'}.
inline qxArray* literal(const char* text)
{
    qxArray* a = gui_objects::convert_from_string_utils::parse_strings(text);
    EXPECT_NE(a, nullptr) << "test literal not readable: " << text;
    return a;
}

// UTF-8 of code units, quotes doubled as in a literal and NUL shown as \0.
inline std::string utf8Of(const qxChar* units, qxSize n)
{
    qxArray* row = qxCreateString_UTF16n(units, n);
    std::string text = qxArrayToStdString(row), out;
    qxDestroyArray(row);
    for (char c : text)
        out += c == '\0' ? std::string("\\0") : c == '\'' ? std::string("''") : std::string(1, c);
    return out;
}

// "MxN class" followed by the contents of char and cell arrays:
// "3x2 char ['- ';'--';': ']", "2x1 cell {'-o';':'}", "1x1 double".
inline std::string describe(const qxArray* a)
{
    if (!a)
        return "null";
    qxSize m = qxGetM(a), n = qxGetN(a);
    std::string out = std::to_string(m) + "x" + std::to_string(n) + " " + qxGetClassName(a);
    if (qxGetClassID(a) == qxCHAR_CLASS) {
        out += " [";
        const qxChar* chars = qxGetChars(a);
        for (qxSize i = 0; i < m; ++i) {
            std::vector<qxChar> row(n);
            for (qxSize j = 0; j < n; ++j)
                row[j] = chars[j * m + i];
            out += i ? ";'" : "'";
            out += utf8Of(row.data(), n);
            out += '\'';
        }
        out += "]";
    } else if (qxGetClassID(a) == qxCELL_CLASS) {
        out += " {";
        for (qxSize i = 0; i < m; ++i) {
            for (qxSize j = 0; j < n; ++j) {
                const qxArray* e = qxGetCell(a, j * m + i);
                out += i && !j ? ";" : j ? "," : "";
                if (qxGetClassID(e) == qxCHAR_CLASS && qxGetM(e) <= 1) {
                    out += '\'';
                    out += utf8Of(qxGetChars(e), qxGetNumberOfElements(e));
                    out += '\'';
                } else {
                    out += e ? describe(e) : "null";
                }
            }
        }
        out += "}";
    }
    return out;
}

// Text as it may appear in a test name: bytes outside printable ASCII as \xNN.
inline std::string printable(std::string_view text)
{
    std::string out;
    for (unsigned char c : text) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
        out += c >= 0x20 && c < 0x7f ? std::string(1, static_cast<char>(c)) : std::string(escaped);
    }
    return out;
}

inline gui_objects::UTF16String utf16(std::u16string_view s)
{
    const std::vector<std::uint16_t> units(s.begin(), s.end());
    return gui_objects::UTF16String(units.data(), units.size());
}

} // namespace vxtest
