#include "gui_objects/parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace gui_objects::convert_from_string_utils;

namespace {

struct ParseCase {
    const char* text;
    qxSize rows, cols;
    std::vector<double> rowMajor; // NaN compares by isnan
};

class ParseMatrixTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseMatrixTest, ReadsRowsColumnsAndNumbers)
{
    const ParseCase& c = GetParam();
    ParsedMatrix m = parse_matrix(c.text);
    EXPECT_EQ(m.rows, c.rows) << c.text;
    EXPECT_EQ(m.cols, c.cols) << c.text;
    ASSERT_EQ(m.rowMajor.size(), c.rowMajor.size()) << c.text;
    for (std::size_t i = 0; i < c.rowMajor.size(); ++i) {
        if (std::isnan(c.rowMajor[i]))
            EXPECT_TRUE(std::isnan(m.rowMajor[i])) << c.text;
        else
            EXPECT_EQ(m.rowMajor[i], c.rowMajor[i]) << c.text;
    }
}

const double inf = INFINITY, nan = NAN;
INSTANTIATE_TEST_SUITE_P(
    Texts, ParseMatrixTest,
    ::testing::Values(ParseCase{"[]", 0, 0, {}}, ParseCase{"", 0, 0, {}},
                      ParseCase{"  [ 1 , 2 ;3 4 ]  ", 2, 2, {1, 2, 3, 4}},
                      ParseCase{"[1e3 -2.5E-1 .5]", 1, 3, {1000, -0.25, 0.5}},
                      ParseCase{"[NaN Inf -Inf +inf nan]", 1, 5, {nan, inf, -inf, inf, nan}},
                      ParseCase{"5", 1, 1, {5}}, ParseCase{"0 1 1", 1, 3, {0, 1, 1}},
                      ParseCase{"[1 2;]", 1, 2, {1, 2}}));

class ParseRejectTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ParseRejectTest, RaisesParseException)
{
    EXPECT_THROW(parse_matrix(GetParam()), ParseException) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseRejectTest,
                         ::testing::Values("[1 2", "1 2]", "[1 2; 3]", "[a]", "[1x]", "[1 2] 3", "[1;;2]",
                                           "[Infinity]", "[0x10]"));

TEST(ParseMxn, BuildsTheRequestedClassAndChecksRangeAndSize)
{
    qxArray* a = parse_mxn(2, 2, qxUINT8_CLASS, "[1 2; 3 255]");
    ASSERT_EQ(qxGetClassID(a), qxUINT8_CLASS);
    const auto* d = static_cast<const std::uint8_t*>(qxGetData(a));
    EXPECT_EQ(std::vector<int>(d, d + 4), (std::vector<int>{1, 3, 2, 255})) << "column-major";
    qxDestroyArray(a);
    EXPECT_THROW(parse_mxn(1, 1, qxUINT8_CLASS, "[256]"), ParseException);
    EXPECT_THROW(parse_mxn(1, 1, qxINT32_CLASS, "[1.5]"), ParseException);
    EXPECT_THROW(parse_mxn(1, 1, qxUINT32_CLASS, "[NaN]"), ParseException);
    EXPECT_THROW(parse_mxn(1, 3, qxDOUBLE_CLASS, "[1 2]"), ParseException);
    EXPECT_EQ(qxCountTemporaries(), 0u) << "a refused parse leaves no array behind";
}

} // namespace
