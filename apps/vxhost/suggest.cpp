#include "suggest.h"

#include <algorithm>
#include <cctype>

namespace vxhost {

std::string closest(std::string_view written, const std::vector<std::string>& candidates)
{
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    // Edit distance without regard to letter case.
    auto distance = [&](std::string_view a, std::string_view b) {
        std::vector<std::size_t> row(b.size() + 1);
        for (std::size_t j = 0; j <= b.size(); ++j)
            row[j] = j;
        for (std::size_t i = 1; i <= a.size(); ++i) {
            std::size_t diag = row[0];
            row[0] = i;
            for (std::size_t j = 1; j <= b.size(); ++j) {
                std::size_t up = row[j];
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1)});
                diag = up;
            }
        }
        return row[b.size()];
    };
    std::size_t best = std::max<std::size_t>(1, written.size() / 3) + 1;
    std::vector<std::string> found;
    for (const std::string& c : candidates) {
        std::size_t d = distance(written, c);
        if (d < best) {
            best = d;
            found = {c};
        } else if (d == best && std::find(found.begin(), found.end(), c) == found.end()) {
            found.push_back(c);
        }
    }
    if (found.empty())
        return "";
    std::string out = " Did you mean ";
    for (std::size_t i = 0; i < found.size() && i < 3; ++i)
        out += (i ? (i + 1 == std::min<std::size_t>(found.size(), 3) ? " or " : ", ") : "") + found[i];
    return out + "?";
}

} // namespace vxhost
