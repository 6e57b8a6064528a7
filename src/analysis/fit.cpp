#include "analysis/fit.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/poly_kernel.h"
#include "exact_ratio.h"
#include "exact_solve.h"
#include "flint_handles.h"
#include "power_sums.h"

namespace quill {

using namespace analysis;

namespace {

void checkPoints(std::span<const double> x, std::span<const double> y, std::span<const double> w, int degree) {
    if (degree < 0 || degree > kMaxFitDegree) throw FitError(fitDegreeRule());
    if (x.size() != y.size() || (!w.empty() && w.size() != x.size()))
        throw FitError("x, y and the weights must be of one length");
    std::vector<double> distinct;  // up to degree + 1 of them
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]) || (!w.empty() && !std::isfinite(w[i])))
            throw FitError("point " + std::to_string(i + 1) + " is not finite");
        if (!w.empty() && w[i] < 0.0) throw FitError("point " + std::to_string(i + 1) + " has a negative weight");
        if ((w.empty() || w[i] > 0.0) && distinct.size() <= std::size_t(degree) &&
            std::find(distinct.begin(), distinct.end(), x[i] + 0.0) == distinct.end())
            distinct.push_back(x[i] + 0.0);
    }
    if (distinct.size() <= std::size_t(degree))
        throw FitError("a fit of degree " + std::to_string(degree) + " needs at least " + std::to_string(degree + 1) +
                       (degree == 0 ? " distinct x value" : " distinct x values") +
                       (w.empty() ? "" : " of positive weight") + ", and there " +
                       (distinct.size() == 1 ? "is " : "are ") + std::to_string(distinct.size()));
}

// The exact solution of S(j + k)·c(k) = T(j), rounded: a(k) = c(k)·2^(Ey - k·E).
std::vector<double> solveNormalEquations(const PowerSums& sums, int degree, const Stop& stop) {
    const slong n = degree + 1;
    FmpzMat h(n, n), t(n, 1);
    for (slong j = 0; j < n; ++j) {
        for (slong k = 0; k < n; ++k) fmpz_set_mpz(fmpz_mat_entry(h, j, k), sums.s[std::size_t(j + k)]);
        fmpz_set_mpz(fmpz_mat_entry(t, j, 0), sums.t[std::size_t(j)]);
    }
    FmpqMat c(n, 1);
    // The points hold degree + 1 distinct x of positive weight, so the matrix
    // is positive definite.
    if (!solveExactly(c, h, t, stop)) throw FitError("the normal equations are singular");
    std::vector<double> a(static_cast<std::size_t>(n));
    for (slong k = 0; k < n; ++k) {
        const fmpq* ck = fmpq_mat_entry(c, k, 0);
        a[std::size_t(k)] = nearestDoubleOfRatio(fmpq_numref(ck), fmpq_denref(ck), sums.exponentY - k * sums.exponentX);
        if (std::isinf(a[std::size_t(k)]))
            throw FitError("the coefficient of x^" + std::to_string(k) + " is beyond the double range");
    }
    return a;
}

// Compensated sums (Neumaier), so that a million squares lose nothing visible.
class Sum {
public:
    void add(double v) {
        const double t = sum_ + v;
        compensation_ += std::fabs(sum_) >= std::fabs(v) ? (sum_ - t) + v : (v - t) + sum_;
        sum_ = t;
    }
    double value() const { return sum_ + compensation_; }

private:
    double sum_ = 0.0, compensation_ = 0.0;
};

// Σ w, Σ w·r² and Σ w·(y - ȳ)² with every weight divided by weightScale and
// every y and F(x) by scale: with 1 and 1 the plain sums, else sums that
// cannot overflow, whose ratios are those of the plain ones.
struct WeightedSums {
    double weights = 0.0, squares = 0.0, spread = 0.0;
    bool finite() const { return std::isfinite(weights) && std::isfinite(squares) && std::isfinite(spread); }
};

WeightedSums weightedSums(std::span<const double> y, std::span<const double> w, const std::vector<double>& fx,
                          double weightScale, double scale) {
    Sum weights, weightedY;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double wi = (w.empty() ? 1.0 : w[i]) / weightScale;
        weights.add(wi);
        weightedY.add(wi * (y[i] / scale));
    }
    const double mean = weightedY.value() / weights.value();
    Sum squares, spread;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double wi = (w.empty() ? 1.0 : w[i]) / weightScale;
        if (wi == 0.0) continue;
        const double r = y[i] / scale - fx[i] / scale, d = y[i] / scale - mean;
        squares.add(wi * r * r);
        spread.add(wi * d * d);
    }
    return {weights.value(), squares.value(), spread.value()};
}

FitStatistics statistics(std::span<const double> x, std::span<const double> y, std::span<const double> w,
                         const std::vector<double>& a) {
    FitStatistics out;
    out.count = x.size();
    // F(x) as the Solve forms it; where that overflows, the residual is infinite.
    std::vector<double> fx(x.size());
    for (std::size_t from = 0; from < x.size();) {
        const std::size_t at =
            from + evaluatePolynomialRange(a.data(), a.size(), x.data() + from, fx.data() + from, x.size() - from);
        if (at < x.size()) fx[at] = y[at] > 0 ? -HUGE_VAL : HUGE_VAL;
        from = at + 1;
    }
    double weightScale = 0.0, scale = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double wi = w.empty() ? 1.0 : w[i];
        if (wi == 0.0) continue;
        out.largestResidual = std::max(out.largestResidual, std::fabs(y[i] - fx[i]));
        weightScale = std::max(weightScale, wi);
        scale = std::max({scale, std::fabs(y[i]), std::fabs(fx[i])});
    }
    WeightedSums sums = weightedSums(y, w, fx, 1.0, 1.0);
    // Values or weights near the top of the double range overflow the plain
    // sums; scaled, each term is at most 4.
    double unit = 1.0;
    if (!sums.finite() && std::isfinite(scale)) {
        sums = weightedSums(y, w, fx, weightScale, scale);
        unit = scale;
    }
    out.rmsResidual = std::sqrt(sums.squares / sums.weights) * unit;
    out.rSquared = sums.spread > 0.0 ? 1.0 - sums.squares / sums.spread : sums.squares == 0.0 ? 1.0 : 0.0;
    return out;
}

}  // namespace

std::string fitDegreeRule() { return "the degree must be a whole number from 0 to " + std::to_string(kMaxFitDegree); }

FitResult fitPolynomial(std::span<const double> x, std::span<const double> y, std::span<const double> w, int degree,
                        unsigned threads, const std::atomic<bool>* cancel) {
    checkPoints(x, y, w, degree);
    FitResult out;
    {
        const ThreadCacheRelease release;
        const PowerSums sums = powerSums(x, y, w, degree, threads, cancel);
        out.coefficients = solveNormalEquations(sums, degree, Stop(cancel));
    }
    out.statistics = statistics(x, y, w, out.coefficients);
    return out;
}

}  // namespace quill
