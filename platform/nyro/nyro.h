// Object system of the host: value slots, interned names, data types, type
// conversions and the type repository through which property types are found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "ut/ut.h"

namespace nyro {

// The object system's 64-bit value slot, passed by value. It holds a scalar
// itself or the address of a heap value (0 meaning no value).
class COSValue {
public:
    constexpr COSValue() = default;
    constexpr explicit COSValue(std::uint64_t bits) : bits_(bits) {}
    template <class T>
    static COSValue fromPointer(T* p) { return COSValue(reinterpret_cast<std::uintptr_t>(p)); }
    static COSValue fromDouble(double d)
    {
        std::uint64_t b;
        std::memcpy(&b, &d, sizeof b);
        return COSValue(b);
    }
    static COSValue fromInt(std::int64_t v) { return COSValue(static_cast<std::uint64_t>(v)); }
    constexpr std::uint64_t bits() const { return bits_; }
    constexpr bool isNull() const { return bits_ == 0; }
    double asDouble() const
    {
        double d;
        std::memcpy(&d, &bits_, sizeof d);
        return d;
    }
    friend constexpr bool operator==(COSValue a, COSValue b) { return a.bits_ == b.bits_; }

private:
    std::uint64_t bits_ = 0;
};

// The object address held in a slot.
template <class P>
P pointerValue(COSValue v)
{
    return reinterpret_cast<P>(static_cast<std::uintptr_t>(v.bits()));
}

// An interned type name: equal names share one address.
class COSNameID {
public:
    COSNameID() = default;
    explicit COSNameID(const char* name);
    explicit COSNameID(const std::string& name) : COSNameID(name.c_str()) {}
    const char* c_str() const { return name_ ? name_ : ""; }
    bool isNull() const { return name_ == nullptr; }
    friend bool operator==(COSNameID a, COSNameID b) { return a.name_ == b.name_; }
    friend bool operator<(COSNameID a, COSNameID b) { return a.name_ < b.name_; }

private:
    const char* name_ = nullptr;
};

// ---- exceptions ---------------------------------------------------------------

class COSException : public Quillmark::System::IUserException {
public:
    COSException() = default;
    COSException(std::string id, std::string text) : id_(std::move(id)), text_(std::move(text)) {}
    ~COSException() override;
    const char* GetID() const override { return id_.c_str(); }
    const char* GetMessageTxt() const override { return text_.c_str(); }

protected:
    std::string id_;
    std::string text_;
};

// An exception that carries a message identifier and a message text.
class COSMsgException : public COSException {
public:
    using COSException::COSException;
    ~COSMsgException() override;
    void set(std::string id, std::string text)
    {
        id_ = std::move(id);
        text_ = std::move(text);
    }
};

class COSOutOfMemoryException : public COSMsgException {
public:
    COSOutOfMemoryException();
    ~COSOutOfMemoryException() override;
};

// ---- enumerations of values ----------------------------------------------------

// A reference-counted enumeration of values, handed out by data types.
template <class T>
class EnumerationUtil {
public:
    virtual ~EnumerationUtil() = default;
    virtual bool hasMoreElements() = 0;
    virtual T nextElement() = 0;
    void addReference() { ++refs_; }
    void releaseReference()
    {
        if (--refs_ == 0)
            destroySelf();
    }

protected:
    // Enumerations allocated in the utility heap override this.
    virtual void destroySelf() { delete this; }

private:
    long refs_ = 0;
};

// Counted handle to an enumeration.
template <class T>
class EnumerationPtr {
public:
    EnumerationPtr() = default;
    explicit EnumerationPtr(EnumerationUtil<T>* e) : e_(e) { if (e_) e_->addReference(); }
    EnumerationPtr(const EnumerationPtr& o) : EnumerationPtr(o.e_) {}
    EnumerationPtr& operator=(EnumerationPtr o)
    {
        std::swap(e_, o.e_);
        return *this;
    }
    ~EnumerationPtr() { if (e_) e_->releaseReference(); }
    EnumerationUtil<T>* operator->() const { return e_; }
    EnumerationUtil<T>* get() const { return e_; }
    explicit operator bool() const { return e_ != nullptr; }

private:
    EnumerationUtil<T>* e_ = nullptr;
};

using COSValueEnumerationPtr = EnumerationPtr<COSValue>;

// ---- data types ----------------------------------------------------------------

// A property data type. Its virtual operations, in this order, are what the
// object system calls to handle values of the type.
//
// The defaults of the operations a type need not define are written here, in
// the class: a module that derives its types from this class then keeps its
// own copies of them, so that the many slots of its virtual tables that hold a
// default point into the module itself and are fixed up at load time without
// a symbol lookup. The destructor is written here too: a module's data types
// then destroy their bases without calling out of the module, and the compiler
// needs no virtual table for the abstract classes between this one and a
// module's type. getMatFormat alone is defined in the object system's library,
// which keeps the class's own virtual table and type information there.
class COSDataType {
public:
    virtual ~COSDataType() = default;
    virtual const char* getDeclarationName() const = 0;
    virtual const char* getName() const = 0;
    virtual const char* getDescription() const { return nullptr; }
    virtual const char* getDetailedDescription() const { return nullptr; }
    virtual const char* getPossibleValuesDescription() const { return nullptr; }
    virtual bool isPossibleValuesFinite() const { return false; }
    virtual COSValueEnumerationPtr getPossibleValues() const { return noPossibleValues(); }
    virtual COSValue getDefaultValue() const = 0;
    virtual int getStorageType() const = 0;
    virtual const char* getCategoryName() const = 0;
    virtual int getSizeInBits() const = 0;
    virtual bool isValueValid(COSValue, COSMsgException&) const { return true; }
    virtual bool isEqual(COSValue a, COSValue b) const = 0;
    virtual int compare(COSValue a, COSValue b) const = 0;
    virtual int getValueSizeInBytes(COSValue v) const = 0;
    virtual COSValue copy(COSValue v) const = 0;
    virtual COSValue copyInternal(COSValue v) const { return copy(v); }
    virtual void destroy(COSValue v) const = 0;
    virtual void destroyInternal(COSValue v) const { destroy(v); }
    virtual int getHashCode(const COSValue& v) const { return static_cast<int>(v.bits() ^ (v.bits() >> 32)); }
    virtual bool canContainInterfaces() const { return false; }
    virtual void getReference() {}
    virtual void releaseReference() {}
    virtual int getInterfaces(COSValue) const { return 0; }
    virtual int getMatFormat() const;
    virtual bool isKELDARArrayType() const { return false; }

