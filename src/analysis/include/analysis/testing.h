#pragma once
// The analysis library's deciding helpers, for tests only: the nearest
// double of an exact dyadic number, and what a ball says about it.

#include <cstdint>

namespace quill::testing {

// The double nearest to mantissa · 2^exponent (ties to the even significand,
// ±infinity beyond the range, +0 for what rounds to zero).
double nearestDoubleOf(std::int64_t mantissa, long exponent);

// What the ball from low · 2^exponent to high · 2^exponent says of the
// double nearest to the one number it encloses: decided with that double,
// or a candidate point (zero, or the midpoint of two neighbouring doubles)
// candidateMantissa · 2^candidateExponent that only an exact check decides.
struct BallJudgement {
    bool decided = false;
    double value = 0.0;
    bool hasCandidate = false;
    std::int64_t candidateMantissa = 0;
    long candidateExponent = 0;
};
BallJudgement judgeBallOf(std::int64_t low, std::int64_t high, long exponent);

}  // namespace quill::testing
