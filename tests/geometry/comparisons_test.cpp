// Comparisons of geometric values: bounding volumes, round-off equality, and
// the exact and tolerant comparisons of positions.
#include <string>
#include <vector>

#include "arrays/array_inputs.h"
#include "geometry/position.h"
#include "geometry/records.h"
#include "gui_objects/geometry.h"
#include "support/host_fixture.h"

namespace {

using datatypes::Position;
using datatypes::ScreenPosition;
using namespace vxtest;

TEST_F(HostTest, BoundingVolumesCompareByCenterAndWidths)
{
    nyro::COSDataType* t = type("BoundingVolume");
    auto volume = [](std::vector<double> v) { return fromArray("BoundingVolume", mat(2, 3, v).make()); };
    nyro::COSValue a = volume({0, 2, 0, 2, 0, 2});
    nyro::COSValue same = volume({0, 2, 0, 2, 0, 2});
    nyro::COSValue shifted = volume({1, 3, 0, 2, 0, 2});
    nyro::COSValue wider = volume({-1, 3, 0, 2, 0, 2});
    EXPECT_TRUE(t->isEqual(a, same));
    EXPECT_FALSE(t->isEqual(a, shifted));
    EXPECT_FALSE(t->isEqual(a, wider)); // same center, other width
    for (nyro::COSValue v : {a, same, shifted, wider})
        t->destroy(v);
}

struct RoundoffCase {
    double a, b;
    bool equal;
};

class Roundoff : public ::testing::TestWithParam<RoundoffCase> {};

// Absolute below magnitude 1, relative above it.
TEST_P(Roundoff, ScalarRule)
{
    const RoundoffCase& c = GetParam();
    using gui_objects::Inset2d;
    EXPECT_EQ(datatypes::equalWithinRoundoffError(Inset2d(c.a, 0, 0, 0), Inset2d(c.b, 0, 0, 0)), c.equal) << c.a << " " << c.b;
    EXPECT_EQ(datatypes::equalWithinRoundoffError(Inset2d(0, 0, 0, c.a), Inset2d(0, 0, 0, c.b)), c.equal) << c.a << " " << c.b;
}

INSTANTIATE_TEST_SUITE_P(Pairs, Roundoff,
                         ::testing::Values(RoundoffCase{0, 1e-13, true}, RoundoffCase{0, 2e-12, false},
                                           RoundoffCase{1e6, 1e6 + 1e-7, true}, RoundoffCase{1e6, 1e6 + 1e-5, false},
                                           RoundoffCase{-1e12, -1e12 - 0.5, true}, RoundoffCase{NaN, NaN, false},
                                           RoundoffCase{Inf, Inf, false}));

struct PositionPairCase {
    Position a, b;
    bool exact, nearly, roundoff;
};

template <class P>
std::string str(const P& p)
{
    return ::testing::PrintToString(std::vector<double>{double(p.getX()), double(p.getY()), double(p.getWidth()), double(p.getHeight())});
}
void PrintTo(const PositionPairCase& c, std::ostream* os) { *os << str(c.a) << " vs " << str(c.b); }

class PositionComparisons : public HostTest, public ::testing::WithParamInterface<PositionPairCase> {};

// The data type's equality is the tolerant one.
TEST_P(PositionComparisons, ExactNearlyAndRoundoff)
{
    const PositionPairCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.exact);
    EXPECT_EQ(datatypes::nearlyEqual(c.a, c.b), c.nearly);
    EXPECT_EQ(datatypes::equalWithinRoundoffError(c.a, c.b), c.roundoff);
    nyro::COSValue va = datatypes::PositionDataType::store(c.a), vb = datatypes::PositionDataType::store(c.b);
    EXPECT_EQ(type("Position")->isEqual(va, vb), c.nearly);
    for (nyro::COSValue v : {va, vb})
        type("Position")->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, PositionComparisons,
    ::testing::Values(PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4}, true, true, true},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4 + 5e-13}, false, true, true},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4 + 5e-11}, false, true, false},
                      PositionPairCase{{1, 2, 3, 4}, {1, 2, 3, 4.001}, false, false, false},
                      PositionPairCase{{Inf, 0, 1, 1}, {Inf, 0, 1, 1}, true, true, false}));

struct ScreenPairCase {
    ScreenPosition a, b;
    bool equal;
};

void PrintTo(const ScreenPairCase& c, std::ostream* os) { *os << str(c.a) << " vs " << str(c.b); }

class ScreenComparisons : public HostTest, public ::testing::WithParamInterface<ScreenPairCase> {};

TEST_P(ScreenComparisons, ExactAndNearlyAgree)
{
    const ScreenPairCase& c = GetParam();
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(datatypes::nearlyEqual(c.a, c.b), c.equal);
    nyro::COSValue va = datatypes::ScreenPositionDataType::store(c.a), vb = datatypes::ScreenPositionDataType::store(c.b);
    EXPECT_EQ(type("ScreenPosition")->isEqual(va, vb), c.equal);
    for (nyro::COSValue v : {va, vb})
        type("ScreenPosition")->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Pairs, ScreenComparisons,
                         ::testing::Values(ScreenPairCase{{1, 2, 3, 4}, {1, 2, 3, 4}, true},
                                           ScreenPairCase{{1, 2, 3, 4}, {1, 2, 3, 5}, false},
                                           ScreenPairCase{{1, 2, 3, 4}, {0, 2, 4, 4}, false}));

} // namespace
