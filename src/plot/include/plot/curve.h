#pragma once
// The polynomial as a curve: F sampled across the view, at least once per
// pixel column, so no wiggle between the report's points is lost.

#include <cstddef>
#include <vector>

#include "plot/axis_map.h"

namespace quill::plot {

// F(x) by the report's own rules (the same digits as the report at its x
// values). A value beyond the double range is NaN: a gap in the curve, never
// an error.
double curveValue(const std::vector<double>& coefficients, double x) noexcept;

// F(x) summed in the same order from running powers of x: n multiplications
// instead of n(n+1)/2, the same value to within a few units in the last
// place. Only for polynomials too long to sample by the report's rules in
// time. Beyond the double range it is NaN too.
double quickCurveValue(const std::vector<double>& coefficients, double x) noexcept;

// Multiplications one sampling of the curve may spend on the report's rules
// (about 40 ms); a longer polynomial is sampled with QuickCurveValue.
constexpr double kExactCurveBudget = 4e6;
// Multiplications in all for the quick way; past it the samples thin out.
constexpr double kQuickCurveBudget = 1e8;

struct CurveSamples {
    std::vector<double> u, v;  // view units; v is NaN in a gap
    bool exact = true;         // sampled by the report's rules
};

// Samples the curve at `columns + 1` evenly spaced u from u0 to u1 (both
// included): one at each pixel column edge. x is the real value of u, F(x)
// goes to view units through ymap.
CurveSamples sampleCurve(const std::vector<double>& coefficients, const LinearMap& xmap, const YMap& ymap, double u0,
                         double u1, std::size_t columns);

}  // namespace quill::plot
