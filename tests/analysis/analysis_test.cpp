// The analysis library's contract: what it says about degenerate
// polynomials and bad input, and that its digit counts do not depend on how
// the work is shared out. The numbers themselves are checked against exact
// arithmetic in check_analysis.py.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

#include "analysis/roots.h"
#include "analysis/trusted_digits.h"
#include "analysis/turning_points.h"
#include "common/error.h"
#include "fast_value.h"

namespace quill {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Analysis, DegeneratePolynomials) {
    struct Case {
        std::vector<double> a;
        bool zero, constant;
        std::size_t roots;
    };
    for (const Case& c : std::vector<Case>{
             {{}, true, true, 0},
             {{0.0, -0.0, 0.0}, true, true, 0},
             {{-2.5}, false, true, 0},
             {{4.0, 0.0, 0.0}, false, true, 0},
             {{1.0, 2.0, 0.0}, false, false, 1},
         }) {
        const RootList roots = findRoots(c.a);
        EXPECT_EQ(roots.zeroPolynomial, c.zero);
        EXPECT_EQ(roots.roots.size(), c.roots);
        const TurningPointList turning = findTurningPoints(c.a);
        EXPECT_EQ(turning.constant, c.constant);
        EXPECT_TRUE(turning.points.empty());
    }
}

TEST(Analysis, NonFiniteInputIsRefused) {
    const std::vector<double> bad = {1.0, std::numeric_limits<double>::infinity()}, good = {1.0, 2.0};
    EXPECT_THROW(findRoots(bad), std::invalid_argument);
    EXPECT_THROW(findTurningPoints(std::vector<double>{kNaN}), std::invalid_argument);
    std::vector<double> out(2);
    std::vector<std::uint8_t> digits(2);
    EXPECT_THROW(checkDigits(bad, good, good, out, digits), std::invalid_argument);
    EXPECT_THROW(checkDigits(good, bad, good, out, digits), std::invalid_argument);
    EXPECT_THROW(checkDigits(good, good, std::vector<double>{1.0}, out, digits), std::invalid_argument);
}

// Random polynomials of high degree: every root accounted for, conjugates
// paired, real ones ascending.
TEST(Analysis, RootsOfHighDegreeAddUp) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> a(201);
    for (double& c : a) c = value(random);
    const RootList list = findRoots(a);
    int total = 0, real = 0;
    for (std::size_t i = 0; i < list.roots.size(); ++i) {
        const PolynomialRoot& r = list.roots[i];
        total += r.multiplicity;
        if (r.im == 0.0) {
            ++real;
            if (i > 0) {
                EXPECT_LT(list.roots[i - 1].re, r.re);
            }
        } else {
            bool partner = false;
            for (const PolynomialRoot& s : list.roots) partner |= s.re == r.re && s.im == -r.im;
            EXPECT_TRUE(partner) << r.re << " " << r.im;
        }
    }
    EXPECT_EQ(total, 200);
    EXPECT_GT(real, 0);
}

// One x list with both roads of the digit counts (plain values, values at a
// root where the bound cannot decide): the same answers on one thread and on
// several, progress up to the total, and a cancel that stops the work.
TEST(Analysis, DigitsDoNotDependOnThreads) {
    const std::vector<double> a = {1, -10, 45, -120, 210, -252, 210, -120, 45, -10, 1};  // (x-1)^10
    std::vector<double> x(100000);
    std::mt19937_64 random(5);
    for (std::size_t j = 0; j < x.size(); ++j)
        x[j] = j % 3 ? std::ldexp(double(random() % 2001) - 1000.0, -10) : 1.0 + std::ldexp(double(j % 64) - 32, -20);
    std::vector<double> reported1(x.size()), reported2(x.size()), exact1(x.size()), exact2(x.size());
    std::vector<std::uint8_t> digits1(x.size()), digits2(x.size());
    checkSolveDigits(a, x, reported1, exact1, digits1, {1, nullptr, {}});
    std::size_t last = 0;
    DigitsControl control{3, nullptr, [&](std::size_t done, std::size_t total) {
                              EXPECT_GE(done, last);
                              EXPECT_EQ(total, x.size());
                              last = done;
                          }};
    checkSolveDigits(a, x, reported2, exact2, digits2, control);
    EXPECT_EQ(last, x.size());
    EXPECT_EQ(reported1, reported2);
    EXPECT_EQ(exact1, exact2);
    EXPECT_EQ(digits1, digits2);
    EXPECT_EQ(digits1[0], 0);  // F(1 − 2^-15): (2^-15)^10 exactly, lost to cancellation

    std::atomic<bool> cancel{true};
    EXPECT_THROW(checkDigits(a, x, reported1, exact1, digits1, {2, &cancel, {}}), AbortError);
}

// The count from a ratio q = |E| / |y − E| known to lie in [low, high]: the
// k ≤ 17 with 10^k ≤ q < 10^(k+1), exactly at the powers of ten, and
// undecided (-1) where the ends disagree.
TEST(Analysis, DigitsForRatio) {
    const double below10 = std::nextafter(10.0, 0.0), below1e17 = std::nextafter(1e17, 0.0);
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double low, high;
        int digits;
    };
    for (const Case& c : std::vector<Case>{
             {0.0, 0.0, 0},
             {0.0, 1.0, 0},
             {below10, below10, 0},
             {10.0, 10.0, 1},
             {below10, 10.0, -1},
             {99.99, 100.0, -1},
             {100.0, 999.9, 2},
             {1e10, 1e10, 10},
             {9.9e9, 9.9e9, 9},
             {1e16, below1e17, 16},
             {below1e17, 1e17, -1},
             {1e17, 1e17, 17},
             {1e300, inf, 17},
             {inf, inf, 17},
             {kNaN, 1.0, -1},
         }) {
        EXPECT_EQ(analysis::digitsForRatio(c.low, c.high), c.digits) << c.low << " " << c.high;
    }
}

// Counts at the edges: an exact value of 0 and a report of 0 agree (17), on
// the double road and the exact one; no coefficients at all is F = 0.
TEST(Analysis, DigitsAtZero) {
    struct Case {
        std::vector<double> a;
        double x, reported;
        std::uint8_t digits;
    };
    for (const Case& c : std::vector<Case>{
             {{0.0, 1.0}, 0.0, 0.0, 17},     // the double road
             {{0.0, 0.0}, 1e-300, 0.0, 17},  // the exact road (x too small for the double road)
             {{0.0, 1.0}, 0.0, 1e-300, 0},
             {{}, 2.0, 0.0, 17},
             {{}, 2.0, 1.0, 0},
             {{}, 1e-300, -0.0, 17},
         }) {
        std::vector<double> exact(1);
        std::vector<std::uint8_t> digits(1);
        checkDigits(c.a, std::vector<double>{c.x}, std::vector<double>{c.reported}, exact, digits);
        EXPECT_EQ(exact[0], 0.0);
        EXPECT_EQ(digits[0], c.digits) << c.a.size() << " " << c.x << " " << c.reported;
    }
}

}  // namespace
}  // namespace quill
