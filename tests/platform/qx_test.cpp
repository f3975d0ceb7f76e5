#include "qx/qx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "support/host_fixture.h"

namespace {

class HostArrays : public ::testing::Test {
protected:
    void TearDown() override { qxReclaimTemporaries(); }
};

TEST_F(HostArrays, SharedDataCopySharesElementsAndOutlivesItsSource)
{
    qxArray* a = vxtest::rowVector({1, 2, 3});
    qxArray* shared = qxCreateSharedDataCopy(a);
    EXPECT_EQ(qxGetData(shared), qxGetData(a));
    qxDestroyArray(a);
    ASSERT_EQ(qxGetPr(shared)[2], 3) << "the storage lives while a copy refers to it";
    qxArray* dup = qxDuplicateArray(shared);
    EXPECT_NE(qxGetData(dup), qxGetData(shared));
    EXPECT_TRUE(qxAreMatricesEqual(dup, shared));
    qxDestroyArray(dup);
    qxDestroyArray(shared);
}

TEST_F(HostArrays, ErrorsCarryIdentifierAndFormattedText)
{
    try {
        qxErrMsgIdAndTxt("KELDAR:test:Id", "Bad value %s for %s.", "x", "AutoManual");
        FAIL() << "qxErrMsgIdAndTxt returned";
    } catch (const qx::HostError& e) {
        EXPECT_EQ(e.identifier(), "KELDAR:test:Id");
        EXPECT_EQ(e.message(), "Bad value x for AutoManual.");
        EXPECT_STREQ(e.what(), "Bad value x for AutoManual.");
    }
    auto raised = vxtest::raisedBy([] { qxErrMsg(74); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id, "KELDAR:pmaxsize");
    EXPECT_EQ(raised->message, "Maximum variable size allowed by the program is exceeded.");
}

TEST_F(HostArrays, ArrayToStringGivesNullWhenMemoryRunsOut)
{
    qxArray* a = qxCreateString("abc");
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_EQ(qxArrayToString(a), nullptr);
    }
    char* s = qxArrayToString(a);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "abc");
    qxFree(s);
    qxDestroyArray(a);
}

TEST_F(HostArrays, CharArraysHoldUtf16ColumnMajor)
{
    // U+00E9 is one unit, U+1D11E (outside the basic plane) a surrogate pair.
    qxArray* a = qxCreateString("e\xC3\xA9\xF0\x9D\x84\x9E");
    ASSERT_EQ(qxGetN(a), 4u);
    EXPECT_EQ(std::u16string(qxGetChars(a), qxGetChars(a) + 4), u"e\u00e9\U0001D11E");
    EXPECT_EQ(qxArrayToStdString(a), "e\xC3\xA9\xF0\x9D\x84\x9E");
    qxDestroyArray(a);

    const char* rows[] = {"ab", "c"};
    qxArray* m = qxCreateCharMatrixFromStrings(2, rows);
    ASSERT_EQ(qxGetNumberOfElements(m), 4u);
    EXPECT_EQ(std::u16string(qxGetChars(m), qxGetChars(m) + 4), std::u16string(u"acb\0", 4)) << "short rows are padded with NUL";
    qxDestroyArray(m);
}

TEST_F(HostArrays, DimensionsDropTrailingSingletonsAndColumnsMultiply)
{
    const qxSize dims[] = {2, 3, 4, 1, 1};
    qxArray* a = qxCreateNumericArray(5, dims, qxINT16_CLASS, qxREAL);
    EXPECT_EQ(qxGetNumberOfDimensions(a), 3u);
    EXPECT_EQ(qxGetN(a), 12u);
    EXPECT_EQ(qxGetNumberOfElements(a), 24u);
    EXPECT_EQ(qxGetElementSize(a), 2u);
    qxDestroyArray(a);
    qxArray* empty = qxCreateDoubleMatrix(0, 3, qxREAL);
    EXPECT_TRUE(qxIsEmpty(empty));
    EXPECT_EQ(qxGetData(empty), nullptr) << "an array without elements has no data";
    qxDestroyArray(empty);
}

TEST_F(HostArrays, SparseBecomesFullWithItsStoredValuesInPlace)
{
    qxArray* s = qxCreateSparse(3, 2, 2, qxREAL);
    std::copy_n(std::begin({5.0, 7.0}), 2, qxGetPr(s));
    std::copy_n(std::begin({qxSize(2), qxSize(0)}), 2, qxGetIr(s)); // (3,1) and (1,2)
    std::copy_n(std::begin({qxSize(0), qxSize(1), qxSize(2)}), 3, qxGetJc(s));
    qxArray* f = qxMustBeFull(s);
    EXPECT_FALSE(qxIsSparse(f));
    EXPECT_EQ(std::vector<double>(qxGetPr(f), qxGetPr(f) + 6), (std::vector<double>{0, 0, 5, 7, 0, 0}));
    EXPECT_TRUE(qxAreMatricesEqual(s, f)) << "a sparse array equals its full form";
    qxDestroyArray(f);
    qxDestroyArray(s);
}

