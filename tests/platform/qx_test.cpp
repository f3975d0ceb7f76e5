// Host arrays: shared storage, errors, text forms, dimensions, sparse storage,
// temporaries and equality. Arrays made here are temporaries of the host call,
// reclaimed after each test.
#include "qx/qx.h"
#include "qx/element_class.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "gui_objects/parse.h"
#include "support/host_fixture.h"

using gui_objects::convert_from_string_utils::parse_mxn;

namespace {

class HostArrays : public ::testing::Test {
protected:
    void TearDown() override { qxReclaimTemporaries(); }
};

TEST_F(HostArrays, ErrorsCarryIdentifierAndFormattedText)
{
    EXPECT_EQ(vxtest::errorOf([] { qxErrMsgIdAndTxt("KELDAR:test:Id", "Bad value %s for %s.", "x", "AutoManual"); }),
              "KELDAR:test:Id Bad value x for AutoManual.");
    EXPECT_STREQ(qx::HostError("KELDAR:test:Id", "text").what(), "text");
    EXPECT_EQ(vxtest::errorOf([] { qxErrMsg(74); }),
              "KELDAR:pmaxsize Maximum variable size allowed by the program is exceeded.");
}

TEST_F(HostArrays, ArrayToStringGivesNullWhenMemoryRunsOut)
{
    qxArray* a = qxCreateString("abc");
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_EQ(qxArrayToString(a), nullptr);
    }
    char* s = qxArrayToString(a);
    EXPECT_STREQ(s, "abc");
    qxFree(s);
}

TEST_F(HostArrays, CharMatricesPadShortRowsWithNul)
{
    const char* rows[] = {"ab", "c"};
    qxArray* m = qxCreateCharMatrixFromStrings(2, rows);
    ASSERT_EQ(qxGetNumberOfElements(m), 4u);
    EXPECT_EQ(std::u16string(qxGetChars(m), qxGetChars(m) + 4), std::u16string(u"acb\0", 4)) << "column-major";
}

TEST_F(HostArrays, DimensionsDropTrailingSingletonsAndEmptyArraysHaveNoData)
{
    const qxSize dims[] = {2, 3, 4, 1, 1};
    qxArray* a = qxCreateNumericArray(5, dims, qxINT16_CLASS, qxREAL);
    EXPECT_EQ(qxGetNumberOfDimensions(a), 3u);
    EXPECT_EQ(qxGetN(a), 12u) << "the columns of every page";
    EXPECT_EQ(qxGetElementSize(a), 2u);
    EXPECT_EQ(qxGetData(qxCreateDoubleMatrix(0, 3, qxREAL)), nullptr);
}

TEST_F(HostArrays, SparseBecomesFullWithItsStoredValuesInPlace)
{
    qxArray* s = qxCreateSparse(3, 2, 2, qxREAL);
    std::copy_n(std::begin({5.0, 7.0}), 2, qxGetPr(s));
    std::copy_n(std::begin({qxSize(2), qxSize(0)}), 2, qxGetIr(s)); // (3,1) and (1,2)
    std::copy_n(std::begin({qxSize(0), qxSize(1), qxSize(2)}), 3, qxGetJc(s));
    qxArray* f = qxMustBeFull(s);
    EXPECT_EQ(std::vector<double>(qxGetPr(f), qxGetPr(f) + 6), (std::vector<double>{0, 0, 5, 7, 0, 0}));
    EXPECT_TRUE(qxAreMatricesEqual(s, f)) << "a sparse array equals its full form";
}

