// The property filters on child objects of test classes: what each filter sets,
// in which mode, and what it leaves set when a property is missing.
#include <cstdint>
#include <cstdio>
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

// The child properties, and the classes that have some of them.
struct PropertyRow {
    const char* name;
    const char* type;
};
const PropertyRow childProperties[] = {
    {"FontSizeMode", "AutoManual"},     {"FontSize_I", "double scalar"},
    {"MajorMinorMode", "AutoManual"},   {"MajorMinor_I", "GridMajorMinor"},
    {"Visible_I", "HeapBool"},          {"ColorDataMode", "AutoManual"},
    {"ColorData_I", "PrimitiveColorData"}, {"ColorTypeMode", "AutoManual"},
    {"ColorType_I", "ColorType"},       {"ColorBindingMode", "AutoManual"},
    {"ColorBinding_I", "DataBinding"},
};

struct ClassRow {
    const char* name;
    std::vector<std::string> without; // child properties it lacks
};
const ClassRow filterClasses[] = {
    {"test.Child", {}},
    {"test.NoModes", {"FontSizeMode", "MajorMinorMode", "ColorDataMode", "ColorTypeMode", "ColorBindingMode"}},
    {"test.NoTargets", {"FontSize_I", "MajorMinor_I", "Visible_I", "ColorData_I", "ColorType_I", "ColorBinding_I"}},
    {"test.NoMajorMinor", {"MajorMinor_I"}},
    {"test.NoVisible", {"Visible_I"}},
    {"test.NoColorTypeMode", {"ColorTypeMode"}},
    {"test.NoColorBinding", {"ColorBinding_I"}},
};

bool lacks(const ClassRow& c, const char* property)
{
    for (const std::string& w : c.without)
        if (w == property)
            return true;
    return false;
}

void defineFilterClasses()
{
    if (nyro::COSClass::find("test.Child"))
        return;
    nyro::COSTypeRepository::addGlobalType(new HeapBoolType);
    for (const ClassRow& c : filterClasses) {
        nyro::COSClass* cls = nyro::COSClass::define(c.name);
        for (const PropertyRow& p : childProperties)
            if (!lacks(c, p.name))
                cls->addProperty(p.name, p.type);
    }
}

// The child's derived properties as one line: "FontSize_I=12 MajorMinor_I=minor ...".
std::string state(const COSInterface* obj)
{
    std::string out;
    auto add = [&](const char* name, const std::string& value) {
        if (!vxtest::prop(obj, name))
            return;
        if (!out.empty())
            out += ' ';
        out.append(name).append(1, '=').append(value);
    };
    auto value = [&](const char* name) { return vxtest::prop(obj, name)->getValue(obj); };
    auto enumName = [&](const char* name) -> std::string {
        const auto* e = nyro::pointerValue<const datatypes::EnumBase*>(value(name));
        return e ? std::to_string(e->getIntValue()) : "null";
    };
    if (vxtest::prop(obj, "FontSize_I")) {
        char size[32];
        std::snprintf(size, sizeof size, "%.17g", value("FontSize_I").asDouble());
        add("FontSize_I", size);
    }
    if (vxtest::prop(obj, "MajorMinor_I"))
        add("MajorMinor_I", enumName("MajorMinor_I"));
    if (vxtest::prop(obj, "Visible_I"))
        add("Visible_I", HeapBoolType::read(value("Visible_I")) ? "true" : "false");
    if (vxtest::prop(obj, "ColorData_I")) {
        gui_objects::QxArrayPtr a(vxtest::prop(obj, "ColorData_I")->getAsArray(obj));
        std::string bytes = std::to_string(qxGetM(a.get())) + "x" + std::to_string(qxGetN(a.get())) + " " +
                            qxGetClassName(a.get()) + "[";
        if (qxGetClassID(a.get()) == qxUINT8_CLASS)
            for (qxSize i = 0; i < qxGetNumberOfElements(a.get()); ++i)
                bytes += (i ? "," : "") + std::to_string(static_cast<const std::uint8_t*>(qxGetData(a.get()))[i]);
        add("ColorData_I", bytes + "]");
    }
    if (vxtest::prop(obj, "ColorType_I"))
        add("ColorType_I", enumName("ColorType_I"));
    if (vxtest::prop(obj, "ColorBinding_I"))
        add("ColorBinding_I", enumName("ColorBinding_I"));
    return out;
}

