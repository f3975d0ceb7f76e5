// Line and marker style lists: the ordered style entries ('-', '--o', ':')
// an axes cycles through. A list is set either as one char array whose entries
// are separated by "|" or as a cell array with one entry per cell, and is given
// back in the form it was set in. Each entry must name a line style, a marker
// or both, and no colour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/datatype.h"

namespace datatypes {

// One entry, kept exactly as the user typed it (case and blanks included).
class LineMarkerStyle {
public:
    // Raises the utility library's SimpleException
    // "KELDAR:vxdatatypes:InvalidMarkerLineStyle" unless the style text
    // parser reads `s` as a marker, a line style or both, without a colour.
    explicit LineMarkerStyle(std::string s);
    const std::string& getString() const { return text_; }
    bool operator==(const LineMarkerStyle& other) const { return text_ == other.text_; }
    bool operator!=(const LineMarkerStyle& other) const { return !(*this == other); }

private:
    std::string text_;
};

// Every failure to build a list leaves as a SimpleException carrying the
// identifier and text, which the object system reports; no partial list
// survives it.
class VX_API NLineStyles {
public:
    // The single entry "-", set as text.
    NLineStyles();
    // From a char array ("|"-separated entries, empty tokens kept, so that an
    // empty entry is reported) or a cell array of char arrays (no splitting).
    explicit NLineStyles(const qxArray* a);
    // One entry per string, set as text; at least one string.
    explicit NLineStyles(std::vector<std::string> v);
    NLineStyles(const NLineStyles& other) { copy(other); }
    NLineStyles& operator=(const NLineStyles& other)
    {
        if (this != &other)
            copy(other);
        return *this;
    }
    ~NLineStyles() = default;

    // Takes over the entries and the form of `other`.
    void copy(const NLineStyles& other);
    // Empties the list.
    void destroy();

    std::size_t size() const { return styles_.size(); }
    const LineMarkerStyle& operator[](std::size_t i) const { return styles_[i]; }
    bool isCell() const { return isCell_ != 0; }

    // Same form and the same entries in the same order.
    bool operator==(const NLineStyles& other) const;

    // A new host array: an N-by-1 cell array of char rows when the list was set
    // as a cell array, else an N-row char matrix with short rows padded with
    // blanks. Raises the utility library's OutOfMemoryException when no room is
    // left for the matrix.
    qxArray* getMatrixRepresentation() const;

private:
    void build(const qxArray* a);
    void addEntries(std::vector<std::string> entries);

    std::vector<LineMarkerStyle> styles_;
    std::int32_t isCell_ = 0;
};

class NLineStylesDataType : public ValueDataType<NLineStylesDataType, NLineStyles> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "NLineStyles";
    static constexpr int valueBytes = 16;
    COSValue makeDefault() const { return store(NLineStyles()); }
};

// Text is read with the string literal parser; a list has no text form.
VX_CONVERSION(NLineStylesSC);

VX_CONVERSION(NLineStylesMC);

using NLineStylesJC = JavaConversionThroughArray<NLineStylesMC>;

} // namespace datatypes
