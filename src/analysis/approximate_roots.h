#pragma once
// First guesses at every complex root of an integer polynomial, in double
// precision: they only start the certified isolation (root_set.h), which
// checks them, so nothing here needs to be rigorous.

#include <vector>

#include "flint_handles.h"
#include "stop.h"

namespace quill::analysis {

struct RootGuesses {
    // Each guess is (re[k] + i·im[k]) · 2^exponent[k].
    std::vector<double> re, im;
    std::vector<slong> exponent;
    // False when the roots' magnitudes span more than doubles hold, even
    // scaled: then the guesses only put the right number of roots on the
    // right circles, and still want iterations in wider arithmetic.
    bool polished = false;
};

// For a polynomial of degree ≥ 1 with a non-zero constant term.
RootGuesses approximateRoots(const fmpz_poly_struct* poly, const Stop& stop);

}  // namespace quill::analysis
