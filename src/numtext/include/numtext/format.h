#pragma once
// Number text out: integers and doubles as the report writes them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "numtext/ext80.h"

namespace quill {

// The decimal record between the two stages of the double conversion.
struct DecimalForm {
    static constexpr int16_t kInfinity = 32767;
    static constexpr int16_t kNaN = -32768;
    int16_t exponent = 0;   // value = 0.<digits> * 10^exponent
    bool negative = false;  // false for zero (negative zero included) and NaN
    char digits[21] = {};   // at most 15 significant digits, NUL-ended, no trailing '0'
};

// Rounded to 15 significant digits by the 16th digit of an 18-digit integer.
DecimalForm toDecimalForm(Ext80 v);

// Longest texts, without a terminating NUL.
constexpr std::size_t kMaxDoubleTextLength = 22;   // -4.94065645841247E-324
constexpr std::size_t kMaxIntegerTextLength = 11;  // -2147483648
constexpr std::size_t kMaxHexTextLength = 24;      // -0x1.fffffffffffffp+1023

// General layout with precision 15. Writes at most kMaxDoubleTextLength bytes
// to out and returns the number written (no NUL).
std::size_t doubleToText(double value, char decimalMark, char* out);
std::string doubleToText(double value, char decimalMark);

// Plain decimal, "-" for negatives. Writes at most kMaxIntegerTextLength bytes
// (and may write bytes past the text within them).
std::size_t integerToText(int32_t value, char* out);
std::string integerToText(int32_t value);

// The exact double as a C99 hexadecimal floating constant (0x1.8p+0,
// -0x0p+0, 0x0.0000000000001p-1022, inf, -inf, nan). At most kMaxHexTextLength bytes.
std::size_t doubleToHexText(double value, char* out);
std::string doubleToHexText(double value);

}  // namespace quill
