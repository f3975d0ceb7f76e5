// The color property types: RGBAColor (one color, or "none"), MeshColor (one
// color, or a rule: "none", "flat", "interp", "texturemap", "auto") and
// MeshAlpha (one opacity, or a rule: "flat", "interp", "texturemap").
//
// Each value is either a color (an opacity) or a rule named by its style; the
// rule names come from the name tables ColorStyle, MeshColorStyle and
// MeshAlphaStyle. The text and array converters are shared templates: a data
// type states how text and numeric arrays become values and how a value is
// written (see StyledSC and StyledMC).
#pragma once

#include <cstdint>
#include <string>

#include "color/color.h"
#define VX_MESSAGES "color/messages.def"
#include "frame/messages.h"
#include "enums/enum_types.h"
#include "frame/datatype.h"
#include "frame/message.h"

namespace datatypes {

// The name of enumerator `s` of a name table; empty when no name carries it.
template <class Style>
const char* styleName(std::int32_t s)
{
    return s >= 0 && s < Style::count ? Style::enumNames[s] : "";
}

// A color that may name a rule instead: the components count only while the
// style is the table's color enumerator.
template <class Style, typename Style::value ColorEnumerator>
class StyledColor : public ColorBase {
public:
    using StyleTable = Style;
    using StyleValue = typename Style::value;
    static constexpr StyleValue colorStyle = ColorEnumerator;

    StyledColor() = default;
    StyledColor(double r, double g, double b, double a) : ColorBase(r, g, b, a) {}

    StyleValue getStyle() const { return style_; }
    void setStyle(StyleValue s) { style_ = s; }
    bool holdsColor() const { return style_ == colorStyle; }

    // Same style and, for a color, the same four components; two rules of the
    // same name are equal whatever their components.
    friend bool operator==(const StyledColor& a, const StyledColor& b)
    {
        return a.style_ == b.style_ &&
               (!a.holdsColor() || static_cast<const ColorBase&>(a) == static_cast<const ColorBase&>(b));
    }

private:
    StyleValue style_ = ColorEnumerator;
};

// Style 1 "color" holds a color; style 0 "none" is no color.
class VX_API RGBAColor : public StyledColor<ColorStyle, ColorStyle::kColor> {
public:
    using StyledColor::StyledColor;
    // A color with some opacity.
    bool isVisible() const { return holdsColor() && getAlpha() > 0; }
};

// Style 0 "color" holds a color; 1 "none" is no color; 2 to 5 name rules.
// Values live zero-filled in the utility heap (no storage throws).
class VX_API MeshColor : public StyledColor<MeshColorStyle, MeshColorStyle::kColor>, public UtCallocAllocated {
public:
    using StyledColor::StyledColor;
    using UtCallocAllocated::operator new;
    using UtCallocAllocated::operator delete;
    // A rule other than "none", or a color with some opacity.
    bool isVisible() const { return holdsColor() ? getAlpha() > 0 : getStyle() != MeshColorStyle::kNone; }
};

// Style 0 "alpha" holds an opacity (not range-checked); 1 to 3 name rules.
class VX_API MeshAlpha : public UtCallocAllocated {
public:
    using StyleTable = MeshAlphaStyle;
    using StyleValue = MeshAlphaStyle::value;

    MeshAlpha() = default;
    explicit MeshAlpha(double a) : alpha_(a) {}
    MeshAlpha(StyleValue s, double a) : style_(s), alpha_(a) {}

    StyleValue getStyle() const { return style_; }
    void setStyle(StyleValue s) { style_ = s; }
    double getAlpha() const { return alpha_; }
    void setAlpha(double a) { alpha_ = a; }
    bool holdsAlpha() const { return style_ == MeshAlphaStyle::kAlpha; }