    // An enumeration without elements: what a type whose possible values are
    // not finite offers.
    static COSValueEnumerationPtr noPossibleValues();

    // Data type objects live in the utility heap, zero-filled.
    static void* operator new(std::size_t size);
    static void operator delete(void* p);
};

// Counted pointer to a registered type (types live as long as the process).
class COSDataTypePtr {
public:
    COSDataTypePtr() = default;
    explicit COSDataTypePtr(COSDataType* t) : t_(t) { if (t_) t_->getReference(); }
    COSDataTypePtr(const COSDataTypePtr& o) : COSDataTypePtr(o.t_) {}
    COSDataTypePtr& operator=(COSDataTypePtr o)
    {
        std::swap(t_, o.t_);
        return *this;
    }
    ~COSDataTypePtr() { if (t_) t_->releaseReference(); }
    COSDataType* operator->() const { return t_; }
    explicit operator bool() const { return t_ != nullptr; }

private:
    friend struct COSDataTypePtrHelper;
    COSDataType* t_ = nullptr;
};

struct COSDataTypePtrHelper {
    static COSDataType* getObject(const COSDataTypePtr& p) { return p.t_; }
};

// ---- conversions ---------------------------------------------------------------

// Conversion between a foreign representation and a registered type: `from`
// builds a value of the type from a foreign value, `to` exports one.
class COSTypeConversion {
public:
    virtual ~COSTypeConversion();
    virtual COSValue to(COSValue v) const = 0;
    virtual COSValue from(COSValue v) const = 0;
};

// Conversion between a registered type and Java objects, one per type name.
class JavaTypeConversion : public COSTypeConversion {
public:
    ~JavaTypeConversion() override;
    virtual const char* getJavaDeclarationName() const = 0;
    // The repository takes ownership; a second conversion for a name is refused
    // with COSException and deleted.
    static void addConversion(COSNameID typeName, JavaTypeConversion* conversion);
    static JavaTypeConversion* getConversion(COSNameID typeName);
};

class COSTypeRepository {
public:
    // Registers a type under its getName(); a second type of that name throws COSException.
    static void addGlobalType(COSDataType* type);
    static COSDataTypePtr getType(COSNameID name);
    // Takes ownership of the conversion; a second conversion for the same pair
    // is refused with COSException (and deleted).
    static void addConversion(COSNameID foreign, COSNameID type, COSTypeConversion* conversion);
    static COSTypeConversion* getConversion(COSNameID foreign, COSNameID type);