TEST_F(HostArrays, TemporariesAreReclaimedUnlessKeptOrOwnedByAContainer)
{
    qxReclaimTemporaries();
    qxArray* kept = qxCreateDoubleScalar(1);
    qxSetArrayScope(kept, 2);
    qxArray* cell = qxCreateCellMatrix(1, 1);
    qxSetCell(cell, 0, qxCreateString("inside"));
    qxCreateDoubleScalar(2); // left over
    EXPECT_EQ(qxCountTemporaries(), 2u) << "the cell and the left-over scalar";
    EXPECT_EQ(qxReclaimTemporaries(), 2u);
    EXPECT_EQ(qxGetPr(kept)[0], 1);
    qxDestroyArray(kept);
}

struct FormatCase {
    const char* name;
    qxArray* (*make)();
    const char* text;
};

class FormatTest : public HostArrays, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FormatTest, WritesTheHostTextForm)
{
    qxArray* a = GetParam().make();
    EXPECT_EQ(qxFormatArray(a), GetParam().text);
    qxDestroyArray(a);
}

// A 1xN (or MxN) array of the class holding the values; the imaginary parts of a complex one are minus them.
qxArray* numbers(qxClassID cls, qxSize m, std::initializer_list<double> values, qxComplexity cx = qxREAL)
{
    qxArray* a = qxCreateNumericMatrix(m, values.size() / m, cls, cx);
    qxSize k = 0;
    for (double v : values) {
        if (cls == qxINT8_CLASS)
            static_cast<std::int8_t*>(qxGetData(a))[k] = static_cast<std::int8_t>(v);
        else
            qxGetPr(a)[k] = v;
        if (cx == qxCOMPLEX)
            qxGetPi(a)[k] = -2 * v;
        ++k;
    }
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Arrays, FormatTest,
    ::testing::Values(FormatCase{"row", [] { return numbers(qxDOUBLE_CLASS, 1, {0, 10}); }, "[0 10]"},
                      FormatCase{"matrix", [] { return numbers(qxDOUBLE_CLASS, 2, {1, 3, 2, 4}); }, "[1 2; 3 4]"},
                      FormatCase{"empty", [] { return qxCreateDoubleMatrix(0, 0, qxREAL); }, "[]"},
                      FormatCase{"nonfinite", [] { return numbers(qxDOUBLE_CLASS, 1, {NAN, INFINITY, -INFINITY, 0.1}); }, "[NaN Inf -Inf 0.1]"},
                      FormatCase{"int8", [] { return numbers(qxINT8_CLASS, 1, {-5, 0}); }, "[-5 0]"},
                      FormatCase{"complex", [] { return numbers(qxDOUBLE_CLASS, 1, {1}, qxCOMPLEX); }, "[1-2i]"},
                      FormatCase{"char", [] { return qxCreateString("text"); }, "text"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostArrays, FormatRefusesCellsStructsAndNdArrays)
{
    qxArray* cell = qxCreateCellMatrix(1, 1);
    EXPECT_THROW(qxFormatArray(cell), qx::HostError);
    qxDestroyArray(cell);
    const qxSize dims[] = {1, 2, 2};
    qxArray* nd = qxCreateNumericArray(3, dims, qxDOUBLE_CLASS, qxREAL);
    EXPECT_THROW(qxFormatArray(nd), qx::HostError);
    qxDestroyArray(nd);
}

TEST_F(HostArrays, EqualityLooksAtClassShapeAndEveryElement)
{
    qxArray* a = vxtest::rowVector({1, 2});
    qxArray* b = vxtest::rowVector({1, 2});
    qxArray* c = vxtest::rowVector({1, 3});
    qxArray* single = qxCreateNumericMatrix(1, 2, qxSINGLE_CLASS, qxREAL);
    EXPECT_TRUE(qxAreMatricesEqual(a, b));
    EXPECT_FALSE(qxAreMatricesEqual(a, c));
    EXPECT_FALSE(qxAreMatricesEqual(a, single));
    qxSetM(b, 2);
    qxSetN(b, 1);
    EXPECT_FALSE(qxAreMatricesEqual(a, b));
    for (qxArray* x : {a, b, c, single})
        qxDestroyArray(x);
}

TEST_F(HostArrays, StructFieldsKeepTheirValuesWhenFieldsAreAdded)
{
    const char* names[] = {"a"};
    qxArray* s = qxCreateStructMatrix(1, 1, 1, names);
    qxSetFieldByNumber(s, 0, 0, qxCreateDoubleScalar(4));
    int b = qxAddField(s, "b");
    EXPECT_EQ(b, 1);
    EXPECT_EQ(qxGetPr(qxGetFieldByNumber(s, 0, 0))[0], 4);
    EXPECT_EQ(qxGetFieldByNumber(s, 0, b), nullptr);
    EXPECT_EQ(qxGetFieldNumber(s, "b"), 1);
    qxDestroyArray(s);
}

} // namespace
