// The console's JSON writer, the array encoder and the readable display.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "display.h"
#include "encode.h"
#include "commands.h"
#include "evaluator.h"
#include "json.h"

namespace {

using vxhost::json::Value;

// An object with keys set in this order (a key set again keeps its place).
Value objectOf(std::initializer_list<std::pair<const char*, Value>> fields)
{
    Value out = Value::object();
    for (const auto& [key, value] : fields)
        out[key] = value;
    return out;
}

struct DumpCase {
    const char* what;
    Value value;
    const char* json;
};

void PrintTo(const DumpCase& c, std::ostream* os) { *os << c.what; }

class DumpsValue : public ::testing::TestWithParam<DumpCase> {};

TEST_P(DumpsValue, AsOneLineOfJson) { EXPECT_EQ(vxhost::json::dump(GetParam().value), GetParam().json); }

// Texts pass as UTF-8, with escapes for what JSON requires and \u escapes for
// bytes that are no UTF-8 and unpaired surrogates; numbers are written as
// short as they read back, singles as short as the single.
INSTANTIATE_TEST_SUITE_P(
    Values, DumpsValue,
    ::testing::Values(
        DumpCase{"escapes", Value("a\"b\\c\n\t\r\x01\x1f\x7f\b\f"), R"("a\"b\\c\n\t\r\u0001\u001f\u007f\u0008\u000c")"},
        DumpCase{"NUL", Value(std::string("a\0b", 3)), R"("a\u0000b")"},
        DumpCase{"UTF-8 passes", Value("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
        DumpCase{"unpaired surrogates", Value("\xed\xb0\x80" "a\xed\xa0\x80"), R"("\udc00a\ud800")"},
        DumpCase{"stray byte", Value("a\xff"), R"("a\u00ff")"},
        DumpCase{"cut sequence", Value("\xe2\x82"), R"("\u00e2\u0082")"},
        DumpCase{"overlong form", Value("\xc0\x80"), R"("\u00c0\u0080")"},
        DumpCase{"whole double", vxhost::json::number(10.0), "10"},
        DumpCase{"shortest form", Value::array({vxhost::json::number(1e5), vxhost::json::number(1e-4),
                                                vxhost::json::number(0.00012), vxhost::json::number(1e21)}),
                 "[1e+05,1e-04,0.00012,1e+21]"},
        DumpCase{"negative zero", vxhost::json::number(-0.0), "-0"},
        DumpCase{"float stays short", vxhost::json::number(0.1f), "0.1"},
        DumpCase{"float NaN", vxhost::json::number(std::nanf("")), R"("NaN")"},
        DumpCase{"infinities", Value::array({vxhost::json::number(HUGE_VAL), vxhost::json::number(-HUGE_VALF)}),
                 R"(["Inf","-Inf"])"},
        DumpCase{"64-bit integers", Value::array({Value(INT64_MIN), Value(UINT64_MAX)}),
                 "[-9223372036854775808,18446744073709551615]"},
        DumpCase{"keys keep their first place", objectOf({{"b", 1}, {"a", 2}, {"b", 3}}), R"({"b":3,"a":2})"},
        DumpCase{"nested", objectOf({{"x", Value::array({nullptr, Value::object(), true})}}), R"({"x":[null,{},true]})"},
        DumpCase{"escaped key", objectOf({{"a\"b\xed\xa0\x80", nullptr}}), R"({"a\"b\ud800":null})"}));

// Arrays the literal reader cannot make.
TEST(EncodesArray, NoArrayExactInt64AndUnsetField)
{
    EXPECT_EQ(vxhost::json::dump(vxhost::encodeArray(nullptr)), "null");
    gui_objects::QxArrayPtr big(qxCreateNumericMatrix(1, 1, qxINT64_CLASS, qxREAL));
    *static_cast<std::int64_t*>(qxGetData(big.get())) = 9007199254740993;
    EXPECT_EQ(vxhost::json::dump(vxhost::encodeArray(big.get())), R"({"class":"int64","size":[1,1],"data":[9007199254740993]})");
    const char* names[] = {"a"};
    gui_objects::QxArrayPtr s(qxCreateStructMatrix(1, 1, 1, names));
    EXPECT_EQ(vxhost::json::dump(vxhost::encodeArray(s.get())), R"({"class":"struct","size":[1,1],"fields":{"a":null}})");
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
        ResultCase{"null value", objectOf({{"value", nullptr}}), "value: null\n"},
        ResultCase{"list of objects",
                   objectOf({{"types", Value::array({objectOf({{"name", "a"}, {"bits", 8}}), objectOf({{"name", "b"}})})}}),
                   "types:\n  - name: \"a\"\n    bits: 8\n  - name: \"b\"\n"},
        ResultCase{"list of words", objectOf({{"converters", Value::array({"any", "java"})}}),
                   "converters: [\"any\", \"java\"]\n"},
        // An object is an array only when it begins as encodeArray writes one.
        ResultCase{"array among fields", objectOf({{"v", objectOf({{"class", "double"}, {"size", Value::array({1, 1})},
                                                                  {"data", Value::array({vxhost::json::number(0.5)})}})}}),
                   "v: double 1x1 0.5\n"},
        ResultCase{"no array", objectOf({{"v", objectOf({{"class", 1}, {"size", Value::array({1, 1})}})}}),
                   "v:\n  class: 1\n  size: [1, 1]\n"}));

} // namespace
