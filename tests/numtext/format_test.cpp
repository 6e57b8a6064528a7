#include "numtext/format.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "digits_by_the_steps.h"
#include "numtext/pow10.h"

namespace quill {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct TextCase {
    double value;
    const char* text;
};

void expectTexts(const TextCase* cases, std::size_t count, char mark) {
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(doubleToText(cases[i].value, mark), cases[i].text) << "value " << doubleToHexText(cases[i].value);
    }
}

TEST(DoubleToText, WritesTheGeneralLayout) {
    const TextCase cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.0, "1"},
        {-1.0, "-1"},
        {0.5, "0.5"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {0.1 + 0.2, "0.3"},
        {100.0, "100"},
        {123.456, "123.456"},
        {-0.001, "-0.001"},
        {123456789012345.6, "123456789012346"},
        {12345678901234.56, "12345678901234.6"},
        {0.00012345678901234567, "0.000123456789012346"},
        {1e14, "100000000000000"},
        {999999999999999.0, "999999999999999"},
        {999999999999999.5, "1E15"},
        {1e15, "1E15"},
        {1000000000000001.0, "1E15"},
        {1e16, "1E16"},
        {9007199254740992.0, "9.00719925474099E15"},
        {123456789012345678.0, "1.23456789012346E17"},
        {1e23, "1E23"},
        {1e300, "1E300"},
        {1.7976931348623157e308, "1.79769313486232E308"},
        {0.0001, "0.0001"},
        {0.0003, "0.0003"},
        {9.99999999999999e-5, "9.99999999999999E-5"},
        {9.999999999999999e-5, "0.0001"},
        {0.00001, "1E-5"},
        {1.2e-7, "1.2E-7"},
        {1.5e-10, "1.5E-10"},
        {-2.5e-300, "-2.5E-300"},
        {2.2250738585072014e-308, "2.2250738585072E-308"},
        {std::ldexp(1.0, -1074), "4.94065645841247E-324"},
        {-std::ldexp(1.0, -1074), "-4.94065645841247E-324"},
        {9.999999999999998, "10"},
        {0.9999999999999999, "1"},
        {1.0000000000000002, "1"},
        {kInf, "INF"},
        {-kInf, "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {-std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {std::bit_cast<double>(uint64_t{0x7FF0000000000001}), "NAN"},
        // Plain notation pads with zeros up to the decimal point.
        {1.5e14, "150000000000000"},
        {-123000.0, "-123000"},
        {0.00123, "0.00123"},
    };
    expectTexts(cases, std::size(cases), '.');
}

TEST(DoubleToText, RoundsTheSixteenthDigitHalfUp) {
    const TextCase cases[] = {
        {100000000000000.5, "100000000000001"},
        {669239566298276.5, "669239566298277"},
        {100000000000000.25, "100000000000000"},
    };
    expectTexts(cases, std::size(cases), '.');
}

// The 18-digit integer is rounded before the cut, and the scaling rounds too:
// these three end one digit away from the correctly rounded text.
TEST(DoubleToText, KeepsTheRoundingsOfTheFixedProcedure) {
    const TextCase cases[] = {
        {1.352134646871295e177, "1.3521346468713E177"},
        {1.678519772648645e-198, "1.67851977264865E-198"},
        {3.400282319460695e45, "3.4002823194607E45"},
        // Nineteen digits after scaling: the quotient by 10 is rounded to an
        // integer again (…330499.57 becomes …330500 and the cut goes up).
        {0x1.69bf0870d10b3p-163, "1.20857817203331E-49"},
        {0x1.36831570458d5p+960, "1.18204585601117E289"},
    };
    expectTexts(cases, std::size(cases), '.');
}

TEST(DoubleToText, KeepsTheLeadingZeroWhereTheEstimateIsOneTooLarge) {
    const TextCase cases[] = {
        {std::ldexp(1.0, -877), "0.99241610332961E-264"},
        {9.95e-265, "0.995E-264"},
        {1e-264, "1E-264"},
        {9.99e-206, "0.999E-205"},
        {1e-205, "1E-205"},
        {std::ldexp(1.0, -681), "0.99671949510976E-205"},  // 9.96719495109756753...e-206
        {std::nextafter(1e-264, 0.0), "1E-264"},           // the cut carries into the leading 0: no exponent step
    };
    expectTexts(cases, std::size(cases), '.');
    const DecimalForm band = toDecimalForm(Ext80::fromDouble(9.95e-265));
    EXPECT_EQ(band.exponent, -263);
    EXPECT_STREQ(band.digits, "0995");
}

