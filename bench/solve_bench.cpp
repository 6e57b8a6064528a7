// The cost of a Solve per x value for ten coefficients, and of its three
// stages, at 1e4, 1e5 and 1e6 x values: the time per item should stay flat.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "engine/evaluator.h"
#include "lines/list_file.h"

namespace {

constexpr int kCoefficients = 10;

std::string coefficientText() {
    std::string text;
    for (int i = 0; i < kCoefficients; ++i) text += std::to_string(i % 2 ? -0.25 * i : 1.5 + i) + "\r\n";
    return text;
}

// x values in [-10, 10] with 15 significant digits, as a typed list would hold.
std::string xText(int64_t count) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> value(-10.0, 10.0);
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 20);
    char buffer[32];
    for (int64_t i = 0; i < count; ++i) {
        const int n = std::snprintf(buffer, sizeof buffer, "%.15g\r\n", value(random));
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

void BM_Solve(benchmark::State& state) {
    const quill::ByteLineList an(coefficientText()), x(xText(state.range(0)));
    quill::ByteLineList result;
    result.setCapacity(quill::kLoadedCapacity);
    quill::Evaluator evaluator;
    for (auto _ : state) {
        evaluator.solve(an, x, result, true, {});
        benchmark::DoNotOptimize(result.text().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["report_bytes"] = static_cast<double>(result.text().size());
}
BENCHMARK(BM_Solve)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ReadXList(benchmark::State& state) {
    const quill::ByteLineList x(xText(state.range(0)));
    quill::Evaluator evaluator;
    for (auto _ : state) evaluator.readXValues(x, '.');
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadXList)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ComputeFx(benchmark::State& state) {
    quill::Evaluator evaluator;
    evaluator.readCoefficients(quill::ByteLineList(coefficientText()), '.');
    evaluator.readXValues(quill::ByteLineList(xText(state.range(0))), '.');
    for (auto _ : state) evaluator.computeValues();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ComputeFx)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ShowResult(benchmark::State& state) {
    quill::Evaluator evaluator;
    evaluator.readCoefficients(quill::ByteLineList(coefficientText()), '.');
    evaluator.readXValues(quill::ByteLineList(xText(state.range(0))), '.');
    evaluator.computeValues();
    for (auto _ : state) {
        quill::ByteLineList result;
        result.setCapacity(quill::kLoadedCapacity);
        evaluator.writeReport(result, {});
        benchmark::DoNotOptimize(result.text().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ShowResult)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
