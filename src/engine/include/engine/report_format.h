#pragma once
// How the report writes its numbers and its lines: the style, the count
// labels and the longest line each value takes.

#include <cstddef>
#include <string_view>

#include "numtext/format.h"

namespace quill {

struct ReportStyle {
    char decimalMark = '.';
    bool hexNumbers = false;  // numbers as C99 hexadecimal constants (command line --hex)
};

// The longest number text, and the longest report lines of a value.
constexpr std::size_t kNumber = kMaxDoubleTextLength > kMaxHexTextLength ? kMaxDoubleTextLength : kMaxHexTextLength;
constexpr std::size_t kIndexedLine = 2 + kMaxIntegerTextLength + 2 + kNumber + 2;  // A[i]=v or X[i]=v, CR LF
constexpr std::size_t kResultLine = 2 + kNumber + 2 + kNumber + 2;                 // F(x)=y CR LF

// A number as the report writes it: decimal with the style's mark, or hex.
// Writes at most kNumber bytes and returns their count.
inline std::size_t numberText(double value, const ReportStyle& style, char* out) {
    return style.hexNumbers ? doubleToHexText(value, out) : doubleToText(value, style.decimalMark, out);
}

// The count labels (UTF-8).
constexpr std::string_view kCoefficientCountLabel = "An的数量 An Items Count =";
constexpr std::string_view kXCountLabel = "X的数量 X Count =";

}  // namespace quill
