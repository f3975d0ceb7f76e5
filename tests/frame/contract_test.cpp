// Sweep over every registered property type: what each one reports about
// itself, its converters, and the contract of its values (default, copy,
// compare, null rules, round trip through the array converter).
#include <gtest/gtest.h>

#include <set>
#include <vector>
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
const std::vector<TypeRow> typeRows = {
    {"AlphaMap", 4, false}, {"AxesView", 4, false}, {"BoundingVolume", 52, true}, {"COSInterface", 4, true},
    {"Callback", 32, true}, {"ColorMap", 4, false}, {"ColorOrder", 4, false},
    {"ColorTable", 0, true, Quirk::IdentityEquality}, {"CompositeColorData", 4, false}, {"Curvature", 4, false},
    {"DataBounds", 4, false}, {"FontName", 1, true, Quirk::NullSecondIsEmpty}, {"HandleOrEmpty", 8, true},
    {"ImageXYData", 4, false}, {"Inset", 32, true}, {"JavaPeer", 8, true}, {"Limits", 4, false},
    {"LimitsWithInfs", 4, false}, {"MeshAlpha", 12, true}, {"MeshColor", 36, true}, {"NColorPtr", 4, false},
    {"NLineStyles", 16, true}, {"NStrings", 12, true}, {"NumericMatrix", 4, false}, {"on/off", 1, true},
    {"PatchFaceVertexAlphaData", 4, false}, {"PatchFaceVertexCData", 4, false}, {"PatchFaces", 4, false},
    {"PatchNormals", 4, false}, {"PatchVertices", 4, false}, {"Point2", 8, true}, {"Point2d", 16, true},
    {"Point3", 24, true}, {"Position", 32, true, Quirk::CopyOfNullIsValue}, {"PrimitiveColorData", 4, false},
    {"PrimitiveNormalsData", 4, false}, {"PrimitiveRGBAData", 4, false}, {"PrimitiveStripData", 4, false},
    {"PrimitiveVertexData", 4, false}, {"PrimitiveVertexIndices", 4, false}, {"RGBAColor", 36, true},
    {"Rectangle2", 16, true}, {"ScreenPosition", 16, true}, {"SurfaceCData", 4, false},
    {"SurfaceVertexNormals", 4, false}, {"SurfaceXYData", 4, false}, {"TextPosition", 4, false}, {"Tick", 4, false},
    {"UTF16String", 12, true}, {"VectorData", 4, false},
#define VX_ENUM_TYPE(T, NAMES) {#T, 12, true},
#include "enums/catalog.def"
};

void PrintTo(const TypeRow& r, std::ostream* os) { *os << r.name; }

class Contract : public vxtest::HostTest, public ::testing::WithParamInterface<TypeRow> {};

// The sizes the object system is told, and the converters registered.
TEST_P(Contract, DescribesItsValuesAndHasItsConverters)
{
    const TypeRow& row = GetParam();
    nyro::COSDataType* t = vxtest::type(row.name);
    ASSERT_NE(t, nullptr) << row.name << " is not registered";
    EXPECT_EQ(t->getValueSizeInBytes(COSValue()), row.bytes);
    EXPECT_EQ(t->getSizeInBits(), 8 * row.bytes);
    std::multiset<std::string> expected{"any", "string"};
    if (row.java)
        expected.insert("java");
    if (std::string(row.name) == "COSInterface")
        expected.insert("double"); // numeric handles
    std::vector<std::string> foreign = nyro::COSTypeRepository::conversionsOf(nyro::COSNameID(row.name));
    EXPECT_EQ(std::multiset<std::string>(foreign.begin(), foreign.end()), expected);
}

TEST_P(Contract, DefaultIsKeptCopiedComparedAndRoundTrips)
{
    const TypeRow& row = GetParam();
    nyro::COSDataType* t = vxtest::type(row.name);
    ASSERT_NE(t, nullptr) << row.name << " is not registered";
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
    if (!identity && !qxIsEmpty(exported.get())) {
        EXPECT_TRUE(t->isEqual(back, def)) << "a default read back from its array equals it";
    }
    t->destroy(back);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, Contract, ::testing::ValuesIn(typeRows), [](const auto& info) {
    std::string n = info.param.name;
    return n == "on/off" ? std::string("OnOffBoolean") : n;
});

} // namespace
