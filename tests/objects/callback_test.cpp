// The callback property type and the listeners that run callbacks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gui_objects/gui_objects.h"
#include "objects/callback.h"
#include "support/object_classes.h"

namespace {

using nyro::COSInterface;
using nyro::COSInterfacePtr;
using nyro::COSNameID;
using nyro::COSValue;
using vxtest::make;

// Records each run as "statement source-class event-name argument-count" and its source.
class RecordingExecutor : public gui_objects::CallbackExecutor {
public:
    std::vector<std::string> runs;
    COSInterface* source = nullptr;
    bool raise = false;
    std::function<void()> during;
    void evaluate(const std::string& statement, const std::vector<const qxArray*>& args) override
    {
        source = omGetArrayElement(args[0], 0);
        const qxArray* event = qxGetFieldByNumber(args[1], 0, qxGetFieldNumber(args[1], "EventName"));
        runs.push_back(statement + " " + qxGetObjectClassName(args[0]) + " " + qxArrayToStdString(event) + " " +
                       std::to_string(args.size()));
        if (during)
            during();
        if (raise)
            qxErrMsgIdAndTxt("test:CallbackRaised", "the callback %s raised", statement.c_str());
    }
};

class CallbackProperty : public vxtest::ObjectTest {
protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        gui_objects::setCallbackExecutor(&executor);
    }
    void TearDown() override
    {
        gui_objects::setCallbackExecutor(nullptr);
        ObjectTest::TearDown();
    }
    static void setCallback(COSInterface* obj, const char* statement)
    {
        gui_objects::QxArrayPtr text(qxCreateString(statement));
        obj->setFromArray("ButtonDownFcn", text.get());
    }
    RecordingExecutor executor;
};

nyro::COSTypeConversion* callbackArrays() { return vxtest::conversion("any", "Callback"); }

// ---- converters -----------------------------------------------------------------

TEST_F(CallbackProperty, ArraysConvertBothWaysTheRestIsRefusedAndTheNullValueIsAnEmptyText)
{
    nyro::COSDataType* type = vxtest::type("Callback");
    qxArray* cell = qxCreateCellMatrix(1, 2);
    qxSetCell(cell, 0, qxCreateString("go"));
    qxSetCell(cell, 1, qxCreateDoubleScalar(3));
    for (qxArray* made : {qxCreateString("go"), cell}) {
        gui_objects::QxArrayPtr a(made);
        COSValue v = callbackArrays()->from(COSValue::fromPointer(a.get()));
        gui_objects::QxArrayPtr back(nyro::pointerValue<qxArray*>(callbackArrays()->to(v)));
        EXPECT_TRUE(qxAreMatricesEqual(a.get(), back.get())) << qxGetClassName(a.get());
        COSValue copy = type->copy(v);
        EXPECT_NE(copy, v);
        EXPECT_EQ(type->compare(copy, v), 0);
        EXPECT_FALSE(type->isEqual(v, COSValue()));
        type->destroy(copy);
        type->destroy(v);
    }
    gui_objects::QxArrayPtr number(qxCreateDoubleScalar(1));
    EXPECT_EQ(vxtest::errorOf([&] { callbackArrays()->from(COSValue::fromPointer(number.get())); }), "KELDAR:GUI:CreateCallback Callback value must be a "
              "string, a function handle, or a cell array containing string or function handle");
    EXPECT_TRUE(callbackArrays()->from(COSValue()).isNull()) << "no array, no callback";
    EXPECT_TRUE(type->getDefaultValue().isNull());
    gui_objects::QxArrayPtr none(nyro::pointerValue<qxArray*>(callbackArrays()->to(COSValue())));
    EXPECT_TRUE(qxIsChar(none.get()) && qxIsEmpty(none.get()));
    nyro::COSTypeConversion* text = vxtest::conversion("string", "Callback");
    COSValue v = text->from(COSValue::fromPointer("go"));
    EXPECT_TRUE(text->to(v).isNull()) << "a callback has no text form";
    gui_objects::QxArrayPtr a(nyro::pointerValue<qxArray*>(callbackArrays()->to(v)));
    EXPECT_EQ(qxArrayToStdString(a.get()), "go");
    type->destroy(v);
}

