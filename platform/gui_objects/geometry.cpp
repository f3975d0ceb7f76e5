#include "gui_objects/geometry.h"

#include <algorithm>

#include "gui_objects/parse.h"

namespace gui_objects {

namespace {
bool closeEnough(double a, double b)
{
    if (a == b || (a != a && b != b))
        return true;
    if (std::isinf(a) || std::isinf(b)) // and not equal: no tolerance reaches them
        return false;
    double scale = std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
    return std::fabs(a - b) <= 1e-10 * scale;
}
} // namespace

bool nearlyEqual(const Rectangle2d& a, const Rectangle2d& b)
{
    return closeEnough(a.getXMin(), b.getXMin()) && closeEnough(a.getYMin(), b.getYMin()) &&
           closeEnough(a.getWidth(), b.getWidth()) && closeEnough(a.getHeight(), b.getHeight());
}

BoundingVolume::BoundingVolume(const Point3d& min, const Point3d& max) : min_(min), max_(max)
{
    if (max.getX() < min.getX() || max.getY() < min.getY() || max.getZ() < min.getZ())
        throw InvalidWidthException();
}

namespace convert_from_string_utils {

Point2d parse_1x2_double(const char* text)
{
    double v[2];
    parse_1x2_double(text, v);
    return {v[0], v[1]};
}

Point3d parse_1x3_double(const char* text)
{
    double v[3];
    parse_1x3_double(text, v);
    return {v[0], v[1], v[2]};
}

Point4d parse_1x4_double(const char* text)
{
    double v[4];
    parse_1x4_double(text, v);
    return {v[0], v[1], v[2], v[3]};
}

BoundingVolume parse_2x3_double(const char* text)
{
    double v[2][3];
    parse_2x3_double(text, v);
    try {
        return BoundingVolume(Point3d(v[0][0], v[0][1], v[0][2]), Point3d(v[1][0], v[1][1], v[1][2]));
    } catch (const InvalidWidthException&) {
        throw ParseException();
    }
}

} // namespace convert_from_string_utils

} // namespace gui_objects
