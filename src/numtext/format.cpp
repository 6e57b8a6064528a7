#include "format.h"

#include <bit>
#include <cstring>

#include "pow10.h"

namespace quill {
namespace {

constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
constexpr uint64_t kTenPow15 = 1000000000000000ULL;
constexpr uint64_t kTenPow18 = 1000000000000000000ULL;
// 19728 / 65536 lies a little below log10(2): the estimate it gives is never
// too large for values of 1 and above, and at most one too small.
constexpr int32_t kLog10Of2Times65536 = 19728;

constexpr char kDigitPairs[] =
    "00010203040506070809"
    "10111213141516171819"
    "20212223242526272829"
    "30313233343536373839"
    "40414243444546474849"
    "50515253545556575859"
    "60616263646566676869"
    "70717273747576777879"
    "80818283848586878889"
    "90919293949596979899";

// Writes exactly `count` decimal digits of value (leading zeros included),
// the last one at out[count - 1].
void writeFixedDigits(uint32_t value, int count, char* out) {
    char* p = out + count;
    while (count >= 2) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (value % 100), 2);
        value /= 100;
        count -= 2;
    }
    if (count == 1) *--p = static_cast<char>('0' + value % 10);
}

// The digits of value without leading zeros (at least one); returns their number.
int writeUnsigned(uint32_t value, char* out) {
    char buffer[10];
    char* p = buffer + sizeof buffer;
    while (value >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (value % 100), 2);
        value /= 100;
    }
    if (value >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * value, 2);
    } else {
        *--p = static_cast<char>('0' + value);
    }
    const int length = static_cast<int>(buffer + sizeof buffer - p);
    std::memcpy(out, p, static_cast<std::size_t>(length));
    return length;
}

void setEmpty(DecimalForm& form, int16_t exponent, bool negative) {
    form.exponent = exponent;
    form.negative = negative;
    form.digits[0] = '\0';
}

// value rounded to an integer, to nearest with ties to even; false unless
// the value lies in [1, 2^64).
bool roundToInteger(Ext80Bits value, uint64_t& out) {
    const int32_t fractionBits = 16383 + 63 - int32_t(value.biasedExponent);
    if (fractionBits < 0 || fractionBits > 63) return false;
    if (fractionBits == 0) {
        out = value.significand;
        return true;
    }
    const uint64_t whole = value.significand >> fractionBits;
    const uint64_t rest = value.significand & ((uint64_t{1} << fractionBits) - 1);
    const uint64_t half = uint64_t{1} << (fractionBits - 1);
    out = whole + ((rest > half || (rest == half && (whole & 1))) ? 1 : 0);
    return true;
}

// The eighteen digits of the slow road below, by the integer steps of
// ScaleBitsByPowerOfTen and integer roundings; false where those cannot
// settle it, and then the 80-bit steps decide.
bool eighteenDigits(Ext80Bits magnitude, int32_t& exponent, uint64_t& out) {
    Ext80Bits scaled;
    uint64_t n;
    if (!ScaleBitsByPowerOfTen(magnitude, 18 - exponent, scaled) || !roundToInteger(scaled, n)) return false;
    if (n >= kTenPow18) {
        // The quotient n / 10 in 80 bits: below 2^61, so its 64 bits keep
        // 3 to 7 fraction bits, rounded by the remainder (never a tie: an
        // even multiple of 1/10 is not 1/2); then rounded to an integer.
        const uint64_t q = n / 10, r = n % 10;
        const int fractionBits = 64 - std::bit_width(q);
        const uint64_t tenths = r << fractionBits;
        const uint64_t kept = (q << fractionBits) + tenths / 10 + (tenths % 10 > 5 ? 1 : 0);
        if (kept < (q << fractionBits)) return false;  // carried out of 64 bits
        if (!roundToInteger({uint16_t(16383 + 63 - fractionBits), kept}, n)) return false;
        if (n >= kTenPow18) return false;
        ++exponent;
    }
    out = n;
    return true;
}

// Fills form and returns the number of digits in form.digits.
int computeDecimalForm(Ext80 v, DecimalForm& form) {
    const uint16_t biased = v.biasedExponent();
    const uint64_t significand = v.significand();
    if (biased == 0) {  // zero (either sign) and extended denormals
        setEmpty(form, 0, false);
        return 0;
    }
    if (biased == 0x7FFF) {
        if (significand == kIntegerBit || (significand & kIntegerBit) == 0) {
            setEmpty(form, DecimalForm::kInfinity, v.negative());
        } else {
            setEmpty(form, DecimalForm::kNaN, false);
        }
        return 0;
    }

    const int32_t binaryExponent = static_cast<int32_t>(biased) - 16383;
    // Arithmetic shift: the quotient rounds toward minus infinity.
    int32_t exponent = ((binaryExponent * kLog10Of2Times65536) >> 16) + 1;

    uint64_t eighteen;
    if (!eighteenDigits({biased, significand}, exponent, eighteen)) {
        const Ext80 tenPow18 = Ext80::fromUint64(kTenPow18);
        Ext80Flags flags;
        Ext80 scaled = ScaleByPowerOfTen(v.abs(), 18 - exponent, flags).roundToInteger();
        if (!scaled.lessThan(tenPow18)) {
            // The estimate was one too small: nineteen digits.
            scaled = Ext80::div(scaled, Ext80::fromUint64(10), flags);
            ++exponent;
        }
        scaled = scaled.roundToInteger();
        if (!scaled.lessThan(tenPow18)) {
            // Only an unnormal 80-bit value (integer bit clear), which no double
            // widens to, gets here: the unit yields no number for it.
            setEmpty(form, DecimalForm::kNaN, false);
            return 0;
        }
        eighteen = scaled.toUint64();
    }

    // Cut the eighteen digits to fifteen by the sixteenth, half up.
    uint64_t fifteen = eighteen / 1000;
    if ((eighteen / 100) % 10 >= 5) ++fifteen;
    form.negative = v.negative();
    if (fifteen == kTenPow15) {
        form.exponent = static_cast<int16_t>(exponent + 1);
        form.digits[0] = '1';
        form.digits[1] = '\0';
        return 1;
    }
    form.exponent = static_cast<int16_t>(exponent);
    // Leading zeros stay: when the estimate was one too large the first digit is 0.
    writeFixedDigits(static_cast<uint32_t>(fifteen / 100000000), 7, form.digits);
    writeFixedDigits(static_cast<uint32_t>(fifteen % 100000000), 8, form.digits + 7);
    int length = 15;
    while (length > 0 && form.digits[length - 1] == '0') --length;
    form.digits[length] = '\0';
    return length;
}

