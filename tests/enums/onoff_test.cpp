#include <gtest/gtest.h>

#include <string>

#include "enums/onoff.h"
#include "frame/registry.h"
#include "javabridge/javabridge.h"
#include "support/host_fixture.h"

namespace {

using vxtest::HostTest;
using nyro::COSValue;

const COSValue off(0), on(1);

struct ArrayCase {
    const char* name;
    qxArray* (*make)();
    bool ok;
    bool on;
};

class OnOffFromArray : public HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(OnOffFromArray, OnlyCharArraysAndOnlyExactlyOnIsOn)
{
    const ArrayCase& c = GetParam();
    qxArray* a = c.make();
    auto mc = vxtest::conversion("any", "on/off");
    COSValue v;
    auto raised = vxtest::raisedBy([&] { v = mc->from(COSValue::fromPointer(a)); });
    if (c.ok) {
        EXPECT_FALSE(raised);
        EXPECT_EQ(!v.isNull(), c.on);
    } else {
        ASSERT_TRUE(raised);
        EXPECT_EQ(raised->id, "KELDAR:datatypes:UnknownOnOffBooleanValue");
        EXPECT_EQ(raised->message, "Incorrect type for value for On/Off Boolean");
    }
    qxDestroyArray(a);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, OnOffFromArray,
    ::testing::Values(ArrayCase{"on", [] { return qxCreateString("on"); }, true, true},
                      ArrayCase{"ON", [] { return qxCreateString("ON"); }, true, false},
                      ArrayCase{"On", [] { return qxCreateString("On"); }, true, false},
                      ArrayCase{"of", [] { return qxCreateString("of"); }, true, false},
                      ArrayCase{"yes", [] { return qxCreateString("yes"); }, true, false},
                      ArrayCase{"empty", [] { return qxCreateString(""); }, true, false},
                      ArrayCase{"onx", [] { return qxCreateString("onx"); }, true, false},
                      ArrayCase{"logical", [] { return qxCreateLogicalScalar(true); }, false, false},
                      ArrayCase{"double", [] { return qxCreateDoubleScalar(1); }, false, false},
                      ArrayCase{"cell", [] { return qxCreateCellMatrix(1, 1); }, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostTest, OnOffReadsBackAsWordsAndAnySetBitIsOn)
{
    auto mc = vxtest::conversion("any", "on/off");
    auto sc = vxtest::conversion("string", "on/off");
    COSValue upper(1ull << 40);
    EXPECT_STREQ(nyro::pointerValue<const char*>(sc->to(upper)), "on");
    EXPECT_STREQ(nyro::pointerValue<const char*>(sc->to(off)), "off");
    qxArray* a = nyro::pointerValue<qxArray*>(mc->to(upper));
    EXPECT_EQ(qxArrayToStdString(a), "on");
    qxDestroyArray(a);
    EXPECT_TRUE(nyro::COSTypeRepository::isReturnedTextBorrowed(nyro::COSNameID("on/off")))
        << "the host must not free the constant texts";
}

TEST_F(HostTest, OnOffOrdersOffBeforeOnAndEnumeratesBoth)
{
    nyro::COSDataType* t = vxtest::type("on/off");
    EXPECT_EQ(t->compare(off, on), -1);
    EXPECT_EQ(t->compare(on, off), 1);
    EXPECT_EQ(t->compare(on, COSValue(7)), 0);
    EXPECT_TRUE(t->isEqual(off, COSValue()));
    EXPECT_EQ(t->getDefaultValue(), off);
    EXPECT_STREQ(t->getPossibleValuesDescription(), "on/off");
    ASSERT_TRUE(t->isPossibleValuesFinite());
    nyro::COSValueEnumerationPtr values = t->getPossibleValues();
    std::vector<std::uint64_t> seen;
    while (values->hasMoreElements())
        seen.push_back(values->nextElement().bits());
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{0, 1}));
}

TEST_F(HostTest, PlainBoolConvertsWithTheSameWords)
{
    auto bools = vxtest::conversion("string", "bool");
    ASSERT_NE(bools, nullptr);
    EXPECT_EQ(bools->from(COSValue::fromPointer("on")), on);
    EXPECT_EQ(bools->from(COSValue::fromPointer("true")), off);
    EXPECT_STREQ(nyro::pointerValue<const char*>(bools->to(on)), "on");
}

TEST_F(HostTest, OnOffJavaRoundTripLeavesTheIntermediateToTheHost)
{
    auto java = nyro::JavaTypeConversion::getConversion(nyro::COSNameID("on/off"));
    ASSERT_NE(java, nullptr);
    COSValue object = java->to(on);
    EXPECT_EQ(java->from(object), on);
    javabridge::releaseObject(object);
    EXPECT_GT(qxReclaimTemporaries(), 0u) << "the intermediate arrays are temporaries of the call";
}

TEST_F(HostTest, OnOffOutOfMemoryWhileReadingText)
{
    qxArray* a = qxCreateString("on");
    auto raised = vxtest::raisedBy([&] {
        ut::test::AllocationFailure fail(1);
        vxtest::conversion("any", "on/off")->from(COSValue::fromPointer(a));
    });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id + " " + raised->message, "KELDAR:datatypes:OutOfMemory Out of memory. Type HELP MEMORY for your options.");
    qxDestroyArray(a);
}

TEST_F(HostTest, OnOffSecondRegistrationIsReported)
{
    // Recording the callback again and running it meets the registered type.
    auto raised = vxtest::raisedBy([] {
        init_datatypes_OnOffBooleanDataType();
        datatypes::get_initialization_callback_registry()->initialize();
    });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id + " " + raised->message, "vx:datatypes Trying to add datatype OnOffBooleanDataType, multiple times to registry");
}

} // namespace
