// The GUI-objects records: integer rounding, rectangles, volumes, the record
// parsers and the color byte forms.
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "gui_objects/color.h"
#include "gui_objects/geometry.h"

using namespace gui_objects;
using namespace gui_objects::convert_from_string_utils;

namespace {

const double inf = INFINITY, nan = NAN;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct IntCase {
    double in;
    std::int32_t truncated, rounded;
};

std::ostream& operator<<(std::ostream& os, const IntCase& c) { return os << c.in; }

class ToInt32 : public ::testing::TestWithParam<IntCase> {};

TEST_P(ToInt32, TruncatesAndRoundsWithSaturation)
{
    const IntCase& c = GetParam();
    EXPECT_EQ(truncateToInt32(c.in), c.truncated) << c.in;
    EXPECT_EQ(roundToInt32(c.in), c.rounded) << c.in;
    EXPECT_EQ(Point2d(c.in, -c.in).asPoint2i(), Point2i(c.rounded, roundToInt32(-c.in))) << c.in;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ToInt32,
    ::testing::Values(IntCase{1.7, 1, 2}, IntCase{-1.7, -1, -2}, IntCase{1.5, 1, 2}, IntCase{-1.5, -1, -2},
                      IntCase{2.5, 2, 3}, IntCase{1.49, 1, 1}, IntCase{-0.4, 0, 0}, IntCase{0, 0, 0},
                      IntCase{nan, 0, 0}, IntCase{inf, kMax, kMax}, IntCase{-inf, kMin, kMin},
                      IntCase{3e9, kMax, kMax}, IntCase{-3e9, kMin, kMin}, IntCase{2147483647.4, kMax, kMax},
                      IntCase{2147483647.6, kMax, kMax}, IntCase{-2147483648.6, kMin, kMin},
                      IntCase{2147483646.5, 2147483646, kMax}));

struct RectCase {
    std::int32_t x, y, w, h;
};

std::ostream& operator<<(std::ostream& os, const RectCase& c)
{
    return os << "[" << c.x << " " << c.y << " " << c.w << " " << c.h << "]";
}

class Rectangle2iSize : public ::testing::TestWithParam<RectCase> {};

TEST_P(Rectangle2iSize, OriginPlusSizeReadsBackUnchanged)
{
    const RectCase& c = GetParam();
    Rectangle2i r(c.x, c.y, wrappingAdd(c.x, c.w), wrappingAdd(c.y, c.h));
    EXPECT_EQ(r.getXMin(), c.x);
    EXPECT_EQ(r.getYMin(), c.y);
    EXPECT_EQ(r.getWidth(), c.w);
    EXPECT_EQ(r.getHeight(), c.h);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Rectangle2iSize,
                         ::testing::Values(RectCase{1, 2, 3, 4}, RectCase{-5, -6, 0, 0}, RectCase{kMax, 0, 10, 0},
                                           RectCase{kMin, kMin, -1, kMax}, RectCase{0, 0, kMin, kMax}));

TEST(Rectangle2d, CornersAndSize)
{
    Rectangle2d r(1, 2, 4, 8);
    EXPECT_EQ(r.getWidth(), 3);
    EXPECT_EQ(r.getHeight(), 6);
    EXPECT_EQ(r.getXMax(), 4);
    EXPECT_EQ(r.getYMax(), 8);
    Rectangle2d s = Rectangle2d::fromOriginAndSize(0.1, 1e20, 0.2, 1);
    EXPECT_EQ(s.getWidth(), 0.2);
    EXPECT_EQ(s.getHeight(), 1);
}

struct NearCase {
    Rectangle2d a, b;
    bool near;
};

std::ostream& operator<<(std::ostream& os, const NearCase& c)
{
    return os << "[" << c.a.getXMin() << " " << c.a.getYMin() << " " << c.a.getWidth() << " " << c.a.getHeight()
              << "] vs [" << c.b.getXMin() << " " << c.b.getYMin() << " " << c.b.getWidth() << " "
              << c.b.getHeight() << "]";
}

class RectangleNearlyEqual : public ::testing::TestWithParam<NearCase> {};

TEST_P(RectangleNearlyEqual, ToleratesTinyDifferences)
{
    const NearCase& c = GetParam();
    EXPECT_EQ(nearlyEqual(c.a, c.b), c.near);
    EXPECT_EQ(nearlyEqual(c.b, c.a), c.near);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, RectangleNearlyEqual,
    ::testing::Values(NearCase{{0, 0, 1, 1}, {0, 0, 1, 1}, true}, NearCase{{0, 0, 1, 1}, {5e-11, 0, 1, 1}, true},
                      NearCase{{0, 0, 1, 1}, {2e-10, 0, 1, 1}, false},
                      NearCase{Rectangle2d::fromOriginAndSize(1e6, 0, 1, 1),
                               Rectangle2d::fromOriginAndSize(1e6 + 5e-5, 0, 1, 1), true},
                      NearCase{Rectangle2d::fromOriginAndSize(1e6, 0, 1, 1),
                               Rectangle2d::fromOriginAndSize(1e6 + 1e-3, 0, 1, 1), false},
                      NearCase{Rectangle2d::fromOriginAndSize(0, 0, 1e300, 1),
                               Rectangle2d::fromOriginAndSize(0, 0, inf, 1), false},
                      NearCase{{0, 0, 1, 1}, {0, 0, 1, 1.001}, false},
                      NearCase{Rectangle2d::fromOriginAndSize(nan, 0, 1, 1), Rectangle2d::fromOriginAndSize(nan, 0, 1, 1),
                               true},
                      NearCase{Rectangle2d::fromOriginAndSize(nan, 0, 1, 1), Rectangle2d::fromOriginAndSize(0, 0, 1, 1),
                               false},
                      NearCase{Rectangle2d::fromOriginAndSize(0, 0, inf, 1), Rectangle2d::fromOriginAndSize(0, 0, inf, 1),
                               true},
                      NearCase{Rectangle2d::fromOriginAndSize(0, 0, inf, 1),
                               Rectangle2d::fromOriginAndSize(0, 0, -inf, 1), false}));

// ---- bounding volumes ----------------------------------------------------------------------------

struct VolumeCase {
    Point3d min, max;
    bool valid;
};

std::ostream& operator<<(std::ostream& os, const VolumeCase& c)
{
    return os << "(" << c.min.getX() << " " << c.min.getY() << " " << c.min.getZ() << ") (" << c.max.getX() << " "
              << c.max.getY() << " " << c.max.getZ() << ")";
}

class VolumeCorners : public ::testing::TestWithParam<VolumeCase> {};

TEST_P(VolumeCorners, MaxBelowMinIsAnInvalidWidth)
{
    const VolumeCase& c = GetParam();
    if (!c.valid) {
        EXPECT_THROW(BoundingVolume(c.min, c.max), InvalidWidthException);
        return;
    }
    BoundingVolume v(c.min, c.max);
    EXPECT_EQ(v.getMax(), c.max);
    EXPECT_EQ(v.getZMin(), c.min.getZ());
}

INSTANTIATE_TEST_SUITE_P(Corners, VolumeCorners,
                         ::testing::Values(VolumeCase{{0, 0, 0}, {1, 1, 1}, true}, VolumeCase{{1, 1, 1}, {1, 1, 1}, true},
                                           VolumeCase{{nan, 0, 0}, {1, 1, 1}, true},
                                           VolumeCase{{1, 0, 0}, {0, 1, 1}, false},
                                           VolumeCase{{0, 0, 0}, {1, -1, 1}, false},
                                           VolumeCase{{0, 0, 0}, {1, 1, -inf}, false}));

TEST(BoundingVolumeRecord, CenterAndWidths)
{
    BoundingVolume v({-1, 0, 2}, {3, 4, 2});
    EXPECT_EQ(v.getCenter(), Point3d(1, 2, 2));
    EXPECT_EQ(v.getXWidth(), 4);
    EXPECT_EQ(v.getYWidth(), 4);
    EXPECT_EQ(v.getZWidth(), 0);
    BoundingVolume empty;
    EXPECT_EQ(empty.getCenter(), Point3d(0, 0, 0));
    EXPECT_EQ(empty.getXWidth(), 0);
}

// ---- record parsers ------------------------------------------------------------------------------

TEST(RecordParsers, ReadExactlyTheirShape)
{
    EXPECT_EQ(parse_1x2_double("[1.5 -2]"), Point2d(1.5, -2));
    EXPECT_EQ(parse_1x3_double("1, 2, 3"), Point3d(1, 2, 3));
    EXPECT_EQ(parse_1x4_double(" [1 2 3 4e2] "), Point4d(1, 2, 3, 400));
    BoundingVolume v = parse_2x3_double("[0 1 2; 3 4 5]");
    EXPECT_EQ(v.getMin(), Point3d(0, 1, 2));
    EXPECT_EQ(v.getMax(), Point3d(3, 4, 5));
}

struct BadText {
    const char* text;
    int shape; // 2, 3, 4 or 23
};

std::ostream& operator<<(std::ostream& os, const BadText& c)
{
    return os << "1x" << c.shape << " '" << (c.text ? c.text : "<null>") << "'";
}

class RecordParserRejects : public ::testing::TestWithParam<BadText> {};

TEST_P(RecordParserRejects, RaisesParseException)
{
    const BadText& c = GetParam();
    switch (c.shape) {
    case 2: EXPECT_THROW(parse_1x2_double(c.text), ParseException); break;
    case 3: EXPECT_THROW(parse_1x3_double(c.text), ParseException); break;
    case 4: EXPECT_THROW(parse_1x4_double(c.text), ParseException); break;
    default: EXPECT_THROW(parse_2x3_double(c.text), ParseException); break;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, RecordParserRejects,
                         ::testing::Values(BadText{"[1 2 3]", 2}, BadText{"[1; 2]", 2}, BadText{nullptr, 2},
                                           BadText{"[1 2]", 3}, BadText{"red", 3}, BadText{"[1 2 3 4 5]", 4},
                                           BadText{"[]", 4}, BadText{"[1 2 3 4 5 6]", 23},
                                           BadText{"[3 4 5; 0 1 2]", 23}, BadText{"[0 1 2; 3 4]", 23}));

// ---- colors ----------------------------------------------------------------------------------------

struct ByteCase {
    double v;
    std::uint8_t byte;
};

std::ostream& operator<<(std::ostream& os, const ByteCase& c) { return os << c.v; }

class ColorToBytes : public ::testing::TestWithParam<ByteCase> {};

TEST_P(ColorToBytes, ClampsScalesAndRounds)
{
    const ByteCase& c = GetParam();
    Color4b b = Color4d(c.v, 0, 1, c.v).asColor4b();
    EXPECT_EQ(b.getRed(), c.byte) << c.v;
    EXPECT_EQ(b.getAlpha(), c.byte) << c.v;
    EXPECT_EQ(b.getGreen(), 0);
    EXPECT_EQ(b.getBlue(), 255);
}

INSTANTIATE_TEST_SUITE_P(Values, ColorToBytes,
                         ::testing::Values(ByteCase{0, 0}, ByteCase{1, 255}, ByteCase{0.5, 128}, ByteCase{0.2, 51},
                                           ByteCase{0.5 / 255, 1}, ByteCase{0.49 / 255, 0}, ByteCase{-1, 0},
                                           ByteCase{7, 255}, ByteCase{nan, 0}, ByteCase{inf, 255}));

TEST(ColorBytes, BackToDoubles)
{
    Color4d d = Color4b(255, 0, 51, 128).asColor4d();
    EXPECT_EQ(d, Color4d(1, 0, 0.2, 128 / 255.0));
    for (int v = 0; v < 256; ++v) {
        auto b = static_cast<std::uint8_t>(v);
        EXPECT_EQ(Color4b(b, b, b, b).asColor4d().asColor4b(), Color4b(b, b, b, b)) << v;
    }
}

} // namespace
