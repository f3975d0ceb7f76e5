#include "qx/qx.h"
#include "qx/element_class.h"
#include "ut/freed_blocks.h"
#include "ut/utf.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#if __has_include(<sys/single_threaded.h>)
#include <sys/single_threaded.h>
#endif

namespace {

// Whether the process has never started a second thread. Until it does, a
// reference count needs no locked step: nothing can race with it, and the
// thread that starts the second one has done every earlier step before it.
// Once true is false it stays so.
inline bool singleThreaded()
{
#if __has_include(<sys/single_threaded.h>)
    return __libc_single_threaded;
#else
    return false;
#endif
}

// Element storage shared between an array and its shared-data copies: one
// block holding a reference count and the elements (64-byte aligned).
struct Buffer {
    std::atomic<long> refs;
    qxSize bytes;
    static constexpr qxSize header = 64;
    void* data() { return reinterpret_cast<unsigned char*>(this) + header; }
};

// The host's own errors for storage it cannot provide: a size beyond what an
// array may have (4 GiB of elements, what a 32-bit address space could ever
// hold), and memory running out (also when the utility heap's failure hooks
// say so, so that tests can walk these paths).
constexpr qxSize maxVariableBytes = qxSize(1) << 32;
[[noreturn]] void tooLarge() { qxErrMsg(74); }
[[noreturn]] void outOfMemory() { qxErrMsg(80); }

// Bytes of `count` elements of `size` bytes, or the host's size error.
qxSize bytesOf(qxSize count, qxSize size)
{
    qxSize bytes = 0;
    if (__builtin_mul_overflow(count, size, &bytes) || bytes > maxVariableBytes)
        tooLarge();
    return bytes;
}

Buffer* newBuffer(qxSize bytes)
{
    if (bytes == 0)
        return nullptr;
    if (bytes > maxVariableBytes)
        tooLarge();
    if (ut::detail::allocationShouldFail())
        outOfMemory();
    // Exactly the bytes asked for, so that a read past the elements is a read
    // past the block for the sanitizers.
    void* block = nullptr;
    if (posix_memalign(&block, 64, Buffer::header + bytes) != 0 || !block)
        outOfMemory();
    auto* b = ::new (block) Buffer{{1}, bytes};
    std::memset(b->data(), 0, bytes);
    return b;
}

Buffer* retain(Buffer* b)
{
    if (!b)
        return b;
    if (singleThreaded())
        b->refs.store(b->refs.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    else
        b->refs.fetch_add(1, std::memory_order_relaxed);
    return b;
}

void release(Buffer* b)
{
    if (!b)
        return;
    // The last holder needs no atomic step either: no other holder is left to
    // race with it, and only a holder can make another.
    const long held = b->refs.load(std::memory_order_acquire);
    bool last = held == 1;
    if (!last) {
        if (singleThreaded())
            b->refs.store(held - 1, std::memory_order_relaxed);
        else
            last = b->refs.fetch_sub(1, std::memory_order_acq_rel) == 1;
    }
    if (last) {
        b->~Buffer();
        std::free(b);
    }
}

Buffer* cloneBuffer(const Buffer* b)
{
    if (!b)
        return nullptr;
    Buffer* c = newBuffer(b->bytes);
    std::memcpy(c->data(), const_cast<Buffer*>(b)->data(), b->bytes);
    return c;
}

qxSize product(const qxSize* dims, qxSize n)
{
    qxSize p = 1;
    for (qxSize i = 0; i < n; ++i)
        p *= dims[i];
    return p;
}

struct TemporaryList;

// The dimensions of an array: up to four kept in place (a copy of them is a
// few stores), more on the heap.
class DimList {
public:
    DimList() = default;
    DimList(std::initializer_list<qxSize> dims) { assign(dims.begin(), dims.end()); }
    DimList(const DimList& other)
    {
        if (other.heap_) [[unlikely]] {
            copyFromHeap(other);
        } else {
            n_ = other.n_;
            std::memcpy(local_, other.local_, sizeof local_);
        }
    }
    DimList& operator=(const DimList& other)
    {
        if (this == &other)
            return *this;
        if (!other.heap_ && !heap_) {
            n_ = other.n_;
            std::memcpy(local_, other.local_, sizeof local_);
            return *this;
        }
        assign(other.data(), other.data() + other.n_);
        return *this;
    }
    ~DimList() { delete[] heap_; }

    qxSize size() const { return n_; }
    bool empty() const { return n_ == 0; }
    const qxSize* data() const { return heap_ ? heap_ : local_; }
    qxSize* data() { return heap_ ? heap_ : local_; }
    const qxSize& operator[](qxSize i) const { return data()[i]; }
    qxSize& operator[](qxSize i) { return data()[i]; }
    qxSize back() const { return data()[n_ - 1]; }
    bool operator==(const DimList& other) const
    {
        return n_ == other.n_ && std::equal(data(), data() + n_, other.data());
    }

    void assign(const qxSize* first, const qxSize* last)
    {
        const qxSize n = qxSize(last - first);
        if (n > inPlace) {
            auto* heap = new qxSize[n];
            std::copy(first, last, heap);
            delete[] heap_;
            heap_ = heap;
        } else {
            std::copy(first, last, local_); // before the heap goes: `first` may point into it
            delete[] heap_;
            heap_ = nullptr;
        }
        n_ = n;
    }
    [[gnu::noinline]] void copyFromHeap(const DimList& other) { assign(other.heap_, other.heap_ + other.n_); }
    // New dimensions are 0.
    void resize(qxSize n)
    {
        if (n > n_) {
            std::vector<qxSize> all(data(), data() + n_);
            all.resize(n, 0);
            assign(all.data(), all.data() + n);
        }
        n_ = n;
    }
    void push_back(qxSize v)
    {
        resize(n_ + 1);
        data()[n_ - 1] = v;
    }
    void pop_back() { --n_; }

private:
    static constexpr qxSize inPlace = 4;
    qxSize n_ = 0;
    qxSize* heap_ = nullptr; // more than inPlace dimensions
    qxSize local_[inPlace] = {};
};

// The number of elements of `dims`, or the host's size error when it does not
// fit a size.
qxSize checkedProduct(const qxSize* dims, qxSize n)
{
    qxSize p = 1;
    for (qxSize i = 0; i < n; ++i)
        if (__builtin_mul_overflow(p, dims[i], &p))
            tooLarge();
    return p;
}

} // namespace

// What only sparse, cell, struct, object and function handle arrays hold: kept
// apart, made when first needed, so that the header of a plain numeric array
// is small and cheap to make, copy and destroy.
struct ArrayExtras {
    Buffer* ir = nullptr; // sparse row indices (nzmax)
    Buffer* jc = nullptr; // sparse column starts (n + 1)
    qxSize nzmax = 0;
    std::vector<qxArray*> elems;     // cell elements, or struct values element-major
    std::vector<std::string> fields; // struct field names
    std::string typeName;            // object arrays: element class; function handles: function name
    std::vector<qx::SharedElement*> objects; // object array elements, one reference each
    ~ArrayExtras();
};

namespace {

// Freed array headers, kept per thread for the thread's next arrays (see
// ut/freed_blocks.h): every header block is the size of a header.
[[gnu::tls_model("initial-exec")]] thread_local ut::FreedBlocks<1> freedHeaders;

void closeHeadersAtThreadEnd()
{
    static thread_local ut::ClosingAtThreadEnd<1> closing{&freedHeaders};
    (void)closing;
}

inline void* takeHeader(std::size_t size) noexcept
{
    if (void* p = freedHeaders.take(0))
        return p;
    return std::malloc(size);
}

inline void giveHeader(void* p) noexcept
{
    if (p && !freedHeaders.keep(0, p, closeHeadersAtThreadEnd))
        std::free(p);
}

} // namespace

struct qxArray final {
    // Temporaries of the current host call are kept on a list (see qxSetArrayScope).
    qxArray* prevTemp = nullptr;
    qxArray* nextTemp = nullptr;
    TemporaryList* tempList = nullptr; // the list the array is on, if any
    Buffer* re = nullptr;
    Buffer* im = nullptr;
    qxClassID cls = qxDOUBLE_CLASS;
    bool complex = false;
    bool sparse = false;
    int scope = 0;
    DimList dims;
    std::unique_ptr<ArrayExtras> more; // null for plain numeric, char and logical arrays

