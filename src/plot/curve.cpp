#include "plot/curve.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/poly_kernel.h"

namespace quill::plot {

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double curveValue(const std::vector<double>& coefficients, double x) noexcept {
    if (!std::isfinite(x)) return kGap;
    try {
        return evaluatePolynomial(coefficients, x);
    } catch (...) {  // OverflowError is the one error evaluation raises
        return kGap;
    }
}

double quickCurveValue(const std::vector<double>& coefficients, double x) noexcept {
    if (!std::isfinite(x)) return kGap;
    double sum = 0.0, power = 1.0;
    for (std::size_t i = 0; i < coefficients.size(); ++i) {
        const double term = i == 0 ? coefficients[0] : coefficients[i] * power;
        sum = term + sum;
        power *= x;
    }
    // An infinite power times a zero coefficient makes NaN, which is a gap too.
    return std::isfinite(sum) ? sum : kGap;
}

CurveSamples sampleCurve(const std::vector<double>& coefficients, const LinearMap& xmap, const YMap& ymap, double u0,
                         double u1, std::size_t columns) {
    CurveSamples samples;
    const double n = static_cast<double>(coefficients.size());
    std::size_t count = std::max<std::size_t>(columns, 1) + 1;
    const double exactCost = n * (n + 1) / 2 * static_cast<double>(count);
    samples.exact = exactCost <= kExactCurveBudget;
    if (!samples.exact && n * static_cast<double>(count) > kQuickCurveBudget) {
        count = std::max<std::size_t>(2, static_cast<std::size_t>(kQuickCurveBudget / n));
    }

    samples.u.resize(count);
    samples.v.resize(count);
    const double last = static_cast<double>(count - 1);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / last;
        // Both ends exact, and no overflow of u1 - u0.
        const double u = i + 1 == count ? u1 : u0 * (1 - t) + u1 * t;
        const double x = xmap.toRealUnclamped(u);  // past the double range: a gap
        const double y = samples.exact ? curveValue(coefficients, x) : quickCurveValue(coefficients, x);
        samples.u[i] = u;
        samples.v[i] = ymap.toView(y);
    }
    return samples;
}

}  // namespace quill::plot
