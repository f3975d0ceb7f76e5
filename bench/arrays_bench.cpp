// Costs of the array-valued property types: storing and copying values (no
// element is copied, whatever the size), validation scans next to a plain read
// of the same array, equality of large arrays, and a small Limits conversion.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "arrays/array_types.h"
#include "styles/tick.h"
#include "support/host_fixture.h"

namespace {

using gui_objects::QxArrayPtr;
using nyro::COSValue;

COSValue slot(const void* p) { return COSValue::fromPointer(p); }

QxArrayPtr filledDoubles(qxSize m, qxSize n, double (*f)(qxSize))
{
    QxArrayPtr a(qxCreateDoubleMatrix(m, n, qxREAL));
    double* d = qxGetPr(a.get());
    for (qxSize k = 0, e = m * n; k < e; ++k)
        d[k] = f(k);
    qxSetArrayScope(a.get(), 2);
    return a;
}

double faceIndex(qxSize k) { return double(k % 1000 + 1); }
double colorLevel(qxSize k) { return double(k % 256) / 255.0; }

void setElementCounters(benchmark::State& state, qxSize elements, qxSize bytesPerElement)
{
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(elements));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(elements * bytesPerElement));
    state.counters["ns_per_element"] =
        benchmark::Counter(double(elements) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// ---- storing and copying -------------------------------------------------------------

// NumericMatrix looks at the class only, so this is the cost of storing.
void BM_StoreNumericMatrix(benchmark::State& state)
{
    vxtest::initializeHost();
    QxArrayPtr a = filledDoubles(1, qxSize(state.range(0)), faceIndex);
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "NumericMatrix");
    nyro::COSDataType* type = vxtest::type("NumericMatrix");
    for (auto _ : state) {
        COSValue v = mc->from(slot(a.get()));
        benchmark::DoNotOptimize(v);
        type->destroy(v);
    }
}
BENCHMARK(BM_StoreNumericMatrix)->Arg(10)->Arg(10'000'000);

void BM_CopyNumericMatrixValue(benchmark::State& state)
{
    vxtest::initializeHost();
    QxArrayPtr a = filledDoubles(1, qxSize(state.range(0)), faceIndex);
    nyro::COSDataType* type = vxtest::type("NumericMatrix");
    COSValue v = vxtest::conversion("any", "NumericMatrix")->from(slot(a.get()));
    for (auto _ : state) {
        COSValue c = type->copy(v);
        benchmark::DoNotOptimize(c);
        type->destroy(c);
    }
    type->destroy(v);
}
BENCHMARK(BM_CopyNumericMatrixValue)->Arg(10)->Arg(10'000'000);

// ---- validation scans next to a plain read -----------------------------------------------

// A plain read of every element with the least work a scan can do (is any
// element negative?), compiled as the library's scans are: vectorised, with an
// AVX2 clone where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
bool anyNegative(const double* d, qxSize n)
{
    double seen = 0;
    for (qxSize k = 0; k < n; ++k)
        seen = d[k] < 0 ? 1.0 : seen;
    return seen != 0;
}

void BM_PlainRead(benchmark::State& state)
{
    const qxSize n = qxSize(state.range(0));
    QxArrayPtr a = filledDoubles(n, 1, faceIndex);
    const double* d = qxGetPr(a.get());
    for (auto _ : state) {
        bool negative = anyNegative(d, n);
        benchmark::DoNotOptimize(negative);
    }
    setElementCounters(state, n, sizeof(double));
}
BENCHMARK(BM_PlainRead)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_ValidatePatchFaces(benchmark::State& state)
{
    vxtest::initializeHost();
    const qxSize n = qxSize(state.range(0));
    QxArrayPtr a = filledDoubles(n / 3, 3, faceIndex);
    for (auto _ : state) {
        bool ok = datatypes::PatchFaces::isPatchFaces(a.get(), nullptr);
        if (!ok)
            state.SkipWithError("faces refused");
        benchmark::DoNotOptimize(ok);
    }
    setElementCounters(state, n / 3 * 3, sizeof(double));
}
BENCHMARK(BM_ValidatePatchFaces)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_ValidateNormalizedColorMap(benchmark::State& state)
{
    vxtest::initializeHost();
    const qxSize rows = qxSize(state.range(0)) / 3;
    QxArrayPtr a = filledDoubles(rows, 3, colorLevel);
    for (auto _ : state) {
        bool ok = datatypes::ColorMap::isNormalizedColorMap(a.get(), nullptr);
        if (!ok)
            state.SkipWithError("map refused");
        benchmark::DoNotOptimize(ok);
    }
    setElementCounters(state, rows * 3, sizeof(double));
}
BENCHMARK(BM_ValidateNormalizedColorMap)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// Whole-array rules: tick positions must be strictly increasing, normalized
// colors NaN or within [0, 1]. Read the full scans as multiples of
// BM_PlainRead; a refusal at the second element must cost next to nothing
// (well under 1% of the full scan), however long the array.
double tickPosition(qxSize k) { return double(k); }
double refusedAtSecond(qxSize k) { return k == 1 ? -1.0 : colorLevel(k); }
double tickRefusedAtSecond(qxSize k) { return k == 1 ? -1.0 : double(k); }

