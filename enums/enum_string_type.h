// Enumerations of strings: tables that map lower-case names to integer values
// and back. The table itself lives in a typed enumeration of the object system
// over "uint32 scalar"; what this layer adds is the matching users expect:
// letter case is ignored, an exact name always wins, and otherwise any leading
// part of a name that no other name shares selects that name ('MAN' for
// "manual", 'majora' for "majorandminor").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <boost/container/small_vector.hpp>

#include "frame/export.h"
#include "nyro/nyro.h"
#include "nyro/typed_enum.h"
#include "ut/name_match.h"

namespace datatypes {

// How a text selects a name, in words for users.
inline constexpr const char* enumNameMatching =
    "any letter case; an exact name, else the beginning of exactly one name";

class VXTypedEnumStringType {
public:
    // Finds the enumeration named `name` in the type repository, or creates one
    // (owned by this object) when the repository has none of that name.
    explicit VXTypedEnumStringType(const char* name);
    virtual ~VXTypedEnumStringType();
    VXTypedEnumStringType(const VXTypedEnumStringType&) = delete;
    VXTypedEnumStringType& operator=(const VXTypedEnumStringType&) = delete;

    // Adds `name` in lower case with `value`; a name the enumeration already
    // accepts is left as it is (its first value stays).
    virtual void addElement(nyro::COSValue value, const char* name);
    virtual int getEnumLength() const;
    // The stored (lower-case) name of `v`; null when no name carries it.
    virtual const char* getEnumString(nyro::COSValue v) const;
    // Value of the name that `name` selects; only meaningful when
    // isValidEnumName(name) holds.
    virtual int getEnumValue(const char* name) const { return lookups().getEnumValue(canonicalName(name)); }
    // Whether `name` selects a name: exactly or as an unambiguous abbreviation,
    // in any letter case. False for null.
    virtual bool isValidEnumName(const char* name) const
    {
        // A failed match hands the enumeration a null name, which it never accepts.
        return name && lookups().isValidEnumName(canonicalName(name));
    }
    // The enumeration's own answer for `name` in lower case (no abbreviation).
    virtual bool isEnumNameAmbiguous(const char* name) const;
    virtual nyro::EnumVisibility getEnumVisibility(const char* name) const;
    virtual bool isPossibleValuesFinite() const;
    // The stored name that the lower-case `input` selects: the name equal to it,
    // else the only name beginning with it; null when there is none or several.
    virtual const char* getEnumFromPartialMatch(std::string input) const;

    // The typed enumeration of the object system behind this table.
    const nyro::TypedEnumStringType* hostEnumeration() const { return host; }
    bool ownsHostEnumeration() const { return owns; }

private:
    // The host enumeration's lookups; the two a converter makes (isValidEnumName,
    // getEnumValue) are final there and called directly.
    const nyro::TypedEnumStringType& lookups() const { return *host; }
    // The name that `name` selects in any letter case, as handed to the host
    // enumeration, or null. The matcher folds the text's letter case as it
    // compares, so the lower-case copy the rule speaks of is never built; the
    // name handed on is the enumeration's own copy of the selected name (same
    // text), which it finds by address. The matcher remembers the last short
    // text it matched, so the second of the two calls a converter makes for
    // one text does not match it again.
    const char* canonicalName(const char* name) const
    {
        const int i = matcher.match(name);
        return i >= 0 ? hostNames[static_cast<std::size_t>(i)] : nullptr;
    }

    bool owns = false;
    nyro::TypedEnumStringType* host = nullptr;
    // The names as added (lower case), only those the enumeration did not
    // accept yet, indexed for matching; positions in the order added.
    ut::NameMatcher matcher;
    // For each name, the host enumeration's copy of it (our own when it keeps none).
    boost::container::small_vector<const char*, 8> hostNames;
};

class EnumStringType : public VXTypedEnumStringType {
public:
    explicit EnumStringType(const char* name) : VXTypedEnumStringType(name) {}
    ~EnumStringType() override;
    void addEnumValue(const char* name, std::int32_t value);
};

} // namespace datatypes

// Test hook: `text` with every byte folded to lower case, as the matching sees it.
VX_API std::string testNormalizeCase(const char* text);
