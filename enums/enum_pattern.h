// What every enumerated property type shares. A type T is
//   - the value class T (nested enumeration T::value with enumerators kName,
//     one predicate isName per name),
//   - its name table TStyle (an EnumStringType named "TStyle" in the repository),
//   - its data type TDataType (a name table of its own, then the COSDataType),
//   - its converters TSC (text), TMC (host char arrays) and TJC (Java).
// They are generated from the lines of enums/catalog.def by the macros at the
// end of this file; see enums/enum_types.h.
#pragma once

#include <cstdint>

#include <boost/preprocessor/cat.hpp>
#include <boost/preprocessor/seq/for_each.hpp>
#include <boost/preprocessor/seq/size.hpp>
#include <boost/preprocessor/seq/variadic_seq_to_seq.hpp>
#include <boost/preprocessor/stringize.hpp>
#include <boost/preprocessor/tuple/elem.hpp>

#include "enums/enum_string_type.h"
#define VX_MESSAGES "enums/messages.def"
#include "frame/messages.h"
#define VX_MESSAGES "frame/messages.def"
#include "frame/messages.h"
#include "frame/datatype.h"

namespace datatypes {

// An enumerated value: whatever its type, it reads as the number of its name.
class VX_API EnumBase {
public:
    virtual ~EnumBase();
    virtual std::int32_t getIntValue() const = 0;
};

// Something the host may attach to an enumerated value. Values that carry the
// same attachment (a value and its copies) hold one reference each; the last
// one to go deletes it.
class EnumAttachment {
public:
    virtual ~EnumAttachment();
    void addReference() noexcept { ++references_; }
    void releaseReference() noexcept
    {
        if (--references_ == 0)
            delete this;
    }

private:
    long references_ = 1;
};

// The number of the name and the attachment (null unless the host attached
// something), kept in zero-filled utility-heap storage.
class VX_API EnumValue : public EnumBase, public UtCallocAllocated {
public:
    std::int32_t getIntValue() const final { return value_; }
    // Takes over one reference to `a` (null detaches), releasing the previous one.
    void attach(EnumAttachment* a) noexcept;
    EnumAttachment* attached() const noexcept { return attached_; }

protected:
    explicit EnumValue(std::int32_t v = 0) noexcept : value_(v) {}
    EnumValue(const EnumValue& o) noexcept;
    EnumValue& operator=(const EnumValue& o) noexcept;
    ~EnumValue() override;

    std::int32_t value_;
    EnumAttachment* attached_ = nullptr;
};

// ---- the pieces the converters share (enums/enum_pattern.cpp) ---------------------

// A new utility-heap copy of the name of `v` (empty when no name carries it).
COSValue enumNameText(const VXTypedEnumStringType& names, const EnumBase& v);
// A new host char array of the name of `v` (empty when no name carries it).
COSValue enumNameArray(const VXTypedEnumStringType& names, const EnumBase& v);

// ---- data type and converters ------------------------------------------------------

// The data type of an enumerated type: first its own name table, then the
// object system's side. Values are 12 bytes to the object system; the default
// is the first name.
template <class Derived, class Style, class V>
class EnumDataType : public Style, public ValueDataType<Derived, V> {
public:
    static constexpr int valueBytes = 12;

    COSValue makeDefault() const { return this->emplace(); }
    // A new value of the name numbered `n`.
    COSValue makeValue(std::int32_t n) const { return this->emplace(static_cast<typename V::value>(n)); }
    bool areNonStringValuesAllowed() const { return true; }
    const nyro::EnumerationType* getEnumerationType() const { return nullptr; }

    // The catalog's part: the names of the table in order, the default's marked.
    static void describe(catalog::TypeEntry& e)
    {
        const std::int32_t byDefault = V().getIntValue();
        for (std::int32_t i = 0; i < Style::count; ++i)
            e.names.push_back({Style::enumNames[i], i == byDefault});
        e.matching = enumNameMatching;
        e.accepts.push_back("one of the names, as text or a char row");
        e.refusals.push_back(msg::BadEnumName.id);
    }
};

// Text to value: the name that the text selects (any letter case, exact name
// or unambiguous abbreviation); text from value: a copy of the full name.
template <class DT>
class EnumSC : public nyro::COSTypeConversion {
public:
    explicit EnumSC(const DT& type) : type_(&type) {}
    COSValue from(COSValue s) const override { return fromText(*type_, textOf(s)); }
    // Unknown names and abbreviations of several names are refused alike.
    static COSValue fromText(const DT& type, const char* text)
    {
        if (!type.isValidEnumName(text)) {
            raise(msg::BadEnumName, text ? text : "", DT::typeName);
            return {};
        }
        return type.makeValue(type.getEnumValue(text));
    }
    // The null value gives the null text.
    COSValue to(COSValue v) const override
    {
        return v.isNull() ? COSValue() : enumNameText(*type_, *DT::valueOf(v));
    }

private:
    const DT* type_;
};

// Host char array to value, by the text converter's rules; value to a char
// array of the full name.
template <class DT>
class EnumMC : public nyro::COSTypeConversion {
public:
    explicit EnumMC(const DT& type) : type_(&type) {}
    COSValue from(COSValue a) const override
    {
        const qxArrayView array = qxGetArrayView(arrayOf(a));
        if (array.cls != qxCHAR_CLASS) {
            raise(msg::BadEnumValue, "", DT::typeName);
            return {};
        }
        CharText text(array);
        return EnumSC<DT>::fromText(*type_, text.get());
    }
    // The null value has no name to give: an error.
    COSValue to(COSValue v) const override
    {
        if (v.isNull()) {
            raise(msg::BadEnumValue, "", DT::typeName);
            return {};
        }
        return enumNameArray(*type_, *DT::valueOf(v));
    }

private:
    const DT* type_;
};

} // namespace datatypes

