#include "exact_ratio.h"

#include "dyadic.h"

namespace quill::analysis {

double nearestDoubleOfRatio(const fmpz* numerator, const fmpz* denominator, slong exponent) {
    if (fmpz_is_zero(numerator)) return 0.0;
    // q = ⌊|n| · 2^shift / d⌋ with at least 56 significant bits, and a sticky
    // bit below it for a non-zero remainder: rounding q·2+sticky at the
    // double's position (normal or subnormal) then gives the nearest double of
    // the exact ratio, ties included, since the sticky bit is never the one
    // rounded at.
    const slong shift = 58 + slong(fmpz_bits(denominator)) - slong(fmpz_bits(numerator));
    Fmpz n, low, q, r;
    fmpz_abs(n, numerator);
    if (shift >= 0) {
        fmpz_mul_2exp(n, n, ulong(shift));
    } else {
        // Keep the bits shifted out in the remainder's test.
        fmpz_fdiv_r_2exp(low, n, ulong(-shift));
        fmpz_fdiv_q_2exp(n, n, ulong(-shift));
    }
    fmpz_fdiv_qr(q, r, n, denominator);
    fmpz_mul_2exp(q, q, 1);
    if (!fmpz_is_zero(r) || !fmpz_is_zero(low)) fmpz_add_ui(q, q, 1);
    if (fmpz_sgn(numerator) < 0) fmpz_neg(q, q);
    return nearestDouble(q, exponent - shift - 1);
}

}  // namespace quill::analysis
