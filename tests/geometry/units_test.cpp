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

struct PixelCase {
    double requested;
    double ppi;
    double perPoint;
};

std::ostream& operator<<(std::ostream& os, const PixelCase& c) { return os << c.requested << " ppi"; }

class PixelResolution : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PixelResolution, FallsBackTo72ForNonPositive)
{
    const PixelCase& c = GetParam();
    Pixel p(c.requested);
    EXPECT_EQ(p.getPixelsPerInch(), c.ppi);
    EXPECT_EQ(p.getPixelsPerPoint(), c.perPoint);
    EXPECT_EQ(p.getWidthInInches(), 1.0 / c.ppi);
    EXPECT_EQ(p.getHeightInInches(), 1.0 / c.ppi);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, PixelResolution,
                         ::testing::Values(PixelCase{96, 96, 1.3333333333333333}, PixelCase{72, 72, 1},
                                           PixelCase{0, 72, 1}, PixelCase{-5, 72, 1}, PixelCase{nan, 72, 1},
                                           PixelCase{144, 144, 2}, PixelCase{1e-3, 1e-3, 1e-3 / 72}));

TEST(PixelResolution, DefaultIs72) { EXPECT_EQ(Pixel().getPixelsPerInch(), 72.0); }

// ---- positions ----------------------------------------------------------------------------

struct ConvertCase {
    double ppi;
    UnitCode from, to;
    std::vector<double> position; // x y w h
    std::vector<double> frame;    // width, height of the reference frame
    std::vector<double> expected; // empty: the reference-frame error
};

std::ostream& operator<<(std::ostream& os, const ConvertCase& c)
{
    return os << c.ppi << " ppi, " << int(c.from) << " -> " << int(c.to) << ", x " << c.position[0] << ", frame "
              << c.frame[0] << "x" << c.frame[1];
}

Position positionOf(const std::vector<double>& v) { return Position(v[0], v[1], v[2], v[3]); }

class ConvertPosition : public HostTest, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(ConvertPosition, ScalesOriginAndSize)
{
    const ConvertCase& c = GetParam();
    Position p = positionOf(c.position);
    Position frame(0, 0, c.frame[0], c.frame[1]);
    Position out;
    auto raised = vxtest::raisedBy([&] { out = vx::convertPosition(Pixel(c.ppi), c.from, c.to, &p, &frame); });
    if (c.expected.empty()) {
        ASSERT_TRUE(raised.has_value());
        EXPECT_EQ(raised->id, "vx:datatypes");
        EXPECT_EQ(raised->message, "The width and height of the reference frame have to be greater then 0 when "
                                   "converting position to Normalized units.");
        return;
    }
    ASSERT_FALSE(raised.has_value()) << raised->message;
    Position expected = positionOf(c.expected);
    EXPECT_TRUE(datatypes::equalWithinRoundoffError(out, expected))
        << out.getX() << " " << out.getY() << " " << out.getWidth() << " " << out.getHeight();
}

