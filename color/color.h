// Color values and the process-wide table of named colors.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "frame/datatype.h"
#include "frame/errors.h"
#include "gui_objects/color.h"
#include "ut/name_match.h"

namespace datatypes {

// A color component lies in [0, 1]; NaN fails both comparisons.
inline bool isColorComponent(double v) { return v >= 0.0 && v <= 1.0; }

// Red, green, blue and alpha as doubles (0 to 1 by convention; setters store
// without a check). Base of the RGBA and mesh color values.
class VX_API ColorBase : public UtMallocAllocated {
public:
    ColorBase() = default;
    ColorBase(double r, double g, double b, double a) : red_(r), green_(g), blue_(b), alpha_(a) {}
    ColorBase(const ColorBase&) = default;
    ColorBase& operator=(const ColorBase&) = default;

    double getRed() const { return red_; }
    double getGreen() const { return green_; }
    double getBlue() const { return blue_; }
    double getAlpha() const { return alpha_; }
    void setRed(double v) { red_ = v; }
    void setGreen(double v) { green_ = v; }
    void setBlue(double v) { blue_ = v; }
    void setAlpha(double v) { alpha_ = v; }

    // All four components equal (a NaN component makes two colors unequal).
    friend bool operator==(const ColorBase& a, const ColorBase& b)
    {
        return a.red_ == b.red_ && a.green_ == b.green_ && a.blue_ == b.blue_ && a.alpha_ == b.alpha_;
    }

    gui_objects::Color4d getAsColor4d() const { return {red_, green_, blue_, alpha_}; }
    gui_objects::Color4b getAsColor4b() const { return getAsColor4d().asColor4b(); }
    // A new 4x1 uint8 array [red; green; blue; alpha] of the byte components.
    gui_objects::QxArrayPtr getColorAsArray() const;

    // A color name of the table (red, green and blue taken from it, alpha kept),
    // else "[r g b]" (alpha becomes 1), else "[r g b a]". Raises the host errors
    // for an ambiguous name, a number outside 0..1 or NaN, and unreadable text;
    // on error no component changes.
    void setColorFromString(const char* text);

private:
    double red_ = 0;
    double green_ = 0;
    double blue_ = 0;
    double alpha_ = 1;
};

// The named colors, one table per process. Names are matched against the
// lower-cased search text: an exact name wins, otherwise a name the text
// uniquely abbreviates.
class VX_API ColorNameTable {
public:
    struct ColorValue {
        double red = 0;
        double green = 0;
        double blue = 0;
        friend bool operator==(const ColorValue&, const ColorValue&) = default;
    };
    // A search text as the table sees it: each byte lower-cased as it is read,
    // so that looking a name up builds no string.
    struct LoweredText {
        const char* text;
        const std::int32_t* table; // ut::lowerCaseTable()
    };
    // Plain byte order of the names; a LoweredText is compared as its lower-cased bytes.
    struct NameOrder {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return a < b; }
        bool operator()(std::string_view name, const LoweredText& t) const
        {
            bool prefix = false;
            return order(name, t, prefix) < 0;
        }
        bool operator()(const LoweredText& t, std::string_view name) const
        {
            bool prefix = false;
            return order(name, t, prefix) > 0;
        }
    };
    using Map = std::map<std::string, ColorValue, NameOrder>;

    static ColorValue createColorValueFromRGB(double r, double g, double b) { return {r, g, b}; }

    // Created on first use, never destroyed.
    static ColorNameTable& getInstance();

    // Back to the built-in colors only.
    void reset();
    // Some name begins with the lower-cased text.
    bool isNameInTable(const char* text) const;
    // The color the text selects; MissingNameException when no name begins with
    // it, AmbiguousNameException (after a console notice) when several do and
    // none equals it.
    ColorValue getColorValue(const char* text) const;
    // Adds `name` as given (no lower-casing) or replaces its color. Without
    // `replace`, a name that begins an existing name is refused with a host error.
    void addNamedColor(std::string name, double r, double g, double b, bool replace);

    const Map& getColorMap() const { return map_; }
    std::vector<std::string> getNames() const;
    std::vector<ColorValue> getColors() const;

private:
    ColorNameTable() { reset(); }
    // How a name stands to a lowered text in byte order: negative when it
    // sorts before it, positive after, 0 when equal; `prefix` tells whether
    // the text runs out within the name (the name begins with it).
    static int order(std::string_view name, const LoweredText& t, bool& prefix)
    {
        for (std::size_t i = 0;; ++i) {
            const char c = t.text[i];
            if (c == '\0') {
                prefix = true;
                return i == name.size() ? 0 : 1;
            }
            prefix = false;
            if (i == name.size())
                return -1;
            const auto a = static_cast<unsigned char>(name[i]);
            const auto b = static_cast<unsigned char>(ut::foldByte(c, t.table));
            if (a != b)
                return a < b ? -1 : 1;
        }
    }
    static bool beginsWith(std::string_view name, const LoweredText& t)
    {
        bool prefix = false;
        order(name, t, prefix);
        return prefix;
    }
    static bool equals(std::string_view name, const LoweredText& t)
    {
        bool prefix = false;
        return order(name, t, prefix) == 0;
    }
    // The first name (in map order) that begins with the lower-cased text, or end.
    Map::const_iterator firstMatch(const LoweredText& text) const;
    Map map_;
};

// The table as a new 1x1 struct (scope 0): one field per name in map order,
// each a 1x3 double [red green blue].
VX_API qxArray* getColorTableAsArray();

namespace detail {
// The number of table entries as a struct field count; raises host error 74
// when it does not fit a signed 32-bit count.
int colorTableFieldCount(std::size_t entries);
} // namespace detail

} // namespace datatypes
