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
using vxtest::prop;

// What the executor saw of one run.
struct CallbackRun {
    std::string statement;
    COSInterface* source = nullptr;
    std::string sourceClass;
    std::string eventName;
    std::size_t args = 0;
};

class RecordingExecutor : public gui_objects::CallbackExecutor {
public:
    std::vector<CallbackRun> runs;
    bool raise = false;
    std::function<void()> during;
    void evaluate(const std::string& statement, const std::vector<const qxArray*>& args) override
    {
        CallbackRun r;
        r.statement = statement;
        r.args = args.size();
        r.source = omGetArrayElement(args[0], 0);
        r.sourceClass = qxGetObjectClassName(args[0]);
        const qxArray* name = qxGetFieldByNumber(args[1], 0, qxGetFieldNumber(args[1], "EventName"));
        r.eventName = qxArrayToStdString(name);
        runs.push_back(r);
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
    static void setCallback(COSInterface* obj, const char* property, const char* statement)
    {
        gui_objects::QxArrayPtr text(qxCreateString(statement));
        obj->setFromArray(property, text.get());
    }
    RecordingExecutor executor;
};

nyro::COSTypeConversion* callbackArrays() { return vxtest::conversion("any", "Callback"); }

// ---- converters -----------------------------------------------------------------

struct FromCase {
    const char* name;
    qxArray* (*make)();
    bool valid;
};

class CallbackFromArray : public vxtest::HostTest, public ::testing::WithParamInterface<FromCase> {};

TEST_P(CallbackFromArray, AcceptsCallbacksAndRefusesTheRestWithItsMessage)
{
    gui_objects::QxArrayPtr a(GetParam().make());
    COSValue v;
    auto raised = vxtest::raisedBy([&] { v = callbackArrays()->from(COSValue::fromPointer(a.get())); });
    nyro::COSDataType* type = vxtest::type("Callback");
    EXPECT_EQ(raised ? raised->id + " " + raised->message : "", GetParam().valid ? "" : "KELDAR:GUI:CreateCallback "
              "Callback value must be a string, a function handle, or a cell array containing string or function handle");
    if (!GetParam().valid)
        return;
    ASSERT_FALSE(v.isNull());
    gui_objects::QxArrayPtr back(nyro::pointerValue<qxArray*>(callbackArrays()->to(v)));
    COSValue again = callbackArrays()->from(COSValue::fromPointer(back.get()));
    EXPECT_TRUE(type->isEqual(v, again)) << "reads back as what converts to the same callback";
    COSValue copy = type->copy(v);
    EXPECT_NE(copy, v);
    EXPECT_EQ(type->compare(copy, v), 0);
    for (COSValue x : {copy, again, v})
        type->destroy(x);
}

qxArray* statementAndArgument()
{
    qxArray* c = qxCreateCellMatrix(1, 2);
    qxSetCell(c, 0, qxCreateString("go"));
    qxSetCell(c, 1, qxCreateDoubleScalar(3));
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Arrays, CallbackFromArray,
    ::testing::Values(FromCase{"Statement", [] { return qxCreateString("go"); }, true},
                      FromCase{"Empty", [] { return qxCreateDoubleMatrix(0, 0, qxREAL); }, true},
                      FromCase{"Cell", &statementAndArgument, true},
                      FromCase{"Number", [] { return qxCreateDoubleScalar(1); }, false},
                      FromCase{"CellOfNumbers", [] { return qxCreateCellMatrix(1, 1); }, false},
                      FromCase{"Logical", [] { return qxCreateLogicalScalar(false); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallbackProperty, NullAndTextForms)
{
    EXPECT_TRUE(callbackArrays()->from(COSValue()).isNull()) << "no array, no callback";
    gui_objects::QxArrayPtr none(nyro::pointerValue<qxArray*>(callbackArrays()->to(COSValue())));
    EXPECT_EQ(qxGetClassID(none.get()), qxCHAR_CLASS);
    EXPECT_TRUE(qxIsEmpty(none.get()));
    nyro::COSTypeConversion* text = vxtest::conversion("string", "Callback");
    COSValue v = text->from(COSValue::fromPointer("go"));
    EXPECT_TRUE(text->to(v).isNull()) << "a callback has no text form";
    gui_objects::QxArrayPtr a(nyro::pointerValue<qxArray*>(callbackArrays()->to(v)));
    EXPECT_EQ(qxArrayToStdString(a.get()), "go");
    nyro::COSDataType* type = vxtest::type("Callback");
    EXPECT_TRUE(type->getDefaultValue().isNull());
    EXPECT_FALSE(type->isEqual(v, COSValue()));
    type->destroy(v);
}

// ---- listeners ------------------------------------------------------------------

struct StopCase {
    const char* name;
    bool classListener;   // made by createClassListener
    const char* property; // the property the listener names
    const char* set;      // statement stored in ButtonDownFcn (null: none)
    bool plainEvent;      // fire a plain event at the listener directly
    int runs;
};

class ListenerRules : public CallbackProperty, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ListenerRules, RunOrStopSilently)
{
    const StopCase& c = GetParam();
    COSInterfacePtr line = make("vx.Line");
    if (c.set)
        setCallback(line.get(), "ButtonDownFcn", c.set);
    nyro::COSListenerPtr listener =
        c.classListener ? datatypes::createClassListener(c.property) : datatypes::createListener(c.property);
    COSNameID click("Click");
    if (c.plainEvent) {
        nyro::COSEventData event(line.get(), click);
        listener->execute(&event);
    } else if (c.classListener) {
        nyro::COSClass::find("vx.Line")->addListener(click, listener);
        line->fireEvent(click);
    } else {
        line->addListener(click, listener);
        line->fireEvent(click);
    }
    ASSERT_EQ(executor.runs.size(), std::size_t(c.runs));
    if (c.runs) {
        const CallbackRun& r = executor.runs[0];
        EXPECT_EQ(r.statement, c.set);
        EXPECT_EQ(r.source, line.get());
        EXPECT_EQ(r.sourceClass, "vx.Line");
        EXPECT_EQ(r.eventName, "Click");
        EXPECT_EQ(r.args, 2u);
    }
    EXPECT_EQ(line->getReferenceCount(), 1) << "the source array was released";
}

INSTANTIATE_TEST_SUITE_P(
    Listeners, ListenerRules,
    ::testing::Values(StopCase{"Runs", false, "ButtonDownFcn", "go", false, 1},
                      StopCase{"ClassRuns", true, "ButtonDownFcn", "go", false, 1},
                      StopCase{"ObjectListenerOnPlainEvent", false, "ButtonDownFcn", "go", true, 1},
                      StopCase{"NoSuchProperty", false, "KeyPressFcn", "go", false, 0},
                      StopCase{"NotACallback", false, "Visible", "go", false, 0},
                      StopCase{"NoCallbackSet", false, "ButtonDownFcn", nullptr, false, 0},
                      StopCase{"EmptyCallback", false, "ButtonDownFcn", "", false, 0},
                      StopCase{"ClassListenerOnPlainEvent", true, "ButtonDownFcn", "go", true, 0}),
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
    setCallback(line.get(), "ButtonDownFcn", "fail");
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
    setCallback(line.get(), "ButtonDownFcn", "first");
    line->addListener(COSNameID("Click"), datatypes::createListener("ButtonDownFcn"));
    executor.during = [&] {
        setCallback(line.get(), "ButtonDownFcn", "second");
        line->deleteObject();
    };
    line->fireEvent(COSNameID("Click"));
    ASSERT_EQ(executor.runs.size(), 1u);
    EXPECT_FALSE(line->isValid());
    EXPECT_EQ(line->getReferenceCount(), 1);
}

TEST_F(CallbackProperty, FunctionHandleCallbacksGetSourceEventDataAndExtraArguments)
{
    struct Seen {
        COSInterface* source = nullptr;
        std::string event;
        double extra = 0;
        int nargs = 0;
    } seen;
    qxRegisterFunction(
        "onClose",
        [](void* ctx, int nargs, const qxArray* const* args) -> qxArray* {
            auto* s = static_cast<Seen*>(ctx);
            s->nargs = nargs;
            s->source = omGetArrayElement(args[0], 0);
            s->event = qxArrayToStdString(qxGetFieldByNumber(args[1], 0, qxGetFieldNumber(args[1], "EventName")));
            s->extra = *qxGetPr(args[2]);
            return nullptr;
        },
        &seen);
    gui_objects::setCallbackExecutor(nullptr); // function handles run through the host's function table
    COSInterfacePtr fig = make("ui.Figure");
    gui_objects::QxArrayPtr cell(qxCreateCellMatrix(1, 2));
    qxSetCell(cell.get(), 0, qxCreateFunctionHandle("onClose"));
    qxSetCell(cell.get(), 1, qxCreateDoubleScalar(7));
    fig->setFromArray("CloseRequestFcn", cell.get());
    nyro::COSClass::find("ui.Figure")
        ->addListener(COSNameID("CloseRequest"), datatypes::createClassListener("CloseRequestFcn"));
    fig->fireEvent(COSNameID("CloseRequest"));
    EXPECT_EQ(seen.nargs, 3);
    EXPECT_EQ(seen.source, fig.get());
    EXPECT_EQ(seen.event, "CloseRequest");
    EXPECT_EQ(seen.extra, 7.0);
}

} // namespace
