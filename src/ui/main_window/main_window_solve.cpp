// Solve: the panes' texts are copied on the interface thread, the Solve runs
// on its own thread, and its outcome comes back here. A Solve that ends
// within a moment is finished before its click returns, with nothing turned
// off and on again; a longer one turns off what would change its input and
// shows its progress in the status bar, with a Cancel button, a moment later.

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <utility>

#include "common/error.h"
#include "solve/background_solve.h"
#include "ui/application/application.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/text_pane.h"
#include "ui/plot_page/plot_page.h"
#include "ui/shared/command_guard.h"
#include "ui/shared/dispose_aside.h"
#include "ui/shared/language.h"

namespace quill {

namespace {

using namespace std::chrono_literals;

// How long the click waits for the Solve before the window goes on without it.
constexpr auto kWaitAtClick = 50ms;
// When the progress shows, after the click.
constexpr qint64 kProgressDelayMs = 150;
constexpr int kProgressTickMs = 40;

// The controls turned off while a Solve runs: everything that changes its input.
constexpr Control kSolveInputs[] = {Control::coefficientPane,  Control::xPane,  Control::clearCoefficients,
                                    Control::loadCoefficients, Control::clearX, Control::loadX,
                                    Control::autoClear,        Control::solve,  Control::sampleData};

}  // namespace

void MainWindow::buildSolveProgress() {
    solveProgress_ = new QProgressBar(statusBar());
    solveProgress_->setObjectName(QStringLiteral("SolveProgress"));
    solveProgress_->setRange(0, 1000);
    solveProgress_->setFixedSize(160, kStatusBarHeight - 2);
    cancelButton_ = new QPushButton(statusBar());
    cancelButton_->setObjectName(QStringLiteral("BtnCancelSolve"));
    cancelButton_->setFixedHeight(kStatusBarHeight - 2);
    statusBar()->addPermanentWidget(solveProgress_);
    statusBar()->addPermanentWidget(cancelButton_);
    solveProgress_->hide();
    cancelButton_->hide();
    // Cancel ends the Solve, or the pane work shown while none runs.
    connect(cancelButton_, &QPushButton::clicked, this,
            [this] { solving() || !cancelWork_ ? cancelSolve() : cancelWork_(); });

    cancelShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancelShortcut_->setObjectName(QStringLiteral("CancelSolveShortcut"));
    cancelShortcut_->setEnabled(false);
    connect(cancelShortcut_, &QShortcut::activated, this, [this] { cancelSolve(); });

    solveTimer_ = new QTimer(this);
    solveTimer_->setInterval(kProgressTickMs);
    connect(solveTimer_, &QTimer::timeout, this, [this] { updateSolveProgress(); });
}

void MainWindow::applySolveProgressLanguage() {
    solveProgress_->setAccessibleName(captions::kSolveProgress.text(english_));
    cancelButton_->setText(captions::kCancelSolve.text(english_));
}

void MainWindow::solve() {
    if (solveRun_) return;
    cancelAnalysis();
    solveClock_.start();
    const TextPane& coefficients = paneFor(PaneRole::coefficients);
    const TextPane& x = paneFor(PaneRole::xValues);
    SolveInput input;
    // The rows as they stand, shared, not copied.
    input.coefficients = coefficients.lines().rows();
    input.xValues = x.lines().rows();
    // A pane without lines takes the list of the last Solve again.
    if (coefficients.lines().count() == 0) input.keptCoefficients = lists_.coefficients;
    if (x.lines().count() == 0) input.keptX = lists_.x;
    input.style = ReportStyle{decimalMark_, false};
    input.plotScale = plotPage_->yScale();
    input.plotFrame = plotPage_->frameSize();
    input.copyLists = true;
    solveAutoClear_ = autoClear_->isChecked();
    solveRun_ = std::make_unique<BackgroundSolve>(
        std::move(input), [this] { QMetaObject::invokeMethod(this, &MainWindow::solveDone, Qt::QueuedConnection); });
    if (solveRun_->waitFor(kWaitAtClick)) {
        finishSolve();
        return;
    }
    setSolving(true);
}

void MainWindow::solveDone() {
    // A notice from a Solve already finished at its click, or cancelled, is
    // late and goes unheeded.
    if (solveRun_ && solveRun_->done()) finishSolve();
}

void MainWindow::finishSolve() {
    const std::unique_ptr<BackgroundSolve> run = std::move(solveRun_);
    setSolving(false);
    SolveOutcome& out = run->outcome();
    if (const SolveFailure& failure = out.solve.failure) {
        // Each list read whole before the error replaces its predecessor, as
        // in a Solve step by step; a cancelled Solve changes nothing. The box
        // first, then the line it names.
        SolveLists& made = out.solve.lists;
        if (out.solve.listsMade > 0 && failure.fault != SolveFault::aborted) {
            if (out.solve.listsMade < 2) made.x = lists_.x;
            if (out.solve.listsMade < 3) made.fx = lists_.fx;
            lists_ = std::move(made);
        }
        app_.routeError(failure.error);
        // The box points at a line read, not at an x whose F overflowed.
        if (failure.fault != SolveFault::fxOverflow && failure.list != SolveList::none)
            pointAtLine(failure.list == SolveList::coefficients ? PaneRole::coefficients : PaneRole::xValues,
                        failure.line);
    } else {
        runGuarded(app_, [&] {
            // The lists of the last Solve, and the report the pane lets go
            // of, are freed beside the window.
            disposeAside(std::exchange(lists_, std::move(out.solve.lists)));
            PaneText& result = paneFor(PaneRole::results).lines();
            if (solveAutoClear_) result.clear();
            result.addLines(std::move(out.report));
            showSolveFigures(solveClock_.nsecsElapsed());
            plotPage_->showSolve(std::move(out.plot));
            startAnalysis(std::move(out.listsCopy));
        });
    }
    emit solveEnded();
}

void MainWindow::cancelSolve(bool notify) {
    if (!solveRun_) return;
    solveRun_.reset();  // cancels, and waits for the chunk under way
    setSolving(false);
    if (notify) emit solveEnded();
}

void MainWindow::setSolving(bool solving) {
    if (solving) focusBeforeSolve_ = focusWidget();
    for (const Control input : kSolveInputs) control(input)->setEnabled(!solving);
    cancelShortcut_->setEnabled(solving);
    statePanel_->setText((solving ? captions::kBusy : captions::kReady).text(english_));
    if (solving) {
        solveProgress_->setValue(0);
        solveTimer_->start();
        updateSolveProgress();
        return;
    }
    solveTimer_->stop();
    solveProgress_->hide();
    cancelButton_->hide();
    // Turning a control off moved the focus away from it: it comes back.
    if (focusBeforeSolve_ && focusBeforeSolve_->isEnabled()) focusBeforeSolve_->setFocus();
    focusBeforeSolve_.clear();
}

void MainWindow::updateSolveProgress() {
    if (!solveRun_) return;
    if (solveProgress_->isHidden() && solveClock_.elapsed() >= kProgressDelayMs) {
        solveProgress_->show();
        cancelButton_->show();
    }
    solveProgress_->setValue(solveRun_->permille());
}

void MainWindow::pointAtLine(PaneRole role, int64_t line) {
    TextPane& pane = paneFor(role);
    if (line < 0 || line >= pane.lines().rowCount()) return;
    pages_->setCurrentWidget(pane.parentWidget());
    // The caret at the start of the line, which shows however long it is.
    pane.select({line, pane.lines().row(line).size()}, {line, 0});
    pane.setFocus(Qt::OtherFocusReason);
}

}  // namespace quill
