// Every converter of every registered type, fed with what a host can hand it:
// host arrays of every class (with and without data, sparse, complex, N-d,
// cells and structs of those, char arrays of arbitrary UTF-16 code units) and
// arbitrary texts; the host's scalar text conversions too. A value that comes
// out goes round the trip the object system makes with it: to an array and
// back, to text, to a Java object and back, copy, compare, destroy.
//
// A refusal must be a host error (or an exception of the object system or the
// parser that the host reports); anything else escaping, a crash, a leak or
// undefined behaviour is a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "color/color.h"
#include "frame/registry.h"
#include "gui_objects/gui_objects.h"
#include "javabridge/javabridge.h"
#include "nyro/nyro.h"
#include "objects/references.h"
#include "qx/element_class.h"
#include "qx/qx.h"

namespace {

using nyro::COSValue;

struct TypeEntry {
    nyro::COSDataType* type;
    std::string name;
    nyro::COSTypeConversion* array;
    nyro::COSTypeConversion* text;
    nyro::JavaTypeConversion* java;
};

// The registered property types (the host's own scalar types left out) and the
// host scalar types with text conversions, found once after the entry point.
struct Host {
    std::vector<TypeEntry> types;
    std::vector<std::pair<std::string, nyro::COSTypeConversion*>> scalars;
};

const Host& host()
{
    static const Host* h = [] {
        nyro::installHostTypes();
        javabridge::install();
        KDInitialize_vxdatatypes();
        auto* made = new Host;
        for (nyro::COSDataType* t : nyro::COSTypeRepository::globalTypes()) {
            nyro::COSNameID name(t->getName());
            if (auto* scalar = dynamic_cast<nyro::HostScalarType*>(t)) {
                if (auto* c = nyro::COSTypeRepository::getConversion(nyro::COSNameID("string"), name))
                    made->scalars.emplace_back(t->getName(), c);
                (void)scalar;
                continue;
            }
            made->types.push_back({t, t->getName(),
                                   nyro::COSTypeRepository::getConversion(nyro::COSNameID("any"), name),
                                   nyro::COSTypeRepository::getConversion(nyro::COSNameID("string"), name),
                                   nyro::JavaTypeConversion::getConversion(name)});
        }
        return made;
    }();
    return *h;
}

// ---- host arrays from bytes ---------------------------------------------------------

constexpr double interesting[] = {0.0, 1.0, -1.0, 0.5, 2.0, 3.0, 255.0, 256.0, 65535.0, 1e-300, 1e300, -1e300,
                                  9007199254740993.0, 4294967296.0, -0.0,
                                  std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity()};

double pickDouble(FuzzedDataProvider& in)
{
    if (in.ConsumeBool())
        return in.PickValueInArray(interesting);
    return in.ConsumeFloatingPoint<double>();
}

template <class T>
void fillNumbers(FuzzedDataProvider& in, void* data, qxSize n)
{
    auto* d = static_cast<T*>(data);
    for (qxSize i = 0; i < n && in.remaining_bytes() > 0; ++i) {
        if constexpr (std::is_floating_point_v<T>)
            d[i] = static_cast<T>(pickDouble(in));
        else
            d[i] = in.ConsumeIntegral<T>();
    }
}

void fillData(FuzzedDataProvider& in, qxClassID cls, void* data, qxSize n)
{
    if (!data)
        return;
    qx::visitElementClass(cls, [&](auto c) {
        using T = qx::ElementOf<decltype(c)>;
        if constexpr (decltype(c)::id == qxCHAR_CLASS) {
            // Mostly printable text, sometimes any code unit: NULs, unpaired surrogates.
            auto* d = static_cast<qxChar*>(data);
            for (qxSize i = 0; i < n && in.remaining_bytes() > 0; ++i)
                d[i] = in.ConsumeBool() ? static_cast<qxChar>(in.ConsumeIntegralInRange<int>(32, 126))
                                        : in.ConsumeIntegral<qxChar>();
        } else if constexpr (!std::is_void_v<T>) {
            fillNumbers<T>(in, data, n);
        }
    });
}

constexpr qxClassID numericClasses[] = {qxDOUBLE_CLASS, qxSINGLE_CLASS, qxINT8_CLASS,  qxUINT8_CLASS,
                                        qxINT16_CLASS,  qxUINT16_CLASS, qxINT32_CLASS, qxUINT32_CLASS,
                                        qxINT64_CLASS,  qxUINT64_CLASS, qxLOGICAL_CLASS, qxCHAR_CLASS};

// Dimensions: mostly small, rarely large (never more than a few hundred elements
// with data).
std::vector<qxSize> pickDims(FuzzedDataProvider& in, qxSize maxElements)
{
    const int ndim = in.ConsumeIntegralInRange<int>(1, 4);
    std::vector<qxSize> dims;
    qxSize total = 1;
    for (int k = 0; k < ndim; ++k) {
        qxSize d = in.ConsumeIntegralInRange<qxSize>(0, 5);
        if (total * std::max<qxSize>(d, 1) > maxElements)
            d = 1;
        total *= std::max<qxSize>(d, 1);
        dims.push_back(d);
    }
    return dims;
}

// A sparse double or logical matrix with a few stored elements, its row
// indices sorted within each column. Its full form is either small enough to
// make and write out (at most 1e4 x 100) or, for double ones with 1e9 rows,
// beyond what the host lets an array hold: what refuses sparse input must do so
// without making it full.
qxArray* makeSparse(FuzzedDataProvider& in)
{
    constexpr qxSize rows[] = {0, 1, 2, 3, 4, 100, 10000, 1000000000};
    constexpr qxSize cols[] = {0, 1, 2, 3, 4, 100};
    const bool logical = in.ConsumeBool(), complex = !logical && in.ConsumeBool();
    qxSize m = in.PickValueInArray(rows);
    if (logical)
        m = std::min<qxSize>(m, 10000);
    const qxSize n = in.ConsumeBool() ? in.PickValueInArray(cols) : 1;
    std::vector<std::pair<qxSize, qxSize>> entries; // column, row
    const int count = (m && n) ? in.ConsumeIntegralInRange<int>(0, 6) : 0;
    for (int k = 0; k < count; ++k)
        entries.emplace_back(in.ConsumeIntegralInRange<qxSize>(0, n - 1), in.ConsumeIntegralInRange<qxSize>(0, m - 1));
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    const qxSize columns = n;
    qxArray* a = logical ? qxCreateSparseLogicalMatrix(m, columns, entries.size())
                         : qxCreateSparse(m, columns, entries.size(), complex ? qxCOMPLEX : qxREAL);
    qxSize* ir = qxGetIr(a);
    qxSize* jc = qxGetJc(a);
    for (qxSize k = 0; k < entries.size(); ++k) {
        ir[k] = entries[k].second;
        ++jc[entries[k].first + 1];
    }
    for (qxSize j = 0; j < columns; ++j)
        jc[j + 1] += jc[j];
    fillData(in, logical ? qxLOGICAL_CLASS : qxDOUBLE_CLASS, qxGetData(a), entries.size());
    if (complex)
        fillData(in, qxDOUBLE_CLASS, qxGetImagData(a), entries.size());
    return a;
}

qxArray* makeArray(FuzzedDataProvider& in, int depth);

qxArray* makeContainer(FuzzedDataProvider& in, int depth, bool cell)
{
    std::vector<qxSize> dims = pickDims(in, 6);
    qxArray* a;
    if (cell) {
        a = qxCreateCellArray(dims.size(), dims.data());
        for (qxSize i = 0; i < qxGetNumberOfElements(a); ++i)
            if (in.ConsumeBool())
                qxSetCell(a, i, makeArray(in, depth + 1));
    } else {
        static const char* names[] = {"a", "b", "XData", "Color"};
        const int nfields = in.ConsumeIntegralInRange<int>(0, 3);
        a = qxCreateStructMatrix(dims[0], dims.size() > 1 ? dims[1] : 1, nfields, names);
        for (qxSize i = 0; i < qxGetNumberOfElements(a); ++i)
            for (int f = 0; f < nfields; ++f)
                if (in.ConsumeBool())
                    qxSetFieldByNumber(a, i, f, makeArray(in, depth + 1));
    }
    return a;
}

// Any host array; temporaries of the current call, as the host hands them.
qxArray* makeArray(FuzzedDataProvider& in, int depth)
{
    const int kind = in.ConsumeIntegralInRange<int>(0, 15);
    if (kind == 12)
        return makeSparse(in);
    if (kind == 13 && depth < 2)
        return makeContainer(in, depth, true);
    if (kind == 14 && depth < 2)
        return makeContainer(in, depth, false);
    if (kind == 15)
        return omCreateNYROEmpty("handle");
    const qxClassID cls = numericClasses[kind % 12];
    std::vector<qxSize> dims = pickDims(in, 256);
    const bool complex = cls != qxCHAR_CLASS && cls != qxLOGICAL_CLASS && in.ConsumeProbability<float>() < 0.15f;
    if (in.ConsumeProbability<float>() < 0.1f) {
        // Dimensions without data: an empty array given a size afterwards.
        qxSize none[2] = {0, 0};
        qxArray* a = qxCreateNumericArray(2, none, cls, qxREAL);
        qxSetDimensions(a, dims.data(), dims.size());
        return a;
    }
    qxArray* a = cls == qxCHAR_CLASS ? qxCreateCharArray(dims.size(), dims.data())
                                     : qxCreateNumericArray(dims.size(), dims.data(), cls, complex ? qxCOMPLEX : qxREAL);
    fillData(in, cls, qxGetData(a), qxGetNumberOfElements(a));
    if (complex)
        fillData(in, cls, qxGetImagData(a), qxGetNumberOfElements(a));
    return a;
}

// ---- the converters and the round trips --------------------------------------------

// Runs one call as the object system does: a refusal is a host error, an
// exception of the object system or the parser's exception.
template <class F>
bool call(F&& f)
{
    try {
        f();
        return true;
    } catch (const Quillmark::System::IException&) {
    } catch (const gui_objects::convert_from_string_utils::ParseException&) {
    }
    return false;
}

void releaseText(const TypeEntry& t, COSValue text)
{
    if (!text.isNull())
        nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID(t.name.c_str()), text);
}

