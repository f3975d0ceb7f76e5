// The callback property type and the listeners that run callbacks.
//
// A `Callback` value is a gui_objects::MCallback (a statement, a function handle
// or a cell array of either followed by extra arguments); the null value is
// "no callback". Listeners made by createListener / createClassListener run the
// callback held in a named property of the object an event fires on.
#pragma once

#include "frame/datatype.h"
#include "gui_objects/callback.h"
#include "nyro/object_model.h"

namespace datatypes {

class CallbackDataType : public ValueDataType<CallbackDataType, gui_objects::MCallback> {
public:
    // The catalog's part: what the type accepts and how it refuses.
    static void describe(catalog::TypeEntry& e);
    static constexpr const char* typeName = "Callback";
    static constexpr int valueBytes = 32;
    bool equalValues(const gui_objects::MCallback& a, const gui_objects::MCallback& b) const { return a.isEqual(&b); }
    // No callback.
    COSValue makeDefault() const { return {}; }
};

// From: a callback running the statement `s`.
// To: always the null value: a callback has no text form.
VX_CONVERSION(CallbackSC);

// From: null for a null array; "KELDAR:GUI:CreateCallback" for anything that is
// no callback.
// To: the callback as given; '' for the null value.
VX_CONVERSION(CallbackMC);

using CallbackJC = JavaConversionThroughArray<CallbackMC>;

// A listener running the callback in the property `propertyName` of the event's
// source. It stops silently when there is no source, no such property, the
// property is not a `Callback` or holds none.
VX_API nyro::COSListenerPtr createListener(const char* propertyName);
// The same for listeners attached to a class: it acts only on class-instance
// events, on the instance they carry.
VX_API nyro::COSListenerPtr createClassListener(const char* propertyName);

} // namespace datatypes

VX_API bool init_datatypes_CallbackDataType();
VX_API void init_datatypes_CallbackDataType_callback();
