// A host that embeds the property library: it loads libvxdatatypes.so as a
// shared object, runs its entry point, declares a class whose properties are
// typed by the library's registered types, and sets, reads and compares values
// through the type repository.
//
//     build/vx_embed build/libvxdatatypes.so
//
// Exit status 0 when every step behaved as shown, 1 otherwise.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "gui_objects/gui_objects.h"
#include "javabridge/javabridge.h"
#include "nyro/object_model.h"
#include "qx/qx.h"

namespace {

using gui_objects::QxArrayPtr;
using nyro::COSNameID;
using nyro::COSValue;

int failures = 0;

void check(bool ok, const char* what)
{
    std::printf("  %s %s\n", ok ? "ok  " : "FAIL", what);
    failures += !ok;
}

QxArrayPtr row(std::initializer_list<double> values)
{
    QxArrayPtr a(qxCreateDoubleMatrix(1, values.size(), qxREAL));
    double* d = qxGetPr(a.get());
    for (double v : values)
        *d++ = v;
    return a;
}

// The text a type's string converter gives for a value (the repository's
// rule says whether the text is a copy to release).
std::string textOf(const char* type, COSValue v)
{
    nyro::COSTypeConversion* sc = nyro::COSTypeRepository::getConversion(COSNameID("string"), COSNameID(type));
    COSValue t = sc->to(v);
    std::string out = t.isNull() ? "(none)" : nyro::pointerValue<const char*>(t);
    nyro::COSTypeRepository::releaseReturnedText(COSNameID(type), t);
    return out;
}

void demo();

} // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "libvxdatatypes.so";
    // 1. The host's own types, then the library and its entry point.
    nyro::installHostTypes();
    javabridge::install();
    void* library = dlopen(path, RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        return 1;
    }
    auto initialize = reinterpret_cast<void (*)()>(dlsym(library, "KDInitialize_vxdatatypes"));
    if (!initialize)
        return 1;
    initialize();
    demo();
    // What the calls left among the host's temporaries.
    qxReclaimTemporaries();
    std::printf("%s\n", failures ? "some steps failed" : "every step behaved");
    return failures ? 1 : 0;
}

namespace {

// Arrays made here are temporaries the demo owns and frees itself.
void demo()
{
    // 2. A class with typed properties: any registered type name will do.
    nyro::COSClass* gauge = nyro::COSClass::define("demo.Gauge");
    nyro::COSPropInfo* range = gauge->addProperty("Range", "Limits");
    nyro::COSPropInfo* scale = gauge->addProperty("Scale", "AxisScale");
    gauge->addProperty("Visible", "on/off");
    nyro::COSInterfacePtr g = nyro::COSInterface::create(gauge);
    std::printf("a demo.Gauge: Range %s, Scale %s\n", textOf("Limits", range->getValue(g.get())).c_str(),
                textOf("AxisScale", scale->getValue(g.get())).c_str());

    // 3. Setting from host arrays: the library validates and converts.
    QxArrayPtr limits = row({0, 100});
    range->setFromArray(g.get(), limits.get());
    QxArrayPtr log(qxCreateString("lo"));
    scale->setFromArray(g.get(), log.get());
    std::printf("after set: Range %s, Scale %s\n", textOf("Limits", range->getValue(g.get())).c_str(),
                textOf("AxisScale", scale->getValue(g.get())).c_str());
    check(textOf("AxisScale", scale->getValue(g.get())) == "log", "an abbreviated name is completed");

    // 4. A refused value raises the library's error and changes nothing.
    QxArrayPtr backwards = row({5, 1});
    try {
        range->setFromArray(g.get(), backwards.get());
        check(false, "decreasing limits are refused");
    } catch (const Quillmark::System::IUserException& e) {
        std::printf("refused: %s\n  %s\n", e.GetID(), e.GetMessageTxt());
        check(std::string(e.GetID()) == "KELDAR:VX:TwoValuesIncreasingValidate", "the library's identifier");
    }
    check(textOf("Limits", range->getValue(g.get())) == "[0 100]", "the refused set left the value");

    // 5. Reading back: a host array the caller owns.
    QxArrayPtr back(g->getAsArray("Range"));
    check(qxGetNumberOfElements(back.get()) == 2 && qxGetPr(back.get())[1] == 100, "get returns [0 100]");

    // 6. Comparing two values through the type.
    nyro::COSDataType* limitsType = range->getDataType();
    nyro::COSTypeConversion* mc = nyro::COSTypeRepository::getConversion(COSNameID("any"), COSNameID("Limits"));
    COSValue a = mc->from(COSValue::fromPointer(limits.get()));
    COSValue b = mc->from(COSValue::fromPointer(back.get()));
    check(limitsType->isEqual(a, b) && limitsType->compare(a, b) == 0, "equal values compare 0");
    check(limitsType->isEqual(a, range->getValue(g.get())), "the stored value equals the one set");
    limitsType->destroy(a);
    limitsType->destroy(b);

}

} // namespace