void destroyValue(const TypeEntry& t, COSValue v)
{
    // A Java peer keeps its reference for as long as the Java side wants it; the
    // fuzzer is that side here.
    if (t.name == "JavaPeer" && !v.isNull())
        if (auto* peer = nyro::pointerValue<datatypes::JavaPeer*>(v))
            kdjDeleteGlobalRef(peer->get_jobject());
    t.type->destroy(v);
}

// What the object system does with a value once it has one.
void roundTrips(const TypeEntry& t, COSValue v)
{
    COSValue copy{};
    if (call([&] { copy = t.type->copy(v); })) {
        call([&] { (void)t.type->isEqual(copy, v); });
        call([&] { (void)t.type->compare(v, copy); });
        t.type->destroy(copy);
    }
    COSValue text{};
    if (call([&] { text = t.text->to(v); })) {
        // The text read back, when the type reads its own texts.
        COSValue back{};
        if (!text.isNull() && call([&] { back = t.text->from(text); }))
            destroyValue(t, back);
        releaseText(t, text);
    }
    COSValue array{};
    if (call([&] { array = t.array->to(v); })) {
        auto* a = nyro::pointerValue<qxArray*>(array);
        COSValue back{};
        if (a && call([&] { back = t.array->from(array); })) {
            call([&] { (void)t.type->isEqual(back, v); });
            destroyValue(t, back);
        }
        qxDestroyArray(a);
    }
    if (t.java) {
        COSValue j{};
        if (call([&] { j = t.java->to(v); }) && !j.isNull()) {
            COSValue back{};
            if (call([&] { back = t.java->from(j); }))
                destroyValue(t, back);
            javabridge::releaseObject(j);
        }
    }
}

