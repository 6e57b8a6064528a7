// The cost of a Solve per x value for ten coefficients, and of its three
// stages, at 1e4, 1e5 and 1e6 x values: the time per item should stay flat.
// The second argument is the thread count (0: one per processor). And the
// work split: a thousand coefficients at a thousand x values, on one thread
// and on all.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/evaluate.h"
#include "engine/list_reader.h"
#include "engine/solve.h"
#include "solve_report.h"

namespace {

constexpr int kCoefficients = 10;

std::string coefficientText(int count = kCoefficients) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(i % 2 ? -0.25 * i : 1.5 + i) + "\r\n";
    return text;
}

// x values in [-limit, limit] with 15 significant digits, as a typed list would hold.
std::string xText(int64_t count, double limit = 10.0) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> value(-limit, limit);
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 20);
    char buffer[32];
    for (int64_t i = 0; i < count; ++i) {
        const int n = std::snprintf(buffer, sizeof buffer, "%.15g\r\n", value(random));
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

quill::SolveControl threads(const benchmark::State& state) {
    quill::SolveControl control;
    control.threads = static_cast<unsigned>(state.range(1));
    return control;
}

void BM_Solve(benchmark::State& state) {
    const std::string an = coefficientText(), x = xText(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string report = quill::test::solveReport(an, x, {}, threads(state));
        bytes = report.size();
        benchmark::DoNotOptimize(report.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["report_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Solve)->ArgsProduct({{10000, 100000, 1000000}, {1, 0}})->Unit(benchmark::kMillisecond);

void BM_ReadXList(benchmark::State& state) {
    const std::string x = xText(state.range(0));
    for (auto _ : state) {
        quill::Solve solve({}, threads(state));
        solve.addXText(x);
        solve.finishX();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadXList)->ArgsProduct({{10000, 1000000}, {1, 0}})->Unit(benchmark::kMillisecond);

void BM_ComputeFx(benchmark::State& state) {
    const std::vector<double> a = quill::readList(coefficientText(), '.');
    const std::vector<double> x = quill::readList(xText(state.range(0)), '.');
    std::vector<double> fx(x.size());
    for (auto _ : state) quill::evaluate(a.data(), a.size(), x.data(), fx.data(), x.size(), threads(state).threads);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ComputeFx)->ArgsProduct({{10000, 1000000}, {1, 0}})->Unit(benchmark::kMillisecond);

void BM_ShowResult(benchmark::State& state) {
    quill::Solve solve({}, threads(state));
    solve.addXText(xText(state.range(0)));
    solve.finishX();
    solve.compute(quill::readList(coefficientText(), '.'));
    for (auto _ : state) {
        const std::string report = solve.reportText();
        benchmark::DoNotOptimize(report.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ShowResult)->ArgsProduct({{10000, 1000000}, {1, 0}})->Unit(benchmark::kMillisecond);

// Half a billion multiplications on few x values: the work, not the count,
// decides the threads.
void BM_ManyCoefficients(benchmark::State& state) {
    const std::string an = coefficientText(1000), x = xText(state.range(0), 1.0);
    for (auto _ : state) benchmark::DoNotOptimize(quill::test::solveReport(an, x, {}, threads(state)).size());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ManyCoefficients)->ArgsProduct({{1000}, {1, 2}})->Unit(benchmark::kMillisecond);

}  // namespace
