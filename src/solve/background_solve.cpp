#include "solve/background_solve.h"

#include <memory>
#include <utility>

#include "common/error.h"
#include "engine/solve.h"

namespace quill {

BackgroundSolve::BackgroundSolve(SolveInput input, std::function<void()> finished)
    : input_(std::move(input)), run_([this] { run(); }, std::move(finished)) {}

void BackgroundSolve::run() noexcept {
    SolveOutcome& out = outcome_;
    SolveControl control;
    control.cancel = run_.cancelFlag();
    control.progress = [this](SolveStage stage, std::size_t done, std::size_t total) {
        permille_.store(solvePermille(stage, done, total), std::memory_order_relaxed);
    };
    control.keepX = false;  // the x values are taken out before they go

    // A pane without lines takes the list of the last Solve.
    SolveJob job;
    job.coefficientText = [this](const TextTake& take) {
        take(input_.coefficients.text());
        input_.coefficients = RowText();
    };
    job.xText = [this](const TextTake& take) {
        input_.xValues.forEachPiece(take);
        input_.xValues = RowText();
    };
    job.keptCoefficients = std::move(input_.keptCoefficients);
    job.keptX = std::move(input_.keptX);
    job.takeLists = true;
    job.write = [&out](Solve& solve, const SolveLists&) { out.report = PreparedLines(solve.reportText()); };
    out.solve = runSolve(std::move(job), input_.style, control);  // its memory goes before the plot's comes
    if (out.solve.failure) return;

    try {
        if (run_.cancelled()) throw AbortError();
        const SolveLists& lists = out.solve.lists;
        out.plot.setYScale(input_.plotScale);
        out.plot.setData(lists.coefficients, lists.x, lists.fx);
        out.plot.prepareFitFrame(input_.plotFrame);
        if (input_.copyLists) out.listsCopy = lists;
    } catch (...) {
        out.solve.failure = solveFailure(std::current_exception(), SolveList::none);
    }
}

}  // namespace quill