// ---- listeners ------------------------------------------------------------------

struct StopCase {
    const char* name;
    bool classListener;   // made by createClassListener
    const char* property; // the property the listener names
    const char* set;      // statement stored in ButtonDownFcn (null: none)
    bool plainEvent;      // fire a plain event at the listener directly
    bool runs;
};

class ListenerRules : public CallbackProperty, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ListenerRules, RunOrStopSilently)
{
    const StopCase& c = GetParam();
    COSInterfacePtr line = make("vx.Line");
    if (c.set)
        setCallback(line.get(), c.set);
    nyro::COSListenerPtr listener =
        c.classListener ? datatypes::createClassListener(c.property) : datatypes::createListener(c.property);
    COSNameID click("Click");
    if (c.plainEvent) {
        nyro::COSEventData event(line.get(), click);
        listener->execute(&event);
    } else {
        if (c.classListener)
            nyro::COSClass::find("vx.Line")->addListener(click, listener);
        else
            line->addListener(click, listener);
        line->fireEvent(click);
    }
    EXPECT_EQ(executor.runs, c.runs ? std::vector<std::string>{"go vx.Line Click 2"} : std::vector<std::string>{});
    EXPECT_EQ(executor.source, c.runs ? line.get() : nullptr);
    EXPECT_EQ(line->getReferenceCount(), 1) << "the source array was released";
}

INSTANTIATE_TEST_SUITE_P(
    Listeners, ListenerRules,
    ::testing::Values(StopCase{"Runs", false, "ButtonDownFcn", "go", false, true},
                      StopCase{"ClassRuns", true, "ButtonDownFcn", "go", false, true},
                      StopCase{"ObjectListenerOnPlainEvent", false, "ButtonDownFcn", "go", true, true},
                      StopCase{"NoSuchProperty", false, "KeyPressFcn", "go", false, false},
                      StopCase{"NotACallback", false, "Peer", "go", false, false},
                      StopCase{"NoCallbackSet", false, "ButtonDownFcn", nullptr, false, false},
                      StopCase{"EmptyCallback", false, "ButtonDownFcn", "", false, false},
                      StopCase{"ClassListenerOnPlainEvent", true, "ButtonDownFcn", "go", true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallbackProperty, NoEventAndNoSourceDoNothing)
{
    nyro::COSListenerPtr listener = datatypes::createListener("ButtonDownFcn");
    listener->getOp()->execute(nullptr);
    nyro::COSEventData sourceless(nullptr, COSNameID("Click"));
    listener->execute(&sourceless);
    EXPECT_TRUE(executor.runs.empty());
}

TEST_F(CallbackProperty, ACallbackThatRaisesReleasesItsArraysAndPassesTheError)
{
    COSInterfacePtr line = make("vx.Line");
    setCallback(line.get(), "fail");
    line->addListener(COSNameID("Click"), datatypes::createListener("ButtonDownFcn"));
    executor.raise = true;
    qxSize temporaries = qxCountTemporaries();
    auto raised = vxtest::raisedBy([&] { line->fireEvent(COSNameID("Click")); });
    EXPECT_EQ(raised.value_or(vxtest::Raised{}).message, "the callback fail raised");
    EXPECT_EQ(qxCountTemporaries(), temporaries) << "source and event data arrays were destroyed";
    EXPECT_EQ(line->getReferenceCount(), 1);
}

TEST_F(CallbackProperty, ACallbackMayReplaceOrDeleteWhatHoldsIt)
{
    COSInterfacePtr line = make("vx.Line");
    setCallback(line.get(), "first");
    line->addListener(COSNameID("Click"), datatypes::createListener("ButtonDownFcn"));
    executor.during = [&] {
        setCallback(line.get(), "second");
        line->deleteObject();
    };
    line->fireEvent(COSNameID("Click"));
    ASSERT_EQ(executor.runs.size(), 1u);
    EXPECT_FALSE(line->isValid());
    EXPECT_EQ(line->getReferenceCount(), 1);
}

} // namespace
