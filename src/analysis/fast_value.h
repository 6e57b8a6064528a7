#pragma once
// F(x) in double arithmetic with a rigorous bound on its error: the quick
// road of the digit counts, which leaves to exact arithmetic only the x
// values whose bound cannot decide. No FLINT here.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quill::analysis {

struct FastVerdict {
    bool decided = false;
    double exact = 0.0;       // the double nearest to F(x)
    std::uint8_t digits = 0;  // correct digits of the reported value
};

// The coefficients scaled by one power of two, F = 2^shift · G, so that the
// largest lies where the error-free products of the bound work, whatever
// the spread of the coefficients (one of 1e308 among small ones included).
// A scaled coefficient that falls below the normal range is rounded, and
// the bound carries that rounding.
class FastRoad {
public:
    // a: the coefficients, finite.
    explicit FastRoad(std::span<const double> a);

    // The verdict for x with the reported value y; undecided where the
    // bound cannot settle the nearest double or the count.
    FastVerdict verdict(double x, double y) const;

private:
    std::vector<double> scaled_;  // a(i) · 2^−shift_
    int shift_ = 0;
    bool rounded_ = false;  // some scaled coefficient is not exact
};

// The count for a ratio q = |E| / |y − E| known to lie in [low, high]
// (high may be infinite): the number of k in 1…17 with q ≥ 10^k when both
// ends agree on it, else -1.
int digitsForRatio(double low, double high);

}  // namespace quill::analysis
