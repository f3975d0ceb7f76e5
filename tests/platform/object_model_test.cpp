// The object system's object model: classes and derivation, property values
// through their data types, reference counting and deletion, events and
// listeners, the "stands for" iterator, object arrays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_objects/gui_objects.h"
#include "support/object_classes.h"

namespace {

using nyro::COSClass;
using nyro::COSInterface;
using nyro::COSInterfacePtr;
using nyro::COSNameID;
using nyro::COSValue;
using vxtest::make;
using vxtest::ObjectTest;
using vxtest::Probe;
using vxtest::prop;

// ---- derivation by class name ------------------------------------------------------

struct DerivationCase {
    const char* cls;
    const char* ancestor;
    bool derives;
};

class Derivation : public ObjectTest, public ::testing::WithParamInterface<DerivationCase> {};

TEST_P(Derivation, ByName)
{
    const DerivationCase& c = GetParam();
    COSClass* cls = COSClass::find(c.cls);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->isA(c.ancestor), c.derives);
    COSClass* ancestor = COSClass::find(c.ancestor);
    EXPECT_EQ(cls->isA(ancestor), c.derives && ancestor);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, Derivation,
    ::testing::Values(DerivationCase{"ui.Figure", "ui.Figure", true}, DerivationCase{"ui.Figure", "vx2utils.VXHandle", true},
                      DerivationCase{"ui.Figure", "handle", true}, DerivationCase{"ui.Figure", "ui.Root", false},
                      DerivationCase{"vx.Group", "vx.Line", true}, DerivationCase{"vx.Line", "vx.Group", false},
                      DerivationCase{"ui.Root", "vx2utils.VXHandle", true}, DerivationCase{"plain.Thing", "handle", true},
                      DerivationCase{"plain.Thing", "vx2utils.VXHandle", false},
                      DerivationCase{"handle", "vx2utils.VXHandle", false},
                      DerivationCase{"vx.Line", "no.SuchClass", false}));

TEST_F(ObjectTest, ClassesRefuseDuplicatesUnknownTypesAndLatePropertiesWithoutHalfDefiningThem)
{
    auto raised = [](auto f) { return vxtest::raisedBy(f).value_or(vxtest::Raised{}).id; };
    EXPECT_EQ(raised([] { COSClass::define("vx.Line"); }), "nyro:Class:DuplicateClass");
    EXPECT_EQ(raised([] { COSClass::define("x.Orphan", "no.Parent"); }), "nyro:Class:UnknownClass");
    EXPECT_EQ(COSClass::find("x.Orphan"), nullptr);
    COSClass* fresh = COSClass::define("x.Fresh");
    EXPECT_EQ(raised([&] { fresh->addProperty("Width", "NoSuchType"); }), "nyro:Class:UnknownType");
    EXPECT_EQ(fresh->getProperties().size(), 0u);
    fresh->addProperty("Tag", "Probe");
    EXPECT_EQ(raised([&] { fresh->addProperty("Tag", "Probe"); }), "nyro:Class:DuplicateProperty");
    COSClass* child = COSClass::define("x.Child", fresh);
    EXPECT_EQ(raised([&] { child->addProperty("Tag", "Probe"); }), "nyro:Class:DuplicateProperty")
        << "a name an ancestor declares is taken";
    EXPECT_EQ(raised([&] { fresh->addProperty("Late", "Probe"); }), "nyro:Class:Sealed")
        << "a class with a subclass takes no more properties";
    child->addProperty("Own", "Probe");
    COSInterfacePtr obj = COSInterface::create(child);
    EXPECT_EQ(raised([&] { child->addProperty("Later", "Probe"); }), "nyro:Class:Sealed");
    ASSERT_EQ(child->getProperties().size(), 2u);
    EXPECT_STREQ(child->getProperties()[0]->getName(), "Tag") << "the ancestors' properties come first";
}

// ---- property values ---------------------------------------------------------------

