#pragma once
// A certified least-squares fit: the polynomial of a given degree that best
// fits measured points (x, y), optionally weighted, with every coefficient
// the double nearest to the exact least-squares solution for the very doubles
// given.

#include <atomic>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "common/error.h"

namespace quill {

inline constexpr int kMaxFitDegree = 100;

// What a degree outside 0..kMaxFitDegree is told.
std::string fitDegreeRule();

// Points that cannot be fitted (the message says why).
class FitError : public Error {
public:
    using Error::Error;
};

// How well the rounded coefficients fit. A residual is y - F(x), F(x) as the
// Solve evaluates the coefficients; with weights, the sums are weighted.
struct FitStatistics {
    std::size_t count = 0;         // the points given, zero weights included
    double largestResidual = 0.0;  // the largest |y - F(x)| among weighted points
    double rmsResidual = 0.0;      // sqrt(Σ w·r² / Σ w)
    double rSquared = 0.0;         // 1 - Σ w·r² / Σ w·(y - ȳ)²; 1 when every y is ȳ and fits
};

struct FitResult {
    std::vector<double> coefficients;  // a(0) … a(degree)
    FitStatistics statistics;
};

// x, y and w (empty: every weight 1) of equal length, finite, weights not
// negative. The normal equations Σ w·x^(j+k)·a(k) = Σ w·y·x^j are formed
// exactly (integer power sums under a common power of two, on `threads`
// threads, 0: one per hardware thread) and solved exactly over the
// rationals; each a(k) is then rounded once, to nearest, ties to even.
// Raises FitError for fewer distinct x (of positive weight) than
// degree + 1, a degree outside 0..kMaxFitDegree, a non-finite value, a
// negative weight or a coefficient beyond the double range; AbortError once
// *cancel is set.
FitResult fitPolynomial(std::span<const double> x, std::span<const double> y, std::span<const double> w, int degree,
                        unsigned threads = 0, const std::atomic<bool>* cancel = nullptr);

}  // namespace quill
