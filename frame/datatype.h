// How a property type is declared.
//
// A property type T is a value class, a data type `TDataType` (the object the
// object system calls to copy, compare, default and destroy values), a string
// converter `TSC`, an array converter `TMC` and, for most types, a Java
// converter `TJC`. The templates here hold what all of them share, so that a
// type only states what is its own:
//
//   class LimitsDataType : public ValueDataType<LimitsDataType, Limits> {
//   public:
//       static constexpr const char* typeName = "Limits";
//       static constexpr int valueBytes = 4;
//       nyro::COSValue makeDefault() const;           // built once, kept
//   };
//   VX_REGISTER_ARRAY_TYPE(Limits)                    // records the callback
//
// Optional members a data type may declare to depart from the defaults:
// `declarationName` (else typeName), `storageType` (else 7), and
// `equalValues(const V&, const V&) const` (else V's operator==).
#pragma once

#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "frame/catalog.h"
#include "frame/registry.h"
#include "frame/type_list.h"
#include "javabridge/javabridge.h"
#include "nyro/nyro.h"
#include "qx/qx.h"
#include "ut/ut.h"

namespace datatypes {

using nyro::COSNameID;
using nyro::COSValue;

// ---- allocation forms of value objects ------------------------------------------

// Values that live zero-filled in the utility heap; no storage throws the
// object system's out-of-memory exception.
struct UtCallocAllocated {
    static void* operator new(std::size_t size)
    {
        void* p = utCalloc(size, 1);
        if (!p)
            throw nyro::COSOutOfMemoryException();
        return p;
    }
    static void operator delete(void* p) noexcept { utFree(p); }
};

// Values in plain utility-heap storage; no storage makes `new` yield null.
struct UtMallocAllocated {
    static void* operator new(std::size_t size) noexcept { return utMalloc(size); }
    static void operator delete(void* p) noexcept { utFree(p); }
};

// ---- how a value is copied into a slot and released from it --------------------

// A value class with its own allocation form (class operator new/delete).
template <class V>
struct OwnedValue {
    // A new value made from `args` in place.
    template <class... A>
    static COSValue make(A&&... args)
    {
        return COSValue::fromPointer(new V(std::forward<A>(args)...));
    }
    static COSValue copy(const V& v) { return make(v); }
    static void release(V* v) { delete v; }
};

// A record of the GUI-objects library, copy-constructed into utMalloc storage;
// no storage gives the null value and the copy is skipped.
template <class V>
struct MallocRecord {
    template <class... A>
    static COSValue make(A&&... args)
    {
        void* p = utMalloc(sizeof(V));
        return p ? COSValue::fromPointer(::new (p) V(std::forward<A>(args)...)) : COSValue();
    }
    static COSValue copy(const V& v) { return make(v); }
    static void release(V* v)
    {
        v->~V();
        utFree(v);
    }
};

// ---- slot helpers ----------------------------------------------------------------

inline const char* textOf(COSValue v) { return nyro::pointerValue<const char*>(v); }
inline const qxArray* arrayOf(COSValue v) { return nyro::pointerValue<const qxArray*>(v); }
inline COSValue slotOf(const void* p) { return COSValue::fromPointer(p); }

// Owns a C string made by the host array library (freed with qxFree).
struct QxStringDtor {
    static void destroy(char* s) { qxFree(s); }
};
using QxString = gui_objects::AutoPtr<char, QxStringDtor>;

// CharText: the text of a host char array, for a type's text rules. A C string cannot
// hold a NUL character, so each NUL of the array is written as the two
// characters "\0": the rules see the whole text, and refuse it as the text it
// is (no name, number or color holds a backslash), where a text cut at the NUL
// could have passed for another. An array without data reads as NULs. No
// storage for the text raises the library's out-of-memory error. Short texts
// are kept in place, longer ones in the utility heap.
class CharText {
public:
    // `array` is what qxGetArrayView tells of a char array.
    explicit CharText(const qxArrayView& array);
    CharText(const CharText&) = delete;
    CharText& operator=(const CharText&) = delete;
    const char* get() const { return heap_ ? heap_.get() : inPlace_; }

private:
    QxString heap_;
    char inPlace_[64];
};

// ---- data types ------------------------------------------------------------------

namespace detail {
// The foreign names every type registers under, interned once.
inline COSNameID anyName()
{
    static const COSNameID name("any");
    return name;
}
inline COSNameID stringName()
{
    static const COSNameID name("string");
    return name;
}

template <class D>
constexpr const char* declarationNameOf()
{
    if constexpr (requires { D::declarationName; })
        return D::declarationName;
    else
        return D::typeName;
}
template <class D>
constexpr int storageTypeOf()
{
    if constexpr (requires { D::storageType; })
        return D::storageType;
    else
        return 7;
}
} // namespace detail

// What every data type reports about itself: names, category, storage code and
// sizes, the unordered comparison, and the lazily created singleton.
template <class Derived>
class TypeIdentity : public nyro::COSDataType {
public:
    // The singleton, created on first use and kept for the life of the process.
    static Derived* instance()
    {
        static Derived* type = nullptr;
        if (!type)
            type = new Derived();
        return type;
    }
    static nyro::COSDataType* getType() { return instance(); }

