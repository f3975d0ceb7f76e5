// The GUI-objects records: integer rounding, nearly equal rectangles, the
// record parsers and the color byte forms. (The volume's width rule and more
// saturation rows are driven through the library's record types.)
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
    EXPECT_EQ(truncateToInt32(c.in), c.truncated);
    EXPECT_EQ(roundToInt32(c.in), c.rounded);
    EXPECT_EQ(Point2d(c.in, -c.in).asPoint2i(), Point2i(c.rounded, roundToInt32(-c.in)));
}

INSTANTIATE_TEST_SUITE_P(
    Values, ToInt32,
    ::testing::Values(IntCase{1.5, 1, 2}, IntCase{-1.5, -1, -2}, IntCase{2.5, 2, 3}, IntCase{1.49, 1, 1},
                      IntCase{nan, 0, 0}, IntCase{-inf, kMin, kMin}, IntCase{-2147483648.6, kMin, kMin},
                      IntCase{2147483646.5, 2147483646, kMax}));

struct NearCase {
    double x1, w1, x2, w2, h2; // two rectangles at (x, 0), the first of height 1
    bool near;
};

std::ostream& operator<<(std::ostream& os, const NearCase& c)
{
    return os << c.x1 << "+" << c.w1 << " vs " << c.x2 << "+" << c.w2 << " (height " << c.h2 << ")";
}

class RectangleNearlyEqual : public ::testing::TestWithParam<NearCase> {};

TEST_P(RectangleNearlyEqual, ToleratesTinyDifferences)
{
    const NearCase& c = GetParam();
    Rectangle2d a = Rectangle2d::fromOriginAndSize(c.x1, 0, c.w1, 1), b = Rectangle2d::fromOriginAndSize(c.x2, 0, c.w2, c.h2);
    EXPECT_EQ(nearlyEqual(a, b), c.near);
    EXPECT_EQ(nearlyEqual(b, a), c.near);
}

// Within 1e-10 absolutely, or relatively beyond 1; NaN matches NaN; an infinity matches only itself.
INSTANTIATE_TEST_SUITE_P(
    Pairs, RectangleNearlyEqual,
    ::testing::Values(NearCase{0, 1, 5e-11, 1, 1, true}, NearCase{0, 1, 2e-10, 1, 1, false},
                      NearCase{1e6, 1, 1e6 + 5e-5, 1, 1, true}, NearCase{1e6, 1, 1e6 + 1e-3, 1, 1, false},
                      NearCase{0, 1e300, 0, inf, 1, false},
                      NearCase{nan, 1, nan, 1, 1, true}, NearCase{nan, 1, 0, 1, 1, false},
                      NearCase{0, inf, 0, inf, 1, true}, NearCase{0, inf, 0, -inf, 1, false}));

// ---- record parsers ------------------------------------------------------------------------------

TEST(RecordParsers, ReadExactlyTheirShape)
{
    EXPECT_EQ(parse_1x2_double("[1.5 -2]"), Point2d(1.5, -2));
    EXPECT_EQ(parse_1x3_double("1, 2, 3"), Point3d(1, 2, 3));
    EXPECT_EQ(parse_1x4_double(" [1 2 3 4e2] "), Point4d(1, 2, 3, 400));
    BoundingVolume v = parse_2x3_double("[0 1 2; 3 4 5]");
    EXPECT_EQ(v.getMin(), Point3d(0, 1, 2));
    EXPECT_EQ(v.getMax(), Point3d(3, 4, 5));
    EXPECT_THROW(parse_1x2_double("[1 2 3]"), ParseException);
    EXPECT_THROW(parse_1x2_double(nullptr), ParseException);
    EXPECT_THROW(parse_1x3_double("[1;2;3]"), ParseException);
    EXPECT_THROW(parse_1x4_double("[]"), ParseException);
    EXPECT_THROW(parse_2x3_double("[1 2 3 4 5 6]"), ParseException);
    EXPECT_THROW(parse_2x3_double("[3 4 5; 0 1 2]"), ParseException) << "max below min";
}

// ---- colors ----------------------------------------------------------------------------------------

struct ByteCase {
    double v;
    std::uint8_t byte;
};

std::ostream& operator<<(std::ostream& os, const ByteCase& c) { return os << c.v; }

class ColorToBytes : public ::testing::TestWithParam<ByteCase> {};

TEST_P(ColorToBytes, ClampsScalesAndRoundsAndReadsBack)
{
    const ByteCase& c = GetParam();
    EXPECT_EQ(Color4d(c.v, 0, 1, c.v).asColor4b(), Color4b(c.byte, 0, 255, c.byte));
    EXPECT_EQ(Color4b(c.byte, 0, 255, c.byte).asColor4d(), Color4d(c.byte / 255.0, 0, 1, c.byte / 255.0));
}

INSTANTIATE_TEST_SUITE_P(Values, ColorToBytes,
                         ::testing::Values(ByteCase{0, 0}, ByteCase{1, 255}, ByteCase{0.5, 128}, ByteCase{0.5 / 255, 1},
                                           ByteCase{0.49 / 255, 0}, ByteCase{nan, 0}, ByteCase{7, 255}));

} // namespace
