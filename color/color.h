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

// The named colors, one table per process. Names are kept as given and
// matched against the search text with each of its bytes lower-cased: an
// exact name wins, otherwise a name the text uniquely abbreviates. A name
// holding capitals is listed but no search reaches it.
class VX_API ColorNameTable {
public:
    struct ColorValue {
        double red = 0;
        double green = 0;
        double blue = 0;
        friend bool operator==(const ColorValue&, const ColorValue&) = default;
    };
    // Byte order of the names.
    using Map = std::map<std::string, ColorValue>;

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
    // The color the text selects, or null when it selects none; `ambiguous`
    // tells the two causes apart. One search, no notice.
    const ColorValue* find(const char* text, bool& ambiguous) const;
    // Adds `name` as given (no lower-casing) or replaces its color. Without
    // `replace`, a name that begins an existing name is refused with a host error.
    void addNamedColor(std::string name, double r, double g, double b, bool replace);

    const Map& getColorMap() const { return map_; }
    std::vector<std::string> getNames() const;
    std::vector<ColorValue> getColors() const;

private:
    ColorNameTable() { reset(); }
    Map map_;
    // The names a search can reach (those lower-casing leaves as they are),
    // with the color of each by position.
    ut::NameMatcher index_{ut::NameMatcher::Case::Fold};
    std::vector<const ColorValue*> colors_;
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
