#pragma once
// Powers of ten as 80-bit values and the scaling that number text in and out
// share. The value is scaled by at most three table entries, smallest factor
// first; a negative power divides by the tabulated positive powers (no
// reciprocal is ever formed), and each step rounds once.

#include <cstdint>

#include "numtext/ext80.h"

namespace quill {

struct Ext80Bits {
    uint16_t biasedExponent;  // sign bit clear: every entry is positive
    uint64_t significand;
};

// Entry k holds 1e(k), k = 0..31.
extern const Ext80Bits kTenPowLow[32];
// Entry k holds 1e(32*k), k = 1..15 (entry 0 unused).
extern const Ext80Bits kTenPowMid[16];
// Entry k holds 1e(512*k), k = 1..9 (entry 0 unused).
extern const Ext80Bits kTenPowHigh[10];

inline Ext80 toExt80(Ext80Bits b) { return Ext80::fromBits(false, b.biasedExponent, b.significand); }

// v * 10^n. Callers never pass n >= 5120; n <= -5120 gives +0 whatever v is.
Ext80 ScaleByPowerOfTen(Ext80 v, int32_t n, Ext80Flags& flags);

}  // namespace quill
