#include "exact_sign.h"

#include <algorithm>
#include <bit>

namespace quill::analysis {

namespace {

// value = mantissa · 2^exponent with an odd mantissa (0 for zero).
Dyadic oddDyadic(int64_t mantissa, long exponent) {
    if (mantissa == 0) return {};
    const int zeros = std::countr_zero(static_cast<uint64_t>(mantissa < 0 ? -mantissa : mantissa));
    return {mantissa / (int64_t(1) << zeros), exponent + zeros};
}

// acc · 2^accExponent + mantissa · 2^exponent into acc; returns the new exponent.
long addScaled(mpz_ptr acc, long accExponent, int64_t mantissa, long exponent, mpz_ptr term) {
    if (mantissa == 0) return accExponent;
    if (mpz_sgn(acc) == 0) {
        mpz_set_si(acc, mantissa);
        return exponent;
    }
    if (exponent >= accExponent) {
        mpz_set_si(term, mantissa);
        mpz_mul_2exp(term, term, static_cast<mp_bitcnt_t>(exponent - accExponent));
        mpz_add(acc, acc, term);
        return accExponent;
    }
    mpz_mul_2exp(acc, acc, static_cast<mp_bitcnt_t>(accExponent - exponent));
    if (mantissa >= 0) {
        mpz_add_ui(acc, acc, static_cast<unsigned long>(mantissa));
    } else {
        mpz_sub_ui(acc, acc, static_cast<unsigned long>(-mantissa));
    }
    return exponent;
}

}  // namespace

Dyadic dyadicOf(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const int field = int((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & 0xFFFFFFFFFFFFFull;
    if (field == 0 && fraction == 0) return {};
    const int64_t m = int64_t(field == 0 ? fraction : fraction | (uint64_t(1) << 52));
    return oddDyadic((bits >> 63) ? -m : m, field == 0 ? -1074 : field - 1075);
}

Dyadic midpointOf(double a, double b) {
    const Dyadic da = dyadicOf(a), db = dyadicOf(b);
    // Neighbours: both exponents lie within two of each other's, and the
    // mantissas within 54 bits, so the sum fits a word.
    const long e = da.mantissa == 0 ? db.exponent : db.mantissa == 0 ? da.exponent : std::min(da.exponent, db.exponent);
    const int64_t sum = (da.mantissa == 0 ? 0 : da.mantissa << (da.exponent - e)) +
                        (db.mantissa == 0 ? 0 : db.mantissa << (db.exponent - e));
    return oddDyadic(sum, e - 1);
}

ExactPolynomial::ExactPolynomial(std::span<const double> coefficients) {
    for (double c : coefficients) {
        const Dyadic d = dyadicOf(c);
        terms_.push_back({d.mantissa, d.exponent});
    }
    while (!terms_.empty() && terms_.back().mantissa == 0) terms_.pop_back();
}

long ExactPolynomial::valueAt(const Dyadic& m, double y, Scratch& scratch) const {
    mpz_ptr acc = scratch.acc_;
    mpz_set_ui(acc, 0);
    long exponent = 0;
    // Horner: acc·2^exponent = ((a(n)·m + a(n-1))·m + …) exactly.
    for (std::size_t i = terms_.size(); i-- > 0;) {
        if (mpz_sgn(acc) != 0) {
            if (m.mantissa == 0) {
                mpz_set_ui(acc, 0);
            } else {
                mpz_mul_si(acc, acc, m.mantissa);
                exponent += m.exponent;
            }
        }
        exponent = addScaled(acc, exponent, terms_[i].mantissa, terms_[i].exponent, scratch.term_);
    }
    const Dyadic dy = dyadicOf(y);
    return addScaled(acc, exponent, -dy.mantissa, dy.exponent, scratch.term_);
}

int ExactPolynomial::signAt(const Dyadic& m, double y, Scratch& scratch) const {
    valueAt(m, y, scratch);
    return mpz_sgn(value(scratch));
}

}  // namespace quill::analysis
