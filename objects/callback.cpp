#include "objects/callback.h"

#include <string>

#define VX_MESSAGES "objects/messages.def"
#include "frame/messages.h"

namespace datatypes {

using gui_objects::MCallback;

COSValue CallbackSC::from(COSValue s) const { return slotOf(MCallback::createFromString(textOf(s))); }

COSValue CallbackSC::to(COSValue) const { return {}; }

COSValue CallbackMC::from(COSValue a) const
{
    const qxArray* array = arrayOf(a);
    if (!array)
        return {};
    MCallback* callback = nullptr;
    try {
        callback = new MCallback(array);
    } catch (...) {
        raise(msg::CreateCallback);
        return {};
    }
    return slotOf(callback);
}

COSValue CallbackMC::to(COSValue v) const
{
    const MCallback* callback = CallbackDataType::valueOf(v);
    return slotOf(callback ? callback->convertToKeldarArray() : qxCreateString(""));
}

namespace {

// Runs the callback held in the property `property_` of the node of an event.
class CallbackListenerOp : public nyro::COSListenerOp {
public:
    explicit CallbackListenerOp(const char* property) : property_(property ? property : "") {}
    void execute(nyro::COSEventData* event) override;
    nyro::COSInterface* getNode(nyro::COSEventData* event) override { return event ? event->getSource() : nullptr; }

private:
    nyro::COSNameID property_;
};

class ClassCallbackListenerOp : public CallbackListenerOp {
public:
    using CallbackListenerOp::CallbackListenerOp;
    nyro::COSInterface* getNode(nyro::COSEventData* event) override
    {
        auto* instanceEvent = dynamic_cast<nyro::COSClassInstanceEventData*>(event);
        return instanceEvent ? instanceEvent->getInstance() : nullptr;
    }
};

void CallbackListenerOp::execute(nyro::COSEventData* event)
{
    if (!event)
        return;
    nyro::COSInterface* node = getNode(event);
    if (!node)
        return;
    nyro::COSPropInfo* property = nyro::COSPropInfoPtrHelper::getObject(node->getPropInfo(property_));
    if (!property || property->getDataType() != CallbackDataType::getType())
        return;
    const MCallback* callback = CallbackDataType::valueOf(property->getValue(node));
    if (!callback)
        return;
    // Both arrays go when the run ends, also when the callback raises.
    gui_objects::QxArrayPtr source(omCreateNYROMatrix(1, 1, node->getClassName()));
    omSetArrayElement(source.get(), 0, node);
    gui_objects::QxArrayPtr eventData(event->getEventDataArray());
    callback->execute(source.get(), eventData.get());
}

} // namespace

nyro::COSListenerPtr createListener(const char* propertyName)
{
    return nyro::COSListener::createListener(new CallbackListenerOp(propertyName));
}

nyro::COSListenerPtr createClassListener(const char* propertyName)
{
    return nyro::COSListener::createListener(new ClassCallbackListenerOp(propertyName));
}


void CallbackDataType::describe(catalog::TypeEntry& e)
{
    e.accepts.push_back("a statement as text or a char row");
    e.accepts.push_back("a function handle, or a cell array of a function handle and its extra arguments");
    e.refusals.push_back(msg::CreateCallback.id);
}

} // namespace datatypes

VX_REGISTER_TYPE(Callback)
