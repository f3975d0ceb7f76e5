// The enumerated types as the tests see them: one row per catalog line, and
// helpers that go through the registered converters as the object system does.
#pragma once

#include <boost/preprocessor/cat.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "enums/enum_types.h"
#include "support/host_fixture.h"

namespace enumtest {

struct CatalogType {
    const char* name;
    std::vector<std::string> names;
    // The answers of every predicate, in catalog order, for the value numbered n.
    std::vector<bool> (*predicates)(int n);
    // The process-wide name table of the type.
    const datatypes::VXTypedEnumStringType* (*table)();

    friend std::ostream& operator<<(std::ostream& os, const CatalogType& t) { return os << t.name; }
};

#define VX_TEST_PREDICATE_CALL(r, data, entry) v.BOOST_PP_CAT(is, VX_ENUM_ID(entry))(),
#define VX_TEST_NAME(r, data, entry) VX_ENUM_TEXT(entry),

inline const std::vector<CatalogType>& catalog()
{
    static const std::vector<CatalogType> rows = {
#define VX_ENUM_TYPE(T, NAMES)                                                                            \
    CatalogType{#T, {BOOST_PP_SEQ_FOR_EACH(VX_TEST_NAME, ~, VX_ENUM_SEQ(NAMES))},                         \
                [](int n) {                                                                               \
                    const datatypes::T v(static_cast<datatypes::T::value>(n));                            \
                    return std::vector<bool>{BOOST_PP_SEQ_FOR_EACH(VX_TEST_PREDICATE_CALL, ~,             \
                                                                   VX_ENUM_SEQ(NAMES))};                  \
                },                                                                                        \
                []() -> const datatypes::VXTypedEnumStringType* { return datatypes::T##Style::getInstance(); }},
#include "enums/catalog.def"
    };
    return rows;
}

inline std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Owns a value slot of a type and destroys it through the type.
class Value {
public:
    Value(const char* typeName, nyro::COSValue v) : type_(vxtest::type(typeName)), v_(v) {}
    ~Value()
    {
        if (type_)
            type_->destroy(v_);
    }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    nyro::COSValue slot() const { return v_; }
    const datatypes::EnumBase* get() const { return nyro::pointerValue<const datatypes::EnumBase*>(v_); }

private:
    nyro::COSDataType* type_;
    nyro::COSValue v_;
};

// The full name that the string converter gives back for `v` (the returned
// copy is freed here); nullopt for a null text.
inline std::optional<std::string> nameOf(const char* typeName, nyro::COSValue v)
{
    nyro::COSValue text = vxtest::conversion("string", typeName)->to(v);
    if (text.isNull())
        return std::nullopt;
    std::string name = datatypes::textOf(text);
    utFree(nyro::pointerValue<char*>(text));
    return name;
}

// What setting a property of the type from a char array holding `input`
// gives: the name read back, or the error raised.
struct Outcome {
    std::optional<std::string> name;
    std::optional<vxtest::Raised> error;
};

inline Outcome setFromArray(const char* typeName, const std::string& input)
{
    Outcome out;
    gui_objects::QxArrayPtr array(qxCreateString(input.c_str()));
    out.error = vxtest::raisedBy([&] {
        Value v(typeName, vxtest::conversion("any", typeName)->from(datatypes::slotOf(array.get())));
        out.name = nameOf(typeName, v.slot());
    });
    return out;
}

inline std::string badName(const std::string& input, const char* typeName)
{
    return "Bad value " + input + " for " + typeName + ".";
}

} // namespace enumtest
