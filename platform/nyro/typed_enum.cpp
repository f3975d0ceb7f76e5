#include "nyro/typed_enum.h"

#include <algorithm>
#include <utility>

namespace nyro {

EnumerationType::~EnumerationType() = default;

namespace {

// The element values of an enumeration, in order; holds its own copy so that it
// stays valid whatever happens to the enumeration afterwards.
class ValueList : public EnumerationUtil<COSValue> {
public:
    explicit ValueList(std::vector<COSValue> values) : values_(std::move(values)) {}
    bool hasMoreElements() override { return next_ < values_.size(); }
    COSValue nextElement() override { return next_ < values_.size() ? values_[next_++] : COSValue(); }

private:
    std::vector<COSValue> values_;
    std::size_t next_ = 0;
};

} // namespace

TypedEnumStringType* TypedEnumStringType::createInstance(COSDataTypePtr base, const char* name,
                                                         const char* description)
{
    return new TypedEnumStringType(std::move(base), name, description);
}

TypedEnumStringType::TypedEnumStringType(COSDataTypePtr base, const char* name, const char* description)
    : base_(std::move(base)), name_(name ? name : ""), description_(description ? description : ""),
      hasDescription_(description != nullptr)
{
}

TypedEnumStringType::~TypedEnumStringType() = default;

void TypedEnumStringType::addElement(COSValue value, const char* name, EnumVisibility visibility)
{
    if (!name)
        return;
    // Room first, so that a name is indexed only with its element.
    if (elements_.size() == elements_.capacity())
        elements_.reserve(std::max<std::size_t>(8, 2 * elements_.size()));
    index_.add(name);
    elements_.push_back(Element{value, visibility});
}

int TypedEnumStringType::getEnumLength() const { return static_cast<int>(elements_.size()); }

const char* TypedEnumStringType::getEnumString(COSValue v) const
{
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (elements_[i].value == v)
            return index_.keyAt(static_cast<int>(i));
    return nullptr;
}

bool TypedEnumStringType::isEnumNameAmbiguous(const char* name) const
{
    return index_.count(name) > 1;
}

EnumVisibility TypedEnumStringType::getEnumVisibility(const char* name) const
{
    const Element* e = find(name);
    return e ? e->visibility : EnumVisibility::Unknown;
}

const char* TypedEnumStringType::getDescription() const
{
    return hasDescription_ ? description_.c_str() : nullptr;
}

COSValueEnumerationPtr TypedEnumStringType::getPossibleValues() const
{
    std::vector<COSValue> values;
    values.reserve(elements_.size());
    for (const Element& e : elements_)
        values.push_back(e.value);
    return COSValueEnumerationPtr(new ValueList(std::move(values)));
}

COSValue TypedEnumStringType::getDefaultValue() const
{
    if (!elements_.empty())
        return elements_.front().value;
    return base_ ? base_->getDefaultValue() : COSValue();
}

// Without a base type the values are plain 32-bit words compared bit for bit.
int TypedEnumStringType::getStorageType() const { return base_ ? base_->getStorageType() : 0; }
int TypedEnumStringType::getSizeInBits() const { return base_ ? base_->getSizeInBits() : 32; }
bool TypedEnumStringType::isEqual(COSValue a, COSValue b) const { return base_ ? base_->isEqual(a, b) : a == b; }

int TypedEnumStringType::compare(COSValue a, COSValue b) const
{
    if (base_)
        return base_->compare(a, b);
    return a == b ? 0 : a.bits() < b.bits() ? -1 : 1;
}

int TypedEnumStringType::getValueSizeInBytes(COSValue v) const { return base_ ? base_->getValueSizeInBytes(v) : 4; }
COSValue TypedEnumStringType::copy(COSValue v) const { return base_ ? base_->copy(v) : v; }

void TypedEnumStringType::destroy(COSValue v) const
{
    if (base_)
        base_->destroy(v);
}

} // namespace nyro
