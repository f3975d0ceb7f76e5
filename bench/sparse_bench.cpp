// Sparse input refused by a type whose every form refuses sparse arrays: the
// cost follows the stored elements, not the size. A 1 x n sparse row with three
// non-zeros is refused by VectorData for n = 1e4, 1e6 and 1e8, next to the
// floors measured here: a malloc and free of one small block, and a plain read
// of the array's stored elements. The ratios (refusal / floor) are the counters
// "x_malloc" and "x_read"; they stay flat as n grows.
//
//   build/vx_bench --benchmark_filter=Sparse
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"

namespace {

using gui_objects::QxArrayPtr;
using nyro::COSValue;

// 1 x n, non-zeros in the first, middle and last columns.
QxArrayPtr sparseRow(qxSize n)
{
    QxArrayPtr a(qxCreateSparse(1, n, 3, qxREAL));
    const qxSize columns[3] = {0, n / 2, n - 1};
    qxSize* jc = qxGetJc(a.get());
    for (qxSize k = 0; k < 3; ++k) {
        qxGetPr(a.get())[k] = double(k + 1);
        qxGetIr(a.get())[k] = 0;
    }
    for (qxSize j = 0, k = 0; j < n; ++j) {
        if (k < 3 && columns[k] == j)
            ++k;
        jc[j + 1] = k;
    }
    qxSetArrayScope(a.get(), 2);
    return a;
}

// The floors, in nanoseconds, measured once per process.
double timeOf(void (*work)(), int repeat)
{
    benchmark::ClobberMemory();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeat; ++i)
        work();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / repeat;
}

void mallocFree()
{
    void* p = std::malloc(64);
    benchmark::DoNotOptimize(p);
    std::free(p);
}

const qxArray* readTarget = nullptr;
void readStored()
{
    // What any look at the array costs: its class, size, flags and stored elements.
    const qxArray* a = readTarget;
    double sum = double(qxGetM(a)) + double(qxGetN(a)) + double(qxIsSparse(a)) + double(qxIsComplex(a));
    const qxSize stored = qxGetJc(a)[qxGetN(a)];
    for (qxSize k = 0; k < stored; ++k)
        sum += qxGetPr(a)[k];
    benchmark::DoNotOptimize(sum);
}

void BM_SparseRowRefusedByVectorData(benchmark::State& state)
{
    vxtest::initializeHost();
    QxArrayPtr a = sparseRow(qxSize(state.range(0)));
    readTarget = a.get();
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "VectorData");
    for (auto _ : state) {
        try {
            COSValue v = mc->from(COSValue::fromPointer(a.get()));
            benchmark::DoNotOptimize(v);
            state.SkipWithError("the sparse row was accepted");
            break;
        } catch (const Quillmark::System::IUserException& e) {
            benchmark::DoNotOptimize(e.GetID());
        }
    }
    const double mallocFloor = timeOf(mallocFree, 100000);
    const double readFloor = timeOf(readStored, 100000);
    state.counters["floor_malloc_ns"] = mallocFloor;
    state.counters["floor_read_ns"] = readFloor;
    // Time per refusal over each floor: an inverted iteration-invariant rate of
    // the floor in seconds is exactly that quotient.
    const auto ratio = benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert;
    state.counters["x_malloc"] = benchmark::Counter(mallocFloor * 1e-9, ratio);
    state.counters["x_read"] = benchmark::Counter(readFloor * 1e-9, ratio);
    qxReclaimTemporaries();
}
BENCHMARK(BM_SparseRowRefusedByVectorData)->Arg(10'000)->Arg(1'000'000)->Arg(100'000'000)->Unit(benchmark::kMicrosecond);

} // namespace
