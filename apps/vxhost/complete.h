// Completion of what a user is typing at the prompt: statement and function
// names and variables at the start of a word, property names after `h.` or
// inside set(h, '...' and get(h, '...', and the names a property's type reads
// after h.Prop = '... or set(h, 'Prop', '....
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session.h"

namespace vxhost {

struct Completion {
    std::size_t start = 0;               // where the word being completed begins
    std::vector<std::string> candidates; // sorted, without repeats
};

// The candidates for the word that ends at `point` in `line`.
Completion complete(Session& session, std::string_view line, std::size_t point);

} // namespace vxhost
