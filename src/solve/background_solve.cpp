#include "solve/background_solve.h"

#include <memory>
#include <utility>

#include "common/error.h"
#include "engine/list_reader.h"
#include "engine/solve.h"

namespace quill {

namespace {

// Where each stage of the Solve starts on the way to 1000: making the
// report's rows takes the longest.
constexpr int kStageStart[] = {0, 350, 500, 1000};

}  // namespace

BackgroundSolve::BackgroundSolve(SolveInput input, std::function<void()> finished)
    : input_(std::move(input)), run_([this] { run(); }, std::move(finished)) {}

void BackgroundSolve::run() noexcept {
    using Source = SolveOutcome::Source;
    SolveOutcome& out = outcome_;
    Source reading = Source::none;
    try {
        SolveControl control;
        control.cancel = run_.cancelFlag();
        control.progress = [this](SolveStage stage, std::size_t done, std::size_t total) {
            const auto at = static_cast<std::size_t>(stage);
            const int span = kStageStart[at + 1] - kStageStart[at];
            permille_.store(kStageStart[at] + static_cast<int>(total ? span * done / total : 0),
                            std::memory_order_relaxed);
        };
        control.keepX = false;  // the x values are taken out before they go
        auto solve = std::make_unique<Solve>(input_.style, control);

        // The errors come in pane order: the coefficients first, then the x
        // values. A pane without lines takes the list of the last Solve.
        input_.xValues.forEachPiece([&solve](std::string_view piece) { solve->addXText(piece); });
        input_.xValues = RowText();
        reading = Source::coefficients;
        if (input_.coefficients.bytes() == 0)
            out.coefficients = std::move(input_.keptCoefficients);
        else
            out.coefficients = readList(input_.coefficients.text(), input_.style.decimalMark);
        input_.coefficients = RowText();
        out.listsMade = 1;
        reading = Source::xValues;
        solve->finishX();
        if (solve->xTextEmpty()) solve->setX(input_.keptX);
        std::vector<double>().swap(input_.keptX);
        reading = Source::none;

        out.x = solve->xValues();
        out.listsMade = 2;
        solve->compute(out.coefficients);
        out.fx = solve->fxValues();
        out.listsMade = 3;
        out.report = PreparedLines(solve->reportText());
        solve.reset();  // its memory goes before the plot's comes
        if (run_.cancelled()) throw AbortError();
        out.plot.setYScale(input_.plotScale);
        out.plot.setData(out.coefficients, out.x, out.fx);
        out.plot.prepareFitFrame(input_.plotFrame);
        if (input_.copyLists) out.listsCopy = {out.coefficients, out.x, out.fx};
    } catch (...) {
        out.error = std::current_exception();
        out.errorSource = reading;
    }
}

}  // namespace quill
