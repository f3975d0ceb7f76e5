// The shared array value: what it keeps of a host array, how values compare,
// and the text it shows; and what the converters and data types of the array
// property pattern hand out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arrays/array_inputs.h"
#include "arrays/array_types.h"
#include "support/host_fixture.h"

namespace {

using namespace vxtest;
using datatypes::ArrayBase;
using gui_objects::QxArrayPtr;
using nyro::COSValue;

// A value that compares up to the limit every array type uses.
struct Compared : ArrayBase {
    using ArrayBase::ArrayBase;
    unsigned long getMaxNumberOfValuesToCompare() const override { return 32000; }
};

// ---- storage -------------------------------------------------------------------------

class Storage : public HostTest {};

// A value, its copy and the array handed out share the caller's elements, in
// arrays of their own that outlive the call.
TEST_F(Storage, KeepsASharedCopyThatOutlivesTheCall)
{
    QxArrayPtr a(row({0, 1}).make());
    COSValue v = fromArray("Limits", a.get()), c = type("Limits")->copy(v);
    QxArrayPtr out(toArray("Limits", c));
    for (const qxArray* held : {heldBy(v), heldBy(c), static_cast<const qxArray*>(out.get())}) {
        EXPECT_NE(held, a.get());
        EXPECT_EQ(qxGetData(held), qxGetData(a.get()));
        EXPECT_EQ(qxGetArrayScope(held), 2);
    }
    for (COSValue x : {v, c})
        type("Limits")->destroy(x);
}

// The value holds a full array of its own with the input's class and shape: a
// sparse input is made full, an empty one recreated.
TEST_F(Storage, HoldsAFullArrayOfTheInputsClassAndShape)
{
    for (const Input& in : {mat(2, 3, {0, 4, 0, 0, 5, 6}).asSparse(), mat(0, 3).as(qxINT16_CLASS), nd({0, 2, 3}).as(qxUINT8_CLASS)}) {
        QxArrayPtr a(in.make());
        ArrayBase value(a.get());
        const qxArray* held = value.getPtr();
        ASSERT_NE(held, nullptr) << in;
        EXPECT_NE(held, a.get()) << in;
        EXPECT_FALSE(qxIsSparse(held)) << in;
        EXPECT_EQ(qxGetClassID(held), in.cls) << in;
        EXPECT_EQ(std::vector<qxSize>(qxGetDimensions(held), qxGetDimensions(held) + qxGetNumberOfDimensions(held)), in.dims) << in;
        EXPECT_EQ(qxGetArrayScope(held), 2) << in;
        if (in.sparse) {
            EXPECT_EQ(std::vector<double>(qxGetPr(held), qxGetPr(held) + in.numel()), in.values);
        }
    }
}

TEST_F(Storage, AssignmentReplacesSelfAssignmentKeepsSwapExchanges)
{
    QxArrayPtr a(row({0, 1}).make()), b(row({2, 3}).make());
    datatypes::Limits x(a.get()), y(b.get()), none;
    x = y;
    const datatypes::Limits& self = x; // assigning a value to itself, through another name
    x = self;
    ASSERT_NE(x.getPtr(), nullptr);
    EXPECT_EQ(qxGetData(x.getPtr()), qxGetData(b.get()));
    const qxArray* held = y.getPtr();
    y.swap(none);
    EXPECT_EQ(y.getPtr(), nullptr);
    EXPECT_EQ(none.getPtr(), held);
    x = y;
    EXPECT_EQ(x.getPtr(), nullptr);
}

TEST_F(Storage, ARejectedArrayLeavesNothingBehind)
{
    QxArrayPtr a(row({1, 0}).make());
    const long blocks = ut::test::liveBlocks();
    try {
        delete new datatypes::Limits(a.get());
        FAIL() << "accepted";
    } catch (const ArrayBase::InvalidArrayException& e) {
        EXPECT_EQ(e.id, "KELDAR:VX:TwoValuesIncreasingValidate");
        EXPECT_EQ(e.message, "This is not a valid %s value. Limits values are not in increasing order.");
    }
    EXPECT_EQ(ut::test::liveBlocks(), blocks);
}

// ---- equality --------------------------------------------------------------------------

struct EqualityCase {
    const char* what;
    Input a, b;
    bool equal;
};
void PrintTo(const EqualityCase& c, std::ostream* os) { *os << c.what; }

Input lastDiffers(qxSize n)
{
    Input i = mat(1, n);
    i.values.assign(n, 1);
    i.values.back() = 2;
    return i;
}

const EqualityCase equalityCases[] = {
    {"no arrays", nullArray(), nullArray(), true},
    {"none and one", nullArray(), row({0, 1}), false},
    {"one and none", row({0, 1}), nullArray(), false},
    {"same numbers", row({0, 1}), row({0, 1}), true},
    {"different numbers", row({0, 1}), row({0, 2}), false},
    {"NaN is never equal", row({0, NaN}), row({0, NaN}), false},
    {"double and single", row({0, 1}), row({0, 1}).as(qxSINGLE_CLASS), false},
    {"row and column", row({0, 1}), col({0, 1}), false},
    {"2-D and 3-D of equal columns", mat(2, 6), nd({2, 3, 2}), false},
    {"logical is not compared", row({0, 1}).as(qxLOGICAL_CLASS), row({1, 1}).as(qxLOGICAL_CLASS), true},
    {"both without elements", mat(0, 3), mat(0, 3), true},
    {"32000 elements", mat(1, 32000, {1, 2, 3}), mat(1, 32000, {1, 2, 3}), true},
    {"32001 elements", mat(1, 32001, {1, 2, 3}), mat(1, 32001, {1, 2, 3}), false},
    {"last of 32000 differs", mat(1, 32000, {1}), lastDiffers(32000), false},
};

class Equality : public HostTest, public ::testing::WithParamInterface<EqualityCase> {};

TEST_P(Equality, ComparesShapeClassAndElementsUpToTheLimit)
{
    const EqualityCase& c = GetParam();
    QxArrayPtr a(c.a.make()), b(c.b.make());
    EXPECT_EQ(Compared(a.get()) == Compared(b.get()), c.equal);
}

INSTANTIATE_TEST_SUITE_P(Pairs, Equality, ::testing::ValuesIn(equalityCases));

TEST_F(Storage, TheBaseComparesNoElements)
{
    QxArrayPtr a(row({1}).make());
    EXPECT_FALSE(ArrayBase(a.get()) == ArrayBase(a.get()));
}

// ---- display text ----------------------------------------------------------------------

struct TextCase {
    Input input;
    const char* text; // null: the value has no text
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.input; }

// The host writes 2-D numeric arrays itself; other shapes get the local text.
const TextCase textCases[] = {
    {row({0, 1}), "[0 1]"},
    {nullArray(), nullptr},
    {nd({1, 3, 3}, {1, 2, 3, 4, 5, 6, 7, 8, 9}), "[ 1 2 3 4 5 6 7 8 9 ]"},
    {nd({1, 2, 5}), "[1x10 array]"},
    {nd({3, 2, 1, 2}), "[3x4 array]"},
    {nd({1, 1, 2}, {1.0 / 3, 2.5e-7}).as(qxSINGLE_CLASS), "[ 0.333333 2.5e-07 ]"},
    {nd({1, 1, 2}, {65, -66}).as(qxINT8_CLASS), "[ 65 -66 ]"},
    {nd({1, 1, 1, 0}), "[ ]"},
};

class DisplayText : public HostTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(DisplayText, HostTextFirstThenTheLocalOne)
{
    QxArrayPtr a(GetParam().input.make());
    char* text = ArrayBase(a.get()).convert_to_string();
    EXPECT_STREQ(text, GetParam().text);
    utFree(text);
}

INSTANTIATE_TEST_SUITE_P(Arrays, DisplayText, ::testing::ValuesIn(textCases));

TEST_F(Storage, ALogicalArrayWithoutHostTextCannotBePrinted)
{
    QxArrayPtr a(nd({1, 1, 2}, {1, 0}).as(qxLOGICAL_CLASS).make());
    EXPECT_THROW(ArrayBase(a.get()).convert_to_string(), datatypes::GenericException);
}

// ---- data types and converters ---------------------------------------------------------

struct TypeCase {
    const char* type;
    qxClassID elementClass; // of parsed text and empty results
    const char* defaultValue; // class, size and elements of the held array; "no array"; "null"
    const char* text; // a text the type accepts (null: none)
};
void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.type; }

