// The analysis of a Solve beside the window: it starts once the report is
// shown, from copies of the lists, and its outcome comes back here to the
// plot and the notice.

#include <algorithm>

#include "common/error.h"
#include "solve/background_analysis.h"
#include "ui/application/application.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/text_pane.h"
#include "ui/plot_page/plot_page.h"
#include "ui/shared/language.h"

namespace quill {

namespace {

// What the notice says of the report's digits: the fewest a value has, and
// how many have fewer than 10 (the caption's %1).
const Caption& digitsWord(const AnalysisOutcome& out) {
    namespace words = captions::analysis;
    if (out.fewDigits.size() == 1) return words::kOneFewDigits;
    if (!out.fewDigits.empty()) return words::kFewDigits;
    return out.fewestDigits >= 15 ? words::kAllFifteen : words::kAllTen;
}

}  // namespace

void MainWindow::startAnalysis(SolveLists lists) {
    cancelAnalysis();
    if (lists_.xCount() == 0 && lists_.coefficientCount() == 0) return;
    analysisRun_ = std::make_unique<BackgroundAnalysis>(
        std::move(lists), [this] { QMetaObject::invokeMethod(this, &MainWindow::analysisDone, Qt::QueuedConnection); });
    showAnalysisNotice(&captions::analysis::kAnalysing);
}

void MainWindow::analysisDone() {
    // Cancelled runs go once their threads have ended.
    std::erase_if(cancelledAnalyses_, [](const std::unique_ptr<BackgroundAnalysis>& run) { return run->done(); });
    if (!analysisRun_ || !analysisRun_->done()) return;
    const std::unique_ptr<BackgroundAnalysis> run = std::move(analysisRun_);
    AnalysisOutcome& out = run->outcome();
    if (out.error) {
        showAnalysisNotice(nullptr);
        if (!isAbort(out.error)) app_.routeError(out.error);
        return;
    }
    runGuarded(app_, [&] {
        plotPage_->showAnalysis(out);
        showAnalysisNotice(&digitsWord(out), out.fewDigits.size());
    });
    emit analysisEnded();
}

void MainWindow::cancelAnalysis() {
    if (!analysisRun_) return;
    analysisRun_->cancel();
    cancelledAnalyses_.push_back(std::move(analysisRun_));
    showAnalysisNotice(nullptr);
}

void MainWindow::showAnalysisNotice(const Caption* word, std::size_t count) {
    analysisWord_ = word;
    analysisCount_ = count;
    updateNotice();
}

}  // namespace quill