    // A type with its conversions in one step: the type under its getName(),
    // then each conversion from its foreign name, in the order given, then the
    // Java conversion when there is one. The repository takes ownership of the
    // conversions. When the name or one of the pairs is taken already, nothing
    // is registered, the conversions are deleted and COSException is thrown.
    struct ForeignConversion {
        COSNameID foreign;
        COSTypeConversion* conversion;
    };
    static void addGlobalType(COSDataType* type, std::initializer_list<ForeignConversion> conversions,
                              JavaTypeConversion* java);

    // What a host inspects: every registered type in registration order, and the
    // foreign names a type has conversions for ("java" for a Java conversion).
    static std::vector<COSDataType*> globalTypes();
    static std::vector<std::string> conversionsOf(COSNameID type);

    // The object system's rule for texts returned by string conversions of a
    // type: most are new copies in the utility heap that the caller frees; the
    // on/off texts and the font name's held text are borrowed and left alone.
    static bool isReturnedTextBorrowed(COSNameID type);
    static void releaseReturnedText(COSNameID type, COSValue text);
};

// A scalar type of the host itself ("int32 scalar", "double", "string", ...):
// the slot holds the scalar (integers sign- or zero-extended, floating values
// as the bits of a double, logical values as 0 or 1) or, for "string", the
// address of a C string in the utility heap.
class HostScalarType : public COSDataType {
public:
    enum class Kind { Signed, Unsigned, Floating, Logical, String };
    HostScalarType(const char* name, Kind kind, int bytes) : name_(name), kind_(kind), bytes_(bytes) {}
    Kind kind() const { return kind_; }
    const char* getDeclarationName() const override { return name_; }
    const char* getName() const override { return name_; }
    COSValue getDefaultValue() const override;
    int getStorageType() const override { return static_cast<int>(kind_) + 1; }
    const char* getCategoryName() const override { return "Fundamental"; }
    int getSizeInBits() const override { return 8 * bytes_; }
    bool isEqual(COSValue a, COSValue b) const override;
    int compare(COSValue a, COSValue b) const override;
    int getValueSizeInBytes(COSValue) const override { return bytes_; }
    COSValue copy(COSValue v) const override;
    void destroy(COSValue v) const override;

private:
    const char* name_;
    Kind kind_;
    int bytes_;
};

// The host's own types and conversions, installed by the host before it loads
// property libraries: the scalar types ("int8 scalar" ... "logical", "string",
// "bool", "uint32 scalar", ...) and the conversion between "any" (host arrays)
// and "string" that writes an array's own text form. Installing twice does nothing.
void installHostTypes();

} // namespace nyro
