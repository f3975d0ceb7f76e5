#include "gui_objects/callback.h"

#include "nyro/nyro.h"

namespace gui_objects {

namespace {

CallbackExecutor* installed = nullptr;

bool isStatement(const qxArray* a)
{
    return qxIsChar(a) && qxGetNumberOfDimensions(a) == 2 && (qxGetM(a) == 1 || qxIsEmpty(a));
}

bool isFunction(const qxArray* a) { return qxIsFunctionHandle(a) && qxIsScalar(a); }

// What kind of callback `a` is, and what runs; throws when it is none.
MCallback::Kind classify(const qxArray* a, const qxArray** target)
{
    *target = a;
    if (!a)
        throw InvalidCallbackException();
    if (isStatement(a))
        return qxIsEmpty(a) ? MCallback::Kind::Empty : MCallback::Kind::Statement;
    if (isFunction(a))
        return MCallback::Kind::Function;
    if (qxIsEmpty(a) && (qxIsNumeric(a) || qxIsCell(a) || qxIsLogical(a)))
        return MCallback::Kind::Empty;
    if (qxIsCell(a)) {
        const qxArray* first = qxGetCell(a, 0);
        if (first && ((isStatement(first) && !qxIsEmpty(first)) || isFunction(first))) {
            *target = first;
            return MCallback::Kind::Cell;
        }
    }
    throw InvalidCallbackException();
}

qxArray* kept(qxArray* a)
{
    qxSetArrayScope(a, 2);
    return a;
}

} // namespace

// What the object system allocates for a callback value.
static_assert(sizeof(MCallback) == 32);

CallbackExecutor::~CallbackExecutor() = default;

void CallbackExecutor::call(const qxArray* functionHandle, const std::vector<const qxArray*>& args)
{
    QxArrayPtr result(qxCallFunction(functionHandle, static_cast<int>(args.size()), args.data()));
}

CallbackExecutor* setCallbackExecutor(CallbackExecutor* executor) { return std::exchange(installed, executor); }
CallbackExecutor* getCallbackExecutor() { return installed; }

InvalidCallbackException::~InvalidCallbackException() = default;

MCallback::MCallback(const qxArray* a) : array_(nullptr), target_(nullptr), kind_(Kind::Empty)
{
    const qxArray* target;
    Kind kind = classify(a, &target);
    if (kind == Kind::Empty) {
        array_ = kept(qxCreateString(""));
        target_ = array_;
    } else {
        array_ = kept(qxCreateSharedDataCopy(a));
        target_ = kind == Kind::Cell ? qxGetCell(array_, 0) : array_;
    }
    kind_ = kind;
}

MCallback::MCallback(const MCallback& other)
    : array_(kept(qxCreateSharedDataCopy(other.array_))), target_(nullptr), kind_(other.kind_)
{
    target_ = kind_ == Kind::Cell ? qxGetCell(array_, 0) : array_;
}

MCallback::~MCallback() { qxDestroyArray(array_); }

MCallback* MCallback::createFromString(const char* text)
{
    QxArrayPtr a(qxCreateString(text ? text : ""));
    return new MCallback(a.get());
}

qxArray* MCallback::convertToKeldarArray() const { return qxCreateSharedDataCopy(array_); }

bool MCallback::isEqual(const MCallback* other) const
{
    return other && kind_ == other->kind_ && qxAreMatricesEqual(array_, other->array_);
}

void MCallback::execute(const qxArray* source, const qxArray* eventData) const
{
    if (kind_ == Kind::Empty)
        return;
    // The callback may replace the very property that holds it while it runs:
    // it runs from a copy of its own.
    QxArrayPtr running(qxCreateSharedDataCopy(array_));
    const qxArray* target = kind_ == Kind::Cell ? qxGetCell(running.get(), 0) : running.get();
    std::vector<const qxArray*> args{source, eventData};
    std::vector<QxArrayPtr> unset; // a cell element never set is passed as []
    if (kind_ == Kind::Cell)
        for (qxSize i = 1; i < qxGetNumberOfElements(running.get()); ++i) {
            const qxArray* extra = qxGetCell(running.get(), i);
            if (!extra) {
                unset.emplace_back(qxCreateDoubleMatrix(0, 0, qxREAL));
                extra = unset.back().get();
            }
            args.push_back(extra);
        }
    bool statement = qxIsChar(target);
    CallbackExecutor* executor = installed;
    if (!executor) {
        if (statement)
            qxErrMsgIdAndTxt("KELDAR:GUI:CallbackExecutor:None", "No executor is installed to run the callback '%s'.",
                             qxArrayToStdString(target).c_str());
        QxArrayPtr result(qxCallFunction(target, static_cast<int>(args.size()), args.data()));
        return;
    }
    if (statement)
        executor->evaluate(qxArrayToStdString(target), args);
    else
        executor->call(target, args);
}

void* MCallback::operator new(std::size_t size)
{
    void* p = utCalloc(size, 1);
    if (!p)
        throw nyro::COSOutOfMemoryException();
    return p;
}

void MCallback::operator delete(void* p) noexcept { utFree(p); }

} // namespace gui_objects
