#include "styles/string_types.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/host_fixture.h"
#include "support/text_arrays.h"

using gui_objects::QxArrayPtr;
using gui_objects::UTF16String;
using nyro::COSValue;
using vxtest::utf16;

namespace {

COSValue slot(const void* p) { return COSValue::fromPointer(p); }
template <class T>
T* held(COSValue v) { return nyro::pointerValue<T*>(v); }

// ---- what every string type shares ---------------------------------------------------

struct TypeCase {
    const char* name;
    const char* literal; // an array the type accepts
};
void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }

class StringTypeTest : public vxtest::HostTest, public ::testing::WithParamInterface<TypeCase> {
protected:
    nyro::COSDataType* type() { return vxtest::type(GetParam().name); }
    nyro::COSTypeConversion* arrays() { return vxtest::conversion("any", GetParam().name); }
    COSValue sample()
    {
        QxArrayPtr a(vxtest::literal(GetParam().literal));
        return arrays()->from(slot(a.get()));
    }
};

TEST_P(StringTypeTest, DiffersFromTheDefaultAndRoundTripsThroughJava)
{
    COSValue v = sample();
    EXPECT_FALSE(type()->isEqual(v, type()->getDefaultValue()));
    EXPECT_EQ(type()->compare(v, type()->getDefaultValue()), 2);
    nyro::JavaTypeConversion* java = nyro::JavaTypeConversion::getConversion(nyro::COSNameID(GetParam().name));
    ASSERT_NE(java, nullptr);
    EXPECT_STREQ(java->getJavaDeclarationName(), javabridge::kArrayReferenceClass);
    qxReclaimTemporaries();
    COSValue object = java->to(v);
    EXPECT_EQ(qxCountTemporaries(), 0u) << "the intermediate is destroyed; the Java object keeps its own array";
    COSValue back = java->from(object);
    EXPECT_TRUE(type()->isEqual(v, back));
    javabridge::releaseObject(object);
    EXPECT_EQ(qxCountTemporaries(), 0u);
    type()->destroy(back);
    type()->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Types, StringTypeTest,
                         ::testing::Values(TypeCase{"FontName", "'Helvetica'"}, TypeCase{"UTF16String", "'\xe2\x98\xba smile'"},
                                           TypeCase{"NStrings", "{'a','b\xf0\x9f\x98\x80'}"}, TypeCase{"NLineStyles", "{'-o';':'}"}));

// ---- FontName -----------------------------------------------------------------------

class FontNameTest : public vxtest::HostTest {
protected:
    nyro::COSDataType* type() { return vxtest::type("FontName"); }
    nyro::COSTypeConversion* texts() { return vxtest::conversion("string", "FontName"); }
    nyro::COSTypeConversion* arrays() { return vxtest::conversion("any", "FontName"); }
};

struct FontEqualCase {
    const char* a; // null: the null value
    const char* b;
    bool equal;
};
void PrintTo(const FontEqualCase& c, std::ostream* os) { *os << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)"); }

class FontNameEqualTest : public FontNameTest, public ::testing::WithParamInterface<FontEqualCase> {};

TEST_P(FontNameEqualTest, NullSecondCountsAsEmptyButNullFirstOnlyMatchesNull)
{
    COSValue a = texts()->from(slot(GetParam().a)), b = texts()->from(slot(GetParam().b));
    EXPECT_EQ(type()->isEqual(a, b), GetParam().equal);
    EXPECT_EQ(type()->compare(a, b), GetParam().equal ? 0 : 2);
    for (COSValue v : {a, b})
        type()->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Pairs, FontNameEqualTest,
                         ::testing::Values(FontEqualCase{"", nullptr, true}, FontEqualCase{nullptr, "", false},
                                           FontEqualCase{nullptr, nullptr, true}, FontEqualCase{"Arial", nullptr, false},
                                           FontEqualCase{"Arial", "Arial", true}, FontEqualCase{"Arial", "arial", false},
                                           FontEqualCase{"Arial", "Arial ", false},
                                           FontEqualCase{"caf\xc3\xa9", "caf\xc3\xa9", true}));

