// Tick lists: conversion between a Tick value and a plain list of doubles.
#include <gtest/gtest.h>

#include <vector>

#include "arrays/array_inputs.h"
#include "styles/tick.h"
#include "support/host_fixture.h"

namespace {

using namespace vxtest;
using datatypes::Tick;
using gui_objects::QxArrayPtr;

struct ToTickCase {
    std::vector<double> ticks;
    const char* id; // null: converted
};
void PrintTo(const ToTickCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.ticks) << " -> " << (c.id ? c.id : "ticks"); }

class VectorToTick : public HostTest, public ::testing::WithParamInterface<ToTickCase> {};

TEST_P(VectorToTick, BuildsARowOrThrowsTheValidatorsError)
{
    const ToTickCase& c = GetParam();
    if (c.id) {
        try {
            datatypes::convertVectorToTickData(c.ticks);
            FAIL() << "converted";
        } catch (const datatypes::ArrayBase::InvalidArrayException& e) {
            EXPECT_EQ(e.id, c.id);
        }
        return;
    }
    Tick tick = datatypes::convertVectorToTickData(c.ticks);
    EXPECT_EQ(tick.getPtr() ? describeShape(tick.getPtr()) : "none", c.ticks.empty() ? "none" : "double 1x" + std::to_string(c.ticks.size()));
    EXPECT_EQ(datatypes::convertTickDataToVector(tick), c.ticks);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, VectorToTick,
    ::testing::Values(ToTickCase{{}, nullptr}, ToTickCase{{5}, nullptr}, ToTickCase{{-Inf, 0, 0.5, Inf}, nullptr},
                      ToTickCase{{3, 2, 1}, "KELDAR:VX:VerticalVectorDimensions_N"},
                      ToTickCase{{0, NaN}, "KELDAR:VX:VerticalVectorDimensions_N"}));

struct ToVectorCase {
    Input input;
    std::vector<double> ticks;
};
void PrintTo(const ToVectorCase& c, std::ostream* os) { *os << c.input; }

class TickToVector : public HostTest, public ::testing::WithParamInterface<ToVectorCase> {};

TEST_P(TickToVector, WidensSinglesAndIgnoresOtherClasses)
{
    QxArrayPtr a(GetParam().input.make());
    Tick tick(a.get());
    EXPECT_EQ(datatypes::convertTickDataToVector(tick), GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TickToVector,
    ::testing::Values(ToVectorCase{row({0.5, 1}).as(qxSINGLE_CLASS), {0.5, 1}},
                      ToVectorCase{col({-1, 2.25, 7}), {-1, 2.25, 7}}, ToVectorCase{nullArray(), {}},
                      ToVectorCase{mat(0, 0).as(qxINT32_CLASS), {}}));

} // namespace
