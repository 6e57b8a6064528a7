#pragma once
// How the report writes its numbers and its lines: the style, the count
// labels and the longest line each value takes; and the rule of every CSV
// table: the command line's --format csv (the Solve's and the analysis'),
// the plot's export and the desktop's lists of roots and turning points.

#include <cstddef>
#include <cstdint>
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

// The CSV tables for spreadsheets: a header line naming the columns, then one
// row per point, the fields joined by ',', the numbers as the report writes
// them (hex ones too) but always with "." as the decimal mark, since the comma
// separates the columns. ASCII, so valid UTF-8; every line, the last one
// included, ends with LF alone. The Solve's table has the columns x,F(x).
constexpr std::string_view kCsvHeader = "x,F(x)\n";
// The most bytes of one field that is a number or an integer.
constexpr std::size_t kCsvField = kNumber > kMaxIntegerTextLength ? kNumber : kMaxIntegerTextLength;
constexpr std::size_t kCsvRow = kNumber + 1 + kNumber + 1;

// The style of the numbers in a CSV table.
inline ReportStyle csvNumbers(const ReportStyle& style) { return {'.', style.hexNumbers, ReportLayout::csv}; }

// One row of a CSV table, written field by field from `to`: the caller gives
// room for every field, a ',' between two and the LF.
class CsvRow {
public:
    // numbers: made with csvNumbers.
    CsvRow(char* to, const ReportStyle& numbers) : to_(to), numbers_(numbers) {}
    // A text as it is: ASCII without ',' or a line break (a number's text, a name).
    CsvRow& text(std::string_view field) {
        separate();
        std::memcpy(to_, field.data(), field.size());
        to_ += field.size();
        return *this;
    }
    CsvRow& number(double value) {
        separate();
        to_ += numberText(value, numbers_, to_);
        return *this;
    }
    CsvRow& integer(int32_t value) {
        separate();
        to_ += integerToText(value, to_);
        return *this;
    }
    // Ends the row with LF; returns the end.
    char* end() {
        *to_++ = '\n';
        return to_;
    }

private:
    void separate() {
        if (fields_++ > 0) *to_++ = ',';
    }
    char* to_;
    const ReportStyle& numbers_;
    int fields_ = 0;
};

// A row of the Solve's table from the x's text (made with csvNumbers) and
// F(x); returns its end.
inline char* putCsvRow(char* to, std::string_view xText, double fx, const ReportStyle& numbers) {
    return CsvRow(to, numbers).text(xText).number(fx).end();
}

// The count labels (UTF-8).
constexpr std::string_view kCoefficientCountLabel = "An的数量 An Items Count =";
constexpr std::string_view kXCountLabel = "X的数量 X Count =";

}  // namespace quill