TEST_F(ObjectTest, InstancesStartWithCopiesOfTheDefaultAndDestroyTheirValues)
{
    COSClass* cls = COSClass::define("x.Defaulted");
    cls->addProperty("Tag", "Probe", Probe::make(7));
    cls->addProperty("Other", "Probe");
    long before = Probe::live;
    {
        COSInterfacePtr a = COSInterface::create(cls);
        COSInterfacePtr b = COSInterface::create(cls);
        COSValue va = prop(a.get(), "Tag")->getValue(a.get());
        COSValue vb = prop(b.get(), "Tag")->getValue(b.get());
        EXPECT_EQ(Probe::read(va), 7);
        EXPECT_NE(va, vb) << "each instance has its own copy";
        EXPECT_NE(va, prop(a.get(), "Tag")->getDefaultValue());
        EXPECT_TRUE(prop(a.get(), "Other")->getValue(a.get()).isNull()) << "the type's default";
        EXPECT_EQ(Probe::live, before + 2);
    }
    EXPECT_EQ(Probe::live, before) << "the last release destroyed the values";
}

TEST_F(ObjectTest, SettingCopiesThroughTheTypeAndDestroysTheOldValue)
{
    COSInterfacePtr line = make("vx.Line");
    nyro::COSPropInfo* tag = prop(line.get(), "Tag");
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->getDataType(), vxtest::type("Probe"));
    long before = Probe::live;
    COSValue mine = Probe::make(3);
    tag->setValue(line.get(), mine);
    EXPECT_NE(tag->getValue(line.get()), mine) << "the object keeps a copy";
    EXPECT_EQ(Probe::live, before + 2);
    vxtest::type("Probe")->destroy(mine);
    tag->adoptValue(line.get(), Probe::make(4));
    EXPECT_EQ(Probe::read(tag->getValue(line.get())), 4);
    EXPECT_EQ(Probe::live, before + 1) << "the replaced value was destroyed";

    nyro::COSPropInfo* foreign = prop(make("plain.Thing").get(), "Tag");
    long live = Probe::live;
    auto raised = vxtest::raisedBy([&] { foreign->adoptValue(line.get(), Probe::make(9)); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id, "nyro:Object:ForeignProperty");
    EXPECT_EQ(Probe::live, live) << "a refused value is not leaked";
}

