// What loading the library costs a host: dlopen with RTLD_NOW, the platform
// libraries already loaded, then the module entry point, each time in a fresh
// process (the first load is the one a host pays). The floor is the same done
// with a module holding a single function. Median of 20 processes:
//
//     build/bench/vx_load_bench
//     VX_LOAD_LIBRARY=/some/other/libvxdatatypes.so build/bench/vx_load_bench
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "javabridge/javabridge.h"
#include "nyro/nyro.h"

extern char** environ;

namespace {

const char* libraryPath()
{
    const char* p = std::getenv("VX_LOAD_LIBRARY");
    return p && *p ? p : VX_LIBRARY_PATH;
}

// In the child: the host's own types, then the timed load and entry call.
// Prints the nanoseconds taken, or nothing when the module fails to load.
int child(const char* path, const char* entry)
{
    nyro::installHostTypes();
    javabridge::install();
    auto start = std::chrono::steady_clock::now();
    void* module = dlopen(path, RTLD_NOW | RTLD_GLOBAL);
    if (!module) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto function = reinterpret_cast<void (*)()>(dlsym(module, entry));
    if (!function)
        return 1;
    function();
    auto elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(elapsed).count()));
    return 0;
}

std::string self;

// Runs a child for `path` and `entry`; the seconds it measured.
double timeInFreshProcess(const char* path, const char* entry)
{
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const char* argv[] = {self.c_str(), "--child", path, entry, nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char text[64] = {};
    ssize_t n = rc == 0 ? read(out[0], text, sizeof text - 1) : -1;
    close(out[0]);
    int status = 0;
    if (rc == 0)
        waitpid(pid, &status, 0);
    if (rc != 0 || n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(std::string("loading ") + path + " failed");
    return std::strtod(text, nullptr) * 1e-9;
}

// One process loads the library, another the floor module; the time reported
// is the library's, the counter its ratio to the floor.
void LoadLibraryInFreshProcess(benchmark::State& state)
{
    double library = 0, floor = 0;
    for (auto _ : state) {
        library = timeInFreshProcess(libraryPath(), "KDInitialize_vxdatatypes");
        floor = timeInFreshProcess(VX_FLOOR_PATH, "vx_load_floor_entry");
        state.SetIterationTime(library);
    }
    state.counters["floor_us"] = floor * 1e6;
    state.counters["x_floor"] = library / floor;
}
BENCHMARK(LoadLibraryInFreshProcess)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], argv[3]);
    self = "/proc/self/exe";
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n > 0)
        self.assign(path, static_cast<std::size_t>(n));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
