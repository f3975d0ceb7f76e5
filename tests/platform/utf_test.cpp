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
    // The string form gives the same units, and they write back to the same
    // bytes where the bytes were UTF-8 (or encoded surrogates) to begin with.
    const std::u16string units = utf8_to_u16string(GetParam().bytes.data(), GetParam().bytes.size());
    EXPECT_EQ(units, GetParam().units);
    if (utf8_valid_prefix(GetParam().bytes.data(), GetParam().bytes.size()) == GetParam().bytes.size()) {
        EXPECT_EQ(utf16_to_utf8(reinterpret_cast<const std::uint16_t*>(units.data()), units.size()), GetParam().bytes);
    }
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

// Where text stops being UTF-8: the first byte that begins no well-formed sequence.
TEST(Utf8ValidPrefix, EndsAtTheFirstByteThatIsNotUtf8)
{
    const std::pair<std::string, std::size_t> cases[] = {
        {"", 0}, {"abc", 3}, {"\xc3\xa9\xe2\x98\xba\xf0\x9f\x98\x80", 9}, {"ab\xff", 2}, {"a\xc0\xaf", 1},
        {"\xe2\x98", 0}, {"x\xf4\x90\x80\x80", 1}, {"\xed\xa0\xbd!", 4}, {"ok\x80", 2},
    };
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(utf8_valid_prefix(text.data(), text.size()), valid) << vxtest::printable(text);
}

// Unpaired surrogates are written in their own 3-byte form, pairs as one code point.
TEST(Utf16ToUtf8, PairsJoinAndUnpairedSurrogatesStand)
{
    const std::uint16_t units[] = {0xd83d, 0xde00, 0xdc00, 'a', 0xd800};
    EXPECT_EQ(utf16_to_utf8(units, 5), "\xf0\x9f\x98\x80\xed\xb0\x80" "a\xed\xa0\x80");
}

} // namespace
