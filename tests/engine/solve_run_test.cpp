// The one driver of a Solve: every step's failure comes back as a value that
// names its list, its line and its kind, in the panes' order, with the lists
// made whole before it.

#include "engine/solve_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/error.h"
#include "engine/solve.h"

namespace quill {
namespace {

using Fault = SolveFault;
using List = SolveList;

TEST(SolveRunTest, FailuresNameTheirListLineAndKind) {
    struct Case {
        const char *an, *x;
        const char* raises;  // which step raises a FileError: "an", "x", "write"
        Fault fault;
        List list;
        int64_t line;
        const char* placed;  // placedMessage()
        int listsMade;
    };
    // clang-format off
    const Case cases[] = {
        {"1\r\n2",       "3",              "",      Fault::none,       List::none,         -1, "",                                          3},
        {"1\r\n\r\nab",  "zz",             "",      Fault::notNumber,  List::coefficients,  2, "'ab' is not a valid floating point value",  0},
        {"1e999",        "1",              "",      Fault::outOfRange, List::coefficients,  0, "Floating point overflow",                   0},
        {"1",            "1\r\n\r\n1x",    "",      Fault::notNumber,  List::xValues,       2, "'1x' is not a valid floating point value",  1},
        {"0\r\n1e300",   "1\r\n\r\n1e300", "",      Fault::fxOverflow, List::xValues,       2, "F(x): Floating point overflow",             2},
        {"zz",           "1",              "an",    Fault::file,       List::coefficients, -1, "no an",                                     0},
        {"zz",           "1",              "x",     Fault::file,       List::xValues,      -1, "no x",                                      0},
        {"1",            "1",              "write", Fault::file,       List::none,         -1, "no write",                                  3},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.an) + " | " + c.x);
        const std::string raises = c.raises;
        SolveJob job;
        job.coefficientText = [&](const TextTake& take) {
            if (raises == "an") throw FileError("no an");
            take(c.an);
        };
        job.xText = [&](const TextTake& take) {
            if (raises == "x") throw FileError("no x");
            take(c.x);
        };
        job.takeLists = true;
        std::string report;
        job.write = [&](Solve& solve, const SolveLists&) {
            if (raises == "write") throw FileError("no write");
            report = solve.reportText();
        };
        const SolveResult result = runSolve(job, {});
        const SolveFailure& f = result.failure;
        EXPECT_EQ(f.fault, c.fault);
        EXPECT_EQ(f.list, c.list);
        EXPECT_EQ(f.line, c.line);
        EXPECT_EQ(f.placedMessage(), c.placed);
        EXPECT_EQ(result.listsMade, c.listsMade);
        EXPECT_EQ(static_cast<bool>(f.error), c.fault != Fault::none);
        EXPECT_EQ(report.empty(), c.fault != Fault::none);
        EXPECT_EQ(result.lists.fx.size(), c.listsMade == 3 ? result.lists.x.size() : 0u);
    }
}

// A list without a byte of text takes its kept values; one blank line does not.
TEST(SolveRunTest, KeptListsStandInForNoText) {
    for (const char* an : {"", "\r\n"}) {
        SolveJob job;
        job.coefficientText = [&](const TextTake& take) { take(an); };
        job.keptCoefficients = {1, 2};
        job.keptX = {4};
        job.takeLists = true;
        const SolveResult result = runSolve(job, {});
        EXPECT_FALSE(result.failure);
        const std::vector<double> coefficients = *an ? std::vector<double>{} : std::vector<double>{1, 2};
        EXPECT_EQ(result.lists.coefficients, coefficients) << an;
        EXPECT_EQ(result.lists.x, std::vector<double>{4});
        EXPECT_EQ(result.lists.fx, std::vector<double>{*an ? 0.0 : 9.0});
    }
}

// A cancelled Solve fails silently, whatever step it stopped at.
TEST(SolveRunTest, CancelIsAnAbortedFailure) {
    std::atomic<bool> cancel{true};
    SolveControl control;
    control.cancel = &cancel;
    SolveJob job;
    job.xText = [](const TextTake& take) { take("1\r\n2"); };
    const SolveResult result = runSolve(job, {}, control);
    EXPECT_EQ(result.failure.fault, Fault::aborted);
    EXPECT_THROW(std::rethrow_exception(result.failure.error), AbortError);
}

}  // namespace
}  // namespace quill
