// The main window's pane commands, its dialogs and the close road.

#include "lines/list_file.h"
#include "ui/application/application.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/pane_files.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/modal.h"

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

}  // namespace quill