    // A new array: a temporary of the host call in progress, or (when
    // `temporary` is false) an array of scope `arrayScope`, never on the list.
    explicit qxArray(bool temporary = true, int arrayScope = 0) : scope(arrayScope)
    {
        if (temporary)
            linkTemporary(this);
    }
    // A shared-data copy of the plain array `source` (no extras), of scope
    // `arrayScope` and never on the list: every member is set once.
    qxArray(const qxArray& source, int arrayScope)
        : cls(source.cls), complex(source.complex), scope(arrayScope), dims(source.dims)
    {
        re = retain(source.re);
        im = retain(source.im);
    }
    qxArray(const qxArray&) = delete;
    qxArray& operator=(const qxArray&) = delete;
    ~qxArray()
    {
        if (tempList)
            unlinkTemporary(this);
        release(re);
        release(im);
    }
    qxSize numel() const { return product(dims.data(), dims.size()); }
    // Headers come from the thread's cache of freed headers, else straight
    // from the C heap (see freedHeaders); `final`, so that every block is the
    // size of a header.
    static void* operator new(std::size_t size)
    {
        if (void* p = takeHeader(size))
            return p;
        throw std::bad_alloc();
    }
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return takeHeader(size); }
    static void operator delete(void* p) noexcept { giveHeader(p); }
    static void operator delete(void* p, const std::nothrow_t&) noexcept { giveHeader(p); }
    static void linkTemporary(qxArray* a);
    static void unlinkTemporary(qxArray* a);

    // The rare parts: read (empty when the array has none), or made for writing.
    const ArrayExtras& x() const
    {
        static const ArrayExtras none;
        return more ? *more : none;
    }
    ArrayExtras& own();
};

ArrayExtras::~ArrayExtras()
{
    release(ir);
    release(jc);
    for (qxArray* e : elems)
        delete e;
    for (qx::SharedElement* o : objects)
        if (o)
            o->releaseReference();
}

namespace {

// The temporaries are kept on one list per thread that makes arrays, each with
// a lock of its own: making an array and setting its scope take only the lock
// of the making thread's list, which no other thread holds unless it reclaims
// or counts, so the common path never waits and shares no cache line with
// other threads. Reclaiming and counting walk every list.
struct TemporaryList {
    std::atomic<bool> busy{false};
    std::atomic<bool> owned{true}; // a running thread makes its arrays here
    qxArray* head = nullptr;
    qxSize count = 0;
    TemporaryList* nextList = nullptr; // set before the list is published, then fixed

    void lock() noexcept
    {
        while (busy.exchange(true, std::memory_order_acquire))
            while (busy.load(std::memory_order_relaxed)) {
            }
    }
    void unlock() noexcept { busy.store(false, std::memory_order_release); }
};

// Every list ever made, newest first. Lists are never freed: arrays made by a
// thread that has ended stay on its list until destroyed or reclaimed, and the
// list goes to the next thread that needs one.
std::atomic<TemporaryList*> allLists{nullptr};

TemporaryList* takeList()
{
    for (TemporaryList* l = allLists.load(std::memory_order_acquire); l; l = l->nextList) {
        bool free = false;
        if (l->owned.compare_exchange_strong(free, true, std::memory_order_acq_rel))
            return l;
    }
    auto* l = new TemporaryList;
    l->nextList = allLists.load(std::memory_order_relaxed);
    while (!allLists.compare_exchange_weak(l->nextList, l, std::memory_order_release, std::memory_order_relaxed)) {
    }
    return l;
}

// The calling thread's list; a plain pointer, so that reaching it is one load.
__attribute__((tls_model("initial-exec"))) thread_local TemporaryList* threadList = nullptr;

// Gives the thread's list back when the thread ends.
struct ListReturn {
    ~ListReturn()
    {
        if (threadList)
            threadList->owned.store(false, std::memory_order_release);
        threadList = nullptr;
    }
};

TemporaryList& temporaries()
{
    if (!threadList) [[unlikely]] {
        static thread_local ListReturn giveBack;
        (void)giveBack;
        threadList = takeList();
    }
    return *threadList;
}

} // namespace