// Starting values that no filter writes, so that every write shows: font size
// 5, grid "minor" (2), not visible, no color data, "texturemapped" (3),
// binding "vertex" (3).
void prepare(COSInterface* obj, const std::vector<const char*>& manual)
{
    auto set = [&](const char* name, qxArray* a) {
        gui_objects::QxArrayPtr owned(a);
        if (vxtest::prop(obj, name))
            vxtest::prop(obj, name)->setFromArray(obj, owned.get());
    };
    if (nyro::COSPropInfo* size = vxtest::prop(obj, "FontSize_I"))
        size->setValue(obj, COSValue::fromDouble(5));
    set("MajorMinor_I", qxCreateString("minor"));
    set("ColorType_I", qxCreateString("texturemapped"));
    set("ColorBinding_I", qxCreateString("vertex"));
    for (const char* mode : manual)
        set(mode, qxCreateString("manual"));
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

using Filter = void (*)(COSInterface*);

struct FilterCase {
    const char* name;
    Filter run;
    const char* cls;
    std::vector<const char*> manual; // mode properties set to "manual"
    const char* after;               // state(child) afterwards
    const char* id = nullptr;
    const char* message = nullptr;
};
void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name << " on " << c.cls; }

class ChildFilters : public vxtest::ObjectTest, public ::testing::WithParamInterface<FilterCase> {
protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        defineFilterClasses();
    }
};

TEST_P(ChildFilters, SetWhileAutoAndKeepWhatWasSetBeforeAnError)
{
    const FilterCase& c = GetParam();
    nyro::COSInterfacePtr child = vxtest::make(c.cls);
    prepare(child.get(), c.manual);
    auto raised = vxtest::raisedBy([&] { c.run(child.get()); });
    if (c.id) {
        ASSERT_TRUE(raised.has_value());
        EXPECT_EQ(raised->id, c.id);
        EXPECT_EQ(raised->message, c.message);
    } else {
        EXPECT_FALSE(raised.has_value()) << raised->id << ": " << raised->message;
    }
    EXPECT_EQ(state(child.get()), c.after);
}

// Untouched children of each class.
#define ALL_START "FontSize_I=5 MajorMinor_I=2 Visible_I=false ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3"
const char* const ModeMissing = "KELDAR:VX:ChildModePropNotFound";
const char* const TargetMissing = "KELDAR:VX:ChildPropNotFound";

void label10(COSInterface* o) { datatypes::filter_FontLabelSize(o, 10); }
void title10(COSInterface* o) { datatypes::filter_FontTitleSize(o, 10); }
void label7(COSInterface* o) { datatypes::filter_FontLabelSize(o, 7.5); }
void minorOn(COSInterface* o) { datatypes::filter_AxisMinorBooleanToGrid(o, true); }
void minorOff(COSInterface* o) { datatypes::filter_AxisMinorBooleanToGrid(o, false); }
void textRed(COSInterface* o) { datatypes::filter_RGBAColorToTextPrimitive(o, &opaqueRed); }
void textNone(COSInterface* o) { datatypes::filter_RGBAColorToTextPrimitive(o, &none); }
void geometryRed(COSInterface* o) { datatypes::filter_RGBAColorToGeometryPrimitive(o, &opaqueRed); }
void geometryHalfBlue(COSInterface* o) { datatypes::filter_RGBAColorToGeometryPrimitive(o, &halfBlue); }
void geometryNone(COSInterface* o) { datatypes::filter_RGBAColorToGeometryPrimitive(o, &none); }

INSTANTIATE_TEST_SUITE_P(
    FontSize, ChildFilters,
    ::testing::Values(
        FilterCase{"label", label10, "test.Child", {},
                   "FontSize_I=12 MajorMinor_I=2 Visible_I=false ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3"},
        FilterCase{"title", title10, "test.Child", {},
                   "FontSize_I=14 MajorMinor_I=2 Visible_I=false ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3"},
        FilterCase{"label 7.5", label7, "test.Child", {},
                   "FontSize_I=9 MajorMinor_I=2 Visible_I=false ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3"},
        FilterCase{"label manual", label10, "test.Child", {"FontSizeMode"}, ALL_START},
        FilterCase{"title manual", title10, "test.Child", {"FontSizeMode"}, ALL_START},
        FilterCase{"label without mode", label10, "test.NoModes", {}, ALL_START, ModeMissing,
                   "Property FontSizeMode does not exist on child property"},
        FilterCase{"label without target", title10, "test.NoTargets", {}, "", TargetMissing,
                   "Property FontSize  does not exist on child property."}));

