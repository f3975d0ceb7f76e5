// The on/off boolean: the host's two-state properties, set and read as the
// words "on" and "off". The value is the slot itself (any set bit is "on").
#pragma once

#include "frame/datatype.h"

namespace datatypes {

class OnOffBooleanDataType : public TypeIdentity<OnOffBooleanDataType> {
public:
    static constexpr const char* typeName = "on/off";
    static constexpr const char* declarationName = "char";
    static constexpr int storageType = 0;
    static constexpr int valueBytes = 1;

    static bool isOn(COSValue v) { return !v.isNull(); }

    const char* getPossibleValuesDescription() const override { return "on/off"; }
    bool isPossibleValuesFinite() const override { return true; }
    nyro::COSValueEnumerationPtr getPossibleValues() const override;
    COSValue getDefaultValue() const override { return COSValue(0); }
    bool isEqual(COSValue a, COSValue b) const override { return isOn(a) == isOn(b); }
    // "off" orders before "on".
    int compare(COSValue a, COSValue b) const override { return int(isOn(a)) - int(isOn(b)); }
    COSValue copy(COSValue v) const override { return v; }
    void destroy(COSValue) const override {}
};

// Possible values of the on/off boolean: "off" (0), then "on" (1).
class BoolEnumeration : public nyro::EnumerationUtil<COSValue>, public UtCallocAllocated {
public:
    bool hasMoreElements() override { return position_ < 2; }
    COSValue nextElement() override { return COSValue(position_++); }

private:
    void destroySelf() override { delete this; }
    unsigned position_ = 0;
};

// From: "on" exactly is on; every other text is off, without an error.
// To: constant text, not a copy.
VX_CONVERSION(OnOffBooleanSC);

VX_CONVERSION(OnOffBooleanMC);

using OnOffBooleanJC = JavaConversionThroughArray<OnOffBooleanMC, Intermediate::LeaveToHost>;

} // namespace datatypes

// Records the on/off boolean's registration callback (run at library load).
VX_API bool init_datatypes_OnOffBooleanDataType();
