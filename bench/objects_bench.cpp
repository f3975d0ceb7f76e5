// Numeric handles and object reference properties: the conversions a property
// access of a graphics object makes.
#include <benchmark/benchmark.h>

#include "gui_objects/gui_objects.h"
#include "support/object_classes.h"

namespace {

struct Setup {
    nyro::COSInterfacePtr line;
    double handle;
    Setup()
    {
        vxtest::initializeHost();
        vxtest::defineTestClasses();
        line = vxtest::make("vx.Line");
        handle = line->getDoubleHandle();
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

void BM_ObjectOfHandle(benchmark::State& state)
{
    setup(); // the host and the library first
    nyro::COSTypeConversion* c = vxtest::conversion("double", "COSInterface");
    nyro::COSValue h = nyro::COSValue::fromDouble(setup().handle);
    for (auto _ : state) {
        nyro::COSValue v = c->from(h);
        nyro::pointerValue<nyro::COSInterface*>(v)->releaseReference();
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_ObjectOfHandle);

void BM_COSInterfaceFromHandleArray(benchmark::State& state)
{
    setup(); // the host and the library first
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "COSInterface");
    nyro::COSDataType* type = vxtest::type("COSInterface");
    gui_objects::QxArrayPtr a(qxCreateDoubleScalar(setup().handle));
    for (auto _ : state) {
        nyro::COSValue v = mc->from(nyro::COSValue::fromPointer(a.get()));
        type->destroy(v);
    }
}
BENCHMARK(BM_COSInterfaceFromHandleArray);

void BM_HandleOrEmptyCopy(benchmark::State& state)
{
    setup(); // the host and the library first
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "HandleOrEmpty");
    nyro::COSDataType* type = vxtest::type("HandleOrEmpty");
    gui_objects::QxArrayPtr a(omCreateNYROScalar(setup().line.get()));
    nyro::COSValue v = mc->from(nyro::COSValue::fromPointer(a.get()));
    for (auto _ : state)
        type->destroy(type->copy(v));
    type->destroy(v);
}
BENCHMARK(BM_HandleOrEmptyCopy);

} // namespace
