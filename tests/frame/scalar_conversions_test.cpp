#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"

namespace {

using vxtest::HostTest;

struct ReadCase {
    const char* hostType;
    const char* text;
    bool ok;
    std::uint64_t bits; // the slot read, when ok
};

class ScalarRead : public HostTest, public ::testing::WithParamInterface<ReadCase> {};

std::uint64_t bitsOf(double d) { return nyro::COSValue::fromDouble(d).bits(); }

TEST_P(ScalarRead, AcceptsExactlyOneValueInStreamSyntax)
{
    const ReadCase& c = GetParam();
    nyro::COSTypeConversion* conv = vxtest::conversion("string", c.hostType);
    ASSERT_NE(conv, nullptr) << c.hostType;
    if (!c.ok) {
        EXPECT_THROW(conv->from(nyro::COSValue::fromPointer(c.text)),
                     gui_objects::convert_from_string_utils::ParseException)
            << c.hostType << " '" << c.text << "'";
        return;
    }
    EXPECT_EQ(conv->from(nyro::COSValue::fromPointer(c.text)).bits(), c.bits) << c.hostType << " '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ScalarRead,
    ::testing::Values(
        ReadCase{"int32 scalar", "42", true, 42}, ReadCase{"int32 scalar", "-7", true, std::uint64_t(-7)},
        ReadCase{"int32 scalar", "+5", true, 5}, ReadCase{"int32 scalar", " 42", false, 0},
        ReadCase{"int32 scalar", "42 ", false, 0}, ReadCase{"int32 scalar", "4.2", false, 0},
        ReadCase{"int32 scalar", "0x10", false, 0}, ReadCase{"int32 scalar", "", false, 0},
        ReadCase{"int32 scalar", "2147483648", false, 0}, ReadCase{"int", "2147483647", true, 2147483647},
        ReadCase{"int16 scalar", "-32769", false, 0}, ReadCase{"uint16 scalar", "65535", true, 65535},
        ReadCase{"int64 scalar", "-9223372036854775808", true, 0x8000000000000000ull},
        ReadCase{"uint64 scalar", "18446744073709551615", true, ~0ull},
        ReadCase{"uint64_T", "18446744073709551616", false, 0},
        ReadCase{"double scalar", "1e3", true, bitsOf(1000)}, ReadCase{"double scalar", ".5", true, bitsOf(0.5)},
        ReadCase{"double", "-2.5e-3", true, bitsOf(-2.5e-3)}, ReadCase{"double scalar", "1e", false, 0},
        ReadCase{"single scalar", "0.1", true, bitsOf(double(0.1f))}, ReadCase{"float", "x", false, 0},
        ReadCase{"int8 scalar", "A", true, 65}, ReadCase{"int8 scalar", "65", false, 0},
        ReadCase{"uint8 scalar", "z", true, 'z'}, ReadCase{"uint8 scalar", "", false, 0},
        ReadCase{"logical", "true", true, 1}, ReadCase{"logical scalar", "false", true, 0},
        ReadCase{"logical", "True", false, 0}, ReadCase{"logical", "1", false, 0}));

struct WriteCase {
    const char* hostType;
    std::uint64_t bits;
    const char* text;
};

class ScalarWrite : public HostTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(ScalarWrite, WritesANewCopyOfTheText)
{
    const WriteCase& c = GetParam();
    nyro::COSValue text = vxtest::conversion("string", c.hostType)->to(nyro::COSValue(c.bits));
    EXPECT_STREQ(nyro::pointerValue<const char*>(text), c.text) << c.hostType;
    utFree(nyro::pointerValue<char*>(text));
}

INSTANTIATE_TEST_SUITE_P(Values, ScalarWrite,
                         ::testing::Values(WriteCase{"double scalar", bitsOf(0.1), "0.10000000000000001"},
                                           WriteCase{"double", bitsOf(1), "1"},
                                           WriteCase{"single scalar", bitsOf(double(0.1f)), "0.100000001"},
                                           WriteCase{"int8 scalar", 66, "B"},
                                           WriteCase{"int32 scalar", std::uint64_t(-7), "-7"},
                                           WriteCase{"uint64 scalar", ~0ull, "18446744073709551615"},
                                           WriteCase{"logical", 1, "true"}, WriteCase{"logical", 0, "false"},
                                           WriteCase{"logical scalar", 1ull << 40, "true"}));

TEST_F(HostTest, StringConversionCopiesThroughTheHostStringType)
{
    nyro::COSTypeConversion* conv = vxtest::conversion("string", "string");
    const char* text = "hello";
    nyro::COSValue copy = conv->from(nyro::COSValue::fromPointer(text));
    EXPECT_NE(nyro::pointerValue<const char*>(copy), text);
    EXPECT_STREQ(nyro::pointerValue<const char*>(copy), "hello");
    vxtest::type("string")->destroy(copy);
}

TEST_F(HostTest, OutOfMemoryWhileWritingTextIsReported)
{
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(vxtest::conversion("string", "int32 scalar")->to(nyro::COSValue(5)), nyro::COSOutOfMemoryException);
}

} // namespace
