// Matrix literals as a numeric-computing user writes them, read into host arrays:
//
//   numbers      1  -2.5e3  .5  NaN  Inf  -Inf
//   matrices     [1 2 3; 4 5 6]   [1, 2; 3, 4]   [[1 2] 3]   []
//   ranges       1:4   0:0.25:1   -1:1
//   texts        'it''s'   ['ab'; 'cd']
//   logicals     true  false  true(2,2)
//   cells        {1, 'a'; [], {2}}   {}
//   functions    double(x) single(x) int8(x) ... uint64(x) logical(x) char(x)
//                zeros(m,n,...) ones(...) NaN(...) Inf(...) cell(...)
//                reshape(x,m,n,...) cat(dim,a,b,...) sparse(x) sparse(m,n)
//                complex(re,im) complex(re) struct('name',value,...)
//
// Between the elements of a row go blanks or commas, between rows ';'. A sign
// must touch its operand ("[1 -2]" has two elements); the console knows no
// arithmetic, so "[1 - 2]" and "[1-2]" are refused rather than read some way.
// Trailing singleton dimensions beyond the second are dropped, as hosts do.
// Anything else raises a host error with a "vxhost:literal:" identifier.
#pragma once

#include <string_view>
#include <vector>

#include "arrays.h"

namespace vxhost {

// Reads one literal of `text` starting at `pos` (blanks before it skipped) and
// leaves `pos` just after it. Error messages count columns from 1 in `text`.
QxArrayPtr parseLiteral(std::string_view text, std::size_t& pos);
// The whole text as one literal; only blanks may follow it.
QxArrayPtr parseLiteral(std::string_view text);

// Literals nest at most this deep.
inline constexpr int kMaxLiteralDepth = 64;

// The names of the functions and constants a literal may call.
std::vector<std::string_view> literalFunctions();
bool isLiteralFunction(std::string_view name);

} // namespace vxhost
