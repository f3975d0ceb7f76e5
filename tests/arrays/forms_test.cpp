// The validators one by one: the retry flag each check writes, answers without
// a record, records left alone on success, and the value predicates.
#include <gtest/gtest.h>

#include <vector>

#include "arrays/array_inputs.h"
#include "arrays/array_types.h"
#include "geometry/text_position.h"
#include "styles/tick.h"
#include "support/host_fixture.h"

namespace {

using namespace vxtest;
using datatypes::ErrorMessage;
using gui_objects::QxArrayPtr;

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
    {VALIDATOR(CompositeColorData, isColormapped), mat(2, 2).asSparse(), nullptr},
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

// A later form accepting leaves the earlier form's failure in the record.
TEST_F(HostTest, SuccessAfterAFailedFormClearsNothing)
{
    QxArrayPtr column(col({1, 2}).make());
    ErrorMessage record("", "", true);
    EXPECT_TRUE(datatypes::AxesView().isValid(column.get(), &record));
    EXPECT_EQ(record.id, "KELDAR:VX:HorizontalViewDimensions_M");
}

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
    {PREDICATE(Limits, isIncreasing), {0, 1}, true},
    {PREDICATE(Limits, isIncreasing), {1, 1}, false},
    {PREDICATE(Limits, isIncreasing), {0, Inf}, false},
    {PREDICATE(Limits, isIncreasing), {NaN, 1}, false},
    {PREDICATE(Limits, isIncreasing), {0, 1, 2}, false},
    {PREDICATE(LimitsWithInfs, isIncreasing), {0, Inf}, true},
    {PREDICATE(LimitsWithInfs, isIncreasing), {-Inf, Inf}, false},
    {PREDICATE(LimitsWithInfs, isIncreasing), {0, NaN}, false},
    {PREDICATE(DataBounds, isEqualOrIncreasing), {2, 2}, true},
    {PREDICATE(DataBounds, isEqualOrIncreasing), {-Inf, -Inf}, false},
    {PREDICATE(DataBounds, isEqualOrIncreasing), {NaN, NaN}, false},
    {PREDICATE(NColorPtr, isNormalized), {}, true},
    {PREDICATE(NColorPtr, isNormalized), {0, 0.5, 1, NaN, 1, 0}, true},
    {PREDICATE(NColorPtr, isNormalized), {0, 0.5}, false},
    {PREDICATE(NColorPtr, isNormalized), {0, -Inf, 1}, false},
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
    // An empty list is passed as a valid pointer: no data is a separate case.
    const double d0 = 0;
    const float f0 = 0;
    EXPECT_EQ(c.onDoubles(c.values.empty() ? &d0 : c.values.data(), c.values.size()), c.holds);
    EXPECT_EQ(c.onSingles(singles.empty() ? &f0 : singles.data(), singles.size()), c.holds);
}

INSTANTIATE_TEST_SUITE_P(Values, Predicates, ::testing::ValuesIn(predicateCases));

TEST(TickPredicate, NoDataNeverHolds)
{
    EXPECT_FALSE(datatypes::Tick::isHorizontalIncreasing(static_cast<const double*>(nullptr), 0));
    EXPECT_FALSE(datatypes::Tick::isVerticalIncreasing(static_cast<const float*>(nullptr), 0));
}

} // namespace
