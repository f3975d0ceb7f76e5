// The text-valued property types: FontName, UTF16String, NStrings and the
// line style list NLineStyles.
#include "styles/line_styles.h"
#include "styles/string_types.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/host_fixture.h"
#include "support/text_arrays.h"

using gui_objects::QxArrayPtr;
using nyro::COSValue;
using vxtest::utf16;

namespace {

COSValue slot(const void* p) { return COSValue::fromPointer(p); }
template <class T>
T* held(COSValue v) { return nyro::pointerValue<T*>(v); }
nyro::COSDataType* type(const char* name) { return vxtest::type(name); }
nyro::COSTypeConversion* texts(const char* type) { return vxtest::conversion("string", type); }
nyro::COSTypeConversion* arrays(const char* type) { return vxtest::conversion("any", type); }
std::string error(const std::optional<vxtest::Raised>& r) { return r ? r->id + " " + r->message : ""; }

// describe() of the array a value converts to.
std::string arrayOf(const char* typeName, COSValue v)
{
    QxArrayPtr back(held<qxArray>(arrays(typeName)->to(v)));
    return vxtest::describe(back.get());
}

std::string badEntry(const std::string& entry)
{
    return "KELDAR:vxdatatypes:InvalidMarkerLineStyle The value '" + entry + "' is not a valid line style.";
}
const std::string notEnough = "KELDAR:vxdatatypes:NotEnoughStyles There must be at least one line style present.";
const std::string invalidInput =
    "KELDAR:vxdatatypes:InvalidInput The value must be a '|' delimited string or cell array of strings.";
const std::string arrayClass = "datatypes:UTF16StringDataType:ArrayClass Input is unsupported class";
const std::string severalStrings = "datatypes:UTF16StringDataType:NumberOfStrings Conversion failed for multiple input strings";

// ---- what every text type shares --------------------------------------------------------

struct TypeCase {
    const char* name;
    const char* literal; // an array the type accepts
};
void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }

class TextTypeTest : public vxtest::HostTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TextTypeTest, DiffersFromTheDefaultAndRoundTripsThroughJava)
{
    nyro::COSDataType* t = type(GetParam().name);
    COSValue v = arrays(GetParam().name)->from(slot(QxArrayPtr(vxtest::literal(GetParam().literal)).get()));
    EXPECT_FALSE(t->isEqual(v, t->getDefaultValue()));
    EXPECT_EQ(t->compare(v, t->getDefaultValue()), 2);
    nyro::JavaTypeConversion* java = nyro::JavaTypeConversion::getConversion(nyro::COSNameID(GetParam().name));
    ASSERT_NE(java, nullptr);
    EXPECT_STREQ(java->getJavaDeclarationName(), javabridge::kArrayReferenceClass);
    qxReclaimTemporaries();
    COSValue object = java->to(v);
    EXPECT_EQ(qxCountTemporaries(), 0u) << "the intermediate is destroyed; the Java object keeps its own array";
    COSValue back = java->from(object);
    EXPECT_TRUE(t->isEqual(v, back));
    javabridge::releaseObject(object);
    EXPECT_EQ(qxCountTemporaries(), 0u);
    t->destroy(back);
    t->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TextTypeTest,
    ::testing::Values(TypeCase{"FontName", "'Helvetica'"}, TypeCase{"UTF16String", "'\xe2\x98\xba smile'"},
                      TypeCase{"NStrings", "{'a','b\xf0\x9f\x98\x80'}"}, TypeCase{"NLineStyles", "{'-o';':'}"}));

// ---- from host arrays ---------------------------------------------------------------------

qxArray* numberOne() { return qxCreateDoubleScalar(1); }
qxArray* noArray() { return nullptr; }
qxArray* twoByZeroChars()
{
    qxSize dims[2] = {2, 0};
    return qxCreateCharArray(2, dims);
}
qxArray* cellHoldingNumber()
{
    qxArray* cells = qxCreateCellMatrix(1, 2);
    qxSetCell(cells, 0, qxCreateString("-"));
    qxSetCell(cells, 1, qxCreateDoubleScalar(1));
    return cells;
}

struct ArrayCase {
    const char* type;
    const char* literal; // null: made by `make`
    qxArray* (*make)();
    std::string result; // describe() of the array the value gives back, or the error raised
};
void PrintTo(const ArrayCase& c, std::ostream* os) { *os << c.type << " " << vxtest::printable(c.literal ? c.literal : "(made)"); }

