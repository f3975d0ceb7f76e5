#include "gui_objects/nstrings.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"
#include "support/text_arrays.h"

using gui_objects::QxArrayPtr;
using gui_objects::UTF16String;
using vxtest::HostTest;
using vxtest::utf16;

namespace {

// ---- the list -------------------------------------------------------------------

struct ListCase {
    const char* literal;
    const char* matrix; // describe(toMatrix())
};
void PrintTo(const ListCase& c, std::ostream* os) { *os << vxtest::printable(c.literal); }

class NStringsTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(NStringsTest, KeepsStringsAndFormAndGivesThemBack)
{
    const ListCase& c = GetParam();
    QxArrayPtr a(vxtest::literal(c.literal));
    NStrings list(a.get());
    QxArrayPtr back(list.toMatrix());
    EXPECT_EQ(vxtest::describe(back.get()), c.matrix) << c.literal;
    EXPECT_TRUE(NStrings(back.get()) == list) << "reading the matrix back gives an equal list";
}

INSTANTIATE_TEST_SUITE_P(
    Arrays, NStringsTest,
    ::testing::Values(ListCase{"['ab ';'cde']", "2x3 char ['ab ';'cde']"}, ListCase{"''", "0x0 char []"},
                      ListCase{"{'a';'bb'}", "2x1 cell {'a';'bb'}"}, ListCase{"{'a','b';'c','d'}", "2x2 cell {'a','b';'c','d'}"},
                      ListCase{"{}", "0x0 cell {}"},
                      ListCase{"{'\xf0\x9f\x98\x80','\xc3\xa9t\xc3\xa9'}", "1x2 cell {'\xf0\x9f\x98\x80','\xc3\xa9t\xc3\xa9'}"}));

TEST(NStrings, DefaultIsTheEmptyListInCharForm)
{
    EXPECT_EQ(vxtest::describe(QxArrayPtr(NStrings().toMatrix()).get()), "0x0 char []");
}

struct EqualityCase {
    const char* a;
    const char* b;
    bool equal;
};
void PrintTo(const EqualityCase& c, std::ostream* os) { *os << vxtest::printable(std::string(c.a) + " vs " + c.b); }

class NStringsEqualityTest : public ::testing::TestWithParam<EqualityCase> {};

TEST_P(NStringsEqualityTest, ComparesFormShapeAndStrings)
{
    const EqualityCase& c = GetParam();
    QxArrayPtr a(vxtest::literal(c.a)), b(vxtest::literal(c.b));
    EXPECT_EQ(NStrings(a.get()) == NStrings(b.get()), c.equal) << c.a << " vs " << c.b;
}

INSTANTIATE_TEST_SUITE_P(Pairs, NStringsEqualityTest,
                         ::testing::Values(EqualityCase{"{'a','b'}", "{'a';'b'}", false},
                                           EqualityCase{"{'a';'b'}", "['a';'b']", false},
                                           EqualityCase{"{'a','b'}", "{'b','a'}", false},
                                           EqualityCase{"'ab'", "'ab '", false},
                                           EqualityCase{"''", "[]", true}, EqualityCase{"{}", "''", false}));

// What holds no strings is refused as input; a cell that holds no char row vector (or nothing) as a cell.
TEST_F(HostTest, NStringsRefuseWhatIsNoStringList)
{
    auto idOf = [](const qxArray* a) { return vxtest::idOf([&] { NStrings list(a); }); };
    EXPECT_EQ(idOf(nullptr), "KELDAR:gui_objects:NStrings:InvalidInput");
    EXPECT_EQ(idOf(qxCreateDoubleScalar(1)), "KELDAR:gui_objects:NStrings:InvalidInput");
    qxArray* cells = qxCreateCellMatrix(1, 2);
    qxSetCell(cells, 0, qxCreateString("a"));
    EXPECT_EQ(idOf(cells), "KELDAR:gui_objects:NStrings:InvalidCell") << "an unset cell";
    qxSetCell(cells, 1, vxtest::literal("['ab';'cd']"));
    EXPECT_EQ(idOf(cells), "KELDAR:gui_objects:NStrings:InvalidCell") << "a char matrix in a cell";
    qxSetCell(cells, 1, qxCreateDoubleScalar(2));
    auto raised = vxtest::raisedBy([&] { std::unique_ptr<NStrings> list(new NStrings(cells)); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->message, "Each cell of a string list must hold a char row vector.");
}

TEST(NStrings, NoHeapForANewListRaisesOutOfMemory)
{
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(new NStrings(), Quillmark::System::OutOfMemoryException);
}

TEST(UTF16StringFromText, ReadsUtf8)
{
    EXPECT_EQ(gui_objects::test::makeUTF16StringFromCharPtr("a\xe2\x98\xba\xf0\x9f\x98\x80"), utf16(u"a\u263a\U0001F600"));
    EXPECT_EQ(gui_objects::test::makeUTF16StringFromCharPtr(nullptr), UTF16String());
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(gui_objects::test::makeUTF16StringFromCharPtr("x"), Quillmark::System::OutOfMemoryException);
}

} // namespace
