#include "dyadic.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "analysis/roots.h"
#include "exact_sign.h"

namespace quill::analysis {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Beyond these exponents a number's nearest double is zero or infinite
// whatever its significand (which memory bounds far below 2^40 bits; below
// 2^30 where a word has 32 bits, as in WebAssembly).
constexpr slong kExponentGuard = slong(1) << (FLINT_BITS == 64 ? 40 : 30);

// A double's significand (below 2^53) as an fmpz, and back: through a
// double, which holds it exactly, since a word may have only 32 bits.
void setMantissa(fmpz* out, int64_t mantissa) { fmpz_set_d(out, static_cast<double>(mantissa)); }
uint64_t keptBits(const fmpz* bits) { return static_cast<uint64_t>(fmpz_get_d(bits)); }

}  // namespace

void requireFinite(std::span<const double> values, const char* what) {
    for (double v : values) {
        if (!std::isfinite(v)) throw std::invalid_argument(std::string("not a finite ") + what);
    }
}

void requireSearchedDegree(std::span<const double> coefficients) {
    std::size_t degree = coefficients.size();
    while (degree > 0 && coefficients[degree - 1] == 0.0) --degree;
    if (degree > 0) --degree;
    if (degree <= kMostSearchedDegree) return;
    throw std::invalid_argument("the polynomial's degree, " + std::to_string(degree) +
                                ", is above the highest the root search serves (" +
                                std::to_string(kMostSearchedDegree) + ")");
}

void splitDouble(double value, fmpz* mantissa, slong& exponent) {
    const Dyadic s = dyadicOf(value);
    setMantissa(mantissa, s.mantissa);
    exponent = s.exponent;
}

slong integerPolynomial(fmpz_poly_struct* out, std::span<const double> a) {
    fmpz_poly_zero(out);
    slong scale = std::numeric_limits<slong>::max();
    for (double v : a) {
        if (v != 0.0) scale = std::min<slong>(scale, dyadicOf(v).exponent);
    }
    if (scale == std::numeric_limits<slong>::max()) return 0;
    Fmpz c;
    for (std::size_t i = a.size(); i-- > 0;) {  // the highest power first: one allocation
        if (a[i] == 0.0) continue;
        const Dyadic s = dyadicOf(a[i]);
        setMantissa(c, s.mantissa);
        fmpz_mul_2exp(c, c, ulong(s.exponent - scale));
        fmpz_poly_set_coeff_fmpz(out, slong(i), c);
    }
    return scale;
}

double nearestDouble(const fmpz* mantissa, slong exponent) {
    const int sign = fmpz_sgn(mantissa);
    if (sign == 0) return 0.0;
    Fmpz m;
    fmpz_abs(m, mantissa);
    const slong top = slong(fmpz_bits(m)) - 1 + exponent;  // ⌊log2 |value|⌋
    double magnitude;
    if (top >= 1024) {
        magnitude = kInfinity;
    } else if (top < -1076) {
        magnitude = 0.0;  // below a quarter of the smallest subnormal
    } else {
        const slong last = std::max<slong>(top - 52, -1074);  // the exponent of the last bit kept
        uint64_t kept;
        if (exponent >= last) {
            fmpz_mul_2exp(m, m, ulong(exponent - last));
            kept = keptBits(m);
        } else {
            const ulong shift = ulong(last - exponent);
            const bool half = fmpz_tstbit(m, shift - 1);
            const bool below = half && fmpz_val2(m) < shift - 1;
            Fmpz q;
            fmpz_fdiv_q_2exp(q, m, shift);
            kept = keptBits(q);
            if (half && (below || (kept & 1))) ++kept;
        }
        // kept ≤ 2^53: exact as a double, and so is the product unless it
        // reaches 2^1024.
        magnitude = (last == 971 && kept == (uint64_t(1) << 53)) ? kInfinity : std::ldexp(double(kept), int(last));
    }
    if (magnitude == 0.0) return 0.0;
    return sign < 0 ? -magnitude : magnitude;
}

double nearestDouble(const arf_struct* value) {
    if (arf_is_zero(value)) return 0.0;
    if (arf_is_pos_inf(value)) return kInfinity;
    if (arf_is_neg_inf(value)) return -kInfinity;
    if (arf_is_nan(value)) return std::numeric_limits<double>::quiet_NaN();
    Fmpz m, e;
    arf_get_fmpz_2exp(m, e, value);
    if (fmpz_cmp_si(e, kExponentGuard) > 0) return arf_sgn(value) > 0 ? kInfinity : -kInfinity;
    if (fmpz_cmp_si(e, -kExponentGuard) < 0) return 0.0;
    return nearestDouble(m, fmpz_get_si(e));
}

void ballEnds(const arb_struct* ball, arf_struct* low, arf_struct* high) {
    Arf radius;
    arf_set_mag(radius, arb_radref(ball));
    arf_sub(low, arb_midref(ball), radius, ARF_PREC_EXACT, ARF_RND_DOWN);
    arf_add(high, arb_midref(ball), radius, ARF_PREC_EXACT, ARF_RND_DOWN);
}

BallVerdict judgeBall(const arb_struct* ball, arf_struct* candidate) {
    BallVerdict verdict;
    Arf low, high;
    ballEnds(ball, low, high);
    const double a = nearestDouble(low), b = nearestDouble(high);
    if (a == b) {
        verdict.decided = true;
        verdict.value = a;
        return verdict;
    }
    if (arf_sgn(low) <= 0 && arf_sgn(high) >= 0) {
        arf_zero(candidate);
        verdict.hasCandidate = true;
    } else if (std::nextafter(a, kInfinity) == b) {
        // The midpoint of two neighbours; an infinity stands for 2^1024 here.
        Arf x, y;
        if (std::isinf(a)) {
            arf_one(x);
            arf_mul_2exp_si(x, x, 1024);
            arf_neg(x, x);
        } else {
            arf_set_d(x, a);
        }
        if (std::isinf(b)) {
            arf_one(y);
            arf_mul_2exp_si(y, y, 1024);
        } else {
            arf_set_d(y, b);
        }
        arf_add(candidate, x, y, ARF_PREC_EXACT, ARF_RND_DOWN);
        arf_mul_2exp_si(candidate, candidate, -1);
        verdict.hasCandidate = true;
    }
    return verdict;
}

void arfToFmpq(fmpq* out, const arf_struct* value) {
    Fmpz m, e;
    arf_get_fmpz_2exp(m, e, value);
    const slong exponent = fmpz_get_si(e);
    if (exponent >= 0) {
        fmpz_mul_2exp(fmpq_numref(out), m, ulong(exponent));
        fmpz_one(fmpq_denref(out));
    } else {
        fmpz_set(fmpq_numref(out), m);
        fmpz_one_2exp(fmpq_denref(out), ulong(-exponent));
        fmpq_canonicalise(out);
    }
}

}  // namespace quill::analysis
