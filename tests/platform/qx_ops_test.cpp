// Operations on whole host arrays: what each builds, and what it refuses
// (with the fault and what the fault concerns), leaving no array behind.
#include "qx/ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using qx::ArrayPtr;
using qx::Dims;

ArrayPtr num(qxClassID cls, const Dims& dims, const std::vector<double>& re, const std::vector<double>& im = {})
{
    ArrayPtr a(qxCreateNumericArray(dims.size(), dims.data(), cls, im.empty() ? qxREAL : qxCOMPLEX));
    for (std::size_t i = 0; i < re.size(); ++i)
        qx::writeElement(cls, qxGetData(a.get()), i, re[i]);
    for (std::size_t i = 0; i < im.size(); ++i)
        qx::writeElement(cls, qxGetImagData(a.get()), i, im[i]);
    return a;
}

ArrayPtr row(const std::vector<double>& v) { return num(qxDOUBLE_CLASS, {1, v.size()}, v); }
ArrayPtr text(const char* s) { return ArrayPtr(qxCreateString(s)); }
ArrayPtr sparse(const ArrayPtr& a) { return qx::sparseOf(a.get()); }

template <class... P>
ArrayPtr cat(qxSize dim, P&&... parts)
{
    return qx::concatenate(dim, {parts.get()...});
}

template <class... P>
ArrayPtr cells(P&&... items)
{
    return cat(2, qx::cellOf(std::forward<P>(items))...);
}

qx::Subscript at(std::vector<qxSize> positions) { return {false, std::move(positions), false}; }
qx::Subscript all() { return {true, {}, false}; }

// "class MxN[ sparse][ complex] [elements in storage order]"; cells and
// structs list their elements as {...} and {field: ...}.
std::string show(const qxArray* a)
{
    if (!a)
        return "none";
    std::string out = qxGetClassName(a);
    for (std::size_t k = 0; k < qxGetNumberOfDimensions(a); ++k) {
        out += k ? 'x' : ' ';
        out += std::to_string(qxGetDimensions(a)[k]);
    }
    qxSize n = qxGetNumberOfElements(a);
    if (qxIsCell(a) || qxIsStruct(a)) {
        out += " {";
        for (qxSize i = 0; i < n; ++i) {
            if (qxIsCell(a))
                out.append(i ? ", " : "").append(show(qxGetCell(a, i)));
            for (int f = 0; qxIsStruct(a) && f < qxGetNumberOfFields(a); ++f)
                out.append(i || f ? ", " : "").append(qxGetFieldNameByNumber(a, f)).append(": ").append(
                    show(qxGetFieldByNumber(a, i, f)));
        }
        return out + "}";
    }
    ArrayPtr full(qxMustBeFull(a));
    out += qxIsSparse(a) ? " sparse" : "";
    out += qxIsComplex(a) ? " complex [" : " [";
    for (qxSize i = 0; i < n; ++i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s%.20Lg", i ? " " : "", qx::readElement(qxGetClassID(a), qxGetData(full.get()), i));
        out += buf;
        if (qxIsComplex(a)) {
            std::snprintf(buf, sizeof buf, "%+.20Lgi", qx::readElement(qxGetClassID(a), qxGetImagData(full.get()), i));
            out += buf;
        }
    }
    return out + "]";
}

// Every array an operation made is gone when its owner is: none is left over.
class ArrayOps : public ::testing::Test {
protected:
    void SetUp() override { before_ = qxCountTemporaries(); }
    void TearDown() override { EXPECT_EQ(qxCountTemporaries(), before_) << "arrays left behind"; }

private:
    qxSize before_ = 0;
};

struct BuildCase {
    const char* what;
    std::function<ArrayPtr()> build;
    const char* shown;
};

void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.what; }

class Builds : public ArrayOps, public ::testing::WithParamInterface<BuildCase> {};

