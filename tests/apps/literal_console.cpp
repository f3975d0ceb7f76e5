// The console's values: the arrays literals and array functions make (as
// JSON), the ones refused, and where a fault is reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arrays.h"
#include "commands.h"
#include "encode.h"
#include "evaluator.h"

namespace {

vxhost::QxArrayPtr parseLiteral(const std::string& text) { return vxhost::evaluateLiteral(text, vxhost::commandTable()); }

// Everything the reader makes is a temporary of the host call until its owner
// destroys it: none may be left once the result is gone, nor after a failure.
class ReaderTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(qxCountTemporaries(), 0u) << "arrays left behind"; }
};

struct LiteralCase {
    const char* literal;
    const char* json;
};

void PrintTo(const LiteralCase& c, std::ostream* os) { *os << c.literal; }

class ReadsLiteral : public ReaderTest, public ::testing::WithParamInterface<LiteralCase> {};

// ... and the encoding reads back into the same array (what load relies on).
TEST_P(ReadsLiteral, IntoTheArrayItDescribes)
{
    vxhost::QxArrayPtr a = parseLiteral(GetParam().literal);
    EXPECT_EQ(vxhost::json::dump(vxhost::encodeArray(a.get())), GetParam().json);
    vxhost::json::Value parsed = vxhost::json::Value::parse(GetParam().json, nullptr, false);
    if (parsed.is_discarded())
        return; // an unpaired surrogate's escape, which JSON readers refuse: save skips such a text
    std::string why;
    vxhost::QxArrayPtr back = vxhost::decodeArray(parsed, why);
    EXPECT_EQ(vxhost::json::dump(vxhost::encodeArray(back.get())), GetParam().json) << why;
}

#define D(size, data) R"({"class":"double","size":)" size R"(,"data":)" data "}"
#define A(cls, size, data) R"({"class":")" cls R"(","size":)" size R"(,"data":)" data "}"
#define ONE D("[1,1]", "[1]")
#define TWO D("[1,1]", "[2]")
#define EMPTY D("[0,0]", "[]")

