// UTF-16 strings of the GUI-objects library, and their passage to and from
// host char arrays (which hold UTF-16 code units themselves).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "qx/qx.h"

namespace gui_objects {

// A string of UTF-16 code units. Any unit sequence is kept as it is (unpaired
// surrogates and 0 units included); equality compares units.
class UTF16String {
public:
    using CodeUnit = std::uint16_t;

    UTF16String() = default;
    UTF16String(const CodeUnit* units, std::size_t count) : units_(units, units + count) {}

    std::size_t length() const { return units_.size(); }
    bool empty() const { return units_.empty(); }
    const CodeUnit* data() const { return units_.data(); }
    CodeUnit operator[](std::size_t i) const { return units_[i]; }
    const std::vector<CodeUnit>& units() const { return units_; }

    friend bool operator==(const UTF16String& a, const UTF16String& b) { return a.units_ == b.units_; }

private:
    std::vector<CodeUnit> units_;
};

// The strings held by a host array:
// - a char array gives one string per row (each row as it stands, column count
//   units long); an empty char array gives none;
// - a cell array gives one string per cell, in storage order; every cell must
//   hold a char array with at most one row (InvalidArrayDataException).
// A null array raises NullArrayException, any other class
// InvalidArrayClassException.
std::vector<UTF16String> createUTF16StringsFromArray(const qxArray* a);

// A UTF-16 string from `length` bytes of UTF-8 text (see utf8_to_utf16 for
// bytes that are not UTF-8). Raises the utility library's OutOfMemoryException
// when the heap has no room for the conversion.
UTF16String utf16FromUtf8(std::string_view utf8);

// A 1xN char array of the string's units (0x0 for the empty string).
qxArray* createCharRow(const UTF16String& s);
// An M-by-W char array, one row per string (M the number of strings, W the
// longest length), shorter rows padded with `pad`.
qxArray* createCharMatrix(const std::vector<UTF16String>& rows, qxChar pad);

namespace test {
// A UTF-16 string from NUL-terminated 8-bit text read as UTF-8 (null: empty).
UTF16String makeUTF16StringFromCharPtr(const char* text);
} // namespace test

} // namespace gui_objects