TEST_F(FontNameTest, TextOutIsTheHeldTextWhichTheHostDoesNotRelease)
{
    const char typed[] = "Courier";
    COSValue v = texts()->from(slot(typed));
    EXPECT_NE(held<const char>(v), typed) << "text in is copied";
    COSValue out = texts()->to(v);
    EXPECT_EQ(out, v) << "text out is the held text itself";
    long before = ut::test::liveBlocks();
    nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID("FontName"), out);
    EXPECT_EQ(ut::test::liveBlocks(), before);
    EXPECT_STREQ(held<const char>(v), "Courier");
    type()->destroy(v);
    EXPECT_TRUE(texts()->from(COSValue()).isNull());
    EXPECT_STREQ(held<const char>(type()->getDefaultValue()), "");
}

struct FontArrayCase {
    const char* literal;
    const char* text;  // held after conversion
    const char* array; // describe() of the array given back
};
void PrintTo(const FontArrayCase& c, std::ostream* os) { *os << vxtest::printable(c.literal); }

class FontNameArrayTest : public FontNameTest, public ::testing::WithParamInterface<FontArrayCase> {};

TEST_P(FontNameArrayTest, RoundTripsThroughTheHostTextConversion)
{
    QxArrayPtr a(vxtest::literal(GetParam().literal));
    COSValue v = arrays()->from(slot(a.get()));
    EXPECT_STREQ(held<const char>(v), GetParam().text);
    QxArrayPtr back(held<qxArray>(arrays()->to(v)));
    EXPECT_EQ(vxtest::describe(back.get()), GetParam().array);
    type()->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Arrays, FontNameArrayTest,
                         ::testing::Values(FontArrayCase{"'Helvetica'", "Helvetica", "1x9 char ['Helvetica']"},
                                           FontArrayCase{"''", "", "0x0 char []"},
                                           FontArrayCase{"'Caf\xc3\xa9 Sans'", "Caf\xc3\xa9 Sans", "1x9 char ['Caf\xc3\xa9 Sans']"},
                                           FontArrayCase{"'\xf0\x9f\x98\x80'", "\xf0\x9f\x98\x80", "1x2 char ['\xf0\x9f\x98\x80']"}));

TEST_F(FontNameTest, WhatTheHostConversionRaisesPassesThrough)
{
    QxArrayPtr cells(vxtest::literal("{'a'}"));
    auto raised = vxtest::raisedBy([&] { arrays()->from(slot(cells.get())); });
    EXPECT_EQ(raised.value_or(vxtest::Raised{}).id, "KELDAR:qx:format:Unsupported");
}

// ---- UTF16String --------------------------------------------------------------------

class UTF16StringTest : public vxtest::HostTest {
protected:
    nyro::COSDataType* type() { return vxtest::type("UTF16String"); }
    nyro::COSTypeConversion* texts() { return vxtest::conversion("string", "UTF16String"); }
    nyro::COSTypeConversion* arrays() { return vxtest::conversion("any", "UTF16String"); }
};

qxArray* numberOne() { return qxCreateDoubleScalar(1); }
qxArray* twoByZeroChars()
{
    qxSize dims[2] = {2, 0};
    return qxCreateCharArray(2, dims);
}
qxArray* noArray() { return nullptr; }

struct Utf16ArrayCase {
    const char* literal;
    qxArray* (*make)();
    std::u16string units; // when no error
    const char* id = nullptr; // else the error
    const char* message = nullptr;
    const char* array = nullptr; // describe() of the array given back
};
void PrintTo(const Utf16ArrayCase& c, std::ostream* os) { *os << (c.literal ? vxtest::printable(c.literal) : "(made)"); }

class UTF16StringArrayTest : public UTF16StringTest, public ::testing::WithParamInterface<Utf16ArrayCase> {};

