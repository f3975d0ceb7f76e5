// The name matcher shared by every layer: exact name first, then the only name
// a text begins, in either letter-case mode; texts given as C strings and as
// counted strings must get the same answers.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
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
// Names "f00".."f<n-1>" followed by `more`: puts the names that matter at
// positions of several bits, or past the 64 first ones.
std::vector<std::string> after(int n, std::vector<std::string> more)
{
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
        const char name[] = {'f', char('0' + i / 10), char('0' + i % 10), '\0'};
        names.emplace_back(name);
    }
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

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
    {after(70, {"hexagram"}), Fold, "HEXAGRAM", 70},
};

class Matching : public ::testing::TestWithParam<Match> {};

TEST_P(Matching, SelectsTheExactNameElseTheOnlyOneBegun)
{
    const Match& m = GetParam();
    NameMatcher matcher(m.mode);
    for (const std::string& n : m.names)
        matcher.add(n);
    EXPECT_EQ(matcher.match(m.text), m.expected);
    EXPECT_EQ(matcher.match(m.text), m.expected) << "asked again";
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

// A converter asks twice about one text, and the next text may come in the
// same buffer: what was kept for one text never answers for another.
TEST(NameMatcher, TextsInOneBufferGetTheirOwnAnswers)
{
    NameMatcher m;
    for (const std::string& n : after(40, {"major", "majorandminor", "manual", "hexagram"}))
        m.add(n);
    const std::pair<const char*, int> steps[] = {{"major", 40},   {"majora", 41},   {"MAJOR", 40},
                                                 {"MAJORA", 41},  {"maj", ambiguous}, {"MAN", 42},
                                                 {"man", 42},     {"Hexagram", 43}, {"HEXAGRA", 43},
                                                 {"hexagramx", none}};
    char buffer[16];
    for (const auto& [text, expected] : steps) {
        std::strcpy(buffer, text);
        for (int call = 0; call < 2; ++call)
            EXPECT_EQ(m.match(buffer), expected) << "'" << text << "', call " << call;
    }
}

// What one matcher answered says nothing about another, and names added later
// change what a text selects.
TEST(NameMatcher, AnswersBelongToOneMatcherAndItsNames)
{
    NameMatcher first, second;
    for (const char* n : {"auto", "manual"})
        first.add(n);
    second.add("manual");
    EXPECT_EQ(first.match("MAN"), 1);
    EXPECT_EQ(second.match("MAN"), 0);
    first.add("mango");
    EXPECT_EQ(first.match("MAN"), ambiguous);
    const auto gone = reinterpret_cast<std::uintptr_t>(first.keyAt(1));
    EXPECT_EQ(first.fromKey(first.keyAt(1)), 1);
    first.clear();
    EXPECT_EQ(first.match("MAN"), none);
    // The copies went with the names: the old address is none of the new ones'.
    first.add("auto");
    EXPECT_EQ(first.fromKey(reinterpret_cast<const char*>(gone)), none);
}

// Threads asking about the same texts on one matcher, each text twice in a
// row, get the right answers whatever the other thread left behind.
TEST(NameMatcher, ThreadsSharingAMatcherGetTheirOwnAnswers)
{
    NameMatcher m;
    for (const std::string& n : after(50, {"hexagram", "manual", "pentagram", "auto"}))
        m.add(n);
    const std::pair<const char*, int> texts[] = {{"MAN", 51}, {"Hexagram", 50}, {"au", 53}, {"PENTAGRA", 52}};
    int wrong[2] = {0, 0};
    const auto work = [&](int thread) {
        for (int i = 0; i < 400000; ++i) {
            const auto& [text, expected] = texts[(i / 2 + thread) % 4];
            wrong[thread] += m.match(text) != expected;
        }
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    EXPECT_EQ(wrong[0] + wrong[1], 0);
}

#ifdef __GLIBC__
// A text is folded by the caller's locale, also when a caller in another
// locale asked about it just before. Here the calling thread's lower-case
// table is swapped for one that folds 'I' to the byte 0xFD, as a Turkish
// locale does.
TEST(NameMatcher, TheCallersLocaleFoldsTheText)
{
    const std::int32_t** where = __ctype_tolower_loc();
    const std::int32_t* classic = *where;
    std::array<std::int32_t, 384> turkish;
    std::copy(classic - 128, classic + 256, turkish.begin());
    turkish[128 + 'I'] = 0xfd;
    NameMatcher m;
    for (const char* n : {"in", "\xfdn", "it"})
        m.add(n);
    const std::pair<const std::int32_t*, int> steps[] = {
        {classic, 0}, {turkish.data() + 128, 1}, {classic, 0}, {turkish.data() + 128, 1}};
    for (const auto& [table, expected] : steps) {
        *where = table;
        const int first = m.match("IN"), second = m.match("IN");
        *where = classic;
        EXPECT_EQ(first, expected);
        EXPECT_EQ(second, expected);
    }
}
#endif

} // namespace
