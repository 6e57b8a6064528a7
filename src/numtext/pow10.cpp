#include "numtext/pow10.h"

#include <bit>

#include "pow10_steps.h"

namespace quill {

Ext80 scaleByPowerOfTen(Ext80 v, int32_t n, Ext80Flags& flags) {
    if (n == 0) return v;
    if (n <= -5120) return Ext80();
    const bool divide = n < 0;
    const int32_t a = divide ? -n : n;
    auto step = [&](Ext80Bits factor) {
        v = divide ? Ext80::div(v, toExt80(factor), flags) : Ext80::mul(v, toExt80(factor), flags);
    };
    step(kTenPowLow[a % 32]);  // performed even when it is the factor 1
    const int32_t k = a / 32;
    if (k == 0) return v;
    if (k % 16 != 0) step(kTenPowMid[k % 16]);
    if (k / 16 != 0) step(kTenPowHigh[k / 16]);
    return v;
}

bool scaleIntegerByPowerOfTen(uint64_t s, int32_t n, Ext80Bits& out) {
    if (s == 0) return false;
    const int shift = std::countl_zero(s);
    return scaleBitsByPowerOfTen({uint16_t(16383 + 63 - shift), s << shift}, n, out);
}

bool scaleBitsByPowerOfTen(Ext80Bits value, int32_t n, Ext80Bits& out) {
    if ((value.significand >> 63) == 0 || value.biasedExponent == 0 || value.biasedExponent >= 0x7FFF) return false;
    pow10_steps::Wide v{value.significand, int32_t(value.biasedExponent) - 16383};
    if (!pow10_steps::scaleWithinRange(v, n)) return false;
    out = {uint16_t(v.e + 16383), v.m};
    return true;
}

}  // namespace quill