TEST(DoubleToText, WritesTheDecimalMarkItIsGiven) {
    const TextCase cases[] = {
        {0.5, "0,5"},         {123.456, "123,456"}, {0.0001, "0,0001"},
        {1.5e-10, "1,5E-10"}, {1e15, "1E15"},       {-12345678901234.56, "-12345678901234,6"},
    };
    expectTexts(cases, std::size(cases), ',');
}

TEST(DoubleToText, LongestTextsFitTheBuffer) {
    const TextCase cases[] = {
        {-std::ldexp(1.0, -1074), "-4.94065645841247E-324"},
        {-1.23456789012345e-100, "-1.23456789012345E-100"},
        {-0.000123456789012345, "-0.000123456789012345"},
    };
    expectTexts(cases, std::size(cases), '.');
    EXPECT_EQ(std::strlen(cases[0].text), kMaxDoubleTextLength);
    EXPECT_EQ(integerToText(INT32_MIN).size(), kMaxIntegerTextLength);
    EXPECT_EQ(doubleToHexText(-std::numeric_limits<double>::max()).size(), kMaxHexTextLength);
}

TEST(IntegerToText, WritesPlainDecimal) {
    const struct {
        int32_t value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {42, "42"},
        {-7, "-7"},
        {2147483647, "2147483647"},
        {INT32_MIN, "-2147483648"},
        {10, "10"},
        {-100, "-100"},
        {1000000000, "1000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(integerToText(c.value), c.text);

    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const int32_t value = static_cast<int32_t>(random());
        ASSERT_EQ(integerToText(value), std::to_string(value));
    }
}

// The decimal form is classified from the bits of the 80-bit value; some of
// these bit patterns no double widens to.
TEST(ToDecimalForm, ClassifiesByTheBits) {
    constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
    const struct {
        bool negative;
        uint16_t biased;
        uint64_t significand;
        int16_t exponent;
        bool formNegative;
        const char* digits;
    } cases[] = {
        {false, 0, 0, 0, false, ""},
        {true, 0, 0, 0, false, ""},      // negative zero loses its sign
        {true, 0, 12345, 0, false, ""},  // extended denormal counts as zero
        {false, 0x7FFF, kIntegerBit, DecimalForm::kInfinity, false, ""},
        {true, 0x7FFF, kIntegerBit, DecimalForm::kInfinity, true, ""},
        {true, 0x7FFF, 0, DecimalForm::kInfinity, true, ""},  // integer bit clear
        {false, 0x7FFF, 0x4000000000000000ULL, DecimalForm::kInfinity, false, ""},
        {true, 0x7FFF, kIntegerBit | 1, DecimalForm::kNaN, false, ""},
        {false, 0x7FFF, 0xC000000000000000ULL, DecimalForm::kNaN, false, ""},
        {false, 16383, kIntegerBit, 1, false, "1"},
        {true, 16383 + 63, ~uint64_t{0}, 20, true, "184467440737096"},  // 2^64 - 1
        {false, 16383 - 1, kIntegerBit | (kIntegerBit >> 1), 0, false, "75"},
    };
    for (const auto& c : cases) {
        const DecimalForm form = toDecimalForm(Ext80::fromBits(c.negative, c.biased, c.significand));
        EXPECT_EQ(form.exponent, c.exponent) << c.biased << ' ' << c.significand;
        EXPECT_EQ(form.negative, c.formNegative) << c.biased << ' ' << c.significand;
        EXPECT_STREQ(form.digits, c.digits) << c.biased << ' ' << c.significand;
    }
}

// Far outside the double range the estimate drifts further from log10(2)
// but is still corrected; powers of ten come out as the single digit 1.
TEST(ToDecimalForm, HandlesTheWholeExtendedRange) {
    for (int32_t n : {-4930, -4000, -1000, -330, 0, 17, 18, 19, 330, 1000, 4000, 4930}) {
        Ext80Flags flags;
        const Ext80 power = scaleByPowerOfTen(Ext80::fromUint64(1), n, flags);
        ASSERT_FALSE(flags.any());
        const DecimalForm form = toDecimalForm(power);
        EXPECT_EQ(form.exponent, n + 1) << n;
        EXPECT_STREQ(form.digits, "1") << n;
    }
}

struct HexCase {
    double value;
    const char* text;
};

TEST(DoubleToHexText, WritesTheExactBits) {
    const HexCase cases[] = {
        {1.0, "0x1p+0"},
        {1.5, "0x1.8p+0"},
        {-0.0, "-0x0p+0"},
        {0.0, "0x0p+0"},
        {0.1, "0x1.999999999999ap-4"},
        {std::ldexp(1.0, -1074), "0x0.0000000000001p-1022"},
        {std::ldexp(1.0, -1023), "0x0.8p-1022"},
        {std::ldexp(1.0, -1022), "0x1p-1022"},
        {-std::numeric_limits<double>::max(), "-0x1.fffffffffffffp+1023"},
        {kInf, "inf"},
        {-kInf, "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {-std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const auto& c : cases) EXPECT_EQ(doubleToHexText(c.value), c.text);
}

TEST(DoubleToHexText, AgreesWithTheCLibrary) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 200000; ++i) {
        uint64_t bits = random();
        if (i % 4 == 0) bits &= 0x800FFFFFFFFFFFFFULL;            // subnormals
        if (i % 8 == 1) bits &= ~uint64_t{0} << (random() % 53);  // short fractions
        const double value = std::bit_cast<double>(bits);
        if (std::isnan(value)) continue;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%a", value);
        ASSERT_EQ(doubleToHexText(value), expected);
    }
}

// ---- Properties over many doubles ----------------------------------------

// The text read back as an exact value: |value| = significand * 10^power.
struct TextValue {
    bool ok = false;
    bool negative = false;
    bool scientific = false;
    uint64_t significand = 0;
    int significantDigits = 0;
    int power = 0;
};

TextValue readText(const std::string& text, char mark) {
    TextValue r;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        r.negative = true;
        ++i;
    }
    int fractionDigits = 0;
    bool inFraction = false;
    for (; i < text.size() && text[i] != 'E'; ++i) {
        const char c = text[i];
        if (c == mark && !inFraction) {
            inFraction = true;
        } else if (c >= '0' && c <= '9') {
            if (r.significand > (UINT64_MAX - 9) / 10) return r;
            r.significand = r.significand * 10 + static_cast<uint64_t>(c - '0');
            if (r.significand != 0) ++r.significantDigits;
            if (inFraction) ++fractionDigits;
        } else {
            return r;
        }
    }
    int exponent = 0;
    if (i < text.size()) {
        r.scientific = true;
        auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + text.size(), exponent);
        if (error != std::errc() || end != text.data() + text.size()) return r;
    }
    r.power = exponent - fractionDigits;
    r.ok = true;
    return r;
}

