// The object system's object model: classes and derivation, property values
// through their data types, reference counting and deletion, events and
// listeners, the "stands for" iterator, object arrays. (Setting from arrays,
// class and object listeners and the EventName of event data are also driven
// end to end by the console's graphics tests.)
#include <gtest/gtest.h>

#include <functional>
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


// A class derives from itself and its ancestors, by name or by class; one without a parent from "handle".
TEST_F(ObjectTest, ClassesDeriveFromTheirAncestors)
{
    COSClass *group = COSClass::find("vx.Group"), *line = COSClass::find("vx.Line"), *thing = COSClass::find("plain.Thing");
    EXPECT_TRUE(group->isA("vx.Group"));
    EXPECT_TRUE(group->isA(COSClass::find("handle")));
    EXPECT_FALSE(line->isA("vx.Group"));
    EXPECT_FALSE(line->isA(group));
    EXPECT_TRUE(thing->isA("handle"));
    EXPECT_FALSE(thing->isA("vx2utils.VXHandle"));
    EXPECT_FALSE(line->isA("no.SuchClass"));
}

TEST_F(ObjectTest, ClassesRefuseDuplicatesUnknownTypesAndLatePropertiesWithoutHalfDefiningThem)
{
    EXPECT_EQ(vxtest::idOf([] { COSClass::define("vx.Line"); }), "nyro:Class:DuplicateClass");
    EXPECT_EQ(vxtest::idOf([] { COSClass::define("x.Orphan", "no.Parent"); }), "nyro:Class:UnknownClass");
    EXPECT_EQ(COSClass::find("x.Orphan"), nullptr);
    COSClass* fresh = COSClass::define("x.Fresh");
    EXPECT_EQ(vxtest::idOf([&] { fresh->addProperty("Width", "NoSuchType"); }), "nyro:Class:UnknownType");
    EXPECT_EQ(fresh->getProperties().size(), 0u);
    fresh->addProperty("Tag", "Probe");
    EXPECT_EQ(vxtest::idOf([&] { fresh->addProperty("Tag", "Probe"); }), "nyro:Class:DuplicateProperty");
    COSClass* child = COSClass::define("x.Child", fresh);
    EXPECT_EQ(vxtest::idOf([&] { child->addProperty("Tag", "Probe"); }), "nyro:Class:DuplicateProperty") << "an ancestor's name";
    EXPECT_EQ(vxtest::idOf([&] { fresh->addProperty("Late", "Probe"); }), "nyro:Class:Sealed") << "a class with a subclass";
    child->addProperty("Own", "Probe");
    COSInterfacePtr obj = COSInterface::create(child);
    EXPECT_EQ(vxtest::idOf([&] { child->addProperty("Later", "Probe"); }), "nyro:Class:Sealed") << "a class with an instance";
    ASSERT_EQ(child->getProperties().size(), 2u);
    EXPECT_STREQ(child->getProperties()[0]->getName(), "Tag") << "the ancestors' properties come first";
}

// A user's spelling selects a property in any letter case, exactly or by a
// unique beginning, among the class's own and inherited names.
TEST_F(ObjectTest, SpellingsSelectAPropertyExactlyOrByAUniqueBeginning)
{
    COSClass* base = COSClass::define("x.Axes");
    for (const char* name : {"XLim", "XLimMode", "XScale"})
        base->addProperty(name, "Probe");
    COSClass* child = COSClass::define("x.SubAxes", base);
    child->addProperty("YLim", "Probe");
    struct Row {
        const char* written;
        const char* selected; // or the names it begins, comma-separated
    };
    // (How texts select names is the name matcher's own table; these rows are what the class adds.)
    for (const Row& r : {Row{"xlim", "XLim"}, Row{"y", "YLim"}, Row{"x", "XLim,XLimMode,XScale"}, Row{"XLimModes", ""},
                         Row{"", ""}}) {
        std::vector<nyro::COSPropInfo*> candidates;
        nyro::COSPropInfo* p = child->matchProperty(r.written, &candidates);
        std::string got = p ? p->getName() : "";
        for (nyro::COSPropInfo* c : candidates)
            got.append(got.empty() ? "" : ",").append(c->getName());
        EXPECT_EQ(got, r.selected) << r.written;
    }
}

