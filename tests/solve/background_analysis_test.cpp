// The analysis beside the window, without a window: what it hands over
// after a Solve, and a cancel that ends it with AbortError.

#include "solve/background_analysis.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

#include "common/error.h"
#include "engine/poly_kernel.h"

namespace quill {
namespace {

using namespace std::chrono_literals;

AnalysisInput solved(std::vector<double> an, std::vector<double> x) {
    std::vector<double> fx;
    for (const double v : x) fx.push_back(evaluatePolynomial(an, v));
    return {std::move(an), std::move(x), std::move(fx)};
}

TEST(BackgroundAnalysisTest, HandsOverDigitsRootsAndTurningPoints) {
    // (x-1)^10 written out loses every digit near 1; x^2 - 2 keeps them.
    const std::vector<double> tenth{1, -10, 45, -120, 210, -252, 210, -120, 45, -10, 1};
    std::vector<double> nearOne;
    for (int k = 1; k <= 8; ++k) nearOne.push_back(1 + std::ldexp(k, -20));
    struct Case {
        const char* what;
        AnalysisInput input;
        std::size_t fewDigits;
        bool fifteen;  // every value right to 15 digits
        std::vector<double> realRoots;
        std::size_t turningPoints;
    };
    const Case cases[] = {
        {"x^2-2", solved({-2, 0, 1}, {0, 3, 10}), 0, true, {-std::sqrt(2.0), std::sqrt(2.0)}, 1},
        {"(x-1)^10 near 1", solved(tenth, nearOne), nearOne.size(), false, {1}, 1},
        {"constant", solved({7}, {1, 2}), 0, true, {}, 0},
        // 10 correct digits are enough; 9 are not.
        {"exactly ten digits", {{1}, {2, 3}, {1 + 5e-11, 1 + 2e-10}}, 1, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BackgroundAnalysis run(c.input, nullptr);
        ASSERT_TRUE(run.waitFor(60s));
        const AnalysisOutcome& out = run.outcome();
        ASSERT_FALSE(out.error);
        EXPECT_EQ(out.checked, c.input.x.size());
        EXPECT_EQ(out.fewDigits.size(), c.fewDigits);
        EXPECT_EQ(out.fewestDigits >= 15, c.fifteen);
        for (const FewDigitsPoint& p : out.fewDigits) {
            EXPECT_LT(p.digits, 10);
            if (p.x == 3) continue;  // the constant
            // x - 1 is k * 2^-20 exactly, so the exact value is k^10 * 2^-200.
            const auto k = static_cast<long long>(std::ldexp(p.x - 1, 20));
            long long k10 = 1;
            for (int i = 0; i < 10; ++i) k10 *= k;
            EXPECT_EQ(p.exact, std::ldexp(static_cast<double>(k10), -200)) << p.x;
        }
        std::vector<double> real;
        for (const PolynomialRoot& r : out.roots.roots)
            if (r.im == 0.0) real.push_back(r.re);
        EXPECT_EQ(real, c.realRoots);
        EXPECT_EQ(out.turningPoints.points.size(), c.turningPoints);
    }
}

TEST(BackgroundAnalysisTest, CancelEndsWithAbortError) {
    std::vector<double> x(2'000'000);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = 1 + static_cast<double>(i) * 1e-9;
    BackgroundAnalysis run(solved({1, -10, 45, -120, 210, -252, 210, -120, 45, -10, 1}, std::move(x)), nullptr);
    run.cancel();
    ASSERT_TRUE(run.waitFor(60s));
    EXPECT_TRUE(run.cancelled());
    try {
        std::rethrow_exception(run.outcome().error);
    } catch (const AbortError&) {
        return;
    } catch (...) {
    }
    ADD_FAILURE() << "not cancelled";
}

// A cancel (the window's Cancel, a new Solve, closing the window) ends a
// search for roots within moments: the window never waits for one.
TEST(BackgroundAnalysisTest, CancelStopsARootSearch) {
    std::vector<double> an(3000);
    for (std::size_t i = 0; i < an.size(); ++i) an[i] = static_cast<double>((i * 7919 + 13) % 19) - 9;
    BackgroundAnalysis run({an, {0.5}, {evaluatePolynomial(an, 0.5)}}, nullptr);
    std::this_thread::sleep_for(300ms);  // into the search
    ASSERT_FALSE(run.done());
    const auto cancelled = std::chrono::steady_clock::now();
    run.cancel();
    ASSERT_TRUE(run.waitFor(60s));
    const auto took = std::chrono::steady_clock::now() - cancelled;
    EXPECT_LT(took, 2s);  // the goal is half a second; the machine is shared
    EXPECT_TRUE(isAbort(run.outcome().error));
}

}  // namespace
}  // namespace quill
