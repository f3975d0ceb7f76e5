// Reading strings, char matrices and cell arrays of strings from text, in the
// literal notation the host uses for them.
//
// Grammar (blanks are spaces, tabs, carriage returns and newlines):
//   text    := blanks literal blanks    -- when the first non-blank character
//                                          is ', [ or {
//            | other                    -- any other text, as it stands
//   literal := quoted | matrix | cell
//   quoted  := "'" ( any character but "'" | "''" )* "'"     -- "''" is one "'"
//   matrix  := "[" blanks [ row ( blanks ";" blanks row )* ] blanks "]"
//   row     := quoted ( ( blanks | blanks "," blanks ) quoted )*
//   cell    := "{" blanks [ crow ( blanks ";" blanks crow )* ] blanks "}"
//   crow    := quoted ( ( blanks | blanks "," blanks ) quoted )*
// Results, all new temporary host arrays:
// - other text: a 1xN char row of the whole text (0x0 when empty);
// - quoted: a 1xN char row of its characters (0x0 for '');
// - matrix: the quoted pieces of a row are joined into one row; rows are
//   stacked into an M-by-N char matrix and must all have the same length
//   ("[]" is 0x0, a single row as for quoted);
// - cell: every quoted piece is one cell, ";" starts a new row of cells, and
//   every row must have the same number of cells ("{}" is a 0x0 cell array).
// Text is UTF-8; characters beyond the basic plane become surrogate pairs.
#pragma once

#include "qx/qx.h"

namespace gui_objects::convert_from_string_utils {

// The host array the text denotes, or null when the text starts like a
// literal but does not follow the grammar (or when `text` is null).
qxArray* parse_strings(const char* text);

} // namespace gui_objects::convert_from_string_utils
