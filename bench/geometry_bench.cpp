// Small conversions of geometry and colors: each should cost tens of
// nanoseconds (a 1x2 point, a position, an abbreviated color name).
#include <benchmark/benchmark.h>

#include "color/color.h"
#include "geometry/units.h"
#include "support/host_fixture.h"

namespace {

void hostOnce()
{
    static bool done = (vxtest::initializeHost(), true);
    (void)done;
}

void fromArray(benchmark::State& state, const char* type, qxArray* a)
{
    hostOnce();
    nyro::COSTypeConversion* mc = vxtest::conversion("any", type);
    nyro::COSDataType* t = vxtest::type(type);
    for (auto _ : state) {
        nyro::COSValue v = mc->from(nyro::COSValue::fromPointer(a));
        benchmark::DoNotOptimize(v);
        t->destroy(v);
    }
    qxDestroyArray(a);
}

void Point2FromDoubleRow(benchmark::State& state)
{
    fromArray(state, "Point2", vxtest::rowVector({1.7, 2.9}));
}
BENCHMARK(Point2FromDoubleRow);

void PositionFromDoubleRow(benchmark::State& state)
{
    fromArray(state, "Position", vxtest::rowVector({10, 20, 300, 200}));
}
BENCHMARK(PositionFromDoubleRow);

void BoundingVolumeFromInt32(benchmark::State& state)
{
    qxArray* a = qxCreateNumericMatrix(2, 3, qxINT32_CLASS, qxREAL);
    auto* d = static_cast<std::int32_t*>(qxGetData(a));
    for (int i = 0; i < 6; ++i)
        d[i] = i;
    fromArray(state, "BoundingVolume", a);
}
BENCHMARK(BoundingVolumeFromInt32);

void ColorNameAbbreviated(benchmark::State& state)
{
    const datatypes::ColorNameTable& table = datatypes::ColorNameTable::getInstance();
    for (auto _ : state)
        benchmark::DoNotOptimize(table.getColorValue("Blu"));
}
BENCHMARK(ColorNameAbbreviated);

void ColorFromNumbers(benchmark::State& state)
{
    datatypes::ColorBase c;
    for (auto _ : state) {
        c.setColorFromString("[0.2 0.4 0.6]");
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(ColorFromNumbers);

void ConvertInchesToNormalized(benchmark::State& state)
{
    datatypes::Position p(1, 2, 3, 4), frame(0, 0, 400, 300);
    vx::Pixel pixel(96);
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::convertPosition(pixel, vx::UnitCode::Inches, vx::UnitCode::Normalized, &p, &frame));
}
BENCHMARK(ConvertInchesToNormalized);

} // namespace
