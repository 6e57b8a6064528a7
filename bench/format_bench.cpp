// Double to text: the report conversion (80-bit scaling, 15 digits, general
// layout) beside glibc snprintf("%.15g") and std::to_chars(general, 15), on
// the same doubles.
#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "numtext/format.h"

namespace {

// Report-like values: short decimals, long fractions, integers, and a few of
// every magnitude the double range has.
std::vector<double> makeDoubles() {
    std::mt19937_64 random(42);
    std::vector<double> values;
    for (int i = 0; i < 4096; ++i) {
        double d;
        switch (i % 4) {
            case 0:  // up to 15 significant digits, exponent -30..30
                d = static_cast<double>(random() % 1000000000000000ULL) *
                    std::pow(10.0, static_cast<int>(random() % 61) - 45);
                break;
            case 1:  // full-precision values of moderate size
                d = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 80) - 93);
                break;
            case 2:  // integers
                d = static_cast<double>(static_cast<int64_t>(random() % 2000001) - 1000000);
                break;
            default:  // any finite bit pattern
                do d = std::bit_cast<double>(random());
                while (!std::isfinite(d));
                break;
        }
        if (random() % 3 == 0) d = -d;
        values.push_back(d);
    }
    return values;
}

template <typename Convert>
void run(benchmark::State& state, Convert convert) {
    const std::vector<double> values = makeDoubles();
    char buffer[64];
    std::size_t count = 0;
    for (auto _ : state) {
        std::size_t total = 0;
        for (double d : values) total += convert(d, buffer);
        benchmark::DoNotOptimize(total);
        benchmark::ClobberMemory();
        count += values.size();
    }
    // Seconds per number, printed with its prefix ("31.5n" is 31.5 ns).
    state.counters["per_number"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DoubleToText(benchmark::State& state) {
    run(state, [](double d, char* out) { return quill::doubleToText(d, '.', out); });
}

void BM_Snprintf15g(benchmark::State& state) {
    run(state, [](double d, char* out) { return static_cast<std::size_t>(std::snprintf(out, 64, "%.15g", d)); });
}

void BM_ToCharsGeneral15(benchmark::State& state) {
    run(state, [](double d, char* out) {
        return static_cast<std::size_t>(std::to_chars(out, out + 64, d, std::chars_format::general, 15).ptr - out);
    });
}

BENCHMARK(BM_DoubleToText);
BENCHMARK(BM_Snprintf15g);
BENCHMARK(BM_ToCharsGeneral15);

}  // namespace
