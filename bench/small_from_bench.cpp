// The small conversions a property setter makes all the time, next to their
// floor measured in the same program: one malloc+free of a value-sized block.
// A small `from` cannot cost less than the allocations its value needs; read
// each row as a multiple of BM_Floor_MallocFree.
//
//   build/vx_bench --benchmark_filter='Floor_MallocFree|SmallFrom' --benchmark_repetitions=9
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "support/host_fixture.h"

namespace {

using nyro::COSValue;

void hostOnce()
{
    static bool done = (vxtest::initializeHost(), true);
    (void)done;
}

// The floor: a block the size of a small value, taken and given back.
void BM_Floor_MallocFree(benchmark::State& state)
{
    for (auto _ : state) {
        void* p = std::malloc(48);
        benchmark::DoNotOptimize(p);
        std::free(p);
    }
}
BENCHMARK(BM_Floor_MallocFree);

// A value made from `a` by the type's array converter and destroyed again, as
// the object system does when it replaces a property's value.
void smallFrom(benchmark::State& state, const char* type, qxArray* a)
{
    hostOnce();
    qxSetArrayScope(a, 2);
    nyro::COSTypeConversion* mc = vxtest::conversion("any", type);
    nyro::COSDataType* t = vxtest::type(type);
    for (auto _ : state) {
        COSValue v = mc->from(COSValue::fromPointer(a));
        benchmark::DoNotOptimize(v);
        t->destroy(v);
    }
    qxDestroyArray(a);
}

void BM_SmallFrom_Limits_0_10(benchmark::State& state) { smallFrom(state, "Limits", vxtest::rowVector({0, 10})); }
BENCHMARK(BM_SmallFrom_Limits_0_10);

void BM_SmallFrom_AutoManual_man(benchmark::State& state) { smallFrom(state, "AutoManual", qxCreateString("man")); }
BENCHMARK(BM_SmallFrom_AutoManual_man);

void BM_SmallFrom_RGBAColor_r(benchmark::State& state) { smallFrom(state, "RGBAColor", qxCreateString("r")); }
BENCHMARK(BM_SmallFrom_RGBAColor_r);

void BM_SmallFrom_Position(benchmark::State& state)
{
    smallFrom(state, "Position", vxtest::rowVector({10, 20, 300, 200}));
}
BENCHMARK(BM_SmallFrom_Position);

} // namespace
