// Which arrays each array-valued type accepts, and with which identifier and
// text it refuses the others, through the array converter (host error, "%s"
// replaced by the type name; the identifier one the catalog lists for a form
// of the type); accepted arrays are also tried again as sparse,
// complex and 3-D arrays. Then the validators one by one (the retry flag each
// check writes, answers without a record, records left alone on success) and
// the value predicates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "arrays/array_inputs.h"
#include "frame/catalog.h"
#include "geometry/text_position.h"
#include "styles/tick.h"
#include "support/host_fixture.h"

namespace {

using namespace vxtest;
using datatypes::ErrorMessage;
using gui_objects::QxArrayPtr;

struct Case {
    const char* type;
    Input input;
    const char* id = nullptr;   // null: accepted
    const char* tail = nullptr; // the text after "This is not a valid <type> value. "
    // For an accepted array: what the type answers when the same array is sparse
    // (made from double elements: sparse arrays are double or logical), complex,
    // or has a third dimension of 2. "": accepted; null: not tried. Identifiers
    // without a namespace are "KELDAR:VX:" ones.
    const char* sparse = nullptr;
    const char* complex = nullptr;
    const char* threeD = nullptr;
};
Case variants(const char* type, Input input, const char* sparse, const char* complex, const char* threeD)
{
    return {type, input, nullptr, nullptr, sparse, complex, threeD};
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.type << " " << c.input << " -> " << (c.id ? c.id : c.complex || c.threeD ? "variants" : "accepted"); }

const char* const Shape3 = "The input must be 3 dimensional.";
const char* const Rows1 = "The input must have 1 rows.";
const char* const Rows2 = "The input must have 2 rows.";
const char* const Rows3 = "The input must have 3 rows.";
const char* const Cols1 = "The input must have 1 columns.";
const char* const Cols2 = "The input must have 2 columns.";
const char* const Cols3 = "The input must have 3 columns.";
const char* const Mismatch = "This is not an expected input data type.";
const char* const Range01 = "The input value should be between 0 and 1.";
const char* const NotNumber = "The input value must be a valid number.";
const char* const NoInf = "The input value can't be Inf.";
const char* const Invalid = "";
const char* const NotIncreasing = "Limits values are not in increasing order.";
const char* const ThirdDim = "You have specified incorrect dimensions.";
const char* const NotVector = "Specified value is not a vector.";

const Case cases[] = {
    {"Limits", nullArray()},
    {"Limits", row({1, 1}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", mat(0, 0), "KELDAR:VX:TwoValuesIncreasingDimensions_M", Rows1},
    {"Limits", row({0, 1, 2}), "KELDAR:VX:TwoValuesIncreasingDimensions_N", Cols2},
    {"Limits", row({-Inf, 0}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"Limits", row({0, 1}).as(qxSINGLE_CLASS)},
    {"Limits", row({1, 0}).as(qxSINGLE_CLASS), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", row({-Inf, 0})},
    {"LimitsWithInfs", row({2, 2}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"DataBounds", row({5, 4}), "KELDAR:VX:TwoValuesIncreasingValidate", "The values are not equal or increasing."},

    {"ColorMap", mat(64, 3, {0, 255, 17}).as(qxUINT8_CLASS)},
    {"ColorMap", mat(4, 3, {0, 1.5}).asSparse(), "KELDAR:VX:DataTypeMismatchUINT8ColorMap", Mismatch},
    {"ColorMap", mat(64, 3, {0.5, NaN}), "KELDAR:VX:DataTypeMismatchUINT8ColorMap", Mismatch},
    {"ColorMap", mat(64, 4), "KELDAR:VX:UINT8ColorMapDimensions_N", Cols3},
    {"AlphaMap", mat(0, 0), "KELDAR:VX:VerticalAlphaMapDimensions_N", Cols1},
    {"AlphaMap", col({1, 2}).as(qxINT8_CLASS), "KELDAR:VX:VerticalAlphaMapValidate", Invalid},
    {"ColorOrder", mat(7, 3, {0.5, -1}).asSparse(), "KELDAR:VX:ColorOrderValidate", Invalid},
    {"ColorOrder", mat(0, 0), "KELDAR:VX:ColorOrderDimensions_N", Cols3},
    {"CompositeColorData", nd({10, 20, 3}, {1, 0}).as(qxLOGICAL_CLASS)},
    {"CompositeColorData", mat(10, 20).as(qxINT32_CLASS), "KELDAR:VX:ColormappedValidate", Invalid},

    {"AxesView", row({0, Inf}), "KELDAR:VX:InfHorizontalView", NoInf},
    {"AxesView", row({0, NaN}), "KELDAR:VX:NanHorizontalView", NotNumber},
    {"AxesView", col({0, NaN}), "KELDAR:VX:NanVerticalView", NotNumber},
    {"AxesView", col({-Inf, 0}), "KELDAR:VX:InfVerticalView", NoInf},
    {"AxesView", row({0, 1, 2}), "KELDAR:VX:VerticalViewDimensions_M", Rows2},
    {"AxesView", mat(2, 2), "KELDAR:VX:VerticalViewDimensions_N", Cols1},
    {"AxesView", col({0, 90}).as(qxINT16_CLASS), "KELDAR:VX:DataTypeMismatchVerticalView", Mismatch},
    {"Curvature", row({0, 1})},
    {"Curvature", mat(0, 0)},
    {"Curvature", row({NaN}), "KELDAR:VX:NanOneValue", NotNumber},
    {"Curvature", row({2}), "KELDAR:VX:TwoValuesDimensions_N", Cols2},
    {"Curvature", row({0.5, 2}), "KELDAR:VX:OutsideRangeTwoValues", Range01},
    {"Curvature", row({-0.1, NaN}), "KELDAR:VX:OutsideRangeTwoValues", Range01},
    {"Curvature", row({NaN, 2}), "KELDAR:VX:NanTwoValues", NotNumber},
    {"Curvature", row({0, 1}).as(qxSINGLE_CLASS), "KELDAR:VX:DataTypeMismatchTwoValues", Mismatch},
    {"Curvature", col({0, 1}), "KELDAR:VX:TwoValuesDimensions_M", Rows1},

    {"NumericMatrix", mat(2, 2).as(qxLOGICAL_CLASS), "KELDAR:VX:Numeric2DMatrixValidate", Invalid},
    {"VectorData", mat(2, 2), "KELDAR:vx:dt_conv:ExpectedColumnOrRowVector", NotVector},
    {"VectorData", row({1, 0}).as(qxLOGICAL_CLASS), "KELDAR:VX:VectorDataValidate", Invalid},
    {"ImageXYData", col({1, 64})},
    {"ImageXYData", row({1, 0}).as(qxLOGICAL_CLASS)},
    {"ImageXYData", row({NaN, 1}).asSparse(), "KELDAR:VX:ScalarValueDimensions_N", Cols1},
    {"ImageXYData", col({1, -Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:ScalarValueDimensions_M", Rows1},
    {"ImageXYData", row({Inf}), "KELDAR:VX:ScalarValueValidate", Invalid},
    {"NColorPtr", mat(4, 3, {0.5, 2}), "KELDAR:VX:NColorValidate", Invalid},
    {"NColorPtr", mat(4, 2), "KELDAR:VX:NColorDimensions_N", Cols3},

    {"PatchVertices", mat(100, 4), "KELDAR:VX:Vertices2Dimensions_N", Cols2},
    {"PatchVertices", mat(100, 2).as(qxLOGICAL_CLASS), "KELDAR:VX:Vertices2Validate", Invalid},
    {"PatchFaces", row({1, 2147483647})},
    {"PatchFaces", row({1, 9e18}).as(qxINT64_CLASS)},
    {"PatchFaces", row({1, 2147483648.0}), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({0, 1, 2}), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1.5, 2, 3}), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, 0, 2}).as(qxINT32_CLASS), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaces", row({1, 0, 2}).as(qxUINT64_CLASS), "KELDAR:VX:PatchFacesValidate", Invalid},
    {"PatchFaceVertexAlphaData", mat(100, 2), "KELDAR:VX:FaceVertexAlphaDataDimensions_N", Cols1},
    {"PatchFaceVertexAlphaData", col({1, 2}).as(qxLOGICAL_CLASS), "KELDAR:VX:FaceVertexAlphaDataValidate", Invalid},
    {"PatchNormals", mat(100, 2), "KELDAR:VX:NormalsDimensions_N", Cols3},
    {"PatchNormals", mat(2, 3).as(qxLOGICAL_CLASS), "KELDAR:VX:NormalsValidate", Invalid},
    {"PatchFaceVertexCData", mat(100, 2), "KELDAR:VX:FaceVertexCData3ColDimensions_N", Cols3},
    {"PatchFaceVertexCData", mat(100, 3).as(qxLOGICAL_CLASS), "KELDAR:VX:FaceVertexCData3ColValidate", Invalid},

    {"PrimitiveVertexData", mat(3, 100), "KELDAR:VX:DataTypeMismatchVertexData", Mismatch},
    {"PrimitiveVertexData", mat(3, 100, {1, Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:InfVertexData", NoInf},
    {"PrimitiveVertexData", mat(3, 100, {1, 2, NaN, -Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:NanVertexData", NotNumber},
    {"PrimitiveVertexData", mat(100, 3).as(qxSINGLE_CLASS), "KELDAR:VX:VertexDataDimensions_M", Rows3},
    {"PrimitiveVertexIndices", row({0, 1, 2}), "KELDAR:VX:DataTypeMismatchPrimitiveIndices", Mismatch},
    {"PrimitiveVertexIndices", col({0, 1}).as(qxUINT32_CLASS), "KELDAR:VX:PrimitiveIndicesDimensions_M", Rows1},
    {"PrimitiveStripData", row({4, 0, 3}).as(qxUINT32_CLASS), "KELDAR:VX:MinimumStripData", "The input value should be greater than 1"},
    {"PrimitiveStripData", row({3, 1, 4}), "KELDAR:VX:DataTypeMismatchStripData", Mismatch},
    {"PrimitiveStripData", col({3, 1}).as(qxUINT32_CLASS), "KELDAR:VX:StripDataDimensions_M", Rows1},
    {"PrimitiveColorData", mat(1, 10), "KELDAR:VX:Texturemapped2dDimensions_M", Rows2},
    {"PrimitiveColorData", mat(1, 10, {0.5, NaN}).as(qxSINGLE_CLASS), "KELDAR:VX:NanColormapped", NotNumber},
    {"PrimitiveColorData", mat(2, 10, {0.5, NaN}).as(qxSINGLE_CLASS), "KELDAR:VX:NanTexturemapped2d", NotNumber},
    {"PrimitiveColorData", mat(2, 10, {0.5, Inf}).as(qxSINGLE_CLASS), "KELDAR:VX:OutsideRangeTexturemapped2d", Range01},
    {"PrimitiveColorData", mat(2, 10), "KELDAR:VX:DataTypeMismatchTexturemapped2d", Mismatch},
    {"PrimitiveRGBAData", mat(4, 10), "KELDAR:VX:DataTypeMismatchTruecolor", Mismatch},
    {"PrimitiveRGBAData", mat(3, 10).as(qxUINT8_CLASS), "KELDAR:VX:TruecolorDimensions_M", "The input must have 4 rows."},
    {"PrimitiveNormalsData", mat(3, 10, {-1, 1.5}).as(qxSINGLE_CLASS), "KELDAR:VX:OutsideRangeNormalsData", "The input value should be between -1 and 1."},
    {"PrimitiveNormalsData", mat(3, 10, {-1, NaN}).as(qxSINGLE_CLASS), "KELDAR:VX:NanNormalsData", NotNumber},
    {"PrimitiveNormalsData", mat(3, 10), "KELDAR:VX:DataTypeMismatchNormalsData", Mismatch},
    {"PrimitiveNormalsData", mat(2, 10).as(qxSINGLE_CLASS), "KELDAR:VX:NormalsDataDimensions_M", Rows3},

    {"SurfaceCData", mat(10, 20).as(qxLOGICAL_CLASS), "KELDAR:VX:CData3Shape", Shape3},
    {"SurfaceCData", nd({10, 20, 3}).as(qxLOGICAL_CLASS), "KELDAR:VX:CData3Validate", Invalid},
    {"SurfaceXYData", mat(10, 1).as(qxLOGICAL_CLASS), "KELDAR:VX:MatrixDataValidate", Invalid},
    {"SurfaceVertexNormals", nd({0, 2, 3})},
    {"SurfaceVertexNormals", mat(0, 0), "KELDAR:VX:VertexNormalsShape", Shape3},
    {"SurfaceVertexNormals", nd({10, 20, 3}).as(qxINT32_CLASS), "KELDAR:VX:VertexNormalsValidate", Invalid},
    {"SurfaceVertexNormals", nd({10, 20, 4}), "KELDAR:VX:Dimensions_Beyond2", ThirdDim},

    {"TextPosition", row({1, 2, 3, 4}), "KELDAR:VX:TextPositionColumn3Dimensions_M", Rows3},
    {"TextPosition", mat(3, 2), "KELDAR:VX:TextPositionColumn3Dimensions_N", Cols1},
    {"TextPosition", col({1, 2, 3}).as(qxCHAR_CLASS), "KELDAR:VX:TextPositionColumn3Validate", "Invalid data type."},
    {"Tick", mat(0, 0)},
    {"Tick", row({1, 1, 2}), "KELDAR:VX:VerticalVectorDimensions_N", Cols1},
    {"Tick", col({3, 2, 1}), "KELDAR:VX:VerticalVectorValidate", Invalid},

    // Accepted arrays tried again as sparse, complex and 3-D arrays.
    variants("Limits", row({0, 1}), "TwoValuesIncreasingSparse", "TwoValuesIncreasingComplex", "TwoValuesIncreasingShape"),
    variants("DataBounds", row({5, 5}), "TwoValuesIncreasingSparse", "TwoValuesIncreasingComplex", nullptr),
    variants("ColorMap", mat(4, 3, {0, 0.5, 1}), "", "NormalizedColorMapComplex", "UINT8ColorMapShape"),
    variants("AlphaMap", mat(1, 64, {0.25}), "AlphaMapSparse", "AlphaMapComplex", "VerticalAlphaMapShape"),
    variants("AlphaMap", mat(64, 1, {7}), "VerticalAlphaMapSparse", "VerticalAlphaMapComplex", nullptr),
    variants("ColorOrder", mat(7, 3, {0, 0.25, 1}), "", "ColorOrderComplex", "ColorOrderShape"),
    variants("CompositeColorData", mat(10, 20, {5}), "", "ColormappedComplex", "ColormappedShape"),
    variants("CompositeColorData", nd({10, 20, 3}, {0, 255}).as(qxUINT8_CLASS), nullptr, "TruecolorComplex", nullptr),
    variants("AxesView", row({-37.5, 30}), "HorizontalViewSparse", "HorizontalViewComplex", "VerticalViewShape"),
    variants("AxesView", col({-37.5, 30}), "VerticalViewSparse", "VerticalViewComplex", nullptr),
    variants("Curvature", row({0.5}), "OneValueSparse", "OneValueComplex", "TwoValuesShape"),
    variants("Curvature", row({0.2, 0.8}), "TwoValuesSparse", "TwoValuesComplex", nullptr),
    variants("NumericMatrix", mat(5, 7, {NaN, Inf}), "Numeric2DMatrixSparse", "Numeric2DMatrixComplex", "Numeric2DMatrixShape"),
    variants("VectorData", row({0, 1}), "VectorDataSparse", "VectorDataComplex", "KELDAR:vx:dt_conv:ExpectedColumnOrRowVector"),
    variants("ImageXYData", row({0, 64}), "", "", "ScalarValueShape"),
    variants("NColorPtr", mat(2, 3, {5}), "TwoColorSparse", "TwoColorComplex", nullptr),
    variants("NColorPtr", mat(4, 3, {NaN, 0.5}), "NColorSparse", "NColorComplex", "NColorShape"),
    variants("PatchVertices", mat(100, 3, {0.5}).as(qxSINGLE_CLASS), "Vertices3Sparse", "Vertices3Complex", nullptr),
    variants("PatchVertices", mat(100, 2, {-4}).as(qxINT32_CLASS), "Vertices2Sparse", "Vertices2Complex", "Vertices2Shape"),
    variants("PatchFaces", mat(2, 3, {1, 2, 2, 3, 3, NaN}), "PatchFacesSparse", "PatchFacesComplex", "PatchFacesShape"),
    variants("PatchFaceVertexAlphaData", mat(100, 1, {-3}).as(qxINT8_CLASS), "FaceVertexAlphaDataSparse", "FaceVertexAlphaDataComplex", "FaceVertexAlphaDataShape"),
    variants("PatchNormals", mat(2, 3, {1}), "NormalsSparse", "NormalsComplex", "NormalsShape"),
    variants("PatchFaceVertexCData", mat(100, 1), "FaceVertexCData1ColSparse", "FaceVertexCData1ColComplex", "FaceVertexCData3ColShape"),
    variants("PatchFaceVertexCData", mat(100, 3, {0.5}).as(qxSINGLE_CLASS), "FaceVertexCData3ColSparse", "FaceVertexCData3ColComplex", nullptr),
    variants("PrimitiveVertexData", mat(3, 100, {-1e30, 2}).as(qxSINGLE_CLASS), "VertexDataSparse", "VertexDataComplex", "VertexDataShape"),
    variants("PrimitiveVertexIndices", row({0, 1, 2}).as(qxUINT32_CLASS), "PrimitiveIndicesSparse", "PrimitiveIndicesComplex", "PrimitiveIndicesShape"),
    variants("PrimitiveStripData", row({4, 4, 3}).as(qxUINT32_CLASS), "StripDataSparse", "StripDataComplex", "StripDataShape"),
    variants("PrimitiveColorData", mat(4, 10, {255, 0}).as(qxUINT8_CLASS), "TruecolorSparse", "TruecolorComplex", "Texturemapped2dShape"),
    variants("PrimitiveColorData", mat(1, 10, {0, 1}).as(qxSINGLE_CLASS), "ColormappedSparse", "ColormappedComplex", nullptr),
    variants("PrimitiveColorData", mat(2, 10, {0.5}).as(qxSINGLE_CLASS), "Texturemapped2dSparse", "Texturemapped2dComplex", nullptr),
    variants("PrimitiveRGBAData", mat(4, 10, {255, 0}).as(qxUINT8_CLASS), nullptr, nullptr, "TruecolorShape"),
    variants("PrimitiveNormalsData", mat(3, 10, {-1, 1, 0.25}).as(qxSINGLE_CLASS), "NormalsDataSparse", "NormalsDataComplex", "NormalsDataShape"),
    variants("SurfaceCData", mat(10, 20, {NaN, 3}), "CData2Sparse", "CData2Complex", "Dimensions_Beyond2"),
    variants("SurfaceCData", nd({10, 20, 3}, {255}).as(qxUINT8_CLASS), nullptr, "CData3Complex", nullptr),
    variants("SurfaceXYData", mat(10, 1), "VectorDataSparse", "VectorDataComplex", nullptr),
    variants("SurfaceXYData", mat(1, 10), "VerticalVectorDataSparse", "VerticalVectorDataComplex", nullptr),
    variants("SurfaceXYData", mat(10, 20).as(qxINT64_CLASS), "MatrixDataSparse", "MatrixDataComplex", "MatrixDataShape"),
    variants("SurfaceVertexNormals", nd({10, 20, 3}, {0.5}).as(qxSINGLE_CLASS), nullptr, "VertexNormalsComplex", nullptr),
    variants("TextPosition", row({1, 2}), "TextPositionRow2Sparse", "", "TextPositionColumn3Shape"),
    variants("TextPosition", row({1, 2, 3}), "TextPositionRow3Sparse", "", nullptr),
    variants("TextPosition", col({1, 2}), "TextPositionColumn2Sparse", "", nullptr),
    variants("TextPosition", col({1, 2, 3}), "TextPositionColumn3Sparse", "", nullptr),
    variants("Tick", row({1, 2, 3}), "HorizontalVectorSparse", "HorizontalVectorComplex", "VerticalVectorShape"),
    variants("Tick", col({1, 2, 3}), "VerticalVectorSparse", "VerticalVectorComplex", nullptr),
};


// The text after the type's name for a check the variants reach.
std::string variantTail(const std::string& id)
{
    return id.ends_with("Sparse")    ? "Sparse inputs are not supported."
           : id.ends_with("Complex") ? "Complex inputs are not supported."
           : id.ends_with("Shape")   ? "The input must be 2 dimensional."
           : id.ends_with("Beyond2") ? ThirdDim
                                     : NotVector;
}

void expectConversion(const char* type, const Input& input, const char* id, const std::string& tail)
{
    gui_objects::QxArrayPtr array(input.make());
    nyro::COSValue value;
    auto raised = raisedBy([&] { value = conversion("any", type)->from(slot(array.get())); });
    if (!id) {
        EXPECT_FALSE(raised) << raised->id;
        EXPECT_EQ(value.isNull(), input.null);
        vxtest::type(type)->destroy(value);
        return;
    }
    ASSERT_TRUE(raised) << "accepted";
    EXPECT_EQ(raised->id, id);
    EXPECT_EQ(raised->message, std::string("This is not a valid ") + type + " value. " + tail);
    // What the catalog tells users this type can refuse with.
    datatypes::catalog::TypeEntry entry;
    ASSERT_TRUE(datatypes::catalog::find(type, entry));
    EXPECT_TRUE(std::any_of(entry.forms.begin(), entry.forms.end(), [&](const auto& form) {
        return std::find(form.identifiers.begin(), form.identifiers.end(), raised->id) != form.identifiers.end();
    })) << raised->id << " is not among the identifiers the catalog lists";
}

class Acceptance : public HostTest, public ::testing::WithParamInterface<Case> {};

TEST_P(Acceptance, ThroughTheArrayConverter)
{
    const Case& c = GetParam();
    expectConversion(c.type, c.input, c.id, c.tail ? c.tail : "");
    Input threeD = c.input;
    threeD.dims.push_back(2);
    const std::pair<const char*, Input> tries[] = {
        {c.sparse, c.input.as(qxDOUBLE_CLASS).asSparse()}, {c.complex, c.input.asComplex()}, {c.threeD, threeD}};
    for (const auto& [expected, input] : tries) {
        if (!expected)
            continue;
        SCOPED_TRACE(input.describe());
        const std::string id = !*expected ? "" : std::strchr(expected, ':') ? expected : std::string("KELDAR:VX:") + expected;
        expectConversion(c.type, input, *expected ? id.c_str() : nullptr, variantTail(id));
    }
}

INSTANTIATE_TEST_SUITE_P(ArrayTypes, Acceptance, ::testing::ValuesIn(cases));

// ---- the validators ------------------------------------------------------------------

using Validator = bool (*)(const qxArray*, ErrorMessage*);

struct FormCase {
    const char* name;
    Validator validator;
    Input input;
    const char* id; // null: the array has the form
    bool retry = false;
};
void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name << " " << c.input; }

#define VALIDATOR(T, F) #T "::" #F, &datatypes::T::F

// One row per kind of retry flag; the acceptance tables show each check's
// identifier and, through the types with several forms, its effect.
const FormCase formCases[] = {
    {VALIDATOR(Limits, isTwoValuesIncreasing), row({0, 1}), nullptr},
    {VALIDATOR(Limits, isTwoValuesIncreasing), nullArray(), "KELDAR:VX:TwoValuesIncreasingShape", true},
    {VALIDATOR(Limits, isTwoValuesIncreasing), row({0, 1}).asSparse(), "KELDAR:VX:TwoValuesIncreasingSparse", false},
    {VALIDATOR(AxesView, isHorizontalView), row({0, Inf}), "KELDAR:VX:InfHorizontalView", false},
    {VALIDATOR(VectorData, isVectorData), mat(2, 2), "KELDAR:vx:dt_conv:ExpectedColumnOrRowVector", true},
    {VALIDATOR(PrimitiveStripData, isStripData), row({1, 0}).as(qxUINT32_CLASS), "KELDAR:VX:MinimumStripData", true},
    {VALIDATOR(SurfaceXYData, isVectorData), row({1, 2}), "KELDAR:VX:VectorDataDimensions_N", true},
};

class Validators : public HostTest, public ::testing::WithParamInterface<FormCase> {};

TEST_P(Validators, WriteIdentifierAndRetryFlagOnlyWhenFailing)
{
    const FormCase& c = GetParam();
    QxArrayPtr a(c.input.make());
    ErrorMessage record("untouched", "untouched", true);
    EXPECT_EQ(c.validator(a.get(), &record), c.id == nullptr);
    EXPECT_EQ(c.validator(a.get(), nullptr), c.id == nullptr);
    EXPECT_EQ(record.id, c.id ? c.id : "untouched");
    EXPECT_EQ(bool(record.tryNextForm), c.id ? c.retry : true);
    EXPECT_NE(record.message.find(c.id ? "%s" : "untouched"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Forms, Validators, ::testing::ValuesIn(formCases));

TEST_F(HostTest, QueriesOfTheHeldArray)
{
    QxArrayPtr a(mat(4, 3, {0.5}).make());
    datatypes::ColorMap map(a.get()), none;
    EXPECT_TRUE(map.isNormalizedColorMap());
    EXPECT_FALSE(map.isUINT8ColorMap());
    EXPECT_FALSE(none.isNormalizedColorMap());
    EXPECT_FALSE(datatypes::Tick().isHorizontalVector() || datatypes::Tick().isVerticalVector());
}

// ---- predicates ------------------------------------------------------------------------

using Predicate = bool (*)(const double*, unsigned long);
using SinglePredicate = bool (*)(const float*, unsigned long);

struct PredicateCase {
    const char* name;
    Predicate onDoubles;
    SinglePredicate onSingles;
    std::vector<double> values;
    bool holds;
};
void PrintTo(const PredicateCase& c, std::ostream* os) { *os << c.name << " " << ::testing::PrintToString(c.values); }

#define PREDICATE(T, F) #T "::" #F, &datatypes::T::F, &datatypes::T::F

const PredicateCase predicateCases[] = {
    {PREDICATE(Limits, isIncreasing), {0, Inf}, false},
    {PREDICATE(Limits, isIncreasing), {NaN, 1}, false},
    {PREDICATE(Limits, isIncreasing), {0, 1, 2}, false},
    {PREDICATE(LimitsWithInfs, isIncreasing), {0, Inf}, true},
    {PREDICATE(LimitsWithInfs, isIncreasing), {-Inf, Inf}, false},
    {PREDICATE(LimitsWithInfs, isIncreasing), {0, NaN}, false},
    {PREDICATE(DataBounds, isEqualOrIncreasing), {-Inf, -Inf}, false},
    {PREDICATE(DataBounds, isEqualOrIncreasing), {NaN, NaN}, false},
    {PREDICATE(NColorPtr, isNormalized), {}, true},
    {PREDICATE(NColorPtr, isNormalized), {0, 0.5}, false},
    {PREDICATE(NColorPtr, isNormalized), {0, -Inf, 1}, false},
    {PREDICATE(Tick, isHorizontalIncreasing), {}, false},
    {PREDICATE(Tick, isVerticalIncreasing), {}, false},
    {PREDICATE(Tick, isHorizontalIncreasing), {NaN}, true},
    {PREDICATE(Tick, isHorizontalIncreasing), {-Inf, 0, Inf}, true},
    {PREDICATE(Tick, isHorizontalIncreasing), {-Inf, Inf}, false},
    {PREDICATE(Tick, isHorizontalIncreasing), {1, 2, NaN}, false},
    {PREDICATE(Tick, isVerticalIncreasing), {1, 1, 2}, false},
};

class Predicates : public ::testing::TestWithParam<PredicateCase> {};

TEST_P(Predicates, HoldForDoublesAndWidenedSingles)
{
    const PredicateCase& c = GetParam();
    const std::vector<float> singles(c.values.begin(), c.values.end());
    // An empty list is passed as no data: a null pointer.
    EXPECT_EQ(c.onDoubles(c.values.empty() ? nullptr : c.values.data(), c.values.size()), c.holds);
    EXPECT_EQ(c.onSingles(singles.empty() ? nullptr : singles.data(), singles.size()), c.holds);
}

INSTANTIATE_TEST_SUITE_P(Values, Predicates, ::testing::ValuesIn(predicateCases));

} // namespace