TEST_P(UTF16StringArrayTest, TakesOneStringOfCodeUnits)
{
    const Utf16ArrayCase& c = GetParam();
    QxArrayPtr a(c.literal ? vxtest::literal(c.literal) : c.make());
    COSValue v;
    auto raised = vxtest::raisedBy([&] { v = arrays()->from(slot(a.get())); });
    EXPECT_EQ(raised ? raised->id + " " + raised->message : "", c.id ? std::string(c.id) + " " + c.message : "");
    if (c.id) {
        EXPECT_TRUE(v.isNull());
        return;
    }
    EXPECT_EQ(*held<UTF16String>(v), utf16(c.units));
    QxArrayPtr back(held<qxArray>(arrays()->to(v)));
    EXPECT_EQ(vxtest::describe(back.get()), c.array);
    type()->destroy(v);
}

constexpr const char* arrayClass = "datatypes:UTF16StringDataType:ArrayClass";
constexpr const char* numberOfStrings = "datatypes:UTF16StringDataType:NumberOfStrings";
INSTANTIATE_TEST_SUITE_P(
    Arrays, UTF16StringArrayTest,
    ::testing::Values(
        Utf16ArrayCase{"'hello'", nullptr, u"hello", nullptr, nullptr, "1x5 char ['hello']"},
        Utf16ArrayCase{"''", nullptr, u"", nullptr, nullptr, "0x0 char []"},
        Utf16ArrayCase{nullptr, twoByZeroChars, u"", nullptr, nullptr, "0x0 char []"},
        Utf16ArrayCase{nullptr, noArray, u"", nullptr, nullptr, "0x0 char []"},
        Utf16ArrayCase{"'\xe2\x98\xba\xf0\x9f\x98\x80'", nullptr, u"\u263a\U0001F600", nullptr, nullptr,
                       "1x3 char ['\xe2\x98\xba\xf0\x9f\x98\x80']"},
        Utf16ArrayCase{"['hello';'world']", nullptr, u"", numberOfStrings, "Conversion failed for multiple input strings"},
        Utf16ArrayCase{"['abc';'def']", nullptr, u"", numberOfStrings, "Conversion failed for multiple input strings"},
        Utf16ArrayCase{nullptr, numberOne, u"", arrayClass, "Input is unsupported class"},
        Utf16ArrayCase{"{'abc'}", nullptr, u"", arrayClass, "Input is unsupported class"}));

struct Utf16TextCase {
    std::u16string units;
    const char* text; // null: no text
};
void PrintTo(const Utf16TextCase& c, std::ostream* os) { *os << (c.text ? vxtest::printable(c.text) : "(none)"); }

class UTF16StringTextTest : public UTF16StringTest, public ::testing::WithParamInterface<Utf16TextCase> {};

TEST_P(UTF16StringTextTest, TextOutIsTheLowByteOfEveryUnitInANewBuffer)
{
    COSValue v = datatypes::UTF16StringDataType::store(utf16(GetParam().units));
    COSValue text = texts()->to(v);
    EXPECT_STREQ(held<const char>(text), GetParam().text);
    long before = ut::test::liveBlocks();
    nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID("UTF16String"), text);
    EXPECT_EQ(ut::test::liveBlocks(), before - !text.isNull()) << "the host frees the buffer";
    type()->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Units, UTF16StringTextTest,
                         ::testing::Values(Utf16TextCase{u"abc", "abc"}, Utf16TextCase{u"\u263a", ":"},
                                           Utf16TextCase{u"\u00e9t\u00e9", "\xe9t\xe9"},
                                           Utf16TextCase{u"\U0001F600", "="}, // 0xD83D 0xDE00: '=' then NUL
                                           Utf16TextCase{u"", nullptr}));

TEST_F(UTF16StringTest, TextInIsReadAsUtf8AndNullValueHasNoText)
{
    COSValue v = texts()->from(slot("h\xc3\xa9\xf0\x9f\x98\x80"));
    EXPECT_EQ(*held<UTF16String>(v), utf16(u"h\u00e9\U0001F600"));
    type()->destroy(v);
    EXPECT_TRUE(texts()->to(COSValue()).isNull());
    EXPECT_TRUE(held<UTF16String>(type()->getDefaultValue())->empty());
}