INSTANTIATE_TEST_SUITE_P(
    Grid, ChildFilters,
    ::testing::Values(
        FilterCase{"minor on", minorOn, "test.Child", {},
                   "FontSize_I=5 MajorMinor_I=1 Visible_I=true ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3"},
        FilterCase{"minor off", minorOff, "test.Child", {},
                   "FontSize_I=5 MajorMinor_I=0 Visible_I=false ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3"},
        FilterCase{"minor on manual", minorOn, "test.Child", {"MajorMinorMode"}, ALL_START},
        // Visible is set before MajorMinor turns out to be missing, and stays set.
        FilterCase{"minor on without MajorMinor", minorOn, "test.NoMajorMinor", {},
                   "FontSize_I=5 Visible_I=true ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3", TargetMissing,
                   "Property MajorMinor  does not exist on child property."},
        FilterCase{"minor on without Visible", minorOn, "test.NoVisible", {},
                   "FontSize_I=5 MajorMinor_I=2 ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3", TargetMissing,
                   "Property Visible  does not exist on child property."},
        // Without minor lines Visible is not needed.
        FilterCase{"minor off without Visible", minorOff, "test.NoVisible", {},
                   "FontSize_I=5 MajorMinor_I=0 ColorData_I=0x0 uint8[] ColorType_I=3 ColorBinding_I=3"},
        FilterCase{"minor off without mode", minorOff, "test.NoModes", {}, ALL_START, ModeMissing,
                   "Property MajorMinorMode does not exist on child property"}));

INSTANTIATE_TEST_SUITE_P(
    TextPrimitive, ChildFilters,
    ::testing::Values(
        FilterCase{"red", textRed, "test.Child", {},
                   "FontSize_I=5 MajorMinor_I=2 Visible_I=false ColorData_I=4x1 uint8[255,0,0,255] ColorType_I=3 "
                   "ColorBinding_I=3"},
        FilterCase{"none", textNone, "test.Child", {}, ALL_START},
        FilterCase{"red manual", textRed, "test.Child", {"ColorDataMode"}, ALL_START},
        // The mode is asked before the color is looked at.
        FilterCase{"none without mode", textNone, "test.NoModes", {}, ALL_START, ModeMissing,
                   "Property ColorDataMode does not exist on child property"},
        FilterCase{"red without target", textRed, "test.NoTargets", {}, "", TargetMissing,
                   "Property ColorData  does not exist on child property."}));

INSTANTIATE_TEST_SUITE_P(
    GeometryPrimitive, ChildFilters,
    ::testing::Values(
        FilterCase{"opaque red", geometryRed, "test.Child", {},
                   "FontSize_I=5 MajorMinor_I=2 Visible_I=false ColorData_I=4x1 uint8[255,0,0,255] ColorType_I=1 "
                   "ColorBinding_I=1"},
        FilterCase{"half blue", geometryHalfBlue, "test.Child", {},
                   "FontSize_I=5 MajorMinor_I=2 Visible_I=false ColorData_I=4x1 uint8[0,0,255,128] ColorType_I=2 "
                   "ColorBinding_I=1"},
        FilterCase{"none", geometryNone, "test.Child", {},
                   "FontSize_I=5 MajorMinor_I=2 Visible_I=false ColorData_I=4x1 uint8[0,0,0,0] ColorType_I=2 "
                   "ColorBinding_I=1"},
        FilterCase{"data manual", geometryRed, "test.Child", {"ColorDataMode"}, ALL_START},
        FilterCase{"type manual", geometryRed, "test.Child", {"ColorTypeMode"}, ALL_START},
        FilterCase{"binding manual", geometryRed, "test.Child", {"ColorBindingMode"}, ALL_START},
        // Modes are asked in order: a manual data mode ends the filter before
        // the missing type mode is noticed.
        FilterCase{"data manual, no type mode", geometryRed, "test.NoColorTypeMode", {"ColorDataMode"}, ALL_START},
        FilterCase{"no type mode", geometryRed, "test.NoColorTypeMode", {}, ALL_START, ModeMissing,
                   "Property ColorTypeMode does not exist on child property"},
        // Data and type are set before the binding turns out to be missing.
        FilterCase{"no binding", geometryNone, "test.NoColorBinding", {},
                   "FontSize_I=5 MajorMinor_I=2 Visible_I=false ColorData_I=4x1 uint8[0,0,0,0] ColorType_I=2",
                   TargetMissing, "Property ColorBinding  does not exist on child property."}));

