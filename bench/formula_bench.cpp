// The certified fit and inverse at the sizes people calibrate with: a million
// measured points fitted at degree 5 and 10, and a million y values read back
// through a degree-10 calibration curve that is monotone on its interval;
// the Solve of a million x values beside them for scale.
//   build/bin/formula_bench

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/fit.h"
#include "analysis/formula.h"
#include "analysis/inverse.h"
#include "engine/evaluate.h"

namespace {

constexpr std::size_t kPoints = 1000000;

// A thermocouple-like curve on [0, 10]: increasing, degree 10.
const std::vector<double> kCalibration = {0.0, 2.5, -0.3, 0.05, 1e-3, 1e-4, 2e-5, 1e-6, 3e-7, 1e-8, 1e-9};

struct Points {
    std::vector<double> x, y;
};

const Points& points() {
    static const Points p = [] {
        Points out;
        std::mt19937_64 random(5);
        std::uniform_real_distribution<double> where(0.0, 10.0);
        std::normal_distribution<double> noise(0.0, 1e-3);
        for (std::size_t i = 0; i < kPoints; ++i) {
            const double x = where(random);
            double y = 0.0;
            for (std::size_t k = kCalibration.size(); k-- > 0;) y = y * x + kCalibration[k];
            out.x.push_back(x);
            out.y.push_back(y + noise(random));
        }
        return out;
    }();
    return p;
}

void BM_Fit(benchmark::State& state) {
    const Points& p = points();
    for (auto _ : state)
        benchmark::DoNotOptimize(quill::fitPolynomial(p.x, p.y, {}, int(state.range(0))).coefficients.data());
}
BENCHMARK(BM_Fit)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Inverse(benchmark::State& state) {
    const Points& p = points();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            quill::invertPolynomial(kCalibration, p.y, quill::InverseInterval{0.0, 10.0}).roots.data());
}
BENCHMARK(BM_Inverse)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SolveBeside(benchmark::State& state) {
    const Points& p = points();
    std::vector<double> fx(kPoints);
    for (auto _ : state) quill::evaluate(kCalibration.data(), kCalibration.size(), p.x.data(), fx.data(), kPoints);
}
BENCHMARK(BM_SolveBeside)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExpandPower(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(quill::expandFormula("(0.1x - 0.3)^1000 (2x + 1)", '.').data());
}
BENCHMARK(BM_ExpandPower)->Unit(benchmark::kMillisecond);

}  // namespace
