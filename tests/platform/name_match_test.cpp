// The name matcher shared by every layer: exact name first, then the only name
// a text begins, in either letter-case mode; texts given as C strings and as
// counted strings must get the same answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ut/name_match.h"

namespace {

using ut::NameMatcher;
constexpr int none = NameMatcher::none;
constexpr int ambiguous = NameMatcher::ambiguous;

struct Match {
    std::vector<std::string> names;
    NameMatcher::Case mode;
    const char* text;
    int expected; // a position in `names`, none or ambiguous
};
void PrintTo(const Match& m, std::ostream* os) { *os << "'" << m.text << "' -> " << m.expected; }

const std::vector<std::string> grid = {"major", "majorandminor", "minor"};
const std::vector<std::string> units = {"inches", "centimeters", "characters", "normalized", "points", "pixels"};
const std::vector<std::string> mixed = {"XLim", "XLimMode", "xscale", "YLim"};
// Longer than what an entry keeps of a name.
const std::vector<std::string> longer = {"defaultaxesboxcolor", "defaultaxesboxcolors", "defaultgridcolor"};
constexpr auto Fold = NameMatcher::Case::Fold;
constexpr auto Exact = NameMatcher::Case::Exact;

const Match matches[] = {
    {grid, Fold, "major", 0},          // exact although another name begins with it
    {grid, Fold, "MAJORA", 1},
    {grid, Fold, "maj", ambiguous},
    {grid, Fold, "mi", 2},
    {grid, Fold, "majorandminorx", none},
    {grid, Fold, "", ambiguous},       // every name begins with the empty text
    {{"only"}, Fold, "", 0},
    {{}, Fold, "a", none},
    {units, Fold, "c", ambiguous},
    {units, Fold, "Ch", 2},
    {units, Fold, " inches", none},
    {mixed, Fold, "xlim", 0},          // names are folded too
    {mixed, Fold, "XLIMM", 1},
    {mixed, Fold, "xs", 2},
    {mixed, Fold, "x", ambiguous},
    {mixed, Exact, "xlim", none},
    {mixed, Exact, "XLim", 0},
    {mixed, Exact, "X", ambiguous},
    {mixed, Exact, "x", 2},
    {longer, Fold, "DefaultAxesBoxColor", 0},
    {longer, Fold, "defaultaxesboxcolo", ambiguous},
    {longer, Fold, "defaultaxesboxcolors", 1},
    {longer, Fold, "defaultg", 2},
    {longer, Fold, "defaultaxesboxcolorz", none},
    {{"-", "--", ":", "-."}, Fold, "-", 0},
    {{"-", "--", ":", "-."}, Fold, "-.", 3},
    {{"caf\xc3\xa9"}, Fold, "CAF\xc3\xa9", 0},   // bytes above 127 match only themselves
    {{"caf\xc3\xa9"}, Fold, "caf\xc3\x89", none},
};

class Matching : public ::testing::TestWithParam<Match> {};

TEST_P(Matching, SelectsTheExactNameElseTheOnlyOneBegun)
{
    const Match& m = GetParam();
    NameMatcher matcher(m.mode);
    for (const std::string& n : m.names)
        matcher.add(n);
    EXPECT_EQ(matcher.match(m.text), m.expected);
    EXPECT_EQ(matcher.match(std::string_view(m.text)), m.expected);
    // find answers exact names only.
    const int exact = m.expected >= 0 && (m.mode == Exact ? m.names[m.expected] == m.text
                                                           : m.names[m.expected].size() == std::strlen(m.text))
                          ? m.expected
                          : none;
    EXPECT_EQ(matcher.find(m.text), exact);
}

INSTANTIATE_TEST_SUITE_P(Names, Matching, ::testing::ValuesIn(matches));

TEST(NameMatcher, RepeatedNamesAnswerWithTheFirstAndCount)
{
    NameMatcher m(Exact);
    for (const char* n : {"on", "off", "on"})
        m.add(n);
    EXPECT_EQ(m.find("on"), 0);
    EXPECT_EQ(m.count("on"), 2);
    EXPECT_EQ(m.count("off"), 1);
    EXPECT_EQ(m.count("o"), 0);
    EXPECT_EQ(m.match(nullptr), none);
    EXPECT_EQ(m.find(nullptr), none);
    m.clear();
    EXPECT_EQ(m.find("on"), none);
    m.add("off");
    EXPECT_EQ(m.match("o"), 0);
}

// Only the matcher's own copies of names are answered by address: the same
// text elsewhere, or a pointer into a copy past its first byte, is not one.
TEST(NameMatcher, OwnCopiesAreKnownByAddress)
{
    NameMatcher m(Exact);
    std::string many;
    for (int i = 0; i < 300; ++i) // more names than one block of copies holds
        m.add(many.append(i == 150 ? "" : "x"));
    m.add("x");
    const std::pair<int, int> known[] = {{0, 0}, {149, 149}, {150, 149}, {299, 299}, {300, 0}}; // repeats: the first
    for (const auto& [position, first] : known)
        EXPECT_EQ(m.fromKey(m.keyAt(position)), first) << position;
    const std::string copy = m.keyAt(3);
    EXPECT_EQ(m.fromKey(copy.c_str()), none);
    EXPECT_EQ(m.fromKey(m.keyAt(3) + 1), none);
    EXPECT_EQ(m.fromKey(nullptr), none);
    EXPECT_EQ(m.keyAt(301), nullptr);
}

TEST(NameMatcher, CountedTextsStopAtTheirLength)
{
    NameMatcher m(Fold);
    for (const char* n : {"auto", "manual"})
        m.add(n);
    EXPECT_EQ(m.match(std::string_view("manx", 3)), 1);
    EXPECT_EQ(m.match(std::string_view("auto\0x", 6)), none) << "an embedded NUL is a byte like any other";
    EXPECT_EQ(m.find(std::string_view("autos", 4)), 0);
}

} // namespace
