// The host side of the property library for C++ programs: owning wrappers of
// host arrays, property values and returned texts, one exception type for
// every refusal, and the calls a host makes (start-up, type lookup, conversion
// from and to host arrays and text, copy, compare, display).
//
//     vxdatatypes::initialize();
//     vxdatatypes::Type limits("Limits");
//     vxdatatypes::Value v = limits.fromArray(vxdatatypes::Array::row({0, 10}));
//     std::cout << v.display() << "\n";                   // Limits [0 10]
//     try { limits.fromText("[10 0]"); }
//     catch (const vxdatatypes::Error& e) { std::cout << e.id() << ": " << e.what() << "\n"; }
//
// Everything here is inline over the library's module entry point and the host
// platform libraries' interfaces, so a program links vxdatatypes::vxdatatypes
// (or the pkg-config flags) and nothing more.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "frame/registry.h"
#include "javabridge/javabridge.h"
#include "nyro/nyro.h"
#include "qx/qx.h"
#include "ut/ut.h"

namespace vxdatatypes {

// A refusal or failure: the identifier and the message text exactly as the
// library (or the host library it called) raised them.
class Error : public std::runtime_error {
public:
    Error(std::string id, const std::string& message) : std::runtime_error(message), id_(std::move(id)) {}
    const std::string& id() const noexcept { return id_; }
    std::string message() const { return what(); }

private:
    std::string id_;
};

// Runs `f`, turning the host's exceptions into Error.
template <class F>
decltype(auto) call(F&& f)
{
    try {
        return std::forward<F>(f)();
    } catch (const Quillmark::System::IUserException& e) {
        throw Error(e.GetID(), e.GetMessageTxt());
    } catch (const Quillmark::System::InternalException& e) {
        throw Error("vxdatatypes:host:InternalError", e.what());
    }
}

// Installs the host's own types and the Java bridge, then runs the library's
// module entry point, as a host does when it loads the library. Later calls do
// nothing; a failed call may be repeated.
inline void initialize()
{
    call([] {
        nyro::installHostTypes();
        javabridge::install();
        KDInitialize_vxdatatypes();
    });
}

// An owned host array, destroyed with its holder.
class Array {
public:
    Array() = default;
    // Takes over `a` (null for none).
    explicit Array(qxArray* a) noexcept : a_(a) {}

    static Array scalar(double v) { return Array(call([&] { return qxCreateDoubleScalar(v); })); }
    static Array row(std::initializer_list<double> values) { return matrix(1, values.size(), values); }
    static Array row(const std::vector<double>& values)
    {
        Array out(call([&] { return qxCreateDoubleMatrix(1, values.size(), qxREAL); }));
        std::copy(values.begin(), values.end(), qxGetPr(out.get()));
        return out;
    }
    // A rows x columns double array from `values` in column order.
    static Array matrix(std::size_t rows, std::size_t columns, std::initializer_list<double> values)
    {
        if (values.size() != rows * columns)
            throw Error("vxdatatypes:host:ElementCount", "The number of values does not match the array's size.");
        Array out(call([&] { return qxCreateDoubleMatrix(rows, columns, qxREAL); }));
        double* d = qxGetPr(out.get());
        for (double v : values)
            *d++ = v;
        return out;
    }
    static Array text(const std::string& utf8) { return Array(call([&] { return qxCreateString(utf8.c_str()); })); }

    qxArray* get() const noexcept { return a_.get(); }
    qxArray* release() noexcept { return a_.release(); }
    explicit operator bool() const noexcept { return a_ != nullptr; }

    std::string className() const { return a_ ? qxGetClassName(get()) : ""; }
    std::size_t size() const { return a_ ? qxGetNumberOfElements(get()) : 0; }
    // The elements of a real double array, in column order.
    std::vector<double> numbers() const
    {
        if (!a_ || !qxIsDouble(get()) || qxIsComplex(get()) || qxIsSparse(get()))
            throw Error("vxdatatypes:host:NotRealDouble", "The array is not a full real double array.");
        const double* d = qxGetPr(get());
        return std::vector<double>(d, d + size());
    }
    // The text of a char array.
    std::string str() const
    {
        if (!a_ || !qxIsChar(get()))
            throw Error("vxdatatypes:host:NotText", "The array is not a char array.");
        std::unique_ptr<char, void (*)(void*)> s(call([&] { return qxArrayToString(get()); }), utFree);
        return s ? std::string(s.get()) : std::string();
    }

private:
    struct Destroy {
        void operator()(qxArray* a) const noexcept { qxDestroyArray(a); }
    };
    std::unique_ptr<qxArray, Destroy> a_;
};

class Value;

// A registered property type: its data type and its converters from host
// arrays ("any") and from text ("string").
class Type {
public:
    // The type registered under `name`; Error "vxdatatypes:host:UnknownType" when there is none.
    explicit Type(const std::string& name) : type_(find(name)) {}
    explicit Type(nyro::COSDataType* type) : type_(type)
    {
        if (!type_)
            throw Error("vxdatatypes:host:UnknownType", "No property type.");
    }

