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

#include "numtext/ext80_flags.h"
#include "numtext/wide_product.h"

namespace quill {

class SoftExt80 {
public:
    constexpr SoftExt80() = default;  // +0

    static SoftExt80 fromDouble(double d) {
        const uint64_t bits = std::bit_cast<uint64_t>(d);
        const uint32_t e = static_cast<uint32_t>(bits >> 52) & 0x7FFu;
        if (e - 1u < 0x7FEu) {  // normal: exact, the hidden bit made explicit
            const uint32_t sign = static_cast<uint32_t>(bits >> 48) & kSignBit;
            return SoftExt80(static_cast<uint16_t>(sign | (e + kBias - kDoubleBias)), kIntegerBit | (bits << 11));
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
        return SoftExt80(static_cast<uint16_t>((negative ? kSignBit : 0u) | (biasedExponent & kExpMask)), significand);
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
            const WideProduct p = wideProduct(a.sig_, b.sig_);
            uint64_t hi = p.hi;
            uint64_t lo = p.lo;
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
            const uint64_t up = uint64_t(rest > 0x400) | (uint64_t(rest == 0x400) & kept & 1);  // no branch
            const uint64_t bits =
                (uint64_t(se_ & kSignBit) << 48) + ((uint64_t(e) << 52) | (kept & 0xFFFFFFFFFFFFFull)) + up;
            return {std::bit_cast<double>(bits), false};
        }
        return narrowSpecial();
    }

    // The product or sum of two doubles formed in 80-bit precision and then
    // stored into a double: the two roundings of the evaluation.
    // For normal operands with a normal result both are exact in 128 bits
    // before the first rounding and take a short inline road whose only
    // branch on the data is a difference that cancels its leading bits;
    // everything else goes out of line.
    static Narrowed mulDoubles(double a, double b) {
        return mulBits(std::bit_cast<uint64_t>(a), std::bit_cast<uint64_t>(b));
    }
    static Narrowed addDoubles(double a, double b) {
        return addBits(std::bit_cast<uint64_t>(a), std::bit_cast<uint64_t>(b));
    }

private:
    // The out-of-line answers travel as bits, so that a chain of products
    // or sums can stay in integer registers.
    struct NarrowedBits {
        uint64_t bits;
        bool overflow;
    };

    static Narrowed mulBits(uint64_t x, uint64_t y) {
        const uint32_t ex = uint32_t(x >> 52) & 0x7FFu, ey = uint32_t(y >> 52) & 0x7FFu;
        // The result's exponent field less one, before the product's own
        // carry; with room for that carry and the rounding's, the result is
        // a normal double.
        const uint32_t field = ex + ey - 1024u;
        if (ex - 1u < 0x7FEu && ey - 1u < 0x7FEu && field < 0x7FCu) {
            // The significands with the hidden bit at the top: their product
            // lies in [2^126, 2^128). The kept part's hidden bit adds the
            // product's top bit to the exponent field of the base.
            const WideProduct p = wideProduct((x << 11) | kIntegerBit, (y << 11) | kIntegerBit);
            const uint64_t kept = roundTwiceKept(p.hi, p.lo);
            const uint64_t base =
                ((x ^ (y & kSignMask)) & ~kDoubleFraction) + (y & kDoubleExponent) - (uint64_t(1023) << 52);
            return {std::bit_cast<double>(base + kept), false};
        }
        const NarrowedBits r = mulDoublesSlow(x, y);
        return {std::bit_cast<double>(r.bits), r.overflow};
    }
    static Narrowed addBits(uint64_t u, uint64_t v) {
        // The larger magnitude first (the bits order doubles by size).
        const uint64_t swap = (uint64_t(0) - uint64_t((u << 1) < (v << 1))) & (u ^ v);
        const uint64_t x = u ^ swap, y = v ^ swap;
        const uint32_t ex = uint32_t(x >> 52) & 0x7FFu, ey = uint32_t(y >> 52) & 0x7FFu;
        // x's binade widened by one either way, and the rounding's carry,
        // still give a normal double.
        if (ex - 2u < 0x7FBu && ey != 0) {
            const uint32_t d = ex - ey;
            // 64 binades apart or more, y lies below half a 64-bit step of x
            // (even just under a power of two), and whichever way the first
            // rounding goes, the second comes back to x.
            if (d >= 64) return {std::bit_cast<double>(x), false};
            // x's significand at the top of the high word for a difference,
            // one bit lower for a sum, and y shifted down under it into
            // both words, exactly. Either way the result's top bit is then
            // bit 63 or 62, but for a difference one binade apart or less.
            const uint64_t difference = (x ^ y) >> 63;
            const uint32_t place = 10 + uint32_t(difference);
            const uint64_t xs = ((x & kDoubleFraction) | kDoubleHidden) << place;
            const uint64_t ys = ((y & kDoubleFraction) | kDoubleHidden) << place;
            const uint64_t yh = ys >> d;
            const uint64_t yl = (ys << 1) << (63 - d);
            const uint64_t negate = uint64_t(0) - difference;  // all ones for a difference
            const uint64_t sl = (yl ^ negate) - negate;
            const uint64_t sh = xs + ((yh ^ negate) - negate) - (negate & uint64_t(yl != 0));
            // x's own binade for the upper place of a difference, one up for a sum.
            const uint64_t base = (x & ~kDoubleFraction) - (difference << 52);
            if (sh >= (uint64_t(1) << 62)) {
                return {std::bit_cast<double>(base + roundTwiceKept(sh, sl)), false};
            }
            // Nearly equal magnitudes cancelled, which takes a difference
            // one binade apart or less: the low word is 0 and the result
            // exact, unless it is subnormal.
            if (sh == 0) return {0.0, false};       // exact cancellation gives +0
            const int lost = std::countl_zero(sh);  // binades below x's
            if (int32_t(ex) - lost >= 1) {
                const uint64_t bits = (x & ~kDoubleFraction) - (uint64_t(lost + 1) << 52) + ((sh << lost) >> 11);
                return {std::bit_cast<double>(bits), false};
            }
        }
        if ((y << 1) == 0 && ex - 1u < 0x7FEu) return {std::bit_cast<double>(x), false};  // x + 0
        const NarrowedBits r = addDoublesSlow(u, v);
        return {std::bit_cast<double>(r.bits), r.overflow};
    }

