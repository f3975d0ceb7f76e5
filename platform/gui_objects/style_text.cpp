#include "gui_objects/style_text.h"

#include <array>

namespace gui_objects::convert_from_string_utils {

namespace {

enum Kind { Colour, Marker, LineStyle, KindCount };

struct Part {
    std::string_view text; // canonical, lower case
    Kind kind;
};

// Longer parts first, so that the first match at a position is the longest.
constexpr Part parts[] = {
    {"pentagram", Marker}, {"hexagram", Marker}, {"diamond", Marker}, {"square", Marker}, {"none", Marker},
    {"--", LineStyle},     {"-.", LineStyle},    {"-", LineStyle},    {":", LineStyle},
    {"+", Marker},         {"o", Marker},        {"*", Marker},       {".", Marker},     {"x", Marker},
    {"s", Marker},         {"d", Marker},        {"^", Marker},       {"v", Marker},     {">", Marker},
    {"<", Marker},         {"p", Marker},        {"h", Marker},
    {"r", Colour},         {"g", Colour},        {"b", Colour},       {"c", Colour},     {"m", Colour},
    {"y", Colour},         {"k", Colour},        {"w", Colour},
};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool startsWith(std::string_view rest, std::string_view part)
{
    if (rest.size() < part.size())
        return false;
    for (std::size_t i = 0; i < part.size(); ++i)
        if (lower(rest[i]) != part[i])
            return false;
    return true;
}

} // namespace

bool stringToColorMarkerLineStyle(std::string_view text, std::string& colour, std::string& marker,
                                  std::string& lineStyle)
{
    std::array<std::string_view, KindCount> found{};
    std::array<bool, KindCount> seen{};
    std::size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        const Part* match = nullptr;
        for (const Part& p : parts) {
            if (startsWith(text.substr(i), p.text)) {
                match = &p;
                break;
            }
        }
        if (!match || seen[match->kind])
            return false;
        seen[match->kind] = true;
        found[match->kind] = match->text;
        i += match->text.size();
    }
    colour = found[Colour];
    marker = found[Marker];
    lineStyle = found[LineStyle];
    return true;
}

} // namespace gui_objects::convert_from_string_utils
