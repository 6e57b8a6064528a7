#pragma once
// F at one x, the way every Solve evaluates it, and the report's count labels:
// shared by the sequential and the parallel Solve so that both give the same
// bits and the same text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/error.h"
#include "engine/poly_kernel.h"
#include "numtext/ext80.h"

namespace quill {

// a * x^power, multiplied left to right, each product stored to double.
inline double Term(double a, double x, int32_t power) {
    double r = a;
    for (int32_t k = 0; k < power; ++k) {
        const Ext80::Narrowed p = Ext80::mulDoubles(r, x);
        if (p.overflow) throw OverflowError();
        r = p.value;
    }
    return r;
}

// The terms summed from the constant one up, from +0, each sum stored to double.
inline double Poly(const double* a, std::size_t count, double x) {
    double s;
    if (!EvaluatePolynomialAt(a, count, x, s)) throw OverflowError();
    return s;
}

// The count labels (UTF-8).
constexpr std::string_view kCountAnLabel = "An的数量 An Items Count =";
constexpr std::string_view kCountXLabel = "X的数量 X Count =";

}  // namespace quill
