// The console as a fuller graphics host: class defaults, property listeners,
// the object tree, and saving and loading trees. Sessions run the built
// program (console_runner.h); the round trip and the sharing of a default's
// elements are checked in-process, where the objects themselves are at hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "console_runner.h"
#include "session.h"

namespace vxtest {

#define LINE_WIDTH(v) R"({"ok":true,"value":{"class":"double","size":[1,1],"data":[)" #v R"(]},"text":")" #v R"("})"
#define DEFAULT_WIDTH(v) R"({"ok":true,"value":{"class":"double","size":[1,1],"data":[)" #v "]}}"
#define AMBIGUOUS_DEFAULT                                                                                              \
    R"({"ok":false,"id":"KELDAR:datatypes:RGBAColor:AmbiguousName","message":"Color table contains several names that match the specified string.")" COLOR_HINT R"(,"output":"datatypes::ColorNameTable::getColorValue ambiguous name: default\n"})"

INSTANTIATE_TEST_SUITE_P(
    Defaults, Session,
    ::testing::Values(
        Scenario{"NewObjectsTakeTheNearestDefault",
                 {{"set(groot, 'DefaultLineLineWidth', 3)", R"({"ok":true,"set":["DefaultLineLineWidth"]})"},
                  {"h = figure", FIG},
                  {"h.DefaultLineLineWidth = 4", "*"},
                  {"ax = axes(h)", AXES},
                  {"ax.defaultlinelinewidth = 5", R"({"ok":true,"set":["DefaultLineLineWidth"]})"},
                  {"get(line(ax), 'LineWidth')", LINE_WIDTH(5)},
                  {"get(line(axes(figure)), 'LineWidth')", LINE_WIDTH(3)},
                  // 'remove' drops the axes' own: the figure's is the nearest now.
                  {"set(ax, 'DefaultLineLineWidth', 'remove')", "*"},
                  {"ax.DefaultLineLineWidth", DEFAULT_WIDTH(4)},
                  {"get(line(ax), 'LineWidth')", LINE_WIDTH(4)},
                  // 'factory' is the class's own default, not the type's.
                  {"set(groot, 'DefaultLineLineWidth', 'factory')", "*"},
                  {"groot.DefaultLineLineWidth", DEFAULT_WIDTH(0.5)}}},
        Scenario{"DefaultsAreCheckedByTheirTypeAndOnlyTheyTakeTheSpecialWords",
                 {{"set(groot, 'DefaultAxesXLim', [1 0])", NOT_INCREASING_HINTED},
                  {"groot.DefaultAxesXLim", R"({"ok":true,"value":{"class":"double","size":[1,2],"data":[0,1]}})"},
                  {"set(groot, 'DefaultLineColor', 'default')", AMBIGUOUS_DEFAULT},
                  {"l = line", "*"},
                  {"l.Color = 'default'", AMBIGUOUS_DEFAULT},
                  {"t = text(gca, 'String', 'remove')", "*"},
                  {"get(t, 'String')", R"({"ok":true,"value":{"class":"char","size":[1,6],"data":["remove"]}})"},
                  {"set(gcf, 'DefaultLineWidth', 1)",
                   R"(~"id":"vxhost:UnknownDefault","message":"There is no default DefaultLineWidth on the figure class: write Default, a class name and one of its properties, as in DefaultLineColor.)"},
                  {"l.DefaultLineColor",
                   R"({"ok":false,"id":"vxhost:UnknownProperty","message":"There is no DefaultLineColor property on the line class."})"}}}),
    scenarioName);

#define LISTENER(name, h) R"({"ok":true,"name":")" name R"(","value":{"handle":)" h R"(,"class":"listener"}})"

INSTANTIATE_TEST_SUITE_P(
    Listeners, Session,
    ::testing::Values(
        Scenario{"PreSetAndPostSetRunAroundTheSetAndAFailingOneUndoesNothing",
                 {{"ax = axes", AXES},
                  {"pre = addlistener(ax, 'XLim', 'PreSet', 'before = src.XLim')", LISTENER("pre", "6.0009765625")},
                  {"bad = addlistener(ax, 'XLim', 'PostSet', @(src, evt) set(src, 'YLim', evt.Property))",
                   LISTENER("bad", "7.0009765625")},
                  {"post = addlistener(ax, 'XLim', 'PostSet', 'after = [evt.EventName '' '' evt.Property]')",
                   LISTENER("post", "8.0009765625")},
                  {"ax.XLim = [0 5]",
                   R"({"ok":true,"set":["XLim"],"callbacks":[{"statement":"before = src.XLim","ok":true,"name":"before","value":{"class":"double","size":[1,2],"data":[0,1]}},{"listener":"PostSet XLim","ok":false,"id":"KELDAR:VX:TwoValuesIncreasingDimensions_N","message":"This is not a valid Limits value. The input must have 2 columns."},{"statement":"after = [evt.EventName ' ' evt.Property]","ok":true,"name":"after","value":{"class":"char","size":[1,12],"data":["PostSet XLim"]}}]})"},
                  {"ax.XLim", LIMITS("0", "5")},
                  {"ax.XLim = [5 0]", NOT_INCREASING_HINTED},
                  {"delete([pre bad])", R"({"ok":true,"deleted":[6.0009765625,7.0009765625]})"},
                  {"ax.YLim = [0 1]", R"({"ok":true,"set":["YLim"]})"},
                  {"ax.XLim = [0 6]", R"(~"callbacks":[{"statement":"after = [evt.EventName ' ' evt.Property]","ok":true)"},
                  // Deleting the object deletes its listeners.
                  {"delete(ax)", "*"},
                  {"ishandle(post)", LOGICAL(false)}}},
        Scenario{"ARefusedListenerMakesNothing",
                 {{"ax = axes", AXES},
                  {"addlistener(ax, 'XLim', 'Set', '')",
                   R"({"ok":false,"id":"vxhost:ListenerEvent","message":"A property listener hears 'PreSet' or 'PostSet', not 'Set'."})"},
                  {"addlistener(ax, 'XLim', 'PostSet', 42)",
                   R"({"ok":false,"id":"KELDAR:GUI:CreateCallback","message":"Callback value must be a string, a function handle, or a cell array containing string or function handle",)"
                   R"("hint":"Callback takes a statement as text or a char row; or a function handle, or a cell array of a function handle and its extra arguments"})"},
                  {"ishandle(6.0009765625)", LOGICAL(false)}}}),
    scenarioName);

INSTANTIATE_TEST_SUITE_P(
    Tree, Session,
    ::testing::Values(Scenario{
        "ChildrenAreWhatUsersMadeMostRecentFirst",
        {{"h = figure", FIG},
         {"ax = axes(h)", AXES},
         {"a = line(ax, 'Color', 'r')", "*"},
         {"b = line(ax)", "*"},
         {"lh = addlistener(b, 'Color', 'PostSet', '')", "*"},
         {"ax.Children", R"({"ok":true,"value":[{"handle":7.0009765625,"class":"line"},{"handle":6.0009765625,"class":"line"}]})"},
         {"ax.C", R"(~"id":"vxhost:AmbiguousProperty")"},
         {"ax.Chil = []",
          R"({"ok":false,"id":"vxhost:ReadOnly","message":"The Children property is read-only: set the Parent of each child instead."})"},
         {"size(h.Children)", R"({"ok":true,"value":{"class":"double","size":[1,2],"data":[1,1]}})"},
         {"isempty(b.Children)", LOGICAL(true)},
         {"findobj(h, 'Color', [1 0 0 1])", R"({"ok":true,"value":{"handle":6.0009765625,"class":"line"}})"},
         {"findobj(h, 'Color', 'b')", R"({"ok":true,"value":{"handle":7.0009765625,"class":"line"}})"},
         {"findobj(h, 'XLim', [0 1])", R"({"ok":true,"value":{"handle":1.0009765625,"class":"axes"}})"}}}),
    scenarioName);

// A file save would not write, each kind of damage: load makes nothing (the
// root keeps its children, the next figure takes the next number, the
// figure's DeleteFcn in the file never runs) and says why.
struct DamagedFile {
    const char* name;
    const char* content; // null: no file at all
    const char* answer;  // a part of load's answer
};

void PrintTo(const DamagedFile& d, std::ostream* os) { *os << d.name; }

class Load : public ::testing::TestWithParam<DamagedFile> {};

#define TREE(line)                                                                                                     \
    R"({"format":"vxhost objects","version":1,"object":{"class":"figure","properties":{"DeleteFcn":)"                 \
    R"({"class":"char","size":[1,8],"data":["ran = 1;"]}},"children":[{"class":"axes","children":[)" line "]}]}}"
#define LINE(props) R"({"class":"line","properties":{)" props "}}"

TEST_P(Load, RefusesADamagedFileAndMakesNothing)
{
    std::string file = "/tmp/vxhost-load-" + std::to_string(getpid()) + "-" + GetParam().name + ".json";
    if (GetParam().content)
        std::ofstream(file) << GetParam().content;
    ConsoleRun run = runConsole({"--json", "-e", "f = figure; numel(groot.Children)", "-e", "h = load('" + file + "')",
                                 "-e", "numel(groot.Children)", "-e", "figure", "-e", "who"});
    std::remove(file.c_str());
    std::vector<std::string> out = lines(run.out);
    ASSERT_EQ(out.size(), 6u) << run.out;
    EXPECT_EQ(out[5].find(R"("ran")"), std::string::npos) << "a DeleteFcn of the file ran";
    EXPECT_NE(out[2].find(GetParam().answer), std::string::npos) << out[2];
    EXPECT_EQ(out[1], out[3]) << "the root's children changed";
    EXPECT_EQ(out[4], R"({"ok":true,"value":{"handle":2,"class":"figure"}})");
}

INSTANTIATE_TEST_SUITE_P(
    Files, Load,
    ::testing::Values(
        DamagedFile{"Missing", nullptr, R"("id":"vxhost:LoadNoFile")"},
        DamagedFile{"Truncated", R"({"format":"vxhost objects","version":1,"object":{"class":"figure","prop)",
                    R"(the JSON breaks off or is damaged at byte)"},
        DamagedFile{"OtherDocument", R"({"format":"notes","version":1})", R"("id":"vxhost:LoadMalformed")"},
        DamagedFile{"BadArray", TREE(LINE(R"("Color":{"class":"double","size":[1,3],"data":[1,0]})")),
                    R"(property Color of figure/axes(1)/line(1): the data do not match the size)"},
        DamagedFile{"IntegerOutOfRange", TREE(LINE(R"("XData":{"class":"int8","size":[1,1],"data":[300]})")),
                    R"(property XData of figure/axes(1)/line(1): an element does not fit its integer class)"},
        DamagedFile{"UnknownClass", TREE(R"({"class":"teapot"})"),
                    R"("id":"vxhost:LoadUnknownClass")"},
        DamagedFile{"UnknownProperty", TREE(LINE(R"("Colour":{"class":"double","size":[1,1],"data":[1]})")),
                    R"(gives a property Colour the line class does not have (at figure/axes(1)/line(1)))"},
        DamagedFile{"WrongPlace", TREE(R"({"class":"text","children":[{"class":"line"}]})"), R"(a line cannot be under a text)"},
        DamagedFile{"RefusedValue", TREE(LINE(R"("LineWidth":{"class":"double","size":[1,1],"data":[2]},"Color":{"class":"double","size":[1,3],"data":[2,0,0]})")),
                    R"j("id":"KELDAR:vx:dt_conv:BadColorValue","message":"Color value contains NaN, or element out of range 0.0 <= value <= 1.0 (property Color of figure/axes(1)/line(1))")j"}),
    [](const ::testing::TestParamInfo<DamagedFile>& info) { return std::string(info.param.name); });

