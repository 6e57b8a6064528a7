#pragma once
// The exact sign of F(m) - y, for F a polynomial of doubles, y a double and m
// a dyadic number (an integer times a power of two, as every double and every
// midpoint between two neighbouring doubles is). Only GMP is used, so that
// many threads may ask at once, each with its own Scratch.

#include <cstdint>
#include <span>
#include <vector>

#include "gmp_handles.h"

namespace quill::analysis {

// m = mantissa · 2^exponent.
struct Dyadic {
    int64_t mantissa = 0;
    long exponent = 0;
};

Dyadic dyadicOf(double value);
// The midpoint of two finite doubles a < b that are neighbours.
Dyadic midpointOf(double a, double b);

// Integers a thread reuses from one evaluation to the next.
class Scratch {
private:
    friend class ExactPolynomial;
    Mpz acc_, term_;
};

class ExactPolynomial {
public:
    // The coefficients must be finite.
    explicit ExactPolynomial(std::span<const double> coefficients);

    // -1, 0 or +1: the sign of F(m) - y, exactly.
    int signAt(const Dyadic& m, double y, Scratch& scratch) const;
    // F(m) - y exactly, as value · 2^exponent, into scratch's integer (for
    // the caller to round); returns the exponent.
    long valueAt(const Dyadic& m, double y, Scratch& scratch) const;
    mpz_srcptr value(const Scratch& scratch) const { return scratch.acc_; }

private:
    struct Term {
        int64_t mantissa = 0;  // odd, or 0
        long exponent = 0;
    };
    std::vector<Term> terms_;  // a(0) … a(n)
};

}  // namespace quill::analysis
