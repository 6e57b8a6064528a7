#pragma once
// A whole Solve of two list texts through the one Solve driver (runSolve):
// the report, or the first error raised as it was raised. For the tests and
// the benchmarks, which compare reports and errors as text.

#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "engine/solve.h"
#include "engine/solve_run.h"

namespace quill::test {

inline std::string solveReport(std::string_view coefficientText, std::string_view xText, const ReportStyle& style,
                               const SolveControl& control = {}) {
    SolveJob job;
    job.coefficientText = [&](const TextTake& take) { take(coefficientText); };
    job.xText = [&](const TextTake& take) { take(xText); };
    std::string report;
    job.write = [&](Solve& solve, const SolveLists&) { report = solve.reportText(); };
    const SolveResult result = runSolve(std::move(job), style, control);
    if (result.failure) std::rethrow_exception(result.failure.error);
    return report;
}

}  // namespace quill::test
