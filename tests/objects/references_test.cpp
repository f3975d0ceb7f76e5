// Object reference properties: COSInterface, HandleOrEmpty and JavaPeer.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

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
    COSInterface* lineObject() const { return line.get(); }
    double lineHandle() const { return line->getDoubleHandle(); }
    // The handle of an object deleted since.
    double deletedHandle() const
    {
        double h = other->getDoubleHandle();
        other->deleteObject();
        return h;
    }

protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        line = make("vx.Line");
        other = make("vx.Line");
    }
    COSInterfacePtr line, other;
};

// ---- the same arrays as COSInterface and as HandleOrEmpty -----------------------------

enum class Holds { Nothing, Line, Error, Unchecked };

struct FromCase {
    const char* name;
    qxArray* (*make)(const References* t);
    Holds object; // what a COSInterface holds (it never refuses)
    Holds handleOrEmpty;
};

class ReferenceFrom : public References, public ::testing::WithParamInterface<FromCase> {};

TEST_P(ReferenceFrom, COSInterfaceFindsTheObjectAndHandleOrEmptyAlsoRefuses)
{
    const FromCase& c = GetParam();
    gui_objects::QxArrayPtr a(c.make(this));
    const long refs = line->getReferenceCount();
    if (c.object != Holds::Unchecked) {
        nyro::COSDataType* type = vxtest::type("COSInterface");
        COSValue v = vxtest::conversion("any", "COSInterface")->from(slot(a.get()));
        EXPECT_EQ(nyro::pointerValue<COSInterface*>(v), c.object == Holds::Line ? line.get() : nullptr);
        EXPECT_EQ(line->getReferenceCount(), refs + (c.object == Holds::Line)) << "the slot owns one reference";
        COSValue copy = type->copy(v);
        EXPECT_EQ(copy, v) << "a copy is the same object";
        type->destroy(copy);
        type->destroy(v);
        EXPECT_EQ(line->getReferenceCount(), refs) << "each destroy released exactly one reference";
    }
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "HandleOrEmpty");
    nyro::COSDataType* type = vxtest::type("HandleOrEmpty");
    COSValue v;
    EXPECT_EQ(vxtest::errorOf([&] { v = mc->from(slot(a.get())); }), c.handleOrEmpty != Holds::Error ? ""
              : "datatypes:HandleOrEmpty The value set for this property must be a valid VX handle.");
    if (c.handleOrEmpty == Holds::Error)
        return;
    gui_objects::QxArrayPtr back(nyro::pointerValue<qxArray*>(mc->to(v)));
    ASSERT_TRUE(omIsNYRO(back.get()));
    EXPECT_EQ(qxGetArrayScope(back.get()), 0) << "the external form is a temporary";
    if (c.handleOrEmpty == Holds::Nothing)
        EXPECT_TRUE(qxIsEmpty(back.get()) && std::string(qxGetObjectClassName(back.get())) == "handle");
    else
        EXPECT_EQ(omGetArrayElement(back.get(), 0), line.get());
    EXPECT_EQ(type->isEqual(v, type->getDefaultValue()), c.handleOrEmpty == Holds::Nothing);
    COSValue copy = type->copy(v);
    EXPECT_TRUE(type->isEqual(copy, v));
    type->destroy(copy);
    type->destroy(v);
}

