// Text conversions of the host's plain scalar types ("int32 scalar", "double",
// "logical", ...), installed by the module entry point.
#pragma once

#include <boost/lexical_cast.hpp>

#include <string>
#include <type_traits>

#include "gui_objects/gui_objects.h"
#include "nyro/nyro.h"

namespace datatypes {

// How a scalar of type T sits in a value slot: signed integers sign-extended,
// unsigned ones zero-extended, floating values as the bits of a double.
template <class T>
struct ScalarSlot {
    static nyro::COSValue store(T v)
    {
        if constexpr (std::is_floating_point_v<T>)
            return nyro::COSValue::fromDouble(static_cast<double>(v));
        else if constexpr (std::is_signed_v<T>)
            return nyro::COSValue(static_cast<std::uint64_t>(static_cast<std::int64_t>(v)));
        else
            return nyro::COSValue(static_cast<std::uint64_t>(v));
    }
    static T load(nyro::COSValue v)
    {
        if constexpr (std::is_floating_point_v<T>)
            return static_cast<T>(v.asDouble());
        else
            return static_cast<T>(v.bits());
    }
};

// Text to and from a numeric scalar with the stream syntax of T: exactly one
// value, no blanks, in range; 8-bit types read and write one character.
template <class T>
class StringConversion : public nyro::COSTypeConversion {
    // A null text reads as nothing. Integers wider than a character are an
    // optional sign and decimal digits, nothing else: any other text fails
    // before it reaches the reader, whose digit loop computes with a non-digit
    // as if it were one (and overflows a 16-bit reader's arithmetic when one
    // stands six or more places from the end). The outcome is the reader's own:
    // such a text is no integer in the stream syntax.
    static bool readable(const char* text)
    {
        if (!text)
            return false;
        if constexpr (std::is_integral_v<T> && sizeof(T) > 1) {
            if (*text == '+' || *text == '-')
                ++text;
            for (; *text; ++text)
                if (*text < '0' || *text > '9')
                    return false;
        }
        return true;
    }

public:
    nyro::COSValue from(nyro::COSValue s) const override
    {
        const char* text = nyro::pointerValue<const char*>(s);
        if (!readable(text))
            throw gui_objects::convert_from_string_utils::ParseException();
        try {
            return ScalarSlot<T>::store(boost::lexical_cast<T>(text));
        } catch (...) {
            throw gui_objects::convert_from_string_utils::ParseException();
        }
    }
    nyro::COSValue to(nyro::COSValue v) const override
    {
        std::string text;
        try {
            text = boost::lexical_cast<std::string>(ScalarSlot<T>::load(v));
        } catch (...) {
            throw gui_objects::convert_from_string_utils::ParseException();
        }
        return copyText(text);
    }

private:
    static nyro::COSValue copyText(const std::string& text);
};

// "true" and "false", exactly.
template <>
class StringConversion<bool> : public nyro::COSTypeConversion {
public:
    nyro::COSValue from(nyro::COSValue s) const override;
    nyro::COSValue to(nyro::COSValue v) const override;
};

// Strings go through the host's own "string" type, which copies them.
class StringStringConversion : public nyro::COSTypeConversion {
public:
    nyro::COSValue from(nyro::COSValue s) const override;
    nyro::COSValue to(nyro::COSValue v) const override;
};

} // namespace datatypes
