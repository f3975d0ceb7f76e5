// Reading numbers back from text in the bracketed form in which the host writes
// arrays: "[0 1]", "[1 2; 3 4]", "[1,2;3,4]", "[]", "[-Inf NaN 1e-3]".
//
// Grammar (blanks are spaces and tabs, allowed anywhere between tokens):
//   text    := blanks ( "[" rows "]" | rows ) blanks
//   rows    := row ( (";" | newline) row )*       -- all rows of equal length
//   row     := number ( ("," | blanks) number )*  | empty
//   number  := decimal or exponent notation with optional sign, or
//              NaN / Inf with optional sign (any letter case)
// Anything else raises ParseException. "[]" (or empty text) has 0 rows and
// 0 columns.
#pragma once

#include <vector>

#include "gui_objects/gui_objects.h"
#include "qx/qx.h"

namespace gui_objects::convert_from_string_utils {

// The numbers of a text, row by row, with its row and column counts.
struct ParsedMatrix {
    qxSize rows = 0;
    qxSize cols = 0;
    std::vector<double> rowMajor;
};
ParsedMatrix parse_matrix(const char* text);

// Row and column counts of a text (both 0 for "[]").
void parse_array_dimensions(const char* text, qxSize& rows, qxSize& cols);

// An m-by-n array of class `cls` holding the numbers of the text. The text must
// have exactly m rows and n columns; integer and logical classes take only
// whole numbers within their range. Raises ParseException otherwise.
qxArray* parse_mxn(qxSize m, qxSize n, qxClassID cls, const char* text);

// Fixed-size readers into doubles.
void parse_1x2_double(const char* text, double out[2]);
void parse_1x3_double(const char* text, double out[3]);
void parse_1x4_double(const char* text, double out[4]);
void parse_2x3_double(const char* text, double out[2][3]);

} // namespace gui_objects::convert_from_string_utils
