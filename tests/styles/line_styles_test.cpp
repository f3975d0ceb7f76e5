#include "styles/line_styles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/host_fixture.h"
#include "support/text_arrays.h"

using datatypes::NLineStyles;
using gui_objects::QxArrayPtr;
using nyro::COSValue;

namespace {

// An input array: a literal, or one made by `make` when the literal is null.
struct Input {
    const char* literal;
    qxArray* (*make)() = nullptr;
    qxArray* build() const { return literal ? vxtest::literal(literal) : make(); }
    std::string name() const { return literal ? vxtest::printable(literal) : "(made)"; }
};

qxArray* numberOne() { return qxCreateDoubleScalar(1); }
qxArray* noArray() { return nullptr; }
qxArray* cellWithUnsetElement() { return qxCreateCellMatrix(2, 1); }
qxArray* cellHoldingNumber()
{
    qxArray* cells = qxCreateCellMatrix(1, 2);
    qxSetCell(cells, 0, qxCreateString("-"));
    qxSetCell(cells, 1, qxCreateDoubleScalar(1));
    return cells;
}

class LineStylesTest : public vxtest::HostTest {
protected:
    nyro::COSDataType* type() { return vxtest::type("NLineStyles"); }
    nyro::COSTypeConversion* arrays() { return vxtest::conversion("any", "NLineStyles"); }
    nyro::COSTypeConversion* texts() { return vxtest::conversion("string", "NLineStyles"); }
    COSValue fromArray(const Input& in)
    {
        QxArrayPtr a(in.build());
        return arrays()->from(COSValue::fromPointer(a.get()));
    }
    std::string representation(COSValue v)
    {
        QxArrayPtr back(nyro::pointerValue<qxArray*>(arrays()->to(v)));
        return vxtest::describe(back.get());
    }
};

// ---- accepted lists ---------------------------------------------------------------

struct AcceptCase {
    Input input;
    const char* representation; // describe() of what the list gives back
};
void PrintTo(const AcceptCase& c, std::ostream* os) { *os << c.input.name(); }

class LineStylesAcceptTest : public LineStylesTest, public ::testing::WithParamInterface<AcceptCase> {};

TEST_P(LineStylesAcceptTest, KeepsEntriesAndGivesThemBackInTheirForm)
{
    COSValue v = fromArray(GetParam().input);
    ASSERT_FALSE(v.isNull());
    EXPECT_EQ(representation(v), GetParam().representation);
    type()->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, LineStylesAcceptTest,
    ::testing::Values(AcceptCase{{"'-|--|:'"}, "3x2 char ['- ';'--';': ']"}, AcceptCase{{"'-'"}, "1x1 char ['-']"},
                      AcceptCase{{"'o'"}, "1x1 char ['o']"},                 // a marker alone
                      AcceptCase{{"'-.|square'"}, "2x6 char ['-.    ';'square']"},
                      AcceptCase{{"' -- o |:'"}, "2x6 char [' -- o ';':     ']"}, // blanks are kept
                      AcceptCase{{"'Square|X:'"}, "2x6 char ['Square';'X:    ']"}, // and so is case
                      AcceptCase{{"{'-','--';':','-.'}"}, "4x1 cell {'-';':';'--';'-.'}"}, // storage order
                      AcceptCase{{"['o';'-']"}, "1x2 char ['o-']"}, // a char matrix is read in storage order
                      AcceptCase{{"{'none'}"}, "1x1 cell {'none'}"}));

// ---- refused input ---------------------------------------------------------------

struct RejectCase {
    Input input;
    const char* id;
    const char* message;
};
void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.input.name(); }

class LineStylesRejectTest : public LineStylesTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(LineStylesRejectTest, RaisesItsMessageAndMakesNoList)
{
    const RejectCase& c = GetParam();
    QxArrayPtr a(c.input.build());
    COSValue made;
    auto raised = vxtest::raisedBy([&] { made = arrays()->from(COSValue::fromPointer(a.get())); });
    ASSERT_TRUE(raised) << c.input.name();
    EXPECT_EQ(raised->id, c.id);
    EXPECT_EQ(raised->message, c.message);
    EXPECT_TRUE(made.isNull());
}

constexpr const char* invalidInput = "KELDAR:vxdatatypes:InvalidInput";
constexpr const char* invalidInputText = "The value must be a '|' delimited string or cell array of strings.";
constexpr const char* notEnough = "KELDAR:vxdatatypes:NotEnoughStyles";
constexpr const char* notEnoughText = "There must be at least one line style present.";
constexpr const char* invalidEntry = "KELDAR:vxdatatypes:InvalidMarkerLineStyle";