int decimalDigitCount(uint64_t v) {
    int n = 0;
    for (; v != 0; v /= 10) ++n;
    return n;
}

__int128 tenPow(int n) {
    __int128 p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

// Checks that the text is within 0.502 units of its fifteenth digit of the
// exact value of d. The grid of the fifteen digits comes from the exact value
// alone: its decimal exponent, one more in the two bands where the first digit
// stays 0. The fixed procedure's own roundings add under a thousandth of a unit
// to the half unit of the cut, so any wrong digit shows.
void expectWithinHalfUnit(double d, const TextValue& t, const std::string& text) {
    const double magnitude = std::fabs(d);
    char exact[64];
    const auto result = std::to_chars(exact, exact + sizeof exact, magnitude, std::chars_format::scientific, 34);
    ASSERT_EQ(result.ec, std::errc());
    __int128 reference = exact[0] - '0';
    for (int k = 2; k < 36; ++k) reference = reference * 10 + (exact[k] - '0');
    int exactExponent = 0;
    std::from_chars(exact + 37, result.ptr, exactExponent);
    if (exact[37] == '+') std::from_chars(exact + 38, result.ptr, exactExponent);
    const int referencePower = exactExponent - 34;  // magnitude ~ reference * 10^referencePower

    int gridExponent = exactExponent + 1;  // magnitude = 0.ddd * 10^gridExponent
    int binaryExponent = 0;
    std::frexp(magnitude, &binaryExponent);
    if ((binaryExponent - 1 == -877 && magnitude < 1e-264) || (binaryExponent - 1 == -681 && magnitude < 1e-205)) {
        ++gridExponent;
    }
    const int shift = t.power - referencePower;
    ASSERT_TRUE(shift >= 0 && shift <= 36) << text << " for " << exact;
    const __int128 written = static_cast<__int128>(t.significand) * tenPow(shift);
    const __int128 difference = written > reference ? written - reference : reference - written;
    const __int128 unit = tenPow(gridExponent - 15 - referencePower);
    EXPECT_LE(difference * 1000, unit * 502) << text << " for " << exact;
}

void expectLayout(const TextValue& t, const std::string& text, char mark) {
    if (t.significand == 0) {
        EXPECT_EQ(text, "0");
        return;
    }
    EXPECT_LE(t.significantDigits, 15) << text;
    // Scientific exactly when the written magnitude is 10^15 or more, or below 10^-4.
    const int writtenExponent = decimalDigitCount(t.significand) + t.power;  // 10^(e-1) <= |T| < 10^e
    EXPECT_EQ(t.scientific, writtenExponent > 15 || writtenExponent < -3) << text;
    const std::size_t markAt = text.find(mark);
    const std::size_t body = t.scientific ? text.find('E') : text.size();
    if (markAt != std::string::npos) {
        EXPECT_NE(text[body - 1], '0') << text;  // no trailing zero
    }
    if (t.scientific) {
        EXPECT_EQ(std::min(markAt, body), t.negative ? 2u : 1u) << text;  // one digit before the mark
    }
}

// Each generator covers a different part of the double range.
double randomDouble(std::mt19937_64& random, int kind) {
    switch (kind) {
        case 0:  // any bit pattern: every binade equally
            return std::bit_cast<double>(random());
        case 1:  // subnormals
            return std::bit_cast<double>(random() & 0x800FFFFFFFFFFFFFULL);
        case 2: {  // short decimals, where the sixteenth digit is often exactly 5
            char text[40];
            const uint64_t digits = random() % 10000000000000000ULL;
            const int exponent = static_cast<int>(random() % 640) - 320;
            std::snprintf(text, sizeof text, "%llue%d", static_cast<unsigned long long>(digits), exponent);
            double d = 0;
            std::from_chars(text, text + std::strlen(text), d);
            return d;
        }
        default: {  // moderate magnitudes around the plain / scientific borders
            const double mantissa = 1.0 + static_cast<double>(random() >> 11) * 0x1p-53 * 9.0;
            return mantissa * std::pow(10.0, static_cast<int>(random() % 26) - 8);
        }
    }
}

TEST(DoubleToText, PropertiesHoldForRandomDoubles) {
    std::mt19937_64 random(2023);
    for (int i = 0; i < 200000; ++i) {
        const double d = randomDouble(random, i % 4);
        if (!std::isfinite(d)) continue;
        for (char mark : {'.', ','}) {
            char buffer[64];
            std::memset(buffer, 0x55, sizeof buffer);
            const std::size_t length = doubleToText(d, mark, buffer);
            ASSERT_LE(length, kMaxDoubleTextLength);
            for (std::size_t k = length; k < sizeof buffer; ++k) ASSERT_EQ(buffer[k], 0x55) << "wrote past the end";
            const std::string text(buffer, length);
            const TextValue t = readText(text, mark);
            ASSERT_TRUE(t.ok) << text;
            EXPECT_EQ(t.negative, d < 0 && t.significand != 0) << text;
            expectLayout(t, text, mark);
            if (mark == '.') {
                if (d != 0) expectWithinHalfUnit(d, t, text);
                // The nearest double to the text gives the same text again.
                double back = 0;
                ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), back).ec, std::errc()) << text;
                EXPECT_EQ(doubleToText(back, '.'), text) << doubleToHexText(d);
            }
        }
    }
}

