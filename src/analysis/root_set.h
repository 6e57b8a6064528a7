#pragma once
// Every complex root of a squarefree integer polynomial, each in a ball that
// holds it and no other root, and ways to shrink those balls as far as
// needed. The balls are certified by Arb: n discs, each proven to hold a
// root, that do not overlap hold one root each; a disc that meets the real
// line holds a real root when the polynomial's signs between those discs
// prove it. Shrinking uses interval Newton steps, which never lose the root.

#include <memory>
#include <vector>

#include "flint_handles.h"
#include "stop.h"

namespace quill::analysis {

// Every refinement at least halves a ball; no decision about a polynomial of
// doubles needs more of them than this. Reaching it means a fault, reported
// by refinementFailed (std::runtime_error naming what did not converge).
constexpr int kMostRefinements = 20000;
// The most working precision, in bits, that a root of a polynomial of
// doubles is sought at, by the search here and by the inverse's certified
// road alike (both round roots of integer polynomials made from doubles to
// their nearest doubles). Far beyond what any of them needs; reaching it
// means a ball that never settles, a fault reported by refinementFailed.
constexpr slong kMostRootPrecision = slong(1) << 22;
[[noreturn]] void refinementFailed(const char* what);

class RootSet {
public:
    // poly: squarefree, degree ≥ 1. The search polls stop throughout, here
    // and in refine().
    RootSet(const fmpz_poly_struct* poly, const Stop& stop);
    RootSet(const RootSet&) = delete;
    RootSet& operator=(const RootSet&) = delete;

    // The real roots come first in ascending order, their imaginary parts
    // exactly zero; then one root of each conjugate pair, the one above the
    // real line (its partner is its conjugate).
    slong size() const { return slong(balls_.size()); }
    slong realCount() const { return realCount_; }
    bool isReal(slong i) const { return i < realCount_; }

    // The ball that holds root i now, and the first one certified for it.
    const acb_struct* ball(slong i) const { return balls_[std::size_t(i)]->get(); }
    const acb_struct* isolatingBall(slong i) const { return isolating_[std::size_t(i)]->get(); }

    // Makes root i's ball smaller: at least halves its radius, or makes it a
    // point when the midpoint turns out to be the root.
    void refine(slong i);

    const fmpz_poly_struct* poly() const { return poly_; }
    const Stop& stop() const { return stop_; }

private:
    void isolate();
    bool newtonStep(slong i, slong prec);
    bool polish(slong i, slong prec);
    void bisect(slong i);
    void reisolate(slong i);
    void setRoots(acb_srcptr all, slong count);

    Stop stop_;
    FmpzPoly poly_, derivative_;
    slong degree_ = 0;
    slong realCount_ = 0;
    std::vector<std::unique_ptr<Acb>> balls_, isolating_;
    std::vector<slong> precision_;
};

}  // namespace quill::analysis