using U = UnitCode;
INSTANTIATE_TEST_SUITE_P(
    Units, ConvertPosition,
    ::testing::Values(
        ConvertCase{72, U::Inches, U::Pixels, {1, 1, 2, 3}, {400, 300}, {72, 72, 144, 216}},
        ConvertCase{72, U::Pixels, U::Points, {72, 72, 144, 216}, {400, 300}, {72, 72, 144, 216}},
        ConvertCase{72, U::Centimeters, U::Inches, {2.54, 5.08, 0, 1.27}, {400, 300}, {1, 2, 0, 0.5}},
        ConvertCase{72, U::Inches, U::Centimeters, {1, 2, 3, 4}, {400, 300}, {2.54, 5.08, 7.62, 10.16}},
        ConvertCase{72, U::Centimeters, U::Points, {2.54, 0, 0, 0}, {400, 300}, {72, 0, 0, 0}},
        ConvertCase{96, U::Inches, U::Points, {1, 2, 3, 4}, {400, 300}, {72, 144, 216, 288}},
        ConvertCase{96, U::Points, U::Pixels, {72, 36, 0, 1}, {400, 300}, {96, 48, 0, 96.0 / 72}},
        ConvertCase{96, U::Pixels, U::Inches, {96, 48, 192, 24}, {400, 300}, {1, 0.5, 2, 0.25}},
        // Normalized units scale by the frame: width horizontally, height vertically.
        ConvertCase{72, U::Normalized, U::Pixels, {0.5, 0.5, 0.25, 0.25}, {400, 300}, {200, 150, 100, 75}},
        ConvertCase{72, U::Pixels, U::Normalized, {200, 150, 100, 75}, {400, 300}, {0.5, 0.5, 0.25, 0.25}},
        ConvertCase{72, U::Normalized, U::Inches, {1, 1, 0.5, 0.5}, {144, 72}, {2, 1, 1, 0.5}},
        ConvertCase{72, U::Inches, U::Normalized, {2, 1, 1, 0.5}, {144, 72}, {1, 1, 0.5, 0.5}},
        ConvertCase{72, U::Pixels, U::Normalized, {100, 100, 0, 0}, {-400, 300}, {-0.25, 1.0 / 3, 0, 0}},
        // Characters, and codes beyond the plain units, count as pixels.
        ConvertCase{72, U::Characters, U::Pixels, {3, 4, 5, 6}, {400, 300}, {3, 4, 5, 6}},
        ConvertCase{72, U::Pixels, U::Characters, {3, 4, 5, 6}, {400, 300}, {3, 4, 5, 6}},
        ConvertCase{72, U::Characters, U::Inches, {72, 144, 36, 0}, {400, 300}, {1, 2, 0.5, 0}},
        ConvertCase{72, U::Data, U::Inches, {72, 0, 0, 0}, {400, 300}, {1, 0, 0, 0}},
        ConvertCase{72, U::Inches, U::CoordinateSpace, {1, 2, 3, 4}, {400, 300}, {72, 144, 216, 288}},
        // The same unit returns the position, even with a zero frame.
        ConvertCase{72, U::Normalized, U::Normalized, {0.1, 0.2, 0.3, 0.4}, {0, 0}, {0.1, 0.2, 0.3, 0.4}},
        // A zero frame is refused only for a normalized target.
        ConvertCase{72, U::Pixels, U::Normalized, {1, 1, 1, 1}, {0, 300}, {}},
        ConvertCase{72, U::Inches, U::Normalized, {1, 1, 1, 1}, {400, 0}, {}},
        ConvertCase{72, U::Normalized, U::Pixels, {0.5, 0.5, 1, 1}, {0, 0}, {0, 0, 0, 0}},
        ConvertCase{72, U::Inches, U::Pixels, {1, 1, 1, 1}, {0, 0}, {72, 72, 72, 72}}));

TEST_F(HostTest, ConversionKeepsTheSourceUntouched)
{
    Position p(1, 2, 3, 4), frame(0, 0, 10, 10);
    Position out = vx::convertPosition(Pixel(), U::Inches, U::Points, &p, &frame);
    EXPECT_TRUE(p == Position(1, 2, 3, 4));
    EXPECT_TRUE(out == Position(72, 144, 216, 288));
}

TEST_F(HostTest, NullPositionConvertsAsZerosAndNullFrameAsZeroFrame)
{
    Position out = vx::convertPosition(Pixel(), U::Inches, U::Pixels, nullptr, nullptr);
    EXPECT_TRUE(out == Position(0, 0, 0, 0));
    Position p(1, 1, 1, 1);
    EXPECT_TRUE(vxtest::raisedBy([&] { vx::convertPosition(Pixel(), U::Pixels, U::Normalized, &p, nullptr); }));
}

// ---- units given as property values ----------------------------------------------------------

struct EnumUnitsCase {
    int from;
    bool fromWithData; // a UnitsWithData value, else a Units value
    int to;
    bool toWithData;
    std::vector<double> expected; // [1 2 3 4] converted, frame 400 x 300, 72 ppi
};

std::ostream& operator<<(std::ostream& os, const EnumUnitsCase& c)
{
    return os << (c.fromWithData ? "UnitsWithData " : "Units ") << c.from << " -> "
              << (c.toWithData ? "UnitsWithData " : "Units ") << c.to;
}

class EnumeratedUnits : public HostTest, public ::testing::WithParamInterface<EnumUnitsCase> {};

template <class From, class To>
Position convertAs(int from, int to, const Position& p, const Position& frame)
{
    const From f(static_cast<typename From::value>(from));
    const To t(static_cast<typename To::value>(to));
    return vx::convertPosition(Pixel(), f, t, &p, &frame);
}

