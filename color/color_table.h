// The ColorTable property: the host reads the whole color name table through
// it and adds named colors to it.
#pragma once

#include "color/color.h"
#include "frame/datatype.h"

namespace datatypes {

// Its values are host arrays that nobody reads back: the table itself is the state.
struct ColorTableArrayStorage {
    static COSValue copy(const qxArray& a);
    static void release(qxArray* a);
};

class ColorTableDataType final : public ValueDataType<ColorTableDataType, qxArray, ColorTableArrayStorage> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "ColorTable";
    static constexpr int valueBytes = 0;
    COSValue makeDefault() const;
    // The same array object.
    bool equalValues(const qxArray& a, const qxArray& b) const { return &a == &b; }
};

// From: a struct (or object) array adds or replaces one color per field whose
// first element holds at least three numbers; other input changes nothing.
// Gives an empty array value.
// To: the whole table (getColorTableAsArray); the value is ignored.
VX_CONVERSION(ColorTableMC);

VX_NO_TEXT_CONVERSION(ColorTableSC);

using ColorTableJC = JavaConversionThroughArray<ColorTableMC>;

} // namespace datatypes
