// The shared array value: what it keeps of a host array, how values compare,
// and the text it shows; and what the converters of the pattern hand out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

TEST_F(Storage, KeepsASharedCopyThatOutlivesTheCall)
{
    QxArrayPtr a(row({0, 1}).make());
    datatypes::Limits value(a.get());
    ASSERT_NE(value.getPtr(), nullptr);
    EXPECT_NE(value.getPtr(), a.get());
    EXPECT_EQ(qxGetData(value.getPtr()), qxGetData(a.get()));
    EXPECT_EQ(qxGetArrayScope(value.getPtr()), 2);
    datatypes::Limits copy(value);
    EXPECT_EQ(qxGetData(copy.getPtr()), qxGetData(a.get()));
    EXPECT_NE(copy.getPtr(), value.getPtr());
    QxArrayPtr shared = value.getSharedDataCopy();
    EXPECT_EQ(qxGetData(shared.get()), qxGetData(a.get()));
    EXPECT_EQ(qxGetArrayScope(shared.get()), 2);
    COSValue v = conversion("any", "Limits")->from(slot(a.get())), c = type("Limits")->copy(v);
    EXPECT_EQ(qxGetData(heldBy(c)), qxGetData(a.get())) << "the type's copy shares the elements too";
    for (COSValue x : {v, c})
        type("Limits")->destroy(x);
}

TEST_F(Storage, SparseInputIsKeptFull)
{
    Input in = mat(2, 3, {0, 4, 0, 0, 5, 6}).asSparse();
    QxArrayPtr a(in.make());
    ArrayBase value(a.get());
    ASSERT_NE(value.getPtr(), nullptr);
    EXPECT_FALSE(qxIsSparse(value.getPtr()));
    const double* d = qxGetPr(value.getPtr());
    for (qxSize k = 0; k < 6; ++k)
        EXPECT_EQ(d[k], in.value(k)) << k;
}

class EmptyStorage : public HostTest, public ::testing::WithParamInterface<Input> {};

TEST_P(EmptyStorage, InputWithoutDataIsRecreatedWithItsShapeAndClass)
{
    QxArrayPtr a(GetParam().make());
    ArrayBase value(a.get());
    const qxArray* held = value.getPtr();
    ASSERT_NE(held, nullptr);
    EXPECT_NE(held, a.get());
    EXPECT_EQ(qxGetClassID(held), qxGetClassID(a.get()));
    const qxSize* d = qxGetDimensions(held);
    EXPECT_EQ(std::vector<qxSize>(d, d + qxGetNumberOfDimensions(held)), GetParam().dims);
    EXPECT_EQ(qxGetArrayScope(held), 2);
}

INSTANTIATE_TEST_SUITE_P(Shapes, EmptyStorage,
                         ::testing::Values(mat(0, 0), mat(0, 3).as(qxINT16_CLASS), mat(1, 0).as(qxSINGLE_CLASS),
                                           nd({0, 2, 3}).as(qxUINT8_CLASS)));

