#pragma once
// First guesses at every complex root of an integer polynomial, in double
// precision: they only start the certified isolation (root_set.h), which
// checks them, so nothing here needs to be rigorous.

#include <vector>

#include "flint_handles.h"

namespace quill::analysis {

struct RootGuesses {
    // Each guess is (re + i·im) · 2^scale.
    std::vector<double> re, im;
    slong scale = 0;
};

// For a polynomial of degree ≥ 1 with a non-zero constant term. False when
// its roots spread too far for doubles, even scaled (then no guesses).
bool approximateRoots(const fmpz_poly_struct* poly, RootGuesses& out);

}  // namespace quill::analysis