// With VX_FUZZ_TRACE set, each input says what it feeds to which type (to
// read a finding's reproducer).
const bool tracing = std::getenv("VX_FUZZ_TRACE") != nullptr;

void fuzzType(FuzzedDataProvider& in, const TypeEntry& t)
{
    COSValue v{};
    bool made;
    if (in.ConsumeBool()) {
        const qxArray* a = in.ConsumeProbability<float>() < 0.02f ? nullptr : makeArray(in, 0);
        if (tracing && a)
            std::fprintf(stderr, "%s from %s %zux%zu%s\n", t.name.c_str(), qxGetClassName(a), qxGetM(a), qxGetN(a),
                         qxIsSparse(a) ? " sparse" : "");
        made = call([&] { v = t.array->from(COSValue::fromPointer(a)); });
    } else {
        std::string text = in.ConsumeRandomLengthString(64);
        if (tracing)
            std::fprintf(stderr, "%s from text '%s'\n", t.name.c_str(), text.c_str());
        made = call([&] { v = t.text->from(COSValue::fromPointer(text.c_str())); });
    }
    if (made) {
        roundTrips(t, v);
        destroyValue(t, v);
    }
    // Names the color table learnt from this input are forgotten.
    if (t.name == "ColorTable")
        datatypes::ColorNameTable::getInstance().reset();
}

void fuzzScalar(FuzzedDataProvider& in, const std::pair<std::string, nyro::COSTypeConversion*>& s)
{
    std::string text = in.ConsumeRandomLengthString(32);
    COSValue v{};
    if (!call([&] { v = s.second->from(COSValue::fromPointer(text.c_str())); }))
        return;
    COSValue back{};
    if (call([&] { back = s.second->to(v); }) && !back.isNull())
        nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID(s.first.c_str()), back);
    if (s.first == "string")
        utFree(nyro::pointerValue<char*>(v));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Host& h = host();
    FuzzedDataProvider in(data, size);
    if (in.ConsumeProbability<float>() < 0.9f)
        fuzzType(in, h.types[in.ConsumeIntegralInRange<std::size_t>(0, h.types.size() - 1)]);
    else
        fuzzScalar(in, h.scalars[in.ConsumeIntegralInRange<std::size_t>(0, h.scalars.size() - 1)]);
    // The host's end of the call: its temporaries go.
    qxReclaimTemporaries();
    return 0;
}
