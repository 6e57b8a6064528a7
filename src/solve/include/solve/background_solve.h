#pragma once
// The desktop program's Solve on a thread of its own, so that the window
// goes on repainting and can cancel it. It reads copies of the pane texts,
// runs the Solve (engine/solve_run.h) on all cores and makes the report's
// rows and the plot's model ready; the window takes the outcome on its own
// thread. No Qt here.

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "engine/report_format.h"
#include "engine/solve_run.h"
#include "lines/pane_text.h"
#include "lines/row_text.h"
#include "plot/plot_model.h"
#include "solve/background_run.h"

namespace quill {

struct SolveInput {
    RowText coefficients, xValues;  // the panes' rows
    // The lists of the last Solve, taken again for a pane without lines
    // (only filled for such a pane).
    std::vector<double> keptCoefficients, keptX;
    ReportStyle style;
    plot::YScale plotScale = plot::YScale::linear;
    // The plot's frame of the fitting view is worked out for this size.
    plot::FrameSize plotFrame;
    // A copy of the lists for the analysis that follows, made on the Solve's
    // thread rather than the window's.
    bool copyLists = false;
};

struct SolveOutcome {
    // The Solve's failure (none: it succeeded) and its lists: a failed Solve
    // keeps those it made whole, as the window keeps each list it has read.
    SolveResult solve;
    PreparedLines report;
    plot::PlotModel plot;  // the lists on the plot
    SolveLists listsCopy;  // with copyLists, once the Solve succeeded
};

class BackgroundSolve {
public:
    // Starts at once; finished is called on the Solve's thread as it ends.
    BackgroundSolve(SolveInput input, std::function<void()> finished);
    // Cancels the Solve and waits for its thread.
    ~BackgroundSolve() = default;
    BackgroundSolve(const BackgroundSolve&) = delete;
    BackgroundSolve& operator=(const BackgroundSolve&) = delete;

    // The Solve ends at its next chunk with AbortError.
    void cancel() { run_.cancel(); }
    // Waits at most that long; true once the Solve has ended.
    bool waitFor(std::chrono::milliseconds time) { return run_.waitFor(time); }
    bool done() const { return run_.done(); }
    // How far it is, 0 to 1000.
    int permille() const { return permille_.load(std::memory_order_relaxed); }
    // Only once done().
    SolveOutcome& outcome() { return outcome_; }

private:
    void run() noexcept;

    SolveInput input_;
    SolveOutcome outcome_;
    std::atomic<int> permille_{0};
    BackgroundRun run_;  // last: starts once the rest is in place
};

}  // namespace quill
