// The cost of the 80-bit arithmetic: number text in and out and an evaluated
// term through quill::Ext80 (whichever path this build chose: run a build with
// QUILL_SOFT_EXT80=ON beside a default one, tools/ext80-bench.sh does both),
// and, where the x87 unit exists, the single operations of both paths side by
// side in this one program.
#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/poly_kernel.h"
#include "numtext/ext80.h"
#include "numtext/format.h"
#include "numtext/parse.h"

namespace {

// Typical pane values: 1 to 17 significant digits, a separator anywhere or
// nowhere, an exponent on half of them.
std::vector<std::string> paneTexts() {
    std::mt19937_64 random(42);
    std::vector<std::string> texts;
    for (int i = 0; i < 4096; ++i) {
        std::string s = random() % 4 == 0 ? "-" : "";
        const int digits = 1 + int(random() % 17);
        std::string mantissa(1, char('1' + random() % 9));
        for (int k = 1; k < digits; ++k) mantissa += char('0' + random() % 10);
        const int point = int(random() % (digits + 1));
        if (point == 0) s += "0";
        s += mantissa.substr(0, point);
        if (point < digits) s += "." + mantissa.substr(point);
        if (random() % 2) s += "e" + std::to_string(int(random() % 561) - 280);
        texts.push_back(s);
    }
    return texts;
}

// Doubles of every magnitude a report shows, and results of arithmetic.
std::vector<double> reportValues() {
    std::mt19937_64 random(7);
    std::vector<double> values;
    for (int i = 0; i < 4096; ++i) {
        const uint64_t bits = (random() & 0x800FFFFFFFFFFFFFull) | ((uint64_t(1023 - 200 + random() % 400)) << 52);
        values.push_back(std::bit_cast<double>(bits));
    }
    return values;
}

void perItem(benchmark::State& state, std::size_t perIteration) {
    const double count = double(state.iterations()) * double(perIteration);
    state.counters["ns_each"] = benchmark::Counter(count, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_TextToNumber(benchmark::State& state) {
    const std::vector<std::string> texts = paneTexts();
    for (auto _ : state) {
        double sum = 0;
        for (const std::string& t : texts) sum += quill::textToDouble(t, '.');
        benchmark::DoNotOptimize(sum);
    }
    perItem(state, texts.size());
}
BENCHMARK(BM_TextToNumber);

void BM_DoubleToText(benchmark::State& state) {
    const std::vector<double> values = reportValues();
    char out[quill::kMaxDoubleTextLength];
    for (auto _ : state) {
        std::size_t length = 0;
        for (const double v : values) length += quill::doubleToText(v, '.', out);
        benchmark::DoNotOptimize(length);
        benchmark::DoNotOptimize(out);
    }
    perItem(state, values.size());
}
BENCHMARK(BM_DoubleToText);

// One term of the evaluation: a product and a sum, each stored into a double.
template <class T>
void BM_EvaluatedTerm(benchmark::State& state) {
    const std::vector<double> values = reportValues();
    for (auto _ : state) {
        double s = 0;
        for (std::size_t i = 0; i + 1 < values.size(); ++i) {
            const double p = T::mulDoubles(values[i], values[i + 1]).value;
            s = T::addDoubles(p, s).value;
        }
        benchmark::DoNotOptimize(s);
    }
    perItem(state, values.size() - 1);
}
BENCHMARK_TEMPLATE(BM_EvaluatedTerm, quill::Ext80);

// A whole polynomial of ten coefficients as the evaluation forms it: each
// a(i) * x^i multiplied left to right, the terms summed from +0, every
// product and sum stored into a double (45 products and 10 sums per x).
template <class T>
void BM_EvaluatedPolynomial(benchmark::State& state) {
    const double a[10] = {1.5, -0.25, 3.5, -0.75, 5.5, -1.25, 7.5, -1.75, 9.5, -2.25};
    std::mt19937_64 random(3);
    std::vector<double> xs;
    for (int i = 0; i < 1024; ++i) xs.push_back(double(int64_t(random() % 2000001) - 1000000) / 1e5);
    for (auto _ : state) {
        double total = 0;
        for (const double x : xs) {
            double s = 0;
            for (int i = 0; i < 10; ++i) {
                double r = a[i];
                for (int k = 0; k < i; ++k) r = T::mulDoubles(r, x).value;
                s = T::addDoubles(r, s).value;
            }
            total += s;
        }
        benchmark::DoNotOptimize(total);
    }
    perItem(state, xs.size());
}
BENCHMARK_TEMPLATE(BM_EvaluatedPolynomial, quill::Ext80);

// The same polynomial through the evaluation's kernel: the one this build
// uses, and the integer model's (the aarch64 road) beside it.
template <std::size_t (*Kernel)(const double*, std::size_t, const double*, double*, std::size_t)>
void BM_PolynomialKernel(benchmark::State& state) {
    const double a[10] = {1.5, -0.25, 3.5, -0.75, 5.5, -1.25, 7.5, -1.75, 9.5, -2.25};
    std::mt19937_64 random(3);
    std::vector<double> xs, fx(1024);
    for (int i = 0; i < 1024; ++i) xs.push_back(double(int64_t(random() % 2000001) - 1000000) / 1e5);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Kernel(a, 10, xs.data(), fx.data(), xs.size()));
        benchmark::ClobberMemory();
    }
    perItem(state, xs.size());
}
BENCHMARK_TEMPLATE(BM_PolynomialKernel, quill::evaluatePolynomialRange);
BENCHMARK_TEMPLATE(BM_PolynomialKernel, quill::evaluatePolynomialRangeSoft);

template <class T>
std::vector<T> extValues() {
    std::vector<T> out;
    for (const double d : reportValues()) out.push_back(T::fromDouble(d));
    return out;
}

// Single operations on independent operands (throughput, not latency).
template <class T>
void BM_Mul(benchmark::State& state) {
    const std::vector<T> v = extValues<T>();
    for (auto _ : state) {
        quill::Ext80Flags flags;
        for (std::size_t i = 0; i + 1 < v.size(); ++i) benchmark::DoNotOptimize(T::mul(v[i], v[i + 1], flags));
    }
    perItem(state, v.size() - 1);
}
template <class T>
void BM_Add(benchmark::State& state) {
    const std::vector<T> v = extValues<T>();
    for (auto _ : state) {
        quill::Ext80Flags flags;
        for (std::size_t i = 0; i + 1 < v.size(); ++i) benchmark::DoNotOptimize(T::add(v[i], v[i + 1], flags));
    }
    perItem(state, v.size() - 1);
}
template <class T>
void BM_Div(benchmark::State& state) {
    const std::vector<T> v = extValues<T>();
    for (auto _ : state) {
        quill::Ext80Flags flags;
        for (std::size_t i = 0; i + 1 < v.size(); ++i) benchmark::DoNotOptimize(T::div(v[i], v[i + 1], flags));
    }
    perItem(state, v.size() - 1);
}
template <class T>
void BM_NarrowToDouble(benchmark::State& state) {
    const std::vector<T> v = extValues<T>();
    for (auto _ : state) {
        for (const T& x : v) benchmark::DoNotOptimize(x.narrowToDouble());
    }
    perItem(state, v.size());
}

BENCHMARK_TEMPLATE(BM_EvaluatedTerm, quill::SoftExt80);
BENCHMARK_TEMPLATE(BM_Mul, quill::SoftExt80);
BENCHMARK_TEMPLATE(BM_Add, quill::SoftExt80);
BENCHMARK_TEMPLATE(BM_Div, quill::SoftExt80);
BENCHMARK_TEMPLATE(BM_NarrowToDouble, quill::SoftExt80);

#if LDBL_MANT_DIG == 64 && !defined(QUILL_SOFT_EXT80)
BENCHMARK_TEMPLATE(BM_EvaluatedTerm, quill::X87Ext80);
BENCHMARK_TEMPLATE(BM_Mul, quill::X87Ext80);
BENCHMARK_TEMPLATE(BM_Add, quill::X87Ext80);
BENCHMARK_TEMPLATE(BM_Div, quill::X87Ext80);
BENCHMARK_TEMPLATE(BM_NarrowToDouble, quill::X87Ext80);
#endif

}  // namespace
