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

qxArray* filled(qxClassID cls, std::initializer_list<int> values)
{
    qxArray* a = qxCreateNumericMatrix(1, values.size(), cls, qxREAL);
    qxSize i = 0;
    for (int v : values) {
        switch (cls) {
        case qxLOGICAL_CLASS: case qxUINT8_CLASS: static_cast<std::uint8_t*>(qxGetData(a))[i] = v; break;
        case qxINT8_CLASS: static_cast<std::int8_t*>(qxGetData(a))[i] = v; break;
        case qxINT16_CLASS: static_cast<std::int16_t*>(qxGetData(a))[i] = v; break;
        case qxUINT16_CLASS: static_cast<std::uint16_t*>(qxGetData(a))[i] = v; break;
        case qxINT32_CLASS: static_cast<std::int32_t*>(qxGetData(a))[i] = v; break;
        case qxUINT32_CLASS: static_cast<std::uint32_t*>(qxGetData(a))[i] = v; break;
        case qxINT64_CLASS: static_cast<std::int64_t*>(qxGetData(a))[i] = v; break;
        case qxUINT64_CLASS: static_cast<std::uint64_t*>(qxGetData(a))[i] = v; break;
        case qxSINGLE_CLASS: static_cast<float*>(qxGetData(a))[i] = v; break;
        default: qxGetPr(a)[i] = v; break;
        }
        ++i;
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
    if (listed) {
        EXPECT_EQ(e.ranClass, cls);
        EXPECT_EQ(e.sum, 3.0);
        EXPECT_EQ(e.errorClass, -1);
    } else {
        EXPECT_EQ(e.ranClass, -1);
        EXPECT_EQ(e.errorClass, cls);
    }
}

TEST_P(DispatchTest, EachListRunsItsClassesAndRejectsTheRest)
{
    const DispatchCase& c = GetParam();
    qxArray* a = c.cls == qxCHAR_CLASS ? qxCreateString("ab") : filled(c.cls, {1, 2});
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