void scanWith(benchmark::State& state, bool expected, bool (*validator)(const qxArray*, datatypes::ErrorMessage*),
              qxSize rows, qxSize cols, double (*f)(qxSize))
{
    vxtest::initializeHost();
    QxArrayPtr a = filledDoubles(rows, cols, f);
    for (auto _ : state) {
        bool ok = validator(a.get(), nullptr);
        if (ok != expected)
            state.SkipWithError("unexpected verdict");
        benchmark::DoNotOptimize(ok);
    }
    setElementCounters(state, rows * cols, sizeof(double));
}

void BM_ValidateTick(benchmark::State& state)
{
    scanWith(state, true, datatypes::Tick::isHorizontalVector, 1, qxSize(state.range(0)), tickPosition);
}
BENCHMARK(BM_ValidateTick)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_RefuseTickAtSecond(benchmark::State& state)
{
    scanWith(state, false, datatypes::Tick::isHorizontalVector, 1, qxSize(state.range(0)), tickRefusedAtSecond);
}
BENCHMARK(BM_RefuseTickAtSecond)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

void BM_ValidateNColor(benchmark::State& state)
{
    scanWith(state, true, datatypes::NColorPtr::isNColor, qxSize(state.range(0)) / 3, 3, colorLevel);
}
BENCHMARK(BM_ValidateNColor)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_RefuseNColorAtSecond(benchmark::State& state)
{
    scanWith(state, false, datatypes::NColorPtr::isNColor, qxSize(state.range(0)) / 3, 3, refusedAtSecond);
}
BENCHMARK(BM_RefuseNColorAtSecond)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

// Whole conversion of a large table (storage plus scan).
void BM_ConvertColorMap(benchmark::State& state)
{
    vxtest::initializeHost();
    const qxSize rows = qxSize(state.range(0)) / 3;
    QxArrayPtr a = filledDoubles(rows, 3, colorLevel);
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "ColorMap");
    nyro::COSDataType* type = vxtest::type("ColorMap");
    for (auto _ : state) {
        COSValue v = mc->from(slot(a.get()));
        benchmark::DoNotOptimize(v);
        type->destroy(v);
    }
    setElementCounters(state, rows * 3, sizeof(double));
}
BENCHMARK(BM_ConvertColorMap)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// ---- equality --------------------------------------------------------------------------------

// Two values holding equal arrays: compared up to 32000 elements, never beyond.
void BM_EqualPatchVertices(benchmark::State& state)
{
    vxtest::initializeHost();
    const qxSize rows = qxSize(state.range(0)) / 3;
    QxArrayPtr a = filledDoubles(rows, 3, colorLevel), b = filledDoubles(rows, 3, colorLevel);
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "PatchVertices");
    nyro::COSDataType* type = vxtest::type("PatchVertices");
    COSValue x = mc->from(slot(a.get())), y = mc->from(slot(b.get()));
    for (auto _ : state) {
        bool equal = type->isEqual(x, y);
        benchmark::DoNotOptimize(equal);
    }
    state.counters["equal"] = type->isEqual(x, y);
    type->destroy(x);
    type->destroy(y);
}
BENCHMARK(BM_EqualPatchVertices)->Arg(30'000)->Arg(10'000'000);

// ---- a small conversion ------------------------------------------------------------------------

void BM_ConvertLimits1x2(benchmark::State& state)
{
    vxtest::initializeHost();
    QxArrayPtr a(qxCreateDoubleMatrix(1, 2, qxREAL));
    qxGetPr(a.get())[1] = 10;
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "Limits");
    nyro::COSDataType* type = vxtest::type("Limits");
    for (auto _ : state) {
        COSValue v = mc->from(slot(a.get()));
        benchmark::DoNotOptimize(v);
        type->destroy(v);
    }
}
BENCHMARK(BM_ConvertLimits1x2);

void BM_ValidateLimits1x2(benchmark::State& state)
{
    vxtest::initializeHost();
    QxArrayPtr a(qxCreateDoubleMatrix(1, 2, qxREAL));
    qxGetPr(a.get())[1] = 10;
    for (auto _ : state) {
        bool ok = datatypes::Limits::isTwoValuesIncreasing(a.get(), nullptr);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_ValidateLimits1x2);

} // namespace