using H = Holds;
INSTANTIATE_TEST_SUITE_P(
    Arrays, ReferenceFrom,
    ::testing::Values(
        FromCase{"Null", [](const References*) -> qxArray* { return nullptr; }, H::Nothing, H::Nothing},
        FromCase{"Handle", [](const References* t) { return qxCreateDoubleScalar(t->lineHandle()); }, H::Line, H::Line},
        FromCase{"TwoHandles", [](const References* t) { return vxtest::rowVector({t->lineHandle(), 1}); }, H::Line, H::Error},
        FromCase{"UnknownHandle", [](const References*) { return qxCreateDoubleScalar(12345.5); }, H::Nothing, H::Error},
        FromCase{"HandleOfDeletedObject", [](const References* t) { return qxCreateDoubleScalar(t->deletedHandle()); }, H::Unchecked, H::Error},
        FromCase{"EmptyDouble", [](const References*) { return qxCreateDoubleMatrix(0, 0, qxREAL); }, H::Nothing, H::Nothing},
        FromCase{"ObjectScalar", [](const References* t) { return omCreateNYROScalar(t->lineObject()); }, H::Line, H::Line},
        FromCase{"EmptyObjects", [](const References*) { return omCreateNYROEmpty("handle"); }, H::Nothing, H::Nothing},
        FromCase{"UnsetObject", [](const References*) { return omCreateNYROMatrix(1, 1, "handle"); }, H::Nothing, H::Nothing},
        FromCase{"EmptyText", [](const References*) { return qxCreateString(""); }, H::Nothing, H::Nothing},
        FromCase{"Letter", [](const References*) { return qxCreateString("a"); }, H::Nothing, H::Error},
        FromCase{"TwoObjects", [](const References* t) { qxArray* a = omCreateNYROMatrix(1, 2, "handle"); omSetArrayElement(a, 0, t->lineObject()); return a; }, H::Line, H::Error}),
    [](const auto& info) { return std::string(info.param.name); });

// The array a COSInterface value reads back as: "class MxN" and its objects.
using Objects = std::pair<std::string, std::vector<COSInterface*>>;
Objects objectsOf(COSValue v)
{
    gui_objects::QxArrayPtr a(nyro::pointerValue<qxArray*>(vxtest::conversion("any", "COSInterface")->to(v)));
    Objects out{std::string(qxGetObjectClassName(a.get())) + " " + std::to_string(qxGetM(a.get())) + "x" +
                    std::to_string(qxGetN(a.get())), {}};
    for (qxSize i = 0; i < qxGetNumberOfElements(a.get()); ++i)
        out.second.push_back(omGetArrayElement(a.get(), i));
    return out;
}

TEST_F(References, COSInterfaceReadsBackAsTheObjectsItStandsFor)
{
    EXPECT_EQ(objectsOf(COSValue()), Objects("handle 0x0", {}));
    EXPECT_EQ(objectsOf(slot(line.get())), Objects("vx.Line 1x1", {line.get()}));
    COSInterfacePtr group = make("vx.Group"), third = make("ui.Figure");
    group->setMembers({other, line, third});
    EXPECT_EQ(objectsOf(slot(group.get())), Objects("handle 1x3", {other.get(), line.get(), third.get()}));
    group->setMembers({line});
    EXPECT_EQ(objectsOf(slot(group.get())), Objects("vx.Group 1x1", {line.get()})) << "one member: the object's own class";
    EXPECT_EQ(vxtest::type("COSInterface")->compare(slot(line.get()), slot(other.get())), 2);
    EXPECT_TRUE(vxtest::conversion("string", "COSInterface")->from(slot("x")).isNull()) << "no text form";
}

// ---- HandleOrEmpty ----------------------------------------------------------------

TEST_F(References, AHandleOrEmptyOfADeletedObjectReadsBackEmptyFromThenOn)
{
    gui_objects::QxArrayPtr h(qxCreateDoubleScalar(other->getDoubleHandle()));
    line->setFromArray("Peer", h.get());
    auto* value = datatypes::HandleOrEmptyDataType::valueOf(vxtest::prop(line.get(), "Peer")->getValue(line.get()));
    h.release();
    qxReclaimTemporaries(); // the held array outlives the host call
    EXPECT_EQ(omGetArrayElement(value->getHandle(), 0), other.get());
    other->deleteObject();
    EXPECT_GT(other->getReferenceCount(), 1) << "the value still holds a reference";
    gui_objects::QxArrayPtr back(line->getAsArray("Peer"));
    EXPECT_TRUE(omIsNYRO(back.get()) && qxIsEmpty(back.get()));
    EXPECT_STREQ(qxGetObjectClassName(back.get()), "handle");
    const qxArray* now = value->getHandle();
    EXPECT_TRUE(qxIsEmpty(now)) << "the value itself was emptied";
    EXPECT_EQ(value->getHandle(), now) << "and stays so without being rebuilt";
    EXPECT_EQ(other->getReferenceCount(), 2) << "the test's pointer and the handle record remain";
}

