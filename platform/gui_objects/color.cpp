#include "gui_objects/color.h"

namespace gui_objects {

namespace {
std::uint8_t toByte(double v)
{
    if (!(v > 0)) // NaN too
        return 0;
    if (v >= 1)
        return 255;
    return static_cast<std::uint8_t>(v * 255.0 + 0.5);
}
} // namespace

Color4b Color4d::asColor4b() const { return {toByte(r_), toByte(g_), toByte(b_), toByte(a_)}; }

Color4d Color4b::asColor4d() const { return {r_ / 255.0, g_ / 255.0, b_ / 255.0, a_ / 255.0}; }

} // namespace gui_objects