TEST_F(ObjectTest, ValuesAreCopiedThroughTheTypeAndDestroyedWithTheObject)
{
    COSClass* cls = COSClass::define("x.Defaulted");
    cls->addProperty("Tag", "Probe", Probe::make(7));
    cls->addProperty("Other", "Probe");
    long before = Probe::live;
    {
        COSInterfacePtr a = COSInterface::create(cls), b = COSInterface::create(cls);
        nyro::COSPropInfo* tag = prop(a.get(), "Tag");
        EXPECT_EQ(Probe::read(tag->getValue(a.get())), 7);
        EXPECT_NE(tag->getValue(a.get()), tag->getValue(b.get())) << "each instance has its own copy of the default";
        EXPECT_TRUE(prop(a.get(), "Other")->getValue(a.get()).isNull()) << "the type's default";
        COSValue mine = Probe::make(3);
        tag->setValue(a.get(), mine);
        EXPECT_NE(tag->getValue(a.get()), mine) << "the object keeps a copy";
        vxtest::type("Probe")->destroy(mine);
        EXPECT_EQ(Probe::live, before + 2) << "the replaced value was destroyed";
        tag->adoptValue(a.get(), Probe::make(4));
        EXPECT_EQ(Probe::read(tag->getValue(a.get())), 4);
        nyro::COSPropInfo* foreign = prop(make("plain.Thing").get(), "Tag");
        EXPECT_EQ(vxtest::idOf([&] { foreign->adoptValue(a.get(), Probe::make(9)); }), "nyro:Object:ForeignProperty");
        EXPECT_EQ(Probe::live, before + 2) << "a refused value is not leaked";
        EXPECT_EQ(vxtest::errorOf([&] { a->setFromArray("NoSuch", qxCreateString("on")); }),
                  "nyro:Object:UnknownProperty There is no NoSuch property on this object.");
    }
    EXPECT_EQ(Probe::live, before) << "the last release destroyed the values";
}

// ---- reference counting and deletion -----------------------------------------------

TEST_F(ObjectTest, ADeletedObjectIsInvalidWhileReferencesRemainAndHasNoValues)
{
    COSInterfacePtr line = make("vx.Line");
    long before = Probe::live;
    prop(line.get(), "Tag")->adoptValue(line.get(), Probe::make(1));
    COSInterfacePtr other = line;
    line->deleteObject();
    EXPECT_FALSE(other->isValid());
    EXPECT_EQ(Probe::live, before) << "deleting destroys the values at once";
    EXPECT_TRUE(prop(line.get(), "Tag")->getValue(line.get()).isNull());
    EXPECT_EQ(vxtest::idOf([&] { prop(line.get(), "Tag")->setValue(line.get(), COSValue()); }), "nyro:Object:Deleted");
    line->deleteObject(); // a second delete does nothing
    EXPECT_EQ(other->getReferenceCount(), 2);
}

// A figure whose current object is itself, and a group that holds itself: the
// references are cycles until deletion breaks them (LeakSanitizer reports what
// deletion would leave behind).
TEST_F(ObjectTest, ObjectsReferringToEachOtherAreFreedOnceDeleted)
{
    COSInterfacePtr fig = make("ui.Figure"), group = make("vx.Group");
    prop(fig.get(), "CurrentObject")->setValue(fig.get(), COSValue::fromPointer(fig.get()));
    group->setMembers({group, fig});
    EXPECT_EQ(fig->getReferenceCount(), 3);
    fig->deleteObject();
    EXPECT_EQ(fig->getReferenceCount(), 2) << "the figure's own reference went with its values";
    group->deleteObject();
    EXPECT_EQ(fig->getReferenceCount(), 1);
    EXPECT_EQ(group->getReferenceCount(), 1);
}

// ---- events and listeners ----------------------------------------------------------

// Logs "tag" for what it hears on an object, "tag (class)" on a class, and the node it was fired on.
std::vector<COSInterface*> heardNodes;