class FromArrayTest : public vxtest::HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(FromArrayTest, KeepsWhatItAcceptsInItsFormAndRefusesTheRestWithoutAValue)
{
    const ArrayCase& c = GetParam();
    QxArrayPtr a(c.literal ? vxtest::literal(c.literal) : c.make());
    COSValue v;
    auto raised = vxtest::raisedBy([&] { v = arrays(c.type)->from(slot(a.get())); });
    EXPECT_EQ(raised ? error(raised) : arrayOf(c.type, v), c.result);
    type(c.type)->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Arrays, FromArrayTest,
    ::testing::Values(ArrayCase{"FontName", "'Helvetica'", nullptr, "1x9 char ['Helvetica']"},
                      ArrayCase{"FontName", "{'a'}", nullptr, "KELDAR:qx:format:Unsupported No text form for a cell array."},
                      ArrayCase{"UTF16String", "'hello'", nullptr, "1x5 char ['hello']"},
                      ArrayCase{"UTF16String", "''", nullptr, "0x0 char []"},
                      ArrayCase{"UTF16String", nullptr, twoByZeroChars, "0x0 char []"},
                      ArrayCase{"UTF16String", nullptr, noArray, "0x0 char []"},
                      ArrayCase{"UTF16String", "['hello';'world']", nullptr, severalStrings},
                      ArrayCase{"UTF16String", nullptr, numberOne, arrayClass},
                      ArrayCase{"NLineStyles", "'-|--|:'", nullptr, "3x2 char ['- ';'--';': ']"},
                      ArrayCase{"NLineStyles", "'o'", nullptr, "1x1 char ['o']"},
                      ArrayCase{"NLineStyles", "' -- o |:'", nullptr, "2x6 char [' -- o ';':     ']"},
                      ArrayCase{"NLineStyles", "{'-','--';':','-.'}", nullptr, "4x1 cell {'-';':';'--';'-.'}"},
                      ArrayCase{"NLineStyles", "''", nullptr, notEnough},
                      ArrayCase{"NLineStyles", "{}", nullptr, notEnough},
                      ArrayCase{"NLineStyles", nullptr, numberOne, invalidInput},
                      ArrayCase{"NLineStyles", nullptr, cellHoldingNumber, invalidInput},
                      ArrayCase{"NLineStyles", nullptr, noArray, invalidInput},
                      ArrayCase{"NLineStyles", "'r-'", nullptr, badEntry("r-")},
                      ArrayCase{"NLineStyles", "'-|r|:'", nullptr, badEntry("r")},
                      ArrayCase{"NLineStyles", "'-||:'", nullptr, badEntry("")},
                      ArrayCase{"NLineStyles", "{'-|:'}", nullptr, badEntry("-|:")},
                      ArrayCase{"NLineStyles", "{'-',':','bogus'}", nullptr, badEntry("bogus")}));

// ---- from text ----------------------------------------------------------------------------

struct TextCase {
    const char* type;
    const char* text;
    std::string array; // describe() of the array the value gives back, or the error raised
    const char* out;   // the text the value gives back (null: none)
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.type << " " << vxtest::printable(c.text); }

class FromTextTest : public vxtest::HostTest, public ::testing::WithParamInterface<TextCase> {};

// Lists read their text as a literal (unreadable text gives the default list);
// UTF16String reads UTF-8 and writes the low byte of every unit to a new buffer.
TEST_P(FromTextTest, ReadsTheTextAndWritesItsOwnTextForm)
{
    const TextCase& c = GetParam();
    COSValue v;
    auto raised = vxtest::raisedBy([&] { v = texts(c.type)->from(slot(c.text)); });
    EXPECT_EQ(raised ? error(raised) : arrayOf(c.type, v), c.array);
    COSValue out = texts(c.type)->to(v);
    EXPECT_STREQ(held<const char>(out), c.out);
    const long before = ut::test::liveBlocks();
    nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID(c.type), out);
    EXPECT_EQ(ut::test::liveBlocks(), before - !out.isNull()) << "the host frees the buffer";
    type(c.type)->destroy(v);
    EXPECT_EQ(qxCountTemporaries(), 0u) << "the parsed array is gone";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FromTextTest,
    ::testing::Values(TextCase{"NLineStyles", "-|--|:", "3x2 char ['- ';'--';': ']", nullptr},
                      TextCase{"NLineStyles", "{'-o';':'}", "2x1 cell {'-o';':'}", nullptr},
                      TextCase{"NLineStyles", "{'-o'", "1x1 char ['-']", nullptr},
                      TextCase{"NLineStyles", "-|g", badEntry("g"), nullptr},
                      TextCase{"NStrings", "{'a';'bb'}", "2x1 cell {'a';'bb'}", nullptr},
                      TextCase{"NStrings", "{'a'", "0x0 char []", nullptr},
                      TextCase{"UTF16String", "h\xc3\xa9\xf0\x9f\x98\x80", "1x4 char ['h\xc3\xa9\xf0\x9f\x98\x80']", "h\xe9="},
                      TextCase{"UTF16String", "", "0x0 char []", nullptr}));

// ---- comparison ---------------------------------------------------------------------------

