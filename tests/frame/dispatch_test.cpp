#include "frame/dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// A 1x2 array of the class holding 1 and 2 (a char array for char).
qxArray* oneTwo(qxClassID cls)
{
    if (cls == qxCHAR_CLASS)
        return qxCreateString("ab");
    qxArray* a = qxCreateNumericMatrix(1, 2, cls, qxREAL);
    auto put = [a](auto zero) {
        auto* d = static_cast<decltype(zero)*>(qxGetData(a));
        d[0] = 1;
        d[1] = 2;
    };
    switch (qxGetElementSize(a)) {
    case 1: put(std::uint8_t()); break;
    case 2: put(std::uint16_t()); break;
    case 4: cls == qxSINGLE_CLASS ? put(float()) : put(std::uint32_t()); break;
    default: cls == qxDOUBLE_CLASS ? put(double()) : put(std::uint64_t()); break;
    }
    return a;
}

struct DispatchCase {
    qxClassID cls;
    bool inNumeric, inNumericAndLogical, inFloating, inInteger;
};

class DispatchTest : public ::testing::TestWithParam<DispatchCase> {};

template <class List>
SumExecutor run(const qxArray* a)
{
    SumExecutor e;
    vx::TL::ArrayDispatcher<SumExecutor, List>::dispatch(a, e);
    return e;
}

void expectRan(const SumExecutor& e, bool listed, qxClassID cls)
{
    EXPECT_EQ(e.ranClass, listed ? cls : -1);
    EXPECT_EQ(e.errorClass, listed ? -1 : cls);
    EXPECT_EQ(e.sum, listed ? 3.0 : 0.0);
}

TEST_P(DispatchTest, EachListRunsItsClassesAndRejectsTheRest)
{
    const DispatchCase& c = GetParam();
    qxArray* a = oneTwo(c.cls);
    expectRan(run<vx::TL::AllNumeric>(a), c.inNumeric, c.cls);
    expectRan(run<vx::TL::AllNumericAndLogical>(a), c.inNumericAndLogical, c.cls);
    expectRan(run<vx::TL::FloatingOnly>(a), c.inFloating, c.cls);
    expectRan(run<vx::TL::IntegerOnly>(a), c.inInteger, c.cls);
    qxDestroyArray(a);
}

INSTANTIATE_TEST_SUITE_P(Classes, DispatchTest,
                         ::testing::Values(DispatchCase{qxDOUBLE_CLASS, true, true, true, false},
                                           DispatchCase{qxSINGLE_CLASS, true, true, true, false},
                                           DispatchCase{qxINT8_CLASS, true, true, false, true},
                                           DispatchCase{qxUINT8_CLASS, true, true, false, true},
                                           DispatchCase{qxINT16_CLASS, true, true, false, true},
                                           DispatchCase{qxUINT16_CLASS, true, true, false, true},
                                           DispatchCase{qxINT32_CLASS, true, true, false, true},
                                           DispatchCase{qxUINT32_CLASS, true, true, false, true},
                                           DispatchCase{qxINT64_CLASS, true, true, false, true},
                                           DispatchCase{qxUINT64_CLASS, true, true, false, true},
                                           DispatchCase{qxLOGICAL_CLASS, false, true, false, false},
                                           DispatchCase{qxCHAR_CLASS, false, false, false, false}));

TEST(Dispatch, CellArrayEndsInOnError)
{
    qxArray* c = qxCreateCellMatrix(1, 1);
    SumExecutor e = run<vx::TL::AllNumericAndLogical>(c);
    EXPECT_EQ(e.errorClass, qxCELL_CLASS);
    qxDestroyArray(c);
}

} // namespace