TEST_F(References, HandleOrEmptyEqualityAndTextForms)
{
    using datatypes::HandleOrEmpty;
    gui_objects::QxArrayPtr a(qxCreateDoubleScalar(lineHandle())), b(omCreateNYROScalar(line.get()));
    gui_objects::QxArrayPtr c(omCreateNYROScalar(other.get()));
    HandleOrEmpty x(a.get()), y(b.get()), z(c.get()), empty(nullptr), empty2(nullptr), w(empty);
    EXPECT_TRUE(x == y) << "by handle or by object array, the same object";
    EXPECT_FALSE(x == z || x == empty);
    EXPECT_TRUE(empty == empty2);
    w = x;
    const HandleOrEmpty& self = w; // assigning a value to itself, through another name
    w = self;
    EXPECT_TRUE(w == x);
    auto sc = vxtest::conversion("string", "HandleOrEmpty");
    EXPECT_EQ(vxtest::errorOf([&] { sc->from(slot("1")); }), "datatypes:HandleOrEmpty String to data type conversion is not allowed");
    EXPECT_EQ(vxtest::raisedBy([&] { sc->to(COSValue()); }).value_or(vxtest::Raised{}).message,
              "Data type to string conversion is not allowed");
}

// ---- JavaPeer ---------------------------------------------------------------------

TEST_F(References, JavaPeersAreEqualOnlyForTheIdenticalReferenceWhichTheyDoNotOwn)
{
    nyro::COSTypeConversion* mc = vxtest::conversion("any", "JavaPeer");
    nyro::COSDataType* type = vxtest::type("JavaPeer");
    std::size_t references = javabridge::liveReferences();
    gui_objects::QxArrayPtr text(qxCreateString("peer"));
    COSValue a = mc->from(slot(text.get())), b = mc->from(slot(text.get())), copy = type->copy(a);
    EXPECT_STREQ(javabridge::objectOf(datatypes::JavaPeerDataType::valueOf(a)->get_jobject())->javaClass(), "java.lang.String");
    EXPECT_FALSE(type->isEqual(a, b)) << "two references, though to equal objects";
    EXPECT_EQ(type->compare(a, b), 2);
    EXPECT_NE(copy, a);
    EXPECT_TRUE(type->isEqual(copy, a)) << "a copy holds the identical reference";
    gui_objects::QxArrayPtr back(nyro::pointerValue<qxArray*>(mc->to(a)));
    EXPECT_EQ(qxArrayToStdString(back.get()), "peer");
    gui_objects::QxArrayPtr none(nyro::pointerValue<qxArray*>(mc->to(COSValue())));
    EXPECT_TRUE(qxIsDouble(none.get()) && qxIsEmpty(none.get()));
    EXPECT_TRUE(mc->from(COSValue()).isNull());
    EXPECT_TRUE(vxtest::conversion("string", "JavaPeer")->from(slot("x")).isNull());
    for (COSValue v : {copy, a, b})
        type->destroy(v);
    EXPECT_EQ(javabridge::liveReferences(), references + 2) << "the values do not own their references";
}

// ---- out of memory ----------------------------------------------------------------

TEST_F(References, ValueAllocationFailureThrowsAndLeavesNothingBehind)
{
    gui_objects::QxArrayPtr empty(omCreateNYROEmpty("handle")), peer(qxCreateString("peer"));
    const std::tuple<const char*, const char*, COSValue> inputs[] = {
        {"any", "HandleOrEmpty", slot(empty.get())}, {"any", "JavaPeer", slot(peer.get())}, {"string", "Callback", slot("go")}};
    for (const auto& [foreign, type, input] : inputs) {
        std::size_t references = javabridge::liveReferences();
        long blocks = ut::test::liveBlocks();
        {
            // The first allocation may be the value's or a host array's: either
            // way the out-of-memory error, the object system's or the host's.
            ut::test::AllocationFailure fail(1);
            nyro::COSTypeConversion* conversion = vxtest::conversion(foreign, type);
            const COSValue in = input;
            auto raised = vxtest::raisedBy([&] { conversion->from(in); });
            ASSERT_TRUE(raised) << type;
            EXPECT_EQ(raised->message, "Out of memory. Type HELP MEMORY for your options.") << type;
        }
        EXPECT_EQ(ut::test::liveBlocks(), blocks) << type;
        EXPECT_EQ(javabridge::liveReferences(), references) << type;
    }
}

} // namespace
