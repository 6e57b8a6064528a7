#include "engine/poly_kernel.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "common/error.h"
#include "numtext/ext80.h"

namespace quill {

namespace {

// The rule itself, one operation after the other.
template <class T>
bool evaluateAt(const double* a, std::size_t n, double x, double& out) {
    double s = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        double r = a[i];
        for (std::size_t k = 0; k < i; ++k) {
            const typename T::Narrowed p = T::mulDoubles(r, x);
            if (p.overflow) return false;
            r = p.value;
        }
        const typename T::Narrowed p = T::addDoubles(r, s);
        if (p.overflow) return false;
        s = p.value;
    }
    out = s;
    return true;
}

// The same for kLanes x values side by side, without a test per operation:
// the chains of different x values are independent, so their latencies
// overlap, and each x still goes through its own operations in their order.
// From finite operands an overflow gives an infinity, and nothing turns an
// infinity or a NaN back into a finite number, so a finite F means that no
// operation overflowed.
constexpr std::size_t kLanes = 4;

template <class T>
void evaluateLanes(const double* a, std::size_t n, const double* x, double* fx) {
    double s[kLanes] = {};
    for (std::size_t i = 0; i < n; ++i) {
        double r[kLanes];
        for (std::size_t l = 0; l < kLanes; ++l) r[l] = a[i];
        for (std::size_t k = 0; k < i; ++k) {
            for (std::size_t l = 0; l < kLanes; ++l) r[l] = T::mulDoubles(r[l], x[l]).value;
        }
        for (std::size_t l = 0; l < kLanes; ++l) s[l] = T::addDoubles(r[l], s[l]).value;
    }
    for (std::size_t l = 0; l < kLanes; ++l) fx[l] = s[l];
}

bool allFinite(const double* v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(v[i])) return false;
    }
    return true;
}

template <class T>
std::size_t evaluateRange(const double* a, std::size_t n, const double* x, double* fx, std::size_t count) {
    const bool finite = allFinite(a, n);
    std::size_t j = 0;
    for (; finite && j + kLanes <= count; j += kLanes) {
        if (!allFinite(x + j, kLanes)) break;
        evaluateLanes<T>(a, n, x + j, fx + j);
        for (std::size_t l = 0; l < kLanes; ++l) {
            if (!std::isfinite(fx[j + l]) && !evaluateAt<T>(a, n, x[j + l], fx[j + l])) return j + l;
        }
    }
    for (; j < count; ++j) {
        if (!evaluateAt<T>(a, n, x[j], fx[j])) return j;
    }
    return count;
}

inline uint64_t bitsOf(double d) { return std::bit_cast<uint64_t>(d); }

constexpr uint64_t kFraction = 0xFFFFFFFFFFFFFull;
constexpr uint64_t kExponent = 0x7FF0000000000000ull;
constexpr uint64_t kMagnitude = 0x7FFFFFFFFFFFFFFFull;

// The integer model's road, shortened. A double operation rounds its exact
// result once, to 53 bits; the 80-bit road rounds it to 64 bits first, and
// the two differ only where that first rounding lands on the midpoint
// between two doubles. So each product and sum is done by the double unit,
// and only next to a midpoint again by the integer model. The tests below
// are wider than the true danger zone, never narrower.
//
// A product r·x: the exact product of the significands, their top bits at
// bit 63, is hi:lo; with its top bit at bit 127 (or 126) the 11 (or 10)
// bits of hi below the kept 53 and the top bit of lo decide the rounding.
// Next to a midpoint those bits are 0x3FF:1 or 0x400:0; both alignments are
// covered when the low 10 bits of hi, plus one, have low 9 bits below 2.
// Where lo is 0 the first rounding is exact and the product rounds once
// either way (a short coefficient times x, often).
inline double product(double r, double x, uint64_t xs) {
    const double p = r * x;
    const WideProduct exact = wideProduct((bitsOf(r) << 11) | (uint64_t(1) << 63), xs);
    if (((exact.hi + 1) & 0x1FF) < 2 && exact.lo != 0) [[unlikely]]
        return SoftExt80::mulDoubles(r, x).value;
    return p;
}

