// Conversion of positions and insets between units: a pure scaling of origin
// and size by a horizontal and a vertical factor, through pixels.
#pragma once

#include <concepts>

#include "enums/enum_types.h"
#include "geometry/position.h"
#include "gui_objects/geometry.h"

namespace vx {

// The integer codes of the units a position is stated in (the values held by
// the Units and UnitsWithData properties).
enum class UnitCode : int {
    Inches = 0,
    Centimeters = 1,
    Characters = 2,
    Normalized = 3,
    Points = 4,
    Pixels = 5,
    Data = 6,            // UnitsWithData only
    CoordinateSpace = 7, // UnitsWithData only
};

// The unit code of a Units or UnitsWithData value (their numbers are the codes).
template <class U>
concept UnitsValue = std::same_as<U, datatypes::Units> || std::same_as<U, datatypes::UnitsWithData>;
template <UnitsValue U>
UnitCode unitCode(const U& units)
{
    return static_cast<UnitCode>(units.getIntValue());
}

inline constexpr double kPointsPerInch = 72.0;
inline constexpr double kCentimetersPerInch = 2.54;

// Screen resolution: pixels per inch.
class VX_API Pixel {
public:
    Pixel() = default;
    // A resolution that is not positive (zero, negative, NaN) falls back to 72.
    explicit Pixel(double ppi) : ppi_(ppi > 0 ? ppi : kPointsPerInch) {}
    double getPixelsPerInch() const { return ppi_; }
    // The size of one pixel in inches.
    double getWidthInInches() const { return 1.0 / ppi_; }
    double getHeightInInches() const { return 1.0 / ppi_; }
    double getPixelsPerPoint() const { return ppi_ / kPointsPerInch; }

private:
    double ppi_ = kPointsPerInch;
};

// `position`, stated in `from` units, in `to` units. `frame` is the reference
// frame in pixels whose width and height make the normalized unit; converting
// to normalized units with a frame of zero width or height raises the
// "vx:datatypes" host error. Characters scale like pixels. A null position
// converts as the zero position; a null frame counts as a frame of zero size.
VX_API datatypes::Position convertPosition(const Pixel& pixel, UnitCode from, UnitCode to,
                                     const datatypes::Position* position, const datatypes::Position* frame);

// The inset's four values taken as [x y w h] (xmin, ymin, xmax, ymax) and
// converted as a position: the first and third scale horizontally, the second
// and fourth vertically. A null inset converts as the zero inset.
VX_API gui_objects::Inset2d convertInset(const Pixel& pixel, UnitCode from, UnitCode to, const gui_objects::Inset2d* inset,
                                  const datatypes::Position* frame);

// The same, with the units given as the values of Units or UnitsWithData
// properties (in any pairing).
template <UnitsValue From, UnitsValue To>
datatypes::Position convertPosition(const Pixel& pixel, const From& from, const To& to,
                                    const datatypes::Position* position, const datatypes::Position* frame)
{
    return convertPosition(pixel, unitCode(from), unitCode(to), position, frame);
}
template <UnitsValue From, UnitsValue To>
gui_objects::Inset2d convertInset(const Pixel& pixel, const From& from, const To& to,
                                  const gui_objects::Inset2d* inset, const datatypes::Position* frame)
{
    return convertInset(pixel, unitCode(from), unitCode(to), inset, frame);
}

} // namespace vx
