// What the console tells about accepted values: `values`, `set(H, 'NAME')`
// without a value, the hint of a refused value, and the schema, which must
// hold every registered type and every property of every class.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "console_runner.h"

namespace {

// The answer of the last statement, in JSON, after the statements before it.
std::string lastAnswer(const std::vector<std::string>& statements, bool json = true)
{
    std::vector<std::string> args;
    if (json)
        args.push_back("--json");
    for (const std::string& s : statements) {
        args.push_back("-e");
        args.push_back(s);
    }
    std::istringstream out(vxtest::runConsole(args).out);
    std::string line, last;
    while (std::getline(out, line))
        last = json ? line : last + line + "\n";
    return last;
}

#define SETUP "h = figure;", "ax = axes(h);"

struct Case {
    const char* name;
    std::vector<std::string> statements;
    std::vector<std::string> parts; // each must be in the last answer
    bool json = true;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Answers : public ::testing::TestWithParam<Case> {};

TEST_P(Answers, HoldWhatTheCatalogSays)
{
    const std::string answer = lastAnswer(GetParam().statements, GetParam().json);
    for (const std::string& part : GetParam().parts)
        EXPECT_NE(answer.find(part), std::string::npos) << part << "\n" << answer;
}

INSTANTIATE_TEST_SUITE_P(
    Catalog, Answers,
    ::testing::Values(
        Case{"EnumerationWithItsDefault", {"values AxisScale"},
             {R"({"ok":true,"type":"AxisScale","family":"enumeration","accepts":"{ linear } | log"})"}},
        Case{"TypeByItsCppName", {"values OnOffBoolean"}, {R"("type":"on/off")", R"("accepts":"{ off } | on")"}},
        Case{"ArrayFormsInWords", {"values Limits"}, {R"("family":"array")", "increasing", R"("default":"[0 1]")"}},
        Case{"UnknownType", {"values Nonesuch"}, {R"("id":"vxhost:UnknownType")"}},
        Case{"PropertyByAbbreviation", {SETUP, "values(ax, 'xsc')"},
             {R"("property":"XScale","class":"axes","type":"AxisScale")", R"("default":"linear")"}},
        Case{"SetWithoutAValue", {SETUP, "set(ax, 'XScale')"}, {R"("accepts":"{ linear } | log")"}},
        Case{"HostScalarProperty", {SETUP, "set(ax, 'FontSize')"}, {R"("family":"host scalar")", R"("default":)"}},
        Case{"Readable", {"values AxisScale"}, {R"(accepts: "{ linear } | log")"}, false}));

// A refused value keeps the library's identifier and message; the hint lists
// the choices or the rule broken. Refusals that are not a property's carry none.
INSTANTIATE_TEST_SUITE_P(
    Hints, Answers,
    ::testing::Values(
        Case{"EnumerationChoices", {SETUP, "ax.XScale = 'lgo'"},
             {R"({"ok":false,"id":"KELDAR:vx:propswch:FindObjFailed","message":"Bad value lgo for AxisScale.",)"
              R"("hint":"AxisScale takes one of: { linear } | log"})"}},
        Case{"ArrayRuleBroken", {SETUP, "set(ax, 'XLim', [10 0])"},
             {R"("id":"KELDAR:VX:TwoValuesIncreasingValidate")", R"("hint":"Limits takes 1x2)", "increasing"}},
        Case{"ColorNames", {SETUP, "l = line(ax);", "l.Color = 'mauve'"}, {R"("hint":"RGBAColor takes)", "red"}},
        Case{"ReadableHintLine", {SETUP, "ax.XScale = 'lgo'"}, {"\nhint: \"AxisScale takes one of"}, false}));

TEST(Answers, NoHintWhereNoPropertyRefused)
{
    EXPECT_EQ(lastAnswer({"values Nonesuch"}).find("hint"), std::string::npos);
    EXPECT_EQ(lastAnswer({SETUP, "ax.XScale = 'log'", "ax.Nonesuch = 1"}).find("hint"), std::string::npos);
}

// Every type the library registers is in the schema once, and every property
// `classes` lists is in its class with the same type.
TEST(Schema, HoldsEveryTypeAndEveryClassProperty)
{
    vxtest::ConsoleRun run = vxtest::runConsole({"--json", "-e", "types", "-e", "classes", "-e", "schema"});
    std::istringstream out(run.out);
    std::vector<nlohmann::json> answers;
    for (std::string line; std::getline(out, line);)
        answers.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(answers.size(), 3u) << run.out << run.err;
    const nlohmann::json& schema = answers[2].at("schema");

    std::set<std::string> registered, described;
    for (const auto& t : answers[0].at("types"))
        registered.insert(t.at("name").get<std::string>());
    for (const auto& t : schema.at("types")) {
        EXPECT_TRUE(described.insert(t.at("name").get<std::string>()).second) << t.at("name");
        EXPECT_FALSE(t.at("accepts").empty()) << t.at("name");
    }
    EXPECT_EQ(described.size(), 86u);
    EXPECT_EQ(described, registered);

    std::map<std::string, std::map<std::string, std::string>> inSchema; // host class -> property -> type
    for (const auto& c : schema.at("classes"))
        for (const auto& p : c.at("properties")) {
            inSchema[c.at("class")][p.at("name")] = p.at("type");
            EXPECT_TRUE(p.contains("default")) << p.at("name");
        }
    std::size_t checked = 0;
    for (const auto& c : answers[1].at("classes"))
        for (const auto& [property, type] : c.at("properties").items()) {
            EXPECT_EQ(inSchema[c.at("class")][property], type.get<std::string>()) << c.at("class") << "." << property;
            ++checked;
        }
    EXPECT_GT(checked, 150u);
}

} // namespace
