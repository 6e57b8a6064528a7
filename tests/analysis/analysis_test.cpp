// The analysis library's contract: what it says about degenerate
// polynomials and bad input, and that its digit counts do not depend on how
// the work is shared out. The numbers themselves are checked against exact
// arithmetic in check_analysis.py.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "analysis/roots.h"
#include "analysis/testing.h"
#include "analysis/trusted_digits.h"
#include "analysis/turning_points.h"
#include "common/error.h"
#include "fast_value.h"

namespace quill {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr int64_t k53 = int64_t(1) << 53, k54 = int64_t(1) << 54;

// The nearest double of an exact number at ties and at the range's ends.
TEST(Analysis, NearestDouble) {
    struct Case {
        int64_t mantissa;
        long exponent;
        double nearest;
    };
    for (const Case& c : std::vector<Case>{
             {k53 + 1, -53, 1.0},            // tie: to the even significand, down
             {k53 + 3, -53, 1.0 + 0x1p-51},  // tie: up
             {k54 + 1, -54, 1.0},            // below the tie
             {k54 + 3, -54, 1.0 + 0x1p-52},  // above it
             {-(k53 + 1), -53, -1.0},        // ties alike below zero
             {k53 - 1, 971, kMax},           // the largest double
             {2 * k54 - 5, 969, kMax},       // below the midpoint to 2^1024
             {k54 - 1, 970, kInf},           // the midpoint: even is 2^1024
             {-(k54 - 1), 970, -kInf},
             {1, -1074, 0x1p-1074},  // the smallest subnormal
             {3, -1076, 0x1p-1074},  // three quarters of it
             {1, -1075, 0.0},        // half of it: even is zero
             {3, -1075, 0x1p-1073},  // one and a half: even is two
             {-1, -1076, 0.0},       // rounds to +0, not −0
             {0, 5, 0.0},
         }) {
        const double got = testing::nearestDoubleOf(c.mantissa, c.exponent);
        EXPECT_EQ(got, c.nearest) << c.mantissa << " 2^" << c.exponent;
        EXPECT_EQ(std::signbit(got), std::signbit(c.nearest)) << c.mantissa << " 2^" << c.exponent;
    }
}

// What a ball says about its number's nearest double: decided where both
// ends round alike; else the one point in question (zero, or the midpoint
// of two neighbours), or nothing when it spans more.
TEST(Analysis, BallVerdict) {
    struct Case {
        int64_t low, high;
        long exponent;
        bool decided;
        double value;
        bool hasCandidate;
        int64_t candidate;       // the candidate as an odd mantissa (0 for zero) …
        long candidateExponent;  // … times 2 to this
    };
    for (const Case& c : std::vector<Case>{
             {k54, k54, -54, true, 1.0, false, 0, 0},                            // a point
             {k54 + 1, k54 + 1, -54, true, 1.0, false, 0, 0},                    // a point below a tie
             {2 * k53 + 1, 2 * k53 + 3, -54, false, 0, true, k53 + 1, -53},      // holds the tie 1 + 2^-53
             {2 * k53 + 2, 2 * k53 + 3, -54, false, 0, true, k53 + 1, -53},      // the tie at its low end
             {2 * k53 + 3, 2 * k53 + 5, -54, true, 1.0 + 0x1p-52, false, 0, 0},  // between two ties
             {2 * k53 + 1, 2 * k53 + 7, -54, false, 0, false, 0, 0},             // spans two ties
             {-1, 1, -60, false, 0, true, 0, 0},                                 // holds zero
             {-1, 1, -1200, true, 0.0, false, 0, 0},                             // rounds to zero throughout
             {k54 - 2, k54, 970, false, 0, true, k54 - 1, 970},                  // the midpoint to 2^1024
         }) {
        const testing::BallJudgement j = testing::judgeBallOf(c.low, c.high, c.exponent);
        const std::string row =
            std::to_string(c.low) + ".." + std::to_string(c.high) + " 2^" + std::to_string(c.exponent);
        EXPECT_EQ(j.decided, c.decided) << row;
        if (c.decided) {
            EXPECT_EQ(j.value, c.value) << row;
        }
        EXPECT_EQ(j.hasCandidate, c.hasCandidate) << row;
        EXPECT_EQ(j.candidateMantissa, c.candidate) << row;
        if (c.candidate != 0) {
            EXPECT_EQ(j.candidateExponent, c.candidateExponent) << row;
        }
    }
}

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

// A set flag stops a search at degree 2,000 (seconds of work) soon, from
// the start or from another thread.
TEST(Analysis, CancelStopsTheSearch) {
    std::mt19937_64 random(11);
    std::vector<double> a(2001);
    for (double& c : a) c = double(int(random() % 19) - 9);
    a.back() = 1.0;
    std::atomic<bool> cancel{true};
    EXPECT_THROW(findRoots(a, &cancel), AbortError);
    EXPECT_THROW(findTurningPoints(a, &cancel), AbortError);
    for (int turning = 0; turning < 2; ++turning) {
        cancel = false;
        std::chrono::steady_clock::time_point set;
        std::thread setter([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            set = std::chrono::steady_clock::now();
            cancel = true;
        });
        EXPECT_THROW(turning ? (void)findTurningPoints(a, &cancel) : (void)findRoots(a, &cancel), AbortError);
        const auto after = std::chrono::steady_clock::now();
        setter.join();
        // Generous for a shared machine; the search itself polls every few ms.
        EXPECT_LT(std::chrono::duration<double>(after - set).count(), 2.0);
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

    // Beyond the degree served, refused before any work; zeros at the end
    // do not count.
    std::vector<double> high(kMostSearchedDegree + 2, 0.0);
    high.back() = 1.0;
    EXPECT_THROW(findRoots(high), std::invalid_argument);
    EXPECT_THROW(findTurningPoints(high), std::invalid_argument);
    high.back() = 0.0;
    high[2] = 1.0;
    high[0] = -1.0;
    EXPECT_EQ(findRoots(high).roots.size(), 2u);
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
