#pragma once
// The certified analysis of a Solve beside the window: after the report is
// shown, the correct digits of every F(x) of the report, then the roots and
// the turning points (analysis/*.h), on threads of their own. It starts
// from copies of the Solve's lists, so the window never waits for it. No Qt
// here.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

#include "engine/solve_lists.h"
#include "solve/analysis_outcome.h"
#include "solve/background_run.h"

namespace quill {

// The Solve's lists; fx as the report has it.
using AnalysisInput = SolveLists;

class BackgroundAnalysis {
public:
    // Starts at once; finished is called on the analysis' thread as it ends.
    BackgroundAnalysis(AnalysisInput input, std::function<void()> finished);
    // Cancels and waits for the thread, which ends within moments of the
    // cancel (a window keeps a cancelled analysis until done() all the same).
    ~BackgroundAnalysis() = default;
    BackgroundAnalysis(const BackgroundAnalysis&) = delete;
    BackgroundAnalysis& operator=(const BackgroundAnalysis&) = delete;

    // The analysis ends with AbortError within moments, inside the digit
    // check and the searches for roots and turning points alike.
    void cancel() { run_.cancel(); }
    bool cancelled() const { return run_.cancelled(); }
    bool waitFor(std::chrono::milliseconds time) { return run_.waitFor(time); }
    bool done() const { return run_.done(); }
    // Only once done().
    AnalysisOutcome& outcome() { return outcome_; }

private:
    void run() noexcept;

    AnalysisInput input_;
    AnalysisOutcome outcome_;
    BackgroundRun run_;  // last: starts once the rest is in place
};

}  // namespace quill
