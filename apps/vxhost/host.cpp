#include "host.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>

#include "javabridge/javabridge.h"

namespace vxhost {

namespace {

constexpr const char* kLibraryFile = "libvxdatatypes.so";
constexpr const char* kEntryPoint = "KDInitialize_vxdatatypes";

std::string programDirectory()
{
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        throw std::runtime_error("cannot find the directory of the running program");
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

} // namespace

Library Library::load()
{
    nyro::installHostTypes();
    javabridge::install();
    Library library;
    library.hostTypes_ = nyro::COSTypeRepository::globalTypes().size();

    std::string file = programDirectory() + kLibraryFile;
    // The library stays loaded until the process ends: its types are registered for good.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!handle)
        throw std::runtime_error(std::string("cannot load ") + file + ": " + dlerror());
    library.handle_ = handle;
    auto initialize = reinterpret_cast<void (*)()>(dlsym(handle, kEntryPoint));
    if (!initialize)
        throw std::runtime_error(std::string(file) + " has no entry point " + kEntryPoint);
    try {
        initialize();
    } catch (const Quillmark::System::IUserException& e) {
        throw std::runtime_error(std::string(kEntryPoint) + " failed: " + e.GetMessageTxt() + " (" + e.GetID() + ")");
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string(kEntryPoint) + " failed: " + e.what());
    } catch (...) {
        throw std::runtime_error(std::string(kEntryPoint) + " failed with an exception of unknown type");
    }
    return library;
}

std::vector<nyro::COSDataType*> Library::types() const
{
    std::vector<nyro::COSDataType*> all = nyro::COSTypeRepository::globalTypes();
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(hostTypes_, all.size())));
    return all;
}

} // namespace vxhost