TEST_F(ObjectTest, ArraysGoThroughTheTypesConversionAndAFailedConversionKeepsTheOldValue)
{
    COSInterfacePtr line = make("vx.Line");
    gui_objects::QxArrayPtr on(qxCreateString("on"));
    line->setFromArray("Visible", on.get());
    gui_objects::QxArrayPtr back(line->getAsArray("Visible"));
    EXPECT_EQ(qxArrayToStdString(back.get()), "on");
    gui_objects::QxArrayPtr bad(qxCreateDoubleScalar(1));
    EXPECT_TRUE(vxtest::raisedBy([&] { line->setFromArray("Visible", bad.get()); }));
    EXPECT_FALSE(prop(line.get(), "Visible")->getValue(line.get()).isNull());
    auto raised = vxtest::raisedBy([&] { line->setFromArray("NoSuch", on.get()); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id, "nyro:Object:UnknownProperty");
    EXPECT_EQ(raised->message, "There is no NoSuch property on this object.");
}

// ---- reference counting and deletion -----------------------------------------------

TEST_F(ObjectTest, ADeletedObjectIsInvalidWhileReferencesRemainAndHasNoValues)
{
    COSInterfacePtr line = make("vx.Line");
    long before = Probe::live;
    prop(line.get(), "Tag")->adoptValue(line.get(), Probe::make(1));
    COSInterfacePtr other = line;
    EXPECT_EQ(line->getReferenceCount(), 2);
    line->deleteObject();
    EXPECT_FALSE(other->isValid());
    EXPECT_EQ(Probe::live, before) << "deleting destroys the values at once";
    EXPECT_TRUE(prop(line.get(), "Tag")->getValue(line.get()).isNull());
    auto raised = vxtest::raisedBy([&] { prop(line.get(), "Tag")->setValue(line.get(), COSValue()); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id, "nyro:Object:Deleted");
    line->deleteObject(); // a second delete does nothing
    EXPECT_EQ(other->getReferenceCount(), 2);
}

TEST_F(ObjectTest, ObjectsReferringToEachOtherAreFreedOnceDeleted)
{
    // A figure whose current object is itself, and a group that holds itself:
    // the references are cycles until deletion breaks them (LeakSanitizer
    // reports what deletion would leave behind).
    COSInterfacePtr fig = make("ui.Figure");
    COSValue self = COSValue::fromPointer(fig.get());
    prop(fig.get(), "CurrentObject")->setValue(fig.get(), self);
    EXPECT_EQ(fig->getReferenceCount(), 2);
    COSInterfacePtr group = make("vx.Group");
    group->setMembers({group, fig});
    EXPECT_EQ(fig->getReferenceCount(), 3);
    fig->deleteObject();
    EXPECT_EQ(fig->getReferenceCount(), 2) << "the figure's own reference went with its values";
    group->deleteObject();
    EXPECT_EQ(fig->getReferenceCount(), 1);
    EXPECT_EQ(group->getReferenceCount(), 1);
}

// ---- events and listeners ----------------------------------------------------------

// Records what it hears: the listener's tag, the node and the kind of event.
struct Heard {
    std::string tag;
    COSInterface* node;
    bool classEvent;
};

class RecordingOp : public nyro::COSListenerOp {
public:
    RecordingOp(std::vector<Heard>* log, std::string tag, bool raise = false)
        : log_(log), tag_(std::move(tag)), raise_(raise)
    {
    }
    void execute(nyro::COSEventData* event) override
    {
        log_->push_back({tag_, getNode(event), dynamic_cast<nyro::COSClassInstanceEventData*>(event) != nullptr});
        if (raise_)
            qxErrMsgIdAndTxt("test:Listener", "listener %s raised", tag_.c_str());
    }

private:
    std::vector<Heard>* log_;
    std::string tag_;
    bool raise_;
};

TEST_F(ObjectTest, EventsReachObjectListenersThenClassListenersUpTheChain)
{
    std::vector<Heard> log;
    COSNameID click("Click");
    COSInterfacePtr group = make("vx.Group");
    COSInterfacePtr line = make("vx.Line");
    auto listen = [&](const char* tag) { return nyro::COSListener::createListener(new RecordingOp(&log, tag)); };
    COSClass::find("vx2utils.VXHandle")->addListener(click, listen("base"));
    COSClass::find("vx.Line")->addListener(click, listen("line class"));
    group->addListener(click, listen("object 1"));
    group->addListener(COSNameID("Other"), listen("other event"));
    nyro::COSListenerPtr disabled = listen("disabled");
    disabled->setEnabled(false);
    group->addListener(click, disabled);
    group->addListener(click, listen("object 2"));
    line->addListener(click, listen("line object"));

    group->fireEvent(click);
    std::vector<std::string> order;
    for (const Heard& h : log) {
        order.push_back(h.tag);
        EXPECT_EQ(h.node, group.get());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"object 1", "object 2", "line class", "base"}));
    EXPECT_FALSE(log[0].classEvent);
    EXPECT_TRUE(log[2].classEvent);

    log.clear();
    EXPECT_TRUE(group->removeListener(disabled.get()));
    EXPECT_FALSE(group->removeListener(disabled.get()));
    group->deleteObject();
    group->fireEvent(click);
    EXPECT_TRUE(log.empty()) << "a deleted object fires nothing";
}

TEST_F(ObjectTest, AListenerThatRaisesEndsTheFiringAndDeletionStillCompletes)
{
    std::vector<Heard> log;
    COSInterfacePtr line = make("vx.Line");
    long before = Probe::live;
    prop(line.get(), "Tag")->adoptValue(line.get(), Probe::make(1));
    COSNameID dying(nyro::events::ObjectBeingDestroyed);
    line->addListener(dying, nyro::COSListener::createListener(new RecordingOp(&log, "first", true)));
    line->addListener(dying, nyro::COSListener::createListener(new RecordingOp(&log, "second")));
    auto raised = vxtest::raisedBy([&] { line->deleteObject(); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->message, "listener first raised");
    EXPECT_EQ(log.size(), 1u);
    EXPECT_FALSE(line->isValid());
    EXPECT_EQ(Probe::live, before);
}

TEST_F(ObjectTest, ClassListenersHearInstancesBeingCreated)
{
    std::vector<Heard> log;
    COSClass::find("plain.Thing")
        ->addListener(COSNameID(nyro::events::InstanceCreated),
                      nyro::COSListener::createListener(new RecordingOp(&log, "created")));
    COSInterfacePtr thing = make("plain.Thing");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].node, thing.get());
    EXPECT_TRUE(log[0].classEvent);
    EXPECT_FALSE(nyro::COSListener::createListener(nullptr));
}

