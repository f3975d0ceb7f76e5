// The property filters on child objects of test classes: what each filter sets,
// in which mode, and what it leaves set when a property is missing.
#include <algorithm>
#include <string>
#include <vector>

#include "color/color_types.h"
#include "enums/enum_types.h"
#include "filters/filters.h"
#include "support/object_classes.h"

namespace {

using datatypes::RGBAColor;
using nyro::COSInterface;
using nyro::COSValue;

// "HeapBool": values are heap bools, the form the grid filter hands to Visible_I.
class HeapBoolType : public nyro::HostScalarType {
public:
    HeapBoolType() : HostScalarType("HeapBool", Kind::Logical, 1) {}
    static bool read(COSValue v) { return !v.isNull() && *nyro::pointerValue<const bool*>(v); }
    COSValue getDefaultValue() const override { return {}; }
    bool isEqual(COSValue a, COSValue b) const override { return read(a) == read(b); }
    COSValue copy(COSValue v) const override { return v.isNull() ? v : COSValue::fromPointer(new bool(read(v))); }
    void destroy(COSValue v) const override { delete nyro::pointerValue<bool*>(v); }
};

// The child properties, and the classes that lack some of them.
const char* const childProperties[][2] = {
    {"FontSizeMode", "AutoManual"},        {"FontSize_I", "double scalar"}, {"MajorMinorMode", "AutoManual"},
    {"MajorMinor_I", "GridMajorMinor"},    {"Visible_I", "HeapBool"},       {"ColorDataMode", "AutoManual"},
    {"ColorData_I", "PrimitiveColorData"}, {"ColorTypeMode", "AutoManual"}, {"ColorType_I", "ColorType"},
    {"ColorBindingMode", "AutoManual"},    {"ColorBinding_I", "DataBinding"},
};
const std::vector<std::vector<std::string>> filterClasses = {
    {"test.Child"},
    {"test.NoModes", "FontSizeMode", "MajorMinorMode", "ColorDataMode", "ColorTypeMode", "ColorBindingMode"},
    {"test.NoTargets", "FontSize_I", "MajorMinor_I", "Visible_I", "ColorData_I", "ColorType_I", "ColorBinding_I"},
    {"test.NoMajorMinor", "MajorMinor_I"},
    {"test.NoVisible", "Visible_I"},
    {"test.NoColorTypeMode", "ColorTypeMode"},
    {"test.NoColorBinding", "ColorBinding_I"},
};

class FilterTest : public vxtest::ObjectTest {
protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        if (nyro::COSClass::find("test.Child"))
            return;
        nyro::COSTypeRepository::addGlobalType(new HeapBoolType);
        for (const auto& c : filterClasses) {
            nyro::COSClass* cls = nyro::COSClass::define(c[0].c_str());
            for (const auto& p : childProperties)
                if (std::find(c.begin() + 1, c.end(), p[0]) == c.end())
                    cls->addProperty(p[0], p[1]);
        }
    }
};

// The child's properties as "name=text", each in the text its type writes.
std::vector<std::string> state(const COSInterface* obj)
{
    std::vector<std::string> out;
    for (const auto& [name, type] : childProperties) {
        if (nyro::COSPropInfo* info = vxtest::prop(obj, name)) {
            COSValue v = info->getValue(obj);
            if (std::string(type) == "HeapBool") {
                out.push_back(std::string(name) + (HeapBoolType::read(v) ? "=true" : "=false"));
                continue;
            }
            COSValue text = vxtest::conversion("string", type)->to(v);
            out.push_back(std::string(name) + "=" + (text.isNull() ? "null" : nyro::pointerValue<const char*>(text)));
            if (std::string(type) == "PrimitiveColorData") {
                // Appended piece by piece: GCC 12 warns (-Wrestrict) about a string prepended to.
                out.back() += ' ';
                out.back() += qxGetClassName(gui_objects::QxArrayPtr(info->getAsArray(obj)).get());
            }
            nyro::COSTypeRepository::releaseReturnedText(nyro::COSNameID(type), text);
        }
    }
    return out;
}

// Starting values that no filter writes, so that every write shows: font size
// 5, grid "minor", not visible, no color data, "texturemapped", binding
// "vertex"; the modes named are set to "manual".
void prepare(COSInterface* obj, const std::vector<const char*>& manual)
{
    auto set = [&](const char* name, const char* text) {
        gui_objects::QxArrayPtr owned(qxCreateString(text));
        if (vxtest::prop(obj, name))
            vxtest::prop(obj, name)->setFromArray(obj, owned.get());
    };
    if (nyro::COSPropInfo* size = vxtest::prop(obj, "FontSize_I"))
        size->setValue(obj, COSValue::fromDouble(5));
    set("MajorMinor_I", "minor");
    set("ColorType_I", "texturemapped");
    set("ColorBinding_I", "vertex");
    for (const char* mode : manual)
        set(mode, "manual");
}