void qxArray::linkTemporary(qxArray* a)
{
    TemporaryList& t = temporaries();
    t.lock();
    a->nextTemp = t.head;
    if (t.head)
        t.head->prevTemp = a;
    t.head = a;
    a->tempList = &t;
    ++t.count;
    t.unlock();
}

void qxArray::unlinkTemporary(qxArray* a)
{
    if (!a || !a->tempList)
        return;
    TemporaryList& t = *a->tempList;
    t.lock();
    if (a->prevTemp)
        a->prevTemp->nextTemp = a->nextTemp;
    else
        t.head = a->nextTemp;
    if (a->nextTemp)
        a->nextTemp->prevTemp = a->prevTemp;
    a->prevTemp = a->nextTemp = nullptr;
    a->tempList = nullptr;
    --t.count;
    t.unlock();
}

ArrayExtras& qxArray::own()
{
    if (!more) {
        try {
            more = std::make_unique<ArrayExtras>();
        } catch (const std::bad_alloc&) {
            outOfMemory();
        }
    }
    return *more;
}

namespace {
// A container takes its element over: the element is no longer a temporary.
qxArray* adopt(qxArray* element)
{
    qxArray::unlinkTemporary(element);
    return element;
}
} // namespace

namespace {

// A new array header, owned by the caller until it is handed out; allocation
// consults the utility heap's failure hooks like every host allocation.
// A header made with `temporary` false is given `scope` and never goes on
// the temporaries list.
using Header = std::unique_ptr<qxArray>;
Header newHeader(bool temporary = true, int scope = 0)
{
    if (ut::detail::allocationShouldFail())
        outOfMemory();
    try {
        return Header(new qxArray(temporary, scope));
    } catch (const std::bad_alloc&) {
        outOfMemory();
    }
}

// Room for `n` elements in `v`, or the host's out-of-memory
// error when the heap has none.
template <class T>
void reserveFor(std::vector<T>& v, qxSize n)
{
    try {
        v.reserve(n);
    } catch (const std::bad_alloc&) {
        outOfMemory();
    } catch (const std::length_error&) {
        tooLarge();
    }
}

bool isNumericClass(qxClassID c) { return c >= qxDOUBLE_CLASS && c <= qxUINT64_CLASS; }
bool hasElementData(qxClassID c) { return isNumericClass(c) || c == qxCHAR_CLASS || c == qxLOGICAL_CLASS; }

// Dimensions as the host keeps them: at least two, trailing singletons beyond
// the second dropped.
void setDims(qxArray* a, qxSize ndim, const qxSize* dims)
{
    a->dims.assign(dims, dims + ndim);
    while (a->dims.size() < 2)
        a->dims.push_back(a->dims.empty() ? 0 : 1);
    while (a->dims.size() > 2 && a->dims.back() == 1)
        a->dims.pop_back();
}

Header makeHeader(qxSize ndim, const qxSize* dims, qxClassID cls, qxComplexity c)
{
    const qxSize count = checkedProduct(dims, ndim);
    Header a = newHeader();
    a->cls = cls;
    setDims(a.get(), ndim, dims);
    qxSize es = qx::elementSize(cls);
    if (hasElementData(cls)) {
        a->re = newBuffer(bytesOf(count, es));
        if (c == qxCOMPLEX && isNumericClass(cls)) {
            a->complex = true;
            a->im = newBuffer(bytesOf(count, es));
        }
    } else if (cls == qxCELL_CLASS) {
        std::vector<qxArray*>& elems = a->own().elems;
        reserveFor(elems, count);
        elems.assign(count, nullptr);
    }
    return a;
}

qxArray* makeArray(qxSize ndim, const qxSize* dims, qxClassID cls, qxComplexity c)
{
    return makeHeader(ndim, dims, cls, c).release();
}

// A header like that of `a` (class, flags, dimensions, struct fields, object
// elements and names), without element data or cell and struct elements.
Header copyHeader(const qxArray* a, bool temporary = true, int scope = 0)
{
    Header c = newHeader(temporary, scope);
    c->cls = a->cls;
    c->complex = a->complex;
    c->sparse = a->sparse;
    c->dims = a->dims;
    // Most arrays are plain numbers: their copies have no side block.
    if (const ArrayExtras* x = a->more.get()) {
        ArrayExtras& y = c->own();
        y.nzmax = x->nzmax;
        y.fields = x->fields;
        y.typeName = x->typeName;
        y.objects = x->objects;
        for (qx::SharedElement* o : y.objects)
            if (o)
                o->addReference();
    }
    return c;
}

// --- UTF-8 <-> UTF-16: the utility library's codec -----------------------------
std::u16string utf8ToUtf16(const char* s, qxSize n) { return utf8_to_u16string(s, n); }

std::string utf16ToUtf8(const qxChar* s, qxSize n)
{
    if (!s) // an array without data reads as NUL characters
        return std::string(n, '\0');
    return utf16_to_utf8(s, n);
}

template <class T>
double elementAsDouble(const void* data, qxSize i)
{
    return static_cast<double>(static_cast<const T*>(data)[i]);
}

double readAsDouble(qxClassID cls, const void* data, qxSize i)
{
    return qx::visitElementClass(cls, [&](auto e) -> double {
        if constexpr (std::is_void_v<qx::ElementOf<decltype(e)>>)
            return 0;
        else
            return elementAsDouble<qx::ElementOf<decltype(e)>>(data, i);
    });
}

void appendNumber(std::string& out, qxClassID cls, const void* data, qxSize i)
{
    if (!data) { // an array without data reads as zeros
        out += '0';
        return;
    }
    qx::visitElementClass(cls, [&](auto e) {
        using T = qx::ElementOf<decltype(e)>;
        if constexpr (std::is_void_v<T>) {
            out += '0';
        } else {
            const T v = static_cast<const T*>(data)[i];
            if constexpr (std::is_floating_point_v<T>) {
                if (std::isnan(v)) { out += "NaN"; return; }
                if (std::isinf(v)) { out += v < 0 ? "-Inf" : "Inf"; return; }
            }
            char buf[64];
            out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
        }
    });
}

} // namespace