TEST_F(ObjectTest, EventDataArrayCarriesSourceNameAndPayloadFields)
{
    COSInterfacePtr line = make("vx.Line");
    const char* fields[] = {"Button", "EventName"};
    gui_objects::QxArrayPtr payload(qxCreateStructMatrix(1, 1, 2, fields));
    qxSetFieldByNumber(payload.get(), 0, 0, qxCreateDoubleScalar(3));
    qxSetFieldByNumber(payload.get(), 0, 1, qxCreateString("ignored"));
    nyro::COSEventData event(line.get(), COSNameID("Click"), payload.get());
    gui_objects::QxArrayPtr data(event.getEventDataArray());
    ASSERT_TRUE(qxIsStruct(data.get()));
    EXPECT_EQ(qxGetNumberOfFields(data.get()), 3);
    const qxArray* source = qxGetFieldByNumber(data.get(), 0, qxGetFieldNumber(data.get(), "Source"));
    EXPECT_EQ(omGetArrayElement(source, 0), line.get());
    EXPECT_EQ(qxArrayToStdString(qxGetFieldByNumber(data.get(), 0, qxGetFieldNumber(data.get(), "EventName"))),
              "Click");
    EXPECT_EQ(*qxGetPr(qxGetFieldByNumber(data.get(), 0, qxGetFieldNumber(data.get(), "Button"))), 3.0);

    gui_objects::QxArrayPtr scalar(qxCreateDoubleScalar(5));
    nyro::COSEventData plain(nullptr, COSNameID("Tick"), scalar.get());
    gui_objects::QxArrayPtr data2(plain.getEventDataArray());
    EXPECT_EQ(*qxGetPr(qxGetFieldByNumber(data2.get(), 0, qxGetFieldNumber(data2.get(), "Data"))), 5.0);
    EXPECT_TRUE(qxIsEmpty(qxGetFieldByNumber(data2.get(), 0, 0))) << "no source: an empty handle array";
}

// ---- iterator ----------------------------------------------------------------------