const RGBAColor opaqueRed(1, 0, 0, 1);
const RGBAColor halfBlue(0, 0, 1, 0.5);
RGBAColor noneColor()
{
    RGBAColor c(0.3, 0.6, 0.9, 1);
    c.setStyle(datatypes::ColorStyle::kNone);
    return c;
}
const RGBAColor none = noneColor();

struct FilterCase {
    const char* name;
    void (*run)(COSInterface*);
    const char* cls;
    std::vector<const char*> manual; // mode properties set to "manual"
    const char* changed;             // the properties the filter changed, as state() shows them
    std::string error = "";          // identifier and text raised
};
void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name << " on " << c.cls; }

class ChildFilters : public FilterTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(ChildFilters, SetWhileAutoAndKeepWhatWasSetBeforeAnError)
{
    const FilterCase& c = GetParam();
    nyro::COSInterfacePtr child = vxtest::make(c.cls);
    prepare(child.get(), c.manual);
    const std::vector<std::string> before = state(child.get());
    EXPECT_EQ(vxtest::errorOf([&] { c.run(child.get()); }), c.error);
    std::string changed;
    for (const std::string& entry : state(child.get()))
        if (std::find(before.begin(), before.end(), entry) == before.end())
            changed += (changed.empty() ? "" : " ") + entry;
    EXPECT_EQ(changed, c.changed);
}

void label7(COSInterface* o) { datatypes::filter_FontLabelSize(o, 7.5); }
void title10(COSInterface* o) { datatypes::filter_FontTitleSize(o, 10); }
void minorOn(COSInterface* o) { datatypes::filter_AxisMinorBooleanToGrid(o, true); }
void minorOff(COSInterface* o) { datatypes::filter_AxisMinorBooleanToGrid(o, false); }
void textRed(COSInterface* o) { datatypes::filter_RGBAColorToTextPrimitive(o, &opaqueRed); }
void textNone(COSInterface* o) { datatypes::filter_RGBAColorToTextPrimitive(o, &none); }
void geometryRed(COSInterface* o) { datatypes::filter_RGBAColorToGeometryPrimitive(o, &opaqueRed); }
void geometryHalfBlue(COSInterface* o) { datatypes::filter_RGBAColorToGeometryPrimitive(o, &halfBlue); }
void geometryNone(COSInterface* o) { datatypes::filter_RGBAColorToGeometryPrimitive(o, &none); }

std::string modeMissing(const char* p) { return std::string("KELDAR:VX:ChildModePropNotFound Property ") + p + " does not exist on child property"; }
std::string targetMissing(const char* p) { return std::string("KELDAR:VX:ChildPropNotFound Property ") + p + "  does not exist on child property."; }

