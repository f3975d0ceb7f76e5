// The literal reader, on its own and through the console's "show" statement.
#include <gtest/gtest.h>

#include <string>

#include "console_runner.h"
#include "encode.h"
#include "literal.h"
#include "literal_cases.h"

namespace {

using vxtest::LiteralCase;
using vxtest::MalformedCase;

// Everything the reader makes is a temporary of the host call until its owner
// destroys it: none may be left once the result is gone, nor after a failure.
class ReaderTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(qxCountTemporaries(), 0u) << "arrays left behind"; }
};

class ReadsLiteral : public ReaderTest, public ::testing::WithParamInterface<LiteralCase> {};

TEST_P(ReadsLiteral, IntoTheArrayItDescribes)
{
    vxhost::QxArrayPtr a = vxhost::parseLiteral(GetParam().literal);
    EXPECT_EQ(vxhost::encodeArray(a.get()).dump(), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(Literals, ReadsLiteral, ::testing::ValuesIn(vxtest::literalCases));

class RefusesLiteral : public ReaderTest, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(RefusesLiteral, WithItsIdentifierAndNothingLeft)
{
    try {
        vxhost::parseLiteral(GetParam().literal);
        ADD_FAILURE() << "accepted";
    } catch (const qx::HostError& e) {
        EXPECT_EQ(e.identifier(), GetParam().id) << e.message();
    }
}

INSTANTIATE_TEST_SUITE_P(Literals, RefusesLiteral, ::testing::ValuesIn(vxtest::malformedCases));

// The column in a message counts from the start of the whole text.
struct ColumnCase {
    const char* text;
    std::size_t start;
    const char* message;
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.text; }

class ReportsColumn : public ReaderTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(ReportsColumn, OfTheFault)
{
    std::size_t pos = GetParam().start;
    try {
        vxhost::parseLiteral(GetParam().text, pos);
        ADD_FAILURE() << "accepted";
    } catch (const qx::HostError& e) {
        EXPECT_EQ(e.message(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReportsColumn,
    ::testing::Values(ColumnCase{"[1 2", 0, "Malformed literal at column 1: a '[' is not closed."},
                      ColumnCase{"from x [1,,2]", 7, "Malformed literal at column 11: unexpected ','."},
                      ColumnCase{"a 'abc", 1, "Malformed literal at column 3: a text is not closed."},
                      ColumnCase{"  foo", 0, "Unknown function or constant 'foo' at column 3."},
                      ColumnCase{"", 0, "Malformed literal at column 1: a value is missing."},
                      ColumnCase{"[1 - 2]", 0, "Malformed literal at column 4: a sign must be followed directly by its operand."}));

TEST_F(ReaderTest, StopsAfterOneLiteral)
{
    std::string text = "equal t [1 2] 'on' rest";
    std::size_t pos = 8;
    vxhost::QxArrayPtr a = vxhost::parseLiteral(text, pos);
    EXPECT_EQ(pos, 13u);
    vxhost::QxArrayPtr b = vxhost::parseLiteral(text, pos);
    EXPECT_EQ(pos, 18u);
    EXPECT_EQ(vxhost::encodeArray(b.get()).dump(), R"({"class":"char","size":[1,2],"data":["on"]})");
}

TEST_F(ReaderTest, NestsUpToItsLimit)
{
    auto nested = [](int depth) { return std::string(depth, '[') + "1" + std::string(depth, ']'); };
    // Each bracket is one level, the number inside one more.
    EXPECT_NO_THROW(vxhost::parseLiteral(nested(vxhost::kMaxLiteralDepth - 1)));
    try {
        vxhost::parseLiteral(nested(vxhost::kMaxLiteralDepth));
        ADD_FAILURE() << "accepted";
    } catch (const qx::HostError& e) {
        EXPECT_EQ(e.identifier(), "vxhost:literal:TooDeep");
    }
    // Far deeper input fails the same way instead of exhausting the stack.
    EXPECT_THROW(vxhost::parseLiteral(nested(100000)), qx::HostError);
    EXPECT_THROW(vxhost::parseLiteral(std::string(100000, '-') + "1"), qx::HostError);
}

// The same literals through the console: "show" answers the array they make.
class ShowStatement : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(ShowStatement, AnswersTheArray)
{
    vxtest::ConsoleRun run = vxtest::runConsole({"--json", "-e", std::string("show ") + GetParam().literal});
    EXPECT_EQ(run.out, std::string(R"({"ok":true,"array":)") + GetParam().json + "}\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Literals, ShowStatement, ::testing::ValuesIn(vxtest::literalCases));

class ShowRefuses : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(ShowRefuses, AMalformedLiteralAsAnErrorResult)
{
    vxtest::ConsoleRun run = vxtest::runConsole({"--json", "-e", std::string("show ") + GetParam().literal});
    EXPECT_EQ(run.out.rfind(std::string(R"({"ok":false,"id":")") + GetParam().id + "\",", 0), 0u) << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 1);
}

INSTANTIATE_TEST_SUITE_P(Literals, ShowRefuses, ::testing::ValuesIn(vxtest::malformedCases));

} // namespace
