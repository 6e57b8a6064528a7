#pragma once
// The desktop program's Solve on a thread of its own, so that the window
// goes on repainting and can cancel it. It reads copies of the pane texts,
// runs the Solve (engine/solve.h) on all cores and makes the report's rows
// and the plot's model ready; the window takes the outcome on its own
// thread. No Qt here.

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "engine/report_format.h"
#include "lines/pane_text.h"
#include "lines/row_text.h"
#include "plot/plot_model.h"
#include "solve/background_run.h"
#include "solve/solve_lists.h"

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
    enum class Source { none, coefficients, xValues };
    std::exception_ptr error;           // none: the Solve succeeded
    Source errorSource = Source::none;  // the pane whose reading raised it
    std::vector<double> coefficients, x, fx;
    // How many of coefficients, x and fx were made whole before an error: a failed
    // Solve keeps those, as the evaluator keeps each list it has read.
    int listsMade = 0;
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
