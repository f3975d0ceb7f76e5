// Costs of the small text conversions: a style text, a style list set
// from "|"-separated text and read back, a UTF-16 string and a font name.
#include <benchmark/benchmark.h>

#include <string>

#include "gui_objects/gui_objects.h"
#include "gui_objects/style_text.h"
#include "support/host_fixture.h"

namespace {

using nyro::COSValue;

void BM_StyleText(benchmark::State& state)
{
    std::string colour, marker, lineStyle;
    for (auto _ : state) {
        bool ok = gui_objects::convert_from_string_utils::stringToColorMarkerLineStyle("--o", colour, marker, lineStyle);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_StyleText);

// Converts `array` to the type and destroys the value, per iteration.
void convertAndDestroy(benchmark::State& state, const char* typeName, qxArray* array)
{
    vxtest::initializeHost();
    gui_objects::QxArrayPtr input(array);
    nyro::COSTypeConversion* conversion = vxtest::conversion("any", typeName);
    nyro::COSDataType* type = vxtest::type(typeName);
    for (auto _ : state) {
        COSValue v = conversion->from(COSValue::fromPointer(input.get()));
        type->destroy(v);
    }
}

void BM_LineStylesFromBarText(benchmark::State& state) { convertAndDestroy(state, "NLineStyles", qxCreateString("-|--|:")); }
BENCHMARK(BM_LineStylesFromBarText);

void BM_UTF16StringFromRow(benchmark::State& state) { convertAndDestroy(state, "UTF16String", qxCreateString("hello")); }
BENCHMARK(BM_UTF16StringFromRow);

void BM_FontNameFromRow(benchmark::State& state) { convertAndDestroy(state, "FontName", qxCreateString("Helvetica")); }
BENCHMARK(BM_FontNameFromRow);

void BM_LineStylesToCharMatrix(benchmark::State& state)
{
    vxtest::initializeHost();
    gui_objects::QxArrayPtr input(qxCreateString("-|--|:"));
    nyro::COSTypeConversion* conversion = vxtest::conversion("any", "NLineStyles");
    COSValue v = conversion->from(COSValue::fromPointer(input.get()));
    for (auto _ : state)
        qxDestroyArray(nyro::pointerValue<qxArray*>(conversion->to(v)));
    vxtest::type("NLineStyles")->destroy(v);
}
BENCHMARK(BM_LineStylesToCharMatrix);

} // namespace