struct EqualCase {
    const char* type;
    const char* a; // text; null: the null value
    const char* b;
    bool equal;
};
void PrintTo(const EqualCase& c, std::ostream* os) { *os << c.type << " " << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)"); }

class EqualTest : public vxtest::HostTest, public ::testing::WithParamInterface<EqualCase> {};

TEST_P(EqualTest, ComparesFormAndContent)
{
    const EqualCase& c = GetParam();
    COSValue a = texts(c.type)->from(slot(c.a)), b = texts(c.type)->from(slot(c.b));
    EXPECT_EQ(type(c.type)->isEqual(a, b), c.equal);
    EXPECT_EQ(type(c.type)->compare(a, b), c.equal ? 0 : 2);
    type(c.type)->destroy(a);
    type(c.type)->destroy(b);
}

// A null second FontName counts as empty.
INSTANTIATE_TEST_SUITE_P(
    Pairs, EqualTest,
    ::testing::Values(EqualCase{"FontName", "", nullptr, true}, EqualCase{"FontName", "Arial", nullptr, false},
                      EqualCase{"FontName", "Arial", "Arial", true}, EqualCase{"FontName", "Arial", "arial", false},
                      EqualCase{"NLineStyles", "'-|:'", "'-|:'", true},
                      EqualCase{"NLineStyles", "'-|:'", "{'-';':'}", false},
                      EqualCase{"NLineStyles", "{'-';':'}", "{'-',':'}", true},
                      EqualCase{"NLineStyles", "'-|:'", "':|-'", false},
                      EqualCase{"NLineStyles", "'-'", "'-|-'", false}));

// ---- what only one type does ----------------------------------------------------------------

using StringTypes = vxtest::HostTest;

TEST_F(StringTypes, FontNameTextOutIsTheHeldTextWhichTheHostDoesNotRelease)
{
    const char typed[] = "Courier";
    COSValue v = texts("FontName")->from(slot(typed));
    EXPECT_NE(held<const char>(v), typed) << "text in is copied";
    COSValue out = texts("FontName")->to(v);
    EXPECT_EQ(out, v) << "text out is the held text itself";
    long before = ut::test::liveBlocks();
    nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID("FontName"), out);
    EXPECT_EQ(ut::test::liveBlocks(), before);
    EXPECT_STREQ(held<const char>(v), "Courier");
    type("FontName")->destroy(v);
    EXPECT_TRUE(texts("FontName")->from(COSValue()).isNull());
    EXPECT_STREQ(held<const char>(type("FontName")->getDefaultValue()), "");
}

// Without heap a copy is null and text out raises; asUTF16String frees its
// buffer and raises without heap.
TEST_F(StringTypes, UTF16StringWithoutHeap)
{
    COSValue v = datatypes::UTF16StringDataType::store(utf16(u"abc"));
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_TRUE(type("UTF16String")->copy(v).isNull());
    }
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_THROW(texts("UTF16String")->to(v), nyro::COSOutOfMemoryException);
    }
    type("UTF16String")->destroy(v);
    EXPECT_TRUE(texts("UTF16String")->to(COSValue()).isNull());
    const long before = ut::test::liveBlocks();
    EXPECT_EQ(datatypes::asUTF16String(nullptr), utf16(u""));
    EXPECT_EQ(datatypes::asUTF16String("x\xf0\x9f\x98\x80y"), utf16(u"x\U0001F600y"));
    EXPECT_EQ(ut::test::liveBlocks(), before);
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(datatypes::asUTF16String("abc"), nyro::COSOutOfMemoryException);
}

// The default is one solid line, the null value none; a list built from
// strings needs one and checks each.
TEST_F(StringTypes, LineStylesDefaultNullAndFromStrings)
{
    EXPECT_EQ(arrayOf("NLineStyles", type("NLineStyles")->getDefaultValue()), "1x1 char ['-']");
    EXPECT_EQ(arrayOf("NLineStyles", COSValue()), "0x0 char []");
    datatypes::NLineStyles list(std::vector<std::string>{"-", "o:"});
    EXPECT_FALSE(list.isCell());
    EXPECT_EQ(list[1].getString(), "o:");
    EXPECT_EQ(error(vxtest::raisedBy([] { datatypes::NLineStyles none(std::vector<std::string>{}); })), notEnough);
    EXPECT_EQ(error(vxtest::raisedBy([] { datatypes::NLineStyles bad(std::vector<std::string>{"-", ":", "k"}); })),
              badEntry("k"));
}

TEST_F(StringTypes, LineStylesWithoutRoomForTheRowListRaiseOutOfMemory)
{
    datatypes::NLineStyles list(std::vector<std::string>{"-", ":"});
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(gui_objects::QxArrayPtr(list.getMatrixRepresentation()), Quillmark::System::OutOfMemoryException);
    EXPECT_EQ(qxCountTemporaries(), 0u);
}

} // namespace