// ---- creation -------------------------------------------------------------------

qxArray* qxCreateDoubleMatrix(qxSize m, qxSize n, qxComplexity c) { return qxCreateNumericMatrix(m, n, qxDOUBLE_CLASS, c); }

qxArray* qxCreateDoubleScalar(double v)
{
    qxArray* a = qxCreateDoubleMatrix(1, 1, qxREAL);
    *qxGetPr(a) = v;
    return a;
}

qxArray* qxCreateNumericMatrix(qxSize m, qxSize n, qxClassID cls, qxComplexity c)
{
    qxSize dims[2] = {m, n};
    return makeArray(2, dims, cls, c);
}

qxArray* qxCreateNumericArray(qxSize ndim, const qxSize* dims, qxClassID cls, qxComplexity c)
{
    return makeArray(ndim, dims, cls, c);
}

qxArray* qxCreateNumericMatrix_730(qxSize m, qxSize n, qxClassID cls, qxComplexity c) { return qxCreateNumericMatrix(m, n, cls, c); }
qxArray* qxCreateNumericArray_730(qxSize ndim, const qxSize* dims, qxClassID cls, qxComplexity c) { return qxCreateNumericArray(ndim, dims, cls, c); }
qxArray* qxCreateLogicalMatrix(qxSize m, qxSize n) { return qxCreateNumericMatrix(m, n, qxLOGICAL_CLASS, qxREAL); }
qxArray* qxCreateLogicalArray(qxSize ndim, const qxSize* dims) { return makeArray(ndim, dims, qxLOGICAL_CLASS, qxREAL); }

qxArray* qxCreateLogicalScalar(bool v)
{
    qxArray* a = qxCreateLogicalMatrix(1, 1);
    *qxGetLogicals(a) = v ? 1 : 0;
    return a;
}

qxArray* qxCreateString_UTF16n(const qxChar* text, qxSize n)
{
    qxArray* a = qxCreateNumericMatrix(n ? 1 : 0, n, qxCHAR_CLASS, qxREAL);
    if (n)
        std::memcpy(qxGetChars(a), text, n * sizeof(qxChar));
    return a;
}

qxArray* qxCreateString(const char* utf8)
{
    if (!utf8)
        utf8 = "";
    std::u16string u = utf8ToUtf16(utf8, std::strlen(utf8));
    return qxCreateString_UTF16n(reinterpret_cast<const qxChar*>(u.data()), u.size());
}

qxArray* qxCreateString_UTF16(const qxChar* text)
{
    qxSize n = 0;
    while (text && text[n])
        ++n;
    return qxCreateString_UTF16n(text, n);
}

qxArray* qxCreateCharArray(qxSize ndim, const qxSize* dims) { return makeArray(ndim, dims, qxCHAR_CLASS, qxREAL); }

qxArray* qxCreateCharMatrixFromStrings(qxSize m, const char** strings)
{
    std::vector<std::u16string> rows;
    qxSize width = 0;
    for (qxSize i = 0; i < m; ++i) {
        const char* s = strings[i] ? strings[i] : "";
        rows.push_back(utf8ToUtf16(s, std::strlen(s)));
        width = std::max<qxSize>(width, rows.back().size());
    }
    qxArray* a = qxCreateNumericMatrix(m, width, qxCHAR_CLASS, qxREAL);
    qxChar* d = qxGetChars(a);
    for (qxSize i = 0; i < m; ++i)
        for (qxSize j = 0; j < rows[i].size(); ++j)
            d[j * m + i] = rows[i][j];
    return a;
}

qxArray* qxCreateCellMatrix(qxSize m, qxSize n)
{
    qxSize dims[2] = {m, n};
    return makeArray(2, dims, qxCELL_CLASS, qxREAL);
}

qxArray* qxCreateCellArray(qxSize ndim, const qxSize* dims) { return makeArray(ndim, dims, qxCELL_CLASS, qxREAL); }

qxArray* qxCreateStructMatrix(qxSize m, qxSize n, int nfields, const char** names)
{
    qxSize dims[2] = {m, n};
    Header a = makeHeader(2, dims, qxSTRUCT_CLASS, qxREAL);
    ArrayExtras& x = a->own();
    reserveFor(x.fields, nfields > 0 ? nfields : 0);
    for (int f = 0; f < nfields; ++f)
        x.fields.emplace_back(names[f]);
    reserveFor(x.elems, bytesOf(a->numel(), x.fields.size()));
    x.elems.assign(a->numel() * x.fields.size(), nullptr);
    return a.release();
}

namespace {
Header makeSparse(qxSize m, qxSize n, qxSize nzmax, qxClassID cls, qxComplexity c)
{
    if (n == std::numeric_limits<qxSize>::max())
        tooLarge();
    Header a = newHeader();
    a->cls = cls;
    a->sparse = true;
    a->dims = {m, n};
    ArrayExtras& x = a->own();
    x.nzmax = nzmax ? nzmax : 1;
    a->re = newBuffer(bytesOf(x.nzmax, qx::elementSize(cls)));
    if (c == qxCOMPLEX) {
        a->complex = true;
        a->im = newBuffer(bytesOf(x.nzmax, qx::elementSize(cls)));
    }
    x.ir = newBuffer(bytesOf(x.nzmax, sizeof(qxSize)));
    x.jc = newBuffer(bytesOf(n + 1, sizeof(qxSize)));
    return a;
}
} // namespace

qxArray* qxCreateSparse(qxSize m, qxSize n, qxSize nzmax, qxComplexity c)
{
    return makeSparse(m, n, nzmax, qxDOUBLE_CLASS, c).release();
}

