#pragma once
// First guesses at every complex root of an integer polynomial, by Aberth's
// iteration in doubles (the roots scaled to the unit circle), or in long
// doubles where some coefficient's scaled term would leave the doubles'
// range: they only start the certified isolation (isolation.h), which
// checks them, so nothing here needs to be rigorous.

#include <vector>

#include "flint_handles.h"
#include "stop.h"

namespace quill::analysis {

struct RootGuesses {
    // Each guess is (re[k] + i·im[k]) · 2^exponent[k].
    std::vector<double> re, im;
    std::vector<slong> exponent;
    // Per guess: false when it did not settle (or the coefficients leave
    // even long doubles' range): then it may only stand on the right
    // circle, and still wants iterations in wider arithmetic.
    std::vector<char> settled;
};

// For a polynomial of degree ≥ 1 with a non-zero constant term.
RootGuesses approximateRoots(const fmpz_poly_struct* poly, const Stop& stop);

}  // namespace quill::analysis
