#include "plot/axis_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "plot/span.h"

namespace quill::plot {
namespace {

const double kSub = std::ldexp(1.0, -1074);

TEST(LinearMap, LargestMagnitudeLandsInOneToTwoExactlyBothWays) {
    const struct {
        std::vector<double> values;
        int shift;
    } rows[] = {{{}, 0},        {{0.0, NAN, INFINITY}, 0}, {{1.0, -3.0}, 1},
                {{0.001}, -10}, {{DBL_MAX, -1.0}, 1023},   {{kSub, 2 * kSub}, -1073},
                {{kSub}, -1074}};
    for (const auto& row : rows) {
        const LinearMap map = LinearMap::forValues(row.values.data(), row.values.size());
        EXPECT_EQ(map.shift(), row.shift);
        for (const double v : row.values) {
            if (!std::isfinite(v)) continue;
            EXPECT_LT(std::fabs(map.toView(v)), 2.0);
            EXPECT_EQ(map.toReal(map.toView(v)), v) << v;
        }
    }
    EXPECT_EQ(LinearMap(1023).toReal(2.5), DBL_MAX);  // past the range: clamped
    EXPECT_EQ(LinearMap(1023).toReal(-1e200), -DBL_MAX);
}

TEST(SymlogMap, ThresholdIsThePowerOfTenAtOrBelowTheSmallestMagnitude) {
    const struct {
        std::vector<double> values;
        int decade;
    } rows[] = {{{}, 0},          {{0.0, -0.0}, 0}, {{0.5, 100.0}, -1}, {{-0.001, 7.0}, -3}, {{1.0}, 0},
                {{1e-300}, -300}, {{DBL_MAX}, 308}, {{kSub}, -324},     {{9.99e-5}, -5},     {{1e23}, 22}};
    for (const auto& row : rows) {
        EXPECT_EQ(SymlogMap::forValues(row.values.data(), row.values.size()).decade(), row.decade);
    }
}

TEST(SymlogMap, OddIncreasingAndInvertibleOverEveryDouble) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> exponent(-1074, 1023);
    std::vector<double> values{0.0, kSub, DBL_MIN, 1.0, DBL_MAX, -DBL_MAX};
    for (int i = 0; i < 3000; ++i)
        values.push_back(std::fmin(DBL_MAX, std::ldexp(i % 2 ? 1.5 : -1.25, exponent(random))));
    std::sort(values.begin(), values.end());
    for (const int decade : {-324, -5, 0, 308}) {
        const SymlogMap map(decade);
        double previous = -INFINITY;
        for (const double y : values) {
            const double v = map.toView(y);
            ASSERT_TRUE(std::isfinite(v)) << y;
            EXPECT_EQ(map.toView(-y), -v);
            EXPECT_GE(v, previous) << y;
            previous = v;
            // A subnormal threshold leaves few digits in the linear part near zero.
            if (std::fabs(y) > 1e-290 || decade > -300) {
                EXPECT_NEAR(map.toReal(v), y, (std::fabs(y) + map.threshold()) * 1e-9) << y << " " << decade;
            }
        }
        EXPECT_EQ(map.toReal(1e6), DBL_MAX);
    }
}

TEST(Span, MarginsAndSingleValues) {
    const std::vector<double> mixed{NAN, 3.0, -INFINITY, -2.0, 7.0};
    EXPECT_EQ(finiteSpan(mixed.data(), mixed.size())->lo, -2.0);
    EXPECT_FALSE(finiteSpan(mixed.data(), 1));
    const struct {
        Span in, out;
    } rows[] = {
        {{0, 10}, {-0.5, 10.5}}, {{3, 3}, {2, 4}}, {{0, 0}, {-1, 1}}, {{-DBL_MAX, DBL_MAX}, {-DBL_MAX, DBL_MAX}}};
    for (const auto& row : rows) {
        const Span out = withMargin(row.in, 0.05);
        EXPECT_EQ(out.lo, row.out.lo);
        EXPECT_EQ(out.hi, row.out.hi);
    }
}

}  // namespace
}  // namespace quill::plot