    const char* getName() const override { return Derived::typeName; }
    const char* getDeclarationName() const override { return detail::declarationNameOf<Derived>(); }
    const char* getCategoryName() const override { return "Fundamental"; }
    int getStorageType() const override { return detail::storageTypeOf<Derived>(); }
    int getValueSizeInBytes(COSValue) const override { return Derived::valueBytes; }
    int getSizeInBits() const override { return 8 * Derived::valueBytes; }
    // Values have no order: equal is 0, anything else 2.
    int compare(COSValue a, COSValue b) const override { return this->isEqual(a, b) ? 0 : 2; }
};

// A data type whose slot holds the address of a heap value of class V (0 for
// the null value).
template <class Derived, class V, class Storage = OwnedValue<V>>
class ValueDataType : public TypeIdentity<Derived> {
public:
    using Value = V;
    static const V* valueOf(COSValue v) { return nyro::pointerValue<const V*>(v); }

    bool isEqual(COSValue a, COSValue b) const override
    {
        if (a.isNull() || b.isNull())
            return a.isNull() && b.isNull();
        return self().equalValues(*valueOf(a), *valueOf(b));
    }
    bool equalValues(const V& a, const V& b) const { return a == b; }

    COSValue copy(COSValue v) const override { return v.isNull() ? v : Storage::copy(*valueOf(v)); }
    void destroy(COSValue v) const override
    {
        if (!v.isNull())
            Storage::release(nyro::pointerValue<V*>(v));
    }
    // New value in the type's allocation form; a copy of `v`.
    static COSValue store(const V& v) { return Storage::copy(v); }
    // The same, made from `args` in place.
    template <class... A>
    static COSValue emplace(A&&... args)
    {
        return Storage::make(std::forward<A>(args)...);
    }

    // Built by the type's makeDefault() on the first call that finds no default
    // yet, then the same slot every call. The type owns it; it is never released.
    COSValue getDefaultValue() const override
    {
        static COSValue cached;
        if (cached.isNull())
            cached = self().makeDefault();
        return cached;
    }

private:
    const Derived& self() const { return static_cast<const Derived&>(*this); }
};

// ---- converters ------------------------------------------------------------------

// A string or array converter whose two directions the type's source file
// defines: VX_CONVERSION(FontNameSC);
#define VX_CONVERSION(Name)                                                                               \
    class Name : public nyro::COSTypeConversion {                                                         \
    public:                                                                                               \
        COSValue from(COSValue in) const override;                                                        \
        COSValue to(COSValue value) const override;                                                       \
    }

// A type without a text form: both directions give the null value.
#define VX_NO_TEXT_CONVERSION(Name)                                                                       \
    class Name : public nyro::COSTypeConversion {                                                         \
    public:                                                                                               \
        COSValue from(COSValue) const override { return {}; }                                             \
        COSValue to(COSValue) const override { return {}; }                                               \
    }

// Java conversion through a host array: the type's array converter, then the
// host's Java conversion registered for "any". With Intermediate::LeaveToHost
// the intermediate array is left to the host (it is a temporary of the call).
enum class Intermediate { Destroy, LeaveToHost };

template <class MC, Intermediate Policy = Intermediate::Destroy>
class JavaConversionThroughArray : public nyro::JavaTypeConversion {
public:
    JavaConversionThroughArray() = default;
    template <class DT>
        requires std::is_constructible_v<MC, const DT&>
    explicit JavaConversionThroughArray(const DT& type) : array_(type) {}

