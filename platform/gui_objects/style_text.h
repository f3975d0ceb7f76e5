// Style texts: short texts such as "--o", ":", "r-." or "square" that name a
// line style, a marker and a colour together.
//
// Grammar (letters in any case; blanks, spaces and tabs, may stand before,
// between and after the parts and are ignored):
//   style-text := blanks ( part blanks )*
//   part       := line-style | marker | colour     -- each kind at most once,
//                                                      in any order
//   line-style := "--" | "-." | "-" | ":"
//   marker     := "none" | "square" | "diamond" | "pentagram" | "hexagram"
//               | "+" | "o" | "*" | "." | "x" | "s" | "d" | "^" | "v" | ">"
//               | "<" | "p" | "h"
//   colour     := "r" | "g" | "b" | "c" | "m" | "y" | "k" | "w"
// At every position the longest part that matches is taken: the words come
// before their first letters, and "--" and "-." before "-". So "-." is the
// dash-dot line style and "-.." is the dash-dot line style with the point
// marker; "sq" is not a marker.
#pragma once

#include <string>
#include <string_view>

namespace gui_objects::convert_from_string_utils {

// Splits `text` into its colour, marker and line style, each written in its
// canonical lower-case form above ("" for a kind the text does not name).
// Returns false, leaving the three outputs unchanged, when some of the text is
// not a part (an unknown character, a NUL, a non-ASCII byte) or when a kind is
// named twice ("o+", "--:", "rg"). The empty or all-blank text succeeds with
// three empty parts.
bool stringToColorMarkerLineStyle(std::string_view text, std::string& colour, std::string& marker,
                                  std::string& lineStyle);

} // namespace gui_objects::convert_from_string_utils
