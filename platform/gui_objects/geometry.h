// Geometric records of the GUI-objects library: points, rectangles, insets and
// axis-aligned bounding volumes, the rounding rules that take doubles to
// integer coordinates, and readers of these records from bracketed text.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "gui_objects/gui_objects.h"

namespace gui_objects {

// ---- doubles to 32-bit integer coordinates ----------------------------------------
//
// Both conversions saturate: NaN becomes 0, values beyond the int32 range (the
// infinities included) become INT32_MIN or INT32_MAX. They never invoke an
// out-of-range floating conversion.

// Toward zero: 1.7 -> 1, -1.7 -> -1.
inline std::int32_t truncateToInt32(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483648.0)
        return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483649.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

// To the nearest integer, halves away from zero: 1.5 -> 2, -1.5 -> -2, 1.49 -> 1.
inline std::int32_t roundToInt32(double v)
{
    return truncateToInt32(std::round(v));
}

// Sum and difference modulo 2^32, so that an origin plus a size and back again
// gives the size unchanged even where the sum leaves the int32 range.
inline std::int32_t wrappingAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t wrappingSub(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// ---- points --------------------------------------------------------------------

class Point2i {
public:
    constexpr Point2i() = default;
    constexpr Point2i(std::int32_t x, std::int32_t y) : x_(x), y_(y) {}
    constexpr std::int32_t getX() const { return x_; }
    constexpr std::int32_t getY() const { return y_; }
    friend constexpr bool operator==(const Point2i&, const Point2i&) = default;

private:
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
};

class Point2d {
public:
    constexpr Point2d() = default;
    constexpr Point2d(double x, double y) : x_(x), y_(y) {}
    constexpr double getX() const { return x_; }
    constexpr double getY() const { return y_; }
    friend constexpr bool operator==(const Point2d&, const Point2d&) = default;
    // Each coordinate rounded to the nearest integer (roundToInt32).
    Point2i asPoint2i() const { return {roundToInt32(x_), roundToInt32(y_)}; }

private:
    double x_ = 0;
    double y_ = 0;
};

class Point3d {
public:
    constexpr Point3d() = default;
    constexpr Point3d(double x, double y, double z) : x_(x), y_(y), z_(z) {}
    constexpr double getX() const { return x_; }
    constexpr double getY() const { return y_; }
    constexpr double getZ() const { return z_; }
    friend constexpr bool operator==(const Point3d&, const Point3d&) = default;

private:
    double x_ = 0;
    double y_ = 0;
    double z_ = 0;
};

class Point4d {
public:
    constexpr Point4d() = default;
    constexpr Point4d(double x, double y, double z, double w) : x_(x), y_(y), z_(z), w_(w) {}
    constexpr double getX() const { return x_; }
    constexpr double getY() const { return y_; }
    constexpr double getZ() const { return z_; }
    constexpr double getW() const { return w_; }
    friend constexpr bool operator==(const Point4d&, const Point4d&) = default;

private:
    double x_ = 0;
    double y_ = 0;
    double z_ = 0;
    double w_ = 0;
};

// ---- rectangles and insets -------------------------------------------------------

// Integer rectangle kept as its corners; width and height are taken modulo 2^32
// (see wrappingSub).
class Rectangle2i {
public:
    constexpr Rectangle2i() = default;
    constexpr Rectangle2i(std::int32_t xmin, std::int32_t ymin, std::int32_t xmax, std::int32_t ymax)
        : xmin_(xmin), ymin_(ymin), xmax_(xmax), ymax_(ymax)
    {
    }
    constexpr std::int32_t getXMin() const { return xmin_; }
    constexpr std::int32_t getYMin() const { return ymin_; }
    constexpr std::int32_t getXMax() const { return xmax_; }
    constexpr std::int32_t getYMax() const { return ymax_; }
    std::int32_t getWidth() const { return wrappingSub(xmax_, xmin_); }
    std::int32_t getHeight() const { return wrappingSub(ymax_, ymin_); }
    friend constexpr bool operator==(const Rectangle2i&, const Rectangle2i&) = default;

private:
    std::int32_t xmin_ = 0;
    std::int32_t ymin_ = 0;
    std::int32_t xmax_ = 0;
    std::int32_t ymax_ = 0;
};

// Double rectangle. It keeps its origin and its size, not its far corner, so a
// rectangle made from origin and size gives back exactly that size (xmax - xmin
// in floating point would not: 0.1 + 0.2 - 0.1 is not 0.2). The far corner is
// origin plus size.
class Rectangle2d {
public:
    constexpr Rectangle2d() = default;
    constexpr Rectangle2d(double xmin, double ymin, double xmax, double ymax)
        : x_(xmin), y_(ymin), w_(xmax - xmin), h_(ymax - ymin)
    {
    }
    static constexpr Rectangle2d fromOriginAndSize(double x, double y, double w, double h)
    {
        Rectangle2d r;
        r.x_ = x;
        r.y_ = y;
        r.w_ = w;
        r.h_ = h;
        return r;
    }
    constexpr double getXMin() const { return x_; }
    constexpr double getYMin() const { return y_; }
    constexpr double getXMax() const { return x_ + w_; }
    constexpr double getYMax() const { return y_ + h_; }
    constexpr double getWidth() const { return w_; }
    constexpr double getHeight() const { return h_; }
    friend constexpr bool operator==(const Rectangle2d&, const Rectangle2d&) = default;

private:
    double x_ = 0;
    double y_ = 0;
    double w_ = 0;
    double h_ = 0;
};

// Tolerant comparison of two rectangles: origin and size agree coordinate by
// coordinate within 1e-10, absolute below magnitude 1 and relative above it.
// Equal infinities agree, and so do two NaNs in the same place.
bool nearlyEqual(const Rectangle2d& a, const Rectangle2d& b);

// Four margins.
class Inset2d {
public:
    constexpr Inset2d() = default;
    constexpr Inset2d(double xmin, double ymin, double xmax, double ymax)
        : xmin_(xmin), ymin_(ymin), xmax_(xmax), ymax_(ymax)
    {
    }
    constexpr double getXMin() const { return xmin_; }
    constexpr double getYMin() const { return ymin_; }
    constexpr double getXMax() const { return xmax_; }
    constexpr double getYMax() const { return ymax_; }
    friend constexpr bool operator==(const Inset2d&, const Inset2d&) = default;

private:
    double xmin_ = 0;
    double ymin_ = 0;
    double xmax_ = 0;
    double ymax_ = 0;
};

// ---- bounding volumes ----------------------------------------------------------------

// Axis-aligned box from a min and a max corner. The default is the empty box at
// the origin.
class BoundingVolume {
public:
    BoundingVolume() = default;
    // Throws InvalidWidthException when a coordinate of `max` is below that of
    // `min` (a NaN is not below anything and passes).
    BoundingVolume(const Point3d& min, const Point3d& max);

    const Point3d& getMin() const { return min_; }
    const Point3d& getMax() const { return max_; }
    double getXMin() const { return min_.getX(); }
    double getYMin() const { return min_.getY(); }
    double getZMin() const { return min_.getZ(); }
    double getXMax() const { return max_.getX(); }
    double getYMax() const { return max_.getY(); }
    double getZMax() const { return max_.getZ(); }
    double getXWidth() const { return max_.getX() - min_.getX(); }
    double getYWidth() const { return max_.getY() - min_.getY(); }
    double getZWidth() const { return max_.getZ() - min_.getZ(); }
    Point3d getCenter() const
    {
        return {(min_.getX() + max_.getX()) / 2, (min_.getY() + max_.getY()) / 2, (min_.getZ() + max_.getZ()) / 2};
    }

private:
    Point3d min_;
    Point3d max_;
};

// ---- reading records from text ---------------------------------------------------------

namespace convert_from_string_utils {
// Bracketed number lists of exactly 1x2, 1x3, 1x4 and 2x3 numbers (the grammar
// of parse.h); anything else raises ParseException. The volume's first row is
// its min corner, its second row its max corner; rows out of order are not a
// volume and raise ParseException too.
Point2d parse_1x2_double(const char* text);
Point3d parse_1x3_double(const char* text);
Point4d parse_1x4_double(const char* text);
BoundingVolume parse_2x3_double(const char* text);
} // namespace convert_from_string_utils

} // namespace gui_objects
