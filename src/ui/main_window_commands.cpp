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

void TFrmMain::clearPane(PaneRole role) { paneFor(role).Lines().clear(); }
void TFrmMain::loadPane(PaneRole role) { LoadPaneThroughDialog(openDialog_, paneFor(role), this); }
void TFrmMain::savePane(PaneRole role) { SavePaneThroughDialog(saveDialog_, paneFor(role), this); }

void TFrmMain::loadSampleData() {
    // A missing An.txt ends the command before X.txt is touched.
    const QString directory = app_.ExecutableDirectory();
    LoadFromFile(paneFor(PaneRole::coefficients).Lines(), (directory + QStringLiteral("An.txt")).toStdString());
    LoadFromFile(paneFor(PaneRole::xValues).Lines(), (directory + QStringLiteral("X.txt")).toStdString());
}

// ---- dialogs and the close road ---------------------------------------------

void TFrmMain::showDialog(QDialog* dialog) {
    if (dialog) RunModal(*dialog);
}

void TFrmMain::requestClose() {
    cancelSolve();
    if (app_.MainWindow() == this)
        app_.RequestQuit();
    else
        hide();
}

// ---- window events ----------------------------------------------------------

void TFrmMain::formShow() {
    app_.Trace(QStringLiteral("FormShow"));
    applyLanguage(!settings_.bChinese);
    loadSampleData();
}

void TFrmMain::formDestroy() {
    app_.Trace(QStringLiteral("FormDestroy"));
    evaluator_.Release();
}

void TFrmMain::setVisible(bool visible) {
    if (visible && !isVisible()) {
        // The show event runs before the window is on screen: an error in it
        // comes up in its box first, and the window opens all the same.
        RunGuarded(app_, [this] { formShow(); });
        openStartFiles();
        layout()->activate();  // the fixed size, so that the centring uses it
        PlaceAtFirstShow(*this, FirstShowPlacement::pointerScreenCentre, placed_);
    }
    QMainWindow::setVisible(visible);
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    // The close box, Alt+F4 and the window menu take the road of Exit.
    event->ignore();
    RunGuarded(app_, [this] { requestClose(); });
}

void TFrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        decimalMark_ = ReadLocaleDecimalMark();
        updateNotice();
    }
}

}  // namespace quill
