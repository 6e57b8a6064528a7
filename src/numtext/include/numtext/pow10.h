#pragma once
// Powers of ten as 80-bit values and the scaling that number text in and out
// share. The value is scaled by at most three table entries, smallest factor
// first; a negative power divides by the tabulated positive powers (the
// quotient is never replaced by a product with a rounded reciprocal), and
// each step rounds once.

#include <cstdint>

#include "numtext/ext80.h"

namespace quill {

struct Ext80Bits {
    uint16_t biasedExponent;  // sign bit clear: every entry is positive
    uint64_t significand;
};

// Generated once from exact integer powers of ten; a test recomputes every entry.
// Entry k is 1e(k).
inline constexpr Ext80Bits kTenPowLow[32] = {
    {0x3FFF, 0x8000000000000000ULL},  // 1e0
    {0x4002, 0xA000000000000000ULL},  // 1e1
    {0x4005, 0xC800000000000000ULL},  // 1e2
    {0x4008, 0xFA00000000000000ULL},  // 1e3
    {0x400C, 0x9C40000000000000ULL},  // 1e4
    {0x400F, 0xC350000000000000ULL},  // 1e5
    {0x4012, 0xF424000000000000ULL},  // 1e6
    {0x4016, 0x9896800000000000ULL},  // 1e7
    {0x4019, 0xBEBC200000000000ULL},  // 1e8
    {0x401C, 0xEE6B280000000000ULL},  // 1e9
    {0x4020, 0x9502F90000000000ULL},  // 1e10
    {0x4023, 0xBA43B74000000000ULL},  // 1e11
    {0x4026, 0xE8D4A51000000000ULL},  // 1e12
    {0x402A, 0x9184E72A00000000ULL},  // 1e13
    {0x402D, 0xB5E620F480000000ULL},  // 1e14
    {0x4030, 0xE35FA931A0000000ULL},  // 1e15
    {0x4034, 0x8E1BC9BF04000000ULL},  // 1e16
    {0x4037, 0xB1A2BC2EC5000000ULL},  // 1e17
    {0x403A, 0xDE0B6B3A76400000ULL},  // 1e18
    {0x403E, 0x8AC7230489E80000ULL},  // 1e19
    {0x4041, 0xAD78EBC5AC620000ULL},  // 1e20
    {0x4044, 0xD8D726B7177A8000ULL},  // 1e21
    {0x4048, 0x878678326EAC9000ULL},  // 1e22
    {0x404B, 0xA968163F0A57B400ULL},  // 1e23
    {0x404E, 0xD3C21BCECCEDA100ULL},  // 1e24
    {0x4052, 0x84595161401484A0ULL},  // 1e25
    {0x4055, 0xA56FA5B99019A5C8ULL},  // 1e26
    {0x4058, 0xCECB8F27F4200F3AULL},  // 1e27
    {0x405C, 0x813F3978F8940984ULL},  // 1e28
    {0x405F, 0xA18F07D736B90BE5ULL},  // 1e29
    {0x4062, 0xC9F2C9CD04674EDFULL},  // 1e30
    {0x4065, 0xFC6F7C4045812296ULL},  // 1e31
};
// Entry k is 1e(32*k); entry 0 is unused.
inline constexpr Ext80Bits kTenPowMid[16] = {
    {0, 0},
    {0x4069, 0x9DC5ADA82B70B59EULL},  // 1e32
    {0x40D3, 0xC2781F49FFCFA6D5ULL},  // 1e64
    {0x413D, 0xEFB3AB16C59B14A3ULL},  // 1e96
    {0x41A8, 0x93BA47C980E98CE0ULL},  // 1e128
    {0x4212, 0xB616A12B7FE617AAULL},  // 1e160
    {0x427C, 0xE070F78D3927556BULL},  // 1e192
    {0x42E7, 0x8A5296FFE33CC930ULL},  // 1e224
    {0x4351, 0xAA7EEBFB9DF9DE8EULL},  // 1e256
    {0x43BB, 0xD226FC195C6A2F8CULL},  // 1e288
    {0x4426, 0x81842F29F2CCE376ULL},  // 1e320
    {0x4490, 0x9FA42700DB900AD2ULL},  // 1e352
    {0x44FA, 0xC4C5E310AEF8AA17ULL},  // 1e384
    {0x4564, 0xF28A9C07E9B09C59ULL},  // 1e416
    {0x45CF, 0x957A4AE1EBF7F3D4ULL},  // 1e448
    {0x4639, 0xB83ED8DC0795A262ULL},  // 1e480
};
// Entry k is 1e(512*k); entry 0 is unused.
inline constexpr Ext80Bits kTenPowHigh[10] = {
    {0, 0},
    {0x46A3, 0xE319A0AEA60E91C7ULL},  // 1e512
    {0x4D48, 0xC976758681750C17ULL},  // 1e1024
    {0x53ED, 0xB2B8353B3993A7E4ULL},  // 1e1536
    {0x5A92, 0x9E8B3B5DC53D5DE5ULL},  // 1e2048
    {0x6137, 0x8CA554C020A1F0A6ULL},  // 1e2560
    {0x67DB, 0xF9895D25D88B5A8BULL},  // 1e3072
    {0x6E80, 0xDD5DC8A2BF27F3F8ULL},  // 1e3584
    {0x7525, 0xC46052028A20979BULL},  // 1e4096
    {0x7BCA, 0xAE3511626ED559F0ULL},  // 1e4608
};

inline Ext80 toExt80(Ext80Bits b) { return Ext80::fromBits(false, b.biasedExponent, b.significand); }

// v * 10^n. Callers never pass n >= 5120; n <= -5120 gives +0 whatever v is.
Ext80 scaleByPowerOfTen(Ext80 v, int32_t n, Ext80Flags& flags);

// The bits of scaleByPowerOfTen(Ext80::fromUint64(s), n) for 0 < s and
// |n| < 5120: the very same steps and roundings in integer registers, each
// division a multiplication by the divisor's reciprocal. Returns false,
// leaving out alone, where that cannot settle the result: a quotient too
// close to half a unit of its last place, or a result at either end of the
// 80-bit normal range.
bool scaleIntegerByPowerOfTen(uint64_t s, int32_t n, Ext80Bits& out);
// The same for a positive normal 80-bit value given by its bits.
bool scaleBitsByPowerOfTen(Ext80Bits value, int32_t n, Ext80Bits& out);

}  // namespace quill
