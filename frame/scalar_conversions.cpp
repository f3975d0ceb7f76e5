#include "frame/scalar_conversions.h"

#include <cstring>
#include <memory>

#include "frame/registry.h"
#include "ut/ut.h"

namespace datatypes {

namespace {
nyro::COSValue duplicate(const char* text)
{
    char* copy = utStrdup(text);
    if (!copy)
        throw nyro::COSOutOfMemoryException();
    return nyro::COSValue::fromPointer(copy);
}

nyro::COSValue stringTypeCopy(nyro::COSValue v)
{
    nyro::COSDataTypePtr type = nyro::COSTypeRepository::getType(nyro::COSNameID("string"));
    return nyro::COSDataTypePtrHelper::getObject(type)->copy(v);
}
} // namespace

template <class T>
nyro::COSValue StringConversion<T>::copyText(const std::string& text)
{
    return duplicate(text.c_str());
}

nyro::COSValue StringConversion<bool>::from(nyro::COSValue s) const
{
    const char* text = nyro::pointerValue<const char*>(s);
    if (text && std::strcmp(text, "true") == 0)
        return nyro::COSValue(1);
    if (text && std::strcmp(text, "false") == 0)
        return nyro::COSValue(0);
    throw gui_objects::convert_from_string_utils::ParseException();
}

nyro::COSValue StringConversion<bool>::to(nyro::COSValue v) const { return duplicate(v.isNull() ? "false" : "true"); }

nyro::COSValue StringStringConversion::from(nyro::COSValue s) const { return stringTypeCopy(s); }
nyro::COSValue StringStringConversion::to(nyro::COSValue v) const { return stringTypeCopy(v); }

namespace {
template <class C>
std::unique_ptr<nyro::COSTypeConversion> make()
{
    return std::make_unique<C>();
}

struct ScalarRow {
    const char* hostType;
    std::unique_ptr<nyro::COSTypeConversion> (*make)();
};

// The host's scalar types and their converters, in the order they are installed.
const ScalarRow scalarRows[] = {
    {"int8 scalar", make<StringConversion<signed char>>},
    {"int16 scalar", make<StringConversion<short>>},
    {"int32 scalar", make<StringConversion<int>>},
    {"int64 scalar", make<StringConversion<long long>>},
    {"uint8 scalar", make<StringConversion<unsigned char>>},
    {"uint16 scalar", make<StringConversion<unsigned short>>},
    {"uint32 scalar", make<StringConversion<unsigned int>>},
    {"uint64 scalar", make<StringConversion<unsigned long long>>},
    {"single scalar", make<StringConversion<float>>},
    {"double scalar", make<StringConversion<double>>},
    {"logical scalar", make<StringConversion<bool>>},
    {"string", make<StringStringConversion>},
    {"int", make<StringConversion<int>>},
    {"uint64_T", make<StringConversion<unsigned long long>>},
    {"single", make<StringConversion<float>>},
    {"float", make<StringConversion<float>>},
    {"double", make<StringConversion<double>>},
    {"logical", make<StringConversion<bool>>},
};
} // namespace

void initStringConverters()
{
    nyro::COSNameID string("string");
    for (const ScalarRow& row : scalarRows) {
        nyro::COSNameID type(row.hostType);
        // A retried initialisation keeps what an earlier attempt installed.
        if (nyro::COSTypeRepository::getConversion(string, type))
            continue;
        nyro::COSTypeRepository::addConversion(string, type, row.make().release());
    }
}

} // namespace datatypes
