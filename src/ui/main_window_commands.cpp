// The main window's pane commands and its show, close and destroy events.

#include <QCloseEvent>
#include <QLayout>

#include "lines/list_file.h"
#include "numtext/decimal_mark.h"
#include "ui/application.h"
#include "ui/dialog_support.h"
#include "ui/main_window.h"
#include "ui/modal.h"
#include "ui/pane_files.h"
#include "ui/text_pane.h"

namespace quill {

// ---- panes ------------------------------------------------------------------

void MainWindow::clearPane(PaneRole role) { paneFor(role).lines().clear(); }
void MainWindow::loadPane(PaneRole role) { loadPaneThroughDialog(openDialog_, paneFor(role), this); }
void MainWindow::savePane(PaneRole role) { savePaneThroughDialog(saveDialog_, paneFor(role), this); }

void MainWindow::loadSampleData() {
    // A missing An.txt ends the command before X.txt is touched.
    const QString directory = app_.executableDirectory();
    loadFromFile(paneFor(PaneRole::coefficients).lines(), (directory + QStringLiteral("An.txt")).toStdString());
    loadFromFile(paneFor(PaneRole::xValues).lines(), (directory + QStringLiteral("X.txt")).toStdString());
}

// ---- dialogs and the close road ---------------------------------------------

void MainWindow::showDialog(QDialog* dialog) {
    if (dialog) runModal(*dialog);
}

void MainWindow::requestClose() {
    cancelSolve();
    if (app_.mainWindow() == this)
        app_.requestQuit();
    else
        hide();
}

// ---- window events ----------------------------------------------------------

void MainWindow::prepareShow() {
    app_.trace(QStringLiteral("FormShow"));
    applyLanguage(!settings_.chinese());
    loadSampleData();
}

void MainWindow::releaseLists() {
    app_.trace(QStringLiteral("FormDestroy"));
    evaluator_.release();
}

void MainWindow::setVisible(bool visible) {
    if (visible && !isVisible()) {
        // The show event runs before the window is on screen: an error in it
        // comes up in its box first, and the window opens all the same.
        runGuarded(app_, [this] { prepareShow(); });
        openStartFiles();
        layout()->activate();  // the fixed size, so that the centring uses it
        placeAtFirstShow(*this, FirstShowPlacement::pointerScreenCentre, placed_);
    }
    QMainWindow::setVisible(visible);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box, Alt+F4 and the window menu take the road of Exit.
    event->ignore();
    runGuarded(app_, [this] { requestClose(); });
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        decimalMark_ = readLocaleDecimalMark();
        updateNotice();
    }
}

}  // namespace quill
