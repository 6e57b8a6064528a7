#pragma once
// F(x) = a(0) + a(1)·x + … + a(n-1)·x^(n-1) as the evaluation forms it: each
// term a(i)·x^i multiplied left to right from a(i), the terms summed from +0
// in ascending power, every product and every sum formed in 80 bits and then
// stored into a double.

#include <cstddef>
#include <vector>

namespace quill {

// F at x into out; false when a product or a sum overflows the double range.
bool evaluatePolynomialAt(const double* a, std::size_t n, double x, double& out);

// F at x, for callers outside a Solve (the plot); raises OverflowError.
double evaluatePolynomial(const std::vector<double>& coefficients, double x);

// F at x[0..count) into fx[0..count). Returns the index of the first x whose
// evaluation overflows (fx from there on is unspecified), count when none does.
std::size_t evaluatePolynomialRange(const double* a, std::size_t n, const double* x, double* fx, std::size_t count);

// The same by the integer model of the 80-bit arithmetic whatever this build
// uses, so that both can be compared in one program.
std::size_t evaluatePolynomialRangeSoft(const double* a, std::size_t n, const double* x, double* fx, std::size_t count);

}  // namespace quill
