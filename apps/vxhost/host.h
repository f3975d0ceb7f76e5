// The property library, loaded the way the host loads it.
#pragma once

#include <cstddef>
#include <vector>

#include "nyro/nyro.h"

namespace vxhost {

class Library {
public:
    // Installs the host's own types and the Java bridge, loads
    // libvxdatatypes.so from the directory of the running program and runs its
    // entry point. Throws std::runtime_error saying why when any step fails.
    static Library load();

    // The property types the library registered, in registration order (the
    // host's own types, registered before it was loaded, are left out).
    std::vector<nyro::COSDataType*> types() const;

private:
    std::size_t hostTypes_ = 0;
    void* handle_ = nullptr;
};

} // namespace vxhost
