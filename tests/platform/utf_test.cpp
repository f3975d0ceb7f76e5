#include "ut/utf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/text_arrays.h"
#include "ut/ut.h"

namespace {

struct UtfCase {
    std::string bytes; // given with its exact length
    std::u16string units;
};
void PrintTo(const UtfCase& c, std::ostream* os) { *os << vxtest::printable(c.bytes); }

class Utf8ToUtf16Test : public ::testing::TestWithParam<UtfCase> {};

TEST_P(Utf8ToUtf16Test, DecodesEveryByteSequence)
{
    const UtfCase& c = GetParam();
    std::size_t count = 12345;
    std::uint16_t* out = utf8_to_utf16(c.bytes.data(), c.bytes.size(), &count);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::u16string(out, out + count), c.units);
    EXPECT_EQ(out[count], 0) << "terminated";
    utFree(out);
}

// Well-formed sequences of one to four bytes up to U+10FFFF decode; every byte of a sequence
// that is not (no lead byte, a stray continuation, cut short, broken, overlong, beyond U+10FFFF)
// stands for itself; a surrogate is kept as written; a counted NUL is kept.
using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8ToUtf16Test,
    ::testing::Values(UtfCase{"", u""}, UtfCase{"\xc3\xa9t\xc3\xa9", u"\u00e9t\u00e9"}, UtfCase{"\xe2\x98\xba", u"\u263a"},
                      UtfCase{"a\xf0\x9f\x98\x80z", u"a\U0001F600z"}, UtfCase{"\xf4\x8f\xbf\xbf", u"\U0010FFFF"},
                      UtfCase{"\xff", u"\u00ff"}, UtfCase{"\x80x", u"\u0080x"}, UtfCase{"\xe2\x98", u"\u00e2\u0098"},
                      UtfCase{"\xe2(\xba", u"\u00e2(\u00ba"}, UtfCase{"\xc0\xaf", u"\u00c0\u00af"},
                      UtfCase{"\xe0\x80\xaf", u"\u00e0\u0080\u00af"}, UtfCase{"\xf0\x8f\xbf\xbf", u"\u00f0\u008f\u00bf\u00bf"},
                      UtfCase{"\xf4\x90\x80\x80", u"\u00f4\u0090\u0080\u0080"}, UtfCase{"\xed\xa0\xbd", u"\xd83d"},
                      UtfCase{"a\0b"s, u"a\0b"s}));

TEST(Utf8ToUtf16, WholeStringStopsAtTheNulNullIsEmptyAndNoStorageGivesNull)
{
    std::size_t count = 0;
    std::uint16_t* out = utf8_to_utf16("h\xc3\xa9\0tail", UT_WHOLE_STRING, &count);
    EXPECT_EQ(std::u16string(out, out + count), u"h\u00e9");
    utFree(out);
    out = utf8_to_utf16(nullptr, UT_WHOLE_STRING, &count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(out[0], 0);
    utFree(out);
    long before = ut::test::liveBlocks();
    ut::test::AllocationFailure fail(1);
    EXPECT_EQ(utf8_to_utf16("abc", UT_WHOLE_STRING, &count), nullptr);
    EXPECT_EQ(ut::test::liveBlocks(), before);
}

} // namespace
