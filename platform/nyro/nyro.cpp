#include "nyro/nyro.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "qx/qx.h"

namespace nyro {

// ---- names and the repository -------------------------------------------------
//
// Every interned name is one entry of a hash table, and the entry is also where
// the repository keeps what is registered under the name: its data type, its
// conversions in registration order and its Java conversion. A COSNameID holds
// the address of the entry's text, so that the repository reaches a name's
// entry without a lookup, and registering a type costs one probe of the table.
// Entries and conversion lists are cut from large blocks that are never
// released: names and registrations live as long as the process, and stay
// valid during static destruction.

namespace {

// The text a Java conversion is listed under; not an interned name, so that a
// conversion registered from a foreign name "java" stays a different one.
constexpr const char* javaListing = "java";

struct Conversion {
    const char* foreign; // an interned name's text, javaListing, or null for the null name
    COSTypeConversion* conversion;
};

// How a foreign name is kept in a conversion list: its interned text.
const char* keyOf(COSNameID name) { return name.isNull() ? nullptr : name.c_str(); }

struct NameEntry {
    COSDataType* type = nullptr;
    JavaTypeConversion* java = nullptr;
    Conversion* conversions = nullptr;
    std::uint32_t count = 0;
    std::uint32_t capacity = 0;
    std::size_t hash = 0;
    std::size_t length = 0;
    // The text follows the entry.
    char* text() { return reinterpret_cast<char*>(this + 1); }
};

// Storage handed out in pieces and never given back.
class Arena {
public:
    void* allocate(std::size_t bytes)
    {
        bytes = (bytes + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
        if (bytes > left_) {
            const std::size_t size = bytes > blockBytes / 4 ? bytes + sizeof(Block) : blockBytes;
            auto* block = static_cast<Block*>(::operator new(size));
            block->previous = last_;
            last_ = block;
            next_ = reinterpret_cast<char*>(block) + sizeof(Block);
            left_ = size - sizeof(Block);
        }
        void* p = next_;
        next_ += bytes;
        left_ -= bytes;
        return p;
    }

private:
    struct alignas(std::max_align_t) Block {
        Block* previous;
    };
    static constexpr std::size_t blockBytes = 16384;
    Block* last_ = nullptr;
    char* next_ = nullptr;
    std::size_t left_ = 0;
};

struct Repository {
    std::mutex lock;
    Arena arena;
    // Open addressing over entry addresses; a power of two, at most half full.
    NameEntry** slots = nullptr;
    std::size_t slotCount = 0;
    std::size_t nameCount = 0;
    // What is registered under the null name.
    NameEntry nullEntry;
    std::vector<COSDataType*> types;

    Repository()
    {
        slotCount = 1024;
        slots = new NameEntry*[slotCount]();
        types.reserve(256);
    }

    // Eight bytes at a time: names are short, and many are interned.
    static std::size_t hashOf(const char* name, std::size_t length)
    {
        std::uint64_t h = 0x9e3779b97f4a7c15ull ^ length;
        std::size_t i = 0;
        for (; i + 8 <= length; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, name + i, sizeof word);
            h = (h ^ word) * 0xff51afd7ed558ccdull;
            h ^= h >> 32;
        }
        std::uint64_t tail = 0;
        for (std::size_t k = i; k < length; ++k)
            tail = tail << 8 | static_cast<unsigned char>(name[k]);
        h = (h ^ tail) * 0xc4ceb9fe1a85ec53ull;
        return static_cast<std::size_t>(h ^ h >> 29);
    }

    NameEntry* intern(const char* name)
    {
        const std::size_t length = std::strlen(name);
        const std::size_t hash = hashOf(name, length);
        std::size_t mask = slotCount - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            NameEntry* e = slots[i];
            if (!e)
                break;
            if (e->hash == hash && e->length == length && std::memcmp(e->text(), name, length) == 0)
                return e;
        }
        if (2 * (nameCount + 1) > slotCount)
            grow();
        auto* e = ::new (arena.allocate(sizeof(NameEntry) + length + 1)) NameEntry;
        e->hash = hash;
        e->length = length;
        std::memcpy(e->text(), name, length + 1);
        mask = slotCount - 1;
        std::size_t i = hash & mask;
        while (slots[i])
            i = (i + 1) & mask;
        slots[i] = e;
        ++nameCount;
        return e;
    }

