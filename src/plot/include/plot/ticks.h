#pragma once
// Where an axis puts its ticks: round values (1, 2 or 5 times a power of
// ten) on a linear axis, powers of ten on the logarithmic one.

#include <vector>

#include "plot/axis_map.h"

namespace quill::plot {

// The multiples of a round step between lo and hi (real values), about
// maxCount of them and never more than 2 * maxCount + 2. Empty when the range
// is not a finite, non-empty interval.
std::vector<double> linearTicks(double lo, double hi, int maxCount);

// Ticks for the view range [v0, v1] of the symmetric-logarithm axis, as real
// values: zero and +-powers of ten from the map's threshold up, every k-th
// decade when there are too many. When fewer than two decades are in view,
// round linear ticks of the real range instead.
std::vector<double> symlogTicks(const SymlogMap& map, double v0, double v1, int maxCount);

}  // namespace quill::plot
