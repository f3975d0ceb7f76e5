// GUI-objects library of the host: initialization callback registrar, owning
// pointers for host arrays, the array exceptions and element-class lookup.
#pragma once

#include <utility>
#include <vector>

#include "qx/qx.h"

namespace gui_objects {

// Records plain callbacks and runs them once each, in the order recorded.
class InitializationCallbackRegistrar {
public:
    using Callback = void (*)();
    InitializationCallbackRegistrar() = default;
    void addCallback(Callback cb) { callbacks_.push_back(cb); }
    void initialize();
    std::size_t size() const { return callbacks_.size(); }

private:
    std::vector<Callback> callbacks_;
    std::size_t next_ = 0;
};

struct QxArrayDtor {
    static void destroy(qxArray* a) { qxDestroyArray(a); }
};

// Owning pointer around a temporary object; the destructor hands it to Dtor.
template <class T, class Dtor>
class AutoPtr {
public:
    AutoPtr() = default;
    explicit AutoPtr(T* p) : p_(p) {}
    AutoPtr(AutoPtr&& o) noexcept : p_(o.release()) {}
    AutoPtr& operator=(AutoPtr&& o) noexcept
    {
        reset(o.release());
        return *this;
    }
    AutoPtr(const AutoPtr&) = delete;
    AutoPtr& operator=(const AutoPtr&) = delete;
    ~AutoPtr() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T* release() { return std::exchange(p_, nullptr); }
    void reset(T* p = nullptr)
    {
        if (T* old = std::exchange(p_, p))
            Dtor::destroy(old);
    }

private:
    T* p_ = nullptr;
};

using QxArrayPtr = AutoPtr<qxArray, QxArrayDtor>;

// Problems found while reading a host array.
class ArrayException {
public:
    virtual ~ArrayException();
};
class NullArrayException : public ArrayException {
public:
    ~NullArrayException() override;
};
class InvalidArrayClassException : public ArrayException {
public:
    explicit InvalidArrayClassException(qxClassID cls = qxUNKNOWN_CLASS) : cls_(cls) {}
    ~InvalidArrayClassException() override;
    qxClassID classID() const { return cls_; }

private:
    qxClassID cls_;
};
class InvalidArrayShapeException : public ArrayException {
public:
    ~InvalidArrayShapeException() override;
};
class InvalidArrayDataException : public ArrayException {
public:
    ~InvalidArrayDataException() override;
};
class InvalidWidthException : public ArrayException {
public:
    ~InvalidWidthException() override;
};

// The class number of an array (qxUNKNOWN_CLASS for none).
qxClassID getClassID(const qxArray* a);

namespace convert_from_string_utils {
// Text that cannot be read as the requested value. Carries no message.
class ParseException {
public:
    virtual ~ParseException();
};
} // namespace convert_from_string_utils

} // namespace gui_objects
