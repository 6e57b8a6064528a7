#pragma once
// The hardware path of the 80-bit extended value: native long double on
// x86-64 with the x87 unit at 64-bit precision and round-to-nearest-even (the
// state Linux starts every process with). Overflow is found by testing
// results, never by traps. SoftExt80 (ext80_soft.h) gives the same bits with
// integer arithmetic alone; ext80.h chooses between the two.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "numtext/ext80_flags.h"

static_assert(LDBL_MANT_DIG == 64, "the hardware path needs the x87 80-bit long double");

namespace quill {

class X87Ext80 {
public:
    constexpr X87Ext80() = default;  // +0

    static X87Ext80 fromDouble(double d) { return X87Ext80(static_cast<long double>(d)); }
    // Exact for every 64-bit unsigned integer.
    static X87Ext80 fromUint64(uint64_t u) { return X87Ext80(static_cast<long double>(u)); }
    static X87Ext80 fromBits(bool negative, uint16_t biasedExponent, uint64_t significand) {
        unsigned char raw[sizeof(long double)] = {};
        std::memcpy(raw, &significand, 8);
        const uint16_t se = static_cast<uint16_t>((negative ? 0x8000u : 0u) | (biasedExponent & 0x7FFFu));
        std::memcpy(raw + 8, &se, 2);
        long double v;
        std::memcpy(&v, raw, sizeof v);
        return X87Ext80(v);
    }

    bool negative() const { return (signExponent() & 0x8000u) != 0; }
    uint16_t biasedExponent() const { return signExponent() & 0x7FFFu; }
    uint64_t significand() const {
        uint64_t m;
        std::memcpy(&m, &v_, 8);
        return m;
    }
    bool isZero() const { return v_ == 0.0L; }
    bool isFinite() const { return std::isfinite(v_); }

    X87Ext80 negated() const { return X87Ext80(-v_); }
    X87Ext80 abs() const { return X87Ext80(std::fabs(v_)); }

    // Each operation rounds its exact result once to 64 significant bits,
    // to nearest with ties to even, and records overflow / invalid in flags.
    static X87Ext80 mul(X87Ext80 a, X87Ext80 b, Ext80Flags& flags) { return checked(a, b, a.v_ * b.v_, flags); }
    static X87Ext80 div(X87Ext80 a, X87Ext80 b, Ext80Flags& flags) { return checked(a, b, a.v_ / b.v_, flags); }
    static X87Ext80 add(X87Ext80 a, X87Ext80 b, Ext80Flags& flags) { return checked(a, b, a.v_ + b.v_, flags); }

    // Rounds to an integer, to nearest with ties to even.
    X87Ext80 roundToInteger() const { return X87Ext80(__builtin_rintl(v_)); }
    // The value as an unsigned integer; only for integers in [0, 2^64).
    uint64_t toUint64() const { return static_cast<uint64_t>(v_); }

    bool lessThan(X87Ext80 other) const { return v_ < other.v_; }

    struct Narrowed {
        double value;
        bool overflow;  // the magnitude rounded above the largest finite double
    };
    // Rounds to 53 significant bits (subnormals and zero below the double
    // range, the sign kept); an infinity here means the store overflowed.
    Narrowed narrowToDouble() const {
        const double d = static_cast<double>(v_);
        return {d, std::isinf(d) && std::isfinite(v_)};
    }

    // The product or sum of two doubles formed in 80-bit precision and then
    // stored into a double: the two roundings of the evaluation.
    static Narrowed mulDoubles(double a, double b) {
        return X87Ext80(static_cast<long double>(a) * static_cast<long double>(b)).narrowToDouble();
    }
    static Narrowed addDoubles(double a, double b) {
        return X87Ext80(static_cast<long double>(a) + static_cast<long double>(b)).narrowToDouble();
    }

private:
    explicit X87Ext80(long double v) : v_(v) {}
    uint16_t signExponent() const {
        uint16_t se;
        std::memcpy(&se, reinterpret_cast<const unsigned char*>(&v_) + 8, 2);
        return se;
    }
    static X87Ext80 checked(X87Ext80 a, X87Ext80 b, long double r, Ext80Flags& flags) {
        if (!std::isfinite(r)) {
            if (std::isnan(r)) {
                if (!std::isnan(a.v_) && !std::isnan(b.v_)) flags.invalid = true;
            } else if (std::isfinite(a.v_) && std::isfinite(b.v_)) {
                flags.overflow = true;
            }
        }
        return X87Ext80(r);
    }

    long double v_ = 0.0L;
};

}  // namespace quill
