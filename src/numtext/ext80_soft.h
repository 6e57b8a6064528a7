#pragma once
// The 80-bit extended value computed with integers alone, bit for bit what the
// x87 unit gives at 64-bit precision, rounding to nearest-even, every
// exception masked: one rounding per operation, gradual underflow through the
// extended subnormals, infinity on overflow, the x87's choice of NaN. The
// value is kept in the x87 encoding itself, so the bit accessors are free.
//
// The common case (normal operands, normal result) is inline; zeros,
// subnormals, overflow, infinities and NaNs go out of line.

#include <bit>
#include <cstdint>

#include "ext80_flags.h"

#ifndef __SIZEOF_INT128__
#error "the integer 80-bit model needs unsigned __int128 (a 64-bit target)"
#endif

namespace quill {

class SoftExt80 {
public:
    constexpr SoftExt80() = default;  // +0

    static SoftExt80 fromDouble(double d) {
        const uint64_t bits = std::bit_cast<uint64_t>(d);
        const uint32_t e = static_cast<uint32_t>(bits >> 52) & 0x7FFu;
        if (e - 1u < 0x7FEu) {  // normal: exact, the hidden bit made explicit
            const uint32_t sign = static_cast<uint32_t>(bits >> 48) & kSignBit;
            return SoftExt80(static_cast<uint16_t>(sign | (e + kBias - kDoubleBias)),
                             kIntegerBit | (bits << 11));
        }
        return fromDoubleSpecial(bits);
    }
    // Exact for every 64-bit unsigned integer.
    static SoftExt80 fromUint64(uint64_t u) {
        if (u == 0) return SoftExt80();
        const int shift = std::countl_zero(u);
        return SoftExt80(static_cast<uint16_t>(kBias + 63 - shift), u << shift);
    }
    static SoftExt80 fromBits(bool negative, uint16_t biasedExponent, uint64_t significand) {
        return SoftExt80(static_cast<uint16_t>((negative ? kSignBit : 0u) | (biasedExponent & kExpMask)),
                         significand);
    }

    bool negative() const { return (se_ & kSignBit) != 0; }
    uint16_t biasedExponent() const { return se_ & kExpMask; }
    uint64_t significand() const { return sig_; }
    bool isZero() const { return (se_ & kExpMask) == 0 && sig_ == 0; }
    bool isFinite() const { return (se_ & kExpMask) != kExpMask && !isUnsupported(); }

    SoftExt80 negated() const { return SoftExt80(static_cast<uint16_t>(se_ ^ kSignBit), sig_); }
    SoftExt80 abs() const { return SoftExt80(static_cast<uint16_t>(se_ & kExpMask), sig_); }

    // Each operation rounds its exact result once to 64 significant bits,
    // to nearest with ties to even, and records overflow / invalid in flags.
    static SoftExt80 mul(SoftExt80 a, SoftExt80 b, Ext80Flags& flags) {
        if (a.isNormal() && b.isNormal()) {
            const unsigned __int128 p = static_cast<unsigned __int128>(a.sig_) * b.sig_;
            uint64_t hi = static_cast<uint64_t>(p >> 64);
            uint64_t lo = static_cast<uint64_t>(p);
            int32_t e = int32_t(a.se_ & kExpMask) + int32_t(b.se_ & kExpMask) - kBias + 1;
            if ((hi >> 63) == 0) {  // the product of two significands in [1,2) lies in [1,4)
                hi = (hi << 1) | (lo >> 63);
                lo <<= 1;
                --e;
            }
            return roundPack(((a.se_ ^ b.se_) & kSignBit) != 0, e, hi, lo, flags);
        }
        return mulSpecial(a, b, flags);
    }
    static SoftExt80 div(SoftExt80 a, SoftExt80 b, Ext80Flags& flags);
    static SoftExt80 add(SoftExt80 a, SoftExt80 b, Ext80Flags& flags) {
        if (a.isNormal() && b.isNormal()) return addNormal(a, b, flags);
        return addSpecial(a, b, flags);
    }

    // Rounds to an integer, to nearest with ties to even.
    SoftExt80 roundToInteger() const;
    // The value as an unsigned integer; only for integers in [0, 2^64)
    // (a fraction is cut off, as a C conversion does).
    uint64_t toUint64() const {
        const int32_t e = int32_t(se_ & kExpMask) - kBias;
        if (e < 0 || e > 63) return 0;
        return sig_ >> (63 - e);
    }

    // False whenever either value is a NaN, as an x87 comparison.
    bool lessThan(SoftExt80 other) const;

    struct Narrowed {
        double value;
        bool overflow;  // the magnitude rounded above the largest finite double
    };
    // Rounds to 53 significant bits (subnormals and zero below the double
    // range, the sign kept); an infinity here means the store overflowed.
    Narrowed narrowToDouble() const {
        const int32_t e = int32_t(se_ & kExpMask) - kBias + kDoubleBias;  // the double's exponent field
        if (static_cast<uint32_t>(e - 1) < 0x7FDu && (sig_ >> 63) != 0) {
            // 11 bits go; a carry out of the significand moves into the exponent field.
            const uint64_t rest = sig_ & 0x7FF;
            const uint64_t kept = sig_ >> 11;
            const uint64_t up = (rest > 0x400 || (rest == 0x400 && (kept & 1))) ? 1 : 0;
            const uint64_t bits = (uint64_t(se_ & kSignBit) << 48) +
                                  ((uint64_t(e) << 52) | (kept & 0xFFFFFFFFFFFFFull)) + up;
            return {std::bit_cast<double>(bits), false};
        }
        return narrowSpecial();
    }

