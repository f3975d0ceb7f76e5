// Heap allocations of the small conversions a property setter makes all the
// time: each may take only the blocks its value needs. Blocks of the utility
// heap are counted through its failure hooks (the smallest number of
// allocations that must succeed for the conversion to succeed); blocks taken
// with `new` (host array headers) are counted by the operator new of this
// test program. Every refused attempt must leave nothing behind.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"
#include "ut/ut.h"

namespace {
std::atomic<long> newCalls{0};
} // namespace

// Counting replacements for the whole test program; they only count. Kept
// out of line, so that callers see the pairing of new and delete, not malloc
// and free.
__attribute__((noinline)) void* operator new(std::size_t size)
{
    newCalls.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using nyro::COSValue;

struct SmallFrom {
    const char* name;
    const char* type;
    qxArray* (*make)();
    int allocations; // the value's own blocks, plus any text the host array library makes
};

// Allocations: the value and the header of the shared-data copy it keeps.
qxArray* limits() { return vxtest::rowVector({0, 10}); }
// The C string made of the char array, and the value.
qxArray* manual() { return qxCreateString("man"); }
qxArray* red() { return qxCreateString("r"); }
// The value only.
qxArray* position() { return vxtest::rowVector({10, 20, 300, 200}); }

const SmallFrom rows[] = {
    {"Limits_0_10", "Limits", limits, 2},
    {"AutoManual_man", "AutoManual", manual, 2},
    {"RGBAColor_r", "RGBAColor", red, 2},
    {"Position", "Position", position, 1},
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

    const long newBefore = newCalls.load();
    COSValue v = from();
    const long withNew = newCalls.load() - newBefore;
    type->destroy(v);

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
    EXPECT_EQ(withNew + utility, row.allocations) << withNew << " with new, " << utility << " from the utility heap";
}

INSTANTIATE_TEST_SUITE_P(SmallConversions, Allocations, ::testing::ValuesIn(rows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
