// Name matching of the string enumerations, on tables made up for the test,
// and the enumerated value class itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "enum_test_support.h"

namespace {

using datatypes::EnumStringType;
using datatypes::VXTypedEnumStringType;

// ---- case folding --------------------------------------------------------------

struct Folding {
    const char* input;
    const char* expected;
};

class NormalizeCaseTest : public ::testing::TestWithParam<Folding> {};

TEST_P(NormalizeCaseTest, FoldsOnlyAsciiLettersAndKeepsEverythingElse)
{
    EXPECT_EQ(testNormalizeCase(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Bytes, NormalizeCaseTest,
                         ::testing::Values(Folding{"AUTO", "auto"}, Folding{"MiXeD", "mixed"}, Folding{"", ""},
                                           Folding{" Auto ", " auto "}, Folding{"A-Z.0_9[@]", "a-z.0_9[@]"},
                                           Folding{"\xc3\x89T\xc3\x89", "\xc3\x89t\xc3\x89"},
                                           Folding{"already lower", "already lower"}));

// ---- partial match -------------------------------------------------------------

struct Match {
    std::vector<const char*> names;
    const char* input; // already lower case
    const char* expected; // null: no unique match
};

void PrintTo(const Match& m, std::ostream* os) { *os << "'" << m.input << "' in " << ::testing::PrintToString(m.names); }

// A table filled in the order given, numbered from 0.
std::unique_ptr<EnumStringType> table(const char* name, const std::vector<const char*>& names)
{
    auto t = std::make_unique<EnumStringType>(name);
    for (std::size_t i = 0; i < names.size(); ++i)
        t->addEnumValue(names[i], static_cast<std::int32_t>(i));
    return t;
}

class PartialMatchTest : public vxtest::HostTest, public ::testing::WithParamInterface<Match> {};

TEST_P(PartialMatchTest, ExactNameFirstThenTheOnlyNameBeginningWithTheInput)
{
    const Match& m = GetParam();
    auto t = table("PartialMatchTestStyle", m.names);
    const char* found = t->getEnumFromPartialMatch(m.input);
    EXPECT_STREQ(found, m.expected);
    EXPECT_TRUE(!found || found != m.input) << "the canonical name is the stored entry, not the input";
    // The name tests fold the case first; the match itself does not.
    if (m.expected || testNormalizeCase(m.input) == m.input)
        EXPECT_EQ(t->isValidEnumName(m.input), m.expected != nullptr);
    auto at = std::find_if(m.names.begin(), m.names.end(), [&](const char* n) { return m.expected && !std::strcmp(n, m.expected); });
    if (m.expected)
        EXPECT_EQ(t->getEnumValue(m.input), at - m.names.begin());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PartialMatchTest,
    ::testing::Values(
        // an exact name that begins other names, wherever it stands
        Match{{"ab", "abc", "a"}, "a", "a"}, Match{{"a", "ab", "abc"}, "ab", "ab"},
        Match{{"abc", "ab", "a"}, "abc", "abc"},
        // a prefix of two or more names, the second anywhere after the first
        Match{{"ab", "abc", "a"}, "", nullptr}, Match{{"xa", "ya", "xb"}, "x", nullptr},
        Match{{"ab", "abc", "abd"}, "abc", "abc"}, Match{{"ab", "abc", "abd"}, "ab", "ab"},
        Match{{"abc", "abd", "x"}, "ab", nullptr},
        // a unique prefix, first, middle or last in the list
        Match{{"alpha", "beta", "gamma"}, "al", "alpha"}, Match{{"alpha", "beta", "gamma"}, "b", "beta"},
        Match{{"alpha", "beta", "gamma"}, "g", "gamma"},
        // nothing begins with it: a name inside another, a longer input, other case
        Match{{"reverselit", "unlit", "lit"}, "it", nullptr}, Match{{"on", "off"}, "onn", nullptr},
        Match{{"on", "off"}, "ON", nullptr}, Match{{"on", "off"}, "O", nullptr},
        // one name: even the empty input selects it
        Match{{"only"}, "", "only"}, Match{{"only"}, "o", "only"}, Match{{"only"}, "x", nullptr},
        // no names at all
        Match{{}, "", nullptr}, Match{{}, "a", nullptr}));

// ---- the table around the host enumeration ---------------------------------------

class StringTypeTest : public vxtest::HostTest {};

TEST_F(StringTypeTest, AddingANameTwiceKeepsTheFirstValueAndNegativesKeepTheirSign)
{
    EnumStringType t("TwiceStyle");
    t.addEnumValue("below", -3);
    EXPECT_EQ(t.getEnumValue("Be"), -3);
    EXPECT_STREQ(t.getEnumString(nyro::COSValue::fromInt(-3)), "below");
    t.addEnumValue("Auto", 4);
    t.addEnumValue("auto", 9);
    t.addEnumValue("AUTO", 11);
    EXPECT_EQ(t.getEnumLength(), 2);
    EXPECT_STREQ(t.getEnumString(nyro::COSValue::fromInt(4)), "auto");
    EXPECT_EQ(t.getEnumString(nyro::COSValue::fromInt(9)), nullptr);
    EXPECT_EQ(t.getEnumValue("au"), 4);
    EXPECT_FALSE(t.isEnumNameAmbiguous("AUTO"));
}

TEST_F(StringTypeTest, CreatesAndOwnsAnEnumerationTheRepositoryLacks)
{
    EnumStringType t("NewStyle");
    EXPECT_TRUE(t.ownsHostEnumeration());
    ASSERT_NE(t.hostEnumeration(), nullptr);
    EXPECT_STREQ(t.hostEnumeration()->getName(), "NewStyle");
    EXPECT_STREQ(t.hostEnumeration()->baseType()->getName(), "uint32 scalar");
    EXPECT_TRUE(t.isPossibleValuesFinite());
    // Creating it did not enter it in the repository.
    EXPECT_EQ(vxtest::type("NewStyle"), nullptr);
}

TEST_F(StringTypeTest, ReusesTheRepositoryEnumerationAndLeavesItAlive)
{
    nyro::TypedEnumStringType* shared = nyro::TypedEnumStringType::createInstance(
        nyro::COSTypeRepository::getType(nyro::COSNameID("uint32 scalar")), "SharedStyle", nullptr);
    shared->addElement(nyro::COSValue::fromInt(0), "first");
    nyro::COSTypeRepository::addGlobalType(shared);
    {
        EnumStringType t("SharedStyle");
        EXPECT_FALSE(t.ownsHostEnumeration());
        EXPECT_EQ(t.hostEnumeration(), shared);
        t.addEnumValue("first", 5);  // known already: neither recorded nor re-added
        t.addEnumValue("second", 1);
        EXPECT_EQ(t.getEnumLength(), 2);
        // Only names the table recorded itself take part in matching.
        EXPECT_FALSE(t.isValidEnumName("first"));
        EXPECT_TRUE(t.isValidEnumName("s"));
    }
    EXPECT_EQ(shared->getEnumLength(), 2);
    EXPECT_STREQ(shared->getEnumString(nyro::COSValue::fromInt(1)), "second");
}

TEST_F(StringTypeTest, ARepositoryTypeThatIsNoEnumerationIsLeftAlone)
{
    EnumStringType t("double");
    EXPECT_TRUE(t.ownsHostEnumeration());
    t.addEnumValue("one", 1);
    EXPECT_EQ(t.getEnumValue("o"), 1);
    EXPECT_STREQ(vxtest::type("double")->getName(), "double");
}

TEST_F(StringTypeTest, NullNamesAreNeverValidAndLookupsAnswerForExactNamesOnly)
{
    EnumStringType t("NullStyle");
    t.addEnumValue("only", 0);
    t.addEnumValue(nullptr, 1);
    EXPECT_EQ(t.getEnumLength(), 1);
    EXPECT_FALSE(t.isValidEnumName(nullptr) || t.isEnumNameAmbiguous(nullptr));
    EXPECT_TRUE(t.isValidEnumName(""));
    EXPECT_EQ(t.getEnumVisibility("only"), nyro::EnumVisibility::Visible);
    for (const char* inexact : {"ONLY", "on"})
        EXPECT_EQ(t.getEnumVisibility(inexact), nyro::EnumVisibility::Unknown) << inexact;
    EXPECT_EQ(t.getEnumString(nyro::COSValue::fromInt(7)), nullptr);
}

TEST_F(StringTypeTest, NoStorageForTheEnumerationLeavesNothingBehind)
{
    const long before = ut::test::liveBlocks();
    {
        ut::test::AllocationFailure failure(1);
        EXPECT_THROW(EnumStringType("NoMemoryStyle"), nyro::COSOutOfMemoryException);
    }
    EXPECT_EQ(ut::test::liveBlocks(), before);
}

// ---- the value class ---------------------------------------------------------------

class CountedAttachment : public datatypes::EnumAttachment {
public:
    explicit CountedAttachment(int& deleted) : deleted_(deleted) {}
    ~CountedAttachment() override { ++deleted_; }

private:
    int& deleted_;
};

TEST_F(StringTypeTest, CopiesShareTheAttachmentAndTheLastOneReleasesIt)
{
    int deleted = 0;
    nyro::COSDataType* type = vxtest::type("AutoManual");
    auto* value = new datatypes::AutoManual(datatypes::AutoManual::kManual);
    value->attach(new CountedAttachment(deleted));
    nyro::COSValue original = nyro::COSValue::fromPointer(value);
    nyro::COSValue copy = type->copy(original);
    auto* copied = nyro::pointerValue<datatypes::AutoManual*>(copy);
    EXPECT_EQ(copied->attached(), value->attached());
    EXPECT_TRUE(copied->isManual());
    type->destroy(original);
    EXPECT_EQ(deleted, 0);
    type->destroy(copy);
    EXPECT_EQ(deleted, 1);
}

TEST_F(StringTypeTest, ValuesLiveInTheUtilityHeap)
{
    const long before = ut::test::liveBlocks();
    auto* v = new datatypes::TickDir(datatypes::TickDir::kBoth);
    EXPECT_EQ(ut::test::liveBlocks(), before + 1);
    EXPECT_EQ(v->getIntValue(), 2);
    delete v;
    EXPECT_EQ(ut::test::liveBlocks(), before);
    ut::test::AllocationFailure failure(1);
    EXPECT_THROW(new datatypes::TickDir(), nyro::COSOutOfMemoryException);
}

TEST(EnumValue, EqualityIsTheNumberAlone)
{
    using datatypes::GridMajorMinor;
    EXPECT_TRUE(GridMajorMinor() == GridMajorMinor(GridMajorMinor::kMajor));
    EXPECT_FALSE(GridMajorMinor(GridMajorMinor::kMinor) == GridMajorMinor(GridMajorMinor::kMajorandminor));
    int deleted = 0;
    GridMajorMinor attached(GridMajorMinor::kMinor);
    attached.attach(new CountedAttachment(deleted));
    EXPECT_TRUE(attached == GridMajorMinor(GridMajorMinor::kMinor));
    GridMajorMinor assigned;
    assigned = attached;
    assigned = assigned;
    EXPECT_TRUE(assigned.isMinor());
    EXPECT_EQ(assigned.attached(), attached.attached());
    attached.attach(nullptr);
    EXPECT_EQ(deleted, 0);
}

} // namespace
