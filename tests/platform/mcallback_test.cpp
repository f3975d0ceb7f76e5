// Callbacks of the GUI-objects library: what is a callback, equality, and
// running one through the host's executor or function table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_objects/callback.h"
#include "support/host_fixture.h"
#include "support/text_arrays.h"

namespace {

using gui_objects::MCallback;
using Kind = MCallback::Kind;

qxArray* identity(void*, int, const qxArray* const*) { return nullptr; }

// Records every call and the arguments it received, as texts.
struct Recorder : gui_objects::CallbackExecutor {
    std::vector<std::string> calls;
    void evaluate(const std::string& statement, const std::vector<const qxArray*>& args) override
    {
        calls.push_back("eval " + statement + describe(args));
    }
    void call(const qxArray* fn, const std::vector<const qxArray*>& args) override
    {
        calls.push_back(std::string("call ") + qxGetFunctionName(fn) + describe(args));
        CallbackExecutor::call(fn, args);
    }
    static std::string describe(const std::vector<const qxArray*>& args)
    {
        std::string out;
        for (const qxArray* a : args)
            out += ' ' + (a ? qxFormatArray(a) : std::string("null"));
        return out;
    }
};

class CallbackTest : public vxtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        qxRegisterFunction("noop", &identity, nullptr);
    }
    void TearDown() override
    {
        gui_objects::setCallbackExecutor(nullptr);
        HostTest::TearDown();
    }
};

qxArray* cellOf(std::initializer_list<qxArray*> items)
{
    qxArray* c = qxCreateCellMatrix(1, items.size());
    qxSize i = 0;
    for (qxArray* item : items)
        qxSetCell(c, i++, item);
    return c;
}

struct KindCase {
    const char* name;
    qxArray* (*make)();
    bool valid;
    Kind kind;
};

class CallbackKinds : public CallbackTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(CallbackKinds, ValidCallbacksKeepWhatWasGiven)
{
    const KindCase& c = GetParam();
    gui_objects::QxArrayPtr a(c.make());
    if (!c.valid) {
        EXPECT_THROW(MCallback{a.get()}, gui_objects::InvalidCallbackException);
        return;
    }
    MCallback cb(a.get());
    EXPECT_EQ(cb.kind(), c.kind);
    gui_objects::QxArrayPtr back(cb.convertToKeldarArray());
    if (c.kind == Kind::Empty)
        EXPECT_EQ(qxGetClassID(back.get()), qxCHAR_CLASS) << "no callback reads back as ''";
    else
        EXPECT_TRUE(qxAreMatricesEqual(back.get(), a.get()));
    a.release();
    back.release();
    qxReclaimTemporaries();
    MCallback copy(cb);
    EXPECT_TRUE(copy.isEqual(&cb)) << "the kept array outlived the host call";
}

