#include "enums/enum_string_type.h"

#include <cstring>
#include <utility>

namespace datatypes {

namespace {

// `text` with every byte passed through the C library's tolower (current C
// locale: in the classic one only A-Z change). Nothing is trimmed or removed.
std::string normalizeCase(const char* text)
{
    std::string lower(text ? text : "");
    const std::int32_t* table = ut::lowerCaseTable();
    for (char& c : lower)
        c = ut::foldByte(c, table);
    return lower;
}

} // namespace

VXTypedEnumStringType::VXTypedEnumStringType(const char* name)
{
    static const nyro::COSNameID baseName("uint32 scalar"); // interned once
    nyro::COSDataTypePtr base = nyro::COSTypeRepository::getType(baseName);
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
    // The lower-case form, in place for the short names every table holds.
    char shortName[64];
    std::string longName;
    const std::size_t length = std::strlen(name);
    char* lower = shortName;
    if (length >= sizeof shortName) {
        longName.resize(length);
        lower = longName.data();
    }
    const std::int32_t* table = ut::lowerCaseTable();
    for (std::size_t i = 0; i < length; ++i)
        lower[i] = ut::foldByte(name[i], table);
    lower[length] = '\0';
    if (lookups().isValidEnumName(lower))
        return;
    if (hostNames.size() == hostNames.capacity()) // room first: nothing below leaves a name half-added
        hostNames.reserve(2 * hostNames.size());
    matcher.add(std::string_view(lower, length));
    const char* own = matcher.keyAt(static_cast<int>(matcher.size() - 1));
    host->addElement(value, own);
    // The element just added is the enumeration's last one.
    const char* hostCopy = host->elementName(host->getEnumLength() - 1);
    hostNames.push_back(hostCopy ? hostCopy : own);
}

int VXTypedEnumStringType::getEnumLength() const { return lookups().getEnumLength(); }

const char* VXTypedEnumStringType::getEnumString(nyro::COSValue v) const { return lookups().getEnumString(v); }

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
    // An exact name wins wherever it stands, even when it also begins other
    // names ("major" and "majorandminor"); otherwise the one name that begins
    // with the input, and none when two or more do.
    return matcher.keyAt(matcher.match(std::string_view(input)));
}

EnumStringType::~EnumStringType() = default;

void EnumStringType::addEnumValue(const char* name, std::int32_t value)
{
    addElement(nyro::COSValue::fromInt(value), name);
}

} // namespace datatypes

std::string testNormalizeCase(const char* text) { return datatypes::normalizeCase(text); }