    void grow()
    {
        const std::size_t count = 2 * slotCount;
        auto** grown = new NameEntry*[count]();
        for (std::size_t k = 0; k < slotCount; ++k) {
            if (NameEntry* e = slots[k]) {
                std::size_t i = e->hash & (count - 1);
                while (grown[i])
                    i = (i + 1) & (count - 1);
                grown[i] = e;
            }
        }
        delete[] slots;
        slots = grown;
        slotCount = count;
    }

    NameEntry* entryOf(COSNameID name)
    {
        return name.isNull() ? &nullEntry : reinterpret_cast<NameEntry*>(const_cast<char*>(name.c_str())) - 1;
    }

    static COSTypeConversion* find(const NameEntry* e, const char* foreign)
    {
        for (std::uint32_t k = 0; k < e->count; ++k)
            if (e->conversions[k].foreign == foreign)
                return e->conversions[k].conversion;
        return nullptr;
    }

    // Room for `more` conversions of the entry.
    void reserve(NameEntry* e, std::uint32_t more)
    {
        if (e->count + more <= e->capacity)
            return;
        std::uint32_t capacity = e->capacity ? 2 * e->capacity : 4;
        while (capacity < e->count + more)
            capacity *= 2;
        auto* grown = static_cast<Conversion*>(arena.allocate(capacity * sizeof(Conversion)));
        if (e->count)
            std::memcpy(grown, e->conversions, e->count * sizeof(Conversion));
        e->conversions = grown;
        e->capacity = capacity;
    }

    void list(NameEntry* e, const char* foreign, COSTypeConversion* conversion)
    {
        reserve(e, 1);
        e->conversions[e->count++] = {foreign, conversion};
    }
};

// Registered types and conversions live until the process ends: the repository
// is never destroyed, so nothing it holds is released during static destruction.
Repository& repo()
{
    static auto* r = new Repository;
    return *r;
}

} // namespace

COSNameID::COSNameID(const char* name)
{
    if (!name)
        return;
    Repository& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    name_ = r.intern(name)->text();
}

// ---- exceptions ----------------------------------------------------------------

COSException::~COSException() = default;
COSMsgException::~COSMsgException() = default;
COSOutOfMemoryException::COSOutOfMemoryException()
    : COSMsgException("KELDAR:nyro:OutOfMemory", "Out of memory. Type HELP MEMORY for your options.")
{
}
COSOutOfMemoryException::~COSOutOfMemoryException() = default;

// ---- data types ----------------------------------------------------------------

namespace {
class EmptyEnumeration : public EnumerationUtil<COSValue> {
public:
    bool hasMoreElements() override { return false; }
    COSValue nextElement() override { return COSValue(); }
};
} // namespace

int COSDataType::getMatFormat() const { return 0; }
COSValueEnumerationPtr COSDataType::noPossibleValues() { return COSValueEnumerationPtr(new EmptyEnumeration); }

void* COSDataType::operator new(std::size_t size)
{
    void* p = utCalloc(size, 1);
    if (!p)
        throw COSOutOfMemoryException();
    return p;
}

void COSDataType::operator delete(void* p) { utFree(p); }

COSTypeConversion::~COSTypeConversion() = default;
JavaTypeConversion::~JavaTypeConversion() = default;

// ---- repository ----------------------------------------------------------------

namespace {
// The repository's refusals of a second registration.
[[noreturn]] void duplicateConversion(const char* foreign, const char* type)
{
    throw COSMsgException("nyro:TypeRepository:DuplicateConversion", std::string("A conversion between ") +
                                                                          (foreign ? foreign : "") + " and " +
                                                                          (type ? type : "") + " is already registered.");
}
[[noreturn]] void duplicateJavaConversion(const char* type)
{
    throw COSMsgException("nyro:TypeRepository:DuplicateConversion",
                          std::string("A Java conversion for ") + (type ? type : "") + " is already registered.");
}
} // namespace

