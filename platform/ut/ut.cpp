#include "ut/ut.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {
std::atomic<unsigned> failSkip{0};
std::atomic<unsigned> failCount{0};
std::atomic<long> live{0};

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

namespace ut::test {
void failAllocations(unsigned count, unsigned skip)
{
    failSkip = skip;
    failCount = count;
}
unsigned pendingFailures() { return failCount.load(); }
long liveBlocks() { return live.load(); }
} // namespace ut::test

namespace ut::detail {
bool allocationShouldFail()
{
    if (failCount.load(std::memory_order_relaxed) == 0)
        return false;
    if (failSkip > 0) {
        --failSkip;
        return false;
    }
    --failCount;
    return true;
}
} // namespace ut::detail

extern "C" {

void* utMalloc(std::size_t size)
{
    if (ut::detail::allocationShouldFail())
        return nullptr;
    void* p = std::malloc(size ? size : 1);
    if (p)
        ++live;
    return p;
}

void* utCalloc(std::size_t size, std::size_t count)
{
    if (ut::detail::allocationShouldFail())
        return nullptr;
    void* p = std::calloc(count ? count : 1, size ? size : 1);
    if (p)
        ++live;
    return p;
}

void utFree(void* p)
{
    if (!p)
        return;
    --live;
    std::free(p);
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
