#include "root_set.h"

#include <arb_fmpz_poly.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "approximate_roots.h"
#include "dyadic.h"

namespace quill::analysis {

namespace {

constexpr slong kStartPrecision = 128;
// Far beyond anything a polynomial of doubles needs; reaching it means a
// fault, not a hard input.
constexpr slong kMostPrecision = slong(1) << 22;

// The larger of a ball's two radii, as a comparable number.
void radiusOf(const acb_struct* z, arf_struct* out) {
    Arf im;
    arf_set_mag(out, arb_radref(acb_realref(z)));
    arf_set_mag(im, arb_radref(acb_imagref(z)));
    if (arf_cmp(im, out) > 0) arf_swap(out, im);
}

// The box around the point m that holds a root of f: f′(m)/f(m) is the sum
// of 1/(m − r) over the n roots r, so some root lies within n·|f(m)/f′(m)|
// of m, and the box holds that disc. False when f′(m) may vanish.
bool inclusionBox(const fmpz_poly_struct* f, const fmpz_poly_struct* slope, const acb_struct* m, acb_struct* box,
                  slong prec) {
    Acb value, derivative;
    arb_fmpz_poly_evaluate_acb(value, f, m, prec);
    arb_fmpz_poly_evaluate_acb(derivative, slope, m, prec);
    if (acb_contains_zero(derivative)) return false;
    Mag top, bottom;
    acb_get_mag(top, value);
    acb_get_mag_lower(bottom, derivative);
    mag_div(top, top, bottom);
    mag_mul_ui(top, top, ulong(fmpz_poly_degree(f)));
    acb_get_mid(box, m);
    mag_set(arb_radref(acb_realref(box)), top);
    mag_set(arb_radref(acb_imagref(box)), top);
    return true;
}

// The sign of f at the exact point t: in ball arithmetic while that
// decides, else exactly.
int signAt(const fmpz_poly_struct* f, const arf_struct* t, slong prec) {
    Arb point, value;
    arb_set_arf(point, t);
    arb_fmpz_poly_evaluate_arb(value, f, point, prec);
    if (arb_is_positive(value)) return 1;
    if (arb_is_negative(value)) return -1;
    Fmpq exact, result;
    arfToFmpq(exact, t);
    fmpz_poly_evaluate_fmpq(result, f, exact);
    return fmpq_sgn(result);
}

// The boxes that meet the real line hold real roots when f changes sign
// between each two of them, from its sign at −∞ on, and their count has the
// degree's parity: then each of those intervals holds an odd number of real
// roots, which can only be the one root of its box.
bool realRootsProven(const fmpz_poly_struct* f, const AcbVector& boxes, slong prec) {
    const slong n = boxes.size();
    std::vector<slong> real;
    for (slong i = 0; i < n; ++i) {
        if (arb_contains_zero(acb_imagref(boxes[i]))) real.push_back(i);
    }
    if (slong(real.size()) % 2 != n % 2) return false;
    std::sort(real.begin(), real.end(), [&](slong a, slong b) {
        return arf_cmp(arb_midref(acb_realref(boxes[a])), arb_midref(acb_realref(boxes[b]))) < 0;
    });
    int previous = fmpz_sgn(fmpz_poly_lead(f)) * (n % 2 ? -1 : 1);
    Arf low, high, ignored, between;
    for (std::size_t k = 0; k + 1 < real.size(); ++k) {
        ballEnds(acb_realref(boxes[real[k]]), ignored, high);
        ballEnds(acb_realref(boxes[real[k + 1]]), low, ignored);
        if (arf_cmp(high, low) >= 0) return false;
        arf_add(between, high, low, ARF_PREC_EXACT, ARF_RND_DOWN);
        arf_mul_2exp_si(between, between, -1);
        const int sign = signAt(f, between, prec);
        if (sign != -previous) return false;
        previous = sign;
    }
    return true;
}

// Aberth's correction of guess k against all the others, in midpoint
// arithmetic: it pulls a guess to its root and pushes it off the others'.
// True when the correction was below 2^−small of the guess.
bool aberthStep(const fmpz_poly_struct* f, const fmpz_poly_struct* slope, AcbVector& z, slong k, slong prec,
                slong small) {
    Acb value, derivative, ratio, sum, t, one;
    arb_fmpz_poly_evaluate_acb(value, f, z[k], prec);
    arb_fmpz_poly_evaluate_acb(derivative, slope, z[k], prec);
    acb_get_mid(value, value);
    acb_get_mid(derivative, derivative);
    if (acb_is_zero(value) || acb_is_zero(derivative)) return true;
    acb_div(ratio, value, derivative, prec);
    for (slong j = 0; j < z.size(); ++j) {
        if (j == k) continue;
        acb_sub(t, z[k], z[j], prec);
        acb_get_mid(t, t);
        if (acb_is_zero(t)) continue;
        acb_inv(t, t, prec);
        acb_add(sum, sum, t, prec);
        acb_get_mid(sum, sum);
    }
    acb_one(one);
    acb_mul(t, ratio, sum, prec);
    acb_sub(t, one, t, prec);
    acb_get_mid(t, t);
    if (acb_is_zero(t)) return true;
    acb_div(t, ratio, t, prec);
    Mag correction, size;
    acb_get_mag(correction, t);
    acb_get_mag_lower(size, z[k]);
    mag_mul_2exp_si(size, size, -small);
    acb_sub(t, z[k], t, prec);
    acb_get_mid(z[k], t);
    return mag_cmp(correction, size) <= 0;
}

// Every root of f (squarefree, degree n ≥ 1, f(0) ≠ 0) in n disjoint boxes,
// the real ones with their imaginary parts exactly zero, starting from the
// guesses in z (midpoints). Guesses whose boxes overlap others, or a failed
// proof of the real roots, get Aberth iterations at a doubled precision
// until they settle, round after round; false when that does not succeed.
// avoidZero: no box may hold zero (a root there is kept apart).
bool certify(const fmpz_poly_struct* f, AcbVector& z, AcbVector& boxes, slong& prec, bool avoidZero) {
    const slong n = fmpz_poly_degree(f);
    FmpzPoly slope;
    fmpz_poly_derivative(slope, f);
    std::vector<char> fresh(std::size_t(n), 1), bad(std::size_t(n), 0);
    for (int round = 0; round < 10; ++round, prec *= 2) {
        bool isolated = true;
        for (slong i = 0; i < n; ++i) {
            if (!fresh[std::size_t(i)]) continue;
            bad[std::size_t(i)] =
                !inclusionBox(f, slope, z[i], boxes[i], prec) || (avoidZero && acb_contains_zero(boxes[i]));
            fresh[std::size_t(i)] = 0;
        }
        for (slong i = 0; i < n; ++i) {
            for (slong j = i + 1; j < n; ++j) {
                if (acb_overlaps(boxes[i], boxes[j])) bad[std::size_t(i)] = bad[std::size_t(j)] = 1;
            }
            isolated = isolated && !bad[std::size_t(i)];
        }
        if (isolated) {
            if (realRootsProven(f, boxes, prec)) {
                for (slong i = 0; i < n; ++i) {
                    if (arb_contains_zero(acb_imagref(boxes[i]))) arb_zero(acb_imagref(boxes[i]));
                }
                return true;
            }
            for (slong i = 0; i < n; ++i) bad[std::size_t(i)] = arb_contains_zero(acb_imagref(boxes[i]));
        }
        for (int step = 0; step < 40; ++step) {
            bool settled = true;
            for (slong i = 0; i < n; ++i) {
                if (bad[std::size_t(i)]) settled &= aberthStep(f, slope, z, i, 2 * prec, prec);
            }
            if (settled) break;
        }
        for (slong i = 0; i < n; ++i) fresh[std::size_t(i)] = bad[std::size_t(i)];
    }
    return false;
}

}  // namespace

void refinementFailed(const char* what) { throw std::runtime_error(std::string(what) + " did not converge"); }

RootSet::RootSet(const fmpz_poly_struct* poly) {
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
    // A root at zero is exact: the rest are found without it and must keep
    // clear of it.
    const bool zeroRoot = fmpz_is_zero(poly_->coeffs);
    FmpzPoly work;
    fmpz_poly_shift_right(work, poly_, zeroRoot ? 1 : 0);
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
        const RootGuesses guesses = approximateRoots(work);
        AcbVector z(n), boxes(n);
        for (slong i = 0; i < n; ++i) {
            const std::size_t k = std::size_t(i);
            acb_set_d_d(z[i], guesses.re[k], guesses.im[k]);
            acb_mul_2exp_si(z[i], z[i], guesses.exponent[k]);
        }
        if (!guesses.polished) {
            // Aberth's iterations in Arb's numbers, whose exponents never run out.
            FmpzPoly slope;
            fmpz_poly_derivative(slope, work);
            bool converged = false;
            for (int iteration = 0; iteration < 200 && !converged; ++iteration) {
                converged = true;
                for (slong i = 0; i < n; ++i) converged &= aberthStep(work, slope, z, i, 64, 40);
            }
        }
        done = certify(work, z, boxes, prec, zeroRoot);
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
    for (int iteration = 0; iteration < 64; ++iteration) {
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
    if (!inclusionBox(poly_, derivative_, m, box, prec)) return false;
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
    Fmpq point, value;
    auto exactSign = [&](const arf_struct* at) {
        arfToFmpq(point, at);
        fmpz_poly_evaluate_fmpq(value, poly_, point);
        return fmpq_sgn(value);
    };
    const int sLow = exactSign(low), sMid = exactSign(mid);
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
    const bool zeroRoot = fmpz_is_zero(poly_->coeffs);
    FmpzPoly work;
    fmpz_poly_shift_right(work, poly_, zeroRoot ? 1 : 0);
    const slong n = fmpz_poly_degree(work);
    for (slong prec = 2 * precision_[std::size_t(i)]; prec <= kMostPrecision; prec *= 2) {
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
        if (!certify(work, z, boxes, used, zeroRoot)) continue;
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
    slong prec = std::max(precision_[std::size_t(i)], 2 * accuracy + 64);
    for (int attempt = 0; attempt < 3; ++attempt, prec *= 2) {
        if (!newtonStep(i, prec)) break;
        radiusOf(z, after);
        if (arf_cmp(after, before) <= 0) {
            precision_[std::size_t(i)] = prec;
            return;
        }
    }
    // Too wide for a Newton step to pay: polish the midpoint and box it;
    // failing that halve the interval of a real root, isolate again for the
    // others, until Newton steps work.
    for (int attempt = 0; attempt < 3 && prec <= kMostPrecision; ++attempt, prec *= 2) {
        if (!polish(i, prec)) continue;
        radiusOf(z, after);
        if (arf_cmp(after, original) < 0) {
            precision_[std::size_t(i)] = prec;
            return;
        }
    }
    precision_[std::size_t(i)] = std::min(prec, kMostPrecision);
    if (isReal(i)) {
        bisect(i);
    } else {
        reisolate(i);
    }
}

}  // namespace quill::analysis
