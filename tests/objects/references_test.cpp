// Object reference properties: COSInterface, HandleOrEmpty and JavaPeer.
#include <gtest/gtest.h>

#include <string>

#include "gui_objects/gui_objects.h"
#include "objects/references.h"
#include "support/object_classes.h"

namespace {

using nyro::COSInterface;
using nyro::COSInterfacePtr;
using nyro::COSValue;
using vxtest::make;

COSValue slot(const void* p) { return COSValue::fromPointer(p); }

class References : public vxtest::ObjectTest {
public:
    double lineHandleValue() const { return lineHandle; }
    COSInterface* lineObject() const { return line.get(); }

protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        line = make("vx.Line");
        other = make("vx.Line");
        lineHandle = line->getDoubleHandle();
    }
    COSInterfacePtr line, other;
    double lineHandle = -1;
};

// ---- COSInterface -----------------------------------------------------------------

struct FromCase {
    const char* name;
    qxArray* (*make)(COSInterface* line, double handle);
    bool findsLine;
};

class COSInterfaceFrom : public References, public ::testing::WithParamInterface<FromCase> {};

TEST_P(COSInterfaceFrom, FindsTheObjectAndTheSlotOwnsOneReference)
{
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "COSInterface");
    nyro::COSDataType* type = vxtest::type("COSInterface");
    gui_objects::QxArrayPtr a(GetParam().make(line.get(), lineHandle));
    long refs = line->getReferenceCount();
    COSValue v = mc->from(slot(a.get()));
    if (!GetParam().findsLine) {
        EXPECT_TRUE(v.isNull());
        EXPECT_EQ(line->getReferenceCount(), refs);
        return;
    }
    EXPECT_EQ(nyro::pointerValue<COSInterface*>(v), line.get());
    EXPECT_EQ(line->getReferenceCount(), refs + 1);
    COSValue copy = type->copy(v);
    EXPECT_EQ(copy, v) << "a copy is the same object";
    EXPECT_EQ(line->getReferenceCount(), refs + 2);
    type->destroy(copy);
    type->destroy(v);
    EXPECT_EQ(line->getReferenceCount(), refs) << "each destroy released exactly one reference";
}

