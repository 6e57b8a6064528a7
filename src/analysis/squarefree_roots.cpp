#include "squarefree_roots.h"

namespace quill::analysis {

namespace {

// The sign of a real root that is not zero: its ball shrinks until it keeps
// clear of zero.
int signOf(const RootRef& r) {
    for (int round = 0; round < kMostRefinements; ++round) {
        const arb_struct* x = acb_realref(r.set->ball(r.index));
        if (arb_is_positive(x)) return 1;
        if (arb_is_negative(x)) return -1;
        r.set->refine(r.index);
    }
    refinementFailed("root order");
}

}  // namespace

SquarefreeRoots::SquarefreeRoots(const fmpz_poly_struct* poly, const Stop& stop) {
    slong zeros = 0;
    while (fmpz_is_zero(poly->coeffs + zeros)) ++zeros;
    if (zeros > 0) roots_.push_back({nullptr, 0, zeros});
    FmpzPoly rest;
    fmpz_poly_shift_right(rest, poly, zeros);
    if (fmpz_poly_degree(rest) < 1) return;
    FmpzPolyFactor factors;
    fmpz_poly_factor_squarefree(factors, rest);
    for (slong f = 0; f < factors.get()->num; ++f) {
        sets_.push_back(std::make_unique<RootSet>(factors.get()->p + f, stop));
        for (slong i = 0; i < sets_.back()->size(); ++i)
            roots_.push_back({sets_.back().get(), i, factors.get()->exp[f]});
    }
}

bool realBelow(const RootRef& a, const RootRef& b) {
    if (!a.set && !b.set) return false;
    if (!a.set) return signOf(b) > 0;
    if (!b.set) return signOf(a) < 0;
    if (a.set == b.set) return a.index < b.index;  // a set's real roots ascend
    for (int round = 0; round < kMostRefinements; ++round) {
        const arb_struct* x = acb_realref(a.set->ball(a.index));
        const arb_struct* y = acb_realref(b.set->ball(b.index));
        if (arb_lt(x, y)) return true;
        if (arb_gt(x, y)) return false;
        a.set->refine(a.index);
        b.set->refine(b.index);
    }
    refinementFailed("root order");
}

}  // namespace quill::analysis