TEST_F(UTF16StringTest, NoHeapGivesANullCopyAndNoTextBuffer)
{
    COSValue v = datatypes::UTF16StringDataType::store(utf16(u"abc"));
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_TRUE(type()->copy(v).isNull());
    }
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_THROW(texts()->to(v), nyro::COSOutOfMemoryException);
    }
    type()->destroy(v);
}

// ---- asUTF16String ------------------------------------------------------------------

struct AsUtf16Case {
    const char* utf8;
    std::u16string units;
};
void PrintTo(const AsUtf16Case& c, std::ostream* os) { *os << (c.utf8 ? vxtest::printable(c.utf8) : "null"); }

class AsUTF16StringTest : public ::testing::TestWithParam<AsUtf16Case> {};

TEST_P(AsUTF16StringTest, ConvertsUtf8IntoCodeUnits)
{
    long before = ut::test::liveBlocks();
    EXPECT_EQ(datatypes::asUTF16String(GetParam().utf8), utf16(GetParam().units));
    EXPECT_EQ(ut::test::liveBlocks(), before) << "the conversion buffer is freed";
}

INSTANTIATE_TEST_SUITE_P(Texts, AsUTF16StringTest,
                         ::testing::Values(AsUtf16Case{"", u""}, AsUtf16Case{nullptr, u""}, AsUtf16Case{"Arial", u"Arial"},
                                           AsUtf16Case{"\xc3\xa9t\xc3\xa9", u"\u00e9t\u00e9"},
                                           AsUtf16Case{"\xe2\x98\xba", u"\u263a"},
                                           AsUtf16Case{"x\xf0\x9f\x98\x80y", u"x\U0001F600y"},
                                           AsUtf16Case{"\xff", u"\u00ff"}));

TEST(AsUTF16String, NoHeapRaisesOutOfMemory)
{
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(datatypes::asUTF16String("abc"), nyro::COSOutOfMemoryException);
}

// ---- NStrings -----------------------------------------------------------------------

class NStringsTypeTest : public vxtest::HostTest {
protected:
    nyro::COSDataType* type() { return vxtest::type("NStrings"); }
    nyro::COSTypeConversion* texts() { return vxtest::conversion("string", "NStrings"); }
    nyro::COSTypeConversion* arrays() { return vxtest::conversion("any", "NStrings"); }
    std::string representation(COSValue v)
    {
        QxArrayPtr back(held<qxArray>(arrays()->to(v)));
        return vxtest::describe(back.get());
    }
};

struct NStringsTextCase {
    const char* text;
    const char* array;
};
void PrintTo(const NStringsTextCase& c, std::ostream* os) { *os << vxtest::printable(c.text); }

class NStringsTextTest : public NStringsTypeTest, public ::testing::WithParamInterface<NStringsTextCase> {};

TEST_P(NStringsTextTest, ReadsTextThroughTheLiteralParserAndHasNoTextForm)
{
    COSValue v = texts()->from(slot(GetParam().text));
    EXPECT_EQ(representation(v), GetParam().array);
    EXPECT_TRUE(texts()->to(v).isNull());
    type()->destroy(v);
    EXPECT_EQ(qxCountTemporaries(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Texts, NStringsTextTest,
                         ::testing::Values(NStringsTextCase{"{'a';'bb'}", "2x1 cell {'a';'bb'}"},
                                           NStringsTextCase{"['ab';'cd']", "2x2 char ['ab';'cd']"},
                                           NStringsTextCase{"plain text", "1x10 char ['plain text']"},
                                           NStringsTextCase{"{'a'", "0x0 char []"}, // unreadable: the default list
                                           NStringsTextCase{"['a';'bc']", "0x0 char []"}));

} // namespace