// ---- generators ------------------------------------------------------------------
// NAMES is a list of (Id, "name") pairs: (Auto, "auto") (Manual, "manual").

#define VX_ENUM_SEQ(NAMES) BOOST_PP_VARIADIC_SEQ_TO_SEQ(NAMES)
#define VX_ENUM_ID(entry) BOOST_PP_TUPLE_ELEM(2, 0, entry)
#define VX_ENUM_TEXT(entry) BOOST_PP_TUPLE_ELEM(2, 1, entry)

#define VX_ENUM_ENUMERATOR(r, data, entry) BOOST_PP_CAT(k, VX_ENUM_ID(entry)),
#define VX_ENUM_NAME_TEXT(r, data, entry) VX_ENUM_TEXT(entry),
#define VX_ENUM_PREDICATE(r, data, entry)                                                                 \
    bool BOOST_PP_CAT(is, VX_ENUM_ID(entry))() const { return value_ == BOOST_PP_CAT(k, VX_ENUM_ID(entry)); }

// enum value : std::int32_t { kAuto, kManual, };
#define VX_ENUM_NESTED_VALUE(NAMES)                                                                       \
    enum value : std::int32_t { BOOST_PP_SEQ_FOR_EACH(VX_ENUM_ENUMERATOR, ~, VX_ENUM_SEQ(NAMES)) }

// A name table: an EnumStringType under its own class name, filled with the
// names numbered 0, 1, 2, ...; getInstance is the process-wide table.
#define VX_ENUM_NAME_TABLE_CLASS(Table, NAMES)                                                            \
    class Table : public EnumStringType {                                                                 \
    public:                                                                                               \
        VX_ENUM_NESTED_VALUE(NAMES);                                                                      \
        static constexpr int count = BOOST_PP_SEQ_SIZE(VX_ENUM_SEQ(NAMES));                               \
        static constexpr const char* enumNames[count] = {                                                 \
            BOOST_PP_SEQ_FOR_EACH(VX_ENUM_NAME_TEXT, ~, VX_ENUM_SEQ(NAMES))};                             \
        Table() : EnumStringType(BOOST_PP_STRINGIZE(Table))                                               \
        {                                                                                                 \
            for (std::int32_t i = 0; i < count; ++i)                                                      \
                addEnumValue(enumNames[i], i);                                                            \
        }                                                                                                 \
        static Table* getInstance()                                                                       \
        {                                                                                                 \
            static Table* table = nullptr;                                                                \
            if (!table)                                                                                   \
                table = new Table();                                                                      \
            return table;                                                                                 \
        }                                                                                                 \
    };

// The value class T, its name table, data type and converters.
#define VX_ENUM_TYPE_CLASSES(T, NAMES)                                                                    \
    class VX_API T : public EnumValue {                                                                        \
    public:                                                                                               \
        VX_ENUM_NESTED_VALUE(NAMES);                                                                      \
        T() = default;                                                                                    \
        T(value v) : EnumValue(v) {}                                                                      \
        BOOST_PP_SEQ_FOR_EACH(VX_ENUM_PREDICATE, ~, VX_ENUM_SEQ(NAMES))                                   \
        bool operator==(const T& o) const { return value_ == o.value_; }                                  \
    };                                                                                                    \
    VX_ENUM_NAME_TABLE_CLASS(T##Style, NAMES)                                                             \
    class T##DataType final : public EnumDataType<T##DataType, T##Style, T> {                             \
    public:                                                                                               \
        static constexpr const char* typeName = #T;                                                       \
    };                                                                                                    \
    class T##SC : public EnumSC<T##DataType> {                                                            \
    public:                                                                                               \
        using EnumSC::EnumSC;                                                                             \
    };                                                                                                    \
    class T##MC : public EnumMC<T##DataType> {                                                            \
    public:                                                                                               \
        using EnumMC::EnumMC;                                                                             \
    };                                                                                                    \
    class T##JC : public JavaConversionThroughArray<T##MC, Intermediate::LeaveToHost> {                   \
    public:                                                                                               \
        explicit T##JC(const T##DataType& type) : JavaConversionThroughArray(type) {}                     \
    };