qxArray* qxCreateSparseLogicalMatrix(qxSize m, qxSize n, qxSize nzmax)
{
    return makeSparse(m, n, nzmax, qxLOGICAL_CLASS, qxREAL).release();
}

// ---- copies and destruction -----------------------------------------------------

namespace {
// A new header for `a` whose storage `take` shares or clones and whose cell or
// struct elements `copyElement` copies.
template <class Take>
qxArray* copyArray(const qxArray* a, Take take, qxArray* (*copyElement)(const qxArray*))
{
    if (!a)
        return nullptr;
    Header c = copyHeader(a);
    c->re = take(a->re);
    c->im = take(a->im);
    if (const ArrayExtras* x = a->more.get()) {
        ArrayExtras& y = *c->more;
        y.ir = take(x->ir);
        y.jc = take(x->jc);
        reserveFor(y.elems, x->elems.size());
        for (const qxArray* e : x->elems)
            y.elems.push_back(adopt(copyElement(e)));
    }
    return c.release();
}
} // namespace

qxArray* qxCreateSharedDataCopy(const qxArray* a) { return copyArray(a, retain, qxCreateSharedDataCopy); }

namespace {
[[gnu::noinline]] qxArray* scopedCopyOfAny(const qxArray* a, int scope)
{
    qxArray* c = qxCreateSharedDataCopy(a);
    qxSetArrayScope(c, scope);
    return c;
}
} // namespace

qxArray* qxCreateScopedSharedDataCopy(const qxArray* a, int scope)
{
    if (!a)
        return nullptr;
    if (scope == 0 || a->more) [[unlikely]]
        return scopedCopyOfAny(a, scope);
    // A plain numeric, char or logical array: a header and two references.
    if (ut::detail::allocationShouldFail())
        outOfMemory();
    try {
        return new qxArray(*a, scope);
    } catch (const std::bad_alloc&) {
        outOfMemory();
    }
}

qxArray* qxDuplicateArray(const qxArray* a) { return copyArray(a, cloneBuffer, qxDuplicateArray); }

namespace {
qxSize sparseColumns(const qxArray* a);
}

qxArray* qxMustBeFull(const qxArray* a)
{
    if (!a)
        return nullptr;
    if (!a->sparse)
        return qxCreateSharedDataCopy(a);
    qxSize m = a->dims[0], n = qxGetN(a);
    qxArray* f = qxCreateNumericMatrix(m, n, a->cls, a->complex ? qxCOMPLEX : qxREAL);
    qxSize es = qx::elementSize(a->cls);
    const ArrayExtras& x = a->x();
    if (!x.jc || !x.ir || !a->re)
        return f;
    const auto* jc = static_cast<const qxSize*>(x.jc->data());
    const auto* ir = static_cast<const qxSize*>(x.ir->data());
    auto* src = static_cast<const unsigned char*>(a->re->data());
    auto* dst = static_cast<unsigned char*>(qxGetData(f));
    // Only what the array really stores is copied: entries within its capacity
    // whose row is inside the matrix.
    const qxSize columns = sparseColumns(a);
    for (qxSize j = 0; j < columns; ++j)
        for (qxSize k = jc[j]; k < std::min(jc[j + 1], x.nzmax); ++k) {
            if (ir[k] >= m)
                continue;
            std::memcpy(dst + (j * m + ir[k]) * es, src + k * es, es);
            if (a->complex && a->im)
                std::memcpy(static_cast<unsigned char*>(qxGetImagData(f)) + (j * m + ir[k]) * es,
                            static_cast<const unsigned char*>(a->im->data()) + k * es, es);
        }
    return f;
}

void qxDestroyArray(qxArray* a) { delete a; }

void qxSetArrayScope(qxArray* a, int scope)
{
    if (!a)
        return;
    a->scope = scope;
    if (scope != 0)
        qxArray::unlinkTemporary(a);
}

qxSize qxReclaimTemporaries()
{
    qxSize n = 0;
    for (TemporaryList* t = allLists.load(std::memory_order_acquire); t; t = t->nextList)
        for (;;) {
            t->lock();
            qxArray* victim = t->head;
            t->unlock();
            if (!victim)
                break;
            delete victim; // takes itself off the list
            ++n;
        }
    return n;
}

qxSize qxCountTemporaries()
{
    qxSize n = 0;
    for (TemporaryList* t = allLists.load(std::memory_order_acquire); t; t = t->nextList) {
        t->lock();
        n += t->count;
        t->unlock();
    }
    return n;
}
int qxGetArrayScope(const qxArray* a) { return a ? a->scope : 0; }

// ---- inspection -----------------------------------------------------------------

qxArrayView qxGetArrayView(const qxArray* a)
{
    if (!a)
        return {qxUNKNOWN_CLASS, false, false, 0, nullptr, 0, nullptr, nullptr};
    const qxSize ndim = a->dims.size();
    const qxSize* dims = a->dims.data();
    // Nearly every array is a matrix: its count is one product.
    const qxSize numel = ndim == 2 ? dims[0] * dims[1] : product(dims, ndim);
    return {a->cls, a->sparse, a->complex, ndim, dims, numel,
            a->re ? a->re->data() : nullptr, a->im ? a->im->data() : nullptr};
}

