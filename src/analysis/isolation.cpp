#include "isolation.h"

#include <arb_fmpz_poly.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "dyadic.h"
#include "engine/worker_pool.h"

namespace quill::analysis {

namespace {

// Interval Newton steps a guess's box gets, at most, and the accuracy at
// which it stops: enough for nearly every root's nearest doubles, which the
// threads then need not refine one by one.
constexpr int kNewtonSteps = 3;
constexpr slong kDecidingBits = 80;
// Aberth steps a round gives the guesses in question: enough to settle
// guesses near their roots; a further round brings more precision.
constexpr int kAberthStepsPerRound = 40;
// Guesses boxed by one thread before the next look at the cancel flag and
// the release of the thread's caches.
constexpr std::size_t kGuessesPerChunk = 32;

// The box for guess m: the disc D of radius n·|f(m)/f′(m)| around m holds a
// root r; so does N = m′ − f(m′)/f′(D) for the Newton point m′ from m, which
// lies in D too: f(m′) = (m′ − r) times the mean of f′ on the segment
// between them, which lies in the box f′(D). N ∩ D is about as narrow as
// two Newton steps from m. False when f′ may vanish at m.
bool guessBox(const fmpz_poly_struct* f, const fmpz_poly_struct* slope, const acb_struct* m, acb_struct* box,
              slong prec) {
    Acb value, derivative, next, step;
    if (!inclusionBox(f, slope, m, box, prec, value, derivative)) return false;
    if (mag_is_zero(arb_radref(acb_realref(box)))) return true;  // m is the root
    acb_div(step, value, derivative, prec);
    acb_sub(next, m, step, prec);
    acb_get_mid(next, next);
    if (!acb_contains(box, next)) return true;
    // From m′, then from the narrower box's midpoint while the box stays too
    // wide to decide the nearest doubles.
    for (int round = 0; round < kNewtonSteps; ++round) {
        arb_fmpz_poly_evaluate_acb(value, f, next, prec);
        arb_fmpz_poly_evaluate_acb(derivative, slope, box, prec);
        if (acb_contains_zero(derivative)) return true;
        Acb quotient;
        acb_div(quotient, value, derivative, prec);
        acb_sub(next, next, quotient, prec);
        if (!arb_intersection(acb_realref(box), acb_realref(box), acb_realref(next), prec) ||
            !arb_intersection(acb_imagref(box), acb_imagref(box), acb_imagref(next), prec)) {
            return false;  // not possible with exact bounds; treated as a failed box
        }
        if (acb_rel_accuracy_bits(box) >= kDecidingBits) return true;
        acb_get_mid(next, box);
    }
    return true;
}

// Whether two boxes overlap, for every pair, by a sweep over the boxes in
// the order of their real parts' lower ends.
void markOverlaps(const AcbVector& boxes, std::vector<char>& bad) {
    const slong n = boxes.size();
    const auto count = std::size_t(n);
    std::vector<slong> order(count);
    std::vector<std::unique_ptr<Arf>> low(count), high(count);
    for (slong i = 0; i < n; ++i) {
        order[std::size_t(i)] = i;
        low[std::size_t(i)] = std::make_unique<Arf>();
        high[std::size_t(i)] = std::make_unique<Arf>();
        ballEnds(acb_realref(boxes[i]), *low[std::size_t(i)], *high[std::size_t(i)]);
    }
    std::sort(order.begin(), order.end(),
              [&](slong a, slong b) { return arf_cmp(*low[std::size_t(a)], *low[std::size_t(b)]) < 0; });
    for (std::size_t a = 0; a < order.size(); ++a) {
        const slong i = order[a];
        for (std::size_t b = a + 1; b < order.size(); ++b) {
            const slong j = order[b];
            if (arf_cmp(*low[std::size_t(j)], *high[std::size_t(i)]) > 0) break;  // and so are all later ones
            if (acb_overlaps(boxes[i], boxes[j])) bad[std::size_t(i)] = bad[std::size_t(j)] = 1;
        }
    }
}

// The boxes that meet the real line hold real roots when f changes sign
// between each two of them, from its sign at −∞ on, and their count has the
// degree's parity: then each of those intervals holds an odd number of real
// roots, which can only be the one root of its box.
bool realRootsProven(const fmpz_poly_struct* f, const AcbVector& boxes, slong prec, const Stop& stop) {
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
        stop.poll();
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

}  // namespace

bool inclusionBox(const fmpz_poly_struct* f, const fmpz_poly_struct* slope, const acb_struct* m, acb_struct* box,
                  slong prec, acb_struct* value, acb_struct* derivative) {
    arb_fmpz_poly_evaluate_acb(value, f, m, prec);
    arb_fmpz_poly_evaluate_acb(derivative, slope, m, prec);
    if (acb_contains_zero(derivative)) return false;
    // f′(m)/f(m) is the sum of 1/(m − r) over the n roots r.
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

bool aberthStep(const fmpz_poly_struct* f, const fmpz_poly_struct* slope, AcbVector& z, slong k, slong prec,
                slong small) {
    // It pulls a guess to its root and pushes it off the others'.
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

bool certify(const fmpz_poly_struct* f, AcbVector& z, AcbVector& boxes, slong& prec, bool avoidZero, const Stop& stop) {
    const slong n = fmpz_poly_degree(f);
    FmpzPoly slope;
    fmpz_poly_derivative(slope, f);
    std::vector<char> fresh(std::size_t(n), 1), bad(std::size_t(n), 0);
    const std::size_t chunks = (std::size_t(n) + kGuessesPerChunk - 1) / kGuessesPerChunk;
    WorkerPool pool;
    ChunkControl control;
    control.cancel = stop.flag();
    for (int round = 0; round < kCertifyRounds; ++round, prec *= 2) {
        pool.run(
            chunks,
            [&](std::size_t chunk) {
                const ThreadCacheRelease release;
                const slong end = std::min(n, slong((chunk + 1) * kGuessesPerChunk));
                for (slong i = slong(chunk * kGuessesPerChunk); i < end; ++i) {
                    if (!fresh[std::size_t(i)]) continue;
                    stop.poll();
                    const bool boxed = guessBox(f, slope, z[i], boxes[i], prec);
                    bad[std::size_t(i)] = !boxed || (avoidZero && acb_contains_zero(boxes[i]));
                    fresh[std::size_t(i)] = 0;
                }
            },
            control);
        markOverlaps(boxes, bad);
        const bool isolated = std::none_of(bad.begin(), bad.end(), [](char b) { return b != 0; });
        if (isolated) {
            if (realRootsProven(f, boxes, prec, stop)) {
                for (slong i = 0; i < n; ++i) {
                    if (arb_contains_zero(acb_imagref(boxes[i]))) arb_zero(acb_imagref(boxes[i]));
                }
                return true;
            }
            for (slong i = 0; i < n; ++i) bad[std::size_t(i)] = arb_contains_zero(acb_imagref(boxes[i]));
        }
        for (int step = 0; step < kAberthStepsPerRound; ++step) {
            bool settled = true;
            for (slong i = 0; i < n; ++i) {
                if (!bad[std::size_t(i)]) continue;
                stop.poll();
                settled &= aberthStep(f, slope, z, i, 2 * prec, prec);
            }
            if (settled) break;
        }
        for (slong i = 0; i < n; ++i) fresh[std::size_t(i)] = bad[std::size_t(i)];
    }
    return false;
}

}  // namespace quill::analysis
