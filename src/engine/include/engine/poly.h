#pragma once
// F at one x, the way every Solve evaluates it, and the report's count labels:
// shared by the sequential and the parallel Solve so that both give the same
// bits and the same text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/error.h"
#include "engine/evaluator.h"
#include "engine/poly_kernel.h"
#include "numtext/ext80.h"
#include "numtext/format.h"

namespace quill {

// a * x^power, multiplied left to right, each product stored to double.
inline double term(double a, double x, int32_t power) {
    double r = a;
    for (int32_t k = 0; k < power; ++k) {
        const Ext80::Narrowed p = Ext80::mulDoubles(r, x);
        if (p.overflow) throw OverflowError();
        r = p.value;
    }
    return r;
}

// The terms summed from the constant one up, from +0, each sum stored to double.
inline double poly(const double* a, std::size_t count, double x) {
    double s;
    if (!evaluatePolynomialAt(a, count, x, s)) throw OverflowError();
    return s;
}

// The longest number text, and the longest report lines of a value.
constexpr std::size_t kNumber = kMaxDoubleTextLength > kMaxHexTextLength ? kMaxDoubleTextLength : kMaxHexTextLength;
constexpr std::size_t kIndexedLine = 2 + kMaxIntegerTextLength + 2 + kNumber + 2;  // A[i]=v or X[i]=v, CR LF
constexpr std::size_t kResultLine = 2 + kNumber + 2 + kNumber + 2;                 // F(x)=y CR LF

// A number as the report writes it: decimal with the style's mark, or hex.
inline std::size_t numberText(double value, const ReportStyle& style, char* out) {
    return style.hexNumbers ? doubleToHexText(value, out) : doubleToText(value, style.decimalMark, out);
}

// The count labels (UTF-8).
constexpr std::string_view kCoefficientCountLabel = "An的数量 An Items Count =";
constexpr std::string_view kXCountLabel = "X的数量 X Count =";

}  // namespace quill
