// Module entry points and the initialization callback registry. Each type's
// source file records its registration callback while the library loads; the
// host's call of KDInitialize_vxdatatypes then runs them once.
#pragma once

#include <cstdint>

#include "frame/export.h"
#include "gui_objects/gui_objects.h"

namespace datatypes {
// The process-wide registry, created on first use and never destroyed.
gui_objects::InitializationCallbackRegistrar* get_initialization_callback_registry();

// Installs the scalar string conversions of the host's plain types.
void initStringConverters();
} // namespace datatypes

// The module function table the host reads; the library never reads it.
struct KDFcnTable {
    const std::uint32_t* functions;
    std::uint32_t magic1;
    std::uint32_t magic2;
};

extern "C" {
VX_API void KDInitialize_vxdatatypes();
VX_API void KDTerminate_vxdatatypes();
VX_API const std::uint32_t* QueryKDFcns_vxdatatypes();
VX_API const KDFcnTable* QueryKDFcnTable_vxdatatypes();
extern VX_API const char* libqmvxdatatypes_version;
extern VX_API const char* libqmvxdatatypes_build_date;
}
