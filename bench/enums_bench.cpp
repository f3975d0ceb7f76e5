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

// ---- matching a name, next to its floor ---------------------------------------------------
//
// What a converter asks the table (isValidEnumName, then getEnumValue for the
// same text) next to the least a matcher can do: one case-insensitive pass
// for an exact name, then one for a unique prefix, over the same names kept in
// a flat array. Read BM_EnumMatch as a multiple of BM_Floor_FlatMatch with the
// same arguments.
//
//   build/vx_bench --benchmark_filter='EnumMatch|Floor_FlatMatch' --benchmark_repetitions=9

namespace {

const char* const autoManualNames[] = {"auto", "manual"};
const char* const markerNames[] = {"none", "+", "o", "*", ".", "x", "square", "diamond", "v", "^", ">", "<",
                                   "pentagram", "hexagram"};

char lowerByte(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Whether `name` begins with `text` (folded), and whether they are equal.
bool beginsWithFolded(const char* name, const char* text, bool& equal)
{
    std::size_t i = 0;
    for (; text[i]; ++i)
        if (name[i] != lowerByte(text[i]))
            return false;
    equal = name[i] == '\0';
    return true;
}

// Exact name first, then the only name that begins with the text; -1 otherwise.
template <std::size_t N>
int flatMatch(const char* const (&names)[N], const char* text)
{
    bool equal = false;
    for (std::size_t i = 0; i < N; ++i)
        if (beginsWithFolded(names[i], text, equal) && equal)
            return int(i);
    int found = -1;
    for (std::size_t i = 0; i < N; ++i)
        if (beginsWithFolded(names[i], text, equal)) {
            if (found >= 0)
                return -1;
            found = int(i);
        }
    return found;
}

template <std::size_t N>
void floorFlatMatch(benchmark::State& state, const char* const (&names)[N], const char* text)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(flatMatch(names, text));
    }
}

void enumMatch(benchmark::State& state, const char* typeName, const char* text)
{
    static Host host;
    // The data type is its own name table.
    const auto& type = dynamic_cast<const datatypes::VXTypedEnumStringType&>(*vxtest::type(typeName));
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        int value = -1;
        if (type.isValidEnumName(text))
            value = type.getEnumValue(text);
        benchmark::DoNotOptimize(value);
    }
}

} // namespace

BENCHMARK_CAPTURE(floorFlatMatch, Floor_FlatMatch_2names_man, autoManualNames, "man");
BENCHMARK_CAPTURE(floorFlatMatch, Floor_FlatMatch_2names_MAN, autoManualNames, "MAN");
BENCHMARK_CAPTURE(floorFlatMatch, Floor_FlatMatch_14names_pen, markerNames, "pen");
BENCHMARK_CAPTURE(floorFlatMatch, Floor_FlatMatch_14names_Hexagram, markerNames, "Hexagram");
BENCHMARK_CAPTURE(enumMatch, EnumMatch_2names_man, "AutoManual", "man");
BENCHMARK_CAPTURE(enumMatch, EnumMatch_2names_MAN, "AutoManual", "MAN");
BENCHMARK_CAPTURE(enumMatch, EnumMatch_14names_pen, "MarkerStyle", "pen");
BENCHMARK_CAPTURE(enumMatch, EnumMatch_14names_Hexagram, "MarkerStyle", "Hexagram");
