#pragma once
// The turning points of F(x) = a(0) + a(1)·x + … + a(n)·xⁿ: the real roots c
// of F′, found exactly as the roots are (roots.h), with F at each of them.

#include <atomic>
#include <span>
#include <string_view>
#include <vector>

namespace quill {

enum class TurningKind {
    min,   // F′ goes from negative to positive at c
    max,   // from positive to negative
    flat,  // F′ keeps its sign on both sides (as at 0 for x³)
};

// "min", "max" or "flat".
std::string_view turningKindName(TurningKind kind);

struct TurningPoint {
    // The double nearest to c, ties to even (±infinity beyond the range).
    double x = 0.0;
    // The double nearest to F(c) itself, F at the exact c and not at x:
    // F on c's ball, refined until it rounds one way, and checked exactly
    // (by a gcd with F′'s factor) where F(c) could be a rounding boundary.
    double fx = 0.0;
    // From the multiplicity of c as a root of F′: odd means a sign change,
    // and which way follows from the leading coefficient and the roots of
    // F′ to the right of c.
    TurningKind kind = TurningKind::flat;
    // The multiplicity of c as a root of F′.
    int multiplicity = 1;
};

// What the command line and the Python module say of a constant F.
inline constexpr std::string_view kNoIsolatedTurningPoints =
    "the polynomial is constant, so it has no isolated turning points";

struct TurningPointList {
    // F is a constant (zero included): F′ is the zero polynomial, so no
    // turning point is isolated, and the list is empty.
    bool constant = false;
    // Ascending in c.
    std::vector<TurningPoint> points;
};

// coefficients: a(0), a(1), …. Throws std::invalid_argument when one is not
// finite or the degree is above kMostSearchedDegree (roots.h), and
// std::runtime_error as findRoots does; AbortError once *cancel is set, as
// findRoots.
TurningPointList findTurningPoints(std::span<const double> coefficients, const std::atomic<bool>* cancel = nullptr);

}  // namespace quill
