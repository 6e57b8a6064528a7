#pragma once
// The integer steps of scaleBitsByPowerOfTen (pow10.h), inline, for the
// number text conversions of this library that run them on every number.

#include <array>
#include <cstddef>
#include <cstdint>

#include "numtext/pow10.h"
#include "numtext/wide_product.h"

namespace quill::pow10_steps {

// floor(2^191 / t) for a significand t in (2^63, 2^64): in [2^127, 2^128).
constexpr U128 reciprocal(uint64_t t) {
    const U128 high = (U128(1) << 127) / t;
    const U128 rest = (U128(1) << 127) - high * t;
    return (high << 64) | ((rest << 64) / t);
}

struct Factor {
    uint64_t significand;
    int32_t exponent;  // unbiased: the value is significand * 2^(exponent - 63)
    U128 reciprocal;
};

template <std::size_t N>
constexpr std::array<Factor, N> factors(const Ext80Bits (&table)[N]) {
    std::array<Factor, N> out{};
    for (std::size_t k = 1; k < N; ++k) {  // entry 0 is 1 or unused: never a step here
        out[k] = {table[k].significand, int32_t(table[k].biasedExponent) - 16383, reciprocal(table[k].significand)};
    }
    return out;
}

inline constexpr auto kLow = factors(kTenPowLow);
inline constexpr auto kMid = factors(kTenPowMid);
inline constexpr auto kHigh = factors(kTenPowHigh);

inline constexpr uint64_t kTop = uint64_t(1) << 63;

// A value m * 2^(e - 63) with the top bit of m set, exact and unbounded.
struct Wide {
    uint64_t m;
    int32_t e;
};

// One rounding of the exact product to 64 bits, to nearest with ties to even.
[[gnu::always_inline]] inline Wide multiply(Wide v, const Factor& f) {
    const U128 p = wideMul(v.m, f.significand);  // in [2^126, 2^128)
    const uint64_t top = uint64_t(p >> 127);
    uint64_t hi = uint64_t(p >> (63 + top));
    const uint64_t lo = uint64_t(p) << (1 - top);
    int32_t e = v.e + f.exponent + int32_t(top);
    // Up by the bits below, without a branch: the data decide it at random.
    hi += uint64_t(lo > kTop) | (uint64_t(lo == kTop) & hi & 1);
    if (hi == 0) [[unlikely]] {  // carried out of 64 bits
        hi = kTop;
        ++e;
    }
    return {hi, e};
}

// One rounding of the quotient to 64 bits. y = m * r is the quotient times
// 2^191 less an error in [0, m), so below 2^64: the bits under the kept 64
// settle the rounding unless they lie within that error of one half. No
// quotient of two 64-bit significands is ever exactly halfway (it would
// need 65 significant bits), so no tie has to be told apart.
[[gnu::always_inline]] inline bool divide(Wide& v, const Factor& f) {
    const U128 low = wideMul(v.m, uint64_t(f.reciprocal));
    const U128 high = wideMul(v.m, uint64_t(f.reciprocal >> 64));
    const U128 middle = (low >> 64) + uint64_t(high);
    uint64_t w2 = uint64_t(high >> 64) + uint64_t(middle >> 64);
    uint64_t w1 = uint64_t(middle);
    uint64_t w0 = uint64_t(low);
    // y in (2^190, 2^192): below 2^191, move it up a bit (the error doubles).
    const uint64_t shift = 1 - (w2 >> 63);
    w2 = (w2 << shift) | ((w1 >> 63) & shift);
    w1 = (w1 << shift) | ((w0 >> 63) & shift);
    // w1:w0 are the bits under the kept ones; one half is 2^63:0 and the
    // error stays below 2^65, that is 2 in w1.
    if (w1 - (kTop - 2) <= 2) return false;
    int32_t e = v.e - f.exponent - int32_t(shift);
    w2 += uint64_t(w1 > kTop);
    if (w2 == 0) [[unlikely]] {  // carried out of 64 bits
        w2 = kTop;
        ++e;
    }
    v = {w2, e};
    return true;
}

// v * 10^n by the steps of scaleByPowerOfTen, 0 < |n| < 5120; false where
// a quotient lies too close to half a unit to settle (v is then unspecified).
[[gnu::always_inline]] inline bool scale(Wide& v, int32_t n) {
    const bool down = n < 0;
    const int32_t a = down ? -n : n;
    const auto step = [&](const Factor& f) {  // a factor 1 changes nothing and is left out
        if (!down) {
            v = multiply(v, f);
            return true;
        }
        return divide(v, f);
    };
    if (a % 32 != 0 && !step(kLow[a % 32])) return false;
    if (a >= 32) [[unlikely]] {
        const int32_t k = a / 32;
        if (k % 16 != 0 && !step(kMid[k % 16])) return false;
        if (k / 16 != 0 && !step(kHigh[k / 16])) return false;
    }
    return true;
}

// scale for any n, the rule of scaleBitsByPowerOfTen: false also for
// |n| >= 5120 and for a result at either end of the 80-bit normal range
// (biased exponent 1 or above 0x7FFE). Every step moves the value one way,
// so a result clear of both ends had no step outside them either.
[[gnu::always_inline]] inline bool scaleWithinRange(Wide& v, int32_t n) {
    if (n <= -5120 || n >= 5120 || (n != 0 && !scale(v, n))) return false;
    const int32_t biased = v.e + 16383;
    return biased >= 2 && biased <= 0x7FFE;
}

}  // namespace quill::pow10_steps
