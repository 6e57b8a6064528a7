#include "numtext/format.h"

#include <bit>
#include <cstring>

#include "numtext/pow10.h"

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

// The eight decimal digits of value < 10^8 (leading zeros included) as the
// values 0..9 in eight bytes, the first digit in the lowest byte. Each step
// splits every lane at once: two lanes of four digits, then four of two,
// then eight of one, by multiplications that divide exactly in that range.
static_assert(std::endian::native == std::endian::little, "the digit groups are stored lowest byte first");
uint64_t eightDigitValues(uint32_t value) {
    const uint64_t merged = (value / 10000) | (uint64_t{value % 10000} << 32);
    const uint64_t hundreds = ((merged * 10486) >> 20) & 0x0000007F0000007FULL;  // / 100 below 10^4
    const uint64_t pairs = ((merged - 100 * hundreds) << 16) | hundreds;
    const uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;  // / 10 below 100
    return tens | ((pairs - 10 * tens) << 8);
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
// scaleBitsByPowerOfTen and integer roundings; false where those cannot
// settle it, and then the 80-bit steps decide.
bool eighteenDigits(Ext80Bits magnitude, int32_t& exponent, uint64_t& out) {
    Ext80Bits scaled;
    uint64_t n;
    if (!scaleBitsByPowerOfTen(magnitude, 18 - exponent, scaled) || !roundToInteger(scaled, n)) return false;
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
// The value comes as its bits (either model of the 80-bit value gives them),
// so that a double need not pass through the x87 unit on the usual road.
template <class Value>
int computeDecimalForm(Value v, DecimalForm& form) {
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
        Ext80 scaled =
            scaleByPowerOfTen(Ext80::fromBits(false, biased, significand), 18 - exponent, flags).roundToInteger();
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
    // The first group has a leading zero of its own (below 10^7), dropped.
    const uint64_t high = eightDigitValues(static_cast<uint32_t>(fifteen / 100000000));
    const uint64_t low = eightDigitValues(static_cast<uint32_t>(fifteen % 100000000));
    char text[16];
    const uint64_t highText = high | 0x3030303030303030ULL, lowText = low | 0x3030303030303030ULL;
    std::memcpy(text, &highText, 8);
    std::memcpy(text + 8, &lowText, 8);
    std::memcpy(form.digits, text + 1, 15);
    // Trailing zeros go: they are the zero bytes at the top of a group.
    const int length = low != 0 ? 15 - std::countl_zero(low) / 8 : high != 0 ? 7 - std::countl_zero(high) / 8 : 0;
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

DecimalForm toDecimalForm(Ext80 v) {
    DecimalForm form;
    computeDecimalForm(v, form);
    return form;
}

std::size_t doubleToText(double value, char decimalMark, char* out) {
    DecimalForm form;
    const int length = computeDecimalForm(SoftExt80::fromDouble(value), form);
    return layOutGeneral(form, length, decimalMark, out);
}

std::string doubleToText(double value, char decimalMark) {
    char buffer[kMaxDoubleTextLength];
    return std::string(buffer, doubleToText(value, decimalMark, buffer));
}

std::size_t integerToText(int32_t value, char* out) {
    char* p = out;
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        *p++ = '-';
        magnitude = 0u - magnitude;  // -2147483648 becomes 2147483648
    }
    return static_cast<std::size_t>(p - out) + static_cast<std::size_t>(writeUnsigned(magnitude, p));
}

std::string integerToText(int32_t value) {
    char buffer[kMaxIntegerTextLength];
    return std::string(buffer, integerToText(value, buffer));
}

std::size_t doubleToHexText(double value, char* out) {
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

std::string doubleToHexText(double value) {
    char buffer[kMaxHexTextLength];
    return std::string(buffer, doubleToHexText(value, buffer));
}

}  // namespace quill