    const char* name() const { return type_->getName(); }
    nyro::COSDataType* get() const noexcept { return type_; }

    Value fromArray(const Array& a) const;
    Value fromText(const std::string& text) const;
    Value defaultValue() const;
    // Takes over `v`, a value of this type (the null value for none).
    Value adopt(nyro::COSValue v) const;
    // A copy of `v`, a value of this type the caller keeps.
    Value copyOf(nyro::COSValue v) const;

    friend bool operator==(const Type& a, const Type& b) noexcept { return a.type_ == b.type_; }

private:
    static nyro::COSDataType* find(const std::string& name)
    {
        nyro::COSDataTypePtr t = nyro::COSTypeRepository::getType(nyro::COSNameID(name));
        if (!t)
            throw Error("vxdatatypes:host:UnknownType", "There is no property type named " + name + ".");
        return nyro::COSDataTypePtrHelper::getObject(t);
    }
    nyro::COSTypeConversion* conversion(const char* foreign) const
    {
        nyro::COSTypeConversion* c =
            nyro::COSTypeRepository::getConversion(nyro::COSNameID(foreign), nyro::COSNameID(name()));
        if (!c)
            throw Error("vxdatatypes:host:NoConversion",
                        std::string("The type ") + name() + " has no conversion from \"" + foreign + "\".");
        return c;
    }
    // The storage code of types whose slot holds the address of a heap value.
    static constexpr int kHeapValueStorage = 7;
    nyro::COSDataType* type_;
    friend class Value;
};

// A property value of one type, owned: copies are made and destroyed by the type.
class Value {
public:
    Value(const Value& o) : type_(o.type_), v_(o.v_.isNull() ? o.v_ : call([&] { return o.type_.get()->copy(o.v_); })) {}
    Value(Value&& o) noexcept : type_(o.type_), v_(std::exchange(o.v_, nyro::COSValue())) {}
    Value& operator=(Value o) noexcept
    {
        std::swap(type_, o.type_);
        std::swap(v_, o.v_);
        return *this;
    }
    ~Value()
    {
        if (!v_.isNull())
            type_.get()->destroy(v_);
    }

    const Type& type() const noexcept { return type_; }
    nyro::COSValue get() const noexcept { return v_; }
    nyro::COSValue release() noexcept { return std::exchange(v_, nyro::COSValue()); }

    // The host array a getter returns.
    Array toArray() const
    {
        return Array(call([&] { return nyro::pointerValue<qxArray*>(type_.conversion("any")->to(v_)); }));
    }
    // The value's text form.
    std::string toText() const
    {
        return call([&] {
            nyro::COSNameID name(type_.name());
            nyro::COSValue t = type_.conversion("string")->to(v_);
            std::string out = t.isNull() ? std::string() : std::string(nyro::pointerValue<const char*>(t));
            nyro::COSTypeRepository::releaseReturnedText(name, t);
            return out;
        });
    }
    // What a console shows: the type name and the text form, or the host
    // array's class and size for types without one.
    std::string display() const
    {
        try {
            return std::string(type_.name()) + " " + toText();
        } catch (const Error&) {
            Array a = toArray();
            return std::string(type_.name()) + " (" + a.className() + ", " + std::to_string(a.size()) + " elements)";
        }
    }

    // Equality as the type defines it; values of different types are never equal.
    friend bool operator==(const Value& a, const Value& b)
    {
        return a.type_ == b.type_ && call([&] { return a.type_.get()->isEqual(a.v_, b.v_); });
    }
    // The type's ordering: negative, zero or positive.
    int compare(const Value& o) const
    {
        if (!(type_ == o.type_))
            throw Error("vxdatatypes:host:TypeMismatch", "Values of different types do not compare.");
        return call([&] { return type_.get()->compare(v_, o.v_); });
    }

private:
    friend class Type;
    Value(Type t, nyro::COSValue v) noexcept : type_(t), v_(v) {}
    Type type_;
    nyro::COSValue v_;
};

inline Value Type::adopt(nyro::COSValue v) const { return Value(*this, v); }

inline Value Type::copyOf(nyro::COSValue v) const
{
    return Value(*this, v.isNull() ? v : call([&] { return type_->copy(v); }));
}

inline Value Type::fromArray(const Array& a) const
{
    return Value(*this, call([&] { return conversion("any")->from(nyro::COSValue::fromPointer(a.get())); }));
}

// Text converters refuse text without raising a host error: they give no value.
// Where the slot holds the address of a heap value, no value is a refusal.
inline Value Type::fromText(const std::string& text) const
{
    Value v(*this, call([&] { return conversion("string")->from(nyro::COSValue::fromPointer(text.c_str())); }));
    if (v.get().isNull() && type_->getStorageType() == kHeapValueStorage)
        throw Error("vxdatatypes:host:InvalidText",
                    "The text \"" + text + "\" is not a valid " + std::string(name()) + " value.");
    return v;
}

inline Value Type::defaultValue() const { return copyOf(call([&] { return type_->getDefaultValue(); })); }

} // namespace vxdatatypes
