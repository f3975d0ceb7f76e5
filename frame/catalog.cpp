#include "frame/catalog.h"

#include <sstream>

#include "frame/datatype.h"

namespace datatypes::catalog {

namespace {

// The describer recorded for each listed type; a plain array, so that nothing
// needs constructing before registration records into it.
Describer describers[listed::count] = {};

// The array form of a default value, in words: "double 1x2 [0 1]", "1x1 struct".
std::string describeArray(const qxArray* a)
{
    if (!a)
        return "no value";
    std::ostringstream out;
    const qxSize count = qxGetNumberOfDimensions(a);
    const qxSize* dims = qxGetDimensions(a);
    std::ostringstream sizes;
    for (qxSize k = 0; k < count; ++k)
        sizes << (k ? "x" : "") << dims[k];
    const std::string size = sizes.str();
    const qxClassID cls = qxGetClassID(a);
    if (cls == qxSTRUCT_CLASS || cls == qxCELL_CLASS || cls == qxOBJECT_CLASS || cls == qxFUNCTION_CLASS) {
        out << size << ' ' << qxGetClassName(a);
        return out.str();
    }
    out << qxGetClassName(a) << ' ' << size;
    const qxSize n = qxGetNumberOfElements(a);
    if (n > 0 && n <= 16 && cls == qxDOUBLE_CLASS && qxGetPr(a)) {
        out << " [";
        for (qxSize i = 0; i < n; ++i)
            out << (i ? " " : "") << qxGetPr(a)[i];
        out << ']';
    }
    return out.str();
}

// What the object system knows of a registered type: sizes, converters, default.
void fillFromRepository(TypeEntry& e)
{
    const nyro::COSNameID id(e.name.c_str());
    const nyro::COSDataTypePtr type = nyro::COSTypeRepository::getType(id);
    if (!type)
        return;
    e.registered = true;
    e.valueBytes = type->getValueSizeInBytes(nyro::COSValue());
    e.converters = nyro::COSTypeRepository::conversionsOf(id);
    const nyro::COSValue def = type->getDefaultValue();
    // The text form where the type gives one, else the array form; a default
    // that cannot be shown either way leaves the text empty.
    try {
        if (nyro::COSTypeConversion* sc = nyro::COSTypeRepository::getConversion(nyro::COSNameID("string"), id)) {
            const nyro::COSValue text = sc->to(def);
            if (!text.isNull()) {
                e.defaultValue = textOf(text);
                nyro::COSTypeRepository::releaseReturnedText(id, text);
                return;
            }
        }
    } catch (...) {
    }
    e.defaultIsText = false;
    try {
        if (nyro::COSTypeConversion* mc = nyro::COSTypeRepository::getConversion(nyro::COSNameID("any"), id)) {
            gui_objects::QxArrayPtr array(nyro::pointerValue<qxArray*>(mc->to(def)));
            e.defaultValue = describeArray(array.get());
        }
    } catch (...) {
    }
}

TypeEntry entryAt(int i)
{
    TypeEntry e;
    e.name = typeList[i].name;
    e.key = typeList[i].key;
    e.family = typeList[i].family;
    e.home = typeList[i].home;
    e.position = i;
    fillFromRepository(e);
    if (describers[i])
        describers[i](e);
    return e;
}

} // namespace

std::vector<TypeEntry> types()
{
    std::vector<TypeEntry> all;
    all.reserve(listed::count);
    for (int i = 0; i < listed::count; ++i)
        all.push_back(entryAt(i));
    return all;
}

bool find(std::string_view name, TypeEntry& out)
{
    const int i = listedIndexOf(name);
    if (i < 0)
        return false;
    out = entryAt(i);
    return true;
}

const char* familyName(TypeFamily family)
{
    switch (family) {
    case TypeFamily::Enumeration: return "enumeration";
    case TypeFamily::OnOff: return "on/off";
    case TypeFamily::Array: return "array";
    case TypeFamily::Record: return "record";
    case TypeFamily::Color: return "color";
    case TypeFamily::String: return "string";
    case TypeFamily::Callback: return "callback";
    case TypeFamily::Reference: return "reference";
    }
    return "";
}

void recordDescriber(int position, Describer describe)
{
    if (position >= 0 && position < listed::count)
        describers[position] = describe;
}

void recordDescriber(std::string_view name, Describer describe) { recordDescriber(listedIndexOf(name), describe); }

std::vector<std::string> classNames(unsigned classSet)
{
    // The host's own names, read from an empty array of each class.
    std::vector<std::string> names;
    for (int cls = 0; cls < 32; ++cls) {
        if (!(classSet & (1u << cls)))
            continue;
        gui_objects::QxArrayPtr a(qxCreateNumericMatrix(0, 0, qxClassID(cls), qxREAL));
        names.emplace_back(a.get() ? qxGetClassName(a.get()) : "unknown");
    }
    return names;
}

} // namespace datatypes::catalog
