#pragma once
// Disjoint boxes around every root of a squarefree integer polynomial,
// proven from approximations: each box is shown to hold a root, and n
// pairwise disjoint boxes that each hold a root of a polynomial with n
// distinct roots hold one each.

#include "flint_handles.h"
#include "stop.h"

namespace quill::analysis {

// Rounds of "box every guess; improve the guesses whose boxes overlap or
// whose real roots are not proven" before isolate() gives up on its guesses;
// each round doubles the precision.
constexpr int kCertifyRounds = 10;

// Every root of f (squarefree, degree n ≥ 1, f(0) ≠ 0) in n disjoint boxes,
// the real ones with their imaginary parts exactly zero, starting from the
// guesses in z (midpoints). Guesses whose boxes overlap others, or a failed
// proof of the real roots, get Aberth iterations at a doubled precision
// until they settle, round after round; false when that does not succeed.
// avoidZero: no box may hold zero (a root there is kept apart).
bool certify(const fmpz_poly_struct* f, AcbVector& z, AcbVector& boxes, slong& prec, bool avoidZero, const Stop& stop);

// Aberth's correction of guess k against all the others, in midpoint
// arithmetic. True when the correction was below 2^−small of the guess.
bool aberthStep(const fmpz_poly_struct* f, const fmpz_poly_struct* slope, AcbVector& z, slong k, slong prec,
                slong small);

// The box around the point m that holds a root of f: some root lies within
// n·|f(m)/f′(m)| of m. False when f′(m) may vanish. f(m) and f′(m) are
// left in value and derivative.
bool inclusionBox(const fmpz_poly_struct* f, const fmpz_poly_struct* slope, const acb_struct* m, acb_struct* box,
                  slong prec, acb_struct* value, acb_struct* derivative);

// The sign of f at the exact point t: in ball arithmetic while that
// decides, else exactly.
int signAt(const fmpz_poly_struct* f, const arf_struct* t, slong prec);

}  // namespace quill::analysis