    COSValue to(COSValue v) const override
    {
        gui_objects::QxArrayPtr array(nyro::pointerValue<qxArray*>(array_.to(v)));
        COSValue java = anyConversion()->to(slotOf(array.get()));
        if (Policy == Intermediate::LeaveToHost)
            array.release();
        return java;
    }
    COSValue from(COSValue j) const override
    {
        gui_objects::QxArrayPtr array(nyro::pointerValue<qxArray*>(anyConversion()->from(j)));
        const qxArray* a = array.get();
        if (Policy == Intermediate::LeaveToHost)
            array.release();
        return array_.from(slotOf(a));
    }
    const char* getJavaDeclarationName() const override { return javabridge::kArrayReferenceClass; }

private:
    static nyro::JavaTypeConversion* anyConversion()
    {
        return nyro::JavaTypeConversion::getConversion(detail::anyName());
    }
    MC array_;
};

// ---- the boundary the object system calls -------------------------------------------

// What the repository holds for a converter C: C itself, behind the boundary
// where storage that the C++ runtime could not provide (std::bad_alloc) becomes
// the host's out-of-memory error, as storage the host could not provide does,
// and a size no container can hold (std::length_error) the host's size error.
//
// One boundary class serves every converter (Base is the object system's
// conversion class or its Java one): it keeps C in storage of its own and
// reaches it through a table of plain functions made for C, which call C's
// own `from` and `to` directly. The library then holds one virtual table per
// converter class, not two.
template <class Base>
class GuardedConversion : public Base {
public:
    template <class C, class... Args>
    explicit GuardedConversion(std::in_place_type_t<C>, Args&&... args) : ops_(&opsOf<C>)
    {
        if constexpr (fitsInPlace<C>)
            inner_ = ::new (static_cast<void*>(local_)) C(std::forward<Args>(args)...);
        else
            inner_ = new C(std::forward<Args>(args)...);
    }
    GuardedConversion(const GuardedConversion&) = delete;
    GuardedConversion& operator=(const GuardedConversion&) = delete;
    ~GuardedConversion() override { ops_->destroy(inner_); }

    COSValue from(COSValue v) const override { return guarded(ops_->from, v); }
    COSValue to(COSValue v) const override { return guarded(ops_->to, v); }

protected:
    struct Ops {
        COSValue (*from)(const void*, COSValue);
        COSValue (*to)(const void*, COSValue);
        void (*destroy)(void*);
        const char* (*javaName)(const void*);
    };
    // Converters of a pointer or two live inside the boundary object.
    static constexpr std::size_t localBytes = 2 * sizeof(void*);
    template <class C>
    static constexpr bool fitsInPlace = sizeof(C) <= localBytes && alignof(C) <= alignof(void*);
    template <class C>
    static constexpr Ops opsOf{
        [](const void* c, COSValue v) { return static_cast<const C*>(c)->C::from(v); },
        [](const void* c, COSValue v) { return static_cast<const C*>(c)->C::to(v); },
        [](void* c) {
            if constexpr (fitsInPlace<C>)
                static_cast<C*>(c)->~C();
            else
                delete static_cast<C*>(c);
        },
        [](const void* c) -> const char* {
            if constexpr (std::is_base_of_v<nyro::JavaTypeConversion, C>)
                return static_cast<const C*>(c)->C::getJavaDeclarationName();
            else
                return nullptr;
        },
    };

    // One of C's conversions, with the runtime's storage failures turned into
    // the host's errors.
    COSValue guarded(COSValue (*convert)(const void*, COSValue), COSValue v) const
    {
        try {
            return convert(inner_, v);
        } catch (const std::bad_alloc&) {
            qxErrMsg(80);
        } catch (const std::length_error&) {
            qxErrMsg(74);
        }
    }

