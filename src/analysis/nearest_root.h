#pragma once
// The doubles nearest to a root's real and imaginary parts, and the real
// order of roots, decided exactly: a root's ball is shrunk until each part
// rounds one way, and a part whose ball keeps holding a point where the
// rounding changes (a midpoint between doubles, or zero) is tested for being
// exactly that point with integer arithmetic.

#include "root_set.h"

namespace quill::analysis {

struct NearestParts {
    double re = 0.0;
    double im = 0.0;
};

NearestParts nearestParts(RootSet& set, slong i);

// An exact check of a candidate point costs far more than Newton steps do
// (integer polynomials whose coefficients grow with the degree), and a root
// that only lies near a rounding boundary leaves it once its ball is a few
// times narrower than a double's spacing: so the checks wait until a ball
// is known to this many bits, relative to the root.
constexpr slong kExactCheckBits = 3 * 53;
bool exactChecksPay(const acb_struct* ball);

// Whether f(t) = 0 exactly, for a dyadic t; a point in the ball of a real
// root of f is that root exactly then.
bool isRootAt(const fmpz_poly_struct* f, const arf_struct* t);

}  // namespace quill::analysis