const TypeCase typeCases[] = {
    {"Limits", qxDOUBLE_CLASS, "double 1x2 { 0, 1 }", "[0 2]"},
    {"AlphaMap", qxDOUBLE_CLASS, "double 1x1 { 1 }", "[1; 2]"},
    {"ColorMap", qxDOUBLE_CLASS, "no array", "[1 0 0]"},
    {"PrimitiveVertexData", qxSINGLE_CLASS, "no array", "[1; 2; 3]"},
    {"PrimitiveStripData", qxUINT32_CLASS, "no array", "[4 4]"},
    {"PrimitiveColorData", qxUINT8_CLASS, "no array", "[1; 2; 3; 4]"},
    {"SurfaceVertexNormals", qxDOUBLE_CLASS, "null", nullptr},
};

// What an array-valued property value holds.
std::string describeValue(COSValue v)
{
    const qxArray* a = v.isNull() ? nullptr : heldBy(v);
    return v.isNull() ? "null" : a ? describeShape(a) + " " + ::testing::PrintToString(elementsOf(a)) : "no array";
}

class ArrayType : public HostTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(ArrayType, DefaultTextAndEmptyResults)
{
    const TypeCase& c = GetParam();
    const std::string empty = std::string(qx::className(c.elementClass)) + " 0x0";
    EXPECT_EQ(describeValue(type(c.type)->getDefaultValue()), c.defaultValue);
    if (c.text) {
        COSValue v = fromText(c.type, c.text);
        ASSERT_FALSE(v.isNull()) << c.text;
        EXPECT_EQ(qxGetClassID(heldBy(v)), c.elementClass);
        type(c.type)->destroy(v);
    }
    EXPECT_EQ(describeShape(toArray(c.type, COSValue())), empty);
    COSValue none = fromText(c.type, "[]");
    EXPECT_EQ(describeValue(none), "no array");
    QxArrayPtr fromNone(toArray(c.type, none));
    EXPECT_EQ(describeShape(fromNone.get()), empty);
    EXPECT_EQ(qxGetArrayScope(fromNone.get()), 2);
    type(c.type)->destroy(none);
    EXPECT_TRUE(fromArray(c.type, nullptr).isNull());
}

