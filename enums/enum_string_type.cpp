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
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Whether `entry` begins with `input` (the first place `input` occurs in
// `entry` is its start).
bool findMatch(const std::string& input, const std::string& entry)
{
    return entry.size() >= input.size() && entry.compare(0, input.size(), input) == 0;
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
    // An exact name wins even when it also begins other names ("major" and
    // "majorandminor").
    for (const std::string& entry : names)
        if (entry == input)
            return entry.c_str();
    auto end = names.end();
    auto first = names.begin();
    while (first != end && !findMatch(input, *first))
        ++first;
    if (first == end)
        return nullptr;
    for (auto other = first + 1; other != end; ++other)
        if (findMatch(input, *other))
            return nullptr; // an abbreviation of two names selects neither
    return first->c_str();
}

EnumStringType::~EnumStringType() = default;

void EnumStringType::addEnumValue(const char* name, std::int32_t value)
{
    addElement(nyro::COSValue::fromInt(value), name);
}

} // namespace datatypes

std::string testNormalizeCase(const char* text) { return datatypes::normalizeCase(text); }
