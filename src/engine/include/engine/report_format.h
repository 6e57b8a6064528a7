#pragma once
// How the report writes its numbers and its lines: the style, the count
// labels and the longest line each value takes; and the same points as a
// CSV table, the one rule of the command line's --format csv and the plot's
// export.

#include <cstddef>
#include <cstring>
#include <string_view>

#include "numtext/format.h"

namespace quill {

enum class ReportLayout {
    report,  // the counts, A[i]=, X[j]= and F(x)= lines, CR LF after each
    csv,     // a header line, then one row x,F(x) per x value, LF after each
};

struct ReportStyle {
    char decimalMark = '.';
    bool hexNumbers = false;  // numbers as C99 hexadecimal constants (command line --hex)
    ReportLayout layout = ReportLayout::report;
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

// The CSV table for spreadsheets: a header line, then a row "x,F(x)" per
// point, the numbers as the report writes them (hex ones too) but always with
// "." as the decimal mark, since the comma separates the columns. ASCII, so
// valid UTF-8; every line, the last one included, ends with LF alone.
constexpr std::string_view kCsvHeader = "x,F(x)\n";
constexpr std::size_t kCsvRow = kNumber + 1 + kNumber + 1;

// The style of the numbers in a CSV table.
inline ReportStyle csvNumbers(const ReportStyle& style) { return {'.', style.hexNumbers, ReportLayout::csv}; }

// A row from the x's text (made with csvNumbers) and F(x); returns its end.
inline char* putCsvRow(char* to, std::string_view xText, double fx, const ReportStyle& numbers) {
    std::memcpy(to, xText.data(), xText.size());
    to += xText.size();
    *to++ = ',';
    to += numberText(fx, numbers, to);
    *to++ = '\n';
    return to;
}

// The count labels (UTF-8).
constexpr std::string_view kCoefficientCountLabel = "An的数量 An Items Count =";
constexpr std::string_view kXCountLabel = "X的数量 X Count =";

}  // namespace quill
