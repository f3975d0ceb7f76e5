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

std::string error(const std::optional<vxtest::Raised>& r) { return r ? r->id + " " + r->message : ""; }

struct ArrayCase {
    const char* name;
    qxArray* (*make)();
    const char* read; // "on", "off" or the error raised
};

class OnOffFromArray : public HostTest, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(OnOffFromArray, OnlyCharArraysAndOnlyExactlyOnIsOn)
{
    gui_objects::QxArrayPtr a(GetParam().make());
    COSValue v;
    auto raised = vxtest::raisedBy([&] { v = vxtest::conversion("any", "on/off")->from(COSValue::fromPointer(a.get())); });
    EXPECT_EQ(raised ? error(raised) : v.isNull() ? "off" : "on", GetParam().read);
}

const char* const refused = "KELDAR:datatypes:UnknownOnOffBooleanValue Incorrect type for value for On/Off Boolean";
INSTANTIATE_TEST_SUITE_P(Inputs, OnOffFromArray,
                         ::testing::Values(ArrayCase{"on", [] { return qxCreateString("on"); }, "on"},
                                           ArrayCase{"ON", [] { return qxCreateString("ON"); }, "off"},
                                           ArrayCase{"onx", [] { return qxCreateString("onx"); }, "off"},
                                           ArrayCase{"empty", [] { return qxCreateString(""); }, "off"},
                                           ArrayCase{"logical", [] { return qxCreateLogicalScalar(true); }, refused},
                                           ArrayCase{"cell", [] { return qxCreateCellMatrix(1, 1); }, refused}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostTest, OnOffReadsBackAsWordsAndAnySetBitIsOn)
{
    auto sc = vxtest::conversion("string", "on/off");
    COSValue upper(1ull << 40);
    EXPECT_STREQ(nyro::pointerValue<const char*>(sc->to(upper)), "on");
    EXPECT_STREQ(nyro::pointerValue<const char*>(sc->to(off)), "off");
    gui_objects::QxArrayPtr a(nyro::pointerValue<qxArray*>(vxtest::conversion("any", "on/off")->to(upper)));
    EXPECT_EQ(qxArrayToStdString(a.get()), "on");
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
    gui_objects::QxArrayPtr a(qxCreateString("on"));
    auto raised = vxtest::raisedBy([&] {
        ut::test::AllocationFailure fail(1);
        vxtest::conversion("any", "on/off")->from(COSValue::fromPointer(a.get()));
    });
    EXPECT_EQ(error(raised), "KELDAR:datatypes:OutOfMemory Out of memory. Type HELP MEMORY for your options.");
}

TEST_F(HostTest, OnOffSecondRegistrationIsReported)
{
    // Recording the callback again and running it meets the registered type.
    auto raised = vxtest::raisedBy([] {
        init_datatypes_OnOffBooleanDataType();
        datatypes::get_initialization_callback_registry()->initialize();
    });
    EXPECT_EQ(error(raised), "vx:datatypes Trying to add datatype OnOffBooleanDataType, multiple times to registry");
}

} // namespace
