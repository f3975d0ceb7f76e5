// Tick positions: a row or a column of strictly increasing doubles or singles
// (the ends may be infinite), or nothing. The value's predicates
// Tick::isHorizontalIncreasing and Tick::isVerticalIncreasing test the order.
#pragma once

#include <vector>

#include "arrays/array_property.h"

namespace datatypes {

VX_DECLARE_ARRAY_TYPE(Tick, "[]", qxDOUBLE_CLASS, Accepted, AsGiven, form::HorizontalVector, form::VerticalVector)

// A value holding the ticks as a 1xN double row (no array for an empty list).
// A list that is not strictly increasing throws ArrayBase::InvalidArrayException.
VX_API Tick convertVectorToTickData(const std::vector<double>& ticks);
// The ticks of a double or single value, widened to double, in storage order;
// an empty list for a value holding no array or another class.
VX_API std::vector<double> convertTickDataToVector(const Tick& tick);

} // namespace datatypes
