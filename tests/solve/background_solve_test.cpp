// The Solve beside the window, without a window: its outcome after success
// and after each kind of failure (the lists a failed Solve keeps), its
// progress, and a cancel that ends it with nothing made.

#include "solve/background_solve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"

namespace quill {
namespace {

using namespace std::chrono_literals;
using Source = SolveList;

const std::string kCounts00 = "An的数量 An Items Count =0\r\nX的数量 X Count =0\r\n";

SolveOutcome run(SolveInput input) {
    BackgroundSolve solve(std::move(input), nullptr);
    EXPECT_TRUE(solve.waitFor(60s));
    return std::move(solve.outcome());
}

// The failure's message and the line it names.
std::pair<std::string, int64_t> errorOf(const SolveOutcome& out) {
    return {out.solve.failure.message, out.solve.failure.line};
}

// A pane without lines takes the list kept from the last Solve; a blank line
// empties it. A failed Solve keeps each list it read whole, and no report.
TEST(BackgroundSolveTest, OutcomesKeepTheListsReadWhole) {
    struct Case {
        const char *what, *an, *x;
        std::vector<double> keptAn, keptX;
        const char* error;
        Source source;
        int64_t line;
        int listsMade;
        std::vector<double> coefficients, xValues;
        std::string report;
    };
    const std::string head32 = "An的数量 An Items Count =3\r\nX的数量 X Count =2\r\nA[0]=1\r\nA[1]=2\r\nA[2]=3\r\n";
    const std::string head21 = "An的数量 An Items Count =2\r\nX的数量 X Count =1\r\nA[0]=1\r\nA[1]=2\r\n";
    const std::string head01 = "An的数量 An Items Count =0\r\nX的数量 X Count =1\r\n";
    // clang-format off
    const Case cases[] = {
        {"both panes",                 "1\r\n2\r\n3\r\n", "2\r\n0.5\r\n",    {},  {},  "", Source::none, -1, 3, {1, 2, 3}, {2, 0.5}, head32 + "X[0]=2\r\nX[1]=0.5\r\nF(2)=17\r\nF(0.5)=2.75\r\n"},
        {"kept coefficients",          "",                 "4",               {1, 2}, {}, "", Source::none, -1, 3, {1, 2}, {4}, head21 + "X[0]=4\r\nF(4)=9\r\n"},
        {"blank coefficients, kept x", "\r\n",             "",                {1, 2}, {4}, "", Source::none, -1, 3, {}, {4}, head01 + "X[0]=4\r\nF(4)=0\r\n"},
        {"no lines, nothing kept",     "",                 "",                {},  {},  "", Source::none, -1, 3, {}, {}, kCounts00},
        {"bad coefficient",            "1\r\n\r\nabc",     "1",               {7}, {},  "'abc' is not a valid floating point value", Source::coefficients, 2, 0, {}, {}, ""},
        {"bad x",                      "1",                "1\r\n1e400",      {},  {},  "Floating point overflow", Source::xValues, 1, 1, {1}, {}, ""},
        {"overflow in F",              "0\r\n1e300",       "1\r\n1e300\r\n5", {},  {},  "Floating point overflow", Source::xValues, 1, 2, {0, 1e300}, {1, 1e300, 5}, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SolveInput input;
        input.coefficients = RowText(c.an);
        input.xValues = RowText(c.x);
        input.keptCoefficients = c.keptAn;
        input.keptX = c.keptX;
        input.copyLists = true;
        SolveOutcome out = run(std::move(input));
        const SolveLists& lists = out.solve.lists;
        EXPECT_EQ(errorOf(out), std::pair(std::string(c.error), c.line));
        EXPECT_EQ(out.solve.failure.list, c.source);
        EXPECT_EQ(out.solve.listsMade, c.listsMade);
        if (c.listsMade >= 1) {
            EXPECT_EQ(lists.coefficients, c.coefficients);
        }
        if (c.listsMade >= 2) {
            EXPECT_EQ(lists.x, c.xValues);
        }
        EXPECT_EQ(lists.fx.size(), c.listsMade == 3 ? c.xValues.size() : 0u);
        // The analysis' copy, of a Solve that succeeded only.
        const bool whole = !out.solve.failure;
        EXPECT_EQ(out.listsCopy.coefficients, whole ? lists.coefficients : std::vector<double>{});
        EXPECT_EQ(out.listsCopy.x, whole ? lists.x : std::vector<double>{});
        EXPECT_EQ(out.listsCopy.fx, whole ? lists.fx : std::vector<double>{});
        PaneText pane;
        pane.addLines(std::move(out.report));
        EXPECT_EQ(pane.text(), c.report);
    }
}
// Without Auto Clear the window adds the report below the pane's text: a
// text that ends without a break gets each line on its own.
TEST(BackgroundSolveTest, ReportsAccumulateInAPane) {
    PaneText pane;
    pane.load({"typed"});
    for (int i = 0; i < 2; ++i) pane.addLines(std::move(run({}).report));
    EXPECT_EQ(pane.text(), "typed\r\n" + kCounts00 + kCounts00.substr(0, kCounts00.size() - 2));
}

// Many coefficients make every x slow, so the Solve is under way when asked.
SolveInput longSolve() {
    SolveInput input;
    std::string an, x;
    for (int i = 0; i < 60; ++i) an += "1\r\n";
    for (int j = 0; j < 100000; ++j) x += "0.5\r\n";
    input.coefficients = RowText(std::move(an));
    input.xValues = RowText(std::move(x));
    return input;
}

// Progress climbs to 1000 through the stages and the finished notice comes
// last; a cancel ends the Solve at its next chunk with AbortError.
TEST(BackgroundSolveTest, ProgressClimbsAndCancelEndsIt) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel);
        std::atomic<int> notices{0};
        auto solve = std::make_unique<BackgroundSolve>(longSolve(), [&] { ++notices; });
        std::vector<int> seen{0};
        while (!solve->waitFor(1ms)) {
            if (solve->permille() != seen.back()) seen.push_back(solve->permille());
            if (cancel && solve->permille() > 400) solve->cancel();
        }
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        const int permille = solve->permille();
        SolveOutcome out = std::move(solve->outcome());
        solve.reset();  // the notice may still be on its way
        EXPECT_EQ(notices.load(), 1);
        if (cancel) {
            EXPECT_EQ(out.solve.failure.fault, SolveFault::aborted);
            EXPECT_EQ(out.report.count(), 0);
            continue;
        }
        EXPECT_FALSE(out.solve.failure);
        EXPECT_GT(seen.size(), 3u);
        EXPECT_EQ(permille, 1000);
        EXPECT_EQ(out.report.count(), 2 + 60 + 2 * 100000);
    }
}

// Destroying a Solve under way cancels it and waits for its thread.
TEST(BackgroundSolveTest, DestroyingCancels) {
    std::atomic<int> notices{0};
    {
        BackgroundSolve solve(longSolve(), [&] { ++notices; });
        EXPECT_FALSE(solve.waitFor(1ms));
    }
    EXPECT_EQ(notices.load(), 1);
}

}  // namespace
}  // namespace quill