// ---- in-process ------------------------------------------------------------------------

class HostInProcess : public ::testing::Test {
protected:
    HostInProcess() : library_(vxhost::Library::load()), session_(library_, true) {}

    void run(const std::string& input)
    {
        auto answers = session_.run(input, false);
        ASSERT_TRUE(answers);
        for (const vxhost::Outcome& o : *answers)
            ASSERT_TRUE(o.ok) << input << ": " << o.message;
    }
    nyro::COSInterfacePtr object(const char* variable)
    {
        const vxhost::Variable& v = session_.workspace().variables.at(variable);
        return session_.workspace().graphics.objectOf(*qxGetPr(v.array.get()));
    }

    vxhost::Library library_;
    vxhost::Session session_;
};

// A default given to new objects is a copy made by the property's type: the
// objects share its elements.
TEST_F(HostInProcess, ObjectsShareTheElementsOfADefault)
{
    run("set(groot, 'DefaultLineXData', 1:1000); a = line; b = line;");
    nyro::COSPropInfo* p = vxhost::Graphics::property(object("a").get(), "XData");
    vxhost::QxArrayPtr xa = vxhost::Graphics::get(object("a").get(), p), xb = vxhost::Graphics::get(object("b").get(), p);
    ASSERT_EQ(qxGetNumberOfElements(xa.get()), 1000u);
    EXPECT_EQ(qxGetData(xa.get()), qxGetData(xb.get()));
}