qxClassID qxGetClassID(const qxArray* a) { return a ? a->cls : qxUNKNOWN_CLASS; }
const char* qxGetClassName(const qxArray* a) { return qx::className(qxGetClassID(a)); }
qxSize qxGetM(const qxArray* a) { return a->dims[0]; }
qxSize qxGetN(const qxArray* a) { return product(a->dims.data() + 1, a->dims.size() - 1); }
qxSize qxGetNumberOfDimensions(const qxArray* a) { return a->dims.size(); }
const qxSize* qxGetDimensions(const qxArray* a) { return a->dims.data(); }
qxSize qxGetNumberOfElements(const qxArray* a) { return a->numel(); }
qxSize qxGetElementSize(const qxArray* a) { return qx::elementSize(a->cls); }
void* qxGetData(const qxArray* a) { return a && a->re ? a->re->data() : nullptr; }
void* qxGetImagData(const qxArray* a) { return a && a->im ? a->im->data() : nullptr; }
double* qxGetPr(const qxArray* a) { return static_cast<double*>(qxGetData(a)); }
double* qxGetPi(const qxArray* a) { return static_cast<double*>(qxGetImagData(a)); }
qxChar* qxGetChars(const qxArray* a) { return a && a->cls == qxCHAR_CLASS ? static_cast<qxChar*>(qxGetData(a)) : nullptr; }
qxLogical* qxGetLogicals(const qxArray* a) { return a && a->cls == qxLOGICAL_CLASS ? static_cast<qxLogical*>(qxGetData(a)) : nullptr; }

void qxSetM(qxArray* a, qxSize m) { a->dims[0] = m; }

void qxSetN(qxArray* a, qxSize n)
{
    a->dims.resize(2);
    a->dims[1] = n;
}

int qxSetDimensions(qxArray* a, const qxSize* dims, qxSize ndim)
{
    setDims(a, ndim, dims);
    return 0;
}

bool qxIsEmpty(const qxArray* a) { return a->numel() == 0; }
bool qxIsScalar(const qxArray* a) { return a->numel() == 1; }
bool qxIsVector(const qxArray* a) { return a->dims.size() == 2 && (a->dims[0] == 1 || a->dims[1] == 1); }
bool qxIsSparse(const qxArray* a) { return a->sparse; }
bool qxIsComplex(const qxArray* a) { return a->complex; }
bool qxIsNumeric(const qxArray* a) { return isNumericClass(a->cls); }
bool qxIsChar(const qxArray* a) { return a->cls == qxCHAR_CLASS; }
bool qxIsLogical(const qxArray* a) { return a->cls == qxLOGICAL_CLASS; }
bool qxIsCell(const qxArray* a) { return a->cls == qxCELL_CLASS; }
bool qxIsStruct(const qxArray* a) { return a->cls == qxSTRUCT_CLASS; }
bool qxIsDouble(const qxArray* a) { return a->cls == qxDOUBLE_CLASS; }
bool qxIsSingle(const qxArray* a) { return a->cls == qxSINGLE_CLASS; }

namespace {

// Columns of a sparse array that its column starts describe (never more than
// they have room for, whatever its dimensions say).
qxSize sparseColumns(const qxArray* a)
{
    const qxSize n = product(a->dims.data() + 1, a->dims.size() - 1);
    const Buffer* jc = a->x().jc;
    const qxSize starts = jc ? jc->bytes / sizeof(qxSize) : 0;
    return starts ? std::min(n, starts - 1) : 0;
}

// One element of a numeric, char or logical array: real and imaginary parts.
// An array without data reads as zeros, like the fresh array of its size that
// stands for it.
struct Element {
    double re = 0, im = 0;
    bool operator==(const Element&) const = default;
};

Element fullElement(const qxArray* a, qxSize i)
{
    return {a->re ? readAsDouble(a->cls, a->re->data(), i) : 0.0,
            a->im ? readAsDouble(a->cls, a->im->data(), i) : 0.0};
}

// Walks the stored elements of a sparse array in column-major order, skipping
// stored zeros, without making it full: O(columns + stored elements).
class SparseCursor {
public:
    explicit SparseCursor(const qxArray* a)
        : a_(a), m_(a->dims[0]), n_(sparseColumns(a)),
          jc_(a->x().jc ? static_cast<const qxSize*>(a->x().jc->data()) : nullptr),
          ir_(a->x().ir ? static_cast<const qxSize*>(a->x().ir->data()) : nullptr)
    {
        if (jc_ && ir_ && a->re)
            advance();
        else
            done_ = true;
    }
    bool done() const { return done_; }
    qxSize index() const { return index_; }
    const Element& value() const { return value_; }
    void next()
    {
        ++k_;
        advance();
    }

private:
    void advance()
    {
        for (; j_ < n_; ++j_) {
            if (k_ < jc_[j_])
                k_ = jc_[j_];
            const qxSize end = std::min(jc_[j_ + 1], a_->x().nzmax);
            for (; k_ < end; ++k_) {
                Element e{readAsDouble(a_->cls, a_->re->data(), k_),
                          a_->im ? readAsDouble(a_->cls, a_->im->data(), k_) : 0.0};
                if (ir_[k_] < m_ && !(e == Element{})) {
                    index_ = j_ * m_ + ir_[k_];
                    value_ = e;
                    return;
                }
            }
        }
        done_ = true;
    }

    const qxArray* a_;
    qxSize m_, n_;
    const qxSize* jc_;
    const qxSize* ir_;
    qxSize j_ = 0, k_ = 0, index_ = 0;
    Element value_;
    bool done_ = false;
};

// A sparse array against a full or sparse one of the same class and size: the
// stored non-zeros of each in turn, every other element zero.
bool sparseEqual(const qxArray* a, const qxArray* b)
{
    if (!a->sparse)
        std::swap(a, b);
    SparseCursor ca(a);
    if (b->sparse) {
        SparseCursor cb(b);
        for (; !ca.done() && !cb.done(); ca.next(), cb.next())
            if (ca.index() != cb.index() || !(ca.value() == cb.value()))
                return false;
        return ca.done() && cb.done();
    }
    const qxSize n = b->numel();
    for (qxSize i = 0; i < n; ++i) {
        const bool stored = !ca.done() && ca.index() == i;
        if (!(fullElement(b, i) == (stored ? ca.value() : Element{})))
            return false;
        if (stored)
            ca.next();
    }
    return true;
}

} // namespace