TEST_F(Storage, AssignmentReplacesSelfAssignmentKeepsSwapExchanges)
{
    QxArrayPtr a(row({0, 1}).make()), b(row({2, 3}).make());
    datatypes::Limits x(a.get()), y(b.get());
    x = y;
    EXPECT_EQ(qxGetData(x.getPtr()), qxGetData(b.get()));
    x = x;
    ASSERT_NE(x.getPtr(), nullptr);
    EXPECT_EQ(qxGetData(x.getPtr()), qxGetData(b.get()));
    EXPECT_TRUE(x == y);
    datatypes::Limits none;
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
        auto* v = new datatypes::Limits(a.get());
        delete v;
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

const EqualityCase equalityCases[] = {
    {"no arrays", nullArray(), nullArray(), true},
    {"none and one", nullArray(), row({0, 1}), false},
    {"one and none", row({0, 1}), nullArray(), false},
    {"same numbers", row({0, 1}), row({0, 1}), true},
    {"different numbers", row({0, 1}), row({0, 2}), false},
    {"NaN is never equal", row({0, NaN}), row({0, NaN}), false},
    {"double and single", row({0, 1}), row({0, 1}).as(qxSINGLE_CLASS), false},
    {"row and column", row({0, 1}), col({0, 1}), false},
    {"1x4 and 2x2", row({1, 2, 3, 4}), mat(2, 2, {1, 2, 3, 4}), false},
    {"2-D and 3-D of equal columns", mat(2, 6), nd({2, 3, 2}), false},
    {"int8", row({-3, 7}).as(qxINT8_CLASS), row({-3, 7}).as(qxINT8_CLASS), true},
    {"uint64", row({3, 9}).as(qxUINT64_CLASS), row({3, 8}).as(qxUINT64_CLASS), false},
    {"logical is not compared", row({0, 1}).as(qxLOGICAL_CLASS), row({1, 1}).as(qxLOGICAL_CLASS), true},
    {"both without elements", mat(0, 3), mat(0, 3), true},
    {"32000 elements", mat(1, 32000, {1, 2, 3}), mat(1, 32000, {1, 2, 3}), true},
    {"32001 elements", mat(1, 32001, {1, 2, 3}), mat(1, 32001, {1, 2, 3}), false},
    {"60000 vertices", mat(20000, 3, {1}), mat(20000, 3, {1}), false},
    {"30000 vertices", mat(10000, 3, {1}), mat(10000, 3, {1}), true},
    {"last of 32000 differs", mat(1, 32000, {1}), [] { Input i = mat(1, 32000); i.values.assign(32000, 1); i.values.back() = 2; return i; }(), false},
};

class Equality : public HostTest, public ::testing::WithParamInterface<EqualityCase> {};

TEST_P(Equality, ComparesShapeClassAndElementsUpToTheLimit)
{
    const EqualityCase& c = GetParam();
    QxArrayPtr a(c.a.make()), b(c.b.make());
    Compared x(a.get()), y(b.get());
    EXPECT_EQ(x == y, c.equal);
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
    {nd({1, 1, 2}, {0, 1}), "[ 0 1 ]"},
    {nd({1, 3, 3}, {1, 2, 3, 4, 5, 6, 7, 8, 9}), "[ 1 2 3 4 5 6 7 8 9 ]"},
    {nd({1, 2, 5}), "[1x10 array]"},
    {nd({3, 2, 1, 2}), "[3x4 array]"},
    {nd({1, 1, 2}, {1.0 / 3, 2.5e-7}).as(qxSINGLE_CLASS), "[ 0.333333 2.5e-07 ]"},
    {nd({1, 1, 2}, {65, -66}).as(qxINT8_CLASS), "[ 65 -66 ]"},
    {nd({1, 1, 2}, {200, 7}).as(qxUINT8_CLASS), "[ 200 7 ]"},
    {nd({1, 1, 1, 0}), "[ ]"},
};

class DisplayText : public HostTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(DisplayText, HostTextFirstThenTheLocalOne)
{
    QxArrayPtr a(GetParam().input.make());
    ArrayBase value(a.get());
    char* text = value.convert_to_string();
    EXPECT_STREQ(text, GetParam().text);
    utFree(text);
}

INSTANTIATE_TEST_SUITE_P(Arrays, DisplayText, ::testing::ValuesIn(textCases));

TEST_F(Storage, ALogicalArrayWithoutHostTextCannotBePrinted)
{
    QxArrayPtr a(nd({1, 1, 2}, {1, 0}).as(qxLOGICAL_CLASS).make());
    ArrayBase value(a.get());
    EXPECT_THROW(value.convert_to_string(), datatypes::GenericException);
}

// ---- data type and converters ----------------------------------------------------------

class Pattern : public HostTest {};

TEST_F(Pattern, ArrayConverterHandsOutSharedCopiesAndEmptyMatrices)
{
    nyro::COSTypeConversion* mc = conversion("any", "DataBounds");
    QxArrayPtr a(row({2, 2}).make());
    COSValue v = mc->from(slot(a.get()));
    QxArrayPtr out(nyro::pointerValue<qxArray*>(mc->to(v)));
    EXPECT_EQ(qxGetData(out.get()), qxGetData(a.get()));
    EXPECT_EQ(qxGetArrayScope(out.get()), 2);
    type("DataBounds")->destroy(v);

    QxArrayPtr fromNull(nyro::pointerValue<qxArray*>(mc->to(COSValue())));
    EXPECT_EQ(describeShape(fromNull.get()), "double 0x0");
    COSValue none = conversion("string", "DataBounds")->from(slot("[]"));
    ASSERT_FALSE(none.isNull());
    EXPECT_EQ(heldBy(none), nullptr);
    QxArrayPtr fromNone(nyro::pointerValue<qxArray*>(mc->to(none)));
    EXPECT_EQ(qxGetArrayScope(fromNone.get()), 2);
    type("DataBounds")->destroy(none);
    EXPECT_TRUE(mc->from(COSValue()).isNull());
}

struct TextInputCase {
    const char* text;
    bool value;
};
class TextInput : public HostTest, public ::testing::WithParamInterface<TextInputCase> {};

TEST_P(TextInput, RejectedTextGivesNoValueAndNoError)
{
    COSValue v;
    EXPECT_FALSE(raisedBy([&] { v = conversion("string", "Limits")->from(slot(GetParam().text)); }));
    EXPECT_EQ(!v.isNull(), GetParam().value);
    type("Limits")->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextInput,
                         ::testing::Values(TextInputCase{"[0 1]", true}, TextInputCase{" [ -1e3, 2.5 ] ", true},
                                           TextInputCase{"[]", true}, TextInputCase{"[1 0]", false},
                                           TextInputCase{"[0 1", false}, TextInputCase{"zero one", false},
                                           TextInputCase{"[0 1; 2 3]", false}, TextInputCase{nullptr, false}));

TEST_F(Pattern, StringConverterWritesTheValue)
{
    nyro::COSTypeConversion* sc = conversion("string", "Limits");
    EXPECT_TRUE(sc->to(COSValue()).isNull());
    COSValue v = sc->from(slot("[0 10]"));
    char* text = nyro::pointerValue<char*>(sc->to(v));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "[0 10]");
    utFree(text);
    type("Limits")->destroy(v);
}

TEST_F(Pattern, OutOfMemoryReachesTheCallerAndLeaksNothing)
{
    QxArrayPtr a(row({0, 1}).make());
    const long blocks = ut::test::liveBlocks();
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_THROW(conversion("any", "Limits")->from(slot(a.get())), nyro::COSOutOfMemoryException);
    }
    EXPECT_EQ(ut::test::liveBlocks(), blocks);
}

} // namespace
