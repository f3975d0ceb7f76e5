// The string list of the GUI-objects library: an ordered list of UTF-16
// strings that remembers whether it came from a char matrix (one string per
// row) or from a cell array (one string per cell, with the cell array's rows
// and columns), and gives itself back in that form. Arrays of more than two
// dimensions count every dimension after the first as columns.
#pragma once

#include <cstddef>
#include <vector>

#include "gui_objects/utf16_string.h"
#include "qx/qx.h"

namespace gui_objects {

class NStrings {
public:
    // The empty list, in char matrix form.
    NStrings() = default;
    // The strings of a char matrix or of a cell array of char row vectors
    // (createUTF16StringsFromArray). Anything else raises a host error:
    // "KELDAR:gui_objects:NStrings:InvalidInput" for a null array or another
    // class, "KELDAR:gui_objects:NStrings:InvalidCell" for a cell that holds
    // no char row vector.
    explicit NStrings(const qxArray* a);
    NStrings(const NStrings&) = default;
    NStrings& operator=(const NStrings&) = default;

    std::size_t size() const { return strings_.size(); }
    const UTF16String& operator[](std::size_t i) const { return strings_[i]; }
    bool isCell() const { return isCell_; }

    // Same form, same cell shape and the same strings in the same order.
    bool operator==(const NStrings& other) const;

    // A new host array: a cell array of the remembered shape holding one char
    // row per string, or an M-by-W char matrix with rows padded with blanks
    // (0x0 for the empty list).
    qxArray* toMatrix() const;

    // Lists live in the utility heap; no storage raises the utility library's
    // OutOfMemoryException.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;

private:
    std::vector<UTF16String> strings_;
    bool isCell_ = false;
    qxSize cellRows_ = 0;
    qxSize cellColumns_ = 0;
};

} // namespace gui_objects

// The host refers to the list by its plain name.
using gui_objects::NStrings;
