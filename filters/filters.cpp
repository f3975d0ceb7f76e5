#include "filters/filters.h"

#include <string>
#include <string_view>

#include "arrays/array_types.h"
#include "color/color_types.h"
#include "enums/enum_types.h"
#define VX_MESSAGES "filters/messages.def"
#include "frame/messages.h"

namespace datatypes {

namespace {

using nyro::COSInterface;
using nyro::COSNameID;
using nyro::COSPropInfo;

constexpr std::string_view kInternalSuffix = "_I";

// Font sizes of labels and titles relative to their parent's, in tenths.
constexpr double kLabelSizeTenths = 12.0;
constexpr double kTitleSizeTenths = 14.0;

COSPropInfo* findProperty(const COSInterface* obj, const std::string& name)
{
    return obj ? nyro::COSPropInfoPtrHelper::getObject(obj->getPropInfo(COSNameID(name))) : nullptr;
}

// Multiplication first, so that 10 * 12 / 10 is exactly 12.
void fontSizeIncrease(COSInterface* obj, double size, double tenths)
{
    if (!prop_is_auto(obj, "FontSizeMode"))
        return;
    set_on_nyroprop(obj, "FontSize", COSValue::fromDouble(size * tenths / 10.0));
}

// ColorData_I of a primitive: the 4x1 uint8 bytes of a color.
void setColorData(COSInterface* obj, const ColorBase& color)
{
    gui_objects::QxArrayPtr bytes = color.getColorAsArray();
    const PrimitiveColorData data(bytes.get());
    set_on_nyroprop(obj, "ColorData", slotOf(&data));
}

} // namespace

bool prop_is_auto(COSInterface* obj, const char* name)
{
    const char* given = name ? name : "";
    COSPropInfo* info = findProperty(obj, given);
    if (!info)
        raise(msg::ChildModePropNotFound, given);
    if (info->getDataType() != AutoManualDataType::getType())
        return false;
    const auto* mode = nyro::pointerValue<const AutoManual*>(info->getValue(obj));
    return mode && mode->isAuto();
}

void set_on_nyroprop(COSInterface* obj, const char* name, COSValue value)
{
    const char* given = name ? name : "";
    std::string target = given;
    if (!target.ends_with(kInternalSuffix))
        target += kInternalSuffix;
    COSPropInfo* info = findProperty(obj, target);
    if (!info)
        raise(msg::ChildPropNotFound, given);
    info->setValue(obj, value);
}

void filter_FontLabelSize(COSInterface* obj, const double& size) { fontSizeIncrease(obj, size, kLabelSizeTenths); }

void filter_FontTitleSize(COSInterface* obj, const double& size) { fontSizeIncrease(obj, size, kTitleSizeTenths); }

void filter_AxisMinorBooleanToGrid(COSInterface* obj, bool minorOn)
{
    if (!prop_is_auto(obj, "MajorMinorMode"))
        return;
    if (minorOn) {
        const bool visible = true;
        set_on_nyroprop(obj, "Visible", slotOf(&visible));
        const GridMajorMinor both(GridMajorMinor::kMajorandminor);
        set_on_nyroprop(obj, "MajorMinor", slotOf(&both));
    } else {
        const GridMajorMinor major(GridMajorMinor::kMajor);
        set_on_nyroprop(obj, "MajorMinor", slotOf(&major));
    }
}

void filter_RGBAColorToTextPrimitive(COSInterface* obj, const RGBAColor* color)
{
    if (!prop_is_auto(obj, "ColorDataMode") || !color || color->getStyle() != ColorStyle::kColor)
        return;
    setColorData(obj, *color);
}

void filter_RGBAColorToGeometryPrimitive(COSInterface* obj, const RGBAColor* color)
{
    if (!prop_is_auto(obj, "ColorDataMode") || !prop_is_auto(obj, "ColorTypeMode") ||
        !prop_is_auto(obj, "ColorBindingMode") || !color)
        return;
    ColorBase source;
    ColorType::value type;
    switch (color->getStyle()) {
    case ColorStyle::kColor:
        source = *color;
        type = color->getAlpha() < 1.0 ? ColorType::kTruecoloralpha : ColorType::kTruecolor;
        break;
    case ColorStyle::kNone:
        source = ColorBase(0, 0, 0, 0); // transparent black
        type = ColorType::kTruecoloralpha;
        break;
    default: return;
    }
    setColorData(obj, source);
    const ColorType colorType(type);
    set_on_nyroprop(obj, "ColorType", slotOf(&colorType));
    const DataBinding binding(DataBinding::kObject);
    set_on_nyroprop(obj, "ColorBinding", slotOf(&binding));
}

} // namespace datatypes
