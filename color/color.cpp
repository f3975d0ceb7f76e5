#include "color/color.h"

#include <boost/numeric/conversion/cast.hpp>

#include <algorithm>
#include <cstdint>

#define VX_MESSAGES "color/messages.def"
#include "frame/messages.h"
#include "gui_objects/geometry.h"
#include "qx/console.h"
#include "ut/name_match.h"

namespace datatypes {

namespace cfs = gui_objects::convert_from_string_utils;

// ---- ColorBase ---------------------------------------------------------------------

gui_objects::QxArrayPtr ColorBase::getColorAsArray() const
{
    gui_objects::Color4b c = getAsColor4b();
    gui_objects::QxArrayPtr array(qxCreateNumericMatrix(4, 1, qxUINT8_CLASS, qxREAL));
    auto* d = static_cast<std::uint8_t*>(qxGetData(array.get()));
    d[0] = c.getRed();
    d[1] = c.getGreen();
    d[2] = c.getBlue();
    d[3] = c.getAlpha();
    return array;
}

void ColorBase::setColorFromString(const char* text)
{
    const ColorNameTable& table = ColorNameTable::getInstance();
    bool ambiguous = false;
    if (const ColorNameTable::ColorValue* c = table.find(text, ambiguous)) {
        red_ = c->red;
        green_ = c->green;
        blue_ = c->blue;
        return;
    }
    if (ambiguous) {
        try {
            table.getColorValue(text); // gives the console notice
        } catch (const AmbiguousNameException&) {
        }
        raise(msg::AmbiguousColorName);
    }
    double v[4];
    bool withAlpha = false;
    try {
        gui_objects::Point3d p = cfs::parse_1x3_double(text);
        v[0] = p.getX();
        v[1] = p.getY();
        v[2] = p.getZ();
        v[3] = 1.0;
    } catch (const cfs::ParseException&) {
        try {
            gui_objects::Point4d p = cfs::parse_1x4_double(text);
            v[0] = p.getX();
            v[1] = p.getY();
            v[2] = p.getZ();
            v[3] = p.getW();
            withAlpha = true;
        } catch (const cfs::ParseException&) {
            raise(msg::ColorParseError);
        }
    }
    if (!(isColorComponent(v[0]) && isColorComponent(v[1]) && isColorComponent(v[2]) &&
          (!withAlpha || isColorComponent(v[3]))))
        raise(msg::ColorOutOfRange);
    red_ = v[0];
    green_ = v[1];
    blue_ = v[2];
    alpha_ = v[3];
}

// ---- ColorNameTable -------------------------------------------------------------------

namespace {

struct NamedColor {
    const char* name;
    double red, green, blue;
};

// "g", "b", "k" and "w" are names of their own: as abbreviations g and b would
// be ambiguous (gray/green, black/blue) and k would select nothing. y, m, c and
// r reach their colors as abbreviations.
constexpr NamedColor builtInColors[] = {
    {"yellow", 1, 1, 0},
    {"magenta", 1, 0, 1},
    {"cyan", 0, 1, 1},
    {"red", 1, 0, 0},
    {"green", 0, 1, 0},
    {"g", 0, 1, 0},
    {"blue", 0, 0, 1},
    {"b", 0, 0, 1},
    {"black", 0, 0, 0},
    {"w", 1, 1, 1},
    {"white", 1, 1, 1},
    {"k", 0, 0, 0},
    {"gray", 0.5, 0.5, 0.5},
    {"defaultgridcolor", 0.8, 0.82, 0.86},
    {"defaultaxesboxcolor", 0.2, 0.2, 0.2},
};

} // namespace

ColorNameTable& ColorNameTable::getInstance()
{
    static ColorNameTable* table = new ColorNameTable;
    return *table;
}

void ColorNameTable::reset()
{
    map_.clear();
    index_.clear();
    colors_.clear();
    for (const NamedColor& c : builtInColors)
        addNamedColor(c.name, c.red, c.green, c.blue, true);
}

const ColorNameTable::ColorValue* ColorNameTable::find(const char* text, bool& ambiguous) const
{
    const int i = text ? index_.match(text) : ut::NameMatcher::none;
    ambiguous = i == ut::NameMatcher::ambiguous;
    return i >= 0 ? colors_[static_cast<std::size_t>(i)] : nullptr;
}

bool ColorNameTable::isNameInTable(const char* text) const
{
    return text && index_.match(text) != ut::NameMatcher::none;
}

ColorNameTable::ColorValue ColorNameTable::getColorValue(const char* text) const
{
    bool ambiguous = false;
    if (const ColorValue* c = find(text, ambiguous))
        return *c;
    if (!ambiguous)
        throw MissingNameException();
    qxPrintf(msg::AmbiguousColorNameNotice.text, text);
    throw AmbiguousNameException();
}

void ColorNameTable::addNamedColor(std::string name, double r, double g, double b, bool replace)
{
    if (!replace && isNameInTable(name.c_str())) {
        std::string detail = "ColorNameTable::addNamedColor, color name: " + name + " is already used in the color table.";
        raise(msg::ColorNameInUse, detail.c_str());
    }
    const auto [it, added] = map_.insert_or_assign(std::move(name), createColorValueFromRGB(r, g, b));
    // A search lower-cases its text, so it can only reach names that
    // lower-casing leaves as they are; map nodes stay where they are.
    if (added && ut::isFolded(it->first)) {
        try {
            if (colors_.size() == colors_.capacity())
                colors_.reserve(std::max<std::size_t>(16, 2 * colors_.size()));
            index_.add(it->first);
        } catch (...) {
            map_.erase(it);
            throw;
        }
        colors_.push_back(&it->second);
    }
}

std::vector<std::string> ColorNameTable::getNames() const
{
    std::vector<std::string> names;
    names.reserve(map_.size());
    for (const auto& [name, value] : map_)
        names.push_back(name);
    return names;
}

std::vector<ColorNameTable::ColorValue> ColorNameTable::getColors() const
{
    std::vector<ColorValue> colors;
    colors.reserve(map_.size());
    for (const auto& [name, value] : map_)
        colors.push_back(value);
    return colors;
}

// ---- the table as a host struct --------------------------------------------------------

namespace detail {
int colorTableFieldCount(std::size_t entries)
{
    try {
        return boost::numeric_cast<std::int32_t>(entries);
    } catch (const boost::numeric::bad_numeric_cast&) {
        qxErrMsg(74);
    }
}
} // namespace detail

qxArray* getColorTableAsArray()
{
    const ColorNameTable::Map& map = ColorNameTable::getInstance().getColorMap();
    int count = detail::colorTableFieldCount(map.size());
    std::vector<const char*> names;
    names.reserve(map.size());
    for (const auto& [name, value] : map)
        names.push_back(name.c_str());
    gui_objects::QxArrayPtr table(qxCreateStructMatrix(1, 1, count, names.data()));
    int field = 0;
    for (const auto& [name, value] : map) {
        qxArray* rgb = qxCreateDoubleMatrix(1, 3, qxREAL);
        double* d = qxGetPr(rgb);
        d[0] = value.red;
        d[1] = value.green;
        d[2] = value.blue;
        qxSetFieldByNumber(table.get(), 0, field++, rgb);
    }
    qxSetArrayScope(table.get(), 0);
    return table.release();
}

} // namespace datatypes
