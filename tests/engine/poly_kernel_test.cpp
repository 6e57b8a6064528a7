#include "engine/poly_kernel.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "common/error.h"

namespace quill {
namespace {

uint64_t bitsOf(double d) { return std::bit_cast<uint64_t>(d); }

// Values that reach every road of the short evaluation: full significands,
// short decimals whose products and sums are exact or halfway, zeros, and
// magnitudes at both ends of the double range.
double randomValue(std::mt19937_64& random, int exponentSpread) {
    switch (random() % 8) {
        case 0: return 0.0;
        case 1: return double(int64_t(random() % 2001) - 1000) / 8;
        case 2:  // near 2^53, where sums of integers land halfway
            return std::ldexp(double((random() % 64) + (uint64_t(1) << 52)), int(random() % 4));
        case 3: return std::bit_cast<double>(random() % 0x0010000000000000ull);  // subnormal
        default: {
            const int e = int(random() % (2 * exponentSpread + 1)) - exponentSpread;
            const double d = std::ldexp(double((random() >> 11) | (uint64_t(1) << 52)), e - 52);
            return random() % 2 ? -d : d;
        }
    }
}

// Both kernels against the rule one operation at a time: every x alone, and
// each batch as a whole, which must stop at its first overflow.
TEST(PolynomialKernel, KernelsAgreeWithTheRuleOneOperationAtATime) {
    std::mt19937_64 random(99);
    int overflows = 0;
    for (int round = 0; round < 4000; ++round) {
        const int spread = round % 4 == 0 ? 1100 : round % 4 == 1 ? 120 : 8;
        std::vector<double> a(1 + random() % 12);
        for (double& c : a) c = randomValue(random, spread);
        if (round % 5 == 0) a[random() % a.size()] = std::bit_cast<double>(random() % 0x0010000000000000ull);
        std::vector<double> x(1 + random() % 50), expected(x.size()), got(x.size());
        std::size_t first = x.size();
        for (std::size_t j = 0; j < x.size(); ++j) {
            x[j] = randomValue(random, spread);
            const bool ok = evaluatePolynomialAt(a.data(), a.size(), x[j], expected[j]);
            if (!ok && first == x.size()) first = j;
            overflows += !ok;
            double alone = 0;
            ASSERT_EQ(evaluatePolynomialRangeSoft(a.data(), a.size(), &x[j], &alone, 1), ok ? 1u : 0u) << x[j];
            if (ok) {
                ASSERT_EQ(std::bit_cast<uint64_t>(alone), std::bit_cast<uint64_t>(expected[j])) << x[j];
            }
        }
        for (auto kernel : {evaluatePolynomialRange, evaluatePolynomialRangeSoft}) {
            ASSERT_EQ(kernel(a.data(), a.size(), x.data(), got.data(), x.size()), first);
            for (std::size_t j = 0; j < first; ++j) {
                ASSERT_EQ(std::bit_cast<uint64_t>(got[j]), std::bit_cast<uint64_t>(expected[j])) << x[j];
            }
        }
    }
    EXPECT_GT(overflows, 100);
}

// The first x that overflows is the one reported, whichever road found it.
TEST(PolynomialKernel, RangeStopsAtTheFirstOverflow) {
    const double a[] = {1.0, 0.0, 1.0};
    const double x[] = {2.0, 3.0, 1e200, 1e300, 5.0};
    double fx[5];
    EXPECT_EQ(evaluatePolynomialRange(a, 3, x, fx, 5), 2u);
    EXPECT_EQ(evaluatePolynomialRangeSoft(a, 3, x, fx, 5), 2u);
    EXPECT_EQ(fx[1], 10.0);
}

TEST(PolynomialKernel, RoundsEachProductAndSumTwice) {
    // Exact products and sums whose 64-bit rounding lands on a tie for the
    // 53-bit one: plain double arithmetic gives the neighbouring double.
    const double pa = 0x1.4a5b9330c5532p+0, pb = 0x1.e868ac9c00d07p+0;
    const double tiny = 0x1.00002p-53;  // 2^-53 + 2^-70
    ASSERT_NE(pa * pb, 0x1.3b22d243cddbp+1);
    ASSERT_NE(1.0 + tiny, 1.0);
    struct Case {
        std::vector<double> a;
        double x, f;
    };
    const Case cases[] = {
        {{1, 2, 3}, 2, 17},
        {{}, 5, 0},
        {{5, 1}, 0, 5},
        {{5, 0}, 1e308, 5},  // the constant term is never multiplied
        {{-0.0}, 3, 0.0},    // the sum starts from +0
        {{5, 1}, -0.0, 5},
        {{0, 1, 1}, -1, 0},              // -1 + 1
        {{0, 0, 1e-300}, 1e200, 1e100},  // coefficient times x, then x: no x^2 on its own
        {{1, 0x1p-53, 0x1p-53}, 1, 1},   // ascending: each half-ulp tie goes back to 1
        {{0, pa}, pb, 0x1.3b22d243cddbp+1},
        {{1, tiny}, 1, 1},
        {{DBL_MAX, 0x1p969}, 1, DBL_MAX},  // below half an ulp of the largest double
        {{0, 1e-200}, 1e-200, 0},          // underflow is silent
        // Just under the midpoint below 1: the 64-bit rounding lands on it,
        // and the tie goes up to 1 (a double sum gives 1 - 2^-53).
        {{1 - 0x1p-53, 0x1p-54 - 0x1p-66}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(bitsOf(evaluatePolynomial(c.a, c.x)), bitsOf(c.f));
        // Four of each x, for the kernels that take x values side by side.
        const double x[4] = {c.x, c.x, c.x, c.x};
        for (auto kernel : {evaluatePolynomialRange, evaluatePolynomialRangeSoft}) {
            double fx[4];
            ASSERT_EQ(kernel(c.a.data(), c.a.size(), x, fx, 4), 4u);
            EXPECT_EQ(bitsOf(fx[3]), bitsOf(c.f));
        }
    }
    // Overflow in a product, in a sum, and in a sum that is a tie rounding up.
    const Case overflowing[] = {{{0, 1e200}, 1e200, 0}, {{DBL_MAX, DBL_MAX}, 1, 0}, {{DBL_MAX, 0x1p970}, 1, 0}};
    for (const Case& c : overflowing) EXPECT_THROW(evaluatePolynomial(c.a, c.x), OverflowError);
}

}  // namespace
}  // namespace quill
