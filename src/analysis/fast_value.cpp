#include "fast_value.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace quill::analysis {

namespace {

constexpr double kUnit = 0x1p-53;          // the unit roundoff of double
constexpr double kSplitter = 134217729.0;  // 2^27 + 1
// Inside these magnitudes (or zero) the error-free products below are
// exact: no overflow in the splitting, no underflow in the error term.
constexpr double kSmallest = 0x1p-400, kLargest = 0x1p995;
// Margins that cover the roundings of the bound arithmetic itself.
constexpr double kDown = 1.0 - 0x1p-48, kUp = 1.0 + 0x1p-48;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The largest scaled coefficient lies between 2^kLowestTop and
// 2^kHighestTop (a little below kLargest): no scaling between them, so
// that ordinary coefficients are used as they are.
constexpr int kHighestTop = 990, kLowestTop = -300;
// Per Horner step, u times this covers the rounding of a scaled coefficient
// into the subnormal range (at most 2^-1075 each).
constexpr double kScaledRounding = 0x1p-1021;

// 10^0 … 10^17, every one exactly a double.
constexpr double kPowersOfTen[18] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                     1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

inline bool usable(double v) {
    const double m = std::fabs(v);
    return m == 0.0 || (m >= kSmallest && m <= kLargest);
}

// a + b = s + e exactly.
inline void twoSum(double a, double b, double& s, double& e) {
    s = a + b;
    const double bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

inline void split(double a, double& high, double& low) {
    const double c = kSplitter * a;
    high = c - (c - a);
    low = a - high;
}

int countFor(double q) {
    int k = 0;
    while (k < 17 && q >= kPowersOfTen[k + 1]) ++k;
    return k;
}

}  // namespace

int digitsForRatio(double low, double high) {
    if (std::isnan(low) || std::isnan(high)) return -1;
    const int a = countFor(low), b = countFor(high);
    return a == b ? a : -1;
}

namespace {

// The verdict for G with its coefficients a[0..n), each of magnitude at
// most kLargest; rounded: they carry the roundings of their scaling.
FastVerdict scaledVerdict(const double* a, std::size_t n, double x, double y, bool rounded) {
    FastVerdict v;
    if (n == 0) {  // F = 0
        v.decided = true;
        v.digits = y == 0.0 ? 17 : 0;
        return v;
    }
    if (!usable(x)) return v;

    // Compensated Horner: s carries the plain Horner value; the rounding
    // errors of each product and sum (π, σ: exact by the error-free
    // transformations) make up a second polynomial, evaluated into c. Then
    // F(x) = s + c* exactly, where c* is c without its own roundings, and
    // |c − c*| ≤ u·g: each step's roundings cost at most u·(|c| + |t| + |b|)
    // plus 2^−1075 for an underflow, and the error so far is multiplied by x.
    double xHigh, xLow;
    split(x, xHigh, xLow);
    const double ax = std::fabs(x);
    const double extra = rounded ? kScaledRounding : 0.0;
    double s = a[n - 1], c = 0.0, g = extra;
    bool exact = !rounded;
    for (std::size_t i = n - 1; i-- > 0;) {
        if (!usable(s)) return v;
        const double p = s * x;
        if (!(std::fabs(p) <= kLargest)) return v;
        double sHigh, sLow;
        split(s, sHigh, sLow);
        const double pi = ((sHigh * xHigh - p) + sHigh * xLow + sLow * xHigh) + sLow * xLow;
        double sigma;
        twoSum(p, a[i], s, sigma);
        const double t = c * x, b = pi + sigma;
        c = t + b;
        g = g * ax + ((((std::fabs(c) + std::fabs(t)) + std::fabs(b)) + 0x1p-1022) + extra);
        exact = exact && pi == 0.0 && sigma == 0.0;
    }
    if (!usable(s) || !std::isfinite(c) || !std::isfinite(g)) return v;

    double high, low, bound;
    if (exact) {  // every step was exact: F(x) = s
        high = s == 0.0 ? 0.0 : s;
        low = 0.0;
        bound = 0.0;
    } else {
        // u·g, widened for the roundings in g's own sums and products.
        const double widen = 1.0 + (16.0 * double(n) + 64.0) * kUnit;
        bound = g * kUnit * widen + 0x1p-1070;
        twoSum(s, c, high, low);  // s + c = high + low exactly
        // The nearest double is high when F(x) stays strictly between the
        // midpoints to high's neighbours.
        const double magnitude = std::fabs(high);
        if (!(magnitude >= 0x1p-1000 && magnitude <= 0x1p1020)) return v;
        const double up = std::nextafter(high, kInfinity) - high;
        const double down = high - std::nextafter(high, -kInfinity);
        if (!(up * 0.5 - low > bound && down * 0.5 + low > bound)) return v;
    }
    if (!std::isfinite(y) || (high == 0.0 && exact)) {  // no digit of an infinity or NaN is right
        v = {true, high, std::uint8_t(y == 0.0 ? 17 : 0)};
        return v;
    }
    if (!(std::fabs(y) <= 0x1p1020)) return v;

    // |F(x)| within [aLow, aHigh]; |y − F(x)| within [dLow, dHigh].
    const double aLow = std::fmax((std::fabs(high) - (std::fabs(low) + bound)) * kDown, 0.0);
    const double aHigh = (std::fabs(high) + (std::fabs(low) + bound)) * kUp;
    double d1, e1;
    twoSum(y, -high, d1, e1);  // y − high = d1 + e1 exactly
    const double w = e1 - low;
    const double dd = std::fabs(d1 + w);
    const double slack = (std::fabs(w) * 0x1p-50 + bound) * kUp;
    const double dLow = dd * kDown - slack;
    const double dHigh = (dd + slack) * kUp;
    const double qLow = dHigh == 0.0 ? kInfinity : aLow / dHigh * kDown;
    const double qHigh = dLow <= 0.0 ? kInfinity : aHigh / dLow * kUp;
    const int digits = digitsForRatio(qLow, qHigh);
    if (digits < 0) return v;
    v = {true, high, std::uint8_t(digits)};
    return v;
}

}  // namespace

FastRoad::FastRoad(std::span<const double> a) {
    int top = INT_MIN;
    for (const double c : a)
        if (c != 0.0) top = std::max(top, std::ilogb(c));
    if (top > kHighestTop) {
        shift_ = top - kHighestTop;
    } else if (top != INT_MIN && top < kLowestTop) {
        shift_ = top;  // the largest into [1, 2): exact, nothing is that small
    }
    scaled_.reserve(a.size());
    for (const double c : a) {
        const double s = std::ldexp(c, -shift_);
        rounded_ = rounded_ || std::ldexp(s, shift_) != c;
        scaled_.push_back(s);
    }
}

FastVerdict FastRoad::verdict(double x, double y) const {
    if (shift_ == 0) return scaledVerdict(scaled_.data(), scaled_.size(), x, y, rounded_);
    // The ratio of the count does not change with the scale: y is scaled
    // with F, where that is exact.
    const double scaledY = std::ldexp(y, -shift_);
    if (std::isfinite(y) && std::ldexp(scaledY, shift_) != y) return {};
    FastVerdict v = scaledVerdict(scaled_.data(), scaled_.size(), x, scaledY, rounded_);
    if (!v.decided || v.exact == 0.0) return v;
    // Rounding to nearest commutes with the power of two while the value
    // stays normal and finite on both scales.
    const double exact = std::ldexp(v.exact, shift_);
    if (!(std::fabs(exact) >= 0x1p-1000 && std::fabs(exact) <= 0x1p1020)) return {};
    v.exact = exact;
    return v;
}

}  // namespace quill::analysis
