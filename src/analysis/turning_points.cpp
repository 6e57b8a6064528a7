#include "analysis/turning_points.h"

#include <arb_fmpz_poly.h>

#include <algorithm>
#include <memory>

#include "dyadic.h"
#include "nearest_root.h"
#include "squarefree_roots.h"

namespace quill {

using namespace analysis;

namespace {

// Whether F(c) = t exactly for the root c of F′'s factor in ball i of set,
// F = P · 2^scale. Then c is a root of both Q = P − t·2^−scale (scaled to
// integers) and the factor, so of their gcd G. G divides the squarefree
// factor, so its roots are simple and among the factor's; c's interval holds
// no other root of the factor, so G has a root in it exactly when G's signs
// at its ends differ or one is zero.
bool valueIs(const RootSet& set, slong i, const fmpz_poly_struct* p, slong scale, const arf_struct* t) {
    Fmpz m, e;
    arf_get_fmpz_2exp(m, e, t);
    const slong shift = fmpz_get_si(e) - scale;
    FmpzPoly q, g;
    if (shift >= 0) {
        fmpz_mul_2exp(m, m, ulong(shift));
        fmpz_poly_set(q, p);
    } else {
        fmpz_poly_scalar_mul_2exp(q, p, ulong(-shift));
    }
    fmpz_poly_get_coeff_fmpz(e, q, 0);
    fmpz_sub(e, e, m);
    fmpz_poly_set_coeff_fmpz(q, 0, e);
    fmpz_poly_gcd(g, q, set.poly());
    if (fmpz_poly_degree(g) < 1) return false;
    Arf low, high;
    ballEnds(acb_realref(set.ball(i)), low, high);
    Fmpq point, value;
    arfToFmpq(point, low);
    fmpz_poly_evaluate_fmpq(value, g, point);
    const int sLow = fmpq_sgn(value);
    arfToFmpq(point, high);
    fmpz_poly_evaluate_fmpq(value, g, point);
    return sLow * fmpq_sgn(value) <= 0;
}

// The double nearest to F(c) for the real root c of F′ that ref names.
double valueAt(const RootRef& ref, const fmpz_poly_struct* p, slong scale, double a0) {
    if (!ref.set) return a0 == 0.0 ? 0.0 : a0;  // F(0) = a(0)
    RootSet& set = *ref.set;
    std::vector<std::unique_ptr<Arf>> rejected;
    Arb value;
    Arf candidate;
    slong prec = 128;
    for (int round = 0; round < kMostRefinements; ++round) {
        arb_fmpz_poly_evaluate_arb(value, p, acb_realref(set.ball(ref.index)), prec);
        arb_mul_2exp_si(value, value, scale);
        const BallVerdict verdict = judgeBall(value, candidate);
        if (verdict.decided) return verdict.value;
        const bool tried = std::any_of(rejected.begin(), rejected.end(),
                                       [&](const std::unique_ptr<Arf>& r) { return arf_equal(*r, candidate); });
        if (verdict.hasCandidate && !tried && exactChecksPay(set.ball(ref.index))) {
            if (valueIs(set, ref.index, p, scale, candidate)) return nearestDouble(candidate);
            rejected.push_back(std::make_unique<Arf>());
            arf_set(*rejected.back(), candidate);
        }
        set.refine(ref.index);
        // F is flat at c, so a smaller ball alone narrows F(c) quickly; the
        // precision grows too, for the cancellation within F.
        // An exact ball (c a dyadic) has unbounded accuracy: only the precision
        // of the evaluation is then wanting, and it doubles.
        const acb_struct* ball = set.ball(ref.index);
        const slong accuracy = acb_is_exact(ball) ? prec : std::max<slong>(acb_rel_accuracy_bits(ball), 0);
        prec = std::max(prec + prec / 2, 2 * accuracy + 64);
    }
    refinementFailed("turning point value");
}

}  // namespace

std::string_view turningKindName(TurningKind kind) {
    switch (kind) {
        case TurningKind::min: return "min";
        case TurningKind::max: return "max";
        case TurningKind::flat: break;
    }
    return "flat";
}

TurningPointList findTurningPoints(std::span<const double> coefficients, const std::atomic<bool>* cancel) {
    requireFinite(coefficients, "coefficient");
    requireSearchedDegree(coefficients);
    const ThreadCacheRelease release;  // last out, after every FLINT object below
    TurningPointList out;
    FmpzPoly p, slope;
    const slong scale = integerPolynomial(p, coefficients);
    if (fmpz_poly_degree(p) < 1) {
        out.constant = true;
        return out;
    }
    fmpz_poly_derivative(slope, p);
    const Stop stop(cancel);
    SquarefreeRoots distinct(slope, stop);
    std::vector<RootRef> real;
    for (const RootRef& ref : distinct.roots()) {
        if (ref.isReal()) real.push_back(ref);
    }
    std::sort(real.begin(), real.end(), realBelow);

    // F′'s sign right of its largest root is that of its leading
    // coefficient; crossing a root of odd multiplicity turns it.
    int right = fmpz_sgn(fmpz_poly_lead(slope));
    out.points.resize(real.size());
    for (std::size_t k = real.size(); k-- > 0;) {
        const bool odd = real[k].multiplicity % 2 != 0;
        const int left = odd ? -right : right;
        TurningPoint& point = out.points[k];
        point.kind = !odd ? TurningKind::flat : left < 0 ? TurningKind::min : TurningKind::max;
        point.multiplicity = int(real[k].multiplicity);
        right = left;
    }
    for (std::size_t k = 0; k < real.size(); ++k) {
        stop.poll();
        const RootRef& ref = real[k];
        out.points[k].x = ref.set ? nearestParts(*ref.set, ref.index).re : 0.0;
        out.points[k].fx = valueAt(ref, p, scale, coefficients[0]);
    }
    return out;
}

}  // namespace quill
