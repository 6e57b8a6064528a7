#pragma once
// The certified road for one y: the exact F(x) - y, its squarefree factors,
// and each real root's ball refined until its nearest double is proven.

#include <optional>
#include <span>
#include <vector>

#include "analysis/inverse.h"

namespace quill::analysis {

// The roots of F(x) - y (in the interval, when given), ascending. Frees the
// calling thread's FLINT caches before it returns.
std::vector<InverseRoot> certifiedInverse(std::span<const double> coefficients, double y,
                                          const std::optional<InverseInterval>& interval);

}  // namespace quill::analysis
