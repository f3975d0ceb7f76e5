#include "frame/handles.h"

#include <cstdint>
#include <set>
#include <utility>

#include "frame/datatype.h"
#include "frame/errors.h"
#include "gui_objects/handles.h"
#define VX_MESSAGES "frame/messages.def"
#include "frame/messages.h"

namespace datatypes {

namespace {

using nyro::COSInterface;
using nyro::COSNameID;
using nyro::COSValue;

// What a handle refers to in the handle table; it starts with the class number
// that get_any_object_type reads.
struct HandleRecord {
    std::int32_t classNumber;
    double handle = -1.0;
    std::int32_t reserved = 0;
    COSInterface* object;
};

// The class number of "VXHandle", registered on first need.
int handleClassNumber()
{
    static int number = utGetClassNum("VXHandle");
    if (number == -1)
        number = utRegisterObjectClass("VXHandle", utGetClassNum("VXHandle"), 0);
    return number;
}

// A record for `obj`, which it holds one reference to.
HandleRecord* newRecord(COSInterface* obj)
{
    obj->addReference();
    return new HandleRecord{handleClassNumber(), -1.0, 0, obj};
}

void deleteRecord(HandleRecord* record)
{
    if (COSInterface* obj = std::exchange(record->object, nullptr))
        obj->releaseReference();
    delete record;
}

// Binds a handle with `bind` to a new record of `obj`; no handle, no record.
template <class Bind>
double bindRecord(COSInterface* obj, Bind bind)
{
    HandleRecord* record = newRecord(obj);
    double h = bind(record);
    if (h == -1.0)
        deleteRecord(record);
    else
        record->handle = h;
    return h;
}

// Handles created while tests track them, destroyed when tracking stops.
class DoubleHandleTracker {
public:
    static DoubleHandleTracker& getInstance()
    {
        static auto* tracker = new DoubleHandleTracker;
        return *tracker;
    }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    void add(double h) { handles_.insert(h); }
    void flushDoubleHandles()
    {
        if (!enabled_)
            return;
        for (double h : handles_) {
            nyro_destroy_handle(h);
            rebind_handle(h, nullptr);
        }
        handles_.clear();
    }

private:
    bool enabled_ = false;
    std::set<double> handles_;
};

bool rootHasHandle = false;

// Interned once: class and property names the conversion tests for.
struct Names {
    COSNameID handleBearing{"vx2utils.VXHandle"};
    COSNameID root{"ui.Root"};
    COSNameID figure{"ui.Figure"};
    COSNameID integerHandle{"IntegerHandle"};
    COSNameID number{"double"};
    COSNameID otherSystem{"gbtcos"};
};
const Names& names()
{
    static const Names n;
    return n;
}

COSInterface* double2cosi(double h)
{
    auto* record = static_cast<HandleRecord*>(handle2pointer(h));
    if (record && utInstanceOf(get_any_object_type(record), utGetClassNum("VXHandle")))
        return record->object;
    throw InvalidDoubleHandleException(msg::BadHandle.id, msg::BadHandle.text);
}

bool isIntegerHandleFigure(const COSInterface* obj)
{
    if (!obj->getClass()->isA(names().figure))
        return false;
    nyro::COSPropInfo* p = nyro::COSPropInfoPtrHelper::getObject(obj->getPropInfo(names().integerHandle));
    return p && !p->getValue(obj).isNull();
}

double cosi2double(COSInterface* obj)
{
    handleClassNumber();
    if (!obj || !obj->getClass()->isA(names().handleBearing))
        return -1.0;
    bool root = obj->getClass()->getNameID() == names().root;
    double h;
    if (root && !rootHasHandle) {
        h = bindRecord(obj, [](HandleRecord* r) { return assign_figure_handle(r, 0); });
        rootHasHandle = h == 0.0;
    } else if (isIntegerHandleFigure(obj)) {
        h = bindRecord(obj, [](HandleRecord* r) { return new_figure_handle(r); });
    } else if (root && double2cosi(0.0) == obj) {
        return 0.0;
    } else {
        h = bindRecord(obj, [](HandleRecord* r) { return new_handle(r); });
    }
    DoubleHandleTracker& tracker = DoubleHandleTracker::getInstance();
    if (tracker.enabled() && h != -1.0)
        tracker.add(h);
    return h;
}

nyro::COSTypeConversion* otherObjectSystem()
{
    return nyro::COSTypeRepository::getConversion(names().number, names().otherSystem);
}

// Between numeric handles (the slot holds the double) and objects (the slot
// holds the COSInterface*).
class DoubleNYROConversion : public nyro::COSTypeConversion {
public:
    COSValue from(COSValue v) const override
    {
        COSInterface* obj = nullptr;
        try {
            obj = double2cosi(v.asDouble());
        } catch (const InvalidDoubleHandleException&) {
            // no object of ours: the other object system may know the handle
        }
        if (obj) {
            obj->addReference();
            return COSValue::fromPointer(obj);
        }
        nyro::COSTypeConversion* other = otherObjectSystem();
        if (!other)
            return {};
        COSValue found = other->from(v);
        if (found.isNull())
            throw InvalidDoubleHandleException(msg::BadHandle.id, msg::BadHandle.text);
        return found;
    }

    COSValue to(COSValue v) const override
    {
        double h = cosi2double(nyro::pointerValue<COSInterface*>(v));
        if (h == -1.0) {
            nyro::COSTypeConversion* other = otherObjectSystem();
            return other ? other->to(v) : COSValue::fromDouble(-1.0);
        }
        return COSValue::fromDouble(h);
    }
};

} // namespace

void initDoubleConverters()
{
    nyro::COSNameID foreign("double"), type("COSInterface");
    // A retried initialisation keeps what an earlier attempt installed.
    if (!nyro::COSTypeRepository::getConversion(foreign, type))
        nyro::COSTypeRepository::addConversion(foreign, type, new Guarded<DoubleNYROConversion>);
}

double assignFigureIntegerHandle(nyro::COSInterfacePtr obj, int n)
{
    if (!obj)
        return -1.0;
    return bindRecord(obj.get(), [n](HandleRecord* r) { return assign_figure_handle(r, n); });
}

void nyro_destroy_handle(double h)
{
    void* record = handle2pointer(h);
    if (!record)
        return;
    destroy_handle(h);
    // Only records of our own are ours to free.
    if (utInstanceOf(get_any_object_type(record), utGetClassNum("VXHandle")))
        deleteRecord(static_cast<HandleRecord*>(record));
}

namespace test {
void enableDoubleHandleTracking(bool on)
{
    DoubleHandleTracker& tracker = DoubleHandleTracker::getInstance();
    if (!on)
        tracker.flushDoubleHandles();
    tracker.setEnabled(on);
}
} // namespace test

} // namespace datatypes