class RecordingOp : public nyro::COSListenerOp {
public:
    RecordingOp(std::vector<std::string>* log, std::string tag, bool raise = false) : log_(log), tag_(std::move(tag)), raise_(raise) {}
    void execute(nyro::COSEventData* event) override
    {
        log_->push_back(tag_ + (dynamic_cast<nyro::COSClassInstanceEventData*>(event) ? " (class)" : ""));
        heardNodes.push_back(getNode(event));
        if (raise_)
            qxErrMsgIdAndTxt("test:Listener", "listener %s raised", tag_.c_str());
    }

private:
    std::vector<std::string>* log_;
    std::string tag_;
    bool raise_;
};

TEST_F(ObjectTest, EventsReachObjectListenersThenClassListenersUpTheChain)
{
    std::vector<std::string> log;
    auto listen = [&](const char* tag) { return nyro::COSListener::createListener(new RecordingOp(&log, tag)); };
    COSNameID click("Click");
    // Class listeners outlive the test unless taken off: they write to `log`.
    const std::pair<COSClass*, nyro::COSListenerPtr> classListeners[] = {
        {COSClass::find("vx2utils.VXHandle"), listen("base")},
        {COSClass::find("vx.Line"), listen("line")},
        {COSClass::find("vx.Group"), listen("created")}};
    struct TakeOff {
        const std::pair<COSClass*, nyro::COSListenerPtr> (&all)[3];
        ~TakeOff()
        {
            for (const auto& [cls, listener] : all)
                cls->removeListener(listener.get());
        }
    } takeOff{classListeners};
    for (const auto& [cls, listener] : classListeners)
        cls->addListener(cls == classListeners[2].first ? COSNameID(nyro::events::InstanceCreated) : click, listener);
    COSInterfacePtr group = make("vx.Group"), line = make("vx.Line");
    group->addListener(click, listen("object 1"));
    group->addListener(COSNameID("Other"), listen("other event"));
    nyro::COSListenerPtr disabled = listen("disabled");
    disabled->setEnabled(false);
    group->addListener(click, disabled);
    group->addListener(click, listen("object 2"));
    line->addListener(click, listen("line object"));
    group->fireEvent(click);
    EXPECT_EQ(log, (std::vector<std::string>{"created (class)", "object 1", "object 2", "line (class)", "base (class)"}));
    EXPECT_EQ(heardNodes, std::vector<COSInterface*>(5, group.get()));
    log.clear();
    EXPECT_TRUE(group->removeListener(disabled.get()));
    EXPECT_FALSE(group->removeListener(disabled.get()));
    group->deleteObject();
    group->fireEvent(click);
    EXPECT_TRUE(log.empty()) << "a deleted object fires nothing";
    EXPECT_FALSE(nyro::COSListener::createListener(nullptr));
}

