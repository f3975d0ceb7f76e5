// The array property pattern. An array-valued property type is one row:
//
//   VX_ARRAY_TYPE(ColorMap, "[]", qxDOUBLE_CLASS, Accepted, AsGiven,
//                 form::NormalizedColorMap, form::UINT8ColorMap)
//
// naming the type, its default text, the element class its text is parsed into
// (and of its empty results), whether null and empty arrays are accepted before
// any form is tried, how the accepted array is stored, and its forms in the
// order they are tried. From the row come the value class `T` (an ArrayBase
// with a validating constructor and the validators of its forms), the data
// type `TDataType` and the converters `TSC` (text) and `TMC` (host arrays).
#pragma once

#include <memory>

#include "arrays/array_base.h"
#include "arrays/forms.h"
#include "frame/datatype.h"
#include "frame/errors.h"
#include "gui_objects/parse.h"

namespace datatypes {

// Whether null and empty arrays are valid before any form is tried.
enum class EmptyArrays { Accepted, Refused };
// How a value keeps an accepted array: as given, or reshaped into one row.
enum class Stored { AsGiven, AsRow };

template <class Derived, EmptyArrays Empty, Stored Store, const Form&... Forms>
class ArrayValue : public ArrayBase, public UtCallocAllocated, public FormMembers<Forms, Derived>... {
public:
    ArrayValue() = default;
    ArrayValue(const ArrayValue&) = default;
    ArrayValue& operator=(const ArrayValue&) = default;

    // Keeps a shared copy of `a`, then validates `a`; an array that has none of
    // the forms throws InvalidArrayException and leaves nothing behind. A sparse
    // array is validated first, on its stored elements, and made full only once
    // accepted: the refusal is the same, without the cost of a full copy.
    explicit ArrayValue(const qxArray* a) : ArrayValue(a, qxGetArrayView(a)) {}

    // The type's forms, tried in order (see validateForms).
    static bool accepts(const qxArray* a, ErrorMessage* record)
    {
        if (Empty == EmptyArrays::Accepted && isEmpty(a))
            return true;
        return validateForms<Forms...>(a, record);
    }
    bool isValid(const qxArray* a, ErrorMessage* record) override { return accepts(a, record); }

