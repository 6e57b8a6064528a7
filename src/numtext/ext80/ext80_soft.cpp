#include "numtext/ext80_soft.h"

namespace quill {

namespace {

// hi:lo / d for hi < d: the 64-bit quotient and its remainder.
inline uint64_t divide128(uint64_t hi, uint64_t lo, uint64_t d, uint64_t& remainder) {
#if defined(__x86_64__)
    uint64_t q, r;
    __asm__("divq %4" : "=a"(q), "=d"(r) : "a"(lo), "d"(hi), "rm"(d) : "cc");
    remainder = r;
    return q;
#else
    const U128 n = (U128(hi) << 64) | lo;
    const uint64_t q = uint64_t(n / d);
    remainder = uint64_t(n - U128(q) * d);
    return q;
#endif
}

}  // namespace

// The operand classes the x87 tells apart, and the value of a finite one
// with its significand shifted up to the integer bit.
struct SoftExt80Internals {
    enum class Kind { Zero, Finite, Infinity, NaN, Unsupported };

    static Kind kind(SoftExt80 x) {
        const uint32_t e = x.se_ & SoftExt80::kExpMask;
        if (e == 0) return x.sig_ == 0 ? Kind::Zero : Kind::Finite;
        if ((x.sig_ >> 63) == 0) return Kind::Unsupported;
        if (e == SoftExt80::kExpMask) return (x.sig_ << 1) == 0 ? Kind::Infinity : Kind::NaN;
        return Kind::Finite;
    }
    // NaN or unsupported: what the x87 compares as unordered.
    static bool unordered(Kind k) { return k == Kind::NaN || k == Kind::Unsupported; }

    struct Unpacked {
        int32_t e;     // value = sig * 2^(e - bias - 63); below 1 for subnormals
        uint64_t sig;  // top bit set
    };
    static Unpacked unpack(SoftExt80 x) {
        // A zero exponent field (subnormal or pseudo-subnormal) weighs as 1.
        int32_t e = x.se_ & SoftExt80::kExpMask;
        if (e == 0) e = 1;
        const int shift = std::countl_zero(x.sig_);
        return {e - shift, x.sig_ << shift};
    }

    static SoftExt80 make(bool negative, uint32_t e, uint64_t sig) {
        return SoftExt80(static_cast<uint16_t>((negative ? SoftExt80::kSignBit : 0u) | e), sig);
    }
    static SoftExt80 zero(bool negative) { return make(negative, 0, 0); }
    static SoftExt80 infinity(bool negative) { return make(negative, SoftExt80::kExpMask, SoftExt80::kIntegerBit); }
    // The x87's answer to an invalid operation: the negative quiet NaN "indefinite".
    static SoftExt80 indefinite() { return make(true, SoftExt80::kExpMask, 0xC000000000000000ull); }
    static SoftExt80 quieted(SoftExt80 x) { return SoftExt80(x.se_, x.sig_ | 0x4000000000000000ull); }

    // At least one operand is a NaN and neither is unsupported: the NaN with
    // the larger significand wins, the positive one on a tie, made quiet.
    static SoftExt80 propagateNaN(SoftExt80 a, Kind ka, SoftExt80 b, Kind kb) {
        if (ka != Kind::NaN) return quieted(b);
        if (kb != Kind::NaN) return quieted(a);
        if (a.sig_ != b.sig_) return quieted(a.sig_ > b.sig_ ? a : b);
        return quieted(a.negative() ? b : a);
    }

