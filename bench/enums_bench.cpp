// Setting an enumerated property: text or a char array in, a new value out
// (destroyed again in the loop, as the object system would replace it).
#include <benchmark/benchmark.h>

#include "enums/enum_types.h"
#include "support/host_fixture.h"

namespace {

struct Host {
    Host() { vxtest::initializeHost(); }
};

void fromArray(benchmark::State& state, const char* typeName, const char* text)
{
    static Host host;
    nyro::COSDataType* type = vxtest::type(typeName);
    nyro::COSTypeConversion* mc = vxtest::conversion("any", typeName);
    gui_objects::QxArrayPtr array(qxCreateString(text));
    for (auto _ : state) {
        nyro::COSValue v = mc->from(datatypes::slotOf(array.get()));
        benchmark::DoNotOptimize(v);
        type->destroy(v);
    }
}

void fromText(benchmark::State& state, const char* typeName, const char* text)
{
    static Host host;
    nyro::COSDataType* type = vxtest::type(typeName);
    nyro::COSTypeConversion* sc = vxtest::conversion("string", typeName);
    for (auto _ : state) {
        nyro::COSValue v = sc->from(datatypes::slotOf(text));
        benchmark::DoNotOptimize(v);
        type->destroy(v);
    }
}

void toArray(benchmark::State& state, const char* typeName, const char* text)
{
    static Host host;
    nyro::COSDataType* type = vxtest::type(typeName);
    nyro::COSTypeConversion* mc = vxtest::conversion("any", typeName);
    nyro::COSValue v = vxtest::conversion("string", typeName)->from(datatypes::slotOf(text));
    for (auto _ : state) {
        gui_objects::QxArrayPtr array(nyro::pointerValue<qxArray*>(mc->to(v)));
        benchmark::DoNotOptimize(array.get());
    }
    type->destroy(v);
}

} // namespace

BENCHMARK_CAPTURE(fromArray, AutoManual_MAN, "AutoManual", "MAN");
BENCHMARK_CAPTURE(fromArray, MarkerStyle_hexagram_h, "MarkerStyle", "h");
BENCHMARK_CAPTURE(fromText, AutoManual_manual, "AutoManual", "manual");
BENCHMARK_CAPTURE(fromText, UnitsWithData_coordinatespace, "UnitsWithData", "coordinatespace");
BENCHMARK_CAPTURE(toArray, AutoManual_manual, "AutoManual", "manual");
