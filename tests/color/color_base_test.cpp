// Color values: parsing from names and numbers, byte forms, allocation.
#include <cmath>
#include <string>

#include "color/color.h"
#include "geometry/array_support.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace {

using datatypes::ColorBase;
using vxtest::HostTest;

struct SetCase {
    const char* text;
    ColorBase expected; // when no error
    const char* id = nullptr;
};

std::ostream& operator<<(std::ostream& os, const SetCase& c) { return os << '"' << c.text << '"'; }

class SetFromString : public HostTest, public ::testing::WithParamInterface<SetCase> {};

const ColorBase start(0.1, 0.2, 0.3, 0.4);
const char* const OutOfRange = "KELDAR:datatypes:OutOfRangeElement";
const char* const ParseError = "KELDAR:datatypes:RGBAColor:ParseError";
const char* const Ambiguous = "KELDAR:datatypes:RGBAColor:AmbiguousName";

TEST_P(SetFromString, NamesKeepAlphaNumbersSetIt)
{
    const SetCase& c = GetParam();
    ColorBase color = start;
    testing::internal::CaptureStdout();
    auto raised = vxtest::raisedBy([&] { color.setColorFromString(c.text); });
    testing::internal::GetCapturedStdout();
    if (c.id) {
        ASSERT_TRUE(raised.has_value());
        EXPECT_EQ(raised->id, c.id);
        EXPECT_TRUE(color == start) << "a failed parse changed the color";
        return;
    }
    ASSERT_FALSE(raised.has_value()) << raised->message;
    EXPECT_TRUE(color == c.expected) << color.getRed() << " " << color.getGreen() << " " << color.getBlue() << " "
                                     << color.getAlpha();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SetFromString,
    ::testing::Values(SetCase{"r", {1, 0, 0, 0.4}}, SetCase{"Blue", {0, 0, 1, 0.4}}, SetCase{"k", {0, 0, 0, 0.4}},
                      SetCase{"gra", {0.5, 0.5, 0.5, 0.4}}, SetCase{"[1 0 0]", {1, 0, 0, 1}},
                      SetCase{"[0 0.5 1]", {0, 0.5, 1, 1}}, SetCase{"0.25,0.5,0.75", {0.25, 0.5, 0.75, 1}},
                      SetCase{"[1 0 0 0.5]", {1, 0, 0, 0.5}}, SetCase{"[0 0 0 0]", {0, 0, 0, 0}},
                      SetCase{"[1 0 2]", {}, OutOfRange}, SetCase{"[NaN 0 0]", {}, OutOfRange},
                      SetCase{"[-0.1 0 0]", {}, OutOfRange}, SetCase{"[0 0 0 1.5]", {}, OutOfRange},
                      SetCase{"[0 0 0 NaN]", {}, OutOfRange}, SetCase{"purple", {}, ParseError},
                      SetCase{"[1 2]", {}, ParseError}, SetCase{"[1 0 0 0 0]", {}, ParseError},
                      SetCase{"gr", {}, Ambiguous}, SetCase{"", {}, Ambiguous}));

TEST_F(HostTest, ColorErrorTexts)
{
    ColorBase c;
    testing::internal::CaptureStdout();
    auto ambiguous = vxtest::raisedBy([&] { c.setColorFromString("bl"); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "datatypes::ColorNameTable::getColorValue ambiguous name: bl\n");
    ASSERT_TRUE(ambiguous.has_value());
    EXPECT_EQ(ambiguous->message, "Color table contains several names that match the specified string.");
    auto range = vxtest::raisedBy([&] { c.setColorFromString("[2 0 0]"); });
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(range->message, "Color value contains NaN, or element out of range 0.0 <= value <= 1.0 .");
    auto parse = vxtest::raisedBy([&] { c.setColorFromString("purple"); });
    ASSERT_TRUE(parse.has_value());
    EXPECT_EQ(parse->message, "Specified string is an invalid color value. <a "
                              "href=\"keldar:helpview([docroot,'/techdoc/ref/colorspec.html'])\">Please click for "
                              "more information on specifying color.</a>");
}

TEST(ColorBaseValue, DefaultIsOpaqueBlackAndNaNIsUnequal)
{
    ColorBase c;
    EXPECT_TRUE(c == ColorBase(0, 0, 0, 1));
    ColorBase n(NAN, 0, 0, 1);
    EXPECT_FALSE(n == n);
    c.setRed(2); // no range check on the setters
    EXPECT_EQ(c.getRed(), 2);
}

struct ByteCase {
    ColorBase color;
    std::vector<double> bytes;
};

std::ostream& operator<<(std::ostream& os, const ByteCase& c)
{
    return os << c.color.getRed() << " " << c.color.getGreen() << " " << c.color.getBlue() << " " << c.color.getAlpha();
}

class ColorBytes : public HostTest, public ::testing::WithParamInterface<ByteCase> {};

TEST_P(ColorBytes, ArrayIsFourByOneUint8)
{
    const ByteCase& c = GetParam();
    gui_objects::QxArrayPtr a = c.color.getColorAsArray();
    ASSERT_TRUE(a);
    EXPECT_EQ(qxGetClassID(a.get()), qxUINT8_CLASS);
    EXPECT_EQ(qxGetM(a.get()), 4u);
    EXPECT_EQ(qxGetN(a.get()), 1u);
    EXPECT_EQ(vxtest::elementsOf(a.get()), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Colors, ColorBytes,
                         ::testing::Values(ByteCase{{1, 0.5, 0, 1}, {255, 128, 0, 255}},
                                           ByteCase{{0.2, 0.8, 1, 0}, {51, 204, 255, 0}},
                                           ByteCase{{2, -1, NAN, 0.999}, {255, 0, 0, 255}}));

TEST_F(HostTest, ColorWithoutHeapIsNull)
{
    ut::test::AllocationFailure fail(1);
    ColorBase* c = new ColorBase(1, 0, 0, 1);
    EXPECT_EQ(c, nullptr);
    delete c;
}

} // namespace