char* appendExponent(char* out, int32_t e) {
    *out++ = 'E';
    uint32_t magnitude = static_cast<uint32_t>(e);
    if (e < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    return out + writeUnsigned(magnitude, out);
}

char* fillZeros(char* out, int count) {
    for (int i = 0; i < count; ++i) *out++ = '0';
    return out;
}

char* copyDigits(char* out, const char* digits, int count) {
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    return out + count;
}

std::size_t layOutGeneral(const DecimalForm& form, int length, char decimalMark, char* out) {
    char* p = out;
    const int e = form.exponent;
    if (e == DecimalForm::kInfinity) {
        if (form.negative) *p++ = '-';
        return static_cast<std::size_t>(copyDigits(p, "INF", 3) - out);
    }
    if (e == DecimalForm::kNaN) return static_cast<std::size_t>(copyDigits(p, "NAN", 3) - out);

    if (form.negative) *p++ = '-';
    const char* digits = form.digits;
    if (e > 15 || e < -3) {
        *p++ = digits[0];
        if (length > 1) {
            *p++ = decimalMark;
            p = copyDigits(p, digits + 1, length - 1);
        }
        p = appendExponent(p, e - 1);
    } else if (e >= 1) {
        if (length <= e) {
            p = copyDigits(p, digits, length);
            p = fillZeros(p, e - length);
        } else {
            p = copyDigits(p, digits, e);
            *p++ = decimalMark;
            p = copyDigits(p, digits + e, length - e);
        }
    } else {
        *p++ = '0';
        if (length > 0) {
            *p++ = decimalMark;
            p = fillZeros(p, -e);
            p = copyDigits(p, digits, length);
        }
    }
    return static_cast<std::size_t>(p - out);
}

}  // namespace

DecimalForm ToDecimalForm(Ext80 v) {
    DecimalForm form;
    computeDecimalForm(v, form);
    return form;
}

std::size_t DoubleToText(double value, char decimalMark, char* out) {
    DecimalForm form;
    const int length = computeDecimalForm(Ext80::fromDouble(value), form);
    return layOutGeneral(form, length, decimalMark, out);
}

std::string DoubleToText(double value, char decimalMark) {
    char buffer[kMaxDoubleTextLength];
    return std::string(buffer, DoubleToText(value, decimalMark, buffer));
}

std::size_t IntegerToText(int32_t value, char* out) {
    char* p = out;
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        *p++ = '-';
        magnitude = 0u - magnitude;  // -2147483648 becomes 2147483648
    }
    return static_cast<std::size_t>(p - out) + static_cast<std::size_t>(writeUnsigned(magnitude, p));
}

std::string IntegerToText(int32_t value) {
    char buffer[kMaxIntegerTextLength];
    return std::string(buffer, IntegerToText(value, buffer));
}

std::size_t DoubleToHexText(double value, char* out) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const uint32_t biased = static_cast<uint32_t>(bits >> 52) & 0x7FFu;
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    char* p = out;
    if (biased == 0x7FF) {
        if (fraction != 0) return static_cast<std::size_t>(copyDigits(p, "nan", 3) - out);
        if (negative) *p++ = '-';
        return static_cast<std::size_t>(copyDigits(p, "inf", 3) - out);
    }
    if (negative) *p++ = '-';
    *p++ = '0';
    *p++ = 'x';
    if (biased == 0 && fraction == 0) return static_cast<std::size_t>(copyDigits(p, "0p+0", 4) - out);

    *p++ = biased == 0 ? '0' : '1';
    if (fraction != 0) {
        *p++ = '.';
        const int nibbles = 13 - std::countr_zero(fraction) / 4;
        for (int i = 0; i < nibbles; ++i) {
            const unsigned nibble = static_cast<unsigned>(fraction >> (48 - 4 * i)) & 0xFu;
            *p++ = "0123456789abcdef"[nibble];
        }
    }
    const int32_t exponent = biased == 0 ? -1022 : static_cast<int32_t>(biased) - 1023;
    *p++ = 'p';
    *p++ = exponent < 0 ? '-' : '+';
    p += writeUnsigned(static_cast<uint32_t>(exponent < 0 ? -exponent : exponent), p);
    return static_cast<std::size_t>(p - out);
}

std::string DoubleToHexText(double value) {
    char buffer[kMaxHexTextLength];
    return std::string(buffer, DoubleToHexText(value, buffer));
}

}  // namespace quill
