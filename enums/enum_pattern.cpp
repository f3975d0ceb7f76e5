#include "enums/enum_pattern.h"

#include <utility>


namespace datatypes {

EnumBase::~EnumBase() = default;
EnumAttachment::~EnumAttachment() = default;

EnumValue::EnumValue(const EnumValue& o) noexcept : EnumBase(), value_(o.value_), attached_(o.attached_)
{
    if (attached_)
        attached_->addReference();
}

EnumValue& EnumValue::operator=(const EnumValue& o) noexcept
{
    if (o.attached_)
        o.attached_->addReference();
    attach(o.attached_);
    value_ = o.value_;
    return *this;
}

EnumValue::~EnumValue() { attach(nullptr); }

void EnumValue::attach(EnumAttachment* a) noexcept
{
    if (EnumAttachment* old = std::exchange(attached_, a))
        old->releaseReference();
}

namespace {
nyro::COSValue numberSlot(const EnumBase& v) { return nyro::COSValue::fromInt(v.getIntValue()); }
} // namespace

COSValue enumNameText(const VXTypedEnumStringType& names, const EnumBase& v)
{
    const char* name = names.getEnumString(numberSlot(v));
    char* copy = utStrdup(name ? name : "");
    if (!copy)
        throw nyro::COSOutOfMemoryException();
    return slotOf(copy);
}

COSValue enumNameArray(const VXTypedEnumStringType& names, const EnumBase& v)
{
    const char* name = names.getEnumString(numberSlot(v));
    return slotOf(qxCreateString(name ? name : ""));
}

} // namespace datatypes
