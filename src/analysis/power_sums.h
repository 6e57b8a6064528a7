#pragma once
// The exact sums of the normal equations of a least-squares fit, in integers:
// every x is X·2^E, every y is Y·2^Ey and every weight W·2^Ew with integers
// X, Y, W under common exponents E, Ey, Ew (the least over the values), so
//   Σ w·x^k   = 2^(Ew + k·E)      · S(k),  S(k) = Σ W·X^k,    k = 0 … 2d
//   Σ w·y·x^k = 2^(Ew + Ey + k·E) · T(k),  T(k) = Σ W·Y·X^k,  k = 0 … d.
// Only GMP is used, so that the sums run on any thread.

#include <atomic>
#include <span>
#include <vector>

#include "gmp_handles.h"

namespace quill::analysis {

struct PowerSums {
    long exponentX = 0, exponentY = 0;  // E and Ey (Ew cancels out of the equations)
    std::vector<Mpz> s;                 // S(0) … S(2d)
    std::vector<Mpz> t;                 // T(0) … T(d)
};

// The values must be finite and the weights (empty: all 1) not negative;
// points of weight 0 add nothing. threads: 0 for one per hardware thread.
// AbortError once *cancel is set.
PowerSums powerSums(std::span<const double> x, std::span<const double> y, std::span<const double> w, int degree,
                    unsigned threads, const std::atomic<bool>* cancel);

}  // namespace quill::analysis
