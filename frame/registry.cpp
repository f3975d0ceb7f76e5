#include "frame/registry.h"

#include "frame/handles.h"

namespace datatypes {

gui_objects::InitializationCallbackRegistrar* get_initialization_callback_registry()
{
    static gui_objects::InitializationCallbackRegistrar* registry = nullptr;
    if (!registry)
        registry = new gui_objects::InitializationCallbackRegistrar();
    return registry;
}

} // namespace datatypes

namespace {
bool initialized = false;
const std::uint32_t noFunctions = 0;
const KDFcnTable functionTable = {&noFunctions, 0xe04a76dfu, 0x4b54cf48u};
} // namespace

extern "C" {

const char* libqmvxdatatypes_version = VX_VERSION_STRING;
const char* libqmvxdatatypes_build_date = __DATE__;

void KDInitialize_vxdatatypes()
{
    if (initialized)
        return;
    // Each step may throw; the flag is set only once all of them succeeded.
    datatypes::initDoubleConverters();
    datatypes::initStringConverters();
    datatypes::get_initialization_callback_registry()->initialize();
    initialized = true;
}

void KDTerminate_vxdatatypes() {}

const std::uint32_t* QueryKDFcns_vxdatatypes() { return &noFunctions; }

const KDFcnTable* QueryKDFcnTable_vxdatatypes() { return &functionTable; }

} // extern "C"