TEST_P(Builds, TheArrayExpected) { EXPECT_EQ(show(GetParam().build().get()), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(
    Joining, Builds,
    ::testing::Values(
        BuildCase{"rows", [] { return cat(1, row({1, 2}), row({3, 4})); }, "double 2x2 [1 3 2 4]"},
        BuildCase{"pages", [] { return cat(3, row({1, 2}), row({3, 4})); }, "double 1x2x2 [1 2 3 4]"},
        BuildCase{"first integer class wins", [] { return cat(2, row({2.7}), num(qxUINT8_CLASS, {1, 1}, {1}),
                                                               num(qxINT8_CLASS, {1, 1}, {-1})); },
                  "uint8 1x3 [3 1 0]"},
        BuildCase{"single over double", [] { return cat(2, num(qxSINGLE_CLASS, {1, 1}, {1}), row({2})); }, "single 1x2 [1 2]"},
        BuildCase{"logicals stay logical", [] { return cat(2, num(qxLOGICAL_CLASS, {1, 1}, {1}), num(qxLOGICAL_CLASS, {1, 1}, {0})); },
                  "logical 1x2 [1 0]"},
        BuildCase{"char over numbers", [] { return cat(2, text("a"), row({66})); }, "char 1x2 [97 66]"},
        BuildCase{"0x0 lends its class only", [] { return cat(2, num(qxINT16_CLASS, {0, 0}, {}), row({1.5})); },
                  "int16 1x1 [2]"},
        BuildCase{"nothing", [] { return qx::concatenate(1, {}); }, "double 0x0 []"},
        BuildCase{"a sparse part", [] { return cat(2, sparse(row({1})), row({0, 2})); }, "double 1x3 sparse [1 0 2]"},
        BuildCase{"a complex part", [] { return cat(2, num(qxDOUBLE_CLASS, {1, 1}, {1}, {2}), row({3})); },
                  "double 1x2 complex [1+2i 3+0i]"},
        BuildCase{"cells take others as cells", [] { return cat(2, cells(row({1})), row({2})); },
                  "cell 1x2 {double 1x1 [1], double 1x1 [2]}"},
        BuildCase{"structs by field name", [] {
                      ArrayPtr a = row({1}), b = row({2});
                      return cat(1, qx::structOf({"x", "y"}, {a.get(), b.get()}), qx::structOf({"y", "x"}, {a.get(), b.get()}));
                  },
                  "struct 2x1 {x: double 1x1 [1], y: double 1x1 [2], x: double 1x1 [2], y: double 1x1 [1]}"}));

INSTANTIATE_TEST_SUITE_P(
    Making, Builds,
    ::testing::Values(
        BuildCase{"integers round half away and saturate",
                  [] { return qx::convertClass(row({1.5, -2.5, 300, -300, NAN}).get(), qxINT8_CLASS); },
                  "int8 1x5 [2 -3 127 -128 0]"},
        BuildCase{"single overflows to Inf", [] { return qx::convertClass(row({1e39}).get(), qxSINGLE_CLASS); }, "single 1x1 [inf]"},
        BuildCase{"sparse stays sparse", [] { return qx::convertClass(sparse(row({0, 2})).get(), qxLOGICAL_CLASS); },
                  "logical 1x2 sparse [0 1]"},
        BuildCase{"64-bit integers exactly", [] {
                      ArrayPtr big = num(qxINT64_CLASS, {1, 1}, {});
                      *static_cast<std::int64_t*>(qxGetData(big.get())) = 9007199254740993;
                      return qx::convertClass(big.get(), qxUINT64_CLASS);
                  },
                  "uint64 1x1 [9007199254740993]"},
        BuildCase{"filled", [] { return qx::filledArray({2, 1, 2}, qxINT16_CLASS, 7); }, "int16 2x1x2 [7 7 7 7]"},
        BuildCase{"empty cells", [] { return qx::emptyCellArray({1, 2}); }, "cell 1x2 {double 0x0 [], double 0x0 []}"},
        BuildCase{"all-zero sparse", [] { return qx::sparseZeros(3, 2); }, "double 3x2 sparse [0 0 0 0 0 0]"},
        BuildCase{"a large one stores nothing", [] { return qx::numelOf(qx::sparseZeros(100000000, 1).get()); },
                  "double 1x1 [100000000]"},
        BuildCase{"complex repeats a scalar part", [] { return qx::complexOf(row({1, 2}).get(), row({5}).get()); },
                  "double 1x2 complex [1+5i 2+5i]"},
        BuildCase{"negated", [] { return qx::negate(num(qxINT8_CLASS, {1, 2}, {-128, 5}).get()); }, "int8 1x2 [127 -5]"},
        BuildCase{"char negates as double", [] { return qx::negate(text("a").get()); }, "double 1x1 [-97]"},
        BuildCase{"struct spreads a cell", [] {
                      ArrayPtr c = cells(row({1}), row({2})), zero = row({0});
                      return qx::structOf({"a", "b"}, {c.get(), zero.get()});
                  },
                  "struct 1x2 {a: double 1x1 [1], b: double 1x1 [0], a: double 1x1 [2], b: double 1x1 [0]}"},
        BuildCase{"reshaped", [] { return qx::reshape(row({1, 2, 3, 4, 5, 6}).get(), {3, 2}); }, "double 3x2 [1 2 3 4 5 6]"},
        BuildCase{"sparse reshaped", [] { return qx::reshape(sparse(row({0, 1, 2, 0})).get(), {2, 2}); },
                  "double 2x2 sparse [0 1 2 0]"},
        BuildCase{"transposed", [] { return qx::transposeOf(cat(1, row({1, 2}), row({3, 4})).get()); }, "double 2x2 [1 2 3 4]"},
        BuildCase{"numel", [] { return qx::numelOf(qx::filledArray({2, 3, 4}, qxDOUBLE_CLASS, 0).get()); }, "double 1x1 [24]"},
        BuildCase{"size", [] { return qx::sizeOf(qx::filledArray({2, 3, 4}, qxDOUBLE_CLASS, 0).get()); }, "double 1x3 [2 3 4]"},
        BuildCase{"size beyond the dimensions", [] { return qx::sizeAlong(row({1, 2}).get(), 7); }, "double 1x1 [1]"}));

INSTANTIATE_TEST_SUITE_P(
    Indexing, Builds,
    ::testing::Values(
        BuildCase{"a row picks a row", [] { return qx::indexArray(row({5, 6, 7}).get(), {at({2, 0})}); }, "double 1x2 [7 5]"},
        BuildCase{"a column of a matrix", [] {
                      qx::Subscript s = at({0, 1});
                      s.column = true;
                      return qx::indexArray(cat(1, row({1, 2}), row({3, 4})).get(), {s});
                  },
                  "double 2x1 [1 3]"},
        BuildCase{"every row of a column", [] { return qx::indexArray(cat(1, row({1, 2}), row({3, 4})).get(), {all(), at({1})}); },
                  "double 2x1 [2 4]"},
        BuildCase{"cells of a cell array", [] { return qx::indexArray(cells(row({1}), text("a")).get(), {at({1})}); },
                  "cell 1x1 {char 1x1 [97]}"},
        BuildCase{"assignment grows a row with zeros", [] { return qx::assignIndexed(row({1}).get(), {at({3})}, row({9}).get()); },
                  "double 1x4 [1 0 0 9]"},
        BuildCase{"the value takes the array's class",
                  [] { return qx::assignIndexed(num(qxUINT8_CLASS, {1, 2}, {1, 2}).get(), {at({0, 1})}, row({-4, 300}).get()); },
                  "uint8 1x2 [0 255]"},
        BuildCase{"into nothing", [] { return qx::assignIndexed(nullptr, {at({1}), at({1})}, text("z").get()); },
                  "char 2x2 [0 0 0 122]"},
        BuildCase{"a cell", [] { return qx::assignCell(nullptr, {at({1})}, row({3}).get()); },
                  "cell 1x2 {double 0x0 [], double 1x1 [3]}"},
        BuildCase{"a field", [] { return qx::assignField(nullptr, "f", row({1}).get()); }, "struct 1x1 {f: double 1x1 [1]}"}));

// Refusals, by what the error says (ArrayError::what: the fault and what it concerns).
struct RefusedCase {
    const char* what;
    std::function<ArrayPtr()> build;
    const char* error;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.what; }

class Refuses : public ArrayOps, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(Refuses, WithTheFaultAndNothingLeft)
{
    try {
        ArrayPtr a = GetParam().build();
        ADD_FAILURE() << "built " << show(a.get());
    } catch (const qx::ArrayError& e) {
        EXPECT_STREQ(e.what(), GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Operations, Refuses,
    ::testing::Values(
        RefusedCase{"too large", [] { return qx::filledArray({65536, 65536, 65536, 65536}, qxDOUBLE_CLASS, 0); },
                    "TooLarge: 16777216"},
        RefusedCase{"too many sparse columns", [] { return qx::sparseZeros(1, qxSize(1) << 27); }, "TooLarge: 134217728"},
        RefusedCase{"logical with char", [] { return cat(2, text("a"), num(qxLOGICAL_CLASS, {1, 1}, {1})); },
                    "ClassMismatch: logical, char"},
        RefusedCase{"cell to double", [] { return qx::convertClass(cells(row({1})).get(), qxDOUBLE_CLASS); },
                    "ClassMismatch: cell, double"},
        RefusedCase{"complex to char", [] { return qx::convertClass(num(qxSINGLE_CLASS, {1, 1}, {1}, {1}).get(), qxCHAR_CLASS); },
                    "ClassMismatch: complex single, char"},
        RefusedCase{"sparse to int8", [] { return qx::convertClass(sparse(row({1})).get(), qxINT8_CLASS); },
                    "ClassMismatch: sparse, int8"},
        RefusedCase{"NaN to logical", [] { return qx::convertClass(row({1, NAN}).get(), qxLOGICAL_CLASS); }, "NaNToLogical"},
        RefusedCase{"rows of different widths", [] { return cat(1, row({1}), row({2, 3})); }, "DimensionMismatch"},
        RefusedCase{"structs of other fields", [] {
                        ArrayPtr v = row({1});
                        return cat(2, qx::structOf({"a"}, {v.get()}), qx::structOf({"b"}, {v.get()}));
                    },
                    "FieldMismatch"},
        RefusedCase{"dimension 0", [] { return cat(0, row({1})); }, "BadArgument: cat, the dimension must be a positive integer"},
        RefusedCase{"reshape to another count", [] { return qx::reshape(row({1, 2, 3}).get(), {2, 2}); },
                    "BadArgument: reshape, the number of elements must not change"},
        RefusedCase{"complex of parts of two sizes", [] { return qx::complexOf(row({1, 2}).get(), row({1, 2, 3}).get()); },
                    "BadArgument: complex, the parts must have the same size, or one of them be a scalar"},
        RefusedCase{"a field name twice", [] {
                        ArrayPtr v = row({1});
                        return qx::structOf({"a", "a"}, {v.get(), v.get()});
                    },
                    "BadArgument: struct, a field name is given twice"},
        RefusedCase{"a field name with a blank", [] { return qx::assignField(nullptr, "a b", row({1}).get()); },
                    "BadArgument: struct, field names begin with a letter and hold letters, digits and underscores"},
        RefusedCase{"transpose of pages", [] { return qx::transposeOf(qx::filledArray({1, 2, 2}, qxDOUBLE_CLASS, 0).get()); },
                    "BadArgument: transpose, the array has more than two dimensions"},
        RefusedCase{"size along 0", [] { return qx::sizeAlong(row({1}).get(), 0); },
                    "BadArgument: size, the dimension must be a positive integer"},
        RefusedCase{"beyond the elements", [] { return qx::indexArray(row({1, 2, 3}).get(), {at({4})}); },
                    "IndexBeyond: 5, 3"},
        RefusedCase{"beyond a dimension", [] { return qx::indexArray(row({1, 2, 3}).get(), {at({0}), at({3})}); },
                    "IndexBeyondDim: 4, 2, 3"},
        RefusedCase{"a handle indexed", [] {
                        qxRegisterFunction("qx_ops_test_f", [](void*, int, const qxArray* const*) -> qxArray* { return nullptr; },
                                           nullptr);
                        return qx::indexArray(ArrayPtr(qxCreateFunctionHandle("qx_ops_test_f")).get(), {at({0})});
                    },
                    "IndexClass: function_handle"},
        RefusedCase{"a linear index grows a matrix", [] {
                        return qx::assignIndexed(qx::filledArray({2, 2}, qxDOUBLE_CLASS, 0).get(), {at({6})}, row({1}).get());
                    },
                    "IndexGrow"},
        RefusedCase{"two values for three places", [] { return qx::assignIndexed(row({1, 2, 3}).get(), {all()}, row({1, 2}).get()); },
                    "AssignmentCount: 2, 3"},
        RefusedCase{"a non-cell into a cell", [] { return qx::assignIndexed(cells(row({1})).get(), {at({0})}, row({1}).get()); },
                    "ClassMismatch: double, cell"},
        RefusedCase{"a cell into a number", [] { return qx::assignCell(row({1}).get(), {at({0})}, row({1}).get()); },
                    "NotCell"},
        RefusedCase{"two cells at once", [] { return qx::assignCell(nullptr, {at({0, 1})}, row({1}).get()); }, "OneCell"},
        RefusedCase{"a field of a number", [] { return qx::assignField(row({1}).get(), "f", row({1}).get()); }, "NotStruct: f"}));

TEST_F(ArrayOps, ElementClassesGoByTheirHostNames)
{
    for (qxClassID cls : {qxLOGICAL_CLASS, qxCHAR_CLASS, qxDOUBLE_CLASS, qxSINGLE_CLASS, qxINT8_CLASS, qxUINT64_CLASS})
        EXPECT_EQ(qx::elementClassNamed(qx::className(cls)), cls);
    for (const char* name : {"cell", "struct", "function_handle", "Double", ""})
        EXPECT_EQ(qx::elementClassNamed(name), std::nullopt) << name;
}

} // namespace
