#include "styles/string_types.h"

#include <cstring>
#include <memory>

#include "styles/list_from_text.h"
#define VX_MESSAGES "styles/messages.def"
#include "frame/messages.h"
#include "ut/utf.h"

namespace datatypes {

namespace {

// The host's conversion between "any" (arrays) and "string", looked up once it exists.
nyro::COSTypeConversion* hostTextConversion()
{
    static nyro::COSTypeConversion* conversion = nullptr;
    if (!conversion)
        conversion = nyro::COSTypeRepository::getConversion(COSNameID("any"), COSNameID("string"));
    return conversion;
}

qxArray* emptyCharArray() { return qxCreateString_UTF16n(nullptr, 0); }

struct UtFree {
    void operator()(void* p) const { utFree(p); }
};

} // namespace

// ---- FontName ---------------------------------------------------------------------

bool FontNameDataType::isEqual(COSValue a, COSValue b) const
{
    if (a.isNull())
        return b.isNull();
    return std::strcmp(textOf(a), b.isNull() ? "" : textOf(b)) == 0;
}

COSValue FontNameSC::from(COSValue s) const { return FontNameDataType::instance()->copy(s); }

COSValue FontNameSC::to(COSValue v) const { return v; }

COSValue FontNameMC::from(COSValue a) const
{
    nyro::COSTypeConversion* host = hostTextConversion();
    return host ? host->from(a) : COSValue();
}

COSValue FontNameMC::to(COSValue v) const
{
    nyro::COSTypeConversion* host = hostTextConversion();
    return host ? host->to(v) : slotOf(emptyCharArray());
}

// ---- UTF16String ------------------------------------------------------------------

COSValue UTF16StringSC::from(COSValue s) const
{
    return UTF16StringDataType::store(gui_objects::test::makeUTF16StringFromCharPtr(textOf(s)));
}

COSValue UTF16StringSC::to(COSValue v) const
{
    const gui_objects::UTF16String* s = UTF16StringDataType::valueOf(v);
    if (!s || s->empty())
        return {};
    std::size_t n = s->length();
    auto* text = static_cast<char*>(utMalloc(n + 1));
    if (!text)
        throw nyro::COSOutOfMemoryException();
    const gui_objects::UTF16String::CodeUnit* units = s->data();
    for (std::size_t i = 0; i < n; ++i)
        text[i] = static_cast<char>(units[i] & 0xff);
    text[n] = '\0';
    return slotOf(text);
}

COSValue UTF16StringMC::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    std::vector<gui_objects::UTF16String> strings;
    if (array) {
        if (qxGetClassID(array) != qxCHAR_CLASS) {
            raise(msg::UTF16StringArrayClass);
            return {};
        }
        if (!qxIsEmpty(array))
            strings = gui_objects::createUTF16StringsFromArray(array);
    }
    if (strings.size() > 1) {
        raise(msg::UTF16StringNumberOfStrings);
        return {};
    }
    return UTF16StringDataType::store(strings.empty() ? gui_objects::UTF16String() : strings.front());
}

COSValue UTF16StringMC::to(COSValue v) const
{
    const gui_objects::UTF16String* s = UTF16StringDataType::valueOf(v);
    return slotOf(s && !s->empty() ? gui_objects::createCharRow(*s) : emptyCharArray());
}

// ---- NStrings ---------------------------------------------------------------------

COSValue NStringsSC::from(COSValue s) const { return listFromText<NStrings>(s); }

COSValue NStringsSC::to(COSValue) const { return {}; }

COSValue NStringsMC::from(COSValue a) const { return slotOf(new NStrings(arrayOf(a))); }

COSValue NStringsMC::to(COSValue v) const
{
    const NStrings* list = NStringsDataType::valueOf(v);
    return slotOf(list ? list->toMatrix() : emptyCharArray());
}

// ---- helpers ----------------------------------------------------------------------

gui_objects::UTF16String asUTF16String(const char* s)
{
    std::size_t count = 0;
    std::unique_ptr<std::uint16_t, UtFree> units(utf8_to_utf16(s, UT_WHOLE_STRING, &count));
    if (!units)
        throw nyro::COSOutOfMemoryException();
    return gui_objects::UTF16String(units.get(), count);
}

void FontNameDataType::describe(catalog::TypeEntry& e)
{
    e.accepts.push_back("text, or a char array read by the host's own conversion to text");
}

void UTF16StringDataType::describe(catalog::TypeEntry& e)
{
    e.accepts.push_back("a char array holding at most one string; text read as UTF-8");
    for (const Message* m : {&msg::UTF16StringArrayClass, &msg::UTF16StringNumberOfStrings})
        e.refusals.push_back(m->id);
}

void NStringsDataType::describe(catalog::TypeEntry& e)
{
    e.accepts.push_back("a cell array of strings, a char matrix (one string per row), or a string literal as text");
}

} // namespace datatypes

VX_REGISTER_TYPE(FontName)
VX_REGISTER_TYPE(UTF16String)
VX_REGISTER_TYPE(NStrings)
