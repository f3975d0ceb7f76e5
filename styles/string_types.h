// Properties that hold text: a font name (one 8-bit C string), a UTF-16 string
// and a list of strings. The UTF-16 string and the list are classes of the
// GUI-objects library; this library adapts them to the object system.
#pragma once

#include "frame/datatype.h"
#include "gui_objects/nstrings.h"
#include "gui_objects/utf16_string.h"

namespace datatypes {

// ---- FontName ---------------------------------------------------------------------

// A C string in the utility heap, duplicated on copy; no storage gives the
// null value.
struct HeapText {
    static COSValue copy(const char& text) { return slotOf(utStrdup(&text)); }
    static void release(char* text) { utFree(text); }
};

class FontNameDataType : public ValueDataType<FontNameDataType, char, HeapText> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "FontName";
    static constexpr int valueBytes = 1;
    // A null first value equals only a null second value; otherwise the texts
    // are compared byte by byte, a null second value counting as "".
    bool isEqual(COSValue a, COSValue b) const override;
    COSValue makeDefault() const { return slotOf(utStrdup("")); }
};

// Text in: a copy. Text out: the text the value holds, not a copy.
VX_CONVERSION(FontNameSC);

// Arrays go through the host's own conversion between arrays and text.
VX_CONVERSION(FontNameMC);

using FontNameJC = JavaConversionThroughArray<FontNameMC>;

// ---- UTF16String ------------------------------------------------------------------

class UTF16StringDataType
    : public ValueDataType<UTF16StringDataType, gui_objects::UTF16String, MallocRecord<gui_objects::UTF16String>> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "UTF16String";
    static constexpr int valueBytes = 12;
    COSValue makeDefault() const { return store(gui_objects::UTF16String()); }
};

// Text in is read as UTF-8. Text out is a new utility-heap buffer holding the
// low byte of every code unit (null for an empty string).
VX_CONVERSION(UTF16StringSC);

// From a char array holding at most one string (a null array or an empty one
// gives the empty string); to a char row of the code units (0x0 when empty).
VX_CONVERSION(UTF16StringMC);

using UTF16StringJC = JavaConversionThroughArray<UTF16StringMC>;

// ---- NStrings ---------------------------------------------------------------------

class NStringsDataType : public ValueDataType<NStringsDataType, NStrings> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "NStrings";
    static constexpr int valueBytes = 12;
    COSValue makeDefault() const { return store(NStrings()); }
};

// Text is read with the string literal parser (text it cannot read gives the
// empty list); a list has no text form.
VX_CONVERSION(NStringsSC);

VX_CONVERSION(NStringsMC);

using NStringsJC = JavaConversionThroughArray<NStringsMC>;

// ---- helpers for other graphics libraries -------------------------------------------

// The UTF-16 form of UTF-8 text (null: the empty string); characters beyond
// the basic plane become surrogate pairs. No storage for the conversion raises
// nyro::COSOutOfMemoryException.
VX_API gui_objects::UTF16String asUTF16String(const char* s);

} // namespace datatypes