    static SoftExt80 divFinite(bool negative, Unpacked a, Unpacked b, Ext80Flags& flags) {
        // The quotient of the significands is placed so that it fills 64 bits;
        // the remainder tells whether the rest is below, at or above one half.
        uint64_t hi = a.sig, lo = 0;
        int32_t e = a.e - b.e + SoftExt80::kBias - 1;
        if (a.sig >= b.sig) {
            lo = a.sig << 63;
            hi = a.sig >> 1;
            ++e;
        }
        uint64_t r;
        const uint64_t q = divide128(hi, lo, b.sig, r);
        const uint64_t other = b.sig - r;  // r compared with half the divisor as r against sig - r
        const uint64_t rest = r == 0 ? 0 : r < other ? 1 : r == other ? SoftExt80::kHalf : SoftExt80::kHalf | 1;
        return SoftExt80::roundPack(negative, e, q, rest, flags);
    }
};

using I = SoftExt80Internals;
using Kind = I::Kind;

SoftExt80 SoftExt80::fromDoubleSpecial(uint64_t bits) {
    const bool negative = (bits >> 63) != 0;
    const uint32_t e = uint32_t(bits >> 52) & 0x7FFu;
    const uint64_t fraction = bits & 0xFFFFFFFFFFFFFull;
    if (e == 0) {
        if (fraction == 0) return I::zero(negative);
        // A double subnormal is a normal extended value.
        const int shift = std::countl_zero(fraction);
        return I::make(negative, uint32_t(kBias + 63 - 1074 - shift), fraction << shift);
    }
    if (fraction == 0) return I::infinity(negative);
    return I::make(negative, kExpMask, 0xC000000000000000ull | (fraction << 11));  // loading quiets a NaN
}

SoftExt80::NarrowedBits SoftExt80::mulDoublesSlow(uint64_t x, uint64_t y) {
    Ext80Flags ignored;
    const Narrowed r =
        mul(fromDouble(std::bit_cast<double>(x)), fromDouble(std::bit_cast<double>(y)), ignored).narrowToDouble();
    return {std::bit_cast<uint64_t>(r.value), r.overflow};
}

SoftExt80::NarrowedBits SoftExt80::addDoublesSlow(uint64_t x, uint64_t y) {
    Ext80Flags ignored;
    const Narrowed r =
        add(fromDouble(std::bit_cast<double>(x)), fromDouble(std::bit_cast<double>(y)), ignored).narrowToDouble();
    return {std::bit_cast<uint64_t>(r.value), r.overflow};
}

SoftExt80 SoftExt80::overflowed(bool negative, Ext80Flags& flags) {
    flags.overflow = true;
    return I::infinity(negative);
}

SoftExt80 SoftExt80::roundPackOutOfRange(bool negative, int32_t e, uint64_t hi, uint64_t lo, Ext80Flags& flags) {
    if (e >= kExpMask) return overflowed(negative, flags);
    // Gradual underflow: the exact value is shifted down to the subnormal
    // scale first and rounded once there; the sign survives a zero result.
    const uint32_t shift = uint32_t(1 - e);
    U128 v = (U128(hi) << 64) | lo;
    if (shift >= 128) {
        v = v != 0 ? 1 : 0;
    } else {
        const bool sticky = (v << (128 - shift)) != 0;
        v = (v >> shift) | U128(sticky);
    }
    uint64_t h = uint64_t(v >> 64);
    const uint64_t l = uint64_t(v);
    if (l > kHalf || (l == kHalf && (h & 1))) ++h;   // h < 2^63 before, so no wrap
    return I::make(negative, uint32_t(h >> 63), h);  // rounding up to 2^63 reaches the smallest normal
}

SoftExt80 SoftExt80::mulSpecial(SoftExt80 a, SoftExt80 b, Ext80Flags& flags) {
    const Kind ka = I::kind(a), kb = I::kind(b);
    if (ka == Kind::Unsupported || kb == Kind::Unsupported) return I::indefinite();
    if (ka == Kind::NaN || kb == Kind::NaN) return I::propagateNaN(a, ka, b, kb);
    const bool negative = a.negative() != b.negative();
    if (ka == Kind::Infinity || kb == Kind::Infinity) {
        if (ka == Kind::Zero || kb == Kind::Zero) {
            flags.invalid = true;
            return I::indefinite();
        }
        return I::infinity(negative);
    }
    if (ka == Kind::Zero || kb == Kind::Zero) return I::zero(negative);
    const I::Unpacked ua = I::unpack(a), ub = I::unpack(b);
    const WideProduct p = wideProduct(ua.sig, ub.sig);
    uint64_t hi = p.hi, lo = p.lo;
    int32_t e = ua.e + ub.e - kBias + 1;
    if ((hi >> 63) == 0) {
        hi = (hi << 1) | (lo >> 63);
        lo <<= 1;
        --e;
    }
    return roundPack(negative, e, hi, lo, flags);
}

SoftExt80 SoftExt80::div(SoftExt80 a, SoftExt80 b, Ext80Flags& flags) {
    const bool negative = a.negative() != b.negative();
    if (a.isNormal() && b.isNormal()) return I::divFinite(negative, I::unpack(a), I::unpack(b), flags);
    const Kind ka = I::kind(a), kb = I::kind(b);
    if (ka == Kind::Unsupported || kb == Kind::Unsupported) return I::indefinite();
    if (ka == Kind::NaN || kb == Kind::NaN) return I::propagateNaN(a, ka, b, kb);
    if ((ka == Kind::Infinity && kb == Kind::Infinity) || (ka == Kind::Zero && kb == Kind::Zero)) {
        flags.invalid = true;
        return I::indefinite();
    }
    if (ka == Kind::Infinity) return I::infinity(negative);
    if (kb == Kind::Infinity || ka == Kind::Zero) return I::zero(negative);
    if (kb == Kind::Zero) {
        // Division by zero: an infinity from finite operands, which the
        // hardware path's result test also reports as overflow.
        flags.overflow = true;
        return I::infinity(negative);
    }
    return I::divFinite(negative, I::unpack(a), I::unpack(b), flags);
}

SoftExt80 SoftExt80::addSpecial(SoftExt80 a, SoftExt80 b, Ext80Flags& flags) {
    const Kind ka = I::kind(a), kb = I::kind(b);
    if (ka == Kind::Unsupported || kb == Kind::Unsupported) return I::indefinite();
    if (ka == Kind::NaN || kb == Kind::NaN) return I::propagateNaN(a, ka, b, kb);
    if (ka == Kind::Infinity || kb == Kind::Infinity) {
        if (ka == Kind::Infinity && kb == Kind::Infinity && a.negative() != b.negative()) {
            flags.invalid = true;
            return I::indefinite();
        }
        return ka == Kind::Infinity ? a : b;
    }
    if (ka == Kind::Zero && kb == Kind::Zero) return I::zero(a.negative() && b.negative());
    if (ka == Kind::Zero || kb == Kind::Zero) {
        // The other operand, in the encoding the unit writes (a pseudo-subnormal
        // comes out with exponent field 1).
        const SoftExt80 x = ka == Kind::Zero ? b : a;
        const I::Unpacked u = I::unpack(x);
        return roundPack(x.negative(), u.e, u.sig, 0, flags);
    }
    I::Unpacked ua = I::unpack(a), ub = I::unpack(b);
    bool na = a.negative(), nb = b.negative();
    if (ua.e < ub.e || (ua.e == ub.e && ua.sig < ub.sig)) {
        const I::Unpacked t = ua;
        ua = ub;
        ub = t;
        const bool tn = na;
        na = nb;
        nb = tn;
    }
    return addMagnitudes(na, ua.e, ua.sig, nb, ub.e, ub.sig, flags);
}

SoftExt80 SoftExt80::roundToInteger() const {
    const Kind k = I::kind(*this);
    if (k == Kind::Unsupported) return I::indefinite();
    if (k == Kind::NaN) return I::quieted(*this);
    if (k != Kind::Finite) return *this;
    const bool neg = negative();
    const int32_t e = int32_t(se_ & kExpMask) - kBias;  // subnormals land far below -1
    if (e >= 63) return *this;                          // no fraction bits
    if (e < -1) return I::zero(neg);                    // below one half
    const int fractionBits = 63 - e;                    // 1..64
    uint64_t whole;
    bool up;
    if (fractionBits == 64) {  // [1/2, 1): one only above the half
        whole = 0;
        up = sig_ > kHalf;
    } else {
        whole = sig_ >> fractionBits;
        const uint64_t rest = sig_ & ((uint64_t(1) << fractionBits) - 1);
        const uint64_t half = uint64_t(1) << (fractionBits - 1);
        up = rest > half || (rest == half && (whole & 1));
    }
    whole += up ? 1 : 0;
    if (whole == 0) return I::zero(neg);
    const SoftExt80 m = fromUint64(whole);
    return neg ? m.negated() : m;
}

bool SoftExt80::lessThan(SoftExt80 other) const {
    if (I::unordered(I::kind(*this)) || I::unordered(I::kind(other))) return false;
    if (isZero() && other.isZero()) return false;  // -0 equals +0
    if (negative() != other.negative()) return negative();
    // Same sign: order by magnitude, a zero exponent field weighing as 1.
    const uint32_t ea = (se_ & kExpMask) == 0 ? 1u : (se_ & kExpMask);
    const uint32_t eb = (other.se_ & kExpMask) == 0 ? 1u : (other.se_ & kExpMask);
    const bool smaller = ea != eb ? ea < eb : sig_ < other.sig_;
    const bool larger = ea != eb ? ea > eb : sig_ > other.sig_;
    return negative() ? larger : smaller;
}

SoftExt80::Narrowed SoftExt80::narrowSpecial() const {
    const uint64_t sign = uint64_t(se_ & kSignBit) << 48;
    switch (I::kind(*this)) {
        case Kind::Unsupported: return {std::bit_cast<double>(uint64_t(0xFFF8000000000000ull)), false};
        case Kind::NaN:  // the top fraction bits kept, made quiet
            return {std::bit_cast<double>(sign | 0x7FF8000000000000ull | ((sig_ >> 11) & 0xFFFFFFFFFFFFFull)), false};
        case Kind::Infinity: return {std::bit_cast<double>(sign | 0x7FF0000000000000ull), false};
        case Kind::Zero: return {std::bit_cast<double>(sign), false};
        case Kind::Finite: break;
    }
    const I::Unpacked u = I::unpack(*this);
    const int32_t e = u.e - kBias + kDoubleBias;  // the double's exponent field
    if (e >= 0x7FF) return {std::bit_cast<double>(sign | 0x7FF0000000000000ull), true};
    if (e >= 1) {
        const uint64_t rest = u.sig & 0x7FF;
        const uint64_t kept = u.sig >> 11;
        const uint64_t up = (rest > 0x400 || (rest == 0x400 && (kept & 1))) ? 1 : 0;
        // A carry out of the fraction moves into the exponent field, and past
        // the largest exponent gives the infinity's encoding.
        const uint64_t bits = ((uint64_t(e) << 52) | (kept & 0xFFFFFFFFFFFFFull)) + up;
        if (bits >= 0x7FF0000000000000ull) return {std::bit_cast<double>(sign | 0x7FF0000000000000ull), true};
        return {std::bit_cast<double>(sign | bits), false};
    }
    // Below the normal range: one rounding straight to the subnormal scale.
    const uint32_t shift = uint32_t(11 + 1 - e);                  // >= 12
    if (shift > 64) return {std::bit_cast<double>(sign), false};  // below half the smallest subnormal
    const uint64_t kept = shift == 64 ? 0 : u.sig >> shift;
    const uint64_t rest = shift == 64 ? u.sig : u.sig & ((uint64_t(1) << shift) - 1);
    const uint64_t half = uint64_t(1) << (shift - 1);
    const uint64_t up = (rest > half || (rest == half && (kept & 1))) ? 1 : 0;
    return {std::bit_cast<double>(sign | (kept + up)), false};
}

}  // namespace quill