TEST_F(ObjectTest, StandsForIteratorYieldsMembersOrTheObjectItself)
{
    COSInterfacePtr a = make("vx.Line"), b = make("vx.Line"), group = make("vx.Group");
    auto walk = [](COSInterface* start) {
        std::vector<COSInterface*> seen;
        nyro::COSIterator it(start, nyro::COSIterator::StandsFor, 0);
        while (it.hasMoreElements())
            seen.push_back(it.nextElement());
        EXPECT_EQ(it.nextElement(), nullptr);
        return seen;
    };
    EXPECT_EQ(walk(group.get()), std::vector<COSInterface*>{group.get()}) << "no members: itself";
    group->setMembers({b, COSInterfacePtr(), a});
    EXPECT_EQ(walk(group.get()), (std::vector<COSInterface*>{b.get(), a.get()})) << "members in order, no empties";
    EXPECT_TRUE(walk(nullptr).empty());
    auto raised = vxtest::raisedBy([&] { nyro::COSIterator(a.get(), 1, 0); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id, "nyro:Iterator:Unsupported");
    EXPECT_TRUE(vxtest::raisedBy([&] { nyro::COSIterator(a.get(), 3, 1); }));
}

// ---- object arrays -----------------------------------------------------------------

TEST_F(ObjectTest, ObjectArraysHoldReferencesAndShareElementsWithCopies)
{
    COSInterfacePtr line = make("vx.Line");
    qxArray* a = omCreateNYROMatrix(1, 2, "handle");
    EXPECT_TRUE(omIsNYRO(a));
    EXPECT_STREQ(qxGetObjectClassName(a), "handle");
    EXPECT_TRUE(omSetArrayElement(a, 1, line.get()));
    EXPECT_FALSE(omSetArrayElement(a, 2, line.get())) << "out of range";
    EXPECT_EQ(line->getReferenceCount(), 2);
    qxArray* copy = qxCreateSharedDataCopy(a);
    EXPECT_EQ(line->getReferenceCount(), 3);
    EXPECT_TRUE(qxAreMatricesEqual(a, copy));
    EXPECT_EQ(omGetArrayElement(copy, 0), nullptr);
    EXPECT_EQ(omGetArrayElement(copy, 1), line.get());
    EXPECT_EQ(omGetArrayElement(copy, 5), nullptr);
    omSetArrayElement(copy, 1, nullptr);
    EXPECT_FALSE(qxAreMatricesEqual(a, copy));
    EXPECT_EQ(line->getReferenceCount(), 2);
    qxDestroyArray(copy);
    qxReclaimTemporaries();
    EXPECT_EQ(line->getReferenceCount(), 1) << "reclaiming the temporary released its element";
}

TEST_F(ObjectTest, InternalFormOutlivesTheHostCallExternalFormDoesNot)
{
    COSInterfacePtr line = make("vx.Line");
    gui_objects::QxArrayPtr scalar(omCreateNYROScalar(line.get()));
    EXPECT_STREQ(qxGetObjectClassName(scalar.get()), "vx.Line");
    qxArray* internal = nyroConvertArrayToInternal(scalar.get());
    qxArray* external = nyroConvertArrayToExternal(internal);
    EXPECT_EQ(qxGetArrayScope(internal), 2);
    EXPECT_EQ(qxGetArrayScope(external), 0);
    EXPECT_TRUE(qxAreMatricesEqual(internal, external));
    scalar.release();
    qxReclaimTemporaries(); // the scalar and the external form go
    EXPECT_EQ(line->getReferenceCount(), 2);
    EXPECT_EQ(omGetArrayElement(internal, 0), line.get());
    qxDestroyArray(internal);
    gui_objects::QxArrayPtr number(qxCreateDoubleScalar(1));
    EXPECT_EQ(nyroConvertArrayToInternal(number.get()), nullptr);
    EXPECT_EQ(nyroConvertArrayToExternal(nullptr), nullptr);
    EXPECT_FALSE(omIsNYRO(number.get()));
}

struct EqualityCase {
    const char* name;
    qxArray* (*a)(COSInterface*, COSInterface*);
    qxArray* (*b)(COSInterface*, COSInterface*);
    bool equal;
};

class ObjectArrayEquality : public ObjectTest, public ::testing::WithParamInterface<EqualityCase> {};

TEST_P(ObjectArrayEquality, SameClassSameElements)
{
    COSInterfacePtr x = make("vx.Line"), y = make("vx.Line");
    gui_objects::QxArrayPtr a(GetParam().a(x.get(), y.get())), b(GetParam().b(x.get(), y.get()));
    EXPECT_EQ(qxAreMatricesEqual(a.get(), b.get()), GetParam().equal);
}

qxArray* pair(COSInterface* x, COSInterface* y)
{
    qxArray* a = omCreateNYROMatrix(1, 2, "handle");
    omSetArrayElement(a, 0, x);
    omSetArrayElement(a, 1, y);
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Arrays, ObjectArrayEquality,
    ::testing::Values(
        EqualityCase{"SameObject", [](COSInterface* x, COSInterface*) { return omCreateNYROScalar(x); },
                     [](COSInterface* x, COSInterface*) { return omCreateNYROScalar(x); }, true},
        EqualityCase{"OtherObject", [](COSInterface* x, COSInterface*) { return omCreateNYROScalar(x); },
                     [](COSInterface*, COSInterface* y) { return omCreateNYROScalar(y); }, false},
        EqualityCase{"OtherClassName", [](COSInterface* x, COSInterface*) { return omCreateNYROScalar(x); },
                     [](COSInterface* x, COSInterface*) {
                         qxArray* a = omCreateNYROMatrix(1, 1, "handle");
                         omSetArrayElement(a, 0, x);
                         return a;
                     },
                     false},
        EqualityCase{"EmptyHandles", [](COSInterface*, COSInterface*) { return omCreateNYROEmpty("handle"); },
                     [](COSInterface*, COSInterface*) { return omCreateNYROEmpty("handle"); }, true},
        EqualityCase{"Order", [](COSInterface* x, COSInterface* y) { return pair(x, y); },
                     [](COSInterface* x, COSInterface* y) { return pair(y, x); }, false},
        EqualityCase{"Pairs", [](COSInterface* x, COSInterface* y) { return pair(x, y); },
                     [](COSInterface* x, COSInterface* y) { return pair(x, y); }, true},
        EqualityCase{"EmptyVersusEmptyDouble",
                     [](COSInterface*, COSInterface*) { return omCreateNYROEmpty("handle"); },
                     [](COSInterface*, COSInterface*) { return qxCreateDoubleMatrix(0, 0, qxREAL); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
