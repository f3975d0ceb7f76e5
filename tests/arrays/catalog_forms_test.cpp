// What the catalog says an array form refuses is what the validator refuses:
// one refused example per form, its identifier listed for that form in the
// catalog and raised by the type's array converter.
#include <gtest/gtest.h>

#include <algorithm>

#include "arrays/array_inputs.h"
#include "frame/catalog.h"

namespace {

using namespace vxtest;

struct Refusal {
    const char* type;
    const char* prefix; // the form that speaks
    Input input;
    const char* id;
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.type << " " << r.prefix << " " << r.input; }

const Refusal refusals[] = {
    {"Limits", "TwoValuesIncreasing", row({1, 0}), "KELDAR:VX:TwoValuesIncreasingValidate"},
    {"LimitsWithInfs", "TwoValuesIncreasing", row({0, 1}).asComplex(), "KELDAR:VX:TwoValuesIncreasingComplex"},
    {"DataBounds", "TwoValuesIncreasing", col({0, 1}), "KELDAR:VX:TwoValuesIncreasingDimensions_M"},
    {"ColorMap", "NormalizedColorMap", mat(2, 3, {2}), "KELDAR:VX:NormalizedColorMapValidate"},
    {"ColorMap", "UINT8ColorMap", mat(2, 4).as(qxUINT8_CLASS), "KELDAR:VX:UINT8ColorMapDimensions_N"},
    {"AlphaMap", "AlphaMap", row({1, 2}).asSparse(), "KELDAR:VX:AlphaMapSparse"},
    {"AlphaMap", "VerticalAlphaMap", mat(2, 2), "KELDAR:VX:VerticalAlphaMapDimensions_N"},
    {"ColorOrder", "ColorOrder", mat(1, 3, {-1}), "KELDAR:VX:ColorOrderValidate"},
    {"CompositeColorData", "Truecolor", nd({2, 2, 3}).asComplex(), "KELDAR:VX:TruecolorComplex"},
    {"CompositeColorData", "Colormapped", mat(2, 2).as(qxINT8_CLASS), "KELDAR:VX:ColormappedValidate"},
    {"AxesView", "HorizontalView", row({0, NaN}), "KELDAR:VX:NanHorizontalView"},
    {"AxesView", "VerticalView", col({Inf, 0}), "KELDAR:VX:InfVerticalView"},
    {"Curvature", "OneValue", row({2}), "KELDAR:VX:OutsideRangeOneValue"},
    {"Curvature", "TwoValues", row({0, 2}), "KELDAR:VX:OutsideRangeTwoValues"},
    {"NumericMatrix", "Numeric2DMatrix", mat(2, 2).as(qxLOGICAL_CLASS), "KELDAR:VX:Numeric2DMatrixValidate"},
    {"VectorData", "VectorData", mat(2, 2), "KELDAR:vx:dt_conv:ExpectedColumnOrRowVector"},
    {"ImageXYData", "RowVector", row({0, Inf}), "KELDAR:VX:RowVectorValidate"},
    {"ImageXYData", "ScalarValue", mat(2, 2), "KELDAR:VX:ScalarValueDimensions_M"},
    {"NColorPtr", "TwoColor", mat(2, 3).asComplex(), "KELDAR:VX:TwoColorComplex"},
    {"NColorPtr", "NColor", mat(1, 3, {2}), "KELDAR:VX:NColorValidate"},
    {"PatchVertices", "Vertices3", mat(2, 3).asComplex(), "KELDAR:VX:Vertices3Complex"},
    {"PatchVertices", "Vertices2", mat(2, 4), "KELDAR:VX:Vertices2Dimensions_N"},
    {"PatchFaces", "PatchFaces", mat(1, 3, {1.5}), "KELDAR:VX:PatchFacesValidate"},
    {"PatchFaceVertexAlphaData", "FaceVertexAlphaData", mat(2, 2), "KELDAR:VX:FaceVertexAlphaDataDimensions_N"},
    {"PatchNormals", "Normals", mat(2, 3).as(qxLOGICAL_CLASS), "KELDAR:VX:NormalsValidate"},
    {"PatchFaceVertexCData", "FaceVertexCData1Col", col({1, 2}).asComplex(), "KELDAR:VX:FaceVertexCData1ColComplex"},
    {"PatchFaceVertexCData", "FaceVertexCData3Col", mat(2, 2), "KELDAR:VX:FaceVertexCData3ColDimensions_N"},
    {"PrimitiveVertexData", "VertexData", mat(3, 1, {NaN}).as(qxSINGLE_CLASS), "KELDAR:VX:NanVertexData"},
    {"PrimitiveVertexIndices", "PrimitiveIndices", row({1}), "KELDAR:VX:DataTypeMismatchPrimitiveIndices"},
    {"PrimitiveStripData", "StripData", row({0}).as(qxUINT32_CLASS), "KELDAR:VX:MinimumStripData"},
    {"PrimitiveColorData", "Texturemapped2d", mat(3, 1).as(qxSINGLE_CLASS), "KELDAR:VX:Texturemapped2dDimensions_M"},
    {"PrimitiveColorData", "Colormapped", row({2}).as(qxSINGLE_CLASS), "KELDAR:VX:OutsideRangeColormapped"},
    {"PrimitiveRGBAData", "Truecolor", mat(4, 1), "KELDAR:VX:DataTypeMismatchTruecolor"},
    {"PrimitiveNormalsData", "NormalsData", mat(3, 1, {-2}).as(qxSINGLE_CLASS), "KELDAR:VX:OutsideRangeNormalsData"},
    {"SurfaceCData", "CData2", mat(2, 2).asComplex(), "KELDAR:VX:CData2Complex"},
    {"SurfaceCData", "CData3", nd({2, 2, 2}), "KELDAR:VX:Dimensions_Beyond2"},
    {"SurfaceXYData", "MatrixData", nd({2, 2, 2}), "KELDAR:VX:MatrixDataShape"},
    {"SurfaceVertexNormals", "VertexNormals", nd({2, 2, 3}).as(qxINT8_CLASS), "KELDAR:VX:VertexNormalsValidate"},
    {"TextPosition", "TextPositionColumn3", mat(2, 2), "KELDAR:VX:TextPositionColumn3Dimensions_M"},
    {"Tick", "HorizontalVector", row({1, 1}), "KELDAR:VX:HorizontalVectorValidate"},
    {"Tick", "VerticalVector", col({2, 1}), "KELDAR:VX:VerticalVectorValidate"},
};

class FormRefusal : public HostTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(FormRefusal, IsListedForItsFormAndRaised)
{
    const Refusal& r = GetParam();
    datatypes::catalog::TypeEntry e;
    ASSERT_TRUE(datatypes::catalog::find(r.type, e));
    const auto form = std::find_if(e.forms.begin(), e.forms.end(), [&](auto& f) { return f.prefix == r.prefix; });
    ASSERT_NE(form, e.forms.end()) << "no form " << r.prefix;
    EXPECT_NE(std::find(form->identifiers.begin(), form->identifiers.end(), r.id), form->identifiers.end());
    const auto raised = raisedBy([&] { fromArray(r.type, r.input.make()); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->id, r.id);
}

INSTANTIATE_TEST_SUITE_P(OnePerForm, FormRefusal, ::testing::ValuesIn(refusals));

} // namespace