bool qxAreMatricesEqual(const qxArray* a, const qxArray* b)
{
    if (!a || !b)
        return a == b;
    const ArrayExtras &xa = a->x(), &xb = b->x();
    if (a->cls != b->cls || a->dims != b->dims || xa.fields != xb.fields || xa.typeName != xb.typeName ||
        xa.objects != xb.objects)
        return false;
    if (a->sparse || b->sparse)
        return sparseEqual(a, b);
    if (hasElementData(a->cls)) {
        qxSize n = a->numel();
        for (qxSize i = 0; i < n; ++i)
            if (!(fullElement(a, i) == fullElement(b, i)))
                return false;
        // 64-bit integers beyond 2^53 are not told apart by doubles.
        if ((a->cls == qxINT64_CLASS || a->cls == qxUINT64_CLASS) && a->re && b->re)
            return n == 0 || std::memcmp(a->re->data(), b->re->data(), n * 8) == 0;
        return true;
    }
    // Cells and structs: element by element; an element missing on either side
    // (an array given dimensions but no elements) compares as a null element.
    const qxSize count = std::max(xa.elems.size(), xb.elems.size());
    for (qxSize i = 0; i < count; ++i) {
        const qxArray* ea = i < xa.elems.size() ? xa.elems[i] : nullptr;
        const qxArray* eb = i < xb.elems.size() ? xb.elems[i] : nullptr;
        if (!qxAreMatricesEqual(ea, eb))
            return false;
    }
    return true;
}

bool qxIsNaN(double v) { return std::isnan(v); }
bool qxIsInf(double v) { return std::isinf(v); }
bool qxIsFinite(double v) { return std::isfinite(v); }
double qxGetNaN() { return std::numeric_limits<double>::quiet_NaN(); }
double qxGetInf() { return std::numeric_limits<double>::infinity(); }

// ---- sparse ---------------------------------------------------------------------

qxSize* qxGetIr(const qxArray* a) { return a->x().ir ? static_cast<qxSize*>(a->x().ir->data()) : nullptr; }
qxSize* qxGetJc(const qxArray* a) { return a->x().jc ? static_cast<qxSize*>(a->x().jc->data()) : nullptr; }
qxSize qxGetNzmax(const qxArray* a) { return a->x().nzmax; }

// ---- cells and structs ----------------------------------------------------------

qxArray* qxGetCell(const qxArray* a, qxSize index)
{
    return a->cls == qxCELL_CLASS && index < a->x().elems.size() ? a->x().elems[index] : nullptr;
}

void qxSetCell(qxArray* a, qxSize index, qxArray* value)
{
    if (a->cls != qxCELL_CLASS || index >= a->x().elems.size())
        return;
    std::vector<qxArray*>& elems = a->own().elems;
    delete elems[index];
    elems[index] = adopt(value);
}

int qxGetNumberOfFields(const qxArray* a) { return static_cast<int>(a->x().fields.size()); }

const char* qxGetFieldNameByNumber(const qxArray* a, int field)
{
    const std::vector<std::string>& fields = a->x().fields;
    return field >= 0 && field < static_cast<int>(fields.size()) ? fields[field].c_str() : nullptr;
}

int qxGetFieldNumber(const qxArray* a, const char* name)
{
    const std::vector<std::string>& fields = a->x().fields;
    for (qxSize f = 0; f < fields.size(); ++f)
        if (fields[f] == name)
            return static_cast<int>(f);
    return -1;
}

int qxAddField(qxArray* a, const char* name)
{
    int existing = qxGetFieldNumber(a, name);
    if (existing >= 0)
        return existing;
    ArrayExtras& x = a->own();
    qxSize nf = x.fields.size(), n = a->numel();
    std::vector<qxArray*> grown(n * (nf + 1), nullptr);
    for (qxSize i = 0; i < n; ++i)
        for (qxSize f = 0; f < nf; ++f)
            grown[i * (nf + 1) + f] = x.elems[i * nf + f];
    x.elems.swap(grown);
    x.fields.emplace_back(name);
    return static_cast<int>(nf);
}

qxArray* qxGetFieldByNumber(const qxArray* a, qxSize index, int field)
{
    qxSize nf = a->x().fields.size();
    if (a->cls != qxSTRUCT_CLASS || field < 0 || static_cast<qxSize>(field) >= nf || index >= a->numel())
        return nullptr;
    return a->x().elems[index * nf + field];
}

void qxSetFieldByNumber(qxArray* a, qxSize index, int field, qxArray* value)
{
    qxSize nf = a->x().fields.size();
    if (a->cls != qxSTRUCT_CLASS || field < 0 || static_cast<qxSize>(field) >= nf || index >= a->numel())
        return;
    std::vector<qxArray*>& elems = a->own().elems;
    delete elems[index * nf + field];
    elems[index * nf + field] = adopt(value);
}

// ---- text -----------------------------------------------------------------------

char* qxArrayToString(const qxArray* a)
{
    if (!a || a->cls != qxCHAR_CLASS)
        return nullptr;
    std::string s = utf16ToUtf8(qxGetChars(a), a->numel());
    auto* out = static_cast<char*>(qxMalloc(s.size() + 1));
    if (out)
        std::memcpy(out, s.c_str(), s.size() + 1);
    return out;
}

std::string qxArrayToStdString(const qxArray* a)
{
    if (!a || a->cls != qxCHAR_CLASS)
        return {};
    return utf16ToUtf8(qxGetChars(a), a->numel());
}

std::string qxFormatArray(const qxArray* a)
{
    if (!a)
        qxErrMsgIdAndTxt("KELDAR:qx:format:NullArray", "No array to format.");
    if (a->cls == qxCHAR_CLASS)
        return qxArrayToStdString(a);
    if (a->cls == qxFUNCTION_CLASS)
        return "@" + a->x().typeName;
    if (!hasElementData(a->cls) || a->dims.size() > 2)
        qxErrMsgIdAndTxt("KELDAR:qx:format:Unsupported", "No text form for a %s array.", qxGetClassName(a));
    qxSize m = a->dims[0], n = a->dims[1];
    if (m == 0 || n == 0)
        return "[]"; // whatever its size, an empty matrix has no rows to write
    if (a->sparse) {
        std::unique_ptr<qxArray> full(qxMustBeFull(a));
        return qxFormatArray(full.get());
    }
    std::string out = "[";
    for (qxSize i = 0; i < m; ++i) {
        if (i)
            out += "; ";
        for (qxSize j = 0; j < n; ++j) {
            if (j)
                out += ' ';
            appendNumber(out, a->cls, qxGetData(a), j * m + i);
            if (a->complex && a->im) {
                double im = readAsDouble(a->cls, a->im->data(), j * m + i);
                if (!(im < 0))
                    out += '+';
                appendNumber(out, a->cls, a->im->data(), j * m + i);
                out += 'i';
            }
        }
    }
    out += "]";
    return out;
}