// Grid: Visible is set before MajorMinor turns out to be missing, and is not needed without minor lines.
// Text: the mode is asked before the color is looked at. Geometry: modes are asked in order, and data
// and type are set before the binding turns out to be missing.
INSTANTIATE_TEST_SUITE_P(
    Filters, ChildFilters,
    ::testing::Values(
        FilterCase{"label", label7, "test.Child", {}, "FontSize_I=9"},
        FilterCase{"title", title10, "test.Child", {}, "FontSize_I=14"},
        FilterCase{"title manual", title10, "test.Child", {"FontSizeMode"}, ""},
        FilterCase{"label without mode", label7, "test.NoModes", {}, "", modeMissing("FontSizeMode")},
        FilterCase{"title without target", title10, "test.NoTargets", {}, "", targetMissing("FontSize")},
        FilterCase{"minor on", minorOn, "test.Child", {}, "MajorMinor_I=majorandminor Visible_I=true"},
        FilterCase{"minor off", minorOff, "test.Child", {}, "MajorMinor_I=major"},
        FilterCase{"minor on manual", minorOn, "test.Child", {"MajorMinorMode"}, ""},
        FilterCase{"minor on without MajorMinor", minorOn, "test.NoMajorMinor", {}, "Visible_I=true", targetMissing("MajorMinor")},
        FilterCase{"minor on without Visible", minorOn, "test.NoVisible", {}, "", targetMissing("Visible")},
        FilterCase{"minor off without Visible", minorOff, "test.NoVisible", {}, "MajorMinor_I=major"},
        FilterCase{"text red", textRed, "test.Child", {}, "ColorData_I=[255; 0; 0; 255] uint8"},
        FilterCase{"text none", textNone, "test.Child", {}, ""},
        FilterCase{"text red manual", textRed, "test.Child", {"ColorDataMode"}, ""},
        FilterCase{"text none without mode", textNone, "test.NoModes", {}, "", modeMissing("ColorDataMode")},
        FilterCase{"text red without target", textRed, "test.NoTargets", {}, "", targetMissing("ColorData")},
        FilterCase{"opaque red", geometryRed, "test.Child", {}, "ColorData_I=[255; 0; 0; 255] uint8 ColorType_I=truecolor ColorBinding_I=object"},
        FilterCase{"half blue", geometryHalfBlue, "test.Child", {}, "ColorData_I=[0; 0; 255; 128] uint8 ColorType_I=truecoloralpha ColorBinding_I=object"},
        FilterCase{"none", geometryNone, "test.Child", {}, "ColorData_I=[0; 0; 0; 0] uint8 ColorType_I=truecoloralpha ColorBinding_I=object"},
        FilterCase{"data manual", geometryRed, "test.Child", {"ColorDataMode"}, ""},
        FilterCase{"type manual", geometryRed, "test.Child", {"ColorTypeMode"}, ""},
        FilterCase{"binding manual", geometryRed, "test.Child", {"ColorBindingMode"}, ""},
        FilterCase{"data manual, no type mode", geometryRed, "test.NoColorTypeMode", {"ColorDataMode"}, ""},
        FilterCase{"no type mode", geometryRed, "test.NoColorTypeMode", {}, "", modeMissing("ColorTypeMode")},
        FilterCase{"no binding", geometryNone, "test.NoColorBinding", {}, "ColorData_I=[0; 0; 0; 0] uint8 ColorType_I=truecoloralpha", targetMissing("ColorBinding")}));

// ---- the helpers ---------------------------------------------------------------------------

struct TargetCase {
    const char* given;
    const char* set; // the property set, or null: refused
};
void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.given; }

class InternalPropertyName : public vxtest::ObjectTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(InternalPropertyName, AppendsUnderscoreIUnlessPresent)
{
    const char* properties[] = {"Color_I", "I_I", "_I"};
    if (!nyro::COSClass::find("test.Names")) {
        nyro::COSClass* cls = nyro::COSClass::define("test.Names");
        for (const char* p : properties)
            cls->addProperty(p, "Probe");
    }
    const TargetCase& c = GetParam();
    nyro::COSInterfacePtr obj = vxtest::make("test.Names");
    COSValue v = vxtest::Probe::make(42);
    EXPECT_EQ(vxtest::errorOf([&] { datatypes::set_on_nyroprop(obj.get(), c.given, v); }), c.set ? "" : targetMissing(c.given));
    vxtest::ProbeType().destroy(v);
    for (const char* p : properties)
        EXPECT_EQ(vxtest::Probe::read(vxtest::prop(obj.get(), p)->getValue(obj.get())), c.set && std::string(p) == c.set ? 42 : 0) << p;
}

INSTANTIATE_TEST_SUITE_P(
    Names, InternalPropertyName,
    ::testing::Values(TargetCase{"Color_I", "Color_I"}, TargetCase{"Color", "Color_I"}, TargetCase{"I", "I_I"},
                      TargetCase{"_I", "_I"}, TargetCase{"", "_I"}, TargetCase{"color", nullptr}));

TEST_F(FilterTest, ChildModeIsAutoOnlyForAnAutoModeAndMustExist)
{
    nyro::COSInterfacePtr child = vxtest::make("test.Child");
    EXPECT_TRUE(datatypes::prop_is_auto(child.get(), "FontSizeMode"));
    prepare(child.get(), {"FontSizeMode"});
    EXPECT_FALSE(datatypes::prop_is_auto(child.get(), "FontSizeMode"));
    EXPECT_TRUE(datatypes::prop_is_auto(child.get(), "ColorDataMode"));
    // A property of another type is never "auto".
    EXPECT_FALSE(datatypes::prop_is_auto(child.get(), "ColorType_I"));
    EXPECT_EQ(vxtest::errorOf([&] { datatypes::prop_is_auto(child.get(), "fontsizemode"); }), modeMissing("fontsizemode"));
}

} // namespace
