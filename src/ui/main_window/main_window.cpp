// The main window's own life: its making, its show, close, locale and
// destroy events, and its end.

#include "ui/main_window/main_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>

#include "numtext/decimal_mark.h"
#include "solve/background_analysis.h"
#include "solve/background_solve.h"
#include "ui/accessibility/accessibility.h"
#include "ui/application/application.h"
#include "ui/panes/text_pane.h"
#include "ui/plot_page/plot_page.h"
#include "ui/shared/dialog_support.h"
#include "ui/shared/program_icon.h"

namespace quill {

namespace {

constexpr int kFontPixels = 15;

}  // namespace

MainWindow::MainWindow(Application& app, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      app_(app),
      settings_(settingsProgram(app)) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    setWindowIcon(programIcon());
    setFont(dialogFont(kFontPixels));

    buildControls();
    setTabOrder();
    connectCommands();

    // A fixed frame: the window is exactly menu bar + client area and cannot
    // be resized or maximised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    setDecimalMark(readLocaleDecimalMark());
    // Each pane is named by its label; before any description, or the panes
    // get Qt's own interface.
    for (const ControlSpec& spec : mainWindowControls())
        if (spec.kind == ControlKind::pane)
            makeAccessible(*control<TextPane>(spec.control), *control<QLabel>(spec.namedBy));
    applyLanguage(false);
}

MainWindow::~MainWindow() {
    cancelSolve(false);
    cancelAnalysis();
    runGuarded(app_, [this] { releaseLists(); });
    runGuarded(app_, [this] { saveSettingsAtExit(); });
}

TextPane& MainWindow::paneFor(PaneRole role) const { return *panes_[static_cast<int>(role)]; }

// ---- window events ----------------------------------------------------------

void MainWindow::prepareShow() {
    app_.trace(QStringLiteral("FormShow"));
    applyLanguage(!settings_.chinese());
    loadSampleData();
}

void MainWindow::releaseLists() {
    app_.trace(QStringLiteral("FormDestroy"));
    lists_.release();
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
        setDecimalMark(readLocaleDecimalMark());
    }
}

}  // namespace quill
