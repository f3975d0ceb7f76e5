// Text encoding helpers of the utility library.
#pragma once

#include <cstddef>
#include <cstdint>

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
