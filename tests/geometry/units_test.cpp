// Screen resolution and the conversion of positions and insets between units.
#include <cmath>
#include <vector>

#include "geometry/records.h"
#include "geometry/units.h"
#include "support/host_fixture.h"

namespace {

using datatypes::Position;
using vx::Pixel;
using vx::UnitCode;
using vxtest::HostTest;

const double nan = NAN;

// A resolution that is not positive falls back to 72 pixels per inch.
TEST(PixelResolution, NonPositiveFallsBackTo72)
{
    EXPECT_EQ(Pixel(0).getPixelsPerInch(), 72);
    EXPECT_EQ(Pixel(nan).getPixelsPerInch(), 72);
    EXPECT_EQ(Pixel(1e-3).getPixelsPerInch(), 1e-3);
    EXPECT_EQ(Pixel(96).getPixelsPerPoint(), 96.0 / 72);
    EXPECT_EQ(Pixel(96).getWidthInInches(), 1.0 / 96);
    EXPECT_EQ(Pixel(96).getHeightInInches(), 1.0 / 96);
}

// ---- positions ----------------------------------------------------------------------------

struct ConvertCase {
    double ppi;
    UnitCode from, to;
    std::vector<double> position; // x y w h
    std::vector<double> frame;    // width, height of the reference frame
    std::vector<double> expected; // empty: the reference-frame error
};

void PrintTo(const ConvertCase& c, std::ostream* os) { *os << c.ppi << " ppi, " << int(c.from) << " -> " << int(c.to) << ", x " << c.position[0]; }

Position positionOf(const std::vector<double>& v) { return Position(v[0], v[1], v[2], v[3]); }

class ConvertPosition : public HostTest, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(ConvertPosition, ScalesOriginAndSize)
{
    const ConvertCase& c = GetParam();
    Position p = positionOf(c.position);
    Position frame(0, 0, c.frame[0], c.frame[1]);
    Position out;
    const std::string error = vxtest::errorOf([&] { out = vx::convertPosition(Pixel(c.ppi), c.from, c.to, &p, &frame); });
    ASSERT_EQ(error, c.expected.empty() ? "vx:datatypes The width and height of the reference frame have to be greater "
                                          "then 0 when converting position to Normalized units." : "");
    if (c.expected.empty())
        return;
    Position expected = positionOf(c.expected);
    EXPECT_TRUE(datatypes::equalWithinRoundoffError(out, expected))
        << out.getX() << " " << out.getY() << " " << out.getWidth() << " " << out.getHeight();
}

using U = UnitCode;
INSTANTIATE_TEST_SUITE_P(
    Units, ConvertPosition,
    ::testing::Values(
        ConvertCase{72, U::Inches, U::Pixels, {1, 1, 2, 3}, {400, 300}, {72, 72, 144, 216}},
        ConvertCase{72, U::Centimeters, U::Inches, {2.54, 5.08, 0, 1.27}, {400, 300}, {1, 2, 0, 0.5}},
        ConvertCase{96, U::Inches, U::Points, {1, 2, 3, 4}, {400, 300}, {72, 144, 216, 288}},
        ConvertCase{96, U::Points, U::Pixels, {72, 36, 0, 1}, {400, 300}, {96, 48, 0, 96.0 / 72}},
        ConvertCase{96, U::Pixels, U::Inches, {96, 48, 192, 24}, {400, 300}, {1, 0.5, 2, 0.25}},
        // Normalized units scale by the frame: width horizontally, height vertically.
        ConvertCase{72, U::Normalized, U::Pixels, {0.5, 0.5, 0.25, 0.25}, {400, 300}, {200, 150, 100, 75}},
        ConvertCase{72, U::Pixels, U::Normalized, {200, 150, 100, 75}, {400, 300}, {0.5, 0.5, 0.25, 0.25}},
        ConvertCase{72, U::Pixels, U::Normalized, {100, 100, 0, 0}, {-400, 300}, {-0.25, 1.0 / 3, 0, 0}},
        // Characters, and codes beyond the plain units, count as pixels.
        ConvertCase{72, U::Characters, U::Inches, {72, 144, 36, 0}, {400, 300}, {1, 2, 0.5, 0}},
        ConvertCase{72, U::Data, U::Inches, {72, 0, 0, 0}, {400, 300}, {1, 0, 0, 0}},
        // The same unit returns the position, even with a zero frame; a zero
        // frame is refused only for a normalized target.
        ConvertCase{72, U::Normalized, U::Normalized, {0.1, 0.2, 0.3, 0.4}, {0, 0}, {0.1, 0.2, 0.3, 0.4}},
        ConvertCase{72, U::Pixels, U::Normalized, {1, 1, 1, 1}, {0, 300}, {}},
        ConvertCase{72, U::Inches, U::Normalized, {1, 1, 1, 1}, {400, 0}, {}},
        ConvertCase{72, U::Normalized, U::Pixels, {0.5, 0.5, 1, 1}, {0, 0}, {0, 0, 0, 0}}));

TEST_F(HostTest, DefaultResolutionSourceUntouchedAndNulls)
{
    Position p(1, 2, 3, 4), frame(0, 0, 10, 10);
    Position out = vx::convertPosition(Pixel(), U::Inches, U::Pixels, &p, &frame);
    EXPECT_TRUE(p == Position(1, 2, 3, 4));
    EXPECT_TRUE(out == Position(72, 144, 216, 288)) << "72 pixels per inch by default";
    // A null position converts as zeros, a null frame as a zero frame.
    out = vx::convertPosition(Pixel(), U::Inches, U::Pixels, nullptr, nullptr);
    EXPECT_TRUE(out == Position(0, 0, 0, 0));
    EXPECT_TRUE(vxtest::raisedBy([&] { vx::convertPosition(Pixel(), U::Pixels, U::Normalized, &p, nullptr); }));
}

// ---- units given as property values ----------------------------------------------------------

using datatypes::Units;
using datatypes::UnitsWithData;

// A Units or UnitsWithData value converts as the unit code it stands for.
template <class From, class To>
void expectLikeCodes(From from, UnitCode fromCode, To to, UnitCode toCode)
{
    Position p(1, 2, 3, 4), frame(0, 0, 400, 300);
    gui_objects::Inset2d inset(1, 2, 3, 4);
    EXPECT_TRUE(vx::convertPosition(Pixel(), from, to, &p, &frame) == vx::convertPosition(Pixel(), fromCode, toCode, &p, &frame));
    EXPECT_TRUE(vx::convertInset(Pixel(), from, to, &inset, &frame) == vx::convertInset(Pixel(), fromCode, toCode, &inset, &frame));
}

TEST_F(HostTest, EnumeratedUnitsConvertLikeTheirCodes)
{
    expectLikeCodes(Units(Units::kInches), U::Inches, Units(Units::kPixels), U::Pixels);
    expectLikeCodes(Units(Units::kPoints), U::Points, UnitsWithData(UnitsWithData::kNormalized), U::Normalized);
    expectLikeCodes(UnitsWithData(UnitsWithData::kNormalized), U::Normalized, Units(Units::kCentimeters), U::Centimeters);
    expectLikeCodes(UnitsWithData(UnitsWithData::kData), U::Data, UnitsWithData(UnitsWithData::kInches), U::Inches);
}

// ---- insets ----------------------------------------------------------------------------------

// The first and third values scale horizontally, the second and fourth vertically.
TEST_F(HostTest, InsetsConvertAsPositions)
{
    const gui_objects::Inset2d inset(0.1, 0.1, 0.2, 0.2);
    Position frame(0, 0, 400, 300), flat(0, 0, 0, 10);
    EXPECT_TRUE(vx::convertInset(Pixel(), U::Normalized, U::Pixels, &inset, &frame) == gui_objects::Inset2d(40, 30, 80, 60));
    EXPECT_TRUE(vx::convertInset(Pixel(), U::Inches, U::Pixels, nullptr, &frame) == gui_objects::Inset2d(0, 0, 0, 0));
    EXPECT_EQ(vxtest::idOf([&] { vx::convertInset(Pixel(), U::Inches, U::Normalized, &inset, &flat); }), "vx:datatypes");
}

} // namespace