TEST_F(HostArrays, TemporariesAreReclaimedUnlessKeptOrOwnedByAContainer)
{
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

// Every kind of array: a copy made straight into scope 2 is what a shared-data
// copy given scope 2 is, without ever counting as a temporary; the one-call
// view of an array answers as the single queries do.
struct Kind {
    const char* name;
    qxArray* (*make)();
};

const Kind kinds[] = {
    {"Row", [] { return vxtest::rowVector({0, 10}); }},
    {"Complex", [] { return qxCreateDoubleMatrix(2, 1, qxCOMPLEX); }},
    {"FiveDimensions", [] {
         const qxSize dims[] = {2, 1, 3, 1, 2}; // more than a header keeps in place
         return qxCreateNumericArray(5, dims, qxUINT8_CLASS, qxREAL);
     }},
    {"Empty", [] { return qxCreateNumericMatrix(0, 3, qxSINGLE_CLASS, qxREAL); }},
    {"Sparse", [] {
         qxArray* s = qxCreateSparse(3, 2, 1, qxREAL);
         *qxGetPr(s) = 5;
         qxGetJc(s)[1] = qxGetJc(s)[2] = 1;
         return s;
     }},
    {"Cell", [] {
         qxArray* c = qxCreateCellMatrix(1, 2);
         qxSetCell(c, 1, qxCreateString("inside"));
         return c;
     }},
    {"Struct", [] {
         const char* names[] = {"a", "b"};
         qxArray* s = qxCreateStructMatrix(1, 1, 2, names);
         qxSetFieldByNumber(s, 0, 1, qxCreateDoubleScalar(4));
         return s;
     }},
    {"Objects", [] { return qxCreateObjectMatrix(1, 2, "handle"); }},
};

class ArrayKinds : public HostArrays, public ::testing::WithParamInterface<Kind> {};

TEST_P(ArrayKinds, ScopedCopyIsAKeptSharedDataCopy)
{
    qxArray* a = GetParam().make();
    qxArray* reference = qxDuplicateArray(a);
    qxSetArrayScope(reference, 2);
    if (qxGetData(a)) {
        EXPECT_NE(qxGetData(reference), qxGetData(a)) << "a duplicate has storage of its own";
    }
    const qxSize temporaries = qxCountTemporaries();
    qxArray* kept = qxCreateScopedSharedDataCopy(a, 2);
    EXPECT_EQ(qxCountTemporaries(), temporaries) << "never a temporary";
    EXPECT_EQ(qxGetArrayScope(kept), 2);
    EXPECT_EQ(qxGetData(kept), qxGetData(a)) << "the elements are shared";
    EXPECT_EQ(std::string(qxGetClassName(kept)), qxGetClassName(a));
    EXPECT_EQ(qxGetNumberOfFields(kept), qxGetNumberOfFields(a));
    EXPECT_EQ(qxReclaimTemporaries(), temporaries);
    EXPECT_TRUE(qxAreMatricesEqual(kept, reference)) << "the copy outlives its source";
    qxDestroyArray(kept);
    qxDestroyArray(reference);
}

TEST_P(ArrayKinds, ViewAnswersAsTheSingleQueries)
{
    qxArray* a = GetParam().make();
    const qxArrayView v = qxGetArrayView(a);
    EXPECT_EQ(v.cls, qxGetClassID(a));
    EXPECT_EQ(v.sparse, qxIsSparse(a));
    EXPECT_EQ(v.complex, qxIsComplex(a));
    ASSERT_EQ(v.ndim, qxGetNumberOfDimensions(a));
    EXPECT_TRUE(std::equal(v.dims, v.dims + v.ndim, qxGetDimensions(a)));
    EXPECT_EQ(v.numel, qxGetNumberOfElements(a));
    EXPECT_EQ(v.data, qxGetData(a));
    EXPECT_EQ(v.imag, qxGetImagData(a));
}

INSTANTIATE_TEST_SUITE_P(Arrays, ArrayKinds, ::testing::ValuesIn(kinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostArrays, NullArraysAreCopiedAndViewedAsNothing)
{
    EXPECT_EQ(qxCreateScopedSharedDataCopy(nullptr, 2), nullptr);
    const qxArrayView v = qxGetArrayView(nullptr);
    EXPECT_EQ(v.cls, qxUNKNOWN_CLASS);
    EXPECT_EQ(v.ndim, 0u);
    EXPECT_EQ(v.data, nullptr);
}

// Numeric arrays read from their text form write the same text back.
struct FormatCase {
    qxSize m, n;
    qxClassID cls;
    const char* text;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.text; }

class FormatTest : public HostArrays, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FormatTest, WritesTheHostTextForm)
{
    EXPECT_EQ(qxFormatArray(parse_mxn(GetParam().m, GetParam().n, GetParam().cls, GetParam().text)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Arrays, FormatTest,
                         ::testing::Values(FormatCase{2, 2, qxDOUBLE_CLASS, "[1 2; 3 4]"}, FormatCase{0, 0, qxDOUBLE_CLASS, "[]"},
                                           FormatCase{1, 4, qxDOUBLE_CLASS, "[NaN Inf -Inf 0.1]"},
                                           FormatCase{1, 2, qxINT8_CLASS, "[-5 0]"},
                                           FormatCase{1, 2, qxSINGLE_CLASS, "[0.5 -Inf]"},
                                           FormatCase{1, 1, qxUINT32_CLASS, "[4294967295]"},
                                           FormatCase{1, 1, qxINT64_CLASS, "[-9007199254740992]"},
                                           FormatCase{1, 2, qxLOGICAL_CLASS, "[1 0]"}));

// Each class is visited with the element type whose size the host stores.
TEST(ElementClasses, EachClassIsVisitedWithItsElementType)
{
    for (int c = qxUNKNOWN_CLASS; c <= qxOBJECT_CLASS + 1; ++c) {
        const auto cls = static_cast<qxClassID>(c);
        const auto [id, size] = qx::visitElementClass(cls, [](auto e) {
            using T = qx::ElementOf<decltype(e)>;
            if constexpr (std::is_void_v<T>)
                return std::pair{decltype(e)::id, qxSize(0)};
            else
                return std::pair{decltype(e)::id, sizeof(T)};
        });
        EXPECT_EQ(size, qx::elementSize(cls)) << qx::className(cls);
        EXPECT_EQ(id, size || cls == qxCELL_CLASS || cls == qxSTRUCT_CLASS ? cls : qxUNKNOWN_CLASS) << qx::className(cls);
    }
}

TEST_F(HostArrays, FormatWritesComplexAndTextAndRefusesCellsAndNdArrays)
{
    qxArray* complex = qxCreateDoubleMatrix(1, 1, qxCOMPLEX);
    *qxGetPr(complex) = 1;
    *qxGetPi(complex) = -2;
    EXPECT_EQ(qxFormatArray(complex), "[1-2i]");
    EXPECT_EQ(qxFormatArray(qxCreateString("text")), "text");
    EXPECT_THROW(qxFormatArray(qxCreateCellMatrix(1, 1)), qx::HostError);
    const qxSize dims[] = {1, 2, 2};
    EXPECT_THROW(qxFormatArray(qxCreateNumericArray(3, dims, qxDOUBLE_CLASS, qxREAL)), qx::HostError);
}

TEST_F(HostArrays, EqualityLooksAtClassShapeAndEveryElement)
{
    qxArray* a = parse_mxn(1, 2, qxDOUBLE_CLASS, "[1 2]");
    EXPECT_TRUE(qxAreMatricesEqual(a, parse_mxn(1, 2, qxDOUBLE_CLASS, "[1 2]")));
    EXPECT_FALSE(qxAreMatricesEqual(a, parse_mxn(1, 2, qxDOUBLE_CLASS, "[1 3]")));
    EXPECT_FALSE(qxAreMatricesEqual(a, parse_mxn(1, 2, qxSINGLE_CLASS, "[1 2]")));
    EXPECT_FALSE(qxAreMatricesEqual(a, parse_mxn(2, 1, qxDOUBLE_CLASS, "[1; 2]")));
}

TEST_F(HostArrays, StructFieldsKeepTheirValuesWhenFieldsAreAdded)
{
    const char* names[] = {"a"};
    qxArray* s = qxCreateStructMatrix(1, 1, 1, names);
    qxSetFieldByNumber(s, 0, 0, qxCreateDoubleScalar(4));
    EXPECT_EQ(qxAddField(s, "b"), 1);
    EXPECT_EQ(qxGetPr(qxGetFieldByNumber(s, 0, 0))[0], 4);
    EXPECT_EQ(qxGetFieldByNumber(s, 0, 1), nullptr);
    EXPECT_EQ(qxGetFieldNumber(s, "b"), 1);
}

} // namespace
