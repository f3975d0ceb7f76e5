// Text positions keep the caller's class and shape and read back as given.
#include <gtest/gtest.h>

#include "arrays/array_inputs.h"
#include "geometry/text_position.h"
#include "support/host_fixture.h"

namespace {

using namespace vxtest;
using gui_objects::QxArrayPtr;
using nyro::COSValue;

class TextPositionRoundTrip : public HostTest, public ::testing::WithParamInterface<Input> {};

TEST_P(TextPositionRoundTrip, ReadsBackTheSameArray)
{
    QxArrayPtr a(GetParam().make());
    nyro::COSTypeConversion* mc = conversion("any", "TextPosition");
    COSValue v = mc->from(COSValue::fromPointer(a.get()));
    ASSERT_FALSE(v.isNull());
    QxArrayPtr out(nyro::pointerValue<qxArray*>(mc->to(v)));
    EXPECT_EQ(qxGetClassID(out.get()), GetParam().cls);
    EXPECT_EQ(qxGetM(out.get()), GetParam().dims[0]);
    EXPECT_EQ(qxGetN(out.get()), GetParam().dims[1]);
    EXPECT_EQ(qxGetData(out.get()), qxGetData(a.get()));
    type("TextPosition")->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Shapes, TextPositionRoundTrip,
                         ::testing::Values(row({1, 2}).as(qxINT16_CLASS), col({1, 0, 1}).as(qxLOGICAL_CLASS),
                                           row({0.5, 1, 2}).as(qxSINGLE_CLASS), col({NaN, Inf})));

TEST(TextPositionText, DefaultShowsAsTheHostWritesIt)
{
    vxtest::initializeHost();
    COSValue d = type("TextPosition")->getDefaultValue();
    char* text = nyro::pointerValue<char*>(conversion("string", "TextPosition")->to(d));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "[0 0 0]");
    utFree(text);
}

} // namespace
