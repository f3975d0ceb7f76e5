// Console statements, run in-process through the console's grammar and
// evaluator: every input is one script for a fresh session. Whatever the
// input, the console must answer (an error is an answer) without crashing,
// leaking or running into undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "host.h"
#include "json.h"
#include "qx/ops.h"
#include "session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The library is loaded and registered once, as a host does. Arrays stay
    // small: an empty cell array of the console's full size takes gigabytes
    // under the sanitizers, which is size, not a fault.
    static vxhost::Library library = [] {
        qx::maxElements = qxSize(1) << 16;
        return vxhost::Library::load();
    }();
    vxhost::Session session(library, /*json=*/true);
    session.workspace().files = false; // save and load would write anywhere
    std::string input(reinterpret_cast<const char*>(data), size);
    std::optional<std::vector<vxhost::Outcome>> answers = session.run(input, false);
    for (const vxhost::Outcome& o : *answers)
        (void)vxhost::json::dump(o.json()); // the console's one-line writer, as the answers go out
    qxReclaimTemporaries();
    return 0;
}
