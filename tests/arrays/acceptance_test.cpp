// Which arrays each array-valued type accepts, and with which identifier and
// text it refuses the others: one row per (type, input), run through the
// array converter (host error, "%s" replaced by the type name) and, for inputs
// that can be written as text, through the string converter (no value).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "arrays/array_inputs.h"
#include "gui_objects/gui_objects.h"
#include "support/host_fixture.h"

namespace {

using namespace vxtest;

struct Case {
    const char* type;
    Input input;
    const char* id = nullptr;   // null: accepted
    const char* tail = nullptr; // the text after "This is not a valid <type> value. "
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.type << " " << c.input << " -> " << (c.id ? c.id : "accepted"); }

// Element class into which a type parses text.
qxClassID textClass(const std::string& t)
{
    return t == "PrimitiveVertexData" || t == "PrimitiveNormalsData"     ? qxSINGLE_CLASS
           : t == "PrimitiveVertexIndices" || t == "PrimitiveStripData" ? qxUINT32_CLASS
           : t == "PrimitiveColorData" || t == "PrimitiveRGBAData"      ? qxUINT8_CLASS
                                                                          : qxDOUBLE_CLASS;
}

const char* const Shape2 = "The input must be 2 dimensional.";
const char* const Shape3 = "The input must be 3 dimensional.";
const char* const Rows1 = "The input must have 1 rows.";
const char* const Rows2 = "The input must have 2 rows.";
const char* const Rows3 = "The input must have 3 rows.";
const char* const Rows4 = "The input must have 4 rows.";
const char* const Cols1 = "The input must have 1 columns.";
const char* const Cols2 = "The input must have 2 columns.";
const char* const Cols3 = "The input must have 3 columns.";
const char* const Sparse = "Sparse inputs are not supported.";
const char* const Complex = "Complex inputs are not supported.";
const char* const Mismatch = "This is not an expected input data type.";
const char* const Range01 = "The input value should be between 0 and 1.";
const char* const Range11 = "The input value should be between -1 and 1.";
const char* const NotNumber = "The input value must be a valid number.";
const char* const NoInf = "The input value can't be Inf.";
const char* const Minimum = "The input value should be greater than 1";
const char* const Invalid = "";
const char* const NotIncreasing = "Limits values are not in increasing order.";
const char* const NotEqualOrIncreasing = "The values are not equal or increasing.";
const char* const ThirdDim = "You have specified incorrect dimensions.";
const char* const NotVector = "Specified value is not a vector.";
const char* const BadDataType = "Invalid data type.";

const Case cases[] = {
    // ---- Limits, LimitsWithInfs, DataBounds --------------------------------------------------
    {"Limits", row({0, 1})},
    {"Limits", row({0, 1}).as(qxSINGLE_CLASS)},
    {"Limits", row({-1e308, 1e308})},
    {"Limits", nullArray()},
    {"Limits", row({1, 1}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", row({1, 0}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", row({0, Inf}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", row({NaN, 1}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", row({0, NaN}).as(qxSINGLE_CLASS), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", row({0, 1}).as(qxINT32_CLASS), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", row({0, 1}).as(qxLOGICAL_CLASS), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", chars("ab"), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", mat(0, 0), "KELDAR:VX:TwoValuesIncreasingDimensions_M", Rows1},
    {"Limits", col({0, 1}), "KELDAR:VX:TwoValuesIncreasingDimensions_M", Rows1},
    {"Limits", row({0, 1, 2}), "KELDAR:VX:TwoValuesIncreasingDimensions_N", Cols2},
    {"Limits", nd({1, 2, 2}), "KELDAR:VX:TwoValuesIncreasingShape", Shape2},
    {"Limits", row({0, 1}).asSparse(), "KELDAR:VX:TwoValuesIncreasingSparse", Sparse},
    {"Limits", row({0, 1}).asComplex(), "KELDAR:VX:TwoValuesIncreasingComplex", Complex},
    {"LimitsWithInfs", row({-Inf, 0})},
    {"LimitsWithInfs", row({0, Inf})},
    {"LimitsWithInfs", row({-Inf, 0}).as(qxSINGLE_CLASS)},
    {"LimitsWithInfs", row({-Inf, Inf}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", row({Inf, 0}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", row({0, NaN}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", row({2, 2}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", col({0, 1}), "KELDAR:VX:TwoValuesIncreasingDimensions_M", Rows1},
    {"DataBounds", mat(0, 0)},
    {"DataBounds", mat(0, 3)},
    {"DataBounds", row({5, 5})},
    {"DataBounds", row({-Inf, 0})},
    {"DataBounds", row({0, 1}).as(qxSINGLE_CLASS)},
    {"DataBounds", row({5, 4}), "KELDAR:VX:TwoValuesIncreasingValidate", NotEqualOrIncreasing},
    {"DataBounds", row({-Inf, Inf}), "KELDAR:VX:TwoValuesIncreasingValidate", NotEqualOrIncreasing},
    {"DataBounds", row({NaN, NaN}), "KELDAR:VX:TwoValuesIncreasingValidate", NotEqualOrIncreasing},
    {"DataBounds", row({0, 1}).as(qxINT32_CLASS), "KELDAR:VX:TwoValuesIncreasingValidate", NotEqualOrIncreasing},
    {"DataBounds", col({0, 1}), "KELDAR:VX:TwoValuesIncreasingDimensions_M", Rows1},
    {"DataBounds", row({0, 1, 2}), "KELDAR:VX:TwoValuesIncreasingDimensions_N", Cols2},
    {"DataBounds", row({0, 1}).asSparse(), "KELDAR:VX:TwoValuesIncreasingSparse", Sparse},
    {"DataBounds", row({0, 1}).asComplex(), "KELDAR:VX:TwoValuesIncreasingComplex", Complex},

    // ---- ColorMap, AlphaMap, ColorOrder, CompositeColorData -------------------------------
    {"ColorMap", mat(0, 0)},
    {"ColorMap", nullArray()},
    {"ColorMap", mat(64, 3, {0, 0.5, 1})},
    {"ColorMap", mat(64, 3, {0, 0.5, 1}).as(qxSINGLE_CLASS)},
    {"ColorMap", mat(64, 3, {0, 255, 17}).as(qxUINT8_CLASS)},
    {"ColorMap", mat(4, 3, {0, 0.5, 1}).asSparse()},
    {"ColorMap", mat(4, 3, {0, 1.5}).asSparse(), "KELDAR:VX:DataTypeMismatchUINT8ColorMap", Mismatch},
    {"ColorMap", mat(64, 3, {0.5, NaN}), "KELDAR:VX:DataTypeMismatchUINT8ColorMap", Mismatch},
    {"ColorMap", mat(64, 3, {0.5, 1.5}), "KELDAR:VX:DataTypeMismatchUINT8ColorMap", Mismatch},
    {"ColorMap", mat(64, 3, {0.5, -Inf}), "KELDAR:VX:DataTypeMismatchUINT8ColorMap", Mismatch},
    {"ColorMap", mat(64, 3, {1}).as(qxUINT16_CLASS), "KELDAR:VX:DataTypeMismatchUINT8ColorMap", Mismatch},
    {"ColorMap", mat(64, 4), "KELDAR:VX:UINT8ColorMapDimensions_N", Cols3},
    {"ColorMap", nd({4, 3, 2}), "KELDAR:VX:UINT8ColorMapShape", Shape2},
    {"ColorMap", mat(4, 3).asComplex(), "KELDAR:VX:NormalizedColorMapComplex", Complex},
    {"ColorMap", mat(4, 3, {1}).as(qxUINT8_CLASS).asComplex(), "KELDAR:VX:NormalizedColorMapComplex", Complex},
    {"ColorMap", mat(4, 4, {1}).as(qxUINT8_CLASS).asComplex(), "KELDAR:VX:UINT8ColorMapDimensions_N", Cols3},
    {"AlphaMap", row({1})},
    {"AlphaMap", mat(1, 64, {0.25})},
    {"AlphaMap", mat(64, 1, {7})},
    {"AlphaMap", mat(1, 0)},
    {"AlphaMap", row({NaN, Inf}).as(qxSINGLE_CLASS)},
    {"AlphaMap", mat(0, 0), "KELDAR:VX:VerticalAlphaMapDimensions_N", Cols1},
    {"AlphaMap", row({1, 2}).as(qxINT8_CLASS), "KELDAR:VX:VerticalAlphaMapDimensions_N", Cols1},
    {"AlphaMap", col({1, 2}).as(qxINT8_CLASS), "KELDAR:VX:VerticalAlphaMapValidate", Invalid},
    {"AlphaMap", nd({1, 2, 2}), "KELDAR:VX:VerticalAlphaMapShape", Shape2},
    {"AlphaMap", row({1, 0.5}).asSparse(), "KELDAR:VX:AlphaMapSparse", Sparse},
    {"AlphaMap", row({1, 0.5}).asComplex(), "KELDAR:VX:AlphaMapComplex", Complex},
    {"AlphaMap", col({1, 0.5}).asSparse(), "KELDAR:VX:VerticalAlphaMapSparse", Sparse},
    {"AlphaMap", col({1, 0.5}).asComplex(), "KELDAR:VX:VerticalAlphaMapComplex", Complex},
    {"ColorOrder", row({0, 1, 1})},
    {"ColorOrder", mat(7, 3, {0, 0.25, 1})},
    {"ColorOrder", mat(0, 3)},
    {"ColorOrder", mat(7, 3, {0.5, 1}).asSparse()},
    {"ColorOrder", mat(7, 3, {0.5, -1}).asSparse(), "KELDAR:VX:ColorOrderValidate", Invalid},
    {"ColorOrder", mat(0, 0), "KELDAR:VX:ColorOrderDimensions_N", Cols3},
    {"ColorOrder", mat(7, 3, {0.5, NaN}), "KELDAR:VX:ColorOrderValidate", Invalid},
    {"ColorOrder", mat(7, 3, {0.5, 1.01}), "KELDAR:VX:ColorOrderValidate", Invalid},
    {"ColorOrder", mat(7, 3, {1}).as(qxUINT8_CLASS), "KELDAR:VX:ColorOrderValidate", Invalid},
    {"ColorOrder", nd({7, 3, 2}), "KELDAR:VX:ColorOrderShape", Shape2},
    {"ColorOrder", mat(7, 3).asComplex(), "KELDAR:VX:ColorOrderComplex", Complex},
    {"CompositeColorData", mat(0, 0)},
    {"CompositeColorData", nd({10, 20, 3}, {0, 255}).as(qxUINT8_CLASS)},
    {"CompositeColorData", nd({10, 20, 3}, {1, 0}).as(qxLOGICAL_CLASS)},
    {"CompositeColorData", mat(10, 20, {5})},
    {"CompositeColorData", mat(10, 20, {5}).as(qxUINT16_CLASS)},
    {"CompositeColorData", mat(10, 20, {5}).asSparse()},
    {"CompositeColorData", nd({10, 20, 4}), "KELDAR:VX:ColormappedShape", Shape2},
    {"CompositeColorData", mat(10, 20).as(qxINT32_CLASS), "KELDAR:VX:ColormappedValidate", Invalid},
    {"CompositeColorData", nd({10, 20, 3}).as(qxINT8_CLASS), "KELDAR:VX:ColormappedShape", Shape2},
    {"CompositeColorData", nd({10, 20, 3}).asComplex(), "KELDAR:VX:TruecolorComplex", Complex},
    {"CompositeColorData", mat(10, 20).asComplex(), "KELDAR:VX:ColormappedComplex", Complex},

    // ---- AxesView, Curvature -------------------------------------------------------------
    {"AxesView", mat(0, 0)},
    {"AxesView", row({-37.5, 30})},
    {"AxesView", col({-37.5, 30})},
    {"AxesView", row({0, Inf}), "KELDAR:VX:InfHorizontalView", NoInf},
    {"AxesView", row({0, NaN}), "KELDAR:VX:NanHorizontalView", NotNumber},
    {"AxesView", row({NaN, Inf}), "KELDAR:VX:NanHorizontalView", NotNumber},
    {"AxesView", row({-Inf, NaN}), "KELDAR:VX:InfHorizontalView", NoInf},
    {"AxesView", col({0, NaN}), "KELDAR:VX:NanVerticalView", NotNumber},
    {"AxesView", col({-Inf, 0}), "KELDAR:VX:InfVerticalView", NoInf},
    {"AxesView", row({0, 1, 2}), "KELDAR:VX:VerticalViewDimensions_M", Rows2},
    {"AxesView", mat(2, 2), "KELDAR:VX:VerticalViewDimensions_N", Cols1},
    {"AxesView", row({0, 90}).as(qxSINGLE_CLASS), "KELDAR:VX:VerticalViewDimensions_M", Rows2},
    {"AxesView", col({0, 90}).as(qxINT16_CLASS), "KELDAR:VX:DataTypeMismatchVerticalView", Mismatch},
    {"AxesView", nd({1, 2, 2}), "KELDAR:VX:VerticalViewShape", Shape2},
    {"AxesView", row({0, 1}).asSparse(), "KELDAR:VX:HorizontalViewSparse", Sparse},
    {"AxesView", row({0, 1}).asComplex(), "KELDAR:VX:HorizontalViewComplex", Complex},
    {"AxesView", col({0, 1}).asSparse(), "KELDAR:VX:VerticalViewSparse", Sparse},
    {"AxesView", col({0, 1}).asComplex(), "KELDAR:VX:VerticalViewComplex", Complex},
    {"Curvature", row({0.5})},
    {"Curvature", row({0.2, 0.8})},
    {"Curvature", row({0, 1})},
    {"Curvature", mat(0, 0)},
    {"Curvature", row({NaN}), "KELDAR:VX:NanOneValue", NotNumber},
    {"Curvature", row({2}), "KELDAR:VX:TwoValuesDimensions_N", Cols2},
    {"Curvature", row({0.5, 2}), "KELDAR:VX:OutsideRangeTwoValues", Range01},
    {"Curvature", row({0.5, Inf}), "KELDAR:VX:OutsideRangeTwoValues", Range01},
    {"Curvature", row({-0.1, NaN}), "KELDAR:VX:OutsideRangeTwoValues", Range01},
    {"Curvature", row({NaN, 2}), "KELDAR:VX:NanTwoValues", NotNumber},
    {"Curvature", row({0}).as(qxINT32_CLASS), "KELDAR:VX:TwoValuesDimensions_N", Cols2},
    {"Curvature", row({0, 1}).as(qxSINGLE_CLASS), "KELDAR:VX:DataTypeMismatchTwoValues", Mismatch},
    {"Curvature", col({0, 1}), "KELDAR:VX:TwoValuesDimensions_M", Rows1},
    {"Curvature", nd({1, 1, 2}), "KELDAR:VX:TwoValuesShape", Shape2},
    {"Curvature", row({0.5}).asComplex(), "KELDAR:VX:OneValueComplex", Complex},
    {"Curvature", row({0.5}).asSparse(), "KELDAR:VX:OneValueSparse", Sparse},
    {"Curvature", row({0.5, 0.5}).asComplex(), "KELDAR:VX:TwoValuesComplex", Complex},
    {"Curvature", row({0.5, 0.5}).asSparse(), "KELDAR:VX:TwoValuesSparse", Sparse},

    // ---- NumericMatrix, VectorData, ImageXYData, NColorPtr ------------------------------------
    {"NumericMatrix", mat(5, 7, {-3, 9}).as(qxINT16_CLASS)},
    {"NumericMatrix", mat(5, 7, {NaN, Inf})},
    {"NumericMatrix", mat(0, 0)},
    {"NumericMatrix", mat(2, 2).as(qxLOGICAL_CLASS), "KELDAR:VX:Numeric2DMatrixValidate", Invalid},
    {"NumericMatrix", chars("abc"), "KELDAR:VX:Numeric2DMatrixValidate", Invalid},
    {"NumericMatrix", cell(), "KELDAR:VX:Numeric2DMatrixValidate", Invalid},
    {"NumericMatrix", nd({2, 2, 2}), "KELDAR:VX:Numeric2DMatrixShape", Shape2},
    {"NumericMatrix", mat(2, 2, {1}).asSparse(), "KELDAR:VX:Numeric2DMatrixSparse", Sparse},
    {"NumericMatrix", mat(2, 2, {1}).asComplex(), "KELDAR:VX:Numeric2DMatrixComplex", Complex},
    {"VectorData", row({0, 1})},
    {"VectorData", col({1, 2, 3, 4, 5}).as(qxUINT8_CLASS)},
    {"VectorData", row({NaN})},
    {"VectorData", mat(0, 0)},
    {"VectorData", mat(2, 2), "KELDAR:vx:dt_conv:ExpectedColumnOrRowVector", NotVector},
    {"VectorData", nd({1, 2, 2}), "KELDAR:vx:dt_conv:ExpectedColumnOrRowVector", NotVector},
    {"VectorData", row({1, 0}).as(qxLOGICAL_CLASS), "KELDAR:VX:VectorDataValidate", Invalid},
    {"VectorData", row({1, 2}).asSparse(), "KELDAR:VX:VectorDataSparse", Sparse},
    {"VectorData", row({1, 2}).asComplex(), "KELDAR:VX:VectorDataComplex", Complex},
    {"ImageXYData", row({1, 64})},
    {"ImageXYData", col({1, 64})},
    {"ImageXYData", row({5})},
    {"ImageXYData", row({1, 64}).as(qxINT8_CLASS)},
    {"ImageXYData", row({1, 0}).as(qxLOGICAL_CLASS)},
    {"ImageXYData", row({1, 64}).asComplex()},
    {"ImageXYData", row({0, 64}).asSparse()},
    {"ImageXYData", col({0, 3, 0}).as(qxLOGICAL_CLASS).asSparse()},
    {"ImageXYData", row({NaN, 1}).asSparse(), "KELDAR:VX:ScalarValueDimensions_N", Cols1},
    {"ImageXYData", row({NaN, 1}), "KELDAR:VX:ScalarValueDimensions_N", Cols1},
    {"ImageXYData", col({1, -Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:ScalarValueDimensions_M", Rows1},
    {"ImageXYData", row({Inf}), "KELDAR:VX:ScalarValueValidate", Invalid},
    {"ImageXYData", chars("a"), "KELDAR:VX:ScalarValueValidate", Invalid},
    {"ImageXYData", mat(2, 2), "KELDAR:VX:ScalarValueDimensions_M", Rows1},
    {"ImageXYData", nd({1, 1, 2}), "KELDAR:VX:ScalarValueShape", Shape2},
    {"NColorPtr", row({1, 1, 1})},
    {"NColorPtr", mat(2, 3, {5})},
    {"NColorPtr", mat(2, 3, {-5, NaN}).as(qxSINGLE_CLASS)},
    {"NColorPtr", mat(4, 3, {NaN, 0.5})},
    {"NColorPtr", mat(3, 3, {NaN})},
    {"NColorPtr", mat(4, 3, {0.5, 2}), "KELDAR:VX:NColorValidate", Invalid},
    {"NColorPtr", mat(4, 3, {0.5, -Inf}), "KELDAR:VX:NColorValidate", Invalid},
    {"NColorPtr", mat(4, 3, {1}).as(qxUINT8_CLASS), "KELDAR:VX:NColorValidate", Invalid},
    {"NColorPtr", mat(4, 2), "KELDAR:VX:NColorDimensions_N", Cols3},
    {"NColorPtr", nd({2, 3, 2}), "KELDAR:VX:NColorShape", Shape2},
    {"NColorPtr", mat(2, 3).asSparse(), "KELDAR:VX:TwoColorSparse", Sparse},
    {"NColorPtr", mat(2, 3).asComplex(), "KELDAR:VX:TwoColorComplex", Complex},
    {"NColorPtr", mat(4, 3).asSparse(), "KELDAR:VX:NColorSparse", Sparse},
    {"NColorPtr", mat(4, 3).asComplex(), "KELDAR:VX:NColorComplex", Complex},

    // ---- Patch data -----------------------------------------------------------------------
    {"PatchVertices", mat(100, 3, {0.5}).as(qxSINGLE_CLASS)},
    {"PatchVertices", mat(100, 2, {-4}).as(qxINT32_CLASS)},
    {"PatchVertices", mat(100, 3, {NaN})},
    {"PatchVertices", mat(100, 4), "KELDAR:VX:Vertices2Dimensions_N", Cols2},
    {"PatchVertices", mat(100, 3).as(qxLOGICAL_CLASS), "KELDAR:VX:Vertices2Dimensions_N", Cols2},
    {"PatchVertices", mat(100, 2).as(qxLOGICAL_CLASS), "KELDAR:VX:Vertices2Validate", Invalid},
    {"PatchVertices", mat(100, 3).asComplex(), "KELDAR:VX:Vertices3Complex", Complex},
    {"PatchVertices", mat(100, 3, {1}).asSparse(), "KELDAR:VX:Vertices3Sparse", Sparse},
    {"PatchVertices", mat(100, 2).asComplex(), "KELDAR:VX:Vertices2Complex", Complex},
    {"PatchVertices", mat(100, 2, {1}).asSparse(), "KELDAR:VX:Vertices2Sparse", Sparse},
    {"PatchVertices", nd({10, 3, 2}), "KELDAR:VX:Vertices2Shape", Shape2},
    {"PatchFaces", mat(2, 3, {1, 2, 2, 3, 3, NaN})},
    {"PatchFaces", row({1, 2, 3}).as(qxUINT16_CLASS)},
    {"PatchFaces", row({1, 16777216}).as(qxSINGLE_CLASS)},
    {"PatchFaces", row({1, 2147483648.0}).as(qxSINGLE_CLASS), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, 2147483647})},
    {"PatchFaces", row({1, 9e18}).as(qxINT64_CLASS)},
    {"PatchFaces", row({255, 1}).as(qxUINT8_CLASS)},
    {"PatchFaces", row({0, 1, 2}), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1.5, 2, 3}), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, Inf, 2}), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, 2147483648.0}), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, 0.5}).as(qxSINGLE_CLASS), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, -2, 3}).as(qxINT8_CLASS), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, 0, 2}).as(qxINT32_CLASS), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, 0, 2}).as(qxUINT64_CLASS), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, 1}).as(qxLOGICAL_CLASS), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", nd({1, 3, 2}, {1}), "KELDAR:VX:PatchFacesShape", Shape2},
    {"PatchFaces", row({1, 2}).asSparse(), "KELDAR:VX:PatchFacesSparse", Sparse},
    {"PatchFaces", row({1, 2}).asComplex(), "KELDAR:VX:PatchFacesComplex", Complex},
    {"PatchFaceVertexAlphaData", mat(100, 1, {-3}).as(qxINT8_CLASS)},
    {"PatchFaceVertexAlphaData", mat(100, 2), "KELDAR:VX:FaceVertexAlphaDataDimensions_N", Cols1},
    {"PatchFaceVertexAlphaData", nd({2, 1, 2}), "KELDAR:VX:FaceVertexAlphaDataShape", Shape2},
    {"PatchFaceVertexAlphaData", col({1, 2}).asSparse(), "KELDAR:VX:FaceVertexAlphaDataSparse", Sparse},
    {"PatchFaceVertexAlphaData", col({1, 2}).asComplex(), "KELDAR:VX:FaceVertexAlphaDataComplex", Complex},
    {"PatchFaceVertexAlphaData", col({1, 2}).as(qxLOGICAL_CLASS), "KELDAR:VX:FaceVertexAlphaDataValidate", Invalid},
    {"PatchNormals", mat(100, 3, {NaN, 7}).as(qxUINT64_CLASS)},
    {"PatchNormals", mat(100, 2), "KELDAR:VX:NormalsDimensions_N", Cols3},
    {"PatchNormals", nd({2, 3, 2}), "KELDAR:VX:NormalsShape", Shape2},
    {"PatchNormals", mat(2, 3, {1}).asSparse(), "KELDAR:VX:NormalsSparse", Sparse},
    {"PatchNormals", mat(2, 3).asComplex(), "KELDAR:VX:NormalsComplex", Complex},
    {"PatchNormals", mat(2, 3).as(qxLOGICAL_CLASS), "KELDAR:VX:NormalsValidate", Invalid},
    {"PatchFaceVertexCData", mat(100, 1)},
    {"PatchFaceVertexCData", mat(100, 3, {0.5}).as(qxSINGLE_CLASS)},
    {"PatchFaceVertexCData", mat(100, 2), "KELDAR:VX:FaceVertexCData3ColDimensions_N", Cols3},
    {"PatchFaceVertexCData", mat(100, 1).as(qxLOGICAL_CLASS), "KELDAR:VX:FaceVertexCData3ColDimensions_N", Cols3},
    {"PatchFaceVertexCData", mat(100, 3).as(qxLOGICAL_CLASS), "KELDAR:VX:FaceVertexCData3ColValidate", Invalid},
    {"PatchFaceVertexCData", nd({2, 3, 2}), "KELDAR:VX:FaceVertexCData3ColShape", Shape2},
    {"PatchFaceVertexCData", col({1, 2}).asSparse(), "KELDAR:VX:FaceVertexCData1ColSparse", Sparse},
    {"PatchFaceVertexCData", col({1, 2}).asComplex(), "KELDAR:VX:FaceVertexCData1ColComplex", Complex},
    {"PatchFaceVertexCData", mat(2, 3, {1}).asSparse(), "KELDAR:VX:FaceVertexCData3ColSparse", Sparse},
    {"PatchFaceVertexCData", mat(2, 3).asComplex(), "KELDAR:VX:FaceVertexCData3ColComplex", Complex},

    // ---- Primitive data ---------------------------------------------------------------------
    {"PrimitiveVertexData", mat(3, 100, {-1e30, 2}).as(qxSINGLE_CLASS)},
    {"PrimitiveVertexData", mat(0, 0)},
    {"PrimitiveVertexData", mat(3, 100), "KELDAR:VX:DataTypeMismatchVertexData", Mismatch},
    {"PrimitiveVertexData", mat(3, 100, {1, Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:InfVertexData", NoInf},
    {"PrimitiveVertexData", mat(3, 100, {1, 2, NaN, -Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:NanVertexData", NotNumber},
    {"PrimitiveVertexData", mat(100, 3).as(qxSINGLE_CLASS), "KELDAR:VX:VertexDataDimensions_M", Rows3},
    {"PrimitiveVertexData", nd({3, 2, 2}).as(qxSINGLE_CLASS), "KELDAR:VX:VertexDataShape", Shape2},
    {"PrimitiveVertexData", mat(3, 2, {1}).asSparse(), "KELDAR:VX:VertexDataSparse", Sparse},
    {"PrimitiveVertexData", mat(3, 2).as(qxSINGLE_CLASS).asComplex(), "KELDAR:VX:VertexDataComplex", Complex},
    {"PrimitiveVertexIndices", row({0, 1, 2}).as(qxUINT32_CLASS)},
    {"PrimitiveVertexIndices", row({0, 1, 2}), "KELDAR:VX:DataTypeMismatchPrimitiveIndices", Mismatch},
    {"PrimitiveVertexIndices", col({0, 1}).as(qxUINT32_CLASS), "KELDAR:VX:PrimitiveIndicesDimensions_M", Rows1},
    {"PrimitiveVertexIndices", nd({1, 2, 2}).as(qxUINT32_CLASS), "KELDAR:VX:PrimitiveIndicesShape", Shape2},
    {"PrimitiveVertexIndices", row({1, 2}).asSparse(), "KELDAR:VX:PrimitiveIndicesSparse", Sparse},
    {"PrimitiveVertexIndices", row({1, 2}).as(qxUINT32_CLASS).asComplex(), "KELDAR:VX:PrimitiveIndicesComplex", Complex},
    {"PrimitiveStripData", row({4, 4, 3}).as(qxUINT32_CLASS)},
    {"PrimitiveStripData", row({1}).as(qxUINT32_CLASS)},
    {"PrimitiveStripData", row({4, 0, 3}).as(qxUINT32_CLASS), "KELDAR:VX:MinimumStripData", Minimum},
    {"PrimitiveStripData", row({3, 1, 4}), "KELDAR:VX:DataTypeMismatchStripData", Mismatch},
    {"PrimitiveStripData", col({3, 1}).as(qxUINT32_CLASS), "KELDAR:VX:StripDataDimensions_M", Rows1},
    {"PrimitiveStripData", nd({1, 1, 2}).as(qxUINT32_CLASS), "KELDAR:VX:StripDataShape", Shape2},
    {"PrimitiveStripData", row({1, 2}).asSparse(), "KELDAR:VX:StripDataSparse", Sparse},
    {"PrimitiveStripData", row({1, 2}).as(qxUINT32_CLASS).asComplex(), "KELDAR:VX:StripDataComplex", Complex},
    {"PrimitiveColorData", mat(4, 10, {255, 0}).as(qxUINT8_CLASS)},
    {"PrimitiveColorData", mat(1, 10, {0, 1}).as(qxSINGLE_CLASS)},
    {"PrimitiveColorData", mat(2, 10, {0.5}).as(qxSINGLE_CLASS)},
    {"PrimitiveColorData", mat(1, 10), "KELDAR:VX:Texturemapped2dDimensions_M", Rows2},
    {"PrimitiveColorData", mat(1, 10, {0.5, NaN}).as(qxSINGLE_CLASS), "KELDAR:VX:NanColormapped", NotNumber},
    {"PrimitiveColorData", mat(1, 10, {0.5, 2}).as(qxSINGLE_CLASS), "KELDAR:VX:Texturemapped2dDimensions_M", Rows2},
    {"PrimitiveColorData", mat(2, 10, {0.5, NaN}).as(qxSINGLE_CLASS), "KELDAR:VX:NanTexturemapped2d", NotNumber},
    {"PrimitiveColorData", mat(2, 10, {0.5, Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:OutsideRangeTexturemapped2d", Range01},
    {"PrimitiveColorData", mat(2, 10), "KELDAR:VX:DataTypeMismatchTexturemapped2d", Mismatch},
    {"PrimitiveColorData", mat(4, 10), "KELDAR:VX:Texturemapped2dDimensions_M", Rows2},
    {"PrimitiveColorData", row({1, 2, 3}).as(qxUINT8_CLASS), "KELDAR:VX:Texturemapped2dDimensions_M", Rows2},
    {"PrimitiveColorData", nd({4, 2, 2}).as(qxUINT8_CLASS), "KELDAR:VX:Texturemapped2dShape", Shape2},
    {"PrimitiveColorData", mat(4, 2, {1}).asSparse(), "KELDAR:VX:TruecolorSparse", Sparse},
    {"PrimitiveColorData", mat(4, 2).as(qxUINT8_CLASS).asComplex(), "KELDAR:VX:TruecolorComplex", Complex},
    {"PrimitiveColorData", mat(1, 2, {1}).asSparse(), "KELDAR:VX:ColormappedSparse", Sparse},
    {"PrimitiveColorData", mat(1, 2).as(qxSINGLE_CLASS).asComplex(), "KELDAR:VX:ColormappedComplex", Complex},
    {"PrimitiveColorData", mat(2, 2, {1}).asSparse(), "KELDAR:VX:Texturemapped2dSparse", Sparse},
    {"PrimitiveColorData", mat(2, 2).as(qxSINGLE_CLASS).asComplex(), "KELDAR:VX:Texturemapped2dComplex", Complex},
    {"PrimitiveRGBAData", mat(4, 10, {255, 0}).as(qxUINT8_CLASS)},
    {"PrimitiveRGBAData", mat(4, 10), "KELDAR:VX:DataTypeMismatchTruecolor", Mismatch},
    {"PrimitiveRGBAData", mat(3, 10).as(qxUINT8_CLASS), "KELDAR:VX:TruecolorDimensions_M", Rows4},
    {"PrimitiveRGBAData", nd({4, 1, 2}).as(qxUINT8_CLASS), "KELDAR:VX:TruecolorShape", Shape2},
    {"PrimitiveRGBAData", mat(4, 2, {1}).asSparse(), "KELDAR:VX:TruecolorSparse", Sparse},
    {"PrimitiveRGBAData", mat(4, 2).as(qxUINT8_CLASS).asComplex(), "KELDAR:VX:TruecolorComplex", Complex},
    {"PrimitiveNormalsData", mat(3, 10, {-1, 1, 0.25}).as(qxSINGLE_CLASS)},
    {"PrimitiveNormalsData", mat(3, 10, {-1, 1.5}).as(qxSINGLE_CLASS), "KELDAR:VX:OutsideRangeNormalsData", Range11},
    {"PrimitiveNormalsData", mat(3, 10, {-1, Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:OutsideRangeNormalsData", Range11},
    {"PrimitiveNormalsData", mat(3, 10, {-1, NaN}).as(qxSINGLE_CLASS), "KELDAR:VX:NanNormalsData", NotNumber},
    {"PrimitiveNormalsData", mat(3, 10), "KELDAR:VX:DataTypeMismatchNormalsData", Mismatch},
    {"PrimitiveNormalsData", mat(2, 10).as(qxSINGLE_CLASS), "KELDAR:VX:NormalsDataDimensions_M", Rows3},
    {"PrimitiveNormalsData", nd({3, 1, 2}).as(qxSINGLE_CLASS), "KELDAR:VX:NormalsDataShape", Shape2},
    {"PrimitiveNormalsData", mat(3, 2, {1}).asSparse(), "KELDAR:VX:NormalsDataSparse", Sparse},
    {"PrimitiveNormalsData", mat(3, 2).as(qxSINGLE_CLASS).asComplex(), "KELDAR:VX:NormalsDataComplex", Complex},

    // ---- Surface data -------------------------------------------------------------------------
    {"SurfaceCData", mat(10, 20, {NaN, 3})},
    {"SurfaceCData", nd({10, 20, 3}, {255}).as(qxUINT8_CLASS)},
    {"SurfaceCData", mat(0, 0)},
    {"SurfaceCData", nd({10, 20, 2}), "KELDAR:VX:Dimensions_Beyond2", ThirdDim},
    {"SurfaceCData", mat(10, 20).as(qxLOGICAL_CLASS), "KELDAR:VX:CData3Shape", Shape3},
    {"SurfaceCData", nd({10, 20, 3}).as(qxLOGICAL_CLASS), "KELDAR:VX:CData3Validate", Invalid},
    {"SurfaceCData", nd({2, 2, 3, 2}), "KELDAR:VX:CData3Shape", Shape3},
    {"SurfaceCData", mat(2, 2, {1}).asSparse(), "KELDAR:VX:CData2Sparse", Sparse},
    {"SurfaceCData", mat(2, 2).asComplex(), "KELDAR:VX:CData2Complex", Complex},
    {"SurfaceCData", nd({2, 2, 3}).asComplex(), "KELDAR:VX:CData3Complex", Complex},
    {"SurfaceXYData", mat(10, 1)},
    {"SurfaceXYData", mat(1, 10)},
    {"SurfaceXYData", mat(10, 20).as(qxINT64_CLASS)},
    {"SurfaceXYData", mat(10, 1).as(qxLOGICAL_CLASS), "KELDAR:VX:MatrixDataValidate", Invalid},
    {"SurfaceXYData", nd({2, 2, 2}), "KELDAR:VX:MatrixDataShape", Shape2},
    {"SurfaceXYData", col({1, 2}).asSparse(), "KELDAR:VX:VectorDataSparse", Sparse},
    {"SurfaceXYData", col({1, 2}).asComplex(), "KELDAR:VX:VectorDataComplex", Complex},
    {"SurfaceXYData", row({1, 2}).asSparse(), "KELDAR:VX:VerticalVectorDataSparse", Sparse},
    {"SurfaceXYData", row({1, 2}).asComplex(), "KELDAR:VX:VerticalVectorDataComplex", Complex},
    {"SurfaceXYData", mat(2, 2, {1}).asSparse(), "KELDAR:VX:MatrixDataSparse", Sparse},
    {"SurfaceXYData", mat(2, 2).asComplex(), "KELDAR:VX:MatrixDataComplex", Complex},
    {"SurfaceVertexNormals", nd({10, 20, 3}, {0.5}).as(qxSINGLE_CLASS)},
    {"SurfaceVertexNormals", nd({0, 2, 3})},
    {"SurfaceVertexNormals", mat(0, 0), "KELDAR:VX:VertexNormalsShape", Shape3},
    {"SurfaceVertexNormals", row({0, 0, 0}), "KELDAR:VX:VertexNormalsShape", Shape3},
    {"SurfaceVertexNormals", nd({10, 20, 3}).as(qxINT32_CLASS), "KELDAR:VX:VertexNormalsValidate", Invalid},
    {"SurfaceVertexNormals", nd({10, 20, 4}), "KELDAR:VX:Dimensions_Beyond2", ThirdDim},
    {"SurfaceVertexNormals", nd({2, 2, 3}).asComplex(), "KELDAR:VX:VertexNormalsComplex", Complex},

    // ---- TextPosition, Tick -----------------------------------------------------------------
    {"TextPosition", mat(0, 0)},
    {"TextPosition", row({1, 2})},
    {"TextPosition", row({1, 2, 3})},
    {"TextPosition", col({1, 2})},
    {"TextPosition", col({1, 2, 3})},
    {"TextPosition", row({1, -2}).as(qxINT16_CLASS)},
    {"TextPosition", col({1, 0, 1}).as(qxLOGICAL_CLASS)},
    {"TextPosition", row({NaN, Inf})},
    {"TextPosition", row({1, 2}).asComplex()},
    {"TextPosition", row({1, 2, 3, 4}), "KELDAR:VX:TextPositionColumn3Dimensions_M", Rows3},
    {"TextPosition", mat(2, 2), "KELDAR:VX:TextPositionColumn3Dimensions_M", Rows3},
    {"TextPosition", mat(3, 2), "KELDAR:VX:TextPositionColumn3Dimensions_N", Cols1},
    {"TextPosition", col({1, 2, 3}).as(qxCHAR_CLASS), "KELDAR:VX:TextPositionColumn3Validate", BadDataType},
    {"TextPosition", nd({1, 2, 2}), "KELDAR:VX:TextPositionColumn3Shape", Shape2},
    {"TextPosition", chars("ab"), "KELDAR:VX:TextPositionColumn3Dimensions_M", Rows3},
    {"TextPosition", row({1, 2}).asSparse(), "KELDAR:VX:TextPositionRow2Sparse", Sparse},
    {"TextPosition", row({1, 2, 3}).asSparse(), "KELDAR:VX:TextPositionRow3Sparse", Sparse},
    {"TextPosition", col({1, 2}).asSparse(), "KELDAR:VX:TextPositionColumn2Sparse", Sparse},
    {"TextPosition", col({1, 2, 3}).asSparse(), "KELDAR:VX:TextPositionColumn3Sparse", Sparse},
    {"Tick", row({1, 2, 3})},
    {"Tick", col({1, 2, 3})},
    {"Tick", mat(0, 0)},
    {"Tick", mat(0, 3)},
    {"Tick", row({5})},
    {"Tick", row({NaN})},
    {"Tick", row({-Inf, 0, Inf})},
    {"Tick", row({0.5, 1}).as(qxSINGLE_CLASS)},
    {"Tick", row({1, 1, 2}), "KELDAR:VX:VerticalVectorDimensions_N", Cols1},
    {"Tick", row({1, NaN, 2}), "KELDAR:VX:VerticalVectorDimensions_N", Cols1},
    {"Tick", col({3, 2, 1}), "KELDAR:VX:VerticalVectorValidate", Invalid},
    {"Tick", col({-Inf, Inf}), "KELDAR:VX:VerticalVectorValidate", Invalid},
    {"Tick", mat(2, 2), "KELDAR:VX:VerticalVectorDimensions_N", Cols1},
    {"Tick", row({1, 2, 3}).as(qxINT32_CLASS), "KELDAR:VX:VerticalVectorDimensions_N", Cols1},
    {"Tick", col({1, 2, 3}).as(qxINT32_CLASS), "KELDAR:VX:VerticalVectorValidate", Invalid},
    {"Tick", row({1, 2}).asComplex(), "KELDAR:VX:HorizontalVectorComplex", Complex},
    {"Tick", row({1, 2}).asSparse(), "KELDAR:VX:HorizontalVectorSparse", Sparse},
    {"Tick", col({1, 2}).asComplex(), "KELDAR:VX:VerticalVectorComplex", Complex},
    {"Tick", col({1, 2}).asSparse(), "KELDAR:VX:VerticalVectorSparse", Sparse},
    {"Tick", nd({1, 2, 2}), "KELDAR:VX:VerticalVectorShape", Shape2},
};

// Rows whose input has a text form in the type's own element class.
std::vector<Case> textCases()
{
    std::vector<Case> out;
    std::copy_if(std::begin(cases), std::end(cases), std::back_inserter(out), [](const Case& c) {
        const Input& in = c.input;
        return !in.null && in.cls == textClass(c.type) && in.dims.size() == 2 && in.numel() > 0 && !in.complex && !in.sparse;
    });
    return out;
}

class Acceptance : public HostTest, public ::testing::WithParamInterface<Case> {};
class TextAcceptance : public HostTest, public ::testing::WithParamInterface<Case> {};

TEST_P(Acceptance, ThroughTheArrayConverter)
{
    const Case& c = GetParam();
    gui_objects::QxArrayPtr array(c.input.make());
    nyro::COSValue value;
    auto raised = raisedBy([&] { value = conversion("any", c.type)->from(slot(array.get())); });
    if (!c.id) {
        EXPECT_FALSE(raised) << raised->id;
        EXPECT_EQ(value.isNull(), c.input.null);
        type(c.type)->destroy(value);
        return;
    }
    ASSERT_TRUE(raised) << "accepted";
    EXPECT_EQ(raised->id, c.id);
    EXPECT_EQ(raised->message, std::string("This is not a valid ") + c.type + " value. " + c.tail);
}

TEST_P(TextAcceptance, ThroughTheStringConverter)
{
    const Case& c = GetParam();
    const std::string text = c.input.text();
    nyro::COSValue value;
    EXPECT_FALSE(raisedBy([&] { value = conversion("string", c.type)->from(slot(text.c_str())); }));
    EXPECT_EQ(value.isNull(), c.id != nullptr) << text;
    type(c.type)->destroy(value);
}

INSTANTIATE_TEST_SUITE_P(ArrayTypes, Acceptance, ::testing::ValuesIn(cases));
INSTANTIATE_TEST_SUITE_P(ArrayTypes, TextAcceptance, ::testing::ValuesIn(textCases()));

} // namespace