void COSTypeRepository::addGlobalType(COSDataType* type) { addGlobalType(type, {}, nullptr); }

void COSTypeRepository::addGlobalType(COSDataType* type, std::initializer_list<ForeignConversion> conversions,
                                      JavaTypeConversion* java)
{
    // Owns the conversions until they are registered.
    struct Pending {
        std::initializer_list<ForeignConversion> conversions;
        JavaTypeConversion* java;
        bool registered = false;
        ~Pending()
        {
            if (registered)
                return;
            for (const ForeignConversion& c : conversions)
                delete c.conversion;
            delete java;
        }
    } pending{conversions, java};
    Repository& r = repo();
    const char* text = type->getName();
    std::lock_guard<std::mutex> g(r.lock);
    NameEntry* e = text ? r.intern(text) : &r.nullEntry;
    if (e->type)
        throw COSMsgException("nyro:TypeRepository:DuplicateType",
                              std::string("A type named ") + (text ? text : "") + " is already registered.");
    for (auto c = conversions.begin(); c != conversions.end(); ++c) {
        bool taken = Repository::find(e, keyOf(c->foreign)) != nullptr;
        for (auto earlier = conversions.begin(); earlier != c; ++earlier)
            taken = taken || earlier->foreign == c->foreign;
        if (taken)
            duplicateConversion(c->foreign.c_str(), text);
    }
    if (java && e->java)
        duplicateJavaConversion(text);
    // Storage first, so that nothing is registered when there is none.
    r.reserve(e, static_cast<std::uint32_t>(conversions.size()) + (java ? 1 : 0));
    r.types.push_back(type);
    e->type = type;
    for (const ForeignConversion& c : conversions)
        r.list(e, keyOf(c.foreign), c.conversion);
    if (java) {
        r.list(e, javaListing, java);
        e->java = java;
    }
    pending.registered = true;
}

COSDataTypePtr COSTypeRepository::getType(COSNameID name)
{
    Repository& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    return COSDataTypePtr(r.entryOf(name)->type);
}

void COSTypeRepository::addConversion(COSNameID foreign, COSNameID type, COSTypeConversion* conversion)
{
    std::unique_ptr<COSTypeConversion> owned(conversion);
    Repository& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    NameEntry* e = r.entryOf(type);
    if (Repository::find(e, keyOf(foreign)))
        duplicateConversion(foreign.c_str(), type.c_str());
    r.list(e, keyOf(foreign), conversion);
    owned.release();
}

COSTypeConversion* COSTypeRepository::getConversion(COSNameID foreign, COSNameID type)
{
    Repository& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    return Repository::find(r.entryOf(type), keyOf(foreign));
}

void JavaTypeConversion::addConversion(COSNameID typeName, JavaTypeConversion* conversion)
{
    std::unique_ptr<JavaTypeConversion> owned(conversion);
    Repository& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    NameEntry* e = r.entryOf(typeName);
    if (e->java)
        duplicateJavaConversion(typeName.c_str());
    r.list(e, javaListing, conversion);
    e->java = owned.release();
}

JavaTypeConversion* JavaTypeConversion::getConversion(COSNameID typeName)
{
    Repository& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    return r.entryOf(typeName)->java;
}

std::vector<COSDataType*> COSTypeRepository::globalTypes()
{
    Repository& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    return r.types;
}

std::vector<std::string> COSTypeRepository::conversionsOf(COSNameID type)
{
    Repository& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    const NameEntry* e = r.entryOf(type);
    std::vector<std::string> names;
    names.reserve(e->count);
    for (std::uint32_t k = 0; k < e->count; ++k)
        names.emplace_back(e->conversions[k].foreign ? e->conversions[k].foreign : "");
    return names;
}

bool COSTypeRepository::isReturnedTextBorrowed(COSNameID type)
{
    static const COSNameID borrowed[] = {COSNameID("on/off"), COSNameID("bool"), COSNameID("FontName")};
    for (COSNameID b : borrowed)
        if (b == type)
            return true;
    return false;
}

void COSTypeRepository::releaseReturnedText(COSNameID type, COSValue text)
{
    if (!isReturnedTextBorrowed(type))
        utFree(pointerValue<char*>(text));
}

