#pragma once
// The double nearest to an exact rational number, for the coefficients that
// the expansion and the fit find as fractions.

#include "flint_handles.h"

namespace quill::analysis {

// The double nearest to numerator / denominator · 2^exponent (denominator
// positive), ties to the even significand, ±infinity beyond the range
// (as nearestDouble in dyadic.h), +0 for zero.
double nearestDoubleOfRatio(const fmpz* numerator, const fmpz* denominator, slong exponent = 0);

}  // namespace quill::analysis
