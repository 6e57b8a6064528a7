// The main window's commands and its show, close and destroy events.

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QCheckBox>
#include <QElapsedTimer>

#include "lines/list_file.h"
#include "numtext/decimal_mark.h"
#include "ui/about_box.h"
#include "ui/application.h"
#include "ui/dialog_support.h"
#include "ui/language.h"
#include "ui/main_window.h"
#include "ui/modal.h"
#include "ui/pane_files.h"
#include "ui/phone_dialog.h"
#include "ui/text_pane.h"

namespace quill {

namespace {

// The wait cursor and a busy notice while a long command runs; both go
// again however the command ends.
class BusyIndicator {
public:
    BusyIndicator(QLabel* panel, bool english) : panel_(panel), english_(english) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        panel_->setText(captions::kBusy.Text(english_));
        if (panel_->isVisible()) panel_->repaint();
    }
    ~BusyIndicator() {
        panel_->setText(captions::kReady.Text(english_));
        QApplication::restoreOverrideCursor();
    }
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

private:
    QLabel* panel_;
    bool english_;
};

QString ExecutableDirectory() {
    Application* app = Application::current();
    return app ? app->ExecutableDirectory() : QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

}  // namespace

// ---- panes ------------------------------------------------------------------

void TFrmMain::BtnClearAnClick() { MemoAN->Lines().clear(); }
void TFrmMain::BtnClearXClick() { MemoX->Lines().clear(); }
void TFrmMain::BtnClearFxClick() { MemoFx->Lines().clear(); }

void TFrmMain::BtnLoadAnClick() { LoadPaneThroughDialog(OpenDlg, *MemoAN, this); }
void TFrmMain::BtnLoadXClick() { LoadPaneThroughDialog(OpenDlg, *MemoX, this); }
void TFrmMain::BtnLoadFxClick() { LoadPaneThroughDialog(OpenDlg, *MemoFx, this); }
void TFrmMain::BtnSaveAnClick() { SavePaneThroughDialog(SaveDlg, *MemoAN, this); }
void TFrmMain::BtnSaveXClick() { SavePaneThroughDialog(SaveDlg, *MemoX, this); }
void TFrmMain::BtnSaveFxClick() { SavePaneThroughDialog(SaveDlg, *MemoFx, this); }

void TFrmMain::BtnSampleDataClick() {
    // A missing An.txt ends the command before X.txt is touched.
    const QString directory = ExecutableDirectory();
    LoadFromFile(MemoAN->Lines(), (directory + QStringLiteral("An.txt")).toStdString());
    LoadFromFile(MemoX->Lines(), (directory + QStringLiteral("X.txt")).toStdString());
}

void TFrmMain::BtnSolveClick() {
    BusyIndicator busy(StatusPanel0, english_);
    QElapsedTimer clock;
    clock.start();
    evaluator_.Solve(MemoAN->Lines(), MemoX->Lines(), MemoFx->Lines(), ChkAutoClear->isChecked(),
                     ReportStyle{decimalMark_, false});
    SolveFinished(clock.nsecsElapsed());
}

// ---- menu -------------------------------------------------------------------

void TFrmMain::MnuExitClick() { RequestClose(*this); }

// The Set and Help menus' other entries: main_window_menu.cpp.

void TFrmMain::MnuPhoneClick() {
    Application* app = Application::current();
    if (auto* phone = app ? app->OwnedWindow<TFrmVisitePhone>() : nullptr) RunModal(*phone);
}

void TFrmMain::MnuAboutClick() {
    Application* app = Application::current();
    if (auto* about = app ? app->OwnedWindow<TAboutBox>() : nullptr) RunModal(*about);
}

// ---- window events ----------------------------------------------------------

void TFrmMain::FormShow() {
    if (Application* app = Application::current()) app->Trace(QStringLiteral("FormShow"));
    ApplyLanguage();
    BtnSampleDataClick();
}

void TFrmMain::FormDestroy() {
    if (Application* app = Application::current()) app->Trace(QStringLiteral("FormDestroy"));
    evaluator_.Release();
}

void TFrmMain::setVisible(bool visible) {
    if (visible && !isVisible()) {
        // The show event runs before the window is on screen: an error in it
        // comes up in its box first, and the window opens all the same.
        RunGuarded(this, [this] { FormShow(); });
        layout()->activate();  // the fixed size, so that the centring uses it
        PlaceAtFirstShow(*this, FirstShowPlacement::pointerScreenCentre, placed_);
    }
    QMainWindow::setVisible(visible);
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    // The close box, Alt+F4 and the window menu take the road of Exit.
    event->ignore();
    RunGuarded(this, [this] { RequestClose(*this); });
}

void TFrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        decimalMark_ = ReadLocaleDecimalMark();
        UpdateNotice();
    }
}

}  // namespace quill
