#include <gtest/gtest.h>

#include <string>

#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"

namespace {

using vxtest::HostTest;

std::uint64_t bitsOf(double d) { return nyro::COSValue::fromDouble(d).bits(); }

struct ScalarCase {
    const char* hostType;
    const char* text;
    std::uint64_t bits; // the slot read
    const char* back;   // the text written for that slot; null: the text is refused
};

class ScalarText : public HostTest, public ::testing::WithParamInterface<ScalarCase> {};

// Exactly one value in stream syntax is read; the value is written back as a new copy of its text.
TEST_P(ScalarText, ReadsOneValueAndWritesItBack)
{
    const ScalarCase& c = GetParam();
    nyro::COSTypeConversion* conv = vxtest::conversion("string", c.hostType);
    ASSERT_NE(conv, nullptr) << c.hostType;
    if (!c.back) {
        EXPECT_THROW(conv->from(nyro::COSValue::fromPointer(c.text)), gui_objects::convert_from_string_utils::ParseException);
        return;
    }
    nyro::COSValue v = conv->from(nyro::COSValue::fromPointer(c.text));
    EXPECT_EQ(v.bits(), c.bits);
    nyro::COSValue text = conv->to(v);
    EXPECT_STREQ(nyro::pointerValue<const char*>(text), c.back);
    utFree(nyro::pointerValue<char*>(text));
}

// Each host type name, its aliases included, reaches the converter of its own width and sign.
INSTANTIATE_TEST_SUITE_P(
    Texts, ScalarText,
    ::testing::Values(ScalarCase{"int32 scalar", "-7", std::uint64_t(-7), "-7"},
                      ScalarCase{"int32 scalar", "4.2", 0, nullptr}, ScalarCase{"int32 scalar", "2147483648", 0, nullptr},
                      ScalarCase{"int", "2147483647", 2147483647, "2147483647"},
                      ScalarCase{"int16 scalar", "-32769", 0, nullptr},
                      ScalarCase{"uint16 scalar", "65535", 65535, "65535"},
                      ScalarCase{"uint32 scalar", "4294967295", 4294967295u, "4294967295"},
                      ScalarCase{"int64 scalar", "-9223372036854775808", 0x8000000000000000ull, "-9223372036854775808"},
                      ScalarCase{"uint64 scalar", "18446744073709551615", ~0ull, "18446744073709551615"},
                      ScalarCase{"uint64_T", "18446744073709551616", 0, nullptr},
                      ScalarCase{"double scalar", "1e3", bitsOf(1000), "1000"},
                      ScalarCase{"double", "0.1", bitsOf(0.1), "0.10000000000000001"},
                      ScalarCase{"double scalar", "1e", 0, nullptr},
                      ScalarCase{"single scalar", "0.1", bitsOf(double(0.1f)), "0.100000001"},
                      ScalarCase{"single", "0.1", bitsOf(double(0.1f)), "0.100000001"},
                      ScalarCase{"float", "0.1", bitsOf(double(0.1f)), "0.100000001"},
                      ScalarCase{"int8 scalar", "A", 65, "A"}, ScalarCase{"int8 scalar", "65", 0, nullptr},
                      ScalarCase{"uint8 scalar", "z", 'z', "z"}, ScalarCase{"logical", "true", 1, "true"},
                      ScalarCase{"logical scalar", "false", 0, "false"}, ScalarCase{"logical", "True", 0, nullptr}));

TEST_F(HostTest, ScalarTextsAreNewCopiesAndAnySetLogicalBitIsTrue)
{
    nyro::COSValue text = vxtest::conversion("string", "logical scalar")->to(nyro::COSValue(1ull << 40));
    EXPECT_STREQ(nyro::pointerValue<const char*>(text), "true");
    utFree(nyro::pointerValue<char*>(text));
    const char* typed = "hello";
    nyro::COSValue copy = vxtest::conversion("string", "string")->from(nyro::COSValue::fromPointer(typed));
    EXPECT_NE(nyro::pointerValue<const char*>(copy), typed);
    EXPECT_STREQ(nyro::pointerValue<const char*>(copy), "hello");
    vxtest::type("string")->destroy(copy);
    ut::test::AllocationFailure fail(1);
    EXPECT_THROW(vxtest::conversion("string", "int32 scalar")->to(nyro::COSValue(5)), nyro::COSOutOfMemoryException);
}

} // namespace
