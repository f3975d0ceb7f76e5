// "Did you mean ...": the closest names to one a user wrote.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vxhost {

// " Did you mean A or B?" for the candidates nearest to `written` (edit
// distance without regard to letter case, within a third of its length);
// "" when none is that close.
std::string closest(std::string_view written, const std::vector<std::string>& candidates);

} // namespace vxhost
