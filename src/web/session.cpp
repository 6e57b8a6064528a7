#include "session.h"

#include <memory>
#include <new>
#include <utility>

#include "common/error.h"
#include "engine/error_text.h"
#include "engine/list_reader.h"
#include "engine/solve.h"
#include "lines/list_file.h"

namespace quill::web {

namespace {

// Where each stage of the Solve starts on the way to 1000, as on the desktop:
// making the report's rows takes the longest.
constexpr int kStageStart[] = {0, 350, 500, 1000};

enum class Reading { none, coefficients, xValues };

struct SolveRun {
    std::vector<double> coefficients, x, fx;
    int listsMade = 0;  // how many of the three lists were made whole
    std::string report;
};

// The one Solve the page runs: the x text read first, then the
// coefficients, so that the errors come in pane order; a pane without text
// takes its list of the last Solve. `reading` tells which pane an error is about.
void runSolve(const std::string& coefficientText, const std::string& xText, char decimalMark, const Progress& progress,
              const Session& last, SolveRun& out, Reading& reading) {
    SolveControl control;
    control.threads = 1;  // a worker has one thread
    control.keepX = false;
    if (progress)
        control.progress = [&progress](SolveStage stage, std::size_t done, std::size_t total) {
            const auto at = static_cast<std::size_t>(stage);
            const int span = kStageStart[at + 1] - kStageStart[at];
            progress(kStageStart[at] + static_cast<int>(total ? span * done / total : 0));
        };
    Solve solve(ReportStyle{decimalMark, false}, control);
    solve.addXText(xText);
    reading = Reading::coefficients;
    out.coefficients = coefficientText.empty() ? last.coefficients() : readList(coefficientText, decimalMark);
    out.listsMade = 1;
    reading = Reading::xValues;
    solve.finishX();
    if (solve.xTextEmpty()) solve.setX(last.x());
    reading = Reading::none;
    out.x = solve.xValues();
    out.listsMade = 2;
    solve.compute(out.coefficients);
    out.fx = solve.fxValues();
    out.listsMade = 3;
    out.report = solve.reportText();
}

Outcome failure(std::string kind, const std::string& message, int64_t line = -1, std::string list = {}) {
    Outcome out;
    out.ok = false;
    out.kind = std::move(kind);
    out.message = errorBoxText(message);
    out.line = line;
    out.list = std::move(list);
    return out;
}

// The outcome of the error being handled.
Outcome caughtError() {
    try {
        throw;
    } catch (const AbortError& e) {
        return failure("abort", e.message());
    } catch (const OverflowError& e) {
        // An F(x) beyond the range names the x value's line instead.
        if (e.lineIndex() < 0 && e.valueLine() >= 0) return failure("overflow", e.message(), e.valueLine(), "MemoX");
        return failure("overflow", e.message(), e.lineIndex());
    } catch (const ValueError& e) {
        return failure("value", e.message(), e.lineIndex());
    } catch (const FileError& e) {
        return failure("file", e.message());
    } catch (const Error& e) {
        return failure("error", e.message());
    } catch (const std::bad_alloc&) {
        return failure("memory", "Out of memory");
    } catch (const std::exception& e) {
        return failure("error", e.what());
    }
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
                       const Progress& progress) {
    SolveRun run;
    Reading reading = Reading::coefficients;
    try {
        // The panes' texts with CR LF breaks, as the desktop's panes hold them.
        const std::string coefficients = transferIntoPane(coefficientText);
        reading = Reading::xValues;
        const std::string x = transferIntoPane(xText);
        reading = Reading::none;
        runSolve(coefficients, x, decimalMark, progress, *this, run, reading);
    } catch (...) {
        Outcome out = caughtError();
        if (out.list.empty() && reading != Reading::none)
            out.list = reading == Reading::coefficients ? "MemoAN" : "MemoX";
        // Each list read whole before the error replaces its predecessor;
        // a cancelled Solve changes nothing.
        if (run.listsMade > 0 && out.kind != "abort") {
            coefficients_ = std::move(run.coefficients);
            if (run.listsMade >= 2) x_ = std::move(run.x);
            if (run.listsMade >= 3) fx_ = std::move(run.fx);
        }
        return out;
    }
    coefficients_ = std::move(run.coefficients);
    x_ = std::move(run.x);
    fx_ = std::move(run.fx);
    Outcome out;
    out.text = std::move(run.report);
    return out;
}

}  // namespace quill::web
