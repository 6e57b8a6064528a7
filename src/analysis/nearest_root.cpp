#include "nearest_root.h"

#include <memory>
#include <vector>

#include "dyadic.h"

namespace quill::analysis {

namespace {

// A dyadic t as p / 2^k, k ≥ 0.
ulong asScaledInteger(const arf_struct* t, fmpz* p) {
    Fmpz e;
    arf_get_fmpz_2exp(p, e, t);
    const slong exponent = fmpz_get_si(e);
    if (exponent >= 0) {
        fmpz_mul_2exp(p, p, ulong(exponent));
        return 0;
    }
    return ulong(-exponent);
}

// f on a line of the complex plane, x = (p + i·s) / 2^k (vertical) or
// x = (s + i·p) / 2^k (horizontal) for a real s, times 2^(k·deg f): its real
// and imaginary parts as integer polynomials in s, by Horner's rule.
void restrictToLine(const fmpz_poly_struct* f, const fmpz* p, ulong k, bool vertical, fmpz_poly_struct* re,
                    fmpz_poly_struct* im) {
    const slong d = fmpz_poly_degree(f);
    FmpzPoly nextRe, nextIm, t, constant;
    Fmpz c;
    fmpz_poly_zero(re);
    fmpz_poly_zero(im);
    for (slong j = d; j >= 0; --j) {
        // (re + i·im) · x'
        if (vertical) {  // x' = p + i·s
            fmpz_poly_scalar_mul_fmpz(nextRe, re, p);
            fmpz_poly_shift_left(t, im, 1);
            fmpz_poly_sub(nextRe, nextRe, t);
            fmpz_poly_scalar_mul_fmpz(nextIm, im, p);
            fmpz_poly_shift_left(t, re, 1);
            fmpz_poly_add(nextIm, nextIm, t);
        } else {  // x' = s + i·p
            fmpz_poly_shift_left(nextRe, re, 1);
            fmpz_poly_scalar_mul_fmpz(t, im, p);
            fmpz_poly_sub(nextRe, nextRe, t);
            fmpz_poly_shift_left(nextIm, im, 1);
            fmpz_poly_scalar_mul_fmpz(t, re, p);
            fmpz_poly_add(nextIm, nextIm, t);
        }
        // + c_j · 2^(k(d−j))
        fmpz_mul_2exp(c, f->coeffs + j, k * ulong(d - j));
        fmpz_poly_set_fmpz(constant, c);
        fmpz_poly_add(re, nextRe, constant);
        fmpz_poly_swap(im, nextIm);
    }
}

// Whether non-real root i of set lies exactly on the line Re x = t
// (vertical) or Im x = t. The roots of f on that line are the points whose
// other coordinate is a real root of both restricted parts, so of their gcd;
// each of them is a root of f, so it is root i exactly when it lies in a
// ball that holds root i and no other root.
bool onLine(RootSet& set, slong i, bool vertical, const arf_struct* t) {
    Fmpz p;
    const ulong k = asScaledInteger(t, p);
    FmpzPoly re, im, common;
    restrictToLine(set.poly(), p, k, vertical, re, im);
    fmpz_poly_gcd(common, re, im);
    if (fmpz_poly_degree(common) < 1) return false;
    FmpzPoly slope, repeated, simple;
    fmpz_poly_derivative(slope, common);
    fmpz_poly_gcd(repeated, common, slope);
    fmpz_poly_div(simple, common, repeated);
    RootSet line(simple, set.stop());
    Acb point;
    for (int round = 0; round < kMostRefinements; ++round) {
        bool open = false;
        for (slong j = 0; j < line.realCount(); ++j) {
            arb_struct* along = vertical ? acb_imagref(point) : acb_realref(point);
            arb_struct* across = vertical ? acb_realref(point) : acb_imagref(point);
            arb_set_arf(across, t);
            arb_mul_2exp_si(along, acb_realref(line.ball(j)), -slong(k));
            if (acb_contains(set.ball(i), point) || acb_contains(set.isolatingBall(i), point)) return true;
            if (acb_overlaps(set.ball(i), point)) {
                open = true;
                line.refine(j);
            }
        }
        if (!open) return false;
        set.refine(i);
    }
    refinementFailed("root decision");
}

bool contains(const std::vector<std::unique_ptr<Arf>>& points, const arf_struct* t) {
    for (const auto& point : points) {
        if (arf_equal(*point, t)) return true;
    }
    return false;
}

// One part of root i: decides it when its ball allows, or, once the ball is
// tight (exactChecksPay), checks the ball's candidate point once. True when
// decided.
template <class ExactCheck>
bool decidePart(const arb_struct* part, bool tight, std::vector<std::unique_ptr<Arf>>& rejected, double& out,
                ExactCheck isExactly) {
    Arf candidate;
    const BallVerdict verdict = judgeBall(part, candidate);
    if (verdict.decided) {
        out = verdict.value;
        return true;
    }
    if (!tight || !verdict.hasCandidate || contains(rejected, candidate)) return false;
    if (isExactly(candidate.get())) {
        out = nearestDouble(candidate);
        return true;
    }
    rejected.push_back(std::make_unique<Arf>());
    arf_set(*rejected.back(), candidate);
    return false;
}

}  // namespace

bool exactChecksPay(const acb_struct* ball) { return acb_rel_accuracy_bits(ball) >= kExactCheckBits; }

bool isRootAt(const fmpz_poly_struct* f, const arf_struct* t) {
    Fmpq point, value;
    arfToFmpq(point, t);
    fmpz_poly_evaluate_fmpq(value, f, point);
    return fmpq_is_zero(value);
}

NearestParts nearestParts(RootSet& set, slong i) {
    NearestParts out;
    const bool real = set.isReal(i);
    bool reDone = false, imDone = real;
    std::vector<std::unique_ptr<Arf>> rejectedRe, rejectedIm;
    for (int round = 0; round < kMostRefinements; ++round) {
        const bool tight = exactChecksPay(set.ball(i));
        if (!reDone) {
            reDone = decidePart(acb_realref(set.ball(i)), tight, rejectedRe, out.re, [&](const arf_struct* t) {
                return real ? isRootAt(set.poly(), t) : onLine(set, i, true, t);
            });
        }
        if (!imDone) {
            imDone = decidePart(acb_imagref(set.ball(i)), tight, rejectedIm, out.im,
                                [&](const arf_struct* t) { return onLine(set, i, false, t); });
        }
        if (reDone && imDone) return out;
        set.refine(i);
    }
    refinementFailed("root decision");
}

}  // namespace quill::analysis
