// The value of every array-valued property type: one host array, held as a
// shared-data copy of what the user gave, so that storing and copying a value
// never copies element data.
#pragma once

#include <string>

#include "frame/errors.h"
#include "gui_objects/gui_objects.h"
#include "qx/qx.h"

namespace datatypes {

class VX_API ArrayBase {
public:
    // Thrown by a validating constructor when its array has none of the
    // type's forms: the failed check's identifier and text ("%s" for the type).
    class InvalidArrayException {
    public:
        InvalidArrayException(std::string id, std::string message) : id(std::move(id)), message(std::move(message)) {}
        virtual ~InvalidArrayException();
        std::string id;
        std::string message;
    };

    ArrayBase() = default;
    // Holds a shared copy of `a` (nothing when `a` is null).
    explicit ArrayBase(const qxArray* a);
    // The same, for a caller that has already read `view` = qxGetArrayView(a).
    // A full array with elements, the common case, is copied in one host call.
    [[gnu::always_inline]] ArrayBase(const qxArray* a, const qxArrayView& view)
        : array_(a && view.data && !view.sparse ? qxCreateScopedSharedDataCopy(a, 2) : keptCopy(a, view))
    {
    }
    ArrayBase(const ArrayBase& other);
    // Copy-and-swap, so assigning a value to itself is harmless.
    ArrayBase& operator=(const ArrayBase& other);
    virtual ~ArrayBase();

    // Whether `a` is acceptable; the base accepts everything.
    virtual bool isValid(const qxArray* a, ErrorMessage* record);
    // Arrays with more elements than this always compare different.
    virtual unsigned long getMaxNumberOfValuesToCompare() const;

    qxArray* getPtr() { return array_; }
    const qxArray* getPtr() const { return array_; }
    // Null or without elements.
    static bool isEmpty(const qxArray* a);
    void swap(ArrayBase& other) noexcept;
    // A new shared copy of the held array (an empty holder when none is held).
    gui_objects::QxArrayPtr getSharedDataCopy() const;
    // Display text owned by the caller: the host's own text of the array, else
    // "[ 0 1 ]" for a row of up to 9 elements and "[3x2 array]" otherwise.
    // Null when no array is held.
    char* convert_to_string() const;
    // Same shape, class and elements (real parts, NaN never equal), compared
    // only up to getMaxNumberOfValuesToCompare() elements.
    bool operator==(const ArrayBase& other) const;

private:
    // What the value keeps of `a` (see the constructors).
    static qxArray* keptCopy(const qxArray* a, const qxArrayView& view);

    qxArray* array_ = nullptr;
};

} // namespace datatypes
