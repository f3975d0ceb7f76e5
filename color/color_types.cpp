#include "color/color_types.h"

#include <cstdio>
#include <locale>
#include <sstream>

#include "frame/dispatch.h"
#define VX_MESSAGES "frame/messages.def"
#include "frame/messages.h"

namespace datatypes {

namespace {

// Text to a styled color: a rule name of the type's table that is not the
// color enumerator gives that rule, unless a color name also begins with the
// text; everything else (including "color" and its abbreviations) is a color.
template <class V>
V styledColorFromText(const char* text, const Message& ambiguous)
{
    V value;
    const auto& styles = *V::StyleTable::getInstance();
    if (styles.isValidEnumName(text)) {
        const int n = styles.getEnumValue(text);
        if (n != V::colorStyle) {
            if (ColorNameTable::getInstance().isNameInTable(text))
                raise(ambiguous);
            value.setStyle(static_cast<typename V::StyleValue>(n));
            return value;
        }
    }
    value.setColorFromString(text);
    return value;
}

// The three elements of a MeshColor array as color components.
struct MeshColorExecutor {
    double rgb[3] = {};

    template <class Traits>
    void execute(const Traits&, const qxArray* array)
    {
        using E = typename Traits::element_type;
        const E* data = Traits::data(array);
        if (!data)
            raise(msg::ExpectedNumeric1);
        if constexpr (std::is_floating_point_v<E>) {
            for (int i = 0; i < 3; ++i)
                rgb[i] = data[i];
        } else {
            // The lowest byte of each element (two's complement for signed ones).
            gui_objects::Color4d c = gui_objects::Color4b(static_cast<std::uint8_t>(data[0]),
                                                          static_cast<std::uint8_t>(data[1]),
                                                          static_cast<std::uint8_t>(data[2]), 255)
                                         .asColor4d();
            rgb[0] = c.getRed();
            rgb[1] = c.getGreen();
            rgb[2] = c.getBlue();
        }
    }
    [[noreturn]] void onError(qxClassID) { raise(msg::ExpectedNumeric); }
};

// The element of a numeric scalar as a double.
struct ScalarExecutor {
    double value = 0;

    template <class Traits>
    void execute(const Traits&, const qxArray* array)
    {
        const auto* data = Traits::data(array);
        if (!data)
            raise(msg::ExpectedNumeric);
        value = static_cast<double>(data[0]);
    }
    [[noreturn]] void onError(qxClassID) { raise(msg::ExpectedNumeric); }
};

} // namespace

namespace detail {

template <class V>
std::string styledColorText(const V& v)
{
    if (!v.holdsColor())
        return styleName<typename V::StyleTable>(v.getStyle());
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "[ %g %g %g ]", v.getRed(), v.getGreen(), v.getBlue());
    return buffer;
}

template <class V>
qxArray* styledColorArray(const V& v)
{
    if (!v.holdsColor())
        return qxCreateString(styleName<typename V::StyleTable>(v.getStyle()));
    qxArray* rgb = qxCreateDoubleMatrix(1, 3, qxREAL);
    double* d = qxGetPr(rgb);
    d[0] = v.getRed();
    d[1] = v.getGreen();
    d[2] = v.getBlue();
    return rgb;
}

template std::string styledColorText(const RGBAColor&);
template std::string styledColorText(const MeshColor&);
template qxArray* styledColorArray(const RGBAColor&);
template qxArray* styledColorArray(const MeshColor&);

} // namespace detail

// ---- RGBAColor ---------------------------------------------------------------------------

RGBAColor RGBAColorDataType::fromText(const char* text)
{
    return styledColorFromText<RGBAColor>(text, msg::RGBAColorAmbiguousName);
}

// Sparse arrays have no element for every position: refused like arrays
// without data. Imaginary parts are not read.
RGBAColor RGBAColorDataType::fromNumbers(const qxArray* array)
{
    if (qxGetClassID(array) != qxDOUBLE_CLASS)
        raise(msg::ColorNotDouble);
    const double* d = qxGetPr(array);
    qxSize n = qxGetNumberOfElements(array);
    if (!d || qxIsSparse(array) || (n != 3 && n != 4))
        raise(msg::ColorNotThreeElements);
    bool valid = true;
    for (qxSize i = 0; i < n; ++i)
        valid &= isColorComponent(d[i]);
    if (!valid)
        raise(msg::BadColorValue);
    return RGBAColor(d[0], d[1], d[2], n == 4 ? d[3] : 1.0);
}

// ---- MeshColor ---------------------------------------------------------------------------

MeshColor MeshColorDataType::fromText(const char* text)
{
    return styledColorFromText<MeshColor>(text, msg::MeshColorAmbiguousName);
}

