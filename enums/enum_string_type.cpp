#include "enums/enum_string_type.h"

#include <cctype>
#include <utility>

namespace datatypes {

namespace {

// `text` with every byte passed through the C library's tolower (current C
// locale: in the classic one only A-Z change). Nothing is trimmed or removed.
std::string normalizeCase(const char* text)
{
    std::string lower(text ? text : "");
#ifdef __GLIBC__
    // The table tolower itself reads for the calling thread's locale, fetched
    // once per text instead of once per byte.
    const std::int32_t* table = *__ctype_tolower_loc();
    for (char& c : lower)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
#else
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
    return lower;
}

// Whether `entry` begins with `input` (the first place `input` occurs in
// `entry` is its start). Names differ mostly in their first byte, so a plain
// loop that stops there beats a call to memcmp.
bool findMatch(const std::string& input, const std::string& entry)
{
    if (input.size() > entry.size())
        return false;
    for (std::size_t i = 0; i < input.size(); ++i)
        if (input[i] != entry[i])
            return false;
    return true;
}

} // namespace

VXTypedEnumStringType::VXTypedEnumStringType(const char* name)
{
    nyro::COSDataTypePtr base = nyro::COSTypeRepository::getType(nyro::COSNameID("uint32 scalar"));
    nyro::COSDataTypePtr existing = nyro::COSTypeRepository::getType(nyro::COSNameID(name));
    // A repository type of that name that is no typed enumeration is not ours
    // to fill: the table then keeps an enumeration of its own.
    if (auto* found = dynamic_cast<nyro::TypedEnumStringType*>(nyro::COSDataTypePtrHelper::getObject(existing))) {
        host = found;
        owns = false;
    } else {
        host = nyro::TypedEnumStringType::createInstance(base, name, nullptr);
        owns = true;
    }
}

VXTypedEnumStringType::~VXTypedEnumStringType()
{
    if (owns && host)
        delete host;
}

void VXTypedEnumStringType::addElement(nyro::COSValue value, const char* name)
{
    if (!name)
        return;
    std::string lower = normalizeCase(name);
    if (lookups().isValidEnumName(lower.c_str()))
        return;
    names.push_back(std::move(lower));
    host->addElement(value, names.back().c_str());
}

int VXTypedEnumStringType::getEnumLength() const { return lookups().getEnumLength(); }

const char* VXTypedEnumStringType::getEnumString(nyro::COSValue v) const { return lookups().getEnumString(v); }

int VXTypedEnumStringType::getEnumValue(const char* name) const
{
    if (!name)
        return lookups().getEnumValue(nullptr);
    return lookups().getEnumValue(getEnumFromPartialMatch(normalizeCase(name)));
}

bool VXTypedEnumStringType::isValidEnumName(const char* name) const
{
    if (!name)
        return false;
    // A failed match hands the enumeration a null name, which it never accepts.
    return lookups().isValidEnumName(getEnumFromPartialMatch(normalizeCase(name)));
}

bool VXTypedEnumStringType::findEnumValue(const char* name, int& value) const
{
    if (!name)
        return false;
    const char* canonical = getEnumFromPartialMatch(normalizeCase(name));
    if (!lookups().isValidEnumName(canonical))
        return false;
    value = lookups().getEnumValue(canonical);
    return true;
}

bool VXTypedEnumStringType::isEnumNameAmbiguous(const char* name) const
{
    if (!name)
        return lookups().isEnumNameAmbiguous(nullptr);
    return lookups().isEnumNameAmbiguous(normalizeCase(name).c_str());
}

nyro::EnumVisibility VXTypedEnumStringType::getEnumVisibility(const char* name) const
{
    return lookups().getEnumVisibility(name);
}

bool VXTypedEnumStringType::isPossibleValuesFinite() const
{
    return static_cast<const nyro::COSDataType*>(host)->isPossibleValuesFinite();
}

const char* VXTypedEnumStringType::getEnumFromPartialMatch(std::string input) const
{
    // One pass: an exact name wins wherever it stands, even when it also begins
    // other names ("major" and "majorandminor"); otherwise the one name that
    // begins with the input, and none when two or more do.
    const std::string* first = nullptr;
    bool several = false;
    for (const std::string& entry : names) {
        if (!findMatch(input, entry))
            continue;
        if (entry.size() == input.size())
            return entry.c_str();
        several = several || first;
        if (!first)
            first = &entry;
    }
    return first && !several ? first->c_str() : nullptr;
}

EnumStringType::~EnumStringType() = default;

void EnumStringType::addEnumValue(const char* name, std::int32_t value)
{
    addElement(nyro::COSValue::fromInt(value), name);
}

} // namespace datatypes

std::string testNormalizeCase(const char* text) { return datatypes::normalizeCase(text); }
