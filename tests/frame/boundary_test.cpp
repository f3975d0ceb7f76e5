// What reaches a converter from a hostile host: arrays with dimensions but no
// data, sparse arrays far too large to make full, texts holding NUL
// characters, integer texts that upset the reader, and storage running out.
// Each must end in the type's documented answer or a host error, never a
// crash, a cut text or an escaping C++ exception.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "arrays/array_inputs.h"
#include "frame/datatype.h"
#include "gui_objects/gui_objects.h"
#include "objects/references.h"
#include "support/host_fixture.h"
#include "support/object_classes.h"

namespace {

using nyro::COSValue;
using vxtest::HostTest;

// An m x 1 sparse double column storing `v` in row 1 (nothing when v is 0).
qxArray* sparseColumn(qxSize m, double v)
{
    qxArray* a = qxCreateSparse(m, 1, 1, qxREAL);
    if (v != 0) {
        qxGetPr(a)[0] = v;
        qxGetIr(a)[0] = 0;
        qxGetJc(a)[1] = 1;
    }
    return a;
}

qxArray* charsWithNul(const char* before, const char* after)
{
    std::u16string text;
    for (const char* p = before; *p; ++p)
        text.push_back(static_cast<char16_t>(*p));
    text.push_back(u'\0');
    for (const char* p = after; *p; ++p)
        text.push_back(static_cast<char16_t>(*p));
    return qxCreateString_UTF16n(reinterpret_cast<const qxChar*>(text.data()), text.size());
}

// What converting `a` to `type` gives: "error <id>", "null", the value's text
// (FontName), "on" or "off" (on/off) or "value"; the value is destroyed.
std::string outcomeFromArray(const char* type, const qxArray* a)
{
    COSValue v{};
    if (auto raised = vxtest::raisedBy([&] { v = vxtest::conversion("any", type)->from(COSValue::fromPointer(a)); }))
        return "error " + raised->id;
    if (std::string(type) == "on/off")
        return v.isNull() ? "off" : "on";
    if (v.isNull())
        return "null";
    std::string out = std::string(type) == "FontName" ? nyro::pointerValue<const char*>(v) : "value";
    vxtest::type(type)->destroy(v);
    return out;
}

// ---- arrays with dimensions but no data --------------------------------------------------

struct NoDataCase {
    const char* type;
    vxtest::Input input; // given its size after it was made without data
    const char* expected;
};

void PrintTo(const NoDataCase& c, std::ostream* os) { *os << c.type << " " << c.input; }

class WithoutData : public HostTest, public ::testing::WithParamInterface<NoDataCase> {};

// An object handle needs data to be read: none gives null (COSInterface) or the
// invalid-handle error. The host's text of a numeric array without data is
// that of the zeros standing for it; of a char array, NULs, which no C string holds.
TEST_P(WithoutData, GivesTheTypesAnswerWithoutReadingElements)
{
    const NoDataCase& c = GetParam();
    gui_objects::QxArrayPtr a(c.input.withoutData().make());
    EXPECT_EQ(outcomeFromArray(c.type, a.get()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, WithoutData,
    ::testing::Values(NoDataCase{"COSInterface", vxtest::mat(1, 3), "null"},
                      NoDataCase{"HandleOrEmpty", vxtest::mat(1, 1), "error datatypes:HandleOrEmpty"},
                      NoDataCase{"FontName", vxtest::mat(1, 3), "[0 0 0]"},
                      NoDataCase{"FontName", vxtest::mat(2, 1).as(qxSINGLE_CLASS), "[0; 0]"},
                      NoDataCase{"FontName", vxtest::mat(1, 2).as(qxINT64_CLASS), "[0 0]"},
                      NoDataCase{"FontName", vxtest::mat(1, 3).as(qxCHAR_CLASS), "error KELDAR:nyro:string:NulInText"},
                      NoDataCase{"AxisScale", vxtest::mat(1, 2).as(qxCHAR_CLASS), "error KELDAR:vx:propswch:FindObjFailed"}));

// Equality of host arrays reads an array without data as the zeros it stands for.
TEST(HostArrayLimits, EqualityReadsArraysWithoutDataAsZeros)
{
    struct Row {
        qxArray* a;
        qxArray* b;
        bool equal;
    };
    const vxtest::Input none = vxtest::mat(1, 3).withoutData();
    const Row rows[] = {
        {none.make(), vxtest::mat(1, 3).make(), true},
        {none.make(), none.make(), true},
        {vxtest::mat(1, 3, {1}).make(), none.make(), false},
        {vxtest::mat(1, 2).as(qxINT64_CLASS).withoutData().make(), qxCreateNumericMatrix(1, 2, qxINT64_CLASS, qxREAL), true},
        {vxtest::mat(1, 2).as(qxCELL_CLASS).withoutData().make(), qxCreateCellMatrix(1, 2), true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(qxAreMatricesEqual(r.a, r.b), r.equal);
        EXPECT_EQ(qxAreMatricesEqual(r.b, r.a), r.equal);
    }
    qxReclaimTemporaries();
}

// ---- sparse arrays are read where they store elements ----------------------------------------

// 2^40 rows: making such an array full would take 8 TiB.
constexpr qxSize huge = qxSize(1) << 40;

// Every form of VectorData refuses sparse input: refused as such without
// making it full. A form that accepts sparse input still judges the stored
// elements only (an all-zero column of a color map is in range).
TEST_F(HostTest, SparseRefusalDoesNotMakeTheArrayFull)
{
    gui_objects::QxArrayPtr column(sparseColumn(huge, 1.0));
    EXPECT_EQ(outcomeFromArray("VectorData", column.get()), "error KELDAR:VX:VectorDataSparse");
    EXPECT_EQ(outcomeFromArray("Limits", column.get()), "error KELDAR:VX:TwoValuesIncreasingDimensions_M");
    EXPECT_TRUE(qxAreMatricesEqual(column.get(), column.get())) << "compared on the stored elements";
}

// Records and positions read a sparse array of their size as the full array it
// stands for (its storage holds only the non-zeros, so reading it as full would
// read past it).
TEST_F(HostTest, SparseRecordsReadTheElementsTheyStandFor)
{
    struct Row {
        const char* type;
        qxSize n;
    };
    for (const Row& r : {Row{"Point2", 2}, Row{"Point2d", 2}, Row{"Point3", 3}, Row{"Inset", 4}, Row{"Position", 4}}) {
        gui_objects::QxArrayPtr sparse(qxCreateSparse(1, r.n, 1, qxREAL)), full(qxCreateDoubleMatrix(1, r.n, qxREAL));
        qxGetPr(sparse.get())[0] = 5; // element (1, n)
        qxGetIr(sparse.get())[0] = 0;
        qxGetJc(sparse.get())[r.n] = 1;
        qxGetPr(full.get())[r.n - 1] = 5;
        nyro::COSTypeConversion* mc = vxtest::conversion("any", r.type);
        nyro::COSDataType* t = vxtest::type(r.type);
        COSValue a = mc->from(COSValue::fromPointer(sparse.get())), b = mc->from(COSValue::fromPointer(full.get()));
        EXPECT_FALSE(a.isNull()) << r.type;
        EXPECT_TRUE(t->isEqual(a, b)) << r.type;
        t->destroy(a);
        t->destroy(b);
    }
}

class SparseHandles : public vxtest::ObjectTest {};

// COSInterface reads the first element of a sparse array where it is stored.
TEST_F(SparseHandles, COSInterfaceReadsOneElementOfASparseArray)
{
    nyro::COSInterfacePtr line = vxtest::make("vx.Line");
    gui_objects::QxArrayPtr stored(sparseColumn(huge, line->getDoubleHandle())), none(sparseColumn(huge, 0));
    COSValue v = vxtest::conversion("any", "COSInterface")->from(COSValue::fromPointer(stored.get()));
    EXPECT_EQ(datatypes::COSInterfaceDataType::objectOf(v), line.get());
    vxtest::type("COSInterface")->destroy(v);
    EXPECT_EQ(outcomeFromArray("COSInterface", none.get()), "null") << "handle 0 is no object here";
}

// ---- texts holding NUL characters ----------------------------------------------------------

struct NulCase {
    const char* type;
    const char* before;
    const char* after;
    const char* expected;
};

void PrintTo(const NulCase& c, std::ostream* os) { *os << c.type << " '" << c.before << "<NUL>" << c.after << "'"; }

class NulInText : public HostTest, public ::testing::WithParamInterface<NulCase> {};

// The text is never cut at the NUL: what stands before it alone would pass.
TEST_P(NulInText, RefusesTheWholeTextInsteadOfItsStart)
{
    const NulCase& c = GetParam();
    gui_objects::QxArrayPtr a(charsWithNul(c.before, c.after));
    EXPECT_EQ(outcomeFromArray(c.type, a.get()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, NulInText,
    ::testing::Values(NulCase{"AxisScale", "li", "n", "error KELDAR:vx:propswch:FindObjFailed"},
                      NulCase{"AxisScale", "log", "", "error KELDAR:vx:propswch:FindObjFailed"},
                      NulCase{"on/off", "on", "", "off"},
                      NulCase{"RGBAColor", "red", "", "error KELDAR:datatypes:RGBAColor:ParseError"},
                      NulCase{"FontName", "Arial", "Black", "error KELDAR:nyro:string:NulInText"}));

// The message names the text as it was, NUL shown as \0.
TEST_F(HostTest, NulInAnEnumeratedTextIsShownInTheMessage)
{
    gui_objects::QxArrayPtr a(charsWithNul("li", "n"));
    auto raised = vxtest::raisedBy([&] { vxtest::conversion("any", "AxisScale")->from(COSValue::fromPointer(a.get())); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->message, "Bad value li\\0n for AxisScale.");
}

// ---- integer texts the reader must not see ---------------------------------------------------

struct ScalarCase {
    const char* type;
    const char* text;
    long long value; // when accepted
    bool accepted;
};

void PrintTo(const ScalarCase& c, std::ostream* os) { *os << c.type << " '" << c.text << "'"; }

class IntegerText : public HostTest, public ::testing::WithParamInterface<ScalarCase> {};

// Only a sign and digits reach the reader; anything else fails as a text that
// is no integer, with no arithmetic on the characters that are not digits.
TEST_P(IntegerText, IsASignAndDigitsOrFails)
{
    const ScalarCase& c = GetParam();
    COSValue v{};
    bool parsed = true;
    try {
        v = vxtest::conversion("string", c.type)->from(COSValue::fromPointer(c.text));
    } catch (const gui_objects::convert_from_string_utils::ParseException&) {
        parsed = false;
    }
    ASSERT_EQ(parsed, c.accepted);
    if (parsed) {
        EXPECT_EQ(static_cast<long long>(v.bits()), c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scalars, IntegerText,
    ::testing::Values(ScalarCase{"int16 scalar", "1-32768", 0, false}, ScalarCase{"uint16 scalar", "1-32768", 0, false},
                      ScalarCase{"int16 scalar", "12345x", 0, false}, ScalarCase{"uint16 scalar", "6\xff" "55350", 0, false},
                      ScalarCase{"int16 scalar", "-1 32767", 0, false}, ScalarCase{"int32 scalar", "1234567890-", 0, false},
                      ScalarCase{"uint64 scalar", "18446744073709551615x", 0, false},
                      ScalarCase{"int16 scalar", "+-5", 0, false}, ScalarCase{"int16 scalar", "-", 0, false},
                      ScalarCase{"int16 scalar", "-32768", -32768, true}, ScalarCase{"uint16 scalar", "+0065535", 65535, true},
                      ScalarCase{"int16 scalar", "32768", 0, false}, ScalarCase{"int", "-2147483648", -2147483648LL, true}));

// ---- storage running out -----------------------------------------------------------------------

// Host arrays take their storage where the heap's failure hooks can refuse it,
// and the host answers with its out-of-memory error and leaves nothing behind.
TEST(HostArrayLimits, AllocationsFailThroughTheHeapsHooks)
{
    gui_objects::QxArrayPtr source(qxCreateDoubleMatrix(2, 2, qxREAL));
    const std::vector<std::pair<const char*, std::function<qxArray*()>>> creators = {
        {"matrix", [] { return qxCreateDoubleMatrix(2, 2, qxREAL); }},
        {"complex", [] { return qxCreateNumericMatrix(1, 2, qxINT16_CLASS, qxCOMPLEX); }},
        {"string", [] { return qxCreateString("text"); }},
        {"cell", [] { return qxCreateCellMatrix(1, 2); }},
        {"struct", [] { const char* f[] = {"a"}; return qxCreateStructMatrix(1, 1, 1, f); }},
        {"sparse", [] { return qxCreateSparse(3, 3, 2, qxCOMPLEX); }},
        {"sparse logical", [] { return qxCreateSparseLogicalMatrix(3, 3, 2); }},
        {"object", [] { return qxCreateObjectMatrix(1, 2, "handle"); }},
        {"shared copy", [&] { return qxCreateSharedDataCopy(source.get()); }},
        {"duplicate", [&] { return qxDuplicateArray(source.get()); }},
    };
    for (const auto& row : creators) {
        const char* name = row.first;
        const std::function<qxArray*()>& create = row.second;
        for (unsigned skip = 0;; ++skip) {
            std::optional<vxtest::Raised> raised;
            qxArray* made = nullptr;
            {
                ut::test::AllocationFailure fail(1, skip);
                raised = vxtest::raisedBy([&] { made = create(); });
                EXPECT_TRUE(raised || skip > 0) << name << ": its first allocation cannot fail";
                if (!raised) {
                    EXPECT_EQ(ut::test::pendingFailures(), 1u) << name << ": an allocation failed unreported";
                    qxDestroyArray(made);
                    break;
                }
            }
            EXPECT_EQ(raised->id, "KELDAR:nomem") << name << " skip " << skip;
            ASSERT_LT(skip, 8u) << name;
        }
        EXPECT_EQ(qxCountTemporaries(), 1u) << name << ": only the source is left";
    }
}

// Storage the C++ runtime cannot provide inside a converter is the host's
// out-of-memory error, a size no container can hold its size error: every
// converter the library registers sits behind that boundary.
struct Throwing {
    bool noMemory;
    COSValue from(COSValue) const { throwIt(); }
    COSValue to(COSValue) const { throwIt(); }
    [[noreturn]] void throwIt() const { noMemory ? throw std::bad_alloc() : throw std::length_error("too long"); }
};

TEST(ConverterBoundary, RuntimeStorageFailuresAreTheHostsErrors)
{
    for (const auto& [noMemory, id] : {std::pair{true, "KELDAR:nomem"}, std::pair{false, "KELDAR:pmaxsize"}}) {
        const datatypes::Guarded<Throwing> guarded(Throwing{noMemory});
        const nyro::COSTypeConversion& conversion = guarded;
        auto from = vxtest::raisedBy([&] { conversion.from(COSValue()); });
        auto to = vxtest::raisedBy([&] { conversion.to(COSValue()); });
        ASSERT_TRUE(from && to) << id;
        EXPECT_EQ(from->id, id);
        EXPECT_EQ(to->id, id);
    }
}

} // namespace
