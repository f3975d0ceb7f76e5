// The functions the property library exports for other graphics libraries,
// found in the loaded library by their linker names, as a host that loads it
// with dlopen finds them. A helper the library does not export raises
// "vxhost:NoHelper" when it is used.
#pragma once

#include "host.h"
#include "messages.h"
#include "nyro/object_model.h"

namespace datatypes {
class RGBAColor;
}

namespace vxhost::helpers {

template <class F>
struct Helper {
    const char* name;   // as the library declares it
    const char* symbol; // its linker name
};

inline constexpr Helper<nyro::COSListenerPtr (*)(const char*)> createListener{
    "datatypes::createListener", "_ZN9datatypes14createListenerEPKc"};
inline constexpr Helper<nyro::COSListenerPtr (*)(const char*)> createClassListener{
    "datatypes::createClassListener", "_ZN9datatypes19createClassListenerEPKc"};
inline constexpr Helper<void (*)(double)> destroyHandle{"datatypes::nyro_destroy_handle",
                                                        "_ZN9datatypes19nyro_destroy_handleEd"};

using SizeFilter = void (*)(nyro::COSInterface*, const double&);
using SwitchFilter = void (*)(nyro::COSInterface*, bool);
using ColorFilter = void (*)(nyro::COSInterface*, const datatypes::RGBAColor*);

inline constexpr Helper<SizeFilter> filterFontLabelSize{
    "datatypes::filter_FontLabelSize", "_ZN9datatypes20filter_FontLabelSizeEPN4nyro12COSInterfaceERKd"};
inline constexpr Helper<SizeFilter> filterFontTitleSize{
    "datatypes::filter_FontTitleSize", "_ZN9datatypes20filter_FontTitleSizeEPN4nyro12COSInterfaceERKd"};
inline constexpr Helper<SwitchFilter> filterAxisMinorBooleanToGrid{
    "datatypes::filter_AxisMinorBooleanToGrid",
    "_ZN9datatypes29filter_AxisMinorBooleanToGridEPN4nyro12COSInterfaceEb"};
inline constexpr Helper<ColorFilter> filterRGBAColorToTextPrimitive{
    "datatypes::filter_RGBAColorToTextPrimitive",
    "_ZN9datatypes31filter_RGBAColorToTextPrimitiveEPN4nyro12COSInterfaceEPKNS_9RGBAColorE"};
inline constexpr Helper<ColorFilter> filterRGBAColorToGeometryPrimitive{
    "datatypes::filter_RGBAColorToGeometryPrimitive",
    "_ZN9datatypes35filter_RGBAColorToGeometryPrimitiveEPN4nyro12COSInterfaceEPKNS_9RGBAColorE"};

// The helper, or null when the library does not export it.
template <class F>
F find(const Library& library, const Helper<F>& h)
{
    return reinterpret_cast<F>(library.symbol(h.symbol));
}

// The helper; raises vxhost:NoHelper when the library does not export it.
template <class F>
F require(const Library& library, const Helper<F>& h)
{
    F f = find(library, h);
    if (!f)
        fail(msg::NoHelper, h.name);
    return f;
}

} // namespace vxhost::helpers