// A sum s + t: its rounding error e is exact (two-sum, no overflow in
// range); the sum is next to a midpoint when |e| reaches (1 - 2^-10) of half
// a unit of p's last place. A power of two, whose lower neighbour is closer,
// and sums near either end of the range go to the integer model too.
inline double sum(double t, double s) {
    const double p = t + s;
    const double tt = p - s;
    const double e = (t - tt) + (s - (p - tt));
    const uint64_t pb = bitsOf(p) & kMagnitude;
    const uint64_t field = pb & kExponent;
    const uint64_t threshold = (field - (uint64_t(54) << 52)) | 0xFF80000000000ull;
    const bool usual = field - (uint64_t(55) << 52) < (uint64_t(2046 - 55) << 52) && (pb & kFraction) != 0;
    if (!usual || (bitsOf(e) & kMagnitude) >= threshold) [[unlikely]] {
        if (p == 0.0 && e == 0.0) return p;        // exact cancellation, +0 as both roads give
        return SoftExt80::addDoubles(t, s).value;  // an overflow shows as infinity: checked by the caller
    }
    return p;
}

// Usable for every x: coefficients normal or zero.
bool usualCoefficients(const double* a, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const uint64_t field = bitsOf(a[i]) & kExponent;
        if (field == kExponent || (field == 0 && (bitsOf(a[i]) << 1) != 0)) return false;
    }
    return true;
}

// A term or sum the double unit gave the same as the 80-bit road: normal
// and clear of both ends of the double range (a term moves one way from
// a(i), so no product before it left that range either), or zero from a
// zero coefficient or a zero x.
inline bool clear(uint64_t bits) { return (bits & kExponent) - (uint64_t(2) << 52) < (uint64_t(2045 - 2) << 52); }

bool softAt(const double* a, std::size_t n, double x, double& out) {
    const uint64_t xb = bitsOf(x);
    const uint64_t xField = xb & kExponent;
    if (xField == kExponent || (xField == 0 && (xb << 1) != 0)) return evaluateAt<SoftExt80>(a, n, x, out);
    const uint64_t xs = (xb << 11) | (uint64_t(1) << 63);
    const bool zeroX = xField == 0;
    double s = 0.0;
    bool ok = true;
    for (std::size_t i = 0; i < n; ++i) {
        double r = a[i];
#pragma GCC unroll 4
        for (std::size_t k = 0; k < i; ++k) r = product(r, x, xs);
        const bool zeroTerm = (bitsOf(a[i]) << 1) == 0 || (zeroX && i > 0);
        ok &= zeroTerm || clear(bitsOf(r));
        s = sum(r, s);
    }
    // A sum that overflowed stays infinite or becomes NaN; a tiny one is exact.
    if (!ok || (bitsOf(s) & kExponent) == kExponent) return evaluateAt<SoftExt80>(a, n, x, out);
    out = s;
    return true;
}

}  // namespace

bool evaluatePolynomialAt(const double* a, std::size_t n, double x, double& out) {
    return evaluateAt<Ext80>(a, n, x, out);
}

double evaluatePolynomial(const std::vector<double>& coefficients, double x) {
    double s;
    if (!evaluatePolynomialAt(coefficients.data(), coefficients.size(), x, s)) throw OverflowError();
    return s;
}

std::size_t evaluatePolynomialRangeSoft(const double* a, std::size_t n, const double* x, double* fx,
                                        std::size_t count) {
    if (!usualCoefficients(a, n)) return evaluateRange<SoftExt80>(a, n, x, fx, count);
    for (std::size_t j = 0; j < count; ++j) {
        if (!softAt(a, n, x[j], fx[j])) return j;
    }
    return count;
}

std::size_t evaluatePolynomialRange(const double* a, std::size_t n, const double* x, double* fx, std::size_t count) {
    if constexpr (std::is_same_v<Ext80, SoftExt80>) {
        return evaluatePolynomialRangeSoft(a, n, x, fx, count);
    } else {
        return evaluateRange<Ext80>(a, n, x, fx, count);
    }
}

}  // namespace quill
