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

std::ostream& operator<<(std::ostream& os, const Case& c)
{
    return os << c.type << " " << c.input << " -> " << (c.id ? c.id : "accepted");
}

// Element class into which a type parses text.
qxClassID textClass(const std::string& type)
{
    if (type == "PrimitiveVertexData" || type == "PrimitiveNormalsData")
        return qxSINGLE_CLASS;
    if (type == "PrimitiveVertexIndices" || type == "PrimitiveStripData")
        return qxUINT32_CLASS;
    if (type == "PrimitiveColorData" || type == "PrimitiveRGBAData")
        return qxUINT8_CLASS;
    return qxDOUBLE_CLASS;
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
    {"Limits", row({-Inf, 0}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
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
    {"LimitsWithInfs", row({-1e308, 1e308})},
    {"LimitsWithInfs", row({-Inf, 0}).as(qxSINGLE_CLASS)},
    {"LimitsWithInfs", row({-Inf, Inf}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", row({Inf, Inf}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", row({Inf, 0}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", row({0, NaN}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", row({2, 2}), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
    {"LimitsWithInfs", mat(0, 0), "KELDAR:VX:TwoValuesIncreasingDimensions_M", Rows1},
    {"LimitsWithInfs", col({0, 1}), "KELDAR:VX:TwoValuesIncreasingDimensions_M", Rows1},
    {"LimitsWithInfs", row({0, 1}).as(qxINT32_CLASS), "KELDAR:VX:TwoValuesIncreasingValidate", NotIncreasing},
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
};

// Rows whose input has a text form in the type's own element class.
std::vector<Case> textCases()
{
    std::vector<Case> out;
    for (const Case& c : cases) {
        const Input& in = c.input;
        if (!in.null && in.cls == textClass(c.type) && in.dims.size() == 2 && in.numel() > 0 && !in.complex && !in.sparse)
            out.push_back(c);
    }
    return out;
}

class Acceptance : public HostTest, public ::testing::WithParamInterface<Case> {};
class TextAcceptance : public HostTest, public ::testing::WithParamInterface<Case> {};

TEST_P(Acceptance, ThroughTheArrayConverter)
{
    const Case& c = GetParam();
    gui_objects::QxArrayPtr array(c.input.make());
    nyro::COSTypeConversion* mc = conversion("any", c.type);
    ASSERT_NE(mc, nullptr);
    nyro::COSValue value;
    auto raised = raisedBy([&] { value = mc->from(nyro::COSValue::fromPointer(array.get())); });
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
    EXPECT_FALSE(raisedBy([&] { value = conversion("string", c.type)->from(nyro::COSValue::fromPointer(text.c_str())); }));
    EXPECT_EQ(value.isNull(), c.id != nullptr) << text;
    type(c.type)->destroy(value);
}

INSTANTIATE_TEST_SUITE_P(ArrayTypes, Acceptance, ::testing::ValuesIn(cases));
INSTANTIATE_TEST_SUITE_P(ArrayTypes, TextAcceptance, ::testing::ValuesIn(textCases()));

} // namespace