    // Same style and, for an opacity, the same number.
    friend bool operator==(const MeshAlpha& a, const MeshAlpha& b)
    {
        return a.style_ == b.style_ && (!a.holdsAlpha() || a.alpha_ == b.alpha_);
    }

private:
    StyleValue style_ = MeshAlphaStyle::kAlpha;
    double alpha_ = 1.0;
};

// ---- data types --------------------------------------------------------------------

namespace detail {
// A color's text: "[ r g b ]" (%g, alpha not written) or its rule's name.
template <class V>
std::string styledColorText(const V& v);
// A color's array: 1x3 double [r g b], or a char array of its rule's name.
template <class V>
qxArray* styledColorArray(const V& v);
} // namespace detail

// A color data type. Its comparison is guarded: an exception while comparing
// is reported as the type's isEqual error.
template <class Derived, class V>
class StyledColorDataType : public ValueDataType<Derived, V> {
public:
    static constexpr int valueBytes = 36;
    COSValue makeDefault() const { return this->store(V()); }
    bool isEqual(COSValue a, COSValue b) const override
    {
        try {
            return ValueDataType<Derived, V>::isEqual(a, b);
        } catch (...) {
            raise(Derived::isEqualFailure);
        }
        return false;
    }
    static std::string text(const V& v) { return detail::styledColorText(v); }
    static qxArray* array(const V& v) { return detail::styledColorArray(v); }
};

class RGBAColorDataType final : public StyledColorDataType<RGBAColorDataType, RGBAColor> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "RGBAColor";
    static constexpr const Message& isEqualFailure = msg::RGBAColorIsEqual;
    // "none" (or an abbreviation no color name begins with) is style 0;
    // anything else is read as a color name or numbers (ColorBase).
    static RGBAColor fromText(const char* text);
    // A double array of 3 or 4 elements (any shape) within 0..1.
    static RGBAColor fromNumbers(const qxArray* array);
};

class MeshColorDataType final : public StyledColorDataType<MeshColorDataType, MeshColor> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "MeshColor";
    static constexpr const Message& isEqualFailure = msg::MeshColorIsEqual;
    // A rule name other than "color" (and no color name beginning with the
    // text) gives that rule; anything else is read as a color (ColorBase).
    static MeshColor fromText(const char* text);
    // Three numeric elements (any shape): floating ones as they are, integer
    // ones reduced to their lowest byte and scaled by 1/255.
    static MeshColor fromNumbers(const qxArray* array);
};

class MeshAlphaDataType final : public ValueDataType<MeshAlphaDataType, MeshAlpha> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "MeshAlpha";
    static constexpr int valueBytes = 12;
    COSValue makeDefault() const { return store(MeshAlpha()); }
    // A rule name ("alpha" itself is refused), else one number read as a
    // stream reads it: leading blanks skipped, what follows it ignored.
    static MeshAlpha fromText(const char* text);
    // A numeric scalar; any other non-scalar gives the null value (false).
    static bool fromNumbers(const qxArray* array, MeshAlpha& out);
    // The opacity as a stream writes it (%g-like), or the rule's name.
    static std::string text(const MeshAlpha& v);
    // 1x1 double of the opacity, or a char array of the rule's name.
    static qxArray* array(const MeshAlpha& v);
};

// ---- converters ----------------------------------------------------------------------

// Text to value by the type's text rule; value to a new utility-heap copy of
// its text. Null text gives the null value and the null value null text.
template <class DT>
class StyledSC : public nyro::COSTypeConversion {
public:
    COSValue from(COSValue s) const override
    {
        const char* text = textOf(s);
        return text ? DT::store(DT::fromText(text)) : COSValue();
    }
    COSValue to(COSValue v) const override
    {
        if (v.isNull())
            return {};
        return slotOf(utStrdup(DT::text(*DT::valueOf(v)).c_str()));
    }
};

// Host array to value: a char array by the text rule, anything else by the
// type's number rule; a null array gives the null value. The null value reads
// back as an empty 0x0 double array.
template <class DT>
class StyledMC : public nyro::COSTypeConversion {
public:
    COSValue from(COSValue a) const override;
    COSValue to(COSValue v) const override
    {
        if (v.isNull())
            return slotOf(qxCreateDoubleMatrix(0, 0, qxREAL));
        return slotOf(DT::array(*DT::valueOf(v)));
    }
};

template <class DT>
COSValue StyledMC<DT>::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    if (!array)
        return {};
    if (const qxArrayView view = qxGetArrayView(array); view.cls == qxCHAR_CLASS) {
        CharText text(view);
        return DT::store(DT::fromText(text.get()));
    }
    if constexpr (requires(typename DT::Value& out) { DT::fromNumbers(array, out); }) {
        typename DT::Value value;
        return DT::fromNumbers(array, value) ? DT::store(value) : COSValue();
    } else {
        return DT::store(DT::fromNumbers(array));
    }
}

class RGBAColorSC final : public StyledSC<RGBAColorDataType> {};
class RGBAColorMC final : public StyledMC<RGBAColorDataType> {};
using RGBAColorJC = JavaConversionThroughArray<RGBAColorMC>;

class MeshColorSC final : public StyledSC<MeshColorDataType> {};
class MeshColorMC final : public StyledMC<MeshColorDataType> {};
using MeshColorJC = JavaConversionThroughArray<MeshColorMC>;

class MeshAlphaSC final : public StyledSC<MeshAlphaDataType> {};
class MeshAlphaMC final : public StyledMC<MeshAlphaDataType> {};
using MeshAlphaJC = JavaConversionThroughArray<MeshAlphaMC>;

} // namespace datatypes