// The general layout of 0.<digits> * 10^exponent, one character at a time.
std::string plainLayout(bool negative, const std::string& digits, int exponent, char mark) {
    std::string text = negative ? "-" : "";
    if (exponent > 15 || exponent < -3) {
        text += digits[0];
        if (digits.size() > 1) text += mark + digits.substr(1);
        return text + "E" + std::to_string(exponent - 1);
    }
    if (exponent <= 0) return text + "0" + mark + std::string(-exponent, '0') + digits;
    if (digits.size() <= std::size_t(exponent)) return text + digits + std::string(exponent - digits.size(), '0');
    return text + digits.substr(0, exponent) + mark + digits.substr(exponent);
}

// The decimal form by the 80-bit steps alone, one after the other: the
// integer roads must give the same digits and exponent, and the text the
// same layout of them, for every double.
TEST(ToDecimalForm, AgreesWithTheEightyBitSteps) {
    std::mt19937_64 random(404);
    for (int i = 0; i < 300000; ++i) {
        const double d = std::fabs(randomDouble(random, i % 4));
        if (!std::isfinite(d) || d == 0) continue;
        const auto [exponent, fifteen] = digitsByTheSteps(d);
        std::string digits = std::to_string(fifteen + 1000000000000000ULL).substr(1);  // 15 digits, zeros kept
        digits.erase(digits.find_last_not_of('0') + 1);
        const DecimalForm form = toDecimalForm(Ext80::fromDouble(d));
        ASSERT_EQ(form.exponent, exponent) << doubleToHexText(d);
        ASSERT_EQ(std::string(form.digits), digits) << doubleToHexText(d);
        const bool negative = i % 3 == 0;
        const char mark = i % 5 == 0 ? ',' : '.';
        ASSERT_EQ(doubleToText(negative ? -d : d, mark), plainLayout(negative, digits, exponent, mark))
            << doubleToHexText(d);
    }
}

}  // namespace
}  // namespace quill
