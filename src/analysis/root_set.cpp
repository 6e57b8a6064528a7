#include "root_set.h"

#include <arb_fmpz_poly.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "approximate_roots.h"
#include "dyadic.h"
#include "isolation.h"

namespace quill::analysis {

namespace {

// Enough for the first boxes of most polynomials of doubles; harder ones
// double it round by round.
constexpr slong kStartPrecision = 128;
// Guesses that doubles could not settle get Aberth iterations in Arb's
// numbers, whose exponents never run out: this many at most, at this
// precision, until each of their corrections is below 2^−kWideSettledBits
// of its guess (the isolation then checks and sharpens them).
constexpr int kWideAberthIterations = 200;
constexpr slong kWideAberthPrecision = 64;
constexpr slong kWideSettledBits = 40;
// Newton steps from a midpoint in polish(): from inside an isolating ball
// Newton's iteration gains at least a bit a step or fails for good.
constexpr int kPolishIterations = 64;
// Precision doublings tried by refine() for a Newton step, then for a
// polish, before it falls back to bisection or a new isolation: more only
// pays when rounding, not the ball's width, stops the step.
constexpr int kPrecisionAttempts = 3;
// Bits of working precision beyond twice the ball's accuracy that a Newton
// step needs to double that accuracy.
constexpr slong kGuardBits = 64;

// The larger of a ball's two radii, as a comparable number.
void radiusOf(const acb_struct* z, arf_struct* out) {
    Arf im;
    arf_set_mag(out, arb_radref(acb_realref(z)));
    arf_set_mag(im, arb_radref(acb_imagref(z)));
    if (arf_cmp(im, out) > 0) arf_swap(out, im);
}

// poly without an exact root at zero, which is kept apart: the other roots
// are found without it and keep clear of it. True when poly had one.
bool withoutZeroRoot(const fmpz_poly_struct* poly, fmpz_poly_struct* rest) {
    const bool zeroRoot = fmpz_is_zero(poly->coeffs);
    fmpz_poly_shift_right(rest, poly, zeroRoot ? 1 : 0);
    return zeroRoot;
}

}  // namespace

void refinementFailed(const char* what) { throw std::runtime_error(std::string(what) + " did not converge"); }

RootSet::RootSet(const fmpz_poly_struct* poly, const Stop& stop) : stop_(stop) {
    fmpz_poly_set(poly_, poly);
    fmpz_poly_derivative(derivative_, poly_);
    degree_ = fmpz_poly_degree(poly_);
    isolate();
}

void RootSet::setRoots(acb_srcptr all, slong count) {
    std::vector<slong> real, upper;
    for (slong i = 0; i < count; ++i) {
        if (arb_is_zero(acb_imagref(all + i))) {
            real.push_back(i);
        } else if (arf_sgn(arb_midref(acb_imagref(all + i))) > 0) {
            upper.push_back(i);
        }
    }
    // Disjoint intervals: their midpoints are in the roots' order.
    std::sort(real.begin(), real.end(), [&](slong a, slong b) {
        return arf_cmp(arb_midref(acb_realref(all + a)), arb_midref(acb_realref(all + b))) < 0;
    });
    realCount_ = slong(real.size());
    balls_.clear();
    isolating_.clear();
    for (const std::vector<slong>* group : {&real, &upper}) {
        for (slong i : *group) {
            balls_.push_back(std::make_unique<Acb>());
            acb_set(*balls_.back(), all + i);
            isolating_.push_back(std::make_unique<Acb>());
            acb_set(*isolating_.back(), all + i);
        }
    }
}

void RootSet::isolate() {
    FmpzPoly work;
    const bool zeroRoot = withoutZeroRoot(poly_, work);
    const slong n = fmpz_poly_degree(work);
    AcbVector all(n + 1);
    slong prec = kStartPrecision;
    bool done = n == 0;
    if (n == 1) {
        Fmpq root;
        fmpz_neg(fmpq_numref(root), work->coeffs);
        fmpz_set(fmpq_denref(root), work->coeffs + 1);
        fmpq_canonicalise(root);
        arb_set_fmpq(acb_realref(all[0]), root, prec);
        done = true;
    } else if (n > 1) {
        const RootGuesses guesses = approximateRoots(work, stop_);
        AcbVector z(n), boxes(n);
        for (slong i = 0; i < n; ++i) {
            const std::size_t k = std::size_t(i);
            acb_set_d_d(z[i], guesses.re[k], guesses.im[k]);
            acb_mul_2exp_si(z[i], z[i], guesses.exponent[k]);
        }
        FmpzPoly slope;
        fmpz_poly_derivative(slope, work);
        bool converged = false;
        for (int iteration = 0; iteration < kWideAberthIterations && !converged; ++iteration) {
            converged = true;
            for (slong i = 0; i < n; ++i) {
                if (guesses.settled[std::size_t(i)]) continue;
                stop_.poll();
                converged &= aberthStep(work, slope, z, i, kWideAberthPrecision, kWideSettledBits);
            }
        }
        done = certify(work, z, boxes, prec, zeroRoot, stop_);
        for (slong i = 0; done && i < n; ++i) acb_set(all[i], boxes[i]);
    }
    if (zeroRoot) acb_zero(all[n]);
    if (!done) {
        // Arb's own search, slower but sure to end.
        prec = kStartPrecision;
        AcbVector found(degree_);
        arb_fmpz_poly_complex_roots(found.data(), poly_, 0, prec);
        setRoots(found.data(), degree_);
    } else {
        setRoots(all.data(), zeroRoot ? n + 1 : n);
    }
    precision_.assign(balls_.size(), prec);
}

bool RootSet::newtonStep(slong i, slong prec) {
    acb_struct* z = *balls_[std::size_t(i)];
    if (isReal(i)) {
        arb_struct* x = acb_realref(z);
        Arb mid, value, slope, step, next;
        arb_set_arf(mid, arb_midref(x));
        arb_fmpz_poly_evaluate_arb(value, poly_, mid, prec);
        arb_fmpz_poly_evaluate_arb(slope, derivative_, x, prec);
        if (arb_contains_zero(slope)) return false;
        arb_div(step, value, slope, prec);
        arb_sub(next, mid, step, prec);
        // The root lies in both: mean value theorem.
        if (!arb_intersection(x, x, next, prec)) refinementFailed("root refinement");
        return true;
    }
    Acb mid, value, slope, step, next;
    acb_get_mid(mid, z);
    arb_fmpz_poly_evaluate_acb(value, poly_, mid, prec);
    arb_fmpz_poly_evaluate_acb(slope, derivative_, z, prec);
    if (acb_contains_zero(slope)) return false;
    acb_div(step, value, slope, prec);
    acb_sub(next, mid, step, prec);
    // f(mid) = (mid − root) times the mean of f′ on the segment between
    // them, which lies in the box of f′ over the ball: the root is in both.
    if (!arb_intersection(acb_realref(z), acb_realref(z), acb_realref(next), prec) ||
        !arb_intersection(acb_imagref(z), acb_imagref(z), acb_imagref(next), prec)) {
        refinementFailed("root refinement");
    }
    return true;
}

bool RootSet::polish(slong i, slong prec) {
    // Newton's iteration on the midpoint alone, then a region around the
    // result proven to hold a root, inside root i's present ball (so that
    // root is root i). Unlike a Newton step on the whole ball, this needs no
    // bound of f′ over a wide ball, which may hold zero for an
    // ill-conditioned f.
    acb_struct* z = *balls_[std::size_t(i)];
    Acb m, value, slope, step, box;
    acb_get_mid(m, z);
    for (int iteration = 0; iteration < kPolishIterations; ++iteration) {
        arb_fmpz_poly_evaluate_acb(value, poly_, m, prec);
        arb_fmpz_poly_evaluate_acb(slope, derivative_, m, prec);
        acb_get_mid(value, value);
        acb_get_mid(slope, slope);
        if (acb_is_zero(value) || acb_is_zero(slope)) break;
        acb_div(step, value, slope, prec);
        acb_sub(m, m, step, prec);
        acb_get_mid(m, m);
        // Once a step is below half the precision, the point it gave is
        // good to about the whole precision.
        Mag small, size;
        acb_get_mag(small, step);
        acb_get_mag_lower(size, m);
        mag_mul_2exp_si(size, size, -prec / 2);
        if (mag_cmp(small, size) <= 0) break;
    }
    if (!inclusionBox(poly_, derivative_, m, box, prec, value, slope)) return false;
    if (isReal(i)) {
        // A real root: an interval around the real point with a sign change
        // of f at its ends holds a real root, and inside root i's interval
        // that is root i.
        arb_struct* x = acb_realref(z);
        Arf low, high, radius;
        arf_set_mag(radius, arb_radref(acb_realref(box)));
        arf_mul_2exp_si(radius, radius, 1);
        arf_sub(low, arb_midref(acb_realref(m)), radius, ARF_PREC_EXACT, ARF_RND_DOWN);
        arf_add(high, arb_midref(acb_realref(m)), radius, ARF_PREC_EXACT, ARF_RND_DOWN);
        Arb bracket;
        arb_set_interval_arf(bracket, low, high, ARF_PREC_EXACT);
        if (!arb_contains(x, bracket) || signAt(poly_, low, prec) * signAt(poly_, high, prec) > 0) return false;
        arb_swap(x, bracket);
        return true;
    }
    // Inside the isolating ball the root in the box is root i.
    return acb_contains(*isolating_[std::size_t(i)], box) &&
           arb_intersection(acb_realref(z), acb_realref(z), acb_realref(box), prec) &&
           arb_intersection(acb_imagref(z), acb_imagref(z), acb_imagref(box), prec);
}

void RootSet::bisect(slong i) {
    // One simple real root and no other in the interval: the sign of f at
    // its ends differs (or an end is the root), and so on either half.
    arb_struct* x = acb_realref(*balls_[std::size_t(i)]);
    Arf low, high, mid;
    ballEnds(x, low, high);
    arf_add(mid, low, high, ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_mul_2exp_si(mid, mid, -1);
    const slong prec = precision_[std::size_t(i)];
    const int sLow = signAt(poly_, low, prec), sMid = signAt(poly_, mid, prec);
    if (sLow == 0 || sMid == 0) {
        arb_set_arf(x, sLow == 0 ? low.get() : mid.get());
    } else if (sLow != sMid) {
        arb_set_interval_arf(x, low, mid, ARF_PREC_EXACT);
    } else {
        arb_set_interval_arf(x, mid, high, ARF_PREC_EXACT);
    }
}

void RootSet::reisolate(slong i) {
    // All roots again, from the present midpoints, at a higher precision; the
    // new box inside root i's present ball holds root i. An exact zero root
    // stays out of it, as in isolate().
    FmpzPoly work;
    const bool zeroRoot = withoutZeroRoot(poly_, work);
    const slong n = fmpz_poly_degree(work);
    for (slong prec = 2 * precision_[std::size_t(i)]; prec <= kMostRootPrecision; prec *= 2) {
        stop_.poll();
        AcbVector z(n), boxes(n);
        slong k = 0;
        for (std::size_t j = 0; j < balls_.size(); ++j) {
            if (zeroRoot && acb_is_zero(*balls_[j])) continue;
            acb_get_mid(z[k++], *balls_[j]);
            if (!isReal(slong(j))) {
                acb_conj(z[k], z[k - 1]);
                ++k;
            }
        }
        slong used = prec;
        if (!certify(work, z, boxes, used, zeroRoot, stop_)) continue;
        for (slong j = 0; j < n; ++j) {
            if (acb_contains(*balls_[std::size_t(i)], boxes[j])) {
                acb_set(*balls_[std::size_t(i)], boxes[j]);
                precision_[std::size_t(i)] = used;
                return;
            }
        }
    }
    refinementFailed("root refinement");
}

void RootSet::refine(slong i) {
    acb_struct* z = *balls_[std::size_t(i)];
    if (mag_is_zero(arb_radref(acb_realref(z))) && mag_is_zero(arb_radref(acb_imagref(z)))) return;
    Arf original, before, after;
    radiusOf(z, original);
    arf_mul_2exp_si(before, original, -1);
    const slong accuracy = std::max<slong>(acb_rel_accuracy_bits(z), 0);
    slong prec = std::max(precision_[std::size_t(i)], 2 * accuracy + kGuardBits);
    for (int attempt = 0; attempt < kPrecisionAttempts; ++attempt, prec *= 2) {
        if (!newtonStep(i, prec)) break;
        radiusOf(z, after);
        if (arf_cmp(after, before) <= 0) {
            precision_[std::size_t(i)] = prec;
            return;
        }
    }
    // Too wide for a Newton step to pay: polish the midpoint and box it;
    // failing that halve the interval of a real root, isolate again for the
    // others, until Newton steps work. The precision kept is the one the
    // ball's accuracy asks for: the failures were not for want of it.
    for (int attempt = 0; attempt < kPrecisionAttempts && prec <= kMostRootPrecision; ++attempt, prec *= 2) {
        stop_.poll();
        if (!polish(i, prec)) continue;
        radiusOf(z, after);
        if (arf_cmp(after, original) < 0) {
            precision_[std::size_t(i)] = prec;
            return;
        }
    }
    if (isReal(i)) {
        bisect(i);
    } else {
        reisolate(i);
    }
}

}  // namespace quill::analysis
