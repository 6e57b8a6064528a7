// Text to double: the pane conversion (80-bit steps, then the store) beside
// glibc strtod and fast_float, on the same texts.
#include <benchmark/benchmark.h>
#include <fast_float/fast_float.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "numtext/parse.h"

namespace {

enum TextSet { kPlain, kWithExponent, kMixed };

// Typical pane values: 1 to 17 significant digits, a separator somewhere or
// nowhere, and (in the exponent sets) an exponent of up to three digits.
std::vector<std::string> makeTexts(TextSet set) {
    std::mt19937_64 random(42);
    std::vector<std::string> texts;
    for (int i = 0; i < 4096; ++i) {
        std::string s = random() % 4 == 0 ? "-" : "";
        const int digits = 1 + int(random() % 17);
        std::string mantissa;
        mantissa += char('1' + random() % 9);
        for (int k = 1; k < digits; ++k) mantissa += char('0' + random() % 10);
        const int point = int(random() % (digits + 1));
        if (point == 0) s += "0";
        s += mantissa.substr(0, point);
        if (point < digits) s += "." + mantissa.substr(point);
        const bool exponent = set == kWithExponent || (set == kMixed && random() % 2);
        if (exponent) s += "e" + std::to_string(int(random() % 561) - 280);  // stays within doubles
        texts.push_back(s);
    }
    return texts;
}

template <typename Convert>
void run(benchmark::State& state, Convert convert) {
    const std::vector<std::string> texts = makeTexts(static_cast<TextSet>(state.range(0)));
    std::size_t count = 0;
    for (auto _ : state) {
        double sum = 0;
        for (const std::string& t : texts) sum += convert(t);
        benchmark::DoNotOptimize(sum);
        count += texts.size();
    }
    // Seconds per number, printed with its prefix ("14.2n" is 14.2 ns).
    state.counters["per_number"] =
        benchmark::Counter(double(count), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(int64_t(count));
}

void BM_Quill(benchmark::State& state) {
    run(state, [](const std::string& t) { return quill::textToDouble(t, '.'); });
}
void BM_Strtod(benchmark::State& state) {
    run(state, [](const std::string& t) { return std::strtod(t.c_str(), nullptr); });
}
void BM_FastFloat(benchmark::State& state) {
    run(state, [](const std::string& t) {
        double d = 0;
        fast_float::from_chars(t.data(), t.data() + t.size(), d);
        return d;
    });
}

// 0: no exponent, 1: every text with an exponent, 2: half and half.
BENCHMARK(BM_Quill)->Arg(kPlain)->Arg(kWithExponent)->Arg(kMixed);
BENCHMARK(BM_Strtod)->Arg(kPlain)->Arg(kWithExponent)->Arg(kMixed);
BENCHMARK(BM_FastFloat)->Arg(kPlain)->Arg(kWithExponent)->Arg(kMixed);

}  // namespace
