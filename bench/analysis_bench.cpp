// The analysis library: roots of Wilkinson's polynomial of degree 20 (its
// coefficients as doubles), of random polynomials of degree 100 and 1,000,
// and of random small integer coefficients at degree 1,000 and 10,000 (the
// sizes the root search must serve within a second and a minute); and the
// correct-digit counts of 1,000,000 x values with ten coefficients side by
// side with the Solve of the same values, on all cores: the ratio of their
// times is what matters.
//   build/bin/analysis_bench

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "analysis/roots.h"
#include "analysis/trusted_digits.h"
#include "analysis/turning_points.h"
#include "engine/solve.h"

namespace {

std::vector<double> wilkinson(int degree) {
    std::vector<__int128> c(std::size_t(degree) + 1, 0);
    c[0] = 1;
    for (int k = 1; k <= degree; ++k) {
        for (int i = k; i >= 1; --i) c[std::size_t(i)] = c[std::size_t(i) - 1] - __int128(k) * c[std::size_t(i)];
        c[0] *= -k;
    }
    return std::vector<double>(c.begin(), c.end());
}

std::vector<double> randomPolynomial(int degree) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> a(std::size_t(degree) + 1);
    for (double& c : a) c = value(random);
    return a;
}

void BM_RootsWilkinson20(benchmark::State& state) {
    const std::vector<double> a = wilkinson(20);
    for (auto _ : state) benchmark::DoNotOptimize(quill::findRoots(a).roots.data());
}
BENCHMARK(BM_RootsWilkinson20)->Unit(benchmark::kMillisecond);

void BM_RootsRandom(benchmark::State& state) {
    const std::vector<double> a = randomPolynomial(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(quill::findRoots(a).roots.data());
}
BENCHMARK(BM_RootsRandom)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// Integers from −9 to 9, the leading one 1.
std::vector<double> randomIntegers(int degree) {
    std::mt19937_64 random(7);
    std::vector<double> a(std::size_t(degree) + 1);
    for (double& c : a) c = double(int(random() % 19) - 9);
    a.back() = 1.0;
    return a;
}

void BM_RootsRandomIntegers(benchmark::State& state) {
    const std::vector<double> a = randomIntegers(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(quill::findRoots(a).roots.data());
}
BENCHMARK(BM_RootsRandomIntegers)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RootsRandomIntegers)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_TurningPointsRandom(benchmark::State& state) {
    const std::vector<double> a = randomPolynomial(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(quill::findTurningPoints(a).points.data());
}
BENCHMARK(BM_TurningPointsRandom)->Arg(100)->Unit(benchmark::kMillisecond);

// The Solve benchmark's polynomial and x values (solve_bench.cpp).
constexpr int kCoefficients = 10;
constexpr std::size_t kValues = 1000000;

std::vector<double> coefficients() {
    std::vector<double> a;
    for (int i = 0; i < kCoefficients; ++i) a.push_back(i % 2 ? -0.25 * i : 1.5 + i);
    return a;
}

std::vector<double> xValues() {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> value(-10.0, 10.0);
    std::vector<double> x(kValues);
    char buffer[32];
    for (double& v : x) {  // 15 significant digits, as a typed list holds
        std::snprintf(buffer, sizeof buffer, "%.15g", value(random));
        v = std::stod(buffer);
    }
    return x;
}

// The Solve's evaluation and report of the same x values on all cores.
void BM_SolveEvaluateAndFormat(benchmark::State& state) {
    const std::vector<double> a = coefficients(), x = xValues();
    for (auto _ : state) {
        quill::Solve solve(quill::ReportStyle{});
        solve.setX(x);
        solve.compute(a);
        benchmark::DoNotOptimize(solve.reportText().data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(kValues));
}
BENCHMARK(BM_SolveEvaluateAndFormat)->Unit(benchmark::kMillisecond)->UseRealTime();

// The digit counts, F(x) evaluated as the Solve does included.
void BM_SolveDigits(benchmark::State& state) {
    const std::vector<double> a = coefficients(), x = xValues();
    std::vector<double> reported(kValues), exact(kValues);
    std::vector<std::uint8_t> digits(kValues);
    for (auto _ : state) {
        quill::checkSolveDigits(a, x, reported, exact, digits);
        benchmark::DoNotOptimize(digits.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(kValues));
}
BENCHMARK(BM_SolveDigits)->Unit(benchmark::kMillisecond)->UseRealTime();

// The hardest case: every x next to the 10-fold root of the expanded
// (x − 1)^10, where no double bound decides and exact arithmetic does all.
void BM_SolveDigitsNearRoot(benchmark::State& state) {
    const std::vector<double> a = {1, -10, 45, -120, 210, -252, 210, -120, 45, -10, 1};
    std::vector<double> x(kValues), reported(kValues), exact(kValues);
    for (std::size_t j = 0; j < kValues; ++j) x[j] = 1.0 + std::ldexp(double(j) - double(kValues / 2), -30);
    std::vector<std::uint8_t> digits(kValues);
    for (auto _ : state) {
        quill::checkSolveDigits(a, x, reported, exact, digits);
        benchmark::DoNotOptimize(digits.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(kValues));
}
BENCHMARK(BM_SolveDigitsNearRoot)->Unit(benchmark::kMillisecond)->UseRealTime();

// The digit counts of values already computed.
void BM_Digits(benchmark::State& state) {
    const std::vector<double> a = coefficients(), x = xValues();
    std::vector<double> reported(kValues), exact(kValues);
    std::vector<std::uint8_t> digits(kValues);
    quill::checkSolveDigits(a, x, reported, exact, digits);
    for (auto _ : state) {
        quill::checkDigits(a, x, reported, exact, digits);
        benchmark::DoNotOptimize(digits.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(kValues));
}
BENCHMARK(BM_Digits)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
