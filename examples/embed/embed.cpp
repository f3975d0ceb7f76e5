// A host that embeds the property library: it starts the library, declares a
// class whose properties are typed by the library's registered types, and sets,
// reads and compares values. Arrays, values and texts free themselves; every
// refusal arrives as vxdatatypes::Error with the library's identifier.
//
// Exit status 0 when every step behaved as shown, 1 otherwise.
#include <cstdio>
#include <string>

#include <vxdatatypes/vxdatatypes.h>

#include "nyro/object_model.h"

namespace {

int failures = 0;

void check(bool ok, const char* what)
{
    std::printf("  %s %s\n", ok ? "ok  " : "FAIL", what);
    failures += !ok;
}

} // namespace

int main()
{
    using vxdatatypes::Array;
    using vxdatatypes::Type;
    using vxdatatypes::Value;
    try {
        // 1. The host's own types, then the library's entry point.
        vxdatatypes::initialize();
        const Type limits("Limits");
        const Type scale("AxisScale");

        // 2. A class with typed properties: any registered type name will do.
        nyro::COSClass* gauge = nyro::COSClass::define("demo.Gauge");
        nyro::COSPropInfo* range = gauge->addProperty("Range", "Limits");
        nyro::COSPropInfo* axis = gauge->addProperty("Scale", "AxisScale");
        gauge->addProperty("Visible", "on/off");
        nyro::COSInterfacePtr g = nyro::COSInterface::create(gauge);
        auto get = [&](nyro::COSPropInfo* p, const Type& t) { return t.copyOf(p->getValue(g.get())); };
        std::printf("a demo.Gauge: %s, %s\n", get(range, limits).display().c_str(), get(axis, scale).display().c_str());

        // 3. Setting: the library validates and converts host arrays and text.
        range->setValue(g.get(), limits.fromText("[0 100]").get());
        axis->setValue(g.get(), scale.fromArray(Array::text("lo")).get());
        std::printf("after set: %s, %s\n", get(range, limits).display().c_str(), get(axis, scale).display().c_str());
        check(get(axis, scale).toText() == "log", "an abbreviated name is completed");

        // 4. A refused value raises the library's error and changes nothing.
        try {
            range->setValue(g.get(), limits.fromArray(Array::row({5, 1})).get());
            check(false, "decreasing limits are refused");
        } catch (const vxdatatypes::Error& e) {
            std::printf("refused: %s\n  %s\n", e.id().c_str(), e.what());
            check(e.id() == "KELDAR:VX:TwoValuesIncreasingValidate", "the library's identifier");
        }
        check(get(range, limits).toText() == "[0 100]", "the refused set left the value");

        // 5. Reading back: a host array the caller owns.
        Array back = get(range, limits).toArray();
        check(back.numbers() == std::vector<double>{0, 100}, "get returns [0 100]");

        // 6. Comparing values through the type; copies are values of their own.
        Value a = limits.fromArray(back);
        Value b = a;
        check(a == b && a.compare(b) == 0, "a value and its copy compare equal");
        check(a == get(range, limits), "the stored value equals the one set");
        check(!(a == limits.defaultValue()), "it differs from the default");
    } catch (const vxdatatypes::Error& e) {
        std::printf("error [%s]: %s\n", e.id().c_str(), e.what());
        return 1;
    }
    std::printf("%s\n", failures ? "some steps failed" : "every step behaved");
    return failures ? 1 : 0;
}