qxArray* singleOf(double h)
{
    qxArray* a = qxCreateNumericMatrix(1, 1, qxSINGLE_CLASS, qxREAL);
    *static_cast<float*>(qxGetData(a)) = static_cast<float>(h);
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Arrays, COSInterfaceFrom,
    ::testing::Values(
        FromCase{"Handle", [](COSInterface*, double h) { return qxCreateDoubleScalar(h); }, true},
        FromCase{"FirstOfSeveralHandles", [](COSInterface*, double h) { return vxtest::rowVector({h, 12345.5}); }, true},
        FromCase{"UnknownHandle", [](COSInterface*, double) { return qxCreateDoubleScalar(12345.5); }, false},
        FromCase{"EmptyDouble", [](COSInterface*, double) { return qxCreateDoubleMatrix(0, 0, qxREAL); }, false},
        FromCase{"ObjectArray", [](COSInterface* l, double) { return omCreateNYROScalar(l); }, true},
        FromCase{"EmptyObjectArray", [](COSInterface*, double) { return omCreateNYROEmpty("handle"); }, false},
        FromCase{"UnsetElement", [](COSInterface*, double) { return omCreateNYROMatrix(1, 1, "handle"); }, false},
        FromCase{"Text", [](COSInterface*, double) { return qxCreateString("line"); }, false},
        FromCase{"Single", [](COSInterface*, double h) { return singleOf(h); }, false},
        FromCase{"Null", [](COSInterface*, double) -> qxArray* { return nullptr; }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(References, COSInterfaceReadsBackAsTheObjectsItStandsFor)
{
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "COSInterface");
    gui_objects::QxArrayPtr none(nyro::pointerValue<qxArray*>(mc->to(COSValue())));
    EXPECT_TRUE(qxIsEmpty(none.get()));
    EXPECT_STREQ(qxGetObjectClassName(none.get()), "handle");

    gui_objects::QxArrayPtr one(nyro::pointerValue<qxArray*>(mc->to(slot(line.get()))));
    EXPECT_EQ(qxGetM(one.get()), 1u);
    EXPECT_EQ(qxGetN(one.get()), 1u);
    EXPECT_STREQ(qxGetObjectClassName(one.get()), "vx.Line");
    EXPECT_EQ(omGetArrayElement(one.get(), 0), line.get());

    COSInterfacePtr group = make("vx.Group"), third = make("ui.Figure");
    group->setMembers({other, line, third});
    gui_objects::QxArrayPtr three(nyro::pointerValue<qxArray*>(mc->to(slot(group.get()))));
    EXPECT_EQ(qxGetM(three.get()), 1u);
    ASSERT_EQ(qxGetN(three.get()), 3u);
    EXPECT_STREQ(qxGetObjectClassName(three.get()), "handle");
    EXPECT_EQ(omGetArrayElement(three.get(), 0), other.get());
    EXPECT_EQ(omGetArrayElement(three.get(), 1), line.get());
    EXPECT_EQ(omGetArrayElement(three.get(), 2), third.get());

    group->setMembers({line});
    gui_objects::QxArrayPtr single(nyro::pointerValue<qxArray*>(mc->to(slot(group.get()))));
    EXPECT_STREQ(qxGetObjectClassName(single.get()), "vx.Group") << "one member: the object's own class";
    EXPECT_EQ(omGetArrayElement(single.get(), 0), line.get());

    // Back through the array converter: the first object.
    COSValue back = mc->from(slot(three.get()));
    EXPECT_EQ(nyro::pointerValue<COSInterface*>(back), other.get());
    vxtest::type("COSInterface")->destroy(back);
}

TEST_F(References, COSInterfacePropertyHoldsItsObjectUntilReplacedOrDeleted)
{
    COSInterfacePtr fig = make("ui.Figure");
    gui_objects::QxArrayPtr h(qxCreateDoubleScalar(lineHandle));
    long refs = line->getReferenceCount();
    fig->setFromArray("CurrentObject", h.get());
    EXPECT_EQ(line->getReferenceCount(), refs + 1);
    gui_objects::QxArrayPtr o(omCreateNYROScalar(other.get()));
    fig->setFromArray("CurrentObject", o.get());
    EXPECT_EQ(line->getReferenceCount(), refs);
    nyro::COSDataType* type = vxtest::type("COSInterface");
    EXPECT_TRUE(type->isEqual(vxtest::prop(fig.get(), "CurrentObject")->getValue(fig.get()), slot(other.get())));
    EXPECT_EQ(type->compare(slot(line.get()), slot(other.get())), 2);
    long otherRefs = other->getReferenceCount();
    fig = nullptr;
    EXPECT_EQ(other->getReferenceCount(), otherRefs - 1) << "the figure's last release destroyed its value";
    nyro::COSTypeConversion* sc = vxtest::conversion("string", "COSInterface");
    EXPECT_TRUE(sc->from(slot("x")).isNull());
    EXPECT_TRUE(sc->to(slot(line.get())).isNull());
}

// ---- HandleOrEmpty ----------------------------------------------------------------

enum class Holds { Nothing, Line, Error };

struct SetCase {
    const char* name;
    qxArray* (*make)(References* t);
    Holds holds;
};

class HandleOrEmptySet : public References, public ::testing::WithParamInterface<SetCase> {
public:
    // The handle of an object deleted since.
    double deletedHandle()
    {
        double h = other->getDoubleHandle();
        other->deleteObject();
        return h;
    }
};

TEST_P(HandleOrEmptySet, HoldsAnObjectNothingOrRefuses)
{
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "HandleOrEmpty");
    nyro::COSDataType* type = vxtest::type("HandleOrEmpty");
    gui_objects::QxArrayPtr a(GetParam().make(static_cast<References*>(this)));
    COSValue v;
    auto raised = vxtest::raisedBy([&] { v = mc->from(slot(a.get())); });
    if (GetParam().holds == Holds::Error) {
        ASSERT_TRUE(raised);
        EXPECT_EQ(raised->id, "datatypes:HandleOrEmpty");
        EXPECT_EQ(raised->message, "The value set for this property must be a valid VX handle.");
        EXPECT_TRUE(v.isNull());
        return;
    }
    ASSERT_FALSE(raised) << raised->message;
    gui_objects::QxArrayPtr back(nyro::pointerValue<qxArray*>(mc->to(v)));
    ASSERT_TRUE(omIsNYRO(back.get()));
    EXPECT_EQ(qxGetArrayScope(back.get()), 0) << "the external form is a temporary";
    if (GetParam().holds == Holds::Nothing) {
        EXPECT_TRUE(qxIsEmpty(back.get()));
        EXPECT_STREQ(qxGetObjectClassName(back.get()), "handle");
        EXPECT_TRUE(type->isEqual(v, type->getDefaultValue()));
    } else {
        EXPECT_EQ(omGetArrayElement(back.get(), 0), line.get());
        EXPECT_FALSE(type->isEqual(v, type->getDefaultValue()));
    }
    COSValue copy = type->copy(v);
    EXPECT_TRUE(type->isEqual(copy, v));
    type->destroy(copy);
    type->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Arrays, HandleOrEmptySet,
    ::testing::Values(
        SetCase{"EmptyDouble", [](References*) { return qxCreateDoubleMatrix(0, 0, qxREAL); }, Holds::Nothing},
        SetCase{"EmptyRow", [](References*) { return qxCreateDoubleMatrix(0, 3, qxREAL); }, Holds::Nothing},
        SetCase{"EmptyText", [](References*) { return qxCreateString(""); }, Holds::Nothing},
        SetCase{"EmptyObjects", [](References*) { return omCreateNYROEmpty("handle"); }, Holds::Nothing},
        SetCase{"Null", [](References*) -> qxArray* { return nullptr; }, Holds::Nothing},
        SetCase{"Handle", [](References* t) { return qxCreateDoubleScalar(t->lineHandleValue()); }, Holds::Line},
        SetCase{"ObjectScalar", [](References* t) { return omCreateNYROScalar(t->lineObject()); }, Holds::Line},
        SetCase{"UnknownHandle", [](References*) { return qxCreateDoubleScalar(777.25); }, Holds::Error},
        SetCase{"HandleOfDeletedObject", [](References* t) { return qxCreateDoubleScalar(static_cast<HandleOrEmptySet*>(t)->deletedHandle()); }, Holds::Error},
        SetCase{"TwoHandles", [](References* t) { return vxtest::rowVector({t->lineHandleValue(), 1}); }, Holds::Error},
        SetCase{"Letter", [](References*) { return qxCreateString("a"); }, Holds::Error},
        SetCase{"Word", [](References*) { return qxCreateString("abc"); }, Holds::Error},
        SetCase{"Logical", [](References*) { return qxCreateLogicalScalar(true); }, Holds::Error},
        SetCase{"TwoObjects", [](References* t) { qxArray* a = omCreateNYROMatrix(1, 2, "handle"); omSetArrayElement(a, 0, t->lineObject()); return a; }, Holds::Error}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(References, AHandleOrEmptyOfADeletedObjectReadsBackEmptyFromThenOn)
{
    gui_objects::QxArrayPtr h(qxCreateDoubleScalar(other->getDoubleHandle()));
    line->setFromArray("Peer", h.get());
    auto* value = datatypes::HandleOrEmptyDataType::valueOf(vxtest::prop(line.get(), "Peer")->getValue(line.get()));
    const qxArray* held = value->getHandle();
    EXPECT_EQ(omGetArrayElement(held, 0), other.get());
    h.release();
    qxReclaimTemporaries(); // the held array outlives the host call
    EXPECT_EQ(omGetArrayElement(value->getHandle(), 0), other.get());

    other->deleteObject();
    EXPECT_GT(other->getReferenceCount(), 1) << "the value still holds a reference";
    gui_objects::QxArrayPtr back(line->getAsArray("Peer"));
    EXPECT_TRUE(omIsNYRO(back.get()));
    EXPECT_TRUE(qxIsEmpty(back.get()));
    EXPECT_STREQ(qxGetObjectClassName(back.get()), "handle");
    const qxArray* now = value->getHandle();
    EXPECT_TRUE(qxIsEmpty(now)) << "the value itself was emptied";
    EXPECT_EQ(value->getHandle(), now) << "and stays so without being rebuilt";
    EXPECT_EQ(other->getReferenceCount(), 2) << "the test's pointer and the handle record remain";
}

TEST_F(References, HandleOrEmptyEqualityAndTextForms)
{
    using datatypes::HandleOrEmpty;
    gui_objects::QxArrayPtr a(qxCreateDoubleScalar(lineHandle)), b(omCreateNYROScalar(line.get()));
    gui_objects::QxArrayPtr c(omCreateNYROScalar(other.get()));
    HandleOrEmpty x(a.get()), y(b.get()), z(c.get()), empty(nullptr), empty2(nullptr);
    EXPECT_TRUE(x == y) << "by handle or by object array, the same object";
    EXPECT_FALSE(x == z);
    EXPECT_FALSE(x == empty);
    EXPECT_TRUE(empty == empty2);
    HandleOrEmpty w(empty);
    w = x;
    EXPECT_TRUE(w == x);
    w = w;
    EXPECT_TRUE(w == x);

    auto sc = vxtest::conversion("string", "HandleOrEmpty");
    auto from = vxtest::raisedBy([&] { sc->from(slot("1")); }).value_or(vxtest::Raised{});
    EXPECT_EQ(from.id + " " + from.message, "datatypes:HandleOrEmpty String to data type conversion is not allowed");
    auto to = vxtest::raisedBy([&] { sc->to(COSValue()); }).value_or(vxtest::Raised{});
    EXPECT_EQ(to.message, "Data type to string conversion is not allowed");
}

// ---- JavaPeer ---------------------------------------------------------------------

TEST_F(References, JavaPeersAreEqualOnlyForTheIdenticalReference)
{
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "JavaPeer");
    nyro::COSDataType* type = vxtest::type("JavaPeer");
    gui_objects::QxArrayPtr text(qxCreateString("peer"));
    COSValue a = mc->from(slot(text.get()));
    COSValue b = mc->from(slot(text.get()));
    ASSERT_FALSE(a.isNull());
    EXPECT_FALSE(type->isEqual(a, b)) << "two references, though to equal objects";
    COSValue copy = type->copy(a);
    EXPECT_NE(copy, a);
    EXPECT_TRUE(type->isEqual(copy, a)) << "a copy holds the identical reference";
    EXPECT_EQ(type->compare(a, b), 2);

    std::size_t references = javabridge::liveReferences();
    gui_objects::QxArrayPtr back(nyro::pointerValue<qxArray*>(mc->to(a)));
    EXPECT_EQ(qxArrayToStdString(back.get()), "peer");
    EXPECT_EQ(javabridge::liveReferences(), references) << "reading leaves no reference behind";
    gui_objects::QxArrayPtr none(nyro::pointerValue<qxArray*>(mc->to(COSValue())));
    EXPECT_TRUE(qxIsDouble(none.get()) && qxIsEmpty(none.get()));
    EXPECT_TRUE(mc->from(COSValue()).isNull());
    EXPECT_TRUE(vxtest::conversion("string", "JavaPeer")->from(slot("x")).isNull());

    auto* peer = datatypes::JavaPeerDataType::valueOf(a);
    EXPECT_STREQ(javabridge::objectOf(peer->get_jobject())->javaClass(), "java.lang.String");
    type->destroy(copy);
    type->destroy(a);
    type->destroy(b);
    EXPECT_EQ(javabridge::liveReferences(), references) << "the values do not own their references";
}

// ---- out of memory ----------------------------------------------------------------

struct OutOfMemoryCase {
    const char* name;
    const char* type;
    const char* foreign;
    qxArray* (*make)();
};

class OutOfMemory : public References, public ::testing::WithParamInterface<OutOfMemoryCase> {};

TEST_P(OutOfMemory, ValueAllocationFailureThrowsAndLeavesNothingBehind)
{
    const OutOfMemoryCase& c = GetParam();
    gui_objects::QxArrayPtr a(c.make ? c.make() : nullptr);
    COSValue input = a ? slot(a.get()) : slot("go");
    std::size_t references = javabridge::liveReferences();
    long blocks = ut::test::liveBlocks();
    {
        ut::test::AllocationFailure fail(1);
        EXPECT_THROW(vxtest::conversion(c.foreign, c.type)->from(input), nyro::COSOutOfMemoryException);
    }
    EXPECT_EQ(ut::test::liveBlocks(), blocks);
    EXPECT_EQ(javabridge::liveReferences(), references);
}

INSTANTIATE_TEST_SUITE_P(
    Values, OutOfMemory,
    ::testing::Values(OutOfMemoryCase{"HandleOrEmpty", "HandleOrEmpty", "any", [] { return omCreateNYROEmpty("handle"); }},
                      OutOfMemoryCase{"JavaPeer", "JavaPeer", "any", [] { return qxCreateString("peer"); }},
                      OutOfMemoryCase{"CallbackText", "Callback", "string", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
