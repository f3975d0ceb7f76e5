// The name matcher shared by every layer: exact name first, then the only name
// a text begins, in either letter-case mode; texts given as C strings and as
// counted strings must get the same answers.
#include <gtest/gtest.h>

#include <array>
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

// Names "f00".."f<n-1>" followed by `more`: puts the names that matter at
// positions of several bits, and past what the matcher remembers (64).
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

// Texts matched one after another on one matcher, each written into the same
// buffer and matched twice, as a converter asks twice: an answer kept from an
// earlier text must never stand in for a later one, and a kept answer must be
// the one a search gives.
struct Sequence {
    const char* what;
    std::vector<std::string> names;
    std::vector<std::pair<const char*, int>> steps;
};
void PrintTo(const Sequence& r, std::ostream* os) { *os << r.what; }

const Sequence sequences[] = {
    {"letter case", {"auto", "manual"},
     {{"man", 1}, {"MAN", 1}, {"Man", 1}, {"auto", 0}, {"a", 0}, {"AUTO", 0}, {"manx", none}, {"MANUAL", 1},
      {"", ambiguous}, {"m", 1}}},
    {"exact before prefix", grid,
     {{"major", 0}, {"majora", 1}, {"majo", ambiguous}, {"MAJOR", 0}, {"MAJORA", 1}, {"mi", 2}, {"MINOR", 2}}},
    {"seven and eight bytes", after(40, {"hexagram", "pentagram", "diamonds", "squares"}),
     {{"Hexagram", 40}, {"hexagram", 40}, {"HEXAGRA", 40}, {"pentagra", 41}, {"Diamonds", 42}, {"diamond", 42},
      {"squares", 43}, {"SQUARE", 43}, {"hexagramx", none}}},
    {"positions past 63", after(70, {"hexagram", "ab"}),
     {{"HEXAGRAM", 70}, {"ab", 71}, {"AB", 71}, {"f69", 69}, {"F63", 63}, {"f64", 64}}},
    {"bytes above 127", {"caf\xc3\xa9", "cafe"},
     {{"CAF\xc3\xa9", 0}, {"caf\xc3", 0}, {"CAFE", 1}, {"caf", ambiguous}}},
};

class Runs : public ::testing::TestWithParam<Sequence> {};

TEST_P(Runs, EveryTextGetsItsOwnAnswer)
{
    const Sequence& r = GetParam();
    NameMatcher matcher;
    for (const std::string& n : r.names)
        matcher.add(n);
    char buffer[16];
    for (const auto& [text, expected] : r.steps) {
        std::strcpy(buffer, text);
        EXPECT_EQ(matcher.match(buffer), expected) << "'" << text << "'";
        EXPECT_EQ(matcher.match(buffer), expected) << "'" << text << "' again";
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, Runs, ::testing::ValuesIn(sequences));

// What one matcher answered says nothing about another, and names added later
// change what a text selects.
TEST(NameMatcher, AnswersBelongToOneMatcherAndItsNames)
{
    NameMatcher first, second;
    for (const char* n : {"auto", "manual"})
        first.add(n);
    for (const char* n : {"manual", "auto"})
        second.add(n);
    EXPECT_EQ(first.match("MAN"), 1);
    EXPECT_EQ(second.match("MAN"), 0);
    EXPECT_EQ(first.match("MAN"), 1);
    first.add("mango");
    EXPECT_EQ(first.match("MAN"), ambiguous);
    first.add("man");
    EXPECT_EQ(first.match("man"), 3);
    first.clear();
    EXPECT_EQ(first.match("man"), none);
}

// Threads matching the same texts on one matcher, each text twice in a row as
// a converter does, get the right answers whatever the other thread left
// behind, for short texts and long ones.
TEST(NameMatcher, ThreadsSharingAMatcherGetTheirOwnAnswers)
{
    NameMatcher m;
    for (const std::string& n : after(50, {"hexagram", "manual", "pentagram", "auto"}))
        m.add(n);
    const std::pair<const char*, int> texts[] = {{"MAN", 51}, {"Hexagram", 50}, {"au", 53}, {"PENTAGRA", 52}};
    const auto work = [&](int offset) {
        int wrong = 0;
        for (int i = 0; i < 400000; ++i) {
            const auto& [text, expected] = texts[(i / 2 + offset) % 4];
            wrong += m.match(text) != expected;
        }
        return wrong;
    };
    int wrongA = 0, wrongB = 0;
    std::thread a([&] { wrongA = work(0); });
    std::thread b([&] { wrongB = work(1); });
    a.join();
    b.join();
    EXPECT_EQ(wrongA, 0);
    EXPECT_EQ(wrongB, 0);
}

#ifdef __GLIBC__
// The calling thread's lower-case table replaced by one that folds 'I' to the
// byte 0xFD, as a Turkish locale does, for as long as the object lives.
class TurkishFolding {
public:
    TurkishFolding() : where_(__ctype_tolower_loc()), saved_(*where_)
    {
        std::copy(saved_ - 128, saved_ + 256, table_.begin());
        table_[128 + 'I'] = 0xfd;
        *where_ = table_.data() + 128;
    }
    ~TurkishFolding() { *where_ = saved_; }
    TurkishFolding(const TurkishFolding&) = delete;
    TurkishFolding& operator=(const TurkishFolding&) = delete;

private:
    const std::int32_t** where_;
    const std::int32_t* saved_;
    std::array<std::int32_t, 384> table_;
};

// A text is folded by the caller's locale, also when a caller in another
// locale matched the same text just before.
TEST(NameMatcher, TheCallersLocaleFoldsTheText)
{
    NameMatcher m;
    for (const char* n : {"in", "\xfdn", "it"})
        m.add(n);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(m.match("IN"), 0);
        EXPECT_EQ(m.match("IT"), 2);
        {
            TurkishFolding turkish;
            EXPECT_EQ(m.match("IN"), 1);
            EXPECT_EQ(m.match("IN"), 1);
            EXPECT_EQ(m.match("IT"), none);
            EXPECT_EQ(m.match("it"), 2);
        }
        EXPECT_EQ(m.match("IN"), 0);
    }
}
#endif

} // namespace
