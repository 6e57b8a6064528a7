#pragma once
// F(x) in double arithmetic with a rigorous bound on its error: the quick
// road of the digit counts, which leaves to exact arithmetic only the x
// values whose bound cannot decide. No FLINT here.

#include <cstddef>
#include <cstdint>

namespace quill::analysis {

struct FastVerdict {
    bool decided = false;
    double exact = 0.0;       // the double nearest to F(x)
    std::uint8_t digits = 0;  // correct digits of the reported value
};

// a[0..n): the coefficients, each of magnitude at most 2^995 (otherwise the
// answer is never decided); y: the reported value.
FastVerdict fastVerdict(const double* a, std::size_t n, double x, double y);

// The count for a ratio q = |E| / |y − E| known to lie in [low, high]
// (high may be infinite): the number of k in 1…17 with q ≥ 10^k when both
// ends agree on it, else -1.
int digitsForRatio(double low, double high);

}  // namespace quill::analysis
