#include "plot/axis_map.h"

#include <cfloat>
#include <cmath>

namespace quill::plot {

namespace {

constexpr double kLn10 = 2.302585092994045684;

double clampToDoubleRange(double v) {
    if (v > DBL_MAX) return DBL_MAX;
    if (v < -DBL_MAX) return -DBL_MAX;
    return v;
}

}  // namespace

LinearMap LinearMap::forValues(const double* values, std::size_t count) {
    double largest = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double a = std::fabs(values[i]);
        if (a > largest && a <= DBL_MAX) largest = a;
    }
    return LinearMap(largest > 0.0 ? std::ilogb(largest) : 0);
}

double LinearMap::toView(double real) const { return std::ldexp(real, -shift_); }

double LinearMap::toRealUnclamped(double view) const { return std::ldexp(view, shift_); }

double LinearMap::toReal(double view) const {
    if (std::isnan(view)) return view;
    return clampToDoubleRange(std::ldexp(view, shift_));
}

SymlogMap::SymlogMap(int decade) : decade_(decade), c_(std::pow(10.0, decade)) {
    if (c_ == 0.0) c_ = std::ldexp(1.0, -1074);  // below the subnormals: the smallest one
    if (c_ > DBL_MAX) c_ = DBL_MAX;
    logC_ = std::log10(c_);
}

SymlogMap SymlogMap::forValues(const double* values, std::size_t count) {
    double smallest = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double a = std::fabs(values[i]);
        if (a > 0.0 && a <= DBL_MAX && (smallest == 0.0 || a < smallest)) smallest = a;
    }
    if (smallest == 0.0) return SymlogMap(0);
    int decade = static_cast<int>(std::floor(std::log10(smallest)));
    // log10 may round up across a power of ten; c must not exceed the value.
    if (std::pow(10.0, decade) > smallest) --decade;
    return SymlogMap(decade);
}

double SymlogMap::toView(double real) const {
    if (std::isnan(real)) return real;
    const double a = std::fabs(real);
    const double ratio = a / c_;
    // A ratio beyond the double range (a huge value over a subnormal c) is
    // taken through the logarithms instead.
    const double magnitude = ratio <= DBL_MAX ? std::log1p(ratio) / kLn10 : std::log10(a) - logC_;
    return std::signbit(real) ? -magnitude : magnitude;
}

double SymlogMap::toReal(double view) const {
    if (std::isnan(view)) return view;
    const double v = std::fabs(view);
    double a = c_ * std::expm1(v * kLn10);
    if (!(a <= DBL_MAX)) a = std::exp(v * kLn10 + logC_ * kLn10);  // 10^v alone would overflow
    a = clampToDoubleRange(a);
    return view < 0 ? -a : a;
}

}  // namespace quill::plot