INSTANTIATE_TEST_SUITE_P(
    Literals, ReadsLiteral,
    ::testing::Values(
        // numbers: a sign touches its operand, overflow is Inf
        LiteralCase{".5", D("[1,1]", "[0.5]")}, LiteralCase{"1e400", D("[1,1]", R"(["Inf"])")}, LiteralCase{"--1", ONE},
        // matrices: blanks or commas between columns, ';' between rows, nesting joins, 0x0 parts take no place
        LiteralCase{"[1 2; 3 4]", D("[2,2]", "[1,3,2,4]")}, LiteralCase{"[1, 2, 3]", D("[1,3]", "[1,2,3]")},
        LiteralCase{"[1 -2]", D("[1,2]", "[1,-2]")}, LiteralCase{"[[1 2] 3; 4:6]", D("[2,3]", "[1,4,2,5,3,6]")},
        LiteralCase{"[1 2;]", D("[1,2]", "[1,2]")}, LiteralCase{"[]", EMPTY}, LiteralCase{"[[] 1 []]", ONE},
        // the class of a join (its rules are the array library's): logical with double is double; 3-D char
        LiteralCase{"[true 2]", D("[1,2]", "[1,2]")},
        LiteralCase{"cat(3, ['ab'; 'cd'], ['ef'; 'gh'])", A("char", "[2,2,2]", R"(["abef","cdgh"])")},
        LiteralCase{"[NaN -Inf]", D("[1,2]", R"(["NaN","-Inf"])")},
        LiteralCase{"sparse([true false; false true])",
                    R"({"class":"logical","size":[2,2],"sparse":true,"rows":[1,2],"columns":[1,2],"data":[true,true]})"},
        // ranges: exact end, negative and zero steps, the class of a part
        LiteralCase{"0:0.1:0.3", D("[1,4]", "[0,0.1,0.2,0.3]")}, LiteralCase{"3:-1:1", D("[1,3]", "[3,2,1]")},
        LiteralCase{"5:1", D("[1,0]", "[]")}, LiteralCase{"1:0:3", D("[1,0]", "[]")},
        LiteralCase{"int8(1):3", A("int8", "[1,3]", "[1,2,3]")},
        // texts (UTF-8 in, UTF-16 in the array, unpaired surrogates kept) and logicals
        LiteralCase{"'it''s'", A("char", "[1,4]", R"(["it's"])")}, LiteralCase{"''", A("char", "[0,0]", "[]")},
        LiteralCase{"['ab';'cd']", A("char", "[2,2]", R"(["ab","cd"])")},
        LiteralCase{"'\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80'", A("char", "[1,4]", "[\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"]")},
        LiteralCase{"'\xed\xb0\x80" "a\xed\xa0\x80'", A("char", "[1,3]", R"(["\udc00a\ud800"])")},
        LiteralCase{"false(2,1)", A("logical", "[2,1]", "[false,false]")},
        // class conversions (rounding and saturation are the array library's)
        LiteralCase{"int64(-9223372036854775808)", A("int64", "[1,1]", "[-9223372036854775808]")},
        LiteralCase{"uint64(18446744073709551615)", A("uint64", "[1,1]", "[18446744073709551615]")},
        LiteralCase{"logical([2 0 -1])", A("logical", "[1,3]", "[true,false,true]")},
        LiteralCase{"char([72 105])", A("char", "[1,2]", R"(["Hi"])")}, LiteralCase{"+true", ONE},
        // filled arrays; trailing singleton dimensions beyond the second are dropped
        LiteralCase{"ones(2)", D("[2,2]", "[1,1,1,1]")}, LiteralCase{"zeros", D("[1,1]", "[0]")},
        LiteralCase{"zeros(-1)", EMPTY}, LiteralCase{"zeros([2 1 2])", D("[2,1,2]", "[0,0,0,0]")},
        LiteralCase{"zeros(2,1,1)", D("[2,1]", "[0,0]")},
        LiteralCase{"ones(1,2,'uint8')", A("uint8", "[1,2]", "[1,1]")},
        LiteralCase{"NaN(1,2,'single')", A("single", "[1,2]", R"(["NaN","NaN"])")},
        LiteralCase{"cell(1,2)", A("cell", "[1,2]", "[" EMPTY "," EMPTY "]")},
        // reshape and cat
        LiteralCase{"reshape(1:6,[],2)", D("[3,2]", "[1,2,3,4,5,6]")},
        LiteralCase{"reshape(1:6,[3 2])", D("[3,2]", "[1,2,3,4,5,6]")},
        LiteralCase{"reshape('abcd',1,2,2)", A("char", "[1,2,2]", R"(["abcd"])")},
        LiteralCase{"cat(2,reshape(1:4,1,2,2),reshape(5:8,1,2,2))", D("[1,4,2]", "[1,2,5,6,3,4,7,8]")},
        // sparse (data in full form) and complex (the imaginary part stays, even when zero)
        LiteralCase{"sparse([1 0; 0 2])", R"({"class":"double","size":[2,2],"sparse":true,"rows":[1,2],"columns":[1,2],"data":[1,2]})"},
        LiteralCase{"sparse(2,3)", R"({"class":"double","size":[2,3],"sparse":true,"rows":[],"columns":[],"data":[]})"},
        LiteralCase{"sparse(1e8,1)", R"({"class":"double","size":[100000000,1],"sparse":true,"rows":[],"columns":[],"data":[]})"},
        LiteralCase{"-sparse([1 0])", R"({"class":"double","size":[1,2],"sparse":true,"rows":[1],"columns":[1],"data":[-1]})"},
        LiteralCase{"complex(1,0)", R"({"class":"double","size":[1,1],"data":[1],"imag":[0]})"},
        LiteralCase{"complex(int8(1),2)", R"({"class":"int8","size":[1,1],"data":[1],"imag":[2]})"},
        LiteralCase{"complex(single(1))", R"({"class":"single","size":[1,1],"data":[1],"imag":[0]})"},
        LiteralCase{"-complex(1,2)", R"({"class":"double","size":[1,1],"data":[-1],"imag":[-2]})"},
        LiteralCase{"sparse(complex([0 1],[0 2]))",
                    R"({"class":"double","size":[1,2],"sparse":true,"rows":[1],"columns":[2],"data":[1],"imag":[2]})"},
        // cells: braces put each element in a cell; [] joins cells with cells
        LiteralCase{"{}", A("cell", "[0,0]", "[]")},
        LiteralCase{"{1, 'a'; [], {2}}",
                    A("cell", "[2,2]", "[" ONE "," EMPTY "," A("char", "[1,1]", R"(["a"])") "," A("cell", "[1,1]", "[" TWO "]") "]")},
        LiteralCase{"[{1}, 2]", A("cell", "[1,2]", "[" ONE "," TWO "]")},
        LiteralCase{"[{}, 1]", A("cell", "[1,1]", "[" ONE "]")},
        // structs: a 1x1 struct maps its fields; a cell value spreads over a struct array
        LiteralCase{"struct('a',1,'b','x')",
                    R"({"class":"struct","size":[1,1],"fields":{"a":)" ONE R"(,"b":)" A("char", "[1,1]", R"(["x"])") "}}"},
        LiteralCase{"struct()", R"({"class":"struct","size":[1,1],"fields":{}})"},
        LiteralCase{"struct('a',{1;2},'b',0)", R"({"class":"struct","size":[2,1],"fields":["a","b"],"data":[{"a":)" ONE
                                                   R"(,"b":)" D("[1,1]", "[0]") R"(},{"a":)" TWO R"(,"b":)" D("[1,1]", "[0]") "}]}"},
        LiteralCase{"struct('a',{})", R"({"class":"struct","size":[0,0],"fields":["a"],"data":[]})"},
        LiteralCase{"struct('c',{{1}})", R"({"class":"struct","size":[1,1],"fields":{"c":)" A("cell", "[1,1]", "[" ONE "]") "}}"},
        LiteralCase{"[struct('a',1,'b',2); struct('b',3,'a',4)]",
                    R"({"class":"struct","size":[2,1],"fields":["a","b"],"data":[{"a":)" ONE R"(,"b":)" TWO R"(},{"a":)"
                        D("[1,1]", "[4]") R"(,"b":)" D("[1,1]", "[3]") "}]}"}));

#undef D
#undef A
#undef ONE
#undef TWO
#undef EMPTY

// Literals refused, by the identifier they raise.
struct RefusedCase {
    const char* id;
    std::vector<const char*> literals;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.id; }

class RefusesLiteral : public ReaderTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusesLiteral, WithItsIdentifierAndNothingLeft)
{
    for (const char* literal : GetParam().literals) {
        try {
            parseLiteral(literal);
            ADD_FAILURE() << literal << " accepted";
        } catch (const qx::HostError& e) {
            EXPECT_EQ(e.identifier(), GetParam().id) << literal << ": " << e.message();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Literals, RefusesLiteral,
    ::testing::Values(
        RefusedCase{"vxhost:Syntax", {"{1, 2", "[,1]", "\"abc\"", "[1-2]", "{1]", "zeros(1,2", "zeros(1 2)",
                                      "1:2:3:4", "'a':3", "@", "x.", "[1 2]]", "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["}},
        RefusedCase{"vxhost:Usage", {"double()", "sparse(1,2,3)"}},
        RefusedCase{"vxhost:UndefinedName", {"foo", "zeros(foo)"}},
        RefusedCase{"vxhost:literal:Dimensions", {"[[1;2] 3]", "[{1}; {2, 3}]"}},
        RefusedCase{"vxhost:literal:Fields", {"[struct('a',1) struct('b',2)]", "[struct('a',1) struct('a',2,'b',3)]"}},
        RefusedCase{"vxhost:literal:Conversion", {"[struct('a',1) 1]", "['a' true]", "double({1})",
                                                  "logical(complex(1,1))", "int8(sparse(1))", "-{1}"}},
        RefusedCase{"vxhost:literal:NaNToLogical", {"logical([1 NaN])"}},
        RefusedCase{"vxhost:literal:TooLarge", {"zeros(1e9)", "ones(4096,4097)", "zeros(65536,65536,65536,65536)", "1:Inf"}},
        RefusedCase{"vxhost:literal:Argument",
                    {"zeros(1.5)", "zeros(NaN)", "zeros({1})", "zeros(2,'a')", "ones(2,'char')", "NaN(2,'int8')",
                     "reshape(1:6,4,[])", "reshape(1:6,5)", "reshape(1:4,[],[])", "reshape(sparse(1:4),1,2,2)",
                     "cat(0,1)", "sparse(int8(1))", "sparse(zeros(2,2,2))", "complex('a',1)",
                     "complex(complex(1,1),1)", "complex([1 2],[1 2 3])", "complex(int8(1),single(1))",
                     "struct('a')", "struct(1,2)", "struct('a',1,'a',2)", "struct('1a',1)",
                     "struct('a',{1,2},'b',{1,2,3})"}}));

// Every refusal of the array library reads as one of the console's own errors.
TEST_F(ReaderTest, ArrayRefusalsHaveTheConsolesWords)
{
    auto identifierOf = [](qx::ArrayFault fault) -> std::string {
        try {
            vxhost::refuse(qx::ArrayError(fault));
        } catch (const qx::HostError& e) {
            return e.identifier();
        }
        return {};
    };
#define VX_EXPECT_WORDED(name) \
    EXPECT_NE(identifierOf(qx::ArrayFault::name), "vxhost:InternalError") << #name;
    QX_ARRAY_FAULTS(VX_EXPECT_WORDED)
#undef VX_EXPECT_WORDED
}

// Where the fault is, in the message.
struct ColumnCase {
    const char* text;
    const char* message;
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.text; }

class ReportsColumn : public ReaderTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(ReportsColumn, OfTheFault)
{
    try {
        parseLiteral(GetParam().text);
        ADD_FAILURE() << "accepted";
    } catch (const qx::HostError& e) {
        EXPECT_EQ(e.message(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReportsColumn,
    ::testing::Values(ColumnCase{"[1 2", "expected ']' at column 5."},
                      ColumnCase{"[1,,2]", "expected ']' at column 4."},
                      ColumnCase{"'abc", "a text is not closed at column 5."},
                      ColumnCase{"  foo", "Undefined variable or function 'foo'."},
                      ColumnCase{"", "expected a value at column 1."},
                      ColumnCase{"[1 - 2]", "a sign must be followed directly by its operand at column 5."}));

TEST_F(ReaderTest, RefusesDeepNestingBeforeItExhaustsTheStack)
{
    auto nested = [](int depth) { return std::string(depth, '[') + "1" + std::string(depth, ']'); };
    EXPECT_NO_THROW(parseLiteral(nested(vxhost::syntax::kMaxDepth)));
    for (const std::string& deep : {nested(vxhost::syntax::kMaxDepth + 1), nested(100000),
                                    std::string(100000, '-') + "1", std::string(100000, '@')})
        try {
            parseLiteral(deep);
            ADD_FAILURE() << "accepted";
        } catch (const qx::HostError& e) {
            EXPECT_EQ(e.identifier(), "vxhost:Syntax");
        }
}

} // namespace
