// Each array-valued type's default value, the element class of its parsed text
// and empty results, and VectorData's rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arrays/array_inputs.h"
#include "arrays/array_types.h"
#include "support/host_fixture.h"

namespace {

using namespace vxtest;
using datatypes::ArrayBase;
using gui_objects::QxArrayPtr;
using nyro::COSValue;


enum class Default { Null, NoArray, Array };

struct TypeCase {
    const char* type;
    qxClassID elementClass; // of parsed text and empty results
    Default kind;
    std::vector<double> values = {}; // the default, a 1xN double row
};
void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.type; }

const TypeCase typeCases[] = {
    {"Limits", qxDOUBLE_CLASS, Default::Array, {0, 1}},
    {"LimitsWithInfs", qxDOUBLE_CLASS, Default::Array, {0, 1}},
    {"DataBounds", qxDOUBLE_CLASS, Default::Array, {0, 1}},
    {"ColorMap", qxDOUBLE_CLASS, Default::NoArray},
    {"AlphaMap", qxDOUBLE_CLASS, Default::Array, {1}},
    {"ColorOrder", qxDOUBLE_CLASS, Default::Array, {0, 1, 1}},
    {"CompositeColorData", qxDOUBLE_CLASS, Default::NoArray},
    {"AxesView", qxDOUBLE_CLASS, Default::NoArray},
    {"Curvature", qxDOUBLE_CLASS, Default::Array, {0, 0}},
    {"NumericMatrix", qxDOUBLE_CLASS, Default::Array, {1}},
    {"VectorData", qxDOUBLE_CLASS, Default::Array, {0, 1}},
    {"ImageXYData", qxDOUBLE_CLASS, Default::Array, {1, 64}},
    {"NColorPtr", qxDOUBLE_CLASS, Default::Array, {1, 1, 1}},
    {"PatchVertices", qxDOUBLE_CLASS, Default::NoArray},
    {"PatchFaces", qxDOUBLE_CLASS, Default::NoArray},
    {"PatchFaceVertexAlphaData", qxDOUBLE_CLASS, Default::NoArray},
    {"PatchNormals", qxDOUBLE_CLASS, Default::NoArray},
    {"PatchFaceVertexCData", qxDOUBLE_CLASS, Default::NoArray},
    {"PrimitiveVertexData", qxSINGLE_CLASS, Default::NoArray},
    {"PrimitiveVertexIndices", qxUINT32_CLASS, Default::NoArray},
    {"PrimitiveStripData", qxUINT32_CLASS, Default::NoArray},
    {"PrimitiveColorData", qxUINT8_CLASS, Default::NoArray},
    {"PrimitiveRGBAData", qxUINT8_CLASS, Default::NoArray},
    {"PrimitiveNormalsData", qxSINGLE_CLASS, Default::NoArray},
    {"SurfaceCData", qxDOUBLE_CLASS, Default::NoArray},
    {"SurfaceXYData", qxDOUBLE_CLASS, Default::NoArray},
    {"SurfaceVertexNormals", qxDOUBLE_CLASS, Default::Null},
    {"TextPosition", qxDOUBLE_CLASS, Default::Array, {0, 0, 0}},
    {"Tick", qxDOUBLE_CLASS, Default::NoArray},
};

class ArrayType : public HostTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(ArrayType, DefaultValue)
{
    const TypeCase& c = GetParam();
    nyro::COSDataType* t = type(c.type);
    COSValue d = t->getDefaultValue();
    EXPECT_EQ(t->getDefaultValue(), d);
    ASSERT_EQ(d.isNull(), c.kind == Default::Null);
    const qxArray* held = d.isNull() ? nullptr : heldBy(d);
    if (c.kind != Default::Array) {
        EXPECT_EQ(held, nullptr);
        return;
    }
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(describeShape(held), "double 1x" + std::to_string(c.values.size()));
    EXPECT_EQ(std::vector<double>(qxGetPr(held), qxGetPr(held) + qxGetN(held)), c.values);
}

