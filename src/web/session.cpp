#include "session.h"

#include <exception>
#include <new>
#include <utility>

#include "common/error.h"
#include "engine/error_text.h"
#include "engine/solve.h"
#include "engine/solve_run.h"
#include "lines/list_file.h"

namespace quill::web {

namespace {

// The outcome's kind for a failure: those the fault leaves open by the error.
std::string kindOf(const SolveFailure& failure) {
    switch (failure.fault) {
        case SolveFault::aborted: return "abort";
        case SolveFault::outOfRange:
        case SolveFault::fxOverflow: return "overflow";
        case SolveFault::notNumber: return "value";
        case SolveFault::file: return "file";
        default: break;
    }
    try {
        std::rethrow_exception(failure.error);
    } catch (const ValueError&) {
        return "value";
    } catch (const std::bad_alloc&) {
        return "memory";
    } catch (...) {
    }
    return "error";
}

// The error box's text and the line it points at: the line read, or for an
// F(x) beyond the range the line of its x.
Outcome outcomeOf(const SolveFailure& failure) {
    Outcome out;
    out.ok = false;
    out.kind = kindOf(failure);
    out.message = errorBoxText(out.kind == "memory" ? "Out of memory" : failure.message);
    out.line = failure.line;
    if (failure.list != SolveList::none) out.list = failure.list == SolveList::coefficients ? "MemoAN" : "MemoX";
    return out;
}

}  // namespace

std::string withLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out.push_back(text[i]);
    }
    return out;
}

Outcome Session::solve(std::string_view coefficientText, std::string_view xText, char decimalMark,
                       const Progress& progress, const ReportSink& report) {
    SolveControl control;
    control.threads = 1;  // a worker has one thread
    control.keepX = false;
    if (progress)
        control.progress = [&progress](SolveStage stage, std::size_t done, std::size_t total) {
            progress(solvePermille(stage, done, total));
        };

    // The panes' texts with CR LF breaks, as the desktop's panes hold them; a
    // pane without text takes its list of the last Solve.
    SolveJob job;
    job.coefficientText = [coefficientText](const TextTake& take) { take(transferIntoPane(coefficientText)); };
    job.xText = [xText](const TextTake& take) { take(transferIntoPane(xText)); };
    if (coefficientText.empty()) job.keptCoefficients = lists_.coefficients;
    if (xText.empty()) job.keptX = lists_.x;
    job.takeLists = true;
    job.write = [&report](Solve& solve, const SolveLists&) { solve.writeReport(report); };
    SolveResult result = runSolve(std::move(job), ReportStyle{decimalMark, false}, control);
    if (!result.failure) {
        lists_ = std::move(result.lists);
        return {};
    }
    // Each list read whole before the error replaces its predecessor; a
    // cancelled Solve changes nothing.
    SolveLists& made = result.lists;
    if (result.listsMade > 0 && result.failure.fault != SolveFault::aborted) {
        lists_.coefficients = std::move(made.coefficients);
        if (result.listsMade >= 2) lists_.x = std::move(made.x);
        if (result.listsMade >= 3) lists_.fx = std::move(made.fx);
    }
    return outcomeOf(result.failure);
}

}  // namespace quill::web
