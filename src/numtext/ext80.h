#pragma once
// The 80-bit extended value (x87 format: 1 sign bit, 15-bit exponent with bias
// 16383, 64-bit significand with an explicit integer bit) and the handful of
// operations that number text and evaluation perform on it.
//
// Every 80-bit operation of the program goes through this type, so that an
// exact software model can replace the hardware path on CPUs without x87 and
// give the very same digits. This is the hardware path: native long double on
// x86-64 with the x87 unit at 64-bit precision and round-to-nearest-even (the
// state Linux starts every process with). Overflow is found by testing
// results, never by traps.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

static_assert(LDBL_MANT_DIG == 64, "the hardware path needs the x87 80-bit long double");

namespace quill {

// Sticky exception conditions of a sequence of operations.
struct Ext80Flags {
    bool overflow = false;  // a finite operation gave a result beyond the 80-bit range
    bool invalid = false;   // an operation without a meaningful result (NaN from non-NaN)
    bool any() const { return overflow || invalid; }
};

class Ext80 {
public:
    constexpr Ext80() = default;  // +0

    static Ext80 fromDouble(double d) { return Ext80(static_cast<long double>(d)); }
    // Exact for every 64-bit unsigned integer.
    static Ext80 fromUint64(uint64_t u) { return Ext80(static_cast<long double>(u)); }
    static Ext80 fromBits(bool negative, uint16_t biasedExponent, uint64_t significand) {
        unsigned char raw[sizeof(long double)] = {};
        std::memcpy(raw, &significand, 8);
        const uint16_t se = static_cast<uint16_t>((negative ? 0x8000u : 0u) | (biasedExponent & 0x7FFFu));
        std::memcpy(raw + 8, &se, 2);
        long double v;
        std::memcpy(&v, raw, sizeof v);
        return Ext80(v);
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

    Ext80 negated() const { return Ext80(-v_); }
    Ext80 abs() const { return Ext80(std::fabs(v_)); }

    // Each operation rounds its exact result once to 64 significant bits,
    // to nearest with ties to even, and records overflow / invalid in flags.
    static Ext80 mul(Ext80 a, Ext80 b, Ext80Flags& flags) { return checked(a, b, a.v_ * b.v_, flags); }
    static Ext80 div(Ext80 a, Ext80 b, Ext80Flags& flags) { return checked(a, b, a.v_ / b.v_, flags); }
    static Ext80 add(Ext80 a, Ext80 b, Ext80Flags& flags) { return checked(a, b, a.v_ + b.v_, flags); }

    // Rounds to an integer, to nearest with ties to even.
    Ext80 roundToInteger() const { return Ext80(__builtin_rintl(v_)); }
    // The value as an unsigned integer; only for integers in [0, 2^64).
    uint64_t toUint64() const { return static_cast<uint64_t>(v_); }

    bool lessThan(Ext80 other) const { return v_ < other.v_; }

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
        return Ext80(static_cast<long double>(a) * static_cast<long double>(b)).narrowToDouble();
    }
    static Narrowed addDoubles(double a, double b) {
        return Ext80(static_cast<long double>(a) + static_cast<long double>(b)).narrowToDouble();
    }

private:
    explicit Ext80(long double v) : v_(v) {}
    uint16_t signExponent() const {
        uint16_t se;
        std::memcpy(&se, reinterpret_cast<const unsigned char*>(&v_) + 8, 2);
        return se;
    }
    static Ext80 checked(Ext80 a, Ext80 b, long double r, Ext80Flags& flags) {
        if (!std::isfinite(r)) {
            if (std::isnan(r)) {
                if (!std::isnan(a.v_) && !std::isnan(b.v_)) flags.invalid = true;
            } else if (std::isfinite(a.v_) && std::isfinite(b.v_)) {
                flags.overflow = true;
            }
        }
        return Ext80(r);
    }

    long double v_ = 0.0L;
};

}  // namespace quill
