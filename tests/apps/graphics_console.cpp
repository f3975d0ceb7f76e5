// The console as a graphics host, driven end to end: statements in, one line
// of JSON per statement out. Each scenario is a session (console_runner.h).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "console_runner.h"

namespace vxtest {

TEST_P(Session, AnswersEachStatement)
{
    const std::vector<Step>& steps = GetParam().steps;
    std::vector<std::string> args{"--json"};
    for (const Step& s : steps) {
        args.push_back("-e");
        args.push_back(s.statement);
    }
    ConsoleRun run = runConsole(args);
    std::vector<std::string> out = lines(run.out);
    ASSERT_EQ(out.size(), steps.size()) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    for (std::size_t i = 0; i < steps.size(); ++i) {
        std::string expected = steps[i].json;
        if (expected.rfind('~', 0) == 0) { // a part of the answer
            EXPECT_NE(out[i].find(expected.substr(1)), std::string::npos) << steps[i].statement << "\n" << out[i];
        } else if (expected != "*") {
            EXPECT_EQ(out[i], expected) << steps[i].statement;
        }
    }
}

#define DELETED_AXES "[1.0009765625,2.0009765625,3.0009765625,4.0009765625,5.0009765625]"

INSTANTIATE_TEST_SUITE_P(
    Objects, Session,
    ::testing::Values(
        Scenario{"FiguresGetIntegerHandlesAndTheRootZero",
                 {{"h = figure", FIG},
                  {"h2 = figure", R"({"ok":true,"name":"h2","value":{"handle":2,"class":"figure"}})"},
                  {"groot", R"({"ok":true,"value":{"handle":0,"class":"root"}})"},
                  {"gcf", R"({"ok":true,"value":{"handle":2,"class":"figure"}})"},
                  {"ax = axes(h)", AXES},
                  {"get(1, 'CurrentAxes')", R"({"ok":true,"value":{"handle":1.0009765625,"class":"axes"}})"},
                  {"ax.Title", R"({"ok":true,"value":{"handle":2.0009765625,"class":"label"}})"},
                  {"get(0)", R"(~"handle":0,"class":"root","properties":{"Parent":[],)"}}},

        Scenario{"NamesMatchInAnyCaseAndByUniquePrefix",
                 {{"ax = axes", AXES},
                  {"set(ax, 'xlim', [0 10], 'XSc', 'log', 'proj', 'persp')",
                   R"({"ok":true,"set":["XLim","XScale","Projection"]})"},
                  {"ax.XLIM", LIMITS("0", "10")},
                  {"ax.XL = [0 1]",
                   R"({"ok":false,"id":"vxhost:AmbiguousProperty","message":"Ambiguous axes property: 'XL' could be XLim, XLimMode, XLabel."})"},
                  {"get(ax, 'Colour')",
                   R"({"ok":false,"id":"vxhost:UnknownProperty","message":"There is no Colour property on the axes class. Did you mean Color?"})"}}},
        Scenario{"ARefusedValueLeavesThePropertyUnchanged",
                 {{"ax = axes", AXES},
                  {"ax.XLim = [5 0]", NOT_INCREASING_HINTED},
                  {"ax.XLim", LIMITS("0", "1")},
                  {"set(ax, 'YLim', [0 2], 'XDir', 'sideways')",
                   R"({"ok":false,"id":"KELDAR:vx:propswch:FindObjFailed","message":"Bad value sideways for AxisDirection.","set":["YLim"],)"
                   R"("hint":"AxisDirection takes one of: { normal } | reverse"})"},
                  {"ax.YLim", LIMITS("0", "2")},
                  {"ax.XDir", R"({"ok":true,"value":{"class":"char","size":[1,6],"data":["normal"]},"text":"normal"})"},
                  {"ax.FontSize = 'big'",
                   R"({"ok":false,"id":"vxhost:ScalarValue","message":"Value of a FontSize property must be a real numeric scalar."})"}}},
        Scenario{"AConstructorWithARefusedValueMakesNoObject",
                 {{"ax = axes", AXES},
                  {"line(ax, 'XData', [1 2; 3 4])",
                   R"({"ok":false,"id":"KELDAR:vx:dt_conv:ExpectedColumnOrRowVector","message":"This is not a valid VectorData value. Specified value is not a vector.",)"
                   R"("hint":"VectorData takes vector double|single|int8|uint8|int16|uint16|int32|uint32|int64|uint64"})"},
                  {"ishandle(6.0009765625)", LOGICAL(false)},
                  {"line(ax, 'Color')",
                   R"({"ok":false,"id":"vxhost:PropertyPairs","message":"Property names and values must come in pairs."})"}}},
        Scenario{"ParentsMustBeOfTheClassAboveAndTheRootStays",
                 {{"ax = axes", AXES},
                  {"l = line(ax)", "*"},
                  {"l.Parent = 0",
                   R"({"ok":false,"id":"vxhost:BadParent","message":"The parent of a line object must be of class axes, not root."})"},
                  {"l.Parent = 1e9", R"({"ok":false,"id":"vxhost:BadHandle","message":"Invalid or deleted graphics handle."})"},
                  {"l.Parent", R"({"ok":true,"value":{"handle":1.0009765625,"class":"axes"}})"},
                  {"delete(0)", R"({"ok":false,"id":"vxhost:DeleteRoot","message":"The root object cannot be deleted."})"}}},
        Scenario{"MalformedStatementsAreRefused",
                 {{"ax = axes", AXES},
                  {"set(", R"({"ok":false,"id":"vxhost:Syntax","message":"expected ')' at column 5."})"},
                  {"ax.", R"({"ok":false,"id":"vxhost:Syntax","message":"unexpected text at column 3."})"},
                  {"get(ax, 'XLim'", R"({"ok":false,"id":"vxhost:Syntax","message":"expected ')' at column 15."})"},
                  {"x = set(ax, 'XLim', [0 1])", R"({"ok":false,"id":"vxhost:NoValue","message":"The right-hand side gives no value."})"},
                  {"set(ax)", R"j({"ok":false,"id":"vxhost:Usage","message":"Usage: set(H, 'NAME', VALUE, ...)   set(H, 'NAME')"})j"},
                  {"set(ax, 5, 6)", R"({"ok":false,"id":"vxhost:NotText","message":"A property name must be a text (a char row vector), not a double array."})"},
                  {"get({1}, 'XLim')", R"({"ok":false,"id":"vxhost:NotHandles","message":"The first argument of get must be graphics handles."})"}}},
        Scenario{"DeleteTakesTheDescendantsAndRunsDeleteFcn",
                 {{"h = figure", FIG},
                  {"ax = axes(h)", AXES},
                  {"ax.DeleteFcn = 'gone = src'", R"({"ok":true,"set":["DeleteFcn"]})"},
                  {"delete(ax)",
                   R"({"ok":true,"deleted":)" DELETED_AXES R"(,"callbacks":[{"statement":"gone = src","ok":true,"name":"gone","value":{"handle":1.0009765625,"class":"axes"}}]})"},
                  {"ishandle(1)", LOGICAL(true)},
                  {"ax.XLim", R"({"ok":false,"id":"vxhost:BadHandle","message":"Invalid or deleted graphics handle."})"},
                  {"get(h, 'CurrentAxes')", R"({"ok":true,"value":[]})"}}},
        Scenario{"ADeleteFcnDeletingItsOwnObject",
                 {{"ax = axes", AXES},
                  {"ax.DeleteFcn = 'delete(src)'", "*"},
                  {"delete(ax)", R"(~"deleted":)" DELETED_AXES R"j(,"callbacks":[{"statement":"delete(src)","ok":true,"deleted":[]}])j"},
                  {"ishandle(ax)", LOGICAL(false)}}},
        Scenario{"IsequalComparesThroughThePropertyType",
                 {{"ax = axes", AXES},
                  {"isequal(ax.XDir, 'norm')", R"({"ok":true,"by":"AxisDirection","value":{"class":"logical","size":[1,1],"data":[true]}})"},
                  {"isequal('rev', ax.XDir)", R"({"ok":true,"by":"AxisDirection","value":{"class":"logical","size":[1,1],"data":[false]}})"},
                  {"isequal(ax.XLim, [2 0])", NOT_INCREASING_HINTED},
                  {"isequal([1 2], [1 2])", R"({"ok":true,"by":"array","value":{"class":"logical","size":[1,1],"data":[true]}})"}}},
        Scenario{"VariablesKeepTheirArrays",
                 {{"v = [2 4 6]", R"({"ok":true,"name":"v","value":{"class":"double","size":[1,3],"data":[2,4,6]}})"},
                  {"ax = axes", AXES},
                  {"ax.XTick = v", R"({"ok":true,"set":["XTick"]})"},
                  {"set(ax, 'XTick', w)", R"({"ok":false,"id":"vxhost:UndefinedName","message":"Undefined variable or function 'w'. Did you mean v?"})"},
                  {"set = 3", R"({"ok":false,"id":"vxhost:ReservedName","message":"'set' names a statement or function and cannot hold a value."})"},
                  {"clear v", R"({"ok":true,"cleared":["v"]})"},
                  {"who", R"({"ok":true,"variables":{"ax":{"handle":1.0009765625,"class":"axes"}}})"}}}),
    scenarioName);

INSTANTIATE_TEST_SUITE_P(
    Callbacks, Session,
    ::testing::Values(
        Scenario{"ACallbackRunsStatementsWithSrcAndEvtBound",
                 {{"ax = axes", AXES},
                  {"ax.ButtonDownFcn = 'set(src, ''XLim'', [1 2]); e = evt.EventName'", "*"},
                  {"notify(ax, 'ButtonDown')",
                   R"j({"ok":true,"callbacks":[{"statement":"set(src, 'XLim', [1 2])","ok":true,"set":["XLim"]},{"statement":"e = evt.EventName","ok":true,"name":"e","value":{"class":"char","size":[1,10],"data":["ButtonDown"]}}]})j"},
                  {"ax.XLim", LIMITS("1", "2")},
                  {"notify(ax, 'Other')", R"({"ok":true})"}}},
        Scenario{"AnErrorInACallbackFailsTheStatementThatFiredIt",
                 {{"ax = axes", AXES},
                  {"ax.ButtonDownFcn = 'ax.XLim = [2 1]'", "*"},
                  {"notify(ax, 'ButtonDown')", NOT_INCREASING_HINTED},
                  {"ax.XLim", LIMITS("0", "1")}}},
        Scenario{"ACallbackThatFiresItselfStops",
                 {{"ax = axes", AXES},
                  {"ax.ButtonDownFcn = 'notify(src, ''ButtonDown'')'", "*"},
                  {"notify(ax, 'ButtonDown')",
                   R"({"ok":false,"id":"vxhost:CallbackDepth","message":"Callbacks nested more than 8 deep."})"}}},
        Scenario{"ListenersRunTheCallbackOfTheirProperty",
                 {{"h = figure", FIG},
                  {"h.ResizeFcn = 'moved = src'", "*"},
                  {"addlistener(h, 'Moved', 'ResizeFcn')", R"({"ok":true})"},
                  {"notify(h, 'Moved')",
                   R"({"ok":true,"callbacks":[{"statement":"moved = src","ok":true,"name":"moved","value":{"handle":1,"class":"figure"}}]})"},
                  // A property that is no callback, or none at all: the listener does nothing.
                  {"addlistener(h, 'Quiet', 'Position')", R"({"ok":true})"},
                  {"addlistener(h, 'Quiet', 'NoSuchProperty')", R"({"ok":true})"},
                  {"notify(h, 'Quiet')", R"({"ok":true})"}}},
        Scenario{"ClassListenersHearEveryInstance",
                 {{"ax = axes", AXES},
                  {"l1 = line", "*"},
                  {"l2 = line", "*"},
                  {"set(l2, 'ButtonDownFcn', 'hit = src')", "*"},
                  {"addlistener('line', 'Hit', 'ButtonDownFcn')", R"({"ok":true})"},
                  {"notify(l1, 'Hit')", R"({"ok":true})"},
                  {"notify(l2, 'Hit')",
                   R"({"ok":true,"callbacks":[{"statement":"hit = src","ok":true,"name":"hit","value":{"handle":7.0009765625,"class":"line"}}]})"},
                  {"addlistener('nosuchclass', 'Hit', 'ButtonDownFcn')",
                   R"({"ok":false,"id":"vxhost:UnknownClass","message":"There is no graphics class named 'nosuchclass'."})"}}}),
    scenarioName);

// The library's property filters, run on the children they serve: they write
// the derived property while its mode is auto.
INSTANTIATE_TEST_SUITE_P(
    Filters, Session,
    ::testing::Values(
        Scenario{"LabelSizeFollowsTheAxesFontSize",
                 {{"xl = gca.XLabel", "*"},
                  {"filter(xl, 'FontLabelSize', 10)", R"(~"filter":"FontLabelSize","changed":{"FontSize_I":"12"})"},
                  {"filter(xl, 'fonttitle', 10)", R"(~"filter":"FontTitleSize","changed":{"FontSize_I":"14"})"},
                  {"xl.FontSizeMode = 'manual'", "*"},
                  {"filter(xl, 'FontLabelSize', 20)", R"(~"changed":{})"},
                  {"xl.FontSize_I", R"(~"text":"14")"},
                  {"filter(xl, 'Bogus', 1)", R"(~"id":"vxhost:UnknownFilter")"}}},
        Scenario{"PrimitiveColorsComeFromAColor",
                 {{"gp = geometryprimitive", "*"},
                  {"filter(gp, 'RGBAColorToGeometryPrimitive', [1 0 0])", R"(~"ColorType_I":"truecolor","ColorBinding_I":"object")"},
                  {"gp.ColorData_I", R"(~"class":"uint8","size":[4,1],"data":[255,0,0,255])"}}}),
    scenarioName);

#undef DELETED_AXES

// Every registered type is the type of at least one property of the catalog,
// and no property is left out for want of its type.
TEST(Catalog, UsesEveryRegisteredType)
{
    std::vector<std::string> out = lines(runConsole({"--json", "-e", "types", "-e", "classes"}).out);
    ASSERT_EQ(out.size(), 2u);
    std::size_t skippedAt = out[1].find(R"("skipped":)");
    EXPECT_EQ(out[1].substr(skippedAt), R"("skipped":[]})");
    std::size_t registered = 0;
    for (std::size_t at = out[0].find(R"({"name":")"); at != std::string::npos; at = out[0].find(R"({"name":")", at + 1), ++registered) {
        std::string type = out[0].substr(at + 9, out[0].find('"', at + 9) - at - 9);
        EXPECT_NE(out[1].substr(0, skippedAt).find(":\"" + type + "\""), std::string::npos) << type << " is used nowhere";
    }
    EXPECT_EQ(registered, 86u);
}

} // namespace vxtest
