#include "plot/axis_map.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "plot/span.h"

namespace quill::plot {
namespace {

const double kSubnormal = std::ldexp(1.0, -1074);

// Doubles across the whole range, both signs, subnormals and zero included.
std::vector<double> WideDoubles(int count) {
    std::mt19937_64 random(7);
    std::vector<double> values{0.0, kSubnormal, DBL_MIN, 1.0, DBL_MAX, -DBL_MAX, -kSubnormal};
    std::uniform_int_distribution<int> exponent(-1074, 1023);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    for (int i = 0; i < count; ++i) {
        const double v = std::ldexp(mantissa(random), exponent(random));
        values.push_back(std::isfinite(v) ? (i % 2 ? -v : v) : DBL_MAX);
    }
    return values;
}

TEST(LinearMap, LargestMagnitudeLandsBetweenOneAndTwo) {
    const struct {
        std::vector<double> values;
        int shift;
    } rows[] = {
        {{}, 0},
        {{0.0, NAN, INFINITY}, 0},
        {{1.0, -3.0}, 1},
        {{0.001}, -10},
        {{DBL_MAX, -1.0}, 1023},
        {{kSubnormal, 2 * kSubnormal}, -1073},
        {{kSubnormal}, -1074},
    };
    for (const auto& row : rows) {
        const LinearMap map = LinearMap::ForValues(row.values.data(), row.values.size());
        EXPECT_EQ(map.shift(), row.shift);
        for (const double v : row.values) {
            if (!std::isfinite(v)) continue;
            EXPECT_LT(std::fabs(map.ToView(v)), 2.0);
            EXPECT_EQ(map.ToReal(map.ToView(v)), v) << v;  // a power of two: exact both ways
        }
    }
}

TEST(LinearMap, BeyondTheDoubleRangeClamps) {
    const LinearMap map(1023);
    EXPECT_EQ(map.ToReal(2.5), DBL_MAX);
    EXPECT_EQ(map.ToReal(-1e200), -DBL_MAX);
    EXPECT_TRUE(std::isnan(map.ToReal(NAN)));
}

TEST(SymlogMap, ThresholdIsThePowerOfTenAtOrBelowTheSmallestMagnitude) {
    const struct {
        std::vector<double> values;
        int decade;
    } rows[] = {
        {{}, 0},          {{0.0, -0.0}, 0},  {{0.5, 100.0}, -1}, {{-0.001, 7.0}, -3},
        {{1.0}, 0},       {{1e-300}, -300},  {{DBL_MAX}, 308},   {{kSubnormal}, -324},
        {{9.99e-5}, -5}, {{1e23}, 22},
    };
    for (const auto& row : rows) {
        const SymlogMap map = SymlogMap::ForValues(row.values.data(), row.values.size());
        EXPECT_EQ(map.decade(), row.decade);
        for (const double v : row.values) {
            if (v != 0) {
                EXPECT_LE(map.threshold(), std::fabs(v));
            }
        }
    }
}

TEST(SymlogMap, OddIncreasingAndInvertibleOverEveryDouble) {
    std::vector<double> values = WideDoubles(3000);
    std::sort(values.begin(), values.end());
    for (const int decade : {-324, -5, 0, 3, 308}) {
        const SymlogMap map(decade);
        double previous = -INFINITY;
        for (const double y : values) {
            const double v = map.ToView(y);
            ASSERT_TRUE(std::isfinite(v)) << y;
            EXPECT_EQ(map.ToView(-y), -v);
            EXPECT_GE(v, previous) << y;
            previous = v;
            const double back = map.ToReal(v);
            ASSERT_TRUE(std::isfinite(back));
            // Only where the view value carries the digits: in the linear part
            // near zero a subnormal c leaves few of them.
            if (std::fabs(y) > 1e-290 || decade > -300) {
                EXPECT_NEAR(back, y, std::fabs(y) * 1e-9 + map.threshold() * 1e-9) << y << " decade " << decade;
            }
        }
        EXPECT_EQ(map.ToView(0.0), 0.0);
        EXPECT_EQ(map.ToReal(1e6), DBL_MAX);
    }
}

TEST(Span, FiniteSpanAndMargins) {
    const std::vector<double> mixed{NAN, 3.0, -INFINITY, -2.0, 7.0, INFINITY};
    const auto span = FiniteSpan(mixed.data(), mixed.size());
    ASSERT_TRUE(span);
    EXPECT_EQ(span->lo, -2.0);
    EXPECT_EQ(span->hi, 7.0);
    const std::vector<double> none{NAN, INFINITY};
    EXPECT_FALSE(FiniteSpan(none.data(), none.size()));
    EXPECT_FALSE(FiniteSpan(nullptr, 0));

    const struct {
        Span in, out;
    } rows[] = {
        {{0, 10}, {-0.5, 10.5}},
        {{3, 3}, {2, 4}},
        {{0, 0}, {-1, 1}},
        {{-DBL_MAX, DBL_MAX}, {-DBL_MAX, DBL_MAX}},
        {{kSubnormal, kSubnormal}, {-1, 1}},
    };
    for (const auto& row : rows) {
        const Span out = WithMargin(row.in, 0.05);
        EXPECT_EQ(out.lo, row.out.lo) << row.in.lo << " " << row.in.hi;
        EXPECT_EQ(out.hi, row.out.hi) << row.in.lo << " " << row.in.hi;
    }
}

}  // namespace
}  // namespace quill::plot
