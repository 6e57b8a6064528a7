#pragma once
// The report's fifteen digits of a value by the 80-bit steps one after the
// other, plainly: the reference the conversions' integer roads are held to.

#include <cstdint>

#include "numtext/ext80.h"
#include "numtext/pow10.h"

namespace quill {

struct StepDigits {
    int32_t exponent;  // value ~ 0.<fifteen as 15 digits> * 10^exponent
    uint64_t fifteen;
};

// For a positive normal 80-bit value.
inline StepDigits digitsByTheSteps(Ext80 v) {
    int32_t exponent = (((int32_t(v.biasedExponent()) - 16383) * 19728) >> 16) + 1;
    Ext80Flags flags;
    const Ext80 tenPow18 = Ext80::fromUint64(1000000000000000000ULL);
    Ext80 scaled = scaleByPowerOfTen(v, 18 - exponent, flags).roundToInteger();
    if (!scaled.lessThan(tenPow18)) {
        scaled = Ext80::div(scaled, Ext80::fromUint64(10), flags).roundToInteger();
        ++exponent;
    }
    const uint64_t eighteen = scaled.toUint64();
    uint64_t fifteen = eighteen / 1000 + ((eighteen / 100) % 10 >= 5 ? 1 : 0);
    if (fifteen == 1000000000000000ULL) {
        fifteen /= 10;
        ++exponent;
    }
    return {exponent, fifteen};
}

// For a finite positive double.
inline StepDigits digitsByTheSteps(double d) { return digitsByTheSteps(Ext80::fromDouble(d)); }

}  // namespace quill
