#pragma once
// How many significant digits of a Solve's F(x) values are correct. The exact
// value of F(x) = a(0) + a(1)·x + … at a double x is a dyadic rational; each
// x gets the double nearest to it and the count of correct digits of the
// report's value y:
//   17 when y equals the exact value E;
//   otherwise ⌊−log₁₀(|y − E| / |E|)⌋ kept within 0…17, the floor of the
//   exact quantity (also at powers of ten);
//   0 when E = 0 and y is not, and when y is not finite.
// A compensated Horner scheme with a rigorous running error bound decides
// almost every x in double arithmetic; where its bound leaves the nearest
// double or the count open, exact integer arithmetic decides.

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/worker_pool.h"

namespace quill {

// The pool's control (threads, cancel flag, progress): a cancel stops the
// work with AbortError within moments (at the next x value, or the next step
// of an exact evaluation), the outputs then partly written; the progress
// counts x values done of their total.
using DigitsControl = ChunkControl;

constexpr std::uint8_t kMostDigits = 17;

// For every j: exact[j] is the double nearest to F(x[j]) (ties to even,
// ±infinity beyond the range), digits[j] the count above for reported[j].
// All spans but the coefficients have x's length. Throws
// std::invalid_argument when a coefficient or an x is not finite or a
// length differs, AbortError when cancelled, std::bad_alloc (never an
// abort) where the exact values would need more memory than can be had;
// that memory grows linearly with the degree.
void checkDigits(std::span<const double> coefficients, std::span<const double> x, std::span<const double> reported,
                 std::span<double> exact, std::span<std::uint8_t> digits, const DigitsControl& control = {});

// The same for F(x) as the Solve computes it (the engine's evaluation: each
// product and sum rounded to 80 bits, then stored to double), written to
// reported; where that evaluation overflows, reported[j] is NaN and
// digits[j] is 0.
void checkSolveDigits(std::span<const double> coefficients, std::span<const double> x, std::span<double> reported,
                      std::span<double> exact, std::span<std::uint8_t> digits, const DigitsControl& control = {});

}  // namespace quill