MeshColor MeshColorDataType::fromNumbers(const qxArray* array)
{
    if (qxGetNumberOfElements(array) != 3)
        raise(msg::ExpectedNumeric1);
    if (qxIsSparse(array))
        raise(msg::ExpectedNumeric);
    MeshColorExecutor executor;
    vx::TL::ArrayDispatcher<MeshColorExecutor, vx::TL::AllNumeric>::dispatch(array, executor);
    return MeshColor(executor.rgb[0], executor.rgb[1], executor.rgb[2], 1.0);
}

// ---- MeshAlpha ---------------------------------------------------------------------------

MeshAlpha MeshAlphaDataType::fromText(const char* text)
{
    const MeshAlphaStyle& styles = *MeshAlphaStyle::getInstance();
    if (styles.isValidEnumName(text)) {
        const int n = styles.getEnumValue(text);
        if (n == MeshAlphaStyle::kAlpha)
            raise(msg::ExpectedNumeric1);
        return MeshAlpha(static_cast<MeshAlphaStyle::value>(n), 1.0);
    }
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double alpha = 0;
    if (!(in >> alpha))
        raise(msg::ExpectedNumeric1);
    return MeshAlpha(alpha);
}

bool MeshAlphaDataType::fromNumbers(const qxArray* array, MeshAlpha& out)
{
    if (!qxIsScalar(array))
        return false;
    if (qxIsSparse(array))
        raise(msg::ExpectedNumeric);
    ScalarExecutor executor;
    vx::TL::ArrayDispatcher<ScalarExecutor, vx::TL::AllNumeric>::dispatch(array, executor);
    out = MeshAlpha(executor.value);
    return true;
}

std::string MeshAlphaDataType::text(const MeshAlpha& v)
{
    if (!v.holdsAlpha())
        return styleName<MeshAlphaStyle>(v.getStyle());
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << v.getAlpha();
    return out.str();
}

qxArray* MeshAlphaDataType::array(const MeshAlpha& v)
{
    if (!v.holdsAlpha())
        return qxCreateString(styleName<MeshAlphaStyle>(v.getStyle()));
    return qxCreateDoubleScalar(v.getAlpha());
}


namespace {
// The rule names a styled color's text may give (its color enumerator holds a
// color, not a rule), the color name table, and its refusals.
template <class V>
void describeStyled(catalog::TypeEntry& e)
{
    using Style = typename V::StyleTable;
    const V byDefault;
    for (std::int32_t i = 0; i < Style::count; ++i)
        if (i != V::colorStyle)
            e.names.push_back({Style::enumNames[i], !byDefault.holdsColor() && i == byDefault.getStyle()});
    e.matching = std::string(enumNameMatching) + "; a text that also begins a color name is ambiguous";
    for (const auto& [name, c] : ColorNameTable::getInstance().getColorMap())
        e.colors.push_back({name, c.red, c.green, c.blue});
    e.accepts.push_back("a color name of the table: any letter case, an exact name, else the beginning of only one");
    e.accepts.push_back("one of the rule names");
    e.refusals.push_back(msg::ColorParseError.id);
}
} // namespace

void RGBAColorDataType::describe(catalog::TypeEntry& e)
{
    describeStyled<RGBAColor>(e);
    e.accepts.push_back("[r g b] or [r g b a]: 3 or 4 doubles between 0 and 1");
    for (const Message* m : {&msg::RGBAColorAmbiguousName, &msg::ColorNotDouble, &msg::ColorNotThreeElements,
                             &msg::BadColorValue})
        e.refusals.push_back(m->id);
}

void MeshColorDataType::describe(catalog::TypeEntry& e)
{
    describeStyled<MeshColor>(e);
    e.accepts.push_back("[r g b]: 3 numbers, floating between 0 and 1, integers as bytes scaled by 1/255");
    for (const Message* m : {&msg::MeshColorAmbiguousName, &msg::ExpectedNumeric1, &msg::ExpectedNumeric})
        e.refusals.push_back(m->id);
}

void MeshAlphaDataType::describe(catalog::TypeEntry& e)
{
    const MeshAlpha byDefault;
    for (std::int32_t i = 0; i < MeshAlphaStyle::count; ++i)
        if (i != MeshAlphaStyle::kAlpha)
            e.names.push_back({MeshAlphaStyle::enumNames[i], !byDefault.holdsAlpha() && i == byDefault.getStyle()});
    e.matching = enumNameMatching;
    e.accepts.push_back("one number (the opacity), as a numeric scalar or as text");
    e.accepts.push_back("one of the rule names");
    for (const Message* m : {&msg::ExpectedNumeric1, &msg::ExpectedNumeric})
        e.refusals.push_back(m->id);
}

} // namespace datatypes

VX_REGISTER_TYPE(RGBAColor)
VX_REGISTER_TYPE(MeshColor)
VX_REGISTER_TYPE(MeshAlpha)