INSTANTIATE_TEST_SUITE_P(
    Inputs, LineStylesRejectTest,
    ::testing::Values(RejectCase{{"''"}, notEnough, notEnoughText}, RejectCase{{"{}"}, notEnough, notEnoughText},
                      RejectCase{{nullptr, numberOne}, invalidInput, invalidInputText},
                      RejectCase{{nullptr, cellHoldingNumber}, invalidInput, invalidInputText},
                      RejectCase{{nullptr, cellWithUnsetElement}, invalidInput, invalidInputText},
                      RejectCase{{nullptr, noArray}, invalidInput, invalidInputText},
                      RejectCase{{"'r-'"}, invalidEntry, "The value 'r-' is not a valid line style."},
                      RejectCase{{"'-|r|:'"}, invalidEntry, "The value 'r' is not a valid line style."},
                      RejectCase{{"'-|'"}, invalidEntry, "The value '' is not a valid line style."},
                      RejectCase{{"'-||:'"}, invalidEntry, "The value '' is not a valid line style."},
                      RejectCase{{"'|-'"}, invalidEntry, "The value '' is not a valid line style."},
                      RejectCase{{"'   '"}, invalidEntry, "The value '   ' is not a valid line style."},
                      RejectCase{{"'--:'"}, invalidEntry, "The value '--:' is not a valid line style."},
                      RejectCase{{"{'-|:'}"}, invalidEntry, "The value '-|:' is not a valid line style."},
                      RejectCase{{"{'-',':','bogus'}"}, invalidEntry, "The value 'bogus' is not a valid line style."}));

// ---- comparison ------------------------------------------------------------------

struct EqualCase {
    const char* a;
    const char* b;
    bool equal;
};
void PrintTo(const EqualCase& c, std::ostream* os) { *os << vxtest::printable(std::string(c.a) + " vs " + c.b); }

class LineStylesEqualTest : public LineStylesTest, public ::testing::WithParamInterface<EqualCase> {};

TEST_P(LineStylesEqualTest, ComparesFormAndEntries)
{
    COSValue a = fromArray({GetParam().a}), b = fromArray({GetParam().b});
    EXPECT_EQ(type()->isEqual(a, b), GetParam().equal);
    EXPECT_EQ(type()->compare(a, b), GetParam().equal ? 0 : 2);
    for (COSValue v : {a, b})
        type()->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Pairs, LineStylesEqualTest,
                         ::testing::Values(EqualCase{"'-|:'", "'-|:'", true}, EqualCase{"'-|:'", "{'-';':'}", false},
                                           EqualCase{"{'-';':'}", "{'-',':'}", true}, // given back N-by-1 either way
                                           EqualCase{"'-|:'", "':|-'", false}, EqualCase{"'-'", "'-|-'", false},
                                           EqualCase{"'o'", "'O'", false}, EqualCase{"'o'", "' o'", false}));

// ---- text, default, copies ---------------------------------------------------------

struct TextCase {
    const char* text;
    const char* representation;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << vxtest::printable(c.text); }

class LineStylesTextTest : public LineStylesTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(LineStylesTextTest, ReadsTextThroughTheLiteralParserAndHasNoTextForm)
{
    COSValue v = texts()->from(COSValue::fromPointer(GetParam().text));
    EXPECT_EQ(representation(v), GetParam().representation);
    EXPECT_TRUE(texts()->to(v).isNull());
    type()->destroy(v);
    EXPECT_EQ(qxCountTemporaries(), 0u) << "the parsed array is gone";
}

INSTANTIATE_TEST_SUITE_P(Texts, LineStylesTextTest,
                         ::testing::Values(TextCase{"-|--|:", "3x2 char ['- ';'--';': ']"},
                                           TextCase{"{'-o';':'}", "2x1 cell {'-o';':'}"},
                                           TextCase{"'--|-.'", "2x2 char ['--';'-.']"},
                                           TextCase{"{'-o'", "1x1 char ['-']"}, // unreadable: the default list
                                           TextCase{"[1 2]", "1x1 char ['-']"}));

TEST_F(LineStylesTest, RefusedTextRaisesTheEntryError)
{
    auto raised = vxtest::raisedBy([&] { texts()->from(COSValue::fromPointer("-|g")); });
    EXPECT_EQ(raised.value_or(vxtest::Raised{}).message, "The value 'g' is not a valid line style.");
    EXPECT_EQ(qxCountTemporaries(), 0u);
}

TEST_F(LineStylesTest, DefaultIsOneSolidLineSetAsText)
{
    COSValue d = type()->getDefaultValue();
    EXPECT_EQ(type()->getDefaultValue(), d);
    EXPECT_EQ(representation(d), "1x1 char ['-']");
    EXPECT_EQ(representation(COSValue()), "0x0 char []") << "the null value";
}

TEST_F(LineStylesTest, ListFromStringsNeedsOneAndChecksEach)
{
    NLineStyles list(std::vector<std::string>{"-", "o:"});
    EXPECT_FALSE(list.isCell());
    EXPECT_EQ(list[1].getString(), "o:");
    auto raised = vxtest::raisedBy([] { NLineStyles none(std::vector<std::string>{}); });
    EXPECT_EQ(raised.value_or(vxtest::Raised{}).id, notEnough);
    raised = vxtest::raisedBy([] { NLineStyles bad(std::vector<std::string>{"-", ":", "k"}); });
    EXPECT_EQ(raised.value_or(vxtest::Raised{}).message, "The value 'k' is not a valid line style.");
}

TEST_F(LineStylesTest, NoRoomForTheRowListRaisesOutOfMemory)
{
    COSValue v = fromArray({"'-|:'"});
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_THROW(arrays()->to(v), Quillmark::System::OutOfMemoryException);
    }
    EXPECT_EQ(qxCountTemporaries(), 0u);
    type()->destroy(v);
}

} // namespace