// ---- host types ----------------------------------------------------------------

COSValue HostScalarType::getDefaultValue() const
{
    static char empty[1] = "";
    return kind_ == Kind::String ? COSValue::fromPointer(empty) : COSValue();
}

bool HostScalarType::isEqual(COSValue a, COSValue b) const
{
    switch (kind_) {
    case Kind::Floating: return a.asDouble() == b.asDouble();
    case Kind::Logical: return (a.bits() != 0) == (b.bits() != 0);
    case Kind::String: {
        const char* x = pointerValue<const char*>(a);
        const char* y = pointerValue<const char*>(b);
        return x && y ? std::strcmp(x, y) == 0 : x == y;
    }
    default: return a == b;
    }
}

int HostScalarType::compare(COSValue a, COSValue b) const
{
    if (isEqual(a, b))
        return 0;
    switch (kind_) {
    case Kind::Signed: return static_cast<std::int64_t>(a.bits()) < static_cast<std::int64_t>(b.bits()) ? -1 : 1;
    case Kind::Floating: return a.asDouble() < b.asDouble() ? -1 : 1;
    case Kind::String: {
        const char* x = pointerValue<const char*>(a);
        const char* y = pointerValue<const char*>(b);
        return !x ? -1 : !y ? 1 : std::strcmp(x, y) < 0 ? -1 : 1;
    }
    default: return a.bits() < b.bits() ? -1 : 1;
    }
}

COSValue HostScalarType::copy(COSValue v) const
{
    if (kind_ != Kind::String || v.isNull())
        return v;
    char* s = utStrdup(pointerValue<const char*>(v));
    if (!s)
        throw COSOutOfMemoryException();
    return COSValue::fromPointer(s);
}

void HostScalarType::destroy(COSValue v) const
{
    if (kind_ == Kind::String)
        utFree(pointerValue<char*>(v));
}

namespace {

// "any" to "string": the host's text form of an array, as a new C string in the
// utility heap; "string" to "any": a char array of the text.
class AnyStringConversion : public COSTypeConversion {
public:
    COSValue from(COSValue v) const override
    {
        std::string text = qxFormatArray(pointerValue<const qxArray*>(v));
        // A C string ends at its first NUL: a text holding one has no C string form.
        if (text.find('\0') != std::string::npos)
            qxErrMsgIdAndTxt("KELDAR:nyro:string:NulInText", "A text holding a NUL character has no C string form.");
        char* s = utStrdup(text.c_str());
        if (!s)
            throw COSOutOfMemoryException();
        return COSValue::fromPointer(s);
    }
    COSValue to(COSValue v) const override
    {
        return COSValue::fromPointer(qxCreateString(pointerValue<const char*>(v)));
    }
};

} // namespace

void installHostTypes()
{
    if (COSTypeRepository::getType(COSNameID("string")))
        return;
    using K = HostScalarType::Kind;
    struct Row {
        const char* name;
        K kind;
        int bytes;
    };
    static constexpr Row rows[] = {
        {"int8 scalar", K::Signed, 1},    {"int16 scalar", K::Signed, 2},      {"int32 scalar", K::Signed, 4},
        {"int64 scalar", K::Signed, 8},   {"uint8 scalar", K::Unsigned, 1},    {"uint16 scalar", K::Unsigned, 2},
        {"uint32 scalar", K::Unsigned, 4}, {"uint64 scalar", K::Unsigned, 8},  {"single scalar", K::Floating, 4},
        {"double scalar", K::Floating, 8}, {"logical scalar", K::Logical, 1},  {"string", K::String, 8},
        {"int", K::Signed, 4},            {"uint64_T", K::Unsigned, 8},        {"single", K::Floating, 4},
        {"float", K::Floating, 4},        {"double", K::Floating, 8},          {"logical", K::Logical, 1},
        {"bool", K::Logical, 1},
    };
    for (const Row& row : rows)
        COSTypeRepository::addGlobalType(new HostScalarType(row.name, row.kind, row.bytes));
    COSTypeRepository::addConversion(COSNameID("any"), COSNameID("string"), new AnyStringConversion);
}

} // namespace nyro
