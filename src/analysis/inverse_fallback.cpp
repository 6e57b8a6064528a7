#include "inverse_fallback.h"

#include <arb_fmpz_poly.h>

#include <algorithm>
#include <stdexcept>

#include "dyadic.h"
#include "nearest_root.h"

namespace quill::analysis {

namespace {

// Whether the root in ball lies in [low, high]: 1 yes, 0 no, -1 not yet known.
int inInterval(const fmpz_poly_struct* g, const arb_struct* ball, const InverseInterval& interval) {
    Arf low, high;
    ballEnds(ball, low, high);
    Arf a, b;
    arf_set_d(a, interval.low);
    arf_set_d(b, interval.high);
    if (arf_cmp(high, a) < 0 || arf_cmp(low, b) > 0) return 0;
    if (arf_cmp(low, a) >= 0 && arf_cmp(high, b) <= 0) return 1;
    // The ball holds an end: the root is that end only if it is a root.
    if (arf_cmp(low, a) <= 0 && arf_cmp(high, a) >= 0 && isRootAt(g, a)) return 1;
    if (arf_cmp(low, b) <= 0 && arf_cmp(high, b) >= 0 && isRootAt(g, b)) return 1;
    return -1;
}

// The real roots of the squarefree g, each rounded, those outside the
// interval left out.
void realRoots(const fmpz_poly_struct* g, int multiplicity, const std::optional<InverseInterval>& interval,
               std::vector<InverseRoot>& out) {
    const slong degree = fmpz_poly_degree(g);
    for (slong precision = 64;; precision *= 2) {
        if (precision > kMostRootPrecision) throw std::runtime_error("a root could not be rounded");
        AcbVector roots(degree);
        arb_fmpz_poly_complex_roots(roots.data(), g, 0, precision);
        std::vector<InverseRoot> found;
        bool settled = true;
        for (slong i = 0; i < degree && settled; ++i) {
            const acb_struct* r = roots[i];
            if (!arb_is_zero(acb_imagref(r))) break;  // the real roots come first
            if (interval) {
                const int in = inInterval(g, acb_realref(r), *interval);
                if (in < 0) settled = false;
                if (in <= 0) continue;
            }
            Arf candidate;
            const BallVerdict verdict = judgeBall(acb_realref(r), candidate);
            if (verdict.decided) {
                found.push_back({verdict.value, multiplicity});
            } else if (verdict.hasCandidate && isRootAt(g, candidate)) {
                found.push_back({nearestDouble(candidate), multiplicity});
            } else {
                settled = false;
            }
        }
        if (settled) {
            out.insert(out.end(), found.begin(), found.end());
            return;
        }
    }
}

}  // namespace

std::vector<InverseRoot> certifiedInverse(std::span<const double> coefficients, double y,
                                          const std::optional<InverseInterval>& interval) {
    const ThreadCacheRelease release;
    std::vector<InverseRoot> out;
    {
        // Q = 2^-e·(F(x) - y) with integer coefficients.
        FmpzPoly q;
        const slong scale = integerPolynomial(q, coefficients);
        Fmpz ym;
        slong ey = 0;
        splitDouble(y, ym, ey);
        if (!fmpz_is_zero(ym)) {
            if (fmpz_poly_is_zero(q) || ey >= scale) {
                fmpz_mul_2exp(ym, ym, ulong(fmpz_poly_is_zero(q) ? 0 : ey - scale));
            } else {
                fmpz_poly_scalar_mul_2exp(q, q, ulong(scale - ey));
            }
            Fmpz c;
            fmpz_poly_get_coeff_fmpz(c, q, 0);
            fmpz_sub(c, c, ym);
            fmpz_poly_set_coeff_fmpz(q, 0, c);
        }
        FmpzPolyFactor factors;
        fmpz_poly_factor_squarefree(factors, q);
        for (slong i = 0; i < factors->num; ++i) {
            if (fmpz_poly_degree(factors->p + i) < 1) continue;
            realRoots(factors->p + i, int(factors->exp[i]), interval, out);
        }
    }
    std::sort(out.begin(), out.end(), [](const InverseRoot& a, const InverseRoot& b) { return a.x < b.x; });
    return out;
}

}  // namespace quill::analysis
