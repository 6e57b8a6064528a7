#include "plot/ticks.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace quill::plot {

namespace {

double powerOfTen(int e) {
    const double p = std::pow(10.0, e);
    return p > 0.0 ? p : std::ldexp(1.0, -1074);  // below the smallest subnormal
}

// 1, 2, 5 or 10 times a power of ten, at least raw (a positive finite value).
double roundStep(double raw) {
    const int e = static_cast<int>(std::floor(std::log10(raw)));
    const double p = powerOfTen(e);
    const double f = raw / p;
    for (const double m : {1.0, 2.0, 5.0}) {
        if (f <= m) return m * p;
    }
    const double step = 10.0 * p;
    return step <= DBL_MAX ? step : raw;
}

}  // namespace

std::vector<double> linearTicks(double lo, double hi, int maxCount) {
    std::vector<double> ticks;
    if (!(std::isfinite(lo) && std::isfinite(hi) && lo < hi)) return ticks;
    const double n = std::max(maxCount, 2);
    // The difference first: exact for small values, where dividing each end
    // would round subnormals together. Across the whole range it overflows;
    // then each end first, each term at most half the range.
    const double width = hi - lo;
    double raw = width <= DBL_MAX ? width / n : hi / n - lo / n;
    if (raw == 0.0) raw = std::ldexp(1.0, -1074);  // a few subnormals wide: every one a tick
    const double step = roundStep(raw);
    const double first = std::ceil(lo / step);
    const double last = std::floor(hi / step);
    const double limit = 2 * n + 2;
    if (!(last - first < limit)) return ticks;
    // Counting with an integer keeps the loop finite where first + 1 would
    // round back to first (a range of a few units in the last place).
    for (int k = 0; first + k <= last && k < limit; ++k) {
        const double t = (first + k) * step;
        if (t < lo || t > hi) continue;
        if (!ticks.empty() && t <= ticks.back()) continue;
        ticks.push_back(t);
    }
    return ticks;
}

std::vector<double> symlogTicks(const SymlogMap& map, double v0, double v1, int maxCount) {
    std::vector<double> ticks;
    if (!(std::isfinite(v0) && std::isfinite(v1) && v0 < v1)) return ticks;

    // The decades on one side whose view position lies in [a, b], 0 <= a < b.
    auto decadesIn = [&](double a, double b, int& fromDecade, int& toDecade) {
        const double realLo = map.toReal(a), realHi = map.toReal(b);
        fromDecade = map.decade();
        toDecade = fromDecade - 1;
        if (!(realHi > 0.0)) return 0;
        if (realLo > map.threshold()) fromDecade = static_cast<int>(std::ceil(std::log10(realLo)));
        toDecade = static_cast<int>(std::floor(std::log10(realHi)));
        toDecade = std::min(toDecade, 308);
        while (toDecade >= fromDecade && map.toView(powerOfTen(toDecade)) > b) --toDecade;
        while (fromDecade <= toDecade && map.toView(powerOfTen(fromDecade)) < a) ++fromDecade;
        return std::max(0, toDecade - fromDecade + 1);
    };

    int posFrom = 0, posTo = -1, negFrom = 0, negTo = -1;
    int count = 0;
    if (v1 > 0) count += decadesIn(std::max(v0, 0.0), v1, posFrom, posTo);
    if (v0 < 0) count += decadesIn(std::max(-v1, 0.0), -v0, negFrom, negTo);
    const bool zero = v0 <= 0 && v1 >= 0;

    if (count < 2) {
        // Inside a decade or two: round values of the real range.
        const double lo = map.toReal(v0), hi = map.toReal(v1);
        for (const double t : linearTicks(lo, hi, maxCount)) {
            const double v = map.toView(t);
            if (v >= v0 && v <= v1) ticks.push_back(t);
        }
        return ticks;
    }

    // Every 1st, 2nd, 5th, 10th, 20th... decade, the first that keeps to maxCount.
    int stride = 1;
    for (int scale = 1; count > stride * std::max(maxCount, 1); scale *= 10) {
        for (const int m : {1, 2, 5, 10}) {
            stride = m * scale;
            if (count <= stride * std::max(maxCount, 1)) break;
        }
    }
    auto onStride = [stride](int d) { return ((d % stride) + stride) % stride == 0; };
    for (int d = negTo; d >= negFrom; --d) {
        if (onStride(d)) ticks.push_back(-powerOfTen(d));
    }
    if (zero) ticks.push_back(0.0);
    for (int d = posFrom; d <= posTo; ++d) {
        if (onStride(d)) ticks.push_back(powerOfTen(d));
    }
    return ticks;
}

}  // namespace quill::plot