// ---- the helpers ---------------------------------------------------------------------------

struct TargetCase {
    const char* given;
    const char* looked; // the property set, or null: refused
};
void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.given; }

class InternalPropertyName : public vxtest::ObjectTest, public ::testing::WithParamInterface<TargetCase> {};

// A class with properties named after the cases, each a Probe.
TEST_P(InternalPropertyName, AppendsUnderscoreIUnlessPresent)
{
    if (!nyro::COSClass::find("test.Names")) {
        nyro::COSClass* cls = nyro::COSClass::define("test.Names");
        for (const char* p : {"Color_I", "I_I", "_I", "Color_I_I", "a_I"})
            cls->addProperty(p, "Probe");
    }
    const TargetCase& c = GetParam();
    nyro::COSInterfacePtr obj = vxtest::make("test.Names");
    COSValue v = vxtest::Probe::make(42);
    auto raised = vxtest::raisedBy([&] { datatypes::set_on_nyroprop(obj.get(), c.given, v); });
    vxtest::ProbeType().destroy(v);
    if (!c.looked) {
        ASSERT_TRUE(raised.has_value());
        EXPECT_EQ(raised->id, "KELDAR:VX:ChildPropNotFound");
        EXPECT_EQ(raised->message, std::string("Property ") + c.given + "  does not exist on child property.");
        return;
    }
    ASSERT_FALSE(raised.has_value()) << raised->message;
    for (const char* p : {"Color_I", "I_I", "_I", "Color_I_I", "a_I"})
        EXPECT_EQ(vxtest::Probe::read(vxtest::prop(obj.get(), p)->getValue(obj.get())), std::string(p) == c.looked ? 42 : 0)
            << p;
}

INSTANTIATE_TEST_SUITE_P(Names, InternalPropertyName,
                         ::testing::Values(TargetCase{"Color_I", "Color_I"}, TargetCase{"Color", "Color_I"},
                                           TargetCase{"I", "I_I"}, TargetCase{"_I", "_I"},
                                           TargetCase{"Color_I_I", "Color_I_I"}, TargetCase{"a", "a_I"},
                                           TargetCase{"", "_I"}, TargetCase{"Colour", nullptr},
                                           TargetCase{"color", nullptr}));

class ChildMode : public vxtest::ObjectTest {
protected:
    void SetUp() override
    {
        ObjectTest::SetUp();
        defineFilterClasses();
    }
};

TEST_F(ChildMode, ReadsTheModeAndRefusesMissingOnes)
{
    nyro::COSInterfacePtr child = vxtest::make("test.Child");
    EXPECT_TRUE(datatypes::prop_is_auto(child.get(), "FontSizeMode"));
    prepare(child.get(), {"FontSizeMode"});
    EXPECT_FALSE(datatypes::prop_is_auto(child.get(), "FontSizeMode"));
    EXPECT_TRUE(datatypes::prop_is_auto(child.get(), "ColorDataMode"));
    // A property of another type is never "auto".
    EXPECT_FALSE(datatypes::prop_is_auto(child.get(), "ColorType_I"));
    auto raised = vxtest::raisedBy([&] { datatypes::prop_is_auto(child.get(), "fontsizemode"); });
    ASSERT_TRUE(raised.has_value());
    EXPECT_EQ(raised->id, "KELDAR:VX:ChildModePropNotFound");
    EXPECT_EQ(raised->message, "Property fontsizemode does not exist on child property");
}

} // namespace
