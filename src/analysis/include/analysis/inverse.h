#pragma once
// x back from F(x): for each y, every real x with F(x) = y, each the double
// nearest to the exact root of F(x) - y for the very doubles given.

#include <atomic>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "common/error.h"

namespace quill {

// Coefficients or values that cannot be inverted (the message says why).
class InverseError : public Error {
public:
    using Error::Error;
};

struct InverseRoot {
    // The double nearest to the root, ties to the even significand
    // (±infinity beyond the double range).
    double x = 0.0;
    // How often the root divides F(x) - y.
    int multiplicity = 1;
};

struct InverseInterval {
    double low = 0.0, high = 0.0;  // finite, low <= high; both ends included
};

struct InverseList {
    // The roots for y[j] are roots[first[j]] … roots[first[j + 1] - 1],
    // ascending; first has one more entry than y.
    std::vector<std::size_t> first;
    std::vector<InverseRoot> roots;
};

// F(x) = a(0) + a(1)·x + …; the roots for y[j] (those in the interval, when
// given, decided exactly: a root just outside is left out even when it
// rounds to an end). Where F is monotone between its turning points (found
// certified once), a root is bracketed by exact sign changes of F(x) - y at
// the midpoints between neighbouring doubles, so its nearest double is
// proven; y values near a turning value go to a certified root isolation of
// the exact F(x) - y. On `threads` threads (0: one per hardware thread).
// Raises InverseError for a constant F (every x or none would be a root), a
// coefficient, y or interval end that is not finite, or low > high;
// AbortError once *cancel is set.
InverseList invertPolynomial(std::span<const double> coefficients, std::span<const double> y,
                             std::optional<InverseInterval> interval = std::nullopt, unsigned threads = 0,
                             const std::atomic<bool>* cancel = nullptr);

}  // namespace quill
