#pragma once
// What the analysis of a Solve found (background_analysis.h), as the window
// and the plot take it. No Qt here.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "analysis/roots.h"
#include "analysis/turning_points.h"

namespace quill {

// A report point whose F(x) has fewer than kTrustedDigits correct digits.
struct FewDigitsPoint {
    double x = 0.0, fx = 0.0;
    double exact = 0.0;  // the double nearest to the exact F(x)
    std::uint8_t digits = 0;
};

struct AnalysisOutcome {
    std::exception_ptr error;  // none: every part below is whole
    // The x values checked, and the fewest correct digits among them (17
    // for none).
    std::size_t checked = 0;
    std::uint8_t fewestDigits = 17;
    std::vector<FewDigitsPoint> fewDigits;  // in the order of the x values
    RootList roots;
    TurningPointList turningPoints;
};

}  // namespace quill
