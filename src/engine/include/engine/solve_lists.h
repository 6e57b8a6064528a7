#pragma once
// The three lists of a Solve, as the report has them: its coefficients, its
// x values and F at each. The window keeps those of the last Solve (a pane
// without lines takes its list again, and the plot draws them); the
// analysis starts from a copy.

#include <cstdint>
#include <vector>

namespace quill {

struct SolveLists {
    std::vector<double> coefficients, x, fx;

    int32_t coefficientCount() const { return static_cast<int32_t>(coefficients.size()); }
    int32_t xCount() const { return static_cast<int32_t>(x.size()); }
    // Gives the three arrays' memory back.
    void release() {
        std::vector<double>().swap(fx);
        std::vector<double>().swap(coefficients);
        std::vector<double>().swap(x);
    }
};

}  // namespace quill
