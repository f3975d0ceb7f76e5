#include "frame/dispatch.h"

#include <gtest/gtest.h>

#include "arrays/array_inputs.h"

namespace {

// Sums the elements as doubles and remembers which class ran.
struct SumExecutor {
    double sum = 0;
    int ranClass = -1;
    int errorClass = -1;
    template <class Traits>
    void execute(const Traits&, const qxArray* a)
    {
        ranClass = Traits::classID;
        const auto* d = Traits::data(a);
        for (qxSize i = 0, n = qxGetNumberOfElements(a); i < n; ++i)
            sum += static_cast<double>(d[i]);
    }
    void onError(qxClassID id) { errorClass = id; }
};

struct DispatchCase {
    qxClassID cls;
    bool inNumeric, inNumericAndLogical, inFloating, inInteger;
};

class DispatchTest : public ::testing::TestWithParam<DispatchCase> {};

// Runs the list over the array and checks that it ran the array's class (the
// elements read at their own width, 1 + 1) or ended in onError.
template <class List>
void expectRan(const qxArray* a, bool listed)
{
    SumExecutor e;
    vx::TL::ArrayDispatcher<SumExecutor, List>::dispatch(a, e);
    EXPECT_EQ(e.ranClass, listed ? qxGetClassID(a) : -1);
    EXPECT_EQ(e.errorClass, listed ? -1 : qxGetClassID(a));
    EXPECT_EQ(e.sum, listed ? 2.0 : 0.0);
}

TEST_P(DispatchTest, EachListRunsItsClassesAndRejectsTheRest)
{
    const DispatchCase& c = GetParam();
    gui_objects::QxArrayPtr a(vxtest::row({1, 1}).as(c.cls).make());
    expectRan<vx::TL::AllNumeric>(a.get(), c.inNumeric);
    expectRan<vx::TL::AllNumericAndLogical>(a.get(), c.inNumericAndLogical);
    expectRan<vx::TL::FloatingOnly>(a.get(), c.inFloating);
    expectRan<vx::TL::IntegerOnly>(a.get(), c.inInteger);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, DispatchTest,
    ::testing::Values(DispatchCase{qxDOUBLE_CLASS, true, true, true, false},
                      DispatchCase{qxSINGLE_CLASS, true, true, true, false}, DispatchCase{qxINT8_CLASS, true, true, false, true},
                      DispatchCase{qxUINT8_CLASS, true, true, false, true}, DispatchCase{qxINT16_CLASS, true, true, false, true},
                      DispatchCase{qxUINT16_CLASS, true, true, false, true}, DispatchCase{qxINT32_CLASS, true, true, false, true},
                      DispatchCase{qxUINT32_CLASS, true, true, false, true}, DispatchCase{qxINT64_CLASS, true, true, false, true},
                      DispatchCase{qxUINT64_CLASS, true, true, false, true},
                      DispatchCase{qxLOGICAL_CLASS, false, true, false, false},
                      DispatchCase{qxCHAR_CLASS, false, false, false, false},
                      DispatchCase{qxCELL_CLASS, false, false, false, false}));

} // namespace
