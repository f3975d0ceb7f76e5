// Sweep over every registered property type: what each one reports about
// itself, its converters, and the contract of its values (default, copy,
// compare, null rules, round trip through the array converter).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"

namespace {

using nyro::COSValue;

// Where a type's values depart from the common contract.
enum class Quirk {
    None,
    IdentityEquality, // values are equal only when they are the same value
    NullSecondIsEmpty, // a null second argument compares as the empty default
    CopyOfNullIsValue, // copying the null value makes a default-like value
};

struct TypeRow {
    const char* name;
    int bytes;
    bool java;
    Quirk quirk = Quirk::None;
};

// The 86 property types with their value sizes; array-valued types have no Java converter.
const TypeRow typeRows[] = {
    {"ActivePosition", 12, true}, {"AlphaDataMapping", 12, true}, {"AlphaMap", 4, false},
    {"AutoManual", 12, true}, {"AxesBox", 12, true}, {"AxesView", 4, false}, {"AxisClipping", 12, true},
    {"AxisDirection", 12, true}, {"AxisScale", 12, true}, {"AxisTopBottom", 12, true},
    {"AxisYLocation", 12, true}, {"BackFaceCulling", 12, true}, {"BackFaceLighting", 12, true},
    {"BoundingVolume", 52, true}, {"BusyAction", 12, true}, {"CDataMapping", 12, true},
    {"COSInterface", 4, true}, {"Callback", 32, true}, {"ColorMap", 4, false}, {"ColorOrder", 4, false},
    {"ColorTable", 0, true, Quirk::IdentityEquality}, {"ColorType", 12, true}, {"CompositeColorData", 4, false}, {"Curvature", 4, false},
    {"DataBinding", 12, true}, {"DataBounds", 4, false}, {"EraseMode", 12, true}, {"FontAngle", 12, true},
    {"FontName", 1, true, Quirk::NullSecondIsEmpty}, {"FontUnits", 12, true}, {"FontWeight", 12, true}, {"GridMajorMinor", 12, true},
    {"HandleOrEmpty", 8, true}, {"HandleVisibility", 12, true}, {"HorizontalAlignment", 12, true},
    {"ImageXYData", 4, false}, {"Inset", 32, true}, {"JavaPeer", 8, true}, {"LightStyle", 12, true},
    {"Lighting", 12, true}, {"Limits", 4, false}, {"LimitsWithInfs", 4, false}, {"LineStyle", 12, true},
    {"MarkerStyle", 12, true}, {"MeshAlpha", 12, true}, {"MeshColor", 36, true}, {"NColorPtr", 4, false},
    {"NLineStyles", 16, true}, {"NStrings", 12, true}, {"NextPlot", 12, true}, {"NumericMatrix", 4, false},
    {"on/off", 1, true}, {"OrderLayer", 12, true}, {"PaperUnits", 12, true},
    {"PatchFaceVertexAlphaData", 4, false}, {"PatchFaceVertexCData", 4, false}, {"PatchFaces", 4, false},
    {"PatchNormals", 4, false}, {"PatchVertices", 4, false}, {"Point2", 8, true}, {"Point2d", 16, true},
    {"Point3", 24, true}, {"Position", 32, true, Quirk::CopyOfNullIsValue}, {"PrimitiveColorData", 4, false},
    {"PrimitiveNormalsData", 4, false}, {"PrimitiveRGBAData", 4, false}, {"PrimitiveStripData", 4, false},
    {"PrimitiveVertexData", 4, false}, {"PrimitiveVertexIndices", 4, false}, {"Projection", 12, true},
    {"RGBAColor", 36, true}, {"Rectangle2", 16, true}, {"ScreenPosition", 16, true},
    {"StringBinding", 12, true}, {"SurfaceCData", 4, false}, {"SurfaceVertexNormals", 4, false},
    {"SurfaceXYData", 4, false}, {"TextInterpreter", 12, true}, {"TextPosition", 4, false}, {"Tick", 4, false},
    {"TickDir", 12, true}, {"UTF16String", 12, true}, {"Units", 12, true}, {"UnitsWithData", 12, true},
    {"VectorData", 4, false}, {"VerticalAlignment", 12, true},
};

void PrintTo(const TypeRow& r, std::ostream* os) { *os << r.name; }

const TypeRow* rowOf(const std::string& name)
{
    for (const TypeRow& r : typeRows)
        if (name == r.name)
            return &r;
    return nullptr;
}

class Contract : public vxtest::HostTest, public ::testing::WithParamInterface<TypeRow> {};
using Registry = vxtest::HostTest;

TEST_P(Contract, DescribesItselfAndHasItsConverters)
{
    const TypeRow& row = GetParam();
    nyro::COSDataType* t = vxtest::type(row.name);
    if (!t)
        GTEST_SKIP() << row.name << " is not registered in this build";
    bool onOff = std::string(row.name) == "on/off";
    EXPECT_STREQ(t->getName(), row.name);
    EXPECT_STREQ(t->getDeclarationName(), onOff ? "char" : row.name);
    EXPECT_STREQ(t->getCategoryName(), "Fundamental");
    EXPECT_EQ(t->getStorageType(), onOff ? 0 : 7);
    EXPECT_EQ(t->getValueSizeInBytes(COSValue()), row.bytes);
    EXPECT_EQ(t->getSizeInBits(), 8 * row.bytes);
    std::vector<std::string> expected{"any", "string"};
    if (row.java)
        expected.push_back("java");
    if (std::string(row.name) == "COSInterface")
        expected.push_back("double"); // numeric handles
    std::vector<std::string> foreign = nyro::COSTypeRepository::conversionsOf(nyro::COSNameID(row.name));
    EXPECT_EQ(std::multiset<std::string>(foreign.begin(), foreign.end()),
              std::multiset<std::string>(expected.begin(), expected.end()));
}

TEST_P(Contract, DefaultIsKeptCopiedComparedAndRoundTrips)
{
    const TypeRow& row = GetParam();
    nyro::COSDataType* t = vxtest::type(row.name);
    if (!t)
        GTEST_SKIP() << row.name << " is not registered in this build";
    COSValue def = t->getDefaultValue();
    EXPECT_EQ(t->getDefaultValue(), def) << "the same slot every call";
    bool pointerSlot = t->getStorageType() == 7;
    if (pointerSlot) {
        COSValue nullCopy = t->copy(COSValue());
        EXPECT_EQ(nullCopy.isNull(), row.quirk != Quirk::CopyOfNullIsValue);
        t->destroy(nullCopy);
        t->destroy(COSValue());
        EXPECT_TRUE(t->isEqual(COSValue(), COSValue()));
        EXPECT_EQ(t->compare(COSValue(), COSValue()), 0);
    }
    if (pointerSlot && def.isNull())
        return; // a type whose default is no value
    COSValue copy = t->copy(def);
    bool identity = row.quirk == Quirk::IdentityEquality;
    EXPECT_EQ(t->isEqual(copy, def), !identity);
    EXPECT_EQ(t->compare(copy, def), identity ? 2 : 0);
    EXPECT_TRUE(t->isEqual(def, def));
    if (pointerSlot) {
        EXPECT_NE(copy, def) << "a copy is a new value";
        EXPECT_FALSE(t->isEqual(COSValue(), def));
        EXPECT_EQ(t->isEqual(def, COSValue()), row.quirk == Quirk::NullSecondIsEmpty);
        EXPECT_EQ(t->compare(COSValue(), def), 2);
    }
    t->destroy(copy);

    // Exporting the default, reading that array back and exporting again gives
    // the same array.
    nyro::COSTypeConversion* mc = vxtest::conversion("any", row.name);
    gui_objects::QxArrayPtr exported(nyro::pointerValue<qxArray*>(mc->to(def)));
    ASSERT_TRUE(exported) << "the default converts to a host array";
    COSValue back = mc->from(nyro::COSValue::fromPointer(exported.get()));
    gui_objects::QxArrayPtr again(nyro::pointerValue<qxArray*>(mc->to(back)));
    EXPECT_TRUE(qxAreMatricesEqual(exported.get(), again.get()));
    if (!identity && !qxIsEmpty(exported.get()))
        EXPECT_TRUE(t->isEqual(back, def)) << "a default read back from its array equals it";
    t->destroy(back);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, Contract, ::testing::ValuesIn(typeRows), [](const auto& info) {
    std::string n = info.param.name;
    return n == "on/off" ? std::string("OnOffBoolean") : n;
});

TEST_F(Registry, EveryRegisteredTypeIsACatalogedPropertyType)
{
    for (nyro::COSDataType* t : nyro::COSTypeRepository::globalTypes()) {
        if (dynamic_cast<nyro::HostScalarType*>(t))
            continue;
        EXPECT_NE(rowOf(t->getName()), nullptr) << "unexpected type " << t->getName();
    }
}

} // namespace