    const Ops* ops_;
    void* inner_ = nullptr;
    alignas(void*) unsigned char local_[localBytes];
};

// The same for a Java converter, which also names its Java class.
class GuardedJavaConversion : public GuardedConversion<nyro::JavaTypeConversion> {
public:
    using GuardedConversion::GuardedConversion;
    const char* getJavaDeclarationName() const override { return ops_->javaName(inner_); }
};

template <class C>
using BoundaryOf = std::conditional_t<std::is_base_of_v<nyro::JavaTypeConversion, C>, GuardedJavaConversion,
                                      GuardedConversion<nyro::COSTypeConversion>>;

// The boundary around a C built from `args`, for a converter made by hand.
template <class C>
class Guarded final : public BoundaryOf<C> {
public:
    template <class... Args>
    explicit Guarded(Args&&... args) : BoundaryOf<C>(std::in_place_type<C>, std::forward<Args>(args)...)
    {
    }
};

// ---- registration ----------------------------------------------------------------

namespace detail {
// The file-static object that receives the result of a type's recording; an
// object rather than a plain boolean so that it can carry an init priority.
struct Recording {
    explicit Recording(bool (*record)()) : recorded(record()) {}
    bool recorded;
};

template <class C, class DT>
BoundaryOf<C>* makeConverter(DT* type)
{
    using Boundary = BoundaryOf<C>;
    if constexpr (std::is_constructible_v<C, const DT&>)
        return new Boundary(std::in_place_type<C>, *type);
    else
        return new Boundary(std::in_place_type<C>);
}
} // namespace detail

// Registers a data type with its converters: the type, then "any" (host
// arrays), then "string", then the Java conversion when JC is given. A type
// whose name is taken registers nothing.
template <class DT, class SC, class MC, class JC = void>
void registerType()
{
    DT* type = DT::instance();
    if (!type)
        return;
    nyro::COSDataType* base = type;
    // The converters are made first; the repository then takes the type and
    // all of them in one step, or none.
    const COSNameID any = detail::anyName(), string = detail::stringName();
    std::unique_ptr<nyro::COSTypeConversion> mc(detail::makeConverter<MC>(type));
    std::unique_ptr<nyro::COSTypeConversion> sc(detail::makeConverter<SC>(type));
    std::unique_ptr<nyro::JavaTypeConversion> jc;
    if constexpr (!std::is_void_v<JC>)
        jc.reset(detail::makeConverter<JC>(type));
    nyro::COSTypeRepository::addGlobalType(base, {{any, mc.release()}, {string, sc.release()}}, jc.release());
    // What the type accepts, for the catalog: its data type's describe(entry),
    // filed under the type's place in the list, found while compiling.
    if constexpr (requires(catalog::TypeEntry& e) { DT::describe(e); }) {
        constexpr int position = listedIndexOf(DT::typeName);
        if constexpr (position >= 0)
            catalog::recordDescriber(position, &DT::describe);
    }
}

} // namespace datatypes

// Records `callback` in the registry while the library loads, through the
// exported init_datatypes_<T>DataType() that a file-static object calls. T must
// be a row of frame/types.def: its position there orders the recording.
#define VX_RECORD_CALLBACK(T, callback)                                                                   \
    VX_API bool init_datatypes_##T##DataType()                                                            \
    {                                                                                                     \
        ::datatypes::get_initialization_callback_registry()->addCallback(&callback);                      \
        return true;                                                                                      \
    }                                                                                                     \
    namespace {                                                                                           \
    [[maybe_unused]] const ::datatypes::detail::Recording vx_recorded_##T                                 \
        __attribute__((init_priority(::datatypes::firstRecordingPriority + ::datatypes::listed::T))){     \
            &init_datatypes_##T##DataType};                                                               \
    }

// A type with string, array and Java converters: datatypes::TDataType, TSC, TMC, TJC.
#define VX_REGISTER_TYPE(T)                                                                               \
    VX_API void init_datatypes_##T##DataType_callback()                                                   \
    {                                                                                                     \
        ::datatypes::registerType<::datatypes::T##DataType, ::datatypes::T##SC, ::datatypes::T##MC,       \
                                  ::datatypes::T##JC>();                                                  \
    }                                                                                                     \
    VX_RECORD_CALLBACK(T, init_datatypes_##T##DataType_callback)

// An array-valued type: string and array converters only, short callback name.
#define VX_REGISTER_ARRAY_TYPE(T)                                                                         \
    VX_API void init_datatypes_##T##_callback()                                                           \
    {                                                                                                     \
        ::datatypes::registerType<::datatypes::T##DataType, ::datatypes::T##SC, ::datatypes::T##MC>();    \
    }                                                                                                     \
    VX_RECORD_CALLBACK(T, init_datatypes_##T##_callback)