TEST_P(ArrayType, EmptyResultsHaveTheTypesElementClass)
{
    const TypeCase& c = GetParam();
    nyro::COSTypeConversion* mc = conversion("any", c.type);
    QxArrayPtr fromNull(nyro::pointerValue<qxArray*>(mc->to(COSValue())));
    EXPECT_EQ(qxGetClassID(fromNull.get()), c.elementClass);
    EXPECT_EQ(qxGetNumberOfElements(fromNull.get()), 0u);
    COSValue none = conversion("string", c.type)->from(slot("[]"));
    ASSERT_FALSE(none.isNull());
    QxArrayPtr fromNone(nyro::pointerValue<qxArray*>(mc->to(none)));
    EXPECT_EQ(qxGetClassID(fromNone.get()), c.elementClass);
    type(c.type)->destroy(none);
}

INSTANTIATE_TEST_SUITE_P(All, ArrayType, ::testing::ValuesIn(typeCases));

struct ParsedCase {
    const char* type;
    const char* text;
    qxClassID cls; // qxUNKNOWN_CLASS: no value
};
std::ostream& operator<<(std::ostream& os, const ParsedCase& c) { return os << c.type << " " << c.text; }

class ParsedText : public HostTest, public ::testing::WithParamInterface<ParsedCase> {};

TEST_P(ParsedText, IsReadInTheTypesElementClass)
{
    const ParsedCase& c = GetParam();
    COSValue v = conversion("string", c.type)->from(slot(c.text));
    ASSERT_EQ(v.isNull(), c.cls == qxUNKNOWN_CLASS);
    if (!v.isNull())
        EXPECT_EQ(qxGetClassID(heldBy(v)), c.cls);
    type(c.type)->destroy(v);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParsedText,
    ::testing::Values(ParsedCase{"PrimitiveVertexIndices", "[1 2 3]", qxUINT32_CLASS},
                      ParsedCase{"PrimitiveStripData", "[4 4 3]", qxUINT32_CLASS},
                      ParsedCase{"PrimitiveStripData", "[4 0 3]", qxUNKNOWN_CLASS},
                      ParsedCase{"PrimitiveColorData", "[1 2 3]", qxUNKNOWN_CLASS},
                      ParsedCase{"PrimitiveColorData", "[1 2; 3 4; 5 6; 7 8]", qxUINT8_CLASS},
                      ParsedCase{"PrimitiveRGBAData", "[255; 0; 0; 255]", qxUINT8_CLASS},
                      ParsedCase{"PrimitiveVertexData", "[1 2; 3 4; 5 6]", qxSINGLE_CLASS},
                      ParsedCase{"PrimitiveNormalsData", "[1; 0; -1]", qxSINGLE_CLASS},
                      ParsedCase{"PrimitiveNormalsData", "[1; 0; -2]", qxUNKNOWN_CLASS},
                      ParsedCase{"PrimitiveVertexIndices", "[1 -2 3]", qxUNKNOWN_CLASS},
                      ParsedCase{"ColorMap", "[1 0 0; 0 1 0]", qxDOUBLE_CLASS},
                      ParsedCase{"SurfaceVertexNormals", "[0 0 0]", qxUNKNOWN_CLASS}));

// ---- VectorData keeps vectors as rows ----------------------------------------------------

TEST_F(HostTest, VectorDataStoresColumnsAndEmptyMatricesAsRows)
{
    QxArrayPtr column(col({1, 2, 3, 4, 5}).as(qxUINT8_CLASS).make()), rowArray(row({1, 2, 3, 4, 5}).as(qxUINT8_CLASS).make());
    nyro::COSTypeConversion* mc = conversion("any", "VectorData");
    COSValue fromColumn = mc->from(slot(column.get())), fromRow = mc->from(slot(rowArray.get()));
    EXPECT_TRUE(type("VectorData")->isEqual(fromColumn, fromRow));
    QxArrayPtr out(nyro::pointerValue<qxArray*>(mc->to(fromColumn)));
    EXPECT_EQ(describeShape(out.get()), "uint8 1x5");
    EXPECT_EQ(qxGetData(out.get()), qxGetData(column.get()));
    EXPECT_EQ(describeShape(column.get()), "uint8 5x1") << "the caller's array is left as it was";
    COSValue text = conversion("string", "VectorData")->from(slot("[1;2;3]"));
    EXPECT_EQ(describeShape(heldBy(text)), "double 1x3");
    QxArrayPtr empty(mat(0, 0).make());
    EXPECT_EQ(describeShape(datatypes::VectorData(empty.get()).getPtr()), "double 1x0");
    for (COSValue v : {fromColumn, fromRow, text})
        type("VectorData")->destroy(v);
}

} // namespace
