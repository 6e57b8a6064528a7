// Long pane work in the window (pane_work.h): it shows in the status bar with
// the progress bar and Cancel of a long Solve while no Solve does, and while
// it replaces a pane's text that pane's buttons, the Solve and the sample
// data are off.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/application/application.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/text_pane.h"

namespace quill {

namespace {

// Each pane's buttons, in the order of the panes.
constexpr Control kPaneButtons[][3] = {
    {Control::clearCoefficients, Control::loadCoefficients, Control::saveCoefficients},
    {Control::clearX, Control::loadX, Control::saveX},
    {Control::clearResults, Control::loadResults, Control::saveResults},
};

}  // namespace

void MainWindow::buildPaneWork() {
    paneWork_ = std::make_unique<PaneWork>(app_, this);
    for (TextPane* pane : panes_) pane->setWork(paneWork_.get());
    connect(paneWork_.get(), &PaneWork::paneBusy, this, [this](TextPane* pane, bool busy) { paneBusy(pane, busy); });
}

void MainWindow::paneBusy(TextPane* pane, bool busy) {
    for (std::size_t i = 0; i < std::size(panes_); ++i) {
        if (panes_[i] != pane) continue;
        for (const Control button : kPaneButtons[i]) control(button)->setEnabled(!busy);
    }
    const bool free = !paneWork_->replacingAny() && !solving();
    for (const Control input : {Control::solve, Control::sampleData}) control(input)->setEnabled(free);
}

bool MainWindow::showWork(const Caption& caption, int permille, const std::function<void()>& cancel) {
    if (solving()) {
        cancelWork_ = nullptr;
        return false;
    }
    const QString text = caption.text(english_);
    statePanel_->setText(text);
    solveProgress_->setAccessibleName(text);
    solveProgress_->setValue(permille);
    solveProgress_->show();
    cancelWork_ = cancel;
    cancelButton_->show();
    return true;
}

void MainWindow::hideWork() {
    cancelWork_ = nullptr;
    if (solving()) return;
    statePanel_->setText(captions::kReady.text(english_));
    solveProgress_->hide();
    cancelButton_->hide();
    applySolveProgressLanguage();
}

}  // namespace quill
