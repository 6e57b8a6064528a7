#include "numtext/format.h"

#include <bit>
#include <cstring>

#include "numtext/pow10.h"
#include "pow10_steps.h"
#include "ten_powers.h"

namespace quill {
namespace {

constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
constexpr uint64_t kTenPow18 = 1000000000000000000ULL;
constexpr uint64_t kZeros = 0x3030303030303030ULL;  // "00000000"
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
[[gnu::always_inline]] inline uint64_t eightDigitValues(uint32_t value) {
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

using pow10_steps::kTop;
using pow10_steps::Wide;

// v rounded to an integer, to nearest with ties to even; false unless the
// value lies in [1, 2^64).
inline bool roundToInteger(Wide v, uint64_t& out) {
    const int32_t fractionBits = 63 - v.e;
    if (fractionBits < 0 || fractionBits > 63) return false;
    if (fractionBits == 0) {
        out = v.m;
        return true;
    }
    const uint64_t whole = v.m >> fractionBits;
    const uint64_t rest = v.m << (64 - fractionBits);  // the fraction bits at the top: one half is kTop
    out = whole + (uint64_t(rest > kTop) | (uint64_t(rest == kTop) & whole & 1));
    return true;
}

// The eighteen digits of the 80-bit road below, by the integer steps of
// scaleBitsByPowerOfTen and integer roundings; false where those cannot
// settle it, and then the 80-bit steps decide.
[[gnu::always_inline]] inline bool eighteenDigits(Wide v, int32_t& exponent, uint64_t& out) {
    uint64_t n;
    const int32_t power = 18 - exponent;
    if ((power != 0 && !pow10_steps::scale(v, power)) || !roundToInteger(v, n)) return false;
    if (n >= kTenPow18) [[unlikely]] {
        // The quotient n / 10 in 80 bits: below 2^61, so its 64 bits keep
        // 3 to 7 fraction bits, rounded by the remainder (never a tie: an
        // even multiple of 1/10 is not 1/2); then rounded to an integer.
        const uint64_t q = n / 10, r = n % 10;
        const int fractionBits = 64 - std::bit_width(q);
        const uint64_t tenths = r << fractionBits;
        const uint64_t kept = (q << fractionBits) + tenths / 10 + (tenths % 10 > 5 ? 1 : 0);
        if (kept < (q << fractionBits)) return false;  // carried out of 64 bits
        if (!roundToInteger({kept, 63 - fractionBits}, n)) return false;
        if (n >= kTenPow18) return false;
        ++exponent;
    }
    out = n;
    return true;
}

// The same by the 80-bit steps themselves; false for an unnormal value
// (integer bit clear), which no double widens to: the unit yields no number for it.
[[gnu::noinline]] bool eighteenDigitsStepByStep(uint16_t biased, uint64_t significand, int32_t& exponent,
                                                uint64_t& out) {
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
    if (!scaled.lessThan(tenPow18)) return false;
    out = scaled.toUint64();
    return true;
}

// The decimal exponent of 2^binaryExponent estimated by the rule above.
// Arithmetic shift: the quotient rounds toward minus infinity.
inline int32_t exponentEstimate(int32_t binaryExponent) { return ((binaryExponent * kLog10Of2Times65536) >> 16) + 1; }

// Y = m * 2^(e - 63) * 10^n (m a significand with its top bit set) as an
// integer and the 64 bits of its fraction, by one multiplication with the
// 64-bit significand of 10^n; false where Y is too large or too small for
// that.
inline bool scaledByOneProduct(uint64_t m, int32_t e, int32_t n, uint64_t& whole, uint64_t& fraction) {
    if (n <= ten_powers::kFirst || n > ten_powers::kLast) return false;
    const U128 product = wideMul(m, ten_powers::significand(n));
    const int32_t fractionBits = 126 - e - ten_powers::binaryExponent(n);
    if (fractionBits < 64 || fractionBits > 127) return false;
    whole = static_cast<uint64_t>(product >> fractionBits);
    fraction = static_cast<uint64_t>(product >> (fractionBits - 64));
    return true;
}

constexpr uint64_t kTenPow15 = 1000000000000000ULL;
// 0.5005 and 2^-10 in units of 2^-64.
constexpr uint64_t kHalfAndAThousandth = 0x8020C49BA5E353F8ULL;
constexpr uint64_t kMargin = uint64_t{1} << 54;

// The fifteen digits of the road below by one product. With
// Y = v * 10^(15 - exponent), the steps scale 1000 Y, round it to an integer
// n and keep floor((n + 500) / 1000): floor(Y + 0.5005) for the exact Y. The
// steps (at most two rounded factors and two rounded results) move 1000 Y by
// less than 0.22, the 64-bit power of ten moves Y by less than 0.0001: only
// where Y + 0.5005 lies within 2^-10 of an integer can the two part, and
// there the steps decide. From Y = 10^15 on there are nineteen digits: the
// steps round 10 * 1000 Y', Y' = Y / 10 (from 10^(14 - exponent)), divide
// it by 10 and round again, which moves 1000 Y' by less than 0.3, and the
// same holds; next to 10^15 itself the steps decide.
[[gnu::always_inline]] inline bool fifteenByOneProduct(uint64_t m, int32_t e, int32_t& exponent, uint64_t& fifteen) {
    int32_t n = 15 - exponent;
    uint64_t whole, fraction;
    if (!scaledByOneProduct(m, e, n, whole, fraction)) return false;
    if (whole >= kTenPow15 - 1) [[unlikely]] {
        if (whole <= kTenPow15) return false;  // too close to the nineteenth digit
        if (!scaledByOneProduct(m, e, --n, whole, fraction) || whole >= kTenPow15 - 1) return false;
    }
    const uint64_t above = fraction + kHalfAndAThousandth;
    if (above + kMargin < 2 * kMargin) return false;
    fifteen = whole + (above < fraction);  // the carry of the addition
    exponent = 15 - n;
    return true;
}

// A finite nonzero magnitude (biased exponent 1..0x7FFE) as fifteen digits:
// value ~ 0.<fifteen as 15 digits> * 10^exponent, rounded to 15 significant
// digits by the 16th digit of an 18-digit integer. Leading zeros stay: when
// the estimate of the exponent was one too large the first digit is 0.
// False for an unnormal value.
[[gnu::always_inline]] inline bool fifteenDigits(uint16_t biased, uint64_t significand, int32_t& exponent,
                                                 uint64_t& fifteen) {
    const int32_t binaryExponent = static_cast<int32_t>(biased) - 16383;
    exponent = exponentEstimate(binaryExponent);
    if ((significand & kIntegerBit) == 0 || !fifteenByOneProduct(significand, binaryExponent, exponent, fifteen))
        [[unlikely]] {
        uint64_t eighteen;
        if ((significand & kIntegerBit) == 0 || !eighteenDigits({significand, binaryExponent}, exponent, eighteen)) {
            if (!eighteenDigitsStepByStep(biased, significand, exponent, eighteen)) return false;
        }
        // Cut the eighteen digits to fifteen by the sixteenth, half up.
        const uint64_t hundreds = eighteen / 100;
        fifteen = hundreds / 10 + (hundreds % 10 >= 5 ? 1 : 0);
    }
    const bool carried = fifteen == kTenPow15;  // 999...9 rounded up: 1 with one more digit
    fifteen = carried ? kTenPow15 / 10 : fifteen;
    exponent += carried;
    return true;
}

// The fifteen digits as text from digits[1] on, followed by '0' bytes up to
// digits[31] (so that 16 bytes can be copied from any digit on); digits[0]
// is a '0' of no meaning. Returns the count of digits up to the last
// nonzero one.
inline int writeFifteen(uint64_t fifteen, char (&digits)[32]) {
    // The first group has a leading zero of its own (below 10^7).
    const uint64_t high = eightDigitValues(static_cast<uint32_t>(fifteen / 100000000));
    const uint64_t low = eightDigitValues(static_cast<uint32_t>(fifteen % 100000000));
    const uint64_t highText = high | kZeros, lowText = low | kZeros;
    std::memcpy(digits, &highText, 8);
    std::memcpy(digits + 8, &lowText, 8);
    std::memcpy(digits + 16, &kZeros, 8);
    std::memcpy(digits + 24, &kZeros, 8);
    // Trailing zeros are the zero bytes at the top of a group; the first
    // group is never all zeros. (x | 1 keeps the count clear of a test for
    // zero: it changes no byte count but that of 0, which is made up for.)
    const int lowZeros = (__builtin_clzll(low | 1) + (low == 0)) / 8;
    const int highZeros = __builtin_clzll(high | 1) / 8;
    return 15 - lowZeros - (highZeros & -int(low == 0));
}

// The exponent of the scientific layout: 'E', '-' if negative, its digits
// (below 1000 in magnitude: a double's), without a branch on their count.
inline char* putExponent(char* p, int32_t e) {
    p[0] = 'E';
    p[1] = '-';
    const int32_t sign = e >> 31;  // -1 for a negative exponent, else 0
    p += 1 - sign;
    const uint32_t m = static_cast<uint32_t>((e ^ sign) - sign);
    const int count = 1 + (m >= 10) + (m >= 100);
    // Three digits, the first in the lowest byte, then the leading zeros dropped.
    uint32_t text = ('0' + m / 100) | uint32_t(static_cast<unsigned char>(kDigitPairs[2 * (m % 100)])) << 8 |
                    uint32_t(static_cast<unsigned char>(kDigitPairs[2 * (m % 100) + 1])) << 16;
    text >>= 8 * (3 - count);
    std::memcpy(p, &text, 4);
    return p + count;
}

// The general layout of a finite nonzero value from its fifteen digits,
// built in `text` by copies of fixed size (kLaidOut bytes of room: the
// copies run past the end of the text). Returns the length.
constexpr std::size_t kLaidOut = 64;
[[gnu::always_inline]] inline std::size_t layOut(bool negative, int32_t e, uint64_t fifteen, char decimalMark,
                                                 char* text) {
    char digitText[32];
    const int length = writeFifteen(fifteen, digitText);
    const char* digits = digitText + 1;
    text[0] = '-';
    char* p = text + negative;
    if (e > 15 || e < -3) {
        p[0] = digits[0];
        p[1] = decimalMark;
        std::memcpy(p + 2, digits + 1, 16);
        p += length > 1 ? length + 1 : 1;
        p = putExponent(p, e - 1);
    } else if (e >= 1) {
        std::memcpy(p, digits, 16);  // length <= e: the integer, zeros after the last digit included
        if (length > e) {
            p[e] = decimalMark;
            std::memcpy(p + e + 1, digits + e, 16);
            p += length + 1;
        } else {
            p += e;
        }
    } else {
        const char lead[8] = {'0', decimalMark, '0', '0', '0', '0', '0', '0'};
        std::memcpy(p, lead, 8);
        std::memcpy(p + 2 - e, digits, 16);
        p += 2 - e + length;
    }
    return static_cast<std::size_t>(p - text);
}

// n bytes (1 to 32) by copies of fixed size that overlap.
inline void copyShort(char* to, const char* from, std::size_t n) {
    if (n >= 16) {
        std::memcpy(to, from, 16);
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

char* copyDigits(char* out, const char* digits, int count) {
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    return out + count;
}

}  // namespace

DecimalForm toDecimalForm(Ext80 v) {
    DecimalForm form;
    const uint16_t biased = v.biasedExponent();
    if (biased == 0) return form;  // zero (either sign) and extended denormals
    int32_t exponent;
    uint64_t fifteen;
    if (biased == 0x7FFF) {
        const bool infinity = v.significand() == kIntegerBit || (v.significand() & kIntegerBit) == 0;
        form.exponent = infinity ? DecimalForm::kInfinity : DecimalForm::kNaN;
        form.negative = infinity && v.negative();
    } else if (!fifteenDigits(biased, v.significand(), exponent, fifteen)) {
        form.exponent = DecimalForm::kNaN;
    } else {
        form.exponent = static_cast<int16_t>(exponent);
        form.negative = v.negative();
        char digits[32];
        const int length = writeFifteen(fifteen, digits);
        std::memcpy(form.digits, digits + 1, static_cast<std::size_t>(length));
        form.digits[length] = '\0';
    }
    return form;
}

namespace {

// doubleToText for the values the short road leaves.
[[gnu::noinline]] std::size_t doubleToTextByTheSteps(double value, char decimalMark, char* out) {
    // Every double is a normal 80-bit value, zero, infinity or NaN.
    const SoftExt80 v = SoftExt80::fromDouble(value);
    const uint16_t biased = v.biasedExponent();
    char text[kLaidOut];
    std::size_t length;
    int32_t exponent;
    uint64_t fifteen;
    if (biased != 0 && biased != 0x7FFF && fifteenDigits(biased, v.significand(), exponent, fifteen)) [[likely]] {
        length = layOut(v.negative(), exponent, fifteen, decimalMark, text);
    } else if (biased == 0) {
        length = copyDigits(text, "0", 1) - text;
    } else if (biased == 0x7FFF && v.significand() == kIntegerBit) {
        char* p = text;
        if (v.negative()) *p++ = '-';
        length = copyDigits(p, "INF", 3) - text;
    } else {
        length = copyDigits(text, "NAN", 3) - text;
    }
    copyShort(out, text, length);
    return length;
}

}  // namespace

std::size_t doubleToText(double value, char decimalMark, char* out) {
    // A normal double: its significand with the integer bit, as the 80-bit
    // value holds it.
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const uint32_t field = static_cast<uint32_t>(bits >> 52) & 0x7FF;
    const int32_t binaryExponent = static_cast<int32_t>(field) - 1023;
    int32_t exponent = exponentEstimate(binaryExponent);
    uint64_t fifteen;
    if (field - 1 < 0x7FE && fifteenByOneProduct(kIntegerBit | bits << 11, binaryExponent, exponent, fifteen))
        [[likely]] {
        char text[kLaidOut];
        const std::size_t length = layOut(bits >> 63, exponent, fifteen, decimalMark, text);
        copyShort(out, text, length);
        return length;
    }
    return doubleToTextByTheSteps(value, decimalMark, out);
}

std::string doubleToText(double value, char decimalMark) {
    char buffer[kMaxDoubleTextLength];
    return std::string(buffer, doubleToText(value, decimalMark, buffer));
}

std::size_t integerToText(int32_t value, char* out) {
    out[0] = '-';
    char* p = out + (value < 0);
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    const bool long_ = magnitude >= 100000000;
    if (long_) {  // nine or ten digits: the first one or two, then eight
        const uint32_t high = magnitude / 100000000;
        if (high >= 10) {
            std::memcpy(p, kDigitPairs + 2 * high, 2);
            p += 2;
        } else {
            *p++ = static_cast<char>('0' + high);
        }
        magnitude %= 100000000;
    }
    // Eight digits, then the leading zeros (the zero bytes at the bottom)
    // shifted out, all but the last digit's.
    const uint64_t digits = eightDigitValues(magnitude);
    const int leading = long_ ? 0 : __builtin_ctzll(digits | uint64_t{1} << 56) / 8;
    const uint64_t text = (digits | kZeros) >> (8 * leading);
    std::memcpy(p, &text, 8);
    return static_cast<std::size_t>(p - out) + 8 - static_cast<std::size_t>(leading);
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
