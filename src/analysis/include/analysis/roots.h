#pragma once
// Every complex root of F(x) = a(0) + a(1)·x + … + a(n)·xⁿ, the polynomial of
// the coefficient doubles themselves. A double is an integer times a power of
// two, so F is exactly an integer polynomial divided by a power of two, and
// nothing below is approximated: the roots are isolated and refined in
// certified ball arithmetic until the double nearest to each part is proven,
// and where a part could sit exactly on a rounding boundary, integer
// arithmetic decides whether it does.

#include <atomic>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace quill {

// One distinct root.
struct PolynomialRoot {
    // The doubles nearest to the exact real and imaginary parts, ties to the
    // even significand; ±infinity beyond the double range; +0 for a part that
    // rounds to zero. A real root has im exactly 0 (proven real by sign
    // changes of F, never a leftover such as 1e-17).
    double re = 0.0;
    double im = 0.0;
    // How often the root divides F, from the exact squarefree factorisation.
    int multiplicity = 1;
};

// What the command line and the Python module say of a zero polynomial.
inline constexpr std::string_view kNoIsolatedRoots =
    "every coefficient is zero, so the polynomial has no isolated roots";

struct RootList {
    // Every coefficient is zero: every x is a root, none is isolated, and the
    // list is empty. (A non-zero constant simply has no roots.)
    bool zeroPolynomial = false;
    // The real roots first, ascending; then the others by re, then by im.
    // The multiplicities add up to the degree (the highest power with a
    // non-zero coefficient).
    std::vector<PolynomialRoot> roots;
};

// The highest degree whose roots (or turning points) are searched for. The
// time grows with the square of the degree: on two cores degree 10,000
// takes about half a minute and this one about two; far beyond it an answer
// would come after hours, so such a polynomial is refused at once.
inline constexpr std::size_t kMostSearchedDegree = 20000;

// coefficients: a(0), a(1), …; zeros at the end are dropped. Throws
// std::invalid_argument when one is not finite or the degree is above
// kMostSearchedDegree (and std::runtime_error should a refinement never
// settle, which would be a fault). Once *cancel is set (from any thread),
// the search stops with AbortError within a few hundredths of a second.
RootList findRoots(std::span<const double> coefficients, const std::atomic<bool>* cancel = nullptr);

}  // namespace quill
