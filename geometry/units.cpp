#include "geometry/units.h"

#define VX_MESSAGES "geometry/messages.def"
#include "frame/messages.h"

namespace vx {

namespace {

struct Factors {
    double x;
    double y;
};

// Length of one `unit` in pixels, horizontally and vertically. Characters and
// codes without a size of their own count as pixels.
Factors pixelsPer(UnitCode unit, double ppi, double frameWidth, double frameHeight)
{
    switch (unit) {
    case UnitCode::Inches: return {ppi, ppi};
    case UnitCode::Centimeters: return {ppi / kCentimetersPerInch, ppi / kCentimetersPerInch};
    case UnitCode::Normalized: return {frameWidth, frameHeight};
    case UnitCode::Points: return {ppi / kPointsPerInch, ppi / kPointsPerInch};
    default: return {1.0, 1.0};
    }
}

} // namespace

datatypes::Position convertPosition(const Pixel& pixel, UnitCode from, UnitCode to,
                                    const datatypes::Position* position, const datatypes::Position* frame)
{
    datatypes::Position p = position ? *position : datatypes::Position(0, 0, 0, 0);
    if (from == to)
        return p;
    double w = frame ? frame->getWidth() : 0.0;
    double h = frame ? frame->getHeight() : 0.0;
    double ppi = pixel.getPixelsPerInch();
    Factors s = pixelsPer(from, ppi, w, h);
    if (to == UnitCode::Normalized && (w == 0 || h == 0))
        datatypes::raise(datatypes::msg::ZeroReferenceFrame);
    if (to != UnitCode::Pixels && to != UnitCode::Characters) {
        Factors d = pixelsPer(to, ppi, w, h);
        s.x /= d.x;
        s.y /= d.y;
    }
    return datatypes::Position(s.x * p.getX(), s.y * p.getY(), s.x * p.getWidth(), s.y * p.getHeight());
}

gui_objects::Inset2d convertInset(const Pixel& pixel, UnitCode from, UnitCode to, const gui_objects::Inset2d* inset,
                                  const datatypes::Position* frame)
{
    gui_objects::Inset2d i = inset ? *inset : gui_objects::Inset2d();
    datatypes::Position asPosition(i.getXMin(), i.getYMin(), i.getXMax(), i.getYMax());
    datatypes::Position c = convertPosition(pixel, from, to, &asPosition, frame);
    return {c.getX(), c.getY(), c.getWidth(), c.getHeight()};
}

} // namespace vx
