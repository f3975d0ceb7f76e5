// Callbacks of the GUI-objects library: what a user gives a callback property
// and how it runs.
//
// A callback is one of
//   - a char row (or an empty char array): a console statement;
//   - a function handle naming a function the host has registered;
//   - a non-empty cell array whose first element is such a statement or function
//     handle, followed by extra arguments;
//   - any other empty array (numeric, cell): no callback, kept as ''.
// Running it (`execute`) hands the source object array, the event data and the
// cell's extra arguments, in this order, to the executor the host installed: a
// statement goes to CallbackExecutor::evaluate, a function handle to
// CallbackExecutor::call. An empty callback does nothing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "gui_objects/gui_objects.h"
#include "qx/qx.h"

namespace gui_objects {

// The host's way of running callbacks.
class CallbackExecutor {
public:
    virtual ~CallbackExecutor();
    // Runs a console statement with the callback's arguments at hand.
    virtual void evaluate(const std::string& statement, const std::vector<const qxArray*>& args) = 0;
    // Calls the function `functionHandle` names; by default through the host's
    // function table (qxCallFunction), the result discarded.
    virtual void call(const qxArray* functionHandle, const std::vector<const qxArray*>& args);
};

// Installs the executor (not owned; null removes it) and returns the previous one.
CallbackExecutor* setCallbackExecutor(CallbackExecutor* executor);
CallbackExecutor* getCallbackExecutor();

// Thrown when an array is no valid callback.
class InvalidCallbackException : public ArrayException {
public:
    ~InvalidCallbackException() override;
};

class MCallback {
public:
    enum class Kind : int { Empty, Statement, Function, Cell };

    // Keeps a shared-data copy of `a`; throws InvalidCallbackException when `a`
    // is null or no valid callback.
    explicit MCallback(const qxArray* a);
    MCallback(const MCallback& other);
    MCallback& operator=(const MCallback&) = delete;
    virtual ~MCallback();

    // A new callback running the statement `text` (null: an empty callback).
    static MCallback* createFromString(const char* text);

    Kind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == Kind::Empty; }
    // The callback as the user gave it: a new array owned by the caller.
    qxArray* convertToKeldarArray() const;
    // Same kind and equal arrays (function handles: the same function).
    bool isEqual(const MCallback* other) const;
    // Runs the callback (see the header comment). Without an executor, a
    // function handle is called through the host's function table, and a
    // statement raises "KELDAR:GUI:CallbackExecutor:None". Whatever the callback
    // raises passes through.
    void execute(const qxArray* source, const qxArray* eventData) const;

    // Callbacks live in the utility heap; no storage throws the object
    // system's out-of-memory exception.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;

private:
    qxArray* array_;         // kept shared-data copy (array scope 2)
    const qxArray* target_;  // what runs: array_ itself or the cell's first element
    Kind kind_;
};

} // namespace gui_objects
