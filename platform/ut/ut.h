// Utility library of the host: heap, string duplication, object class numbers
// and the Quillmark::System exception hierarchy.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <string>

extern "C" {
void* utMalloc(std::size_t size);
void* utCalloc(std::size_t size, std::size_t count);
void utFree(void* p);
char* utStrdup(const char* s);

// Object class numbers: -1 when no class of that name is registered.
int utGetClassNum(const char* name);
// Registers `name` (if new) and returns its number; `parent` is the number of
// the class it derives from, or 0 for none.
int utRegisterObjectClass(const char* name, int number, int parent);
bool utInstanceOf(int type, int number);
}

namespace ut::test {
// The next `count` allocations of the utility heap (and of everything that
// allocates through it or consults its hooks, as host arrays do) fail, after
// `skip` successful ones. Lets tests walk the
// out-of-memory paths for real.
void failAllocations(unsigned count, unsigned skip = 0);
// Failures set by failAllocations that no allocation has consumed yet: a
// path that leaves one pending never reached the allocation meant to fail.
unsigned pendingFailures();
// Blocks handed out by utMalloc/utCalloc/utStrdup and not yet freed.
long liveBlocks();
// RAII form: failures are cleared when the guard leaves scope.
class AllocationFailure {
public:
    explicit AllocationFailure(unsigned count, unsigned skip = 0) { failAllocations(count, skip); }
    ~AllocationFailure() { failAllocations(0); }
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;
};
} // namespace ut::test

namespace ut::detail {
// Failures the test hooks still have to hand out (0 outside tests), read by
// every allocation before it takes the slower path that consumes one.
extern std::atomic<unsigned> failuresPending;
bool consumeFailure();
// True when the allocation about to be made must fail (consumes one failure).
inline bool allocationShouldFail()
{
    return failuresPending.load(std::memory_order_relaxed) != 0 && consumeFailure();
}
}

namespace Quillmark::System {

class IException : public std::exception {
public:
    ~IException() override;
};

class IUserException : public IException {
public:
    ~IUserException() override;
    const char* what() const noexcept override;
    virtual const char* GetID() const;
    virtual const char* GetMessageTxt() const;
};

class InternalException : public IException {
public:
    ~InternalException() override;
    const char* what() const noexcept override;
};

// A user exception that carries an identifier and a text set by its thrower.
class SimpleException : public IUserException {
public:
    SimpleException() = default;
    SimpleException(std::string id, std::string text) : id_(std::move(id)), text_(std::move(text)) {}
    ~SimpleException() override;
    const char* what() const noexcept override { return text_.c_str(); }
    const char* GetID() const override { return id_.c_str(); }
    const char* GetMessageTxt() const override { return text_.c_str(); }
    virtual void SetID(const std::string& id) { id_ = id; }
    virtual void SetMessageTxt(const std::string& text) { text_ = text; }

private:
    std::string id_;
    std::string text_;
};

// The utility heap could not provide the storage an operation needed.
class OutOfMemoryException : public IUserException {
public:
    ~OutOfMemoryException() override;
    const char* GetID() const override;
    const char* GetMessageTxt() const override;
};

} // namespace Quillmark::System
