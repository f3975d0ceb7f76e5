#include "ut/ut.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "ut/freed_blocks.h"

namespace {
std::atomic<unsigned> failSkip{0};

// Blocks handed out and not yet freed, counted per thread so that an
// allocation pays a plain add instead of a locked one: each thread owns one
// counter (taken back for another thread when it ends), and the live count is
// the sum of all of them plus what ended threads left behind.
struct LiveCounter {
    std::atomic<long> blocks{0};
    LiveCounter* next = nullptr;
};

struct LiveRegistry {
    std::mutex lock;
    LiveCounter* all = nullptr;  // every counter ever made, in use or free
    std::vector<LiveCounter*> freeList;
    long ended = 0;              // what ended threads left behind
};
LiveRegistry& liveRegistry()
{
    static auto* registry = new LiveRegistry; // outlives every thread's exit
    return *registry;
}

[[gnu::tls_model("initial-exec")]] thread_local LiveCounter* threadCounter = nullptr;

// Gives the thread's counter back when the thread ends.
struct CounterReturn {
    LiveCounter* counter = nullptr;
    ~CounterReturn()
    {
        LiveRegistry& r = liveRegistry();
        std::lock_guard<std::mutex> g(r.lock);
        r.ended += counter->blocks.exchange(0, std::memory_order_relaxed);
        r.freeList.push_back(counter);
        threadCounter = nullptr; // a later block of this thread takes a counter again
    }
};

[[gnu::noinline]] LiveCounter* enrolThread()
{
    LiveRegistry& r = liveRegistry();
    LiveCounter* c;
    {
        std::lock_guard<std::mutex> g(r.lock);
        if (!r.freeList.empty()) {
            c = r.freeList.back();
            r.freeList.pop_back();
        } else {
            c = new LiveCounter;
            c->next = r.all;
            r.all = c;
        }
    }
    thread_local CounterReturn giveBack;
    giveBack.counter = c;
    threadCounter = c;
    return c;
}

// Zeroes `n` bytes at `p`; the small blocks values take, 16 to 64 bytes, with
// a few 16-byte stores in place (the last one overlapping) instead of a call.
inline void clear(void* p, std::size_t n)
{
    auto* bytes = static_cast<unsigned char*>(p);
    if (n < 16 || n > 64) {
        std::memset(p, 0, n);
        return;
    }
    for (std::size_t i = 0; i + 16 < n; i += 16)
        std::memset(bytes + i, 0, 16);
    std::memset(bytes + n - 16, 0, 16);
}

// Small blocks, what values take, come in three sizes, the usable sizes of
// the C heap's three smallest chunks; each thread keeps freed ones of each size
// for its next blocks (see ut/freed_blocks.h). A block is asked of the C heap
// at its size's full length, so that all of it is the caller's to use, and is
// known again when freed by its usable size. Where blocks are not kept (the
// sanitizer builds) or the C library cannot tell a block's size, every block
// has exactly the size asked for.
#ifdef __GLIBC__
constexpr bool keepSmallBlocks = ut::keptFreedBlocks > 0;
#else
constexpr bool keepSmallBlocks = false;
#endif
constexpr std::size_t smallSizes[] = {24, 40, 56};
constexpr std::size_t smallLists = std::size(smallSizes);
[[gnu::tls_model("initial-exec")]] thread_local ut::FreedBlocks<smallLists> freedSmall;

void closeSmallAtThreadEnd()
{
    static thread_local ut::ClosingAtThreadEnd<smallLists> closing{&freedSmall};
    (void)closing;
}

// A block of `n` bytes (n > 0) from the thread's kept blocks or the C heap.
inline void* takeBlock(std::size_t n)
{
    if (keepSmallBlocks && n <= smallSizes[smallLists - 1]) {
        const std::size_t k = n <= smallSizes[0] ? 0 : n <= smallSizes[1] ? 1 : 2;
        if (void* p = freedSmall.take(k))
            return p;
        return std::malloc(smallSizes[k]);
    }
    return std::malloc(n);
}

inline void giveBlock(void* p)
{
#ifdef __GLIBC__
    if (keepSmallBlocks) {
        const std::size_t usable = malloc_usable_size(p);
        for (std::size_t k = 0; k < smallLists; ++k)
            if (usable == smallSizes[k]) {
                if (freedSmall.keep(k, p, closeSmallAtThreadEnd))
                    return;
                break;
            }
    }
#endif
    std::free(p);
}

inline void countBlocks(long delta)
{
    LiveCounter* c = threadCounter;
    if (!c)
        c = enrolThread();
    // Only this thread writes its counter: no locked add needed.
    c->blocks.store(c->blocks.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
}

struct ClassTable {
    std::mutex lock;
    std::map<std::string, int> numbers;
    std::map<int, int> parents;
    int next = 1;
};
ClassTable& classes()
{
    static ClassTable table;
    return table;
}
} // namespace

namespace ut::detail {
std::atomic<unsigned> failuresPending{0};

bool consumeFailure()
{
    if (failuresPending.load() == 0)
        return false;
    if (failSkip > 0) {
        --failSkip;
        return false;
    }
    --failuresPending;
    return true;
}
} // namespace ut::detail

namespace ut::test {
void failAllocations(unsigned count, unsigned skip)
{
    failSkip = skip;
    ut::detail::failuresPending = count;
}
unsigned pendingFailures() { return ut::detail::failuresPending.load(); }
long liveBlocks()
{
    LiveRegistry& r = liveRegistry();
    std::lock_guard<std::mutex> g(r.lock);
    long n = r.ended;
    for (const LiveCounter* c = r.all; c; c = c->next)
        n += c->blocks.load(std::memory_order_relaxed);
    return n;
}
} // namespace ut::test

extern "C" {

void* utMalloc(std::size_t size)
{
    if (ut::detail::allocationShouldFail())
        return nullptr;
    void* p = takeBlock(size ? size : 1);
    if (p)
        countBlocks(1);
    return p;
}

void* utCalloc(std::size_t size, std::size_t count)
{
    if (ut::detail::allocationShouldFail())
        return nullptr;
    // A cleared block from the fast path (calloc would bypass the per-thread
    // caches that small blocks come from).
    const std::size_t n = count ? count : 1, each = size ? size : 1;
    if (n > SIZE_MAX / each)
        return nullptr;
    void* p = takeBlock(n * each);
    if (!p)
        return nullptr;
    // Keeps the compiler from folding the two calls back into calloc.
    asm volatile("" : : "r"(p) : "memory");
    clear(p, n * each);
    countBlocks(1);
    return p;
}

void utFree(void* p)
{
    if (!p)
        return;
    countBlocks(-1);
    giveBlock(p);
}

char* utStrdup(const char* s)
{
    if (!s)
        return nullptr;
    std::size_t n = std::strlen(s) + 1;
    char* copy = static_cast<char*>(utMalloc(n));
    if (copy)
        std::memcpy(copy, s, n);
    return copy;
}

int utGetClassNum(const char* name)
{
    if (!name)
        return -1;
    auto& t = classes();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.numbers.find(name);
    return it == t.numbers.end() ? -1 : it->second;
}

int utRegisterObjectClass(const char* name, int number, int parent)
{
    auto& t = classes();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.numbers.find(name);
    if (it != t.numbers.end())
        return it->second;
    // A number the caller already holds (not -1) is kept; otherwise the next free one.
    int n = number > 0 ? number : t.next;
    if (n >= t.next)
        t.next = n + 1;
    t.numbers.emplace(name, n);
    t.parents[n] = parent;
    return n;
}

bool utInstanceOf(int type, int number)
{
    if (type < 0 || number < 0)
        return false;
    auto& t = classes();
    std::lock_guard<std::mutex> g(t.lock);
    for (int c = type, guard = 0; c > 0 && guard < 64; ++guard) {
        if (c == number)
            return true;
        auto it = t.parents.find(c);
        if (it == t.parents.end())
            break;
        c = it->second;
    }
    return false;
}

} // extern "C"

namespace Quillmark::System {
IException::~IException() = default;
IUserException::~IUserException() = default;
const char* IUserException::what() const noexcept { return GetMessageTxt(); }
const char* IUserException::GetID() const { return ""; }
const char* IUserException::GetMessageTxt() const { return ""; }
InternalException::~InternalException() = default;
const char* InternalException::what() const noexcept { return "internal exception"; }
SimpleException::~SimpleException() = default;
OutOfMemoryException::~OutOfMemoryException() = default;
const char* OutOfMemoryException::GetID() const { return "KELDAR:nomem"; }
const char* OutOfMemoryException::GetMessageTxt() const { return "Out of memory. Type HELP MEMORY for your options."; }
} // namespace Quillmark::System