// Texts and empty arrays of any class are statements (empty: none); a cell's first element runs.
INSTANTIATE_TEST_SUITE_P(
    Arrays, CallbackKinds,
    ::testing::Values(
        KindCase{"Statement", [] { return qxCreateString("disp(1)"); }, true, Kind::Statement},
        KindCase{"EmptyText", [] { return qxCreateString(""); }, true, Kind::Empty},
        KindCase{"EmptyDouble", [] { return qxCreateDoubleMatrix(0, 0, qxREAL); }, true, Kind::Empty},
        KindCase{"EmptyCell", [] { return qxCreateCellMatrix(0, 0); }, true, Kind::Empty},
        KindCase{"FunctionHandle", [] { return qxCreateFunctionHandle("noop"); }, true, Kind::Function},
        KindCase{"CellStatement", [] { return cellOf({qxCreateString("f"), qxCreateDoubleScalar(1)}); }, true, Kind::Cell},
        KindCase{"CellFunction", [] { return cellOf({qxCreateFunctionHandle("noop"), qxCreateString("x")}); }, true, Kind::Cell},
        KindCase{"CharMatrix", [] { return vxtest::literal("['ab';'cd']"); }, false, Kind::Empty},
        KindCase{"Number", [] { return qxCreateDoubleScalar(5); }, false, Kind::Empty},
        KindCase{"CellOfNumber", [] { return cellOf({qxCreateDoubleScalar(5)}); }, false, Kind::Empty},
        KindCase{"CellOfEmptyText", [] { return cellOf({qxCreateString("")}); }, false, Kind::Empty},
        KindCase{"CellUnset", [] { return qxCreateCellMatrix(1, 2); }, false, Kind::Empty},
        KindCase{"Null", []() -> qxArray* { return nullptr; }, false, Kind::Empty}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallbackTest, EqualityIsKindAndContents)
{
    gui_objects::QxArrayPtr f(qxCreateString("f")), g(qxCreateString("g")), fh(qxCreateFunctionHandle("noop"));
    gui_objects::QxArrayPtr cell(cellOf({qxCreateString("f")}));
    MCallback a(f.get()), b(f.get()), c(g.get()), d(fh.get()), k(cell.get());
    EXPECT_TRUE(a.isEqual(&b));
    EXPECT_FALSE(a.isEqual(&c));
    EXPECT_FALSE(a.isEqual(&d));
    EXPECT_FALSE(a.isEqual(&k)) << "a statement and a cell holding it differ";
    EXPECT_FALSE(a.isEqual(nullptr));
}

TEST_F(CallbackTest, ExecuteHandsSourceEventDataAndExtrasToTheExecutor)
{
    Recorder rec;
    gui_objects::setCallbackExecutor(&rec);
    gui_objects::QxArrayPtr src(qxCreateDoubleScalar(1)), data(qxCreateDoubleScalar(2));
    gui_objects::QxArrayPtr text(qxCreateString("disp(1)")), fh(qxCreateFunctionHandle("noop"));
    gui_objects::QxArrayPtr cell(cellOf({qxCreateFunctionHandle("noop"), qxCreateString("x"), nullptr}));
    gui_objects::QxArrayPtr empty(qxCreateString(""));
    for (const qxArray* a : {text.get(), fh.get(), cell.get(), empty.get()})
        MCallback(a).execute(src.get(), data.get());
    std::unique_ptr<MCallback>(MCallback::createFromString("go"))->execute(src.get(), nullptr);
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"eval disp(1) [1] [2]", "call noop [1] [2]",
                                                   "call noop [1] [2] x []", "eval go [1] null"}));
}

TEST_F(CallbackTest, WithoutAnExecutorFunctionsRunAndStatementsRaise)
{
    int calls = 0;
    qxRegisterFunction(
        "count", [](void* ctx, int nargs, const qxArray* const*) -> qxArray* {
            *static_cast<int*>(ctx) += nargs;
            return qxCreateDoubleScalar(0);
        },
        &calls);
    gui_objects::QxArrayPtr fh(qxCreateFunctionHandle("count"));
    qxSize before = qxCountTemporaries();
    MCallback(fh.get()).execute(nullptr, nullptr);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(qxCountTemporaries(), before) << "the function's result was released";
    std::unique_ptr<MCallback> text(MCallback::createFromString("go"));
    EXPECT_EQ(vxtest::idOf([&] { text->execute(nullptr, nullptr); }), "KELDAR:GUI:CallbackExecutor:None");
}

TEST_F(CallbackTest, FunctionHandlesPrintAndCompareByName)
{
    qxRegisterFunction("other", &identity, nullptr);
    gui_objects::QxArrayPtr a(qxCreateFunctionHandle("noop")), b(qxCreateFunctionHandle("noop"));
    gui_objects::QxArrayPtr copy(qxDuplicateArray(qxCreateFunctionHandle("other")));
    EXPECT_EQ(qxFormatArray(a.get()), "@noop");
    EXPECT_TRUE(qxAreMatricesEqual(a.get(), b.get()));
    EXPECT_FALSE(qxAreMatricesEqual(a.get(), copy.get()));
    EXPECT_STREQ(qxGetFunctionName(copy.get()), "other");
    EXPECT_EQ(qxGetFunctionName(qxCreateDoubleScalar(1)), nullptr);
    EXPECT_EQ(vxtest::errorOf([] { qxCreateFunctionHandle("nowhere"); }),
              "KELDAR:qx:UndefinedFunction Undefined function 'nowhere'.");
}

} // namespace
