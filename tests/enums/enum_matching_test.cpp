// Name matching of the string enumerations, on tables made up for the test,
// and the enumerated value class itself. (Case folding shows through the
// catalog types: see enum_types_test.cpp.)
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "enums/enum_types.h"
#include "support/host_fixture.h"

namespace {

using datatypes::EnumStringType;

// ---- partial match -------------------------------------------------------------

struct Match {
    std::vector<const char*> names; // numbered from 0 in the order given
    const char* input;
    int selected; // the number of the name selected; -1: no unique match
};

void PrintTo(const Match& m, std::ostream* os) { *os << "'" << m.input << "' in " << ::testing::PrintToString(m.names); }

class PartialMatchTest : public vxtest::HostTest, public ::testing::WithParamInterface<Match> {};

TEST_P(PartialMatchTest, ExactNameFirstThenTheOnlyNameBeginningWithTheInput)
{
    const Match& m = GetParam();
    EnumStringType t("PartialMatchTestStyle");
    for (std::size_t i = 0; i < m.names.size(); ++i)
        t.addEnumValue(m.names[i], static_cast<std::int32_t>(i));
    const char* found = t.getEnumFromPartialMatch(m.input);
    EXPECT_STREQ(found, m.selected < 0 ? nullptr : m.names[m.selected]);
    EXPECT_TRUE(!found || found != m.input) << "the canonical name is the stored entry, not the input";
    EXPECT_EQ(t.isValidEnumName(m.input), m.selected >= 0);
    if (m.selected >= 0) {
        EXPECT_EQ(t.getEnumValue(m.input), m.selected);
    }
}

// How texts select names is the name matcher's own table; these rows are what
// the enumeration adds: positions mapped back to its names, and case kept in
// the match itself ("O"; the name tests fold it, and "o" begins both names).
INSTANTIATE_TEST_SUITE_P(
    Lists, PartialMatchTest,
    ::testing::Values(Match{{"ab", "abc", "a"}, "a", 2}, Match{{"xa", "ya", "xb"}, "x", -1},
                      Match{{"alpha", "beta", "gamma"}, "g", 2}, Match{{"on", "off"}, "O", -1}, Match{{}, "", -1}));

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

// A name the repository lacks, or one of a type that is no enumeration.
TEST_F(StringTypeTest, CreatesAndOwnsAnEnumerationWhereTheRepositoryHasNone)
{
    for (const char* name : {"NewStyle", "double"}) {
        EnumStringType t(name);
        EXPECT_TRUE(t.ownsHostEnumeration());
        EXPECT_STREQ(t.hostEnumeration()->getName(), name);
        EXPECT_STREQ(t.hostEnumeration()->baseType()->getName(), "uint32 scalar");
        t.addEnumValue("one", 1);
        EXPECT_EQ(t.getEnumValue("o"), 1);
    }
    EXPECT_EQ(vxtest::type("NewStyle"), nullptr) << "creating it did not enter it in the repository";
    EXPECT_STREQ(vxtest::type("double")->getName(), "double");
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

// Two threads match at once; the values one thread made are released by
// another, and the heap's count of live blocks still comes back.
TEST_F(StringTypeTest, ThreadsMatchAtOnceAndReleaseEachOthersValues)
{
    nyro::COSDataType* type = vxtest::type("MarkerStyle");
    nyro::COSTypeConversion* sc = vxtest::conversion("string", "MarkerStyle");
    const long before = ut::test::liveBlocks();
    std::vector<nyro::COSValue> made[2];
    int wrong[2] = {0, 0};
    const auto work = [&](int t) {
        const char* inputs[] = {"Hexagram", "p", "SQ", "<", "x"};
        const std::int32_t numbers[] = {13, 12, 6, 11, 5};
        for (int i = 0; i < 5000; ++i) {
            const nyro::COSValue v = sc->from(datatypes::slotOf(inputs[i % 5]));
            made[t].push_back(v);
            wrong[t] += v.isNull() || nyro::pointerValue<const datatypes::EnumBase*>(v)->getIntValue() != numbers[i % 5];
        }
    };
    std::thread first(work, 0), second(work, 1);
    first.join();
    second.join();
    EXPECT_EQ(wrong[0] + wrong[1], 0);
    for (const auto& values : made)
        for (nyro::COSValue v : values)
            type->destroy(v);
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

TEST_F(StringTypeTest, CopiesAndAssignmentsShareTheAttachmentAndTheLastOneReleasesIt)
{
    int deleted = 0;
    nyro::COSDataType* type = vxtest::type("AutoManual");
    auto* value = new datatypes::AutoManual(datatypes::AutoManual::kManual);
    value->attach(new CountedAttachment(deleted));
    nyro::COSValue original = nyro::COSValue::fromPointer(value), copy = type->copy(original);
    EXPECT_EQ(nyro::pointerValue<datatypes::AutoManual*>(copy)->attached(), value->attached());
    {
        datatypes::AutoManual assigned;
        assigned = *value;
        const datatypes::AutoManual& self = assigned; // assigning a value to itself, through another name
        assigned = self;
        EXPECT_TRUE(assigned.isManual());
        EXPECT_EQ(assigned.attached(), value->attached());
    }
    type->destroy(original);
    EXPECT_EQ(deleted, 0);
    type->destroy(copy);
    EXPECT_EQ(deleted, 1);
}

} // namespace
