// Classes of graphics objects for tests of the object model, handles,
// callbacks and object references, and a data type whose values count
// themselves.
//
//   "vx2utils.VXHandle"  from "handle"
//   "ui.Root"            from "vx2utils.VXHandle"
//   "ui.Figure"          from "vx2utils.VXHandle": IntegerHandle (on/off),
//                        CloseRequestFcn (Callback), CurrentObject (COSInterface)
//   "vx.Line"            from "vx2utils.VXHandle": ButtonDownFcn (Callback),
//                        Tag (Probe), Peer (HandleOrEmpty), Visible (on/off)
//   "vx.Group"           from "vx.Line"
//   "plain.Thing"        from "handle": Tag (Probe)
#pragma once

#include "nyro/object_model.h"
#include "support/host_fixture.h"

namespace vxtest {

// "Probe": values are heap longs; copies and destructions are counted.
struct Probe {
    static inline long live = 0;
    // A new value, owned by the caller.
    static nyro::COSValue make(long n)
    {
        ++live;
        return nyro::COSValue::fromPointer(new long(n));
    }
    static long read(nyro::COSValue v) { return v.isNull() ? 0 : *nyro::pointerValue<const long*>(v); }
};

class ProbeType : public nyro::HostScalarType {
public:
    ProbeType() : HostScalarType("Probe", Kind::Signed, 8) {}
    nyro::COSValue getDefaultValue() const override { return {}; }
    bool isEqual(nyro::COSValue a, nyro::COSValue b) const override { return Probe::read(a) == Probe::read(b); }
    nyro::COSValue copy(nyro::COSValue v) const override { return v.isNull() ? v : Probe::make(Probe::read(v)); }
    void destroy(nyro::COSValue v) const override
    {
        if (v.isNull())
            return;
        --Probe::live;
        delete nyro::pointerValue<long*>(v);
    }
};

// Registers "Probe" and defines the classes above (once per process).
inline void defineTestClasses()
{
    using nyro::COSClass;
    if (COSClass::find("vx2utils.VXHandle"))
        return;
    nyro::COSTypeRepository::addGlobalType(new ProbeType);
    COSClass* handle = COSClass::define("vx2utils.VXHandle");
    COSClass::define("ui.Root", handle);
    COSClass* figure = COSClass::define("ui.Figure", handle);
    figure->addProperty("IntegerHandle", "on/off");
    figure->addProperty("CloseRequestFcn", "Callback");
    figure->addProperty("CurrentObject", "COSInterface");
    COSClass* line = COSClass::define("vx.Line", handle);
    line->addProperty("ButtonDownFcn", "Callback");
    line->addProperty("Tag", "Probe");
    line->addProperty("Peer", "HandleOrEmpty");
    line->addProperty("Visible", "on/off");
    COSClass::define("vx.Group", line);
    COSClass::define("plain.Thing")->addProperty("Tag", "Probe");
}

inline nyro::COSInterfacePtr make(const char* className) { return nyro::COSInterface::create(className); }
inline nyro::COSPropInfo* prop(const nyro::COSInterface* obj, const char* name)
{
    return nyro::COSPropInfoPtrHelper::getObject(obj->getPropInfo(nyro::COSNameID(name)));
}

class ObjectTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        defineTestClasses();
    }
};

} // namespace vxtest