    // The catalog's part: the forms in the order tried.
    static void describeForms(catalog::TypeEntry& e)
    {
        e.emptyAccepted = Empty == EmptyArrays::Accepted;
        if (e.emptyAccepted)
            e.accepts.emplace_back("[] (empty)");
        for (const Form* form : {&Forms...}) {
            e.forms.push_back(describe(*form));
            e.accepts.push_back(inWords(e.forms.back()));
        }
    }
    unsigned long getMaxNumberOfValuesToCompare() const override { return 32000; }

private:
    // The array is read once (`view`) for the copy and every check.
    ArrayValue(const qxArray* a, const qxArrayView& view) : ArrayBase(validatedIfSparse(a, view), view)
    {
        if (!view.sparse)
            validateOrThrow(a, view);
        if constexpr (Store == Stored::AsRow) {
            // Kept as a row; one that is a row already stays as it is.
            const bool isRow = view.ndim == 2 && view.dims[0] == 1;
            if (qxArray* held = getPtr(); held && !isRow) {
                qxSetM(held, 1);
                qxSetN(held, view.numel);
            }
        }
    }
    // What the record of isValid(a, record) would end with, thrown; the
    // record itself is never built for an array that is accepted.
    [[gnu::always_inline]] static void validateOrThrow(const qxArray* a, const qxArrayView& view)
    {
        if (Empty == EmptyArrays::Accepted && (!a || view.numel == 0))
            return;
        if (const Failure* failure = refusal<Forms...>(a, view)) [[unlikely]]
            refuse(*failure);
    }
    [[noreturn, gnu::noinline, gnu::cold]] static void refuse(const Failure& failure)
    {
        throw InvalidArrayException(failure.id, failure.text);
    }
    static const qxArray* validatedIfSparse(const qxArray* a, const qxArrayView& view)
    {
        if (view.sparse)
            validateOrThrow(a, view);
        return a;
    }
};

// Text to value: the bracketed numbers parsed into an array of class Cls, then
// the validating constructor. Text the parser or the type rejects gives no
// value and no host error; "[]" gives a value holding no array.
template <class V, qxClassID Cls>
class ArraySC : public nyro::COSTypeConversion {
public:
    COSValue from(COSValue s) const override
    {
        namespace parse = gui_objects::convert_from_string_utils;
        const char* text = textOf(s);
        if (!text)
            return {};
        try {
            qxSize rows = 0, cols = 0;
            parse::parse_array_dimensions(text, rows, cols);
            if (rows == 0 || cols == 0)
                return slotOf(new V());
            gui_objects::QxArrayPtr parsed(parse::parse_mxn(rows, cols, Cls, text));
            if (!parsed)
                return {};
            return slotOf(new V(parsed.get()));
        } catch (const gui_objects::convert_from_string_utils::ParseException&) {
        } catch (const ArrayBase::InvalidArrayException&) {
        }
        return {};
    }
    COSValue to(COSValue v) const override
    {
        const V* value = nyro::pointerValue<const V*>(v);
        return value ? slotOf(value->convert_to_string()) : COSValue();
    }
};

// Host array to value and back. A rejected array raises the failed check's
// message with the type's name in place of "%s".
template <class V, class DT>
class ArrayMC : public nyro::COSTypeConversion {
public:
    COSValue from(COSValue a) const override
    {
        const qxArray* array = arrayOf(a);
        if (!array)
            return {};
        try {
            return slotOf(new V(array));
        } catch (const ArrayBase::InvalidArrayException& e) {
            qxErrMsgWrapper(e.id.c_str(), e.message.c_str(), DT::typeName);
        }
        return {};
    }
    // A shared copy of the held array; an empty matrix of the type's class for
    // a null value or a value holding no array.
    COSValue to(COSValue v) const override
    {
        const V* value = nyro::pointerValue<const V*>(v);
        if (!value)
            return slotOf(qxCreateNumericMatrix_730(0, 0, DT::elementClass, qxREAL));
        if (gui_objects::QxArrayPtr copy = value->getSharedDataCopy())
            return slotOf(copy.release());
        qxArray* empty = qxCreateNumericMatrix_730(0, 0, DT::elementClass, qxREAL);
        qxSetArrayScope(empty, 2);
        return slotOf(empty);
    }
};

// The data type: equality of the held arrays, copies sharing element data, and
// the default parsed once from the type's default text. A default text the type
// rejects gives no default, and is tried again on the next call.
template <class Derived, class V, class SC>
class ArrayDataType : public ValueDataType<Derived, V> {
public:
    static constexpr int valueBytes = 4;
    bool areNonStringValuesAllowed() const { return true; }
    static void describe(catalog::TypeEntry& e) { V::describeForms(e); }

    COSValue getDefaultValue() const override
    {
        static COSValue cached = makeDefault();
        if (cached.isNull())
            cached = makeDefault();
        return cached;
    }
    static COSValue makeDefault() { return SC().from(slotOf(Derived::defaultText)); }
};

} // namespace datatypes

// Declares the value class, converters and data type of an array-valued type
// (inside namespace datatypes). Register it with VX_REGISTER_ARRAY_TYPE(T).
#define VX_DECLARE_ARRAY_TYPE(T, DefaultText, ElementClass, Empty, Store, ...)                                 \
    class VX_API T final : public ArrayValue<T, EmptyArrays::Empty, Stored::Store, __VA_ARGS__> {              \
    public:                                                                                                     \
        using ArrayValue::ArrayValue;                                                                           \
    };                                                                                                          \
    class T##SC : public ArraySC<T, ElementClass> {};                                                           \
    class T##DataType : public ArrayDataType<T##DataType, T, T##SC> {                                           \
    public:                                                                                                     \
        static constexpr const char* typeName = #T;                                                             \
        static constexpr const char* defaultText = DefaultText;                                                 \
        static constexpr qxClassID elementClass = ElementClass;                                                 \
    };                                                                                                          \
    class T##MC : public ArrayMC<T, T##DataType> {};