TEST_P(EnumeratedUnits, ConvertLikeTheirCodes)
{
    using datatypes::Units;
    using datatypes::UnitsWithData;
    const EnumUnitsCase& c = GetParam();
    Position p(1, 2, 3, 4), frame(0, 0, 400, 300);
    Position out = !c.fromWithData ? (!c.toWithData ? convertAs<Units, Units>(c.from, c.to, p, frame)
                                                    : convertAs<Units, UnitsWithData>(c.from, c.to, p, frame))
                                   : (!c.toWithData ? convertAs<UnitsWithData, Units>(c.from, c.to, p, frame)
                                                    : convertAs<UnitsWithData, UnitsWithData>(c.from, c.to, p, frame));
    EXPECT_TRUE(datatypes::equalWithinRoundoffError(out, positionOf(c.expected)))
        << out.getX() << " " << out.getY() << " " << out.getWidth() << " " << out.getHeight();
    gui_objects::Inset2d inset(1, 2, 3, 4);
    const Units from(static_cast<Units::value>(c.from % 6)), to(static_cast<Units::value>(c.to % 6));
    gui_objects::Inset2d viaValues = vx::convertInset(Pixel(), from, to, &inset, &frame);
    gui_objects::Inset2d viaCodes = vx::convertInset(Pixel(), vx::unitCode(from), vx::unitCode(to), &inset, &frame);
    EXPECT_TRUE(viaValues == viaCodes);
}

using datatypes::Units;
using datatypes::UnitsWithData;
INSTANTIATE_TEST_SUITE_P(
    Values, EnumeratedUnits,
    ::testing::Values(EnumUnitsCase{Units::kInches, false, Units::kPixels, false, {72, 144, 216, 288}},
                      EnumUnitsCase{Units::kCentimeters, false, Units::kInches, false, {1 / 2.54, 2 / 2.54, 3 / 2.54, 4 / 2.54}},
                      EnumUnitsCase{Units::kPixels, false, Units::kNormalized, false, {1 / 400.0, 2 / 300.0, 3 / 400.0, 4 / 300.0}},
                      EnumUnitsCase{Units::kPoints, false, UnitsWithData::kInches, true, {1 / 72.0, 2 / 72.0, 3 / 72.0, 4 / 72.0}},
                      EnumUnitsCase{UnitsWithData::kNormalized, true, Units::kPixels, false, {400, 600, 1200, 1200}},
                      EnumUnitsCase{UnitsWithData::kData, true, UnitsWithData::kInches, true, {1 / 72.0, 2 / 72.0, 3 / 72.0, 4 / 72.0}},
                      EnumUnitsCase{UnitsWithData::kCharacters, true, UnitsWithData::kCharacters, true, {1, 2, 3, 4}}));

// ---- insets ----------------------------------------------------------------------------------

struct InsetCase {
    UnitCode from, to;
    gui_objects::Inset2d inset;
    std::vector<double> frame;
    gui_objects::Inset2d expected;
};

std::ostream& operator<<(std::ostream& os, const InsetCase& c)
{
    return os << int(c.from) << " -> " << int(c.to) << " [" << c.inset.getXMin() << " " << c.inset.getYMin() << " "
              << c.inset.getXMax() << " " << c.inset.getYMax() << "]";
}

class ConvertInset : public HostTest, public ::testing::WithParamInterface<InsetCase> {};

TEST_P(ConvertInset, FirstAndThirdScaleHorizontallySecondAndFourthVertically)
{
    const InsetCase& c = GetParam();
    Position frame(0, 0, c.frame[0], c.frame[1]);
    gui_objects::Inset2d out = vx::convertInset(Pixel(), c.from, c.to, &c.inset, &frame);
    EXPECT_TRUE(datatypes::equalWithinRoundoffError(out, c.expected))
        << out.getXMin() << " " << out.getYMin() << " " << out.getXMax() << " " << out.getYMax();
}

INSTANTIATE_TEST_SUITE_P(
    Insets, ConvertInset,
    ::testing::Values(InsetCase{U::Inches, U::Pixels, {1, 2, 3, 4}, {400, 300}, {72, 144, 216, 288}},
                      InsetCase{U::Normalized, U::Pixels, {0.1, 0.1, 0.2, 0.2}, {400, 300}, {40, 30, 80, 60}},
                      InsetCase{U::Pixels, U::Normalized, {40, 30, 80, 60}, {400, 300}, {0.1, 0.1, 0.2, 0.2}},
                      InsetCase{U::Points, U::Points, {1, 2, 3, 4}, {0, 0}, {1, 2, 3, 4}}));

TEST_F(HostTest, InsetToNormalizedWithZeroFrameIsRefused)
{
    gui_objects::Inset2d inset(1, 2, 3, 4);
    Position frame(0, 0, 0, 10);
    auto raised = vxtest::raisedBy([&] { vx::convertInset(Pixel(), U::Inches, U::Normalized, &inset, &frame); });
    ASSERT_TRUE(raised.has_value());
    EXPECT_EQ(raised->id, "vx:datatypes");
}

} // namespace