TEST_F(ObjectTest, AListenerThatRaisesEndsTheFiringAndDeletionStillCompletes)
{
    std::vector<std::string> log;
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

TEST_F(ObjectTest, EventDataArrayCarriesSourceAndPayloadFields)
{
    COSInterfacePtr line = make("vx.Line");
    const char* fields[] = {"Button"};
    gui_objects::QxArrayPtr payload(qxCreateStructMatrix(1, 1, 1, fields));
    qxSetFieldByNumber(payload.get(), 0, 0, qxCreateDoubleScalar(3));
    gui_objects::QxArrayPtr data(nyro::COSEventData(line.get(), COSNameID("Click"), payload.get()).getEventDataArray());
    auto field = [&](const char* name) { return qxGetFieldByNumber(data.get(), 0, qxGetFieldNumber(data.get(), name)); };
    EXPECT_EQ(omGetArrayElement(field("Source"), 0), line.get());
    EXPECT_EQ(*qxGetPr(field("Button")), 3.0);
    gui_objects::QxArrayPtr scalar(qxCreateDoubleScalar(5));
    data.reset(nyro::COSEventData(nullptr, COSNameID("Tick"), scalar.get()).getEventDataArray());
    EXPECT_EQ(*qxGetPr(field("Data")), 5.0) << "a payload that is no struct";
    EXPECT_TRUE(qxIsEmpty(field("Source"))) << "no source: an empty handle array";
}

TEST_F(ObjectTest, StandsForIteratorYieldsMembersOrTheObjectItself)
{
    COSInterfacePtr a = make("vx.Line"), b = make("vx.Line"), group = make("vx.Group");
    auto walk = [](COSInterface* start) {
        std::vector<COSInterface*> seen;
        for (nyro::COSIterator it(start, nyro::COSIterator::StandsFor, 0); it.hasMoreElements();)
            seen.push_back(it.nextElement());
        return seen;
    };
    EXPECT_EQ(walk(group.get()), std::vector<COSInterface*>{group.get()}) << "no members: itself";
    group->setMembers({b, COSInterfacePtr(), a});
    EXPECT_EQ(walk(group.get()), (std::vector<COSInterface*>{b.get(), a.get()})) << "members in order, no empties";
    EXPECT_TRUE(walk(nullptr).empty());
    EXPECT_EQ(vxtest::idOf([&] { nyro::COSIterator(a.get(), 1, 0); }), "nyro:Iterator:Unsupported");
    EXPECT_TRUE(vxtest::raisedBy([&] { nyro::COSIterator(a.get(), 3, 1); }));
}

// ---- object arrays -----------------------------------------------------------------

// Object arrays hold their elements by reference and are equal when their class names and elements are.
TEST_F(ObjectTest, ObjectArraysHoldReferencesAndShareElementsWithCopies)
{
    COSInterfacePtr line = make("vx.Line");
    qxArray* a = omCreateNYROMatrix(1, 2, "handle");
    EXPECT_TRUE(omSetArrayElement(a, 1, line.get()));
    EXPECT_FALSE(omSetArrayElement(a, 2, line.get())) << "out of range";
    qxArray* copy = qxCreateSharedDataCopy(a);
    EXPECT_EQ(line->getReferenceCount(), 3);
    EXPECT_TRUE(qxAreMatricesEqual(a, copy));
    EXPECT_EQ(omGetArrayElement(copy, 0), nullptr);
    EXPECT_EQ(omGetArrayElement(copy, 5), nullptr);
    omSetArrayElement(copy, 1, nullptr);
    EXPECT_FALSE(qxAreMatricesEqual(a, copy)) << "setting an element of the copy leaves the original";
    EXPECT_EQ(line->getReferenceCount(), 2);
    qxDestroyArray(copy);
    qxArray* handle = omCreateNYROMatrix(1, 1, "handle");
    omSetArrayElement(handle, 0, line.get());
    EXPECT_FALSE(qxAreMatricesEqual(omCreateNYROScalar(line.get()), handle)) << "same element, other class name";
    EXPECT_TRUE(qxAreMatricesEqual(omCreateNYROEmpty("handle"), omCreateNYROEmpty("handle")));
    EXPECT_FALSE(qxAreMatricesEqual(omCreateNYROEmpty("handle"), qxCreateDoubleMatrix(0, 0, qxREAL)));
    qxReclaimTemporaries();
    EXPECT_EQ(line->getReferenceCount(), 1) << "reclaiming the temporaries released their elements";
}

TEST_F(ObjectTest, InternalFormOutlivesTheHostCallExternalFormDoesNot)
{
    COSInterfacePtr line = make("vx.Line");
    qxArray* internal = nyroConvertArrayToInternal(omCreateNYROScalar(line.get()));
    qxArray* external = nyroConvertArrayToExternal(internal);
    EXPECT_STREQ(qxGetObjectClassName(external), "vx.Line");
    EXPECT_EQ(qxGetArrayScope(internal), 2);
    EXPECT_TRUE(qxAreMatricesEqual(internal, external));
    qxReclaimTemporaries(); // the scalar and the external form go
    EXPECT_EQ(line->getReferenceCount(), 2);
    EXPECT_EQ(omGetArrayElement(internal, 0), line.get());
    qxDestroyArray(internal);
    gui_objects::QxArrayPtr number(qxCreateDoubleScalar(1));
    EXPECT_EQ(nyroConvertArrayToInternal(number.get()), nullptr);
    EXPECT_EQ(nyroConvertArrayToExternal(nullptr), nullptr);
    EXPECT_FALSE(omIsNYRO(number.get()));
}

} // namespace