    // The product or sum of two doubles formed in 80-bit precision and then
    // stored into a double: the two roundings of the evaluation.
    // For normal operands both are exact in 128 bits before the first
    // rounding, and take a short road without branches on the data;
    // everything else goes out of line.
    static Narrowed mulDoubles(double a, double b) {
        const uint64_t x = std::bit_cast<uint64_t>(a), y = std::bit_cast<uint64_t>(b);
        const uint32_t ex = uint32_t(x >> 52) & 0x7FFu, ey = uint32_t(y >> 52) & 0x7FFu;
        if (ex - 1u < 0x7FEu && ey - 1u < 0x7FEu) {
            // The significands with the hidden bit at the top: their product
            // lies in [2^126, 2^128) and is moved up by one bit or none.
            const unsigned __int128 p =
                static_cast<unsigned __int128>((x << 11) | kIntegerBit) * ((y << 11) | kIntegerBit);
            const uint64_t ph = uint64_t(p >> 64), pl = uint64_t(p);
            const uint64_t top = ph >> 63;
            const uint64_t grow = top - 1;  // all ones when the product lies below 2^127
            const uint64_t hi = ph + (ph & grow) + ((pl >> 63) & grow);
            return roundTwice((x ^ y) >> 63, int32_t(ex + ey) - 2046 + int32_t(top), hi, pl + (pl & grow));
        }
        return mulDoublesSlow(a, b);
    }
    static Narrowed addDoubles(double a, double b) {
        const uint64_t u = std::bit_cast<uint64_t>(a), v = std::bit_cast<uint64_t>(b);
        // The larger magnitude first (the bits order doubles by size).
        const uint64_t swap = (uint64_t(0) - uint64_t((u << 1) < (v << 1))) & (u ^ v);
        const uint64_t x = u ^ swap, y = v ^ swap;
        const uint32_t ex = uint32_t(x >> 52) & 0x7FFu, ey = uint32_t(y >> 52) & 0x7FFu;
        if (ex - 1u < 0x7FEu && ey - 1u < 0x7FEu) {
            const uint32_t d = ex - ey;
            // 64 binades apart or more, y lies below half a 64-bit step of x
            // (even just under a power of two), and whichever way the first
            // rounding goes, the second comes back to x.
            if (d >= 64) return {std::bit_cast<double>(x), false};
            // x at bits 62..10 of the high word, y shifted down into both words: exact.
            const uint64_t xs = ((x & kDoubleFraction) | kDoubleHidden) << 10;
            const uint64_t ys = ((y & kDoubleFraction) | kDoubleHidden) << 10;
            const uint64_t yh = ys >> d;
            const uint64_t yl = (ys << 1) << (63 - d);
            const uint64_t negate = uint64_t(0) - ((x ^ y) >> 63);  // all ones for a difference
            const uint64_t sl = (yl ^ negate) - negate;
            const uint64_t sh = xs + ((yh ^ negate) - negate) - (negate & uint64_t(yl != 0));
            if (sh == 0) return {0.0, false};  // exact cancellation gives +0 (the low word is 0 then)
            const int shift = std::countl_zero(sh);
            const uint64_t hi = (sh << shift) | ((sl >> 1) >> (63 - shift));
            return roundTwice(x >> 63, int32_t(ex) - 1022 - shift, hi, sl << shift);
        }
        if ((y << 1) == 0 && ex - 1u < 0x7FEu) return {std::bit_cast<double>(x), false};  // x + 0
        return addDoublesSlow(a, b);
    }

private:
    static constexpr uint16_t kSignBit = 0x8000;
    static constexpr uint16_t kExpMask = 0x7FFF;
    static constexpr int32_t kBias = 16383;
    static constexpr int32_t kDoubleBias = 1023;
    static constexpr uint64_t kIntegerBit = 0x8000000000000000ull;
    static constexpr uint64_t kHalf = 0x8000000000000000ull;  // of the bits below the last kept one
    static constexpr uint64_t kDoubleFraction = 0xFFFFFFFFFFFFFull;
    static constexpr uint64_t kDoubleHidden = 0x10000000000000ull;

    constexpr SoftExt80(uint16_t se, uint64_t sig) : sig_(sig), se_(se) {}

    // A nonzero finite value in the normal encoding.
    bool isNormal() const {
        return static_cast<uint16_t>((se_ & kExpMask) - 1) < kExpMask - 1 && (sig_ >> 63) != 0;
    }
    // Encodings the x87 refuses as operands (unnormals, pseudo-infinities,
    // pseudo-NaNs): a nonzero exponent field with the integer bit clear.
    bool isUnsupported() const { return (se_ & kExpMask) != 0 && (sig_ >> 63) == 0; }

