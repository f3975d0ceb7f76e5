// Heap allocations of the small conversions a property setter makes all the
// time: each may take only the blocks its value needs. Every allocation of the
// library and of the host arrays consults the utility heap's failure hooks, so
// the blocks are counted there: the smallest number of allocations that must
// succeed for the conversion to succeed. Every refused attempt must leave
// nothing behind.
#include <gtest/gtest.h>

#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace {

using nyro::COSValue;

struct SmallFrom {
    const char* name;
    const char* type;
    qxArray* (*make)();
    int allocations; // the value's own blocks, plus any text the host array library makes
};

// Limits: the value and the header of the shared-data copy it keeps; texts:
// the value only (a short text is read in place); Position: the value only.
const SmallFrom rows[] = {
    {"Limits_0_10", "Limits", [] { return vxtest::rowVector({0, 10}); }, 2},
    {"AutoManual_man", "AutoManual", [] { return qxCreateString("man"); }, 1},
    {"RGBAColor_r", "RGBAColor", [] { return qxCreateString("r"); }, 1},
    {"Position", "Position", [] { return vxtest::rowVector({10, 20, 300, 200}); }, 1},
};

class Allocations : public vxtest::HostTest, public ::testing::WithParamInterface<SmallFrom> {};

TEST_P(Allocations, TakesOnlyTheBlocksTheValueNeeds)
{
    const SmallFrom& row = GetParam();
    gui_objects::QxArrayPtr array(row.make());
    qxSetArrayScope(array.get(), 2);
    nyro::COSTypeConversion* mc = vxtest::conversion("any", row.type);
    nyro::COSDataType* type = vxtest::type(row.type);
    const auto from = [&] { return mc->from(COSValue::fromPointer(array.get())); };
    type->destroy(from()); // first use builds what the type keeps for good

    const long liveBefore = ut::test::liveBlocks();
    const qxSize temporariesBefore = qxCountTemporaries();
    int utility = -1;
    for (int allowed = 0; allowed <= 8 && utility < 0; ++allowed) {
        ut::test::AllocationFailure failure(1, unsigned(allowed));
        COSValue made;
        bool refused = false;
        try {
            made = from();
            refused = made.isNull(); // a value without storage may come back as no value
        } catch (...) {
            refused = true;
        }
        if (!refused) {
            utility = allowed;
            type->destroy(made);
        }
        EXPECT_EQ(ut::test::liveBlocks(), liveBefore) << "after " << allowed << " allocations allowed";
        EXPECT_EQ(qxCountTemporaries(), temporariesBefore) << "after " << allowed << " allocations allowed";
    }
    ASSERT_GE(utility, 0) << "never converted";
    EXPECT_EQ(utility, row.allocations);
}

INSTANTIATE_TEST_SUITE_P(SmallConversions, Allocations, ::testing::ValuesIn(rows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
