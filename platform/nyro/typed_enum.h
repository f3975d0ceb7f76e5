// Typed enumerations of the object system: a data type whose values are those
// of a base scalar type (for example "uint32 scalar"), each value carrying a
// name. Lookups are by exact name only; a caller that wants case folding or
// abbreviations does its own matching before it asks. Names are indexed as
// they are added, so a lookup reads a name or two, not the whole list, and a
// caller that hands back the enumeration's own copy of a name (elementName) is
// answered by its address alone.
#pragma once

#include <string>
#include <vector>

#include "nyro/nyro.h"
#include "ut/name_match.h"

namespace nyro {

// Whether an element is offered to users when the possible names are listed.
enum class EnumVisibility : int {
    Unknown = -1, // no element of that name
    Visible = 0,
    Hidden = 1,
};

// The lookups of an enumeration of named values.
class EnumerationType {
public:
    virtual ~EnumerationType();
    // Number of elements.
    virtual int getEnumLength() const = 0;
    // Name of the first element holding `v`; null when none does.
    virtual const char* getEnumString(COSValue v) const = 0;
    // Value of the first element named `name`, as an integer; -1 when none is.
    virtual int getEnumValue(const char* name) const = 0;
    // Whether an element is named `name` exactly (false for a null name).
    virtual bool isValidEnumName(const char* name) const = 0;
    // Whether more than one element is named `name` exactly.
    virtual bool isEnumNameAmbiguous(const char* name) const = 0;
    virtual EnumVisibility getEnumVisibility(const char* name) const = 0;
};

class TypedEnumStringType : public COSDataType, public EnumerationType {
public:
    // A new enumeration over the values of `base`, owned by the caller (delete
    // it through its virtual destructor). It is not entered in the repository;
    // a caller that wants others to find it registers it with addGlobalType.
    // `description` may be null.
    static TypedEnumStringType* createInstance(COSDataTypePtr base, const char* name, const char* description);
    ~TypedEnumStringType() override;

    // Appends an element. Names are kept as given; adding a name that is already
    // there makes it ambiguous (lookups keep answering with the first element).
    // A null name adds nothing.
    virtual void addElement(COSValue value, const char* name, EnumVisibility visibility = EnumVisibility::Visible);

    // The enumeration's own copy of the name of element `i` (in the order
    // added), or null when there is no such element. It stays valid as long as
    // the enumeration, and lookups given it find their element by its address,
    // without reading the text.
    const char* elementName(int i) const { return index_.keyAt(i); }

    // ---- EnumerationType --------------------------------------------------------
    int getEnumLength() const override;
    const char* getEnumString(COSValue v) const override;
    // The two lookups every setting of an enumerated property makes; final, so
    // that a caller holding this class calls them directly.
    int getEnumValue(const char* name) const final
    {
        const Element* e = find(name);
        return e ? static_cast<int>(static_cast<std::int32_t>(e->value.bits())) : -1;
    }
    bool isValidEnumName(const char* name) const final { return find(name) != nullptr; }
    bool isEnumNameAmbiguous(const char* name) const override;
    EnumVisibility getEnumVisibility(const char* name) const override;

    // ---- COSDataType: values are those of the base type --------------------------
    const char* getDeclarationName() const override { return name_.c_str(); }
    const char* getName() const override { return name_.c_str(); }
    const char* getDescription() const override;
    bool isPossibleValuesFinite() const override { return true; }
    // The element values in the order they were added.
    COSValueEnumerationPtr getPossibleValues() const override;
    // The first element's value (the base type's default while there is none).
    COSValue getDefaultValue() const override;
    int getStorageType() const override;
    const char* getCategoryName() const override { return "Enumeration"; }
    int getSizeInBits() const override;
    bool isEqual(COSValue a, COSValue b) const override;
    int compare(COSValue a, COSValue b) const override;
    int getValueSizeInBytes(COSValue v) const override;
    COSValue copy(COSValue v) const override;
    void destroy(COSValue v) const override;

    COSDataType* baseType() const { return COSDataTypePtrHelper::getObject(base_); }

private:
    TypedEnumStringType(COSDataTypePtr base, const char* name, const char* description);

    // An element's name is the index's copy of it (same position).
    struct Element {
        COSValue value;
        EnumVisibility visibility;
    };
    // First element named `name` exactly, or null.
    const Element* find(const char* name) const
    {
        int i = index_.fromKey(name);
        if (i == ut::NameMatcher::none)
            i = index_.find(name);
        return i >= 0 ? &elements_[static_cast<std::size_t>(i)] : nullptr;
    }

    COSDataTypePtr base_;
    std::string name_;
    std::string description_;
    bool hasDescription_;
    std::vector<Element> elements_;
    // The element names, exactly as given: positions in elements_.
    ut::NameMatcher index_{ut::NameMatcher::Case::Exact};
};

} // namespace nyro