INSTANTIATE_TEST_SUITE_P(All, ArrayType, ::testing::ValuesIn(typeCases));

TEST_F(HostTest, VectorDataStoresColumnsAsRows)
{
    QxArrayPtr column(col({1, 2, 3, 4, 5}).as(qxUINT8_CLASS).make()), rowArray(row({1, 2, 3, 4, 5}).as(qxUINT8_CLASS).make());
    COSValue fromColumn = fromArray("VectorData", column.get()), fromRow = fromArray("VectorData", rowArray.get());
    EXPECT_TRUE(type("VectorData")->isEqual(fromColumn, fromRow));
    EXPECT_EQ(describeShape(heldBy(fromColumn)), "uint8 1x5");
    EXPECT_EQ(qxGetData(heldBy(fromColumn)), qxGetData(column.get()));
    EXPECT_EQ(describeShape(column.get()), "uint8 5x1") << "the caller's array is left as it was";
    for (COSValue v : {fromColumn, fromRow})
        type("VectorData")->destroy(v);
}

// Text the parser or the type refuses gives no value and no error.
TEST_F(HostTest, StringConverterReadsAndWritesTheValue)
{
    for (const char* refused : {"[0 1", "[1 0]", static_cast<const char*>(nullptr)}) {
        COSValue v;
        EXPECT_FALSE(raisedBy([&] { v = fromText("Limits", refused); }));
        EXPECT_TRUE(v.isNull());
    }
    EXPECT_EQ(toText("Limits", COSValue()), "<null>");
    COSValue v = fromText("Limits", "[0 10]");
    EXPECT_EQ(toText("Limits", v), "[0 10]");
    type("Limits")->destroy(v);
}

} // namespace