// The tour saves its figure and loads it again (as h2): every property of every
// object of the copy equals the original's through the property's type, but
// for those save listed as skipped and those the tree itself makes.
TEST_F(HostInProcess, TheToursFigureRoundTripsPropertyByProperty)
{
    // The tour's file, in a place of this test's own (the tour itself may run at the same time).
    const std::string tourFile = "/tmp/vxhost-tour-figure.json";
    const std::string file = "/tmp/vxhost-roundtrip-" + std::to_string(getpid()) + ".json";
    std::ifstream tour(std::string(VX_EXAMPLES_DIR) + "/tour.vx");
    std::string pending;
    for (std::string line; std::getline(tour, line) && line.rfind("% ---- Deleting", 0) != 0;) {
        for (std::size_t at; (at = line.find(tourFile)) != std::string::npos;)
            line.replace(at, tourFile.size(), file);
        pending += (pending.empty() ? "" : "\n") + line;
        if (session_.run(std::move(pending), true, &pending))
            pending.clear();
    }
    std::ifstream saved(file);
    std::remove(file.c_str());
    vxhost::json::Value written = vxhost::json::Value::parse(saved);
    std::set<std::string> skipped;
    for (const auto& s : written["skipped"])
        skipped.insert(s["object"].get<std::string>() + " " + s["property"].get<std::string>());
    const std::set<std::string> structural{"Parent", "CurrentAxes", "CurrentFigure", "Title", "XLabel", "YLabel", "ZLabel"};
    vxhost::Graphics& g = session_.workspace().graphics;
    std::size_t compared = 0;
    std::function<void(nyro::COSInterface*, nyro::COSInterface*, const std::string&)> same =
        [&](nyro::COSInterface* a, nyro::COSInterface* b, const std::string& path) {
            ASSERT_EQ(a->getClass(), b->getClass()) << path;
            for (nyro::COSPropInfo* p : a->getClass()->getProperties()) {
                if (structural.count(p->getName()) || skipped.count(path + " " + p->getName()))
                    continue;
                EXPECT_TRUE(p->getDataType()->isEqual(p->getValue(a), p->getValue(b))) << path << " " << p->getName();
                ++compared;
            }
            for (const char* slot : {"Title", "XLabel", "YLabel", "ZLabel"})
                if (nyro::COSPropInfo* p = a->getClass()->findProperty(nyro::COSNameID(slot)))
                    same(nyro::pointerValue<nyro::COSInterface*>(p->getValue(a)),
                         nyro::pointerValue<nyro::COSInterface*>(p->getValue(b)), path + "." + slot);
            std::vector<nyro::COSInterfacePtr> ca = g.userChildren(a), cb = g.userChildren(b);
            ASSERT_EQ(ca.size(), cb.size()) << path;
            for (std::size_t i = 0; i < ca.size(); ++i)
                same(ca[i].get(), cb[i].get(),
                     path + "/" + vxhost::Graphics::classNameOf(ca[i].get()) + "(" + std::to_string(ca.size() - i) + ")");
        };
    same(object("h").get(), object("h2").get(), "figure");
    EXPECT_GT(compared, 300u);
    EXPECT_GE(skipped.size(), 1u) << "the tour's function-handle callback is listed";
}

} // namespace vxtest
