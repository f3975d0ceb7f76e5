// Equality of doubles up to round-off: |a - b| / max(1, max(|a|, |b|)) < 1e-12,
// an absolute tolerance below magnitude 1 and a relative one above it. NaN
// equals nothing.
#pragma once

#include <cmath>

namespace datatypes {

inline bool equalWithinRoundoffError(double a, double b)
{
    double m = std::fmax(std::fabs(a), std::fabs(b));
    double d = m > 1.0 ? m : 1.0;
    return std::fabs(a - b) / d < 1e-12;
}

} // namespace datatypes