    // Rounds hi:lo, whose top bit is set, to the 64 bits of hi; the value is
    // hi:lo * 2^(e - bias - 127). Exponents outside the normal range go out of line.
    static SoftExt80 roundPack(bool negative, int32_t e, uint64_t hi, uint64_t lo, Ext80Flags& flags) {
        if (static_cast<uint32_t>(e - 1) < uint32_t(kExpMask - 1)) {
            if (lo > kHalf || (lo == kHalf && (hi & 1))) {
                if (++hi == 0) {
                    hi = kIntegerBit;
                    if (++e == kExpMask) return overflowed(negative, flags);
                }
            }
            return SoftExt80(static_cast<uint16_t>((negative ? kSignBit : 0u) | uint32_t(e)), hi);
        }
        return roundPackOutOfRange(negative, e, hi, lo, flags);
    }

    // The exact value hi:lo * 2^(e - 127), top bit of hi set, rounded to 64
    // bits and then stored into a double. Each tie-to-even test is one
    // comparison (an odd kept part rounds up from the half on, an even one
    // only above it), and the first rounding's step is simply added to the
    // 11 bits the second one looks at: a carry out of those is the same as
    // their reaching more than half.
    static Narrowed roundTwice(uint64_t negative, int32_t e, uint64_t hi, uint64_t lo) {
        const int32_t de = e + kDoubleBias;  // the double's exponent field
        if (static_cast<uint32_t>(de - 1) < 0x7FDu) {
            const uint64_t rest = (hi & 0x7FF) + uint64_t(lo > kHalf - (hi & 1));
            const uint64_t kept = hi >> 11;  // its hidden bit adds one to the exponent field below
            const uint64_t up = uint64_t(rest > 0x400 - (kept & 1));
            const uint64_t bits = (negative << 63) + (uint64_t(de - 1) << 52) + kept + up;
            return {std::bit_cast<double>(bits), false};
        }
        const uint64_t h = hi + uint64_t(lo > kHalf - (hi & 1));
        const bool carry = h < hi;  // all 64 bits rounded up to 2^64
        return SoftExt80(static_cast<uint16_t>((negative ? kSignBit : 0u) | uint32_t(e + int32_t(carry) + kBias)),
                         carry ? kIntegerBit : h)
            .narrowSpecial();
    }

    static SoftExt80 addNormal(SoftExt80 a, SoftExt80 b, Ext80Flags& flags) {
        int32_t ea = a.se_ & kExpMask, eb = b.se_ & kExpMask;
        if (ea < eb || (ea == eb && a.sig_ < b.sig_)) {  // make |a| >= |b|
            const SoftExt80 t = a;
            a = b;
            b = t;
            const int32_t te = ea;
            ea = eb;
            eb = te;
        }
        return addMagnitudes(a.negative(), ea, a.sig_, b.negative(), eb, b.sig_, flags);
    }
    // |a| >= |b|, both significands with their top bit set.
    static SoftExt80 addMagnitudes(bool na, int32_t ea, uint64_t sa, bool nb, int32_t eb, uint64_t sb,
                                   Ext80Flags& flags) {
        using U128 = unsigned __int128;
        const U128 big = U128(sa) << 63;  // one bit of headroom for the carry
        const U128 small = U128(sb) << 63;
        const uint32_t d = uint32_t(ea - eb);
        U128 aligned;
        if (d < 64) {
            aligned = small >> d;  // exact: the low 63 bits were zero
        } else if (d < 127) {
            aligned = (small >> d) | U128((small << (128 - d)) != 0);  // the lost bits kept as sticky
        } else {
            aligned = 1;
        }
        U128 s;
        if (na == nb) {
            s = big + aligned;
        } else {
            s = big - aligned;
            if (s == 0) return SoftExt80();  // exact cancellation gives +0 when rounding to nearest
        }
        const uint64_t top = uint64_t(s >> 64);
        const int shift = top != 0 ? std::countl_zero(top) : 64 + std::countl_zero(uint64_t(s));
        s <<= shift;
        return roundPack(na, ea + 1 - shift, uint64_t(s >> 64), uint64_t(s), flags);
    }

    static SoftExt80 fromDoubleSpecial(uint64_t bits);
    static Narrowed mulDoublesSlow(double a, double b);
    static Narrowed addDoublesSlow(double a, double b);
    static SoftExt80 mulSpecial(SoftExt80 a, SoftExt80 b, Ext80Flags& flags);
    static SoftExt80 addSpecial(SoftExt80 a, SoftExt80 b, Ext80Flags& flags);
    static SoftExt80 roundPackOutOfRange(bool negative, int32_t e, uint64_t hi, uint64_t lo, Ext80Flags& flags);
    static SoftExt80 overflowed(bool negative, Ext80Flags& flags);
    Narrowed narrowSpecial() const;

    friend struct SoftExt80Internals;

    uint64_t sig_ = 0;
    uint16_t se_ = 0;
};

}  // namespace quill
