// The prompt: line editing and history with GNU readline, completion of
// names (complete.h), and Ctrl-C cancelling the line being typed while the
// session and its variables go on.
#pragma once

#include <functional>
#include <string>

#include "session.h"

namespace vxhost {

// Reads lines until the end of input or until `line` returns false. `cancel`
// drops a statement left open; `continuing` says whether one is.
void runInteractive(Session& session, const std::function<bool(const std::string&)>& line,
                    const std::function<void()>& cancel, const std::function<bool()>& continuing);

} // namespace vxhost
