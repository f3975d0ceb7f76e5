// The console's JSON writer, the array encoder and the readable display.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "display.h"
#include "encode.h"
#include "commands.h"
#include "evaluator.h"
#include "json.h"

namespace {

using vxhost::json::Value;

struct DumpCase {
    const char* what;
    Value value;
    const char* json;
};

void PrintTo(const DumpCase& c, std::ostream* os) { *os << c.what; }

class DumpsValue : public ::testing::TestWithParam<DumpCase> {};

TEST_P(DumpsValue, AsOneLineOfJson) { EXPECT_EQ(GetParam().value.dump(), GetParam().json); }

// Texts pass as UTF-8, with escapes for what JSON requires and \u escapes for
// bytes that are no UTF-8; floats are written as short as they read back.
INSTANTIATE_TEST_SUITE_P(
    Values, DumpsValue,
    ::testing::Values(
        DumpCase{"escapes", Value::string("a\"b\\c\n\t\r\x01\x1f\x7f"), R"("a\"b\\c\n\t\r\u0001\u001f\u007f")"},
        DumpCase{"UTF-8 passes", Value::string("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
        DumpCase{"stray byte", Value::string("a\xff"), R"("a\u00ff")"},
        DumpCase{"cut sequence", Value::string("\xe2\x82"), R"("\u00e2\u0082")"},
        DumpCase{"overlong form", Value::string("\xc0\x80"), R"("\u00c0\u0080")"},
        DumpCase{"negative zero", Value::number(-0.0), "-0"}, DumpCase{"float stays short", Value::number(0.1f), "0.1"},
        DumpCase{"float NaN", Value::number(std::nanf("")), R"("NaN")"},
        DumpCase{"keys keep their first place", Value::object().set("b", Value::integer(1)).set("a", Value::integer(2)).set("b", Value::integer(3)),
                 R"({"b":3,"a":2})"},
        DumpCase{"nested", Value::object().set("x", Value::list().push(Value::null()).push(Value::object())), R"({"x":[null,{}]})"},
        DumpCase{"escaped key", Value::object().set("a\"b", Value::null()), R"({"a\"b":null})"}));

// Arrays the literal reader cannot make.
TEST(EncodesArray, NoArrayExactInt64AndUnsetField)
{
    EXPECT_EQ(vxhost::encodeArray(nullptr).dump(), "null");
    gui_objects::QxArrayPtr big(qxCreateNumericMatrix(1, 1, qxINT64_CLASS, qxREAL));
    *static_cast<std::int64_t*>(qxGetData(big.get())) = 9007199254740993;
    EXPECT_EQ(vxhost::encodeArray(big.get()).dump(), R"({"class":"int64","size":[1,1],"data":[9007199254740993]})");
    const char* names[] = {"a"};
    gui_objects::QxArrayPtr s(qxCreateStructMatrix(1, 1, 1, names));
    EXPECT_EQ(vxhost::encodeArray(s.get()).dump(), R"({"class":"struct","size":[1,1],"fields":{"a":null}})");
}

// The readable display of arrays, from literals.
struct ShowCase {
    const char* literal;
    const char* shown;
};

void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.literal; }

class ShowsArray : public ::testing::TestWithParam<ShowCase> {
protected:
    void TearDown() override { qxReclaimTemporaries(); }
};

TEST_P(ShowsArray, TheWayAHostShowsIt)
{
    vxhost::QxArrayPtr a = vxhost::evaluateLiteral(GetParam().literal, vxhost::commandTable());
    EXPECT_EQ(vxhost::showArray(vxhost::encodeArray(a.get())), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Literals, ShowsArray,
    ::testing::Values(ShowCase{"5", "double 1x1 5"}, ShowCase{"[1 2; 3 4]", "double 2x2 [1 2; 3 4]"},
                      ShowCase{"zeros(1,0)", "double 1x0 []"}, ShowCase{"[NaN -Inf 0.5]", "double 1x3 [NaN -Inf 0.5]"},
                      ShowCase{"''", "char 0x0 ''"}, ShowCase{"'it''s'", "char 1x4 'it''s'"},
                      ShowCase{"['ab';'cd']", "char 2x2 ['ab'; 'cd']"},
                      ShowCase{"complex([1 2],[0 -3])", "complex double 1x2 [1+0i 2-3i]"},
                      ShowCase{"sparse([1 0; 0 2])", "sparse double 2x2\n    (1,1) 1\n    (2,2) 2"},
                      ShowCase{"sparse(1e8,1)", "sparse double 100000000x1"},
                      ShowCase{"cat(3,[1 2],[3 4])", "double 1x2x2 [1 2 3 4]"},
                      ShowCase{"{1, 'a'; [], {2}}", "cell 2x2 {double 1x1 1, char 1x1 'a'; double 0x0 [], cell 1x1 {double 1x1 2}}"},
                      ShowCase{"struct('a',1,'b','x')", "struct 1x1 {a: double 1x1 1, b: char 1x1 'x'}"},
                      ShowCase{"struct('a',{1,2})", "struct 1x2 [{a: double 1x1 1}, {a: double 1x1 2}]"}));

// Results: one "key: value" line per field, nested objects and lists below their key
// (a value's nested array and text are shown by the console's readable runs).
struct ResultCase {
    const char* what;
    Value result;
    const char* shown;
};

void PrintTo(const ResultCase& c, std::ostream* os) { *os << c.what; }

class ShowsResult : public ::testing::TestWithParam<ResultCase> {};

TEST_P(ShowsResult, Readably) { EXPECT_EQ(vxhost::showResult(GetParam().result), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(
    Results, ShowsResult,
    ::testing::Values(
        ResultCase{"nothing", Value::object(), "ok\n"},
        ResultCase{"null value", Value::object().set("value", Value::null()), "value: null\n"},
        ResultCase{"list of objects",
                   Value::object().set("types", Value::list()
                                                    .push(Value::object().set("name", Value::string("a")).set("bits", Value::integer(8)))
                                                    .push(Value::object().set("name", Value::string("b")))),
                   "types:\n  - name: \"a\"\n    bits: 8\n  - name: \"b\"\n"},
        ResultCase{"list of words", Value::object().set("converters", Value::list().push(Value::string("any")).push(Value::string("java"))),
                   "converters: [\"any\", \"java\"]\n"}));

} // namespace
