#pragma once
// Exact numbers of the form integer · 2^exponent, which every double and
// every polynomial of doubles at a double is, and their nearest doubles.

#include <span>

#include "flint_handles.h"

namespace quill::analysis {

// Throws std::invalid_argument naming what when a value is not finite.
void requireFinite(std::span<const double> values, const char* what);

// Throws std::invalid_argument when the polynomial of these coefficients has
// a degree above kMostSearchedDegree (roots.h).
void requireSearchedDegree(std::span<const double> coefficients);

// F(x) = a(0) + a(1)·x + … as an integer polynomial P with F = P · 2^scale:
// every coefficient double is m · 2^e with an integer m, so nothing is
// rounded. Returns the scale; P is zero when every a(i) is. The coefficients
// must be finite.
slong integerPolynomial(fmpz_poly_struct* out, std::span<const double> a);

// A double as integer · 2^exponent, exactly (0 for ±0).
void splitDouble(double value, fmpz* mantissa, slong& exponent);

// The double nearest to mantissa · 2^exponent, ties to the even significand;
// ±infinity from 2^1024 − 2^970 on (the midpoint above the largest double),
// and +0 for zero and for every value that rounds to zero.
double nearestDouble(const fmpz* mantissa, slong exponent);
double nearestDouble(const arf_struct* value);

// What a ball says about the double nearest to the one number it encloses.
// Rounding to nearest is monotonic, so when both ends of the ball round to
// the same double, so does everything between them. Otherwise a ball that
// holds zero, or that lies between two neighbouring doubles and holds the
// midpoint of them, has that point as its candidate: a number that exactly
// equals it is never decided by a smaller ball, only by an exactness check.
struct BallVerdict {
    bool decided = false;
    double value = 0.0;         // when decided
    bool hasCandidate = false;  // otherwise: the one point in question
};
BallVerdict judgeBall(const arb_struct* ball, arf_struct* candidate);

// The exact ends of a ball.
void ballEnds(const arb_struct* ball, arf_struct* low, arf_struct* high);

// Exact value of an Arb point as a rational number.
void arfToFmpq(fmpq* out, const arf_struct* value);

}  // namespace quill::analysis
