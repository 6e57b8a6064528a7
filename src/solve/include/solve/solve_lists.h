#pragma once
// The three lists of a Solve, as the report has them.

#include <vector>

namespace quill {

struct SolveLists {
    std::vector<double> coefficients, x, fx;
};

}  // namespace quill
