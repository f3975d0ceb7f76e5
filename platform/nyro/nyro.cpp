#include "nyro/nyro.h"

#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "qx/qx.h"

namespace nyro {

// ---- names ---------------------------------------------------------------------

namespace {
std::mutex& nameLock()
{
    static std::mutex m;
    return m;
}
// Interned names live as long as the process; the set is never destroyed so
// that names stay valid during static destruction. A name already interned is
// found without building a string.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
using NameSet = std::unordered_set<std::string, NameHash, std::equal_to<>>;
NameSet& nameTable()
{
    static auto* table = new NameSet;
    return *table;
}
} // namespace

COSNameID::COSNameID(const char* name)
{
    if (!name)
        return;
    const std::string_view text(name);
    std::lock_guard<std::mutex> g(nameLock());
    NameSet& table = nameTable();
    auto at = table.find(text);
    if (at == table.end())
        at = table.emplace(text).first;
    name_ = at->c_str();
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

COSDataType::~COSDataType() = default;
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

struct Repository {
    std::mutex lock;
    std::vector<COSDataType*> types;
    std::map<COSNameID, COSDataType*> byName;
    std::map<std::pair<COSNameID, COSNameID>, std::unique_ptr<COSTypeConversion>> conversions;
    std::map<COSNameID, std::vector<std::string>> foreignNames;
    std::map<COSNameID, std::unique_ptr<JavaTypeConversion>> java;
};

// Registered types and conversions live until the process ends: the repository
// is never destroyed, so nothing it holds is released during static destruction.
Repository& repo()
{
    static auto* r = new Repository;
    return *r;
}

} // namespace

void COSTypeRepository::addGlobalType(COSDataType* type)
{
    auto& r = repo();
    COSNameID name(type->getName());
    std::lock_guard<std::mutex> g(r.lock);
    if (r.byName.count(name))
        throw COSMsgException("nyro:TypeRepository:DuplicateType",
                              std::string("A type named ") + name.c_str() + " is already registered.");
    r.byName[name] = type;
    r.types.push_back(type);
}

COSDataTypePtr COSTypeRepository::getType(COSNameID name)
{
    auto& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.byName.find(name);
    return COSDataTypePtr(it == r.byName.end() ? nullptr : it->second);
}

void COSTypeRepository::addConversion(COSNameID foreign, COSNameID type, COSTypeConversion* conversion)
{
    std::unique_ptr<COSTypeConversion> owned(conversion);
    auto& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    auto key = std::make_pair(foreign, type);
    if (r.conversions.count(key))
        throw COSMsgException("nyro:TypeRepository:DuplicateConversion",
                              std::string("A conversion between ") + foreign.c_str() + " and " + type.c_str() +
                                  " is already registered.");
    r.conversions.emplace(key, std::move(owned));
    r.foreignNames[type].emplace_back(foreign.c_str());
}

COSTypeConversion* COSTypeRepository::getConversion(COSNameID foreign, COSNameID type)
{
    auto& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.conversions.find(std::make_pair(foreign, type));
    return it == r.conversions.end() ? nullptr : it->second.get();
}

void JavaTypeConversion::addConversion(COSNameID typeName, JavaTypeConversion* conversion)
{
    std::unique_ptr<JavaTypeConversion> owned(conversion);
    auto& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    if (r.java.count(typeName))
        throw COSMsgException("nyro:TypeRepository:DuplicateConversion",
                              std::string("A Java conversion for ") + typeName.c_str() + " is already registered.");
    r.java.emplace(typeName, std::move(owned));
    r.foreignNames[typeName].emplace_back("java");
}

JavaTypeConversion* JavaTypeConversion::getConversion(COSNameID typeName)
{
    auto& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.java.find(typeName);
    return it == r.java.end() ? nullptr : it->second.get();
}

std::vector<COSDataType*> COSTypeRepository::globalTypes()
{
    auto& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    return r.types;
}

std::vector<std::string> COSTypeRepository::conversionsOf(COSNameID type)
{
    auto& r = repo();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.foreignNames.find(type);
    return it == r.foreignNames.end() ? std::vector<std::string>{} : it->second;
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
