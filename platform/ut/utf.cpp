#include "ut/utf.h"

#include <cstring>

#include "ut/ut.h"

namespace {

bool isContinuation(unsigned char b) { return (b & 0xc0) == 0x80; }

// Length of the well-formed sequence starting at p[0] (p has n > 0 bytes),
// with its code point in `cp`; 0 when the sequence is not well formed.
unsigned decodeOne(const unsigned char* p, std::size_t n, unsigned& cp)
{
    unsigned char b = p[0];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    unsigned len;
    unsigned char low = 0x80, high = 0xbf; // allowed range of the second byte
    if (b >= 0xc2 && b <= 0xdf) {
        len = 2;
        cp = b & 0x1f;
    } else if (b >= 0xe0 && b <= 0xef) {
        len = 3;
        cp = b & 0x0f;
        if (b == 0xe0)
            low = 0xa0; // shorter forms are overlong
    } else if (b >= 0xf0 && b <= 0xf4) {
        len = 4;
        cp = b & 0x07;
        if (b == 0xf0)
            low = 0x90; // overlong
        if (b == 0xf4)
            high = 0x8f; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (n < len || p[1] < low || p[1] > high)
        return 0;
    for (unsigned k = 1; k < len; ++k) {
        if (!isContinuation(p[k]))
            return 0;
        cp = (cp << 6) | (p[k] & 0x3f);
    }
    return len;
}

} // namespace

std::uint16_t* utf8_to_utf16(const char* utf8, std::size_t length, std::size_t* units)
{
    if (!utf8)
        length = 0;
    else if (length == UT_WHOLE_STRING)
        length = std::strlen(utf8);
    // Every byte gives at most one code unit (four bytes give two), so the
    // buffer never needs more units than bytes, plus the terminator.
    auto* out = static_cast<std::uint16_t*>(utMalloc((length + 1) * sizeof(std::uint16_t)));
    if (!out)
        return nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    std::size_t i = 0, k = 0;
    while (i < length) {
        // Runs of ASCII are copied without decoding.
        while (i < length && p[i] < 0x80)
            out[k++] = p[i++];
        if (i == length)
            break;
        unsigned cp = 0;
        unsigned len = decodeOne(p + i, length - i, cp);
        if (len == 0) {
            out[k++] = p[i++];
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out[k++] = static_cast<std::uint16_t>(0xd800 + (cp >> 10));
            out[k++] = static_cast<std::uint16_t>(0xdc00 + (cp & 0x3ff));
            i += len;
        } else {
            out[k++] = static_cast<std::uint16_t>(cp);
            i += len;
        }
    }
    out[k] = 0;
    if (units)
        *units = k;
    return out;
}

std::size_t utf8_valid_prefix(const char* utf8, std::size_t length)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    std::size_t i = 0;
    while (i < length) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        unsigned cp = 0;
        unsigned len = decodeOne(p + i, length - i, cp);
        if (len == 0)
            return i;
        i += len;
    }
    return length;
}

unsigned utf8_decode(const char* utf8, std::size_t n, unsigned& cp)
{
    return n ? decodeOne(reinterpret_cast<const unsigned char*>(utf8), n, cp) : 0;
}

std::u16string utf8_to_u16string(const char* utf8, std::size_t length)
{
    std::u16string out;
    out.reserve(length);
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    for (std::size_t i = 0; i < length;) {
        unsigned cp = 0;
        unsigned len = p[i] < 0x80 ? (cp = p[i], 1u) : decodeOne(p + i, length - i, cp);
        if (len == 0) { // not UTF-8: the byte stands for itself
            out.push_back(static_cast<char16_t>(p[i++]));
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xd800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xdc00 + (cp & 0x3ff)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::size_t utf16_to_utf8(const std::uint16_t* units, std::size_t n, char* out)
{
    char* const start = out;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned cp = units[i];
        if (cp < 0x80) {
            *out++ = static_cast<char>(cp);
            continue;
        }
        if (cp >= 0xd800 && cp < 0xdc00 && i + 1 < n && units[i + 1] >= 0xdc00 && units[i + 1] < 0xe000)
            cp = 0x10000 + ((cp - 0xd800) << 10) + (units[++i] - 0xdc00);
        if (cp < 0x800) {
            *out++ = static_cast<char>(0xc0 | (cp >> 6));
            *out++ = static_cast<char>(0x80 | (cp & 0x3f));
        } else if (cp < 0x10000) {
            *out++ = static_cast<char>(0xe0 | (cp >> 12));
            *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
            *out++ = static_cast<char>(0x80 | (cp & 0x3f));
        } else {
            *out++ = static_cast<char>(0xf0 | (cp >> 18));
            *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
            *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
            *out++ = static_cast<char>(0x80 | (cp & 0x3f));
        }
    }
    return static_cast<std::size_t>(out - start);
}

std::string utf16_to_utf8(const std::uint16_t* units, std::size_t n)
{
    std::string out(utf8_room(n), '\0');
    out.resize(utf16_to_utf8(units, n, out.data()));
    return out;
}
