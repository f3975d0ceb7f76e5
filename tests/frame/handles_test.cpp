// Numeric handles of graphics objects: handles made on export (root, integer
// figures, others), objects found from handles, the "gbtcos" fallback, handle
// destruction and the tracked flush. Each test runs in a process of its own,
// so the root gets its handle 0 afresh in each.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "frame/errors.h"
#include "frame/handles.h"
#include "gui_objects/gui_objects.h"
#include "gui_objects/handles.h"
#include "support/object_classes.h"

namespace {

using nyro::COSInterface;
using nyro::COSInterfacePtr;
using nyro::COSValue;
using vxtest::make;

nyro::COSTypeConversion* handles() { return vxtest::conversion("double", "COSInterface"); }

double exportOf(COSInterface* obj) { return handles()->to(COSValue::fromPointer(obj)).asDouble(); }

// The object of a handle, with the reference the conversion hands over.
COSInterfacePtr objectOf(double h)
{
    return COSInterfacePtr::adopt(nyro::pointerValue<COSInterface*>(handles()->from(COSValue::fromDouble(h))));
}

// "none" for -1, the number of an integer handle, else "fraction" (a positive non-integer).
std::string kindOf(double h)
{
    return h == -1.0 ? "none" : h == std::floor(h) ? std::to_string(static_cast<long>(h)) : h > 0 ? "fraction" : "?";
}

COSInterfacePtr figure(bool integerHandle)
{
    COSInterfacePtr fig = make("ui.Figure");
    vxtest::prop(fig.get(), "IntegerHandle")->setValue(fig.get(), COSValue(integerHandle ? 1 : 0));
    return fig;
}

using Handles = vxtest::ObjectTest;

TEST_F(Handles, NoObjectHasNoHandleAndTheRootGetsZeroOnceWithoutASecondRecord)
{
    EXPECT_EQ(exportOf(nullptr), -1.0);
    EXPECT_EQ(objectOf(std::nan("")).get(), nullptr);
    COSInterfacePtr root = make("ui.Root");
    EXPECT_EQ(objectOf(0.0).get(), nullptr) << "no root yet: nothing, and no other object system";
    EXPECT_EQ(exportOf(root.get()), 0.0);
    std::size_t bound = gui_objects::test::boundHandles();
    long refs = root->getReferenceCount();
    EXPECT_EQ(exportOf(root.get()), 0.0);
    EXPECT_EQ(gui_objects::test::boundHandles(), bound);
    EXPECT_EQ(root->getReferenceCount(), refs);
    EXPECT_EQ(objectOf(0.0).get(), root.get());
    EXPECT_EQ(kindOf(exportOf(make("ui.Root").get())), "fraction") << "a second root is an ordinary object";
}

struct ExportCase {
    const char* name;
    COSInterfacePtr (*make)();
    const char* kind;
};

class Export : public Handles, public ::testing::WithParamInterface<ExportCase> {};

TEST_P(Export, KindOfHandleByClassAndIntegerHandleAndTheRecordHoldsAReferenceUntilDestroyed)
{
    COSInterfacePtr obj = GetParam().make();
    long refs = obj->getReferenceCount();
    double h = exportOf(obj.get());
    EXPECT_EQ(kindOf(h), GetParam().kind);
    EXPECT_EQ(obj->getReferenceCount(), refs + (h != -1.0));
    if (h == -1.0)
        return;
    EXPECT_EQ(get_any_object_type(handle2pointer(h)), utGetClassNum("VXHandle"));
    EXPECT_EQ(objectOf(h).get(), obj.get());
    datatypes::nyro_destroy_handle(h);
    EXPECT_EQ(handle2pointer(h), nullptr);
    EXPECT_EQ(obj->getReferenceCount(), refs);
    EXPECT_EQ(objectOf(h).get(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Objects, Export,
                         ::testing::Values(ExportCase{"IntegerFigure", [] { return figure(true); }, "1"},
                                           ExportCase{"Figure", [] { return figure(false); }, "fraction"},
                                           ExportCase{"Line", [] { return make("vx.Line"); }, "fraction"},
                                           ExportCase{"NotAGraphicsObject", [] { return make("plain.Thing"); }, "none"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Handles, IntegerFiguresTakeTheSmallestFreeNumber)
{
    COSInterfacePtr a = figure(true), b = figure(true), c = figure(true), d = figure(true);
    EXPECT_EQ(exportOf(a.get()), 1.0);
    EXPECT_EQ(exportOf(b.get()), 2.0);
    EXPECT_EQ(datatypes::assignFigureIntegerHandle(c, 3), 3.0);
    datatypes::nyro_destroy_handle(1.0);
    EXPECT_EQ(exportOf(c.get()), 1.0);
    long refs = d->getReferenceCount();
    EXPECT_EQ(datatypes::assignFigureIntegerHandle(d, 2), -1.0) << "taken";
    EXPECT_EQ(datatypes::assignFigureIntegerHandle(d, -4), -1.0);
    EXPECT_EQ(d->getReferenceCount(), refs) << "a refused assignment keeps no record";
    EXPECT_EQ(datatypes::assignFigureIntegerHandle(COSInterfacePtr(), 9), -1.0);
    EXPECT_EQ(objectOf(3.0).get(), c.get());
}

TEST_F(Handles, ForeignRecordsAreUnboundButNotFreed)
{
    struct Foreign {
        std::int32_t type;
    } foreign{utRegisterObjectClass("Elsewhere", -1, 0)};
    double f = new_handle(&foreign);
    EXPECT_EQ(objectOf(f).get(), nullptr) << "a record of another class is no object of ours";
    datatypes::nyro_destroy_handle(f);
    EXPECT_EQ(handle2pointer(f), nullptr);
    datatypes::nyro_destroy_handle(f); // nothing bound: nothing happens
}

// The host's other object system: handle 42 is its object; objects of classes
// that are not graphics objects get the handle 99.
class OtherSystem : public nyro::COSTypeConversion {
public:
    explicit OtherSystem(COSInterface* known) : known_(known) {}
    COSValue from(COSValue v) const override
    {
        if (v.asDouble() != 42.0)
            return {};
        known_->addReference();
        return COSValue::fromPointer(known_);
    }
    COSValue to(COSValue) const override { return COSValue::fromDouble(99.0); }

private:
    COSInterface* known_;
};

TEST_F(Handles, UnknownHandlesAndForeignObjectsGoToTheOtherObjectSystem)
{
    COSInterfacePtr known = make("plain.Thing"), line = make("vx.Line");
    nyro::COSTypeRepository::addConversion(nyro::COSNameID("double"), nyro::COSNameID("gbtcos"),
                                           new OtherSystem(known.get()));
    EXPECT_EQ(objectOf(42.0).get(), known.get());
    EXPECT_EQ(vxtest::errorOf([] { objectOf(7.5); }), "KELDAR:vx:dt_conv:Matrix_to_HObject:BadHandle Invalid object handle");
    EXPECT_THROW(objectOf(7.5), datatypes::InvalidDoubleHandleException);
    EXPECT_EQ(exportOf(known.get()), 99.0);
    double h = exportOf(line.get());
    EXPECT_NE(h, 99.0) << "our own objects do not ask the other system";
    EXPECT_EQ(objectOf(h).get(), line.get());
    datatypes::nyro_destroy_handle(h);
    EXPECT_EQ(known->getReferenceCount(), 1) << "every reference handed over came back";
}

TEST_F(Handles, TrackedHandlesAreDestroyedWhenTrackingStops)
{
    COSInterfacePtr before = make("vx.Line");
    double kept = exportOf(before.get());
    datatypes::test::enableDoubleHandleTracking(true);
    COSInterfacePtr root = make("ui.Root"), fig = figure(true), line = make("vx.Line");
    double handles[] = {exportOf(root.get()), exportOf(fig.get()), exportOf(line.get())};
    EXPECT_EQ(kindOf(handles[0]) + " " + kindOf(handles[1]), "0 1");
    datatypes::test::enableDoubleHandleTracking(false);
    for (double h : handles)
        EXPECT_EQ(handle2pointer(h), nullptr) << h;
    for (const COSInterfacePtr& obj : {root, fig, line})
        EXPECT_EQ(obj->getReferenceCount(), 2) << "only the test's pointers and the loop's copy remain";
    EXPECT_EQ(objectOf(kept).get(), before.get()) << "handles made before tracking stay";
    // Stopping again flushes nothing more; starting again starts an empty set.
    datatypes::test::enableDoubleHandleTracking(false);
    datatypes::test::enableDoubleHandleTracking(true);
    double late = exportOf(line.get());
    datatypes::test::enableDoubleHandleTracking(false);
    EXPECT_EQ(handle2pointer(late), nullptr);
    EXPECT_NE(handle2pointer(kept), nullptr);
    // The root's handle is given once per process: after its flush the root is reported bad.
    EXPECT_THROW(exportOf(root.get()), datatypes::InvalidDoubleHandleException);
}

} // namespace