    static constexpr uint16_t kSignBit = 0x8000;
    static constexpr uint16_t kExpMask = 0x7FFF;
    static constexpr int32_t kBias = 16383;
    static constexpr int32_t kDoubleBias = 1023;
    static constexpr uint64_t kIntegerBit = 0x8000000000000000ull;
    static constexpr uint64_t kHalf = 0x8000000000000000ull;  // of the bits below the last kept one
    static constexpr uint64_t kDoubleFraction = 0xFFFFFFFFFFFFFull;
    static constexpr uint64_t kDoubleHidden = 0x10000000000000ull;
    static constexpr uint64_t kDoubleExponent = 0x7FF0000000000000ull;
    static constexpr uint64_t kSignMask = 0x8000000000000000ull;

    // hi:lo (the exact significand, one of its top two bits set) rounded to
    // 64 bits and then to 53, both to nearest with ties to even: the 53 bits
    // with any carry out of them, the hidden bit weighing 2^52 when the top
    // bit is set and nothing when it is clear (one binade lower).
    //
    // The value is first moved up a bit when the top one is clear (masks,
    // not a branch: either is as likely). The two roundings then come to
    // one addition: the 75 bits below the kept ones, G (11) then L (64),
    // round the kept part up from G:L > 0x400:2^63 when it is even, and
    // from G:L >= 0x3FF:2^63 when it is odd; there the first rounding lands
    // on the half of the second (0x3FF odd rounds up at L = 2^63, 0x400
    // even does not) and the tie goes to the odd side. Adding 0x3FF + odd
    // to the high word, with the carry of L + 2^63 - 1 + odd, makes that
    // carry into the kept part.
    static uint64_t roundTwiceKept(uint64_t hi, uint64_t lo) {
        const uint64_t top = hi >> 63;
        const uint64_t grow = top - 1;  // all ones when the top bit is clear
        // The kept part's last bit, read before the move (a shorter road).
        const uint64_t last10 = (hi >> 10) & 1, last11 = (hi >> 11) & 1;
        const uint64_t odd = last10 ^ ((last10 ^ last11) & top);
        const uint64_t h = hi + (hi & grow) + ((lo >> 63) & grow);
        const uint64_t l = lo + (lo & grow);
        return (h + ((0x3FF - (grow & kIntegerBit)) + odd) + uint64_t(l > kHalf - odd)) >> 11;
    }

    constexpr SoftExt80(uint16_t se, uint64_t sig) : sig_(sig), se_(se) {}

    // A nonzero finite value in the normal encoding.
    bool isNormal() const { return static_cast<uint16_t>((se_ & kExpMask) - 1) < kExpMask - 1 && (sig_ >> 63) != 0; }
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
    // The rest of mulBits / addBits.
    static NarrowedBits mulDoublesSlow(uint64_t x, uint64_t y);
    static NarrowedBits addDoublesSlow(uint64_t x, uint64_t y);
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
