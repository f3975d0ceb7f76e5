// Property filters: they carry a value of one object into derived properties
// of another (the child), but only while the child's mode property for them is
// "auto". The derived properties are the internal ones, named with "_I"
// (FontSize_I, MajorMinor_I, ColorData_I, ...).
#pragma once

#include "frame/export.h"
#include "nyro/object_model.h"

namespace datatypes {

class RGBAColor;

// Whether the AutoManual property `name` of `obj` is "auto". A missing
// property raises "KELDAR:VX:ChildModePropNotFound"; a property that holds no
// value, or a value of another type, is not "auto".
VX_API bool prop_is_auto(nyro::COSInterface* obj, const char* name);

// Sets the property `name` + "_I" of `obj` (or `name` itself when it already
// ends with "_I") to a copy of `value`, made by the property's data type. A
// missing property raises "KELDAR:VX:ChildPropNotFound".
VX_API void set_on_nyroprop(nyro::COSInterface* obj, const char* name, nyro::COSValue value);

// While FontSizeMode is "auto": FontSize_I becomes 1.2 (labels) or 1.4 (titles)
// times `size`.
VX_API void filter_FontLabelSize(nyro::COSInterface* obj, const double& size);
VX_API void filter_FontTitleSize(nyro::COSInterface* obj, const double& size);

// While MajorMinorMode is "auto": with minor lines on, Visible_I becomes true
// and then MajorMinor_I "majorandminor"; with them off, MajorMinor_I becomes
// "major" and Visible_I stays as it is.
VX_API void filter_AxisMinorBooleanToGrid(nyro::COSInterface* obj, bool minorOn);

// While ColorDataMode is "auto" and the color is a color (not "none"):
// ColorData_I becomes its 4x1 uint8 [r; g; b; a].
VX_API void filter_RGBAColorToTextPrimitive(nyro::COSInterface* obj, const RGBAColor* color);

// While ColorDataMode, ColorTypeMode and ColorBindingMode are all "auto" (asked
// in that order): ColorData_I becomes the color's bytes ("none": four zero
// bytes), then ColorType_I "truecolor" (opaque) or "truecoloralpha", then
// ColorBinding_I "object".
VX_API void filter_RGBAColorToGeometryPrimitive(nyro::COSInterface* obj, const RGBAColor* color);

} // namespace datatypes
