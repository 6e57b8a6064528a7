#pragma once
// The lists of the last Solve, as the window keeps them: a pane without lines
// takes its list again, and the plot draws them.

#include <cstdint>
#include <utility>
#include <vector>

namespace quill {

class Evaluator {
public:
    // Takes the lists of a Solve (made on another thread).
    void setLists(std::vector<double> coefficients, std::vector<double> x, std::vector<double> fx) {
        coefficients_ = std::move(coefficients);
        x_ = std::move(x);
        fx_ = std::move(fx);
    }

    // Releases the three arrays (the window's destroy event).
    void release() {
        std::vector<double>().swap(fx_);
        std::vector<double>().swap(coefficients_);
        std::vector<double>().swap(x_);
    }

    const std::vector<double>& coefficients() const { return coefficients_; }
    const std::vector<double>& xValues() const { return x_; }
    const std::vector<double>& fxValues() const { return fx_; }
    int32_t coefficientCount() const { return static_cast<int32_t>(coefficients_.size()); }
    int32_t xCount() const { return static_cast<int32_t>(x_.size()); }

private:
    std::vector<double> coefficients_, x_, fx_;
};

}  // namespace quill
