// Text encoding helpers of the utility library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Length argument of utf8_to_utf16 meaning "up to the terminating NUL".
inline constexpr std::size_t UT_WHOLE_STRING = static_cast<std::size_t>(-1);

// Converts `length` bytes of UTF-8 text (UT_WHOLE_STRING: the whole
// NUL-terminated string; a null text is the empty string) into a new buffer of
// UTF-16 code units in the utility heap, terminated by a 0 unit. `*units`
// (when given) receives the number of code units before the terminator.
// Characters beyond the basic plane become surrogate pairs. A byte that does
// not begin a well-formed sequence (stray continuation byte, truncated or
// overlong sequence, value above U+10FFFF) is taken as it stands, as the code
// unit of the same value, and decoding resumes at the next byte; an encoded
// surrogate (as written for an unpaired one) gives that surrogate unit.
// Returns null when the heap has no storage. Free the buffer with utFree.
std::uint16_t* utf8_to_utf16(const char* utf8, std::size_t length = UT_WHOLE_STRING, std::size_t* units = nullptr);

// Where `length` bytes of text stop being UTF-8: the offset of the first byte
// that does not begin a well-formed sequence (stray continuation byte,
// truncated or overlong sequence, value above U+10FFFF), or `length` when all
// of it is well formed. Encoded surrogates (the form an unpaired UTF-16
// surrogate is written in) count as well formed, as utf8_to_utf16 reads them.
std::size_t utf8_valid_prefix(const char* utf8, std::size_t length);

// The one UTF-8/UTF-16 codec every layer uses (the host's arrays, the console's
// reader, its JSON and display), so that all of them read and write the same
// texts the same way.
//
// Length (1 to 4) of the well-formed sequence at the start of `n` > 0 bytes,
// with its code point in `cp`; 0 when the bytes begin none. Encoded surrogates
// count as well formed (the form an unpaired surrogate is written in).
unsigned utf8_decode(const char* utf8, std::size_t n, unsigned& cp);
// `length` bytes of UTF-8 as UTF-16 code units, with the rules of utf8_to_utf16.
std::u16string utf8_to_u16string(const char* utf8, std::size_t length);
// UTF-16 code units as UTF-8: pairs as one 4-byte sequence, an unpaired
// surrogate as its own 3-byte form (which utf8_to_utf16 reads back).
std::string utf16_to_utf8(const std::uint16_t* units, std::size_t n);
// The same into `out`, which has room for utf8_room(n) bytes; returns the
// number of bytes written (no terminator is added).
std::size_t utf16_to_utf8(const std::uint16_t* units, std::size_t n, char* out);
// The most bytes the UTF-8 form of `n` code units takes (3 per unit).
constexpr std::size_t utf8_room(std::size_t n) { return 3 * n; }
