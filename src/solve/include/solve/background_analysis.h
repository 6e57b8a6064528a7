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

#include "analysis/roots.h"
#include "analysis/turning_points.h"
#include "solve/background_run.h"
#include "solve/solve_lists.h"

namespace quill {

// The Solve's lists; fx as the report has it.
using AnalysisInput = SolveLists;

// A report point whose F(x) has fewer than kTrustedDigits correct digits.
struct FewDigitsPoint {
    double x = 0.0, fx = 0.0;
    double exact = 0.0;  // the double nearest to the exact F(x)
    std::uint8_t digits = 0;
};

struct AnalysisOutcome {
    std::exception_ptr error;  // none: every part below is whole
    // The x values checked, and the fewest correct digits among them (17
    // for none).
    std::size_t checked = 0;
    std::uint8_t fewestDigits = 17;
    std::vector<FewDigitsPoint> fewDigits;  // in the order of the x values
    RootList roots;
    TurningPointList turningPoints;
};

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