void* qxCalloc(std::size_t count, std::size_t size) { return utCalloc(size, count); }
void* qxMalloc(std::size_t size) { return utMalloc(size); }
void qxFree(void* p) { utFree(p); }
void qxFreeEx(void* p) { utFree(p); }

// ---- object arrays --------------------------------------------------------------

qx::SharedElement::~SharedElement() = default;

qxArray* qxCreateObjectMatrix(qxSize m, qxSize n, const char* className)
{
    qxSize dims[2] = {m, n};
    Header a = makeHeader(2, dims, qxOBJECT_CLASS, qxREAL);
    ArrayExtras& x = a->own();
    x.typeName = className ? className : "";
    reserveFor(x.objects, a->numel());
    x.objects.assign(a->numel(), nullptr);
    return a.release();
}

bool qxIsObject(const qxArray* a) { return a && a->cls == qxOBJECT_CLASS; }

const char* qxGetObjectClassName(const qxArray* a) { return qxIsObject(a) ? a->x().typeName.c_str() : nullptr; }

qx::SharedElement* qxGetObjectElement(const qxArray* a, qxSize index)
{
    return qxIsObject(a) && index < a->x().objects.size() ? a->x().objects[index] : nullptr;
}

bool qxSetObjectElement(qxArray* a, qxSize index, qx::SharedElement* element)
{
    if (!qxIsObject(a) || index >= a->x().objects.size())
        return false;
    if (element)
        element->addReference();
    // The old element is released last: releasing it may destroy it, and with it
    // whatever it held, this array's other elements not included.
    qx::SharedElement* old = std::exchange(a->own().objects[index], element);
    if (old)
        old->releaseReference();
    return true;
}

// ---- function handles -----------------------------------------------------------

namespace {
struct FunctionTable {
    std::mutex lock;
    std::map<std::string, std::pair<qxFunction, void*>> functions;
};
// Registered functions stay for the life of the process.
FunctionTable& functionTable()
{
    static auto* table = new FunctionTable;
    return *table;
}
bool findFunction(const char* name, std::pair<qxFunction, void*>* out)
{
    if (!name)
        return false;
    auto& t = functionTable();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.functions.find(name);
    if (it == t.functions.end())
        return false;
    if (out)
        *out = it->second;
    return true;
}
} // namespace

void qxRegisterFunction(const char* name, qxFunction fn, void* context)
{
    if (!name || !*name || !fn)
        return;
    auto& t = functionTable();
    std::lock_guard<std::mutex> g(t.lock);
    t.functions[name] = {fn, context};
}

bool qxIsFunctionRegistered(const char* name) { return findFunction(name, nullptr); }

qxArray* qxCreateFunctionHandle(const char* name)
{
    if (!findFunction(name, nullptr))
        qxErrMsgIdAndTxt("KELDAR:qx:UndefinedFunction", "Undefined function '%s'.", name ? name : "");
    qxSize dims[2] = {1, 1};
    Header a = makeHeader(2, dims, qxFUNCTION_CLASS, qxREAL);
    a->own().typeName = name;
    return a.release();
}

bool qxIsFunctionHandle(const qxArray* a) { return a && a->cls == qxFUNCTION_CLASS; }

const char* qxGetFunctionName(const qxArray* a) { return qxIsFunctionHandle(a) ? a->x().typeName.c_str() : nullptr; }

qxArray* qxCallFunction(const qxArray* handle, int nargs, const qxArray* const* args)
{
    std::pair<qxFunction, void*> fn;
    const char* name = qxGetFunctionName(handle);
    if (!findFunction(name, &fn))
        qxErrMsgIdAndTxt("KELDAR:qx:UndefinedFunction", "Undefined function '%s'.", name ? name : "");
    return fn.first(fn.second, nargs, args);
}

// ---- errors ---------------------------------------------------------------------

void qxErrMsgIdAndTxt(const char* id, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<qxSize>(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    throw qx::HostError(id ? id : "", std::move(text));
}

void qxErrMsg(int number)
{
    const qx::PredefinedError* e = qx::predefinedError(number);
    if (!e)
        throw qx::HostError("KELDAR:qx:UnknownError", "Unknown error " + std::to_string(number) + ".");
    throw qx::HostError(e->id, e->text);
}

namespace qx {

HostError::HostError(std::string id, std::string text) : id_(std::move(id)), text_(std::move(text)) {}
HostError::~HostError() = default;

namespace {
constexpr PredefinedError predefined[] = {
    {74, "KELDAR:pmaxsize", "Maximum variable size allowed by the program is exceeded."},
    {80, "KELDAR:nomem", "Out of memory. Type HELP MEMORY for your options."},
};
constexpr const char* classNames[] = {"unknown", "cell", "struct", "logical", "char", "void", "double", "single",
                                      "int8", "uint8", "int16", "uint16", "int32", "uint32", "int64", "uint64",
                                      "function_handle", "object"};
constexpr qxSize elementSizes[] = {0, 0, 0, 1, 2, 0, 8, 4, 1, 1, 2, 2, 4, 4, 8, 8, 0, 0};
} // namespace

const PredefinedError* predefinedError(int number)
{
    for (const auto& e : predefined)
        if (e.number == number)
            return &e;
    return nullptr;
}

const char* className(qxClassID cls)
{
    return cls >= 0 && cls <= qxOBJECT_CLASS ? classNames[cls] : "unknown";
}

qxSize elementSize(qxClassID cls) { return cls >= 0 && cls <= qxOBJECT_CLASS ? elementSizes[cls] : 0; }

} // namespace qx
