#include "plot/ticks.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "numtext/format.h"

namespace quill::plot {
namespace {

std::string labelsOf(const std::vector<double>& ticks) {
    std::string text;
    for (const double t : ticks) text += (text.empty() ? "" : " ") + doubleToText(t, '.');
    return text;
}

TEST(LinearTicks, RoundStepsWithReadableLabels) {
    const struct {
        double lo, hi;
        int maxCount;
        const char* labels;
    } rows[] = {
        {0, 10, 5, "0 2 4 6 8 10"},
        {0.1, 0.35, 5, "0.1 0.15 0.2 0.25 0.3"},
        {-3.3, 10.7, 7, "-2 0 2 4 6 8 10"},
        {1e15, 1e15 + 8, 4, "1E15 1E15 1E15 1.00000000000001E15 1.00000000000001E15"},
        {-DBL_MAX, DBL_MAX, 8, "-1.5E308 -1E308 -5E307 0 5E307 1E308 1.5E308"},
        {0, 8 * std::ldexp(1.0, -1074), 2, "0 1.97626258336499E-323 3.95252516672997E-323"},
        {2.5, 2.5, 5, ""},
        {0, INFINITY, 5, ""},
    };
    for (const auto& row : rows) EXPECT_EQ(labelsOf(linearTicks(row.lo, row.hi, row.maxCount)), row.labels);
}

// Any finite range, however wide or however few units in the last place.
TEST(LinearTicks, BoundedIncreasingInsideTheRange) {
    std::mt19937_64 random(11);
    std::uniform_int_distribution<int> exponent(-1074, 1023);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    for (int i = 0; i < 20000; ++i) {
        const double lo = std::fmin(DBL_MAX, std::ldexp(mantissa(random), exponent(random))) * (i % 3 ? 1 : -1);
        double hi = std::fmin(DBL_MAX, lo + std::fabs(lo) * mantissa(random));
        if (i % 2) hi = std::nextafter(std::nextafter(lo, INFINITY), INFINITY);
        const int maxCount = 2 + i % 9;
        const std::vector<double> ticks = linearTicks(lo, hi, maxCount);
        ASSERT_LE(ticks.size(), static_cast<std::size_t>(2 * maxCount + 2));
        for (std::size_t k = 0; k < ticks.size(); ++k) {
            EXPECT_TRUE(ticks[k] >= lo && ticks[k] <= hi && (k == 0 || ticks[k] > ticks[k - 1])) << lo << " " << hi;
        }
        // A step is at most 2.5 times the range over maxCount: from five on, two ticks.
        if (maxCount >= 5 && i % 2 == 0 && hi > lo) {
            EXPECT_GE(ticks.size(), 2u) << lo << " " << hi;
        }
    }
}

TEST(SymlogTicks, DecadesBothSidesOfZeroOrRoundStepsInsideOne) {
    const SymlogMap map(0);
    const struct {
        double y0, y1;
        int maxCount;
        const char* labels;
    } rows[] = {
        {-1000, 1000, 10, "-1000 -100 -10 -1 0 1 10 100 1000"},
        {0, 1e12, 5, "0 1 100000 10000000000"},  // every 5th of 13 decades
        {-DBL_MAX, DBL_MAX, 8, "-1E300 -1E200 -1E100 -1 0 1 1E100 1E200 1E300"},
        {20, 80, 4, "20 40 60 80"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(labelsOf(symlogTicks(map, map.toView(row.y0), map.toView(row.y1), row.maxCount)), row.labels);
    }
    for (const int decade : {-324, -12, 0, 300}) {
        const SymlogMap m(decade);
        for (double v0 = -700; v0 < 700; v0 += 37.3) {
            for (const double width : {0.01, 3.0, 900.0}) {
                const std::vector<double> ticks = symlogTicks(m, v0, v0 + width, 8);
                EXPECT_LE(ticks.size(), 12u);
                for (const double t : ticks) EXPECT_TRUE(m.toView(t) >= v0 - 1e-9 && m.toView(t) <= v0 + width + 1e-9);
            }
        }
    }
}

}  // namespace
}  // namespace quill::plot
