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
    // False when some guesses did not settle (or the coefficients leave
    // even long doubles' range): then they may only put the right number
    // of roots on the right circles, and still want iterations in wider
    // arithmetic.
    bool polished = false;
};

// For a polynomial of degree ≥ 1 with a non-zero constant term.
RootGuesses approximateRoots(const fmpz_poly_struct* poly, const Stop& stop);

}  // namespace quill::analysis
