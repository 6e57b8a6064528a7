#pragma once
// The main window: three panes side by side (coefficients, x values,
// results), a row of buttons under each, the Solve and sample-data buttons,
// the menu bar and the status bar. It owns the evaluation state and routes
// every command. Built in main_window_layout.cpp; the commands are in
// main_window_commands.cpp.

#include <QMainWindow>
#include <functional>

#include "engine/evaluator.h"
#include "ui/file_dialogs.h"
#include "settings/ini_datas.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QShortcut;
class QStatusBar;
class QTabWidget;
class QUrl;

namespace quill {

class PlotPage;
class TextPane;

class TFrmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // The area under the menu bar, status bar included, at 96 dpi.
    static constexpr int kClientWidth = 805;
    static constexpr int kClientHeight = 465;
    static constexpr int kStatusBarHeight = 19;

    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel0 = nullptr;  // "就绪", 150 px
    QLabel* StatusPanel1 = nullptr;  // the notice: the decimal mark in use
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    PlotPage* TabSheet2 = nullptr;  // the plot of the last Solve
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    TextPane* MemoAN = nullptr;
    TextPane* MemoX = nullptr;
    TextPane* MemoFx = nullptr;
    QPushButton* BtnClearAn = nullptr;
    QPushButton* BtnLoadAn = nullptr;
    QPushButton* BtnSaveAn = nullptr;
    QPushButton* BtnClearX = nullptr;
    QPushButton* BtnLoadX = nullptr;
    QPushButton* BtnSaveX = nullptr;
    QPushButton* BtnClearFx = nullptr;
    QPushButton* BtnLoadFx = nullptr;
    QPushButton* BtnSaveFx = nullptr;
    QCheckBox* ChkAutoClear = nullptr;
    QPushButton* BtnSolve = nullptr;
    QPushButton* BtnSampleData = nullptr;

    QMenu* MnuFile = nullptr;
    QAction* MnuExit = nullptr;
    QMenu* MnuSet = nullptr;
    QAction* MnuChinese = nullptr;
    QAction* MnuEnglish = nullptr;
    QMenu* MnuHelp = nullptr;
    QAction* MnuContent = nullptr;
    QAction* MnuWeb = nullptr;
    QAction* MnuPhone = nullptr;
    QAction* MnuAbout = nullptr;

    // The file dialogs that the three panes share.
    FileDialog OpenDlg{FileDialog::Kind::open};
    FileDialog SaveDlg{FileDialog::Kind::save};

    // Commands, one per control event. Each runs inside RunGuarded when the
    // control raises it; called directly, an error leaves it.
    void BtnClearAnClick();
    void BtnClearXClick();
    void BtnClearFxClick();
    void BtnLoadAnClick();
    void BtnLoadXClick();
    void BtnLoadFxClick();
    void BtnSaveAnClick();
    void BtnSaveXClick();
    void BtnSaveFxClick();
    void BtnSolveClick();
    void BtnSampleDataClick();
    void MnuExitClick();
    void MnuSetClick();
    void MnuChineseClick();
    void MnuEnglishClick();
    void MnuContentClick();
    void MnuWebClick();
    void MnuPhoneClick();
    void MnuAboutClick();
    // The show event: the language operation, then the sample data.
    void FormShow();
    // The destroy event: releases the evaluation state.
    void FormDestroy();
    // Puts the interface in the stored language.
    void ApplyLanguage();
    // Captions bilingual (the default) or English only.
    void ChangeToChinese();
    void ChangeToEnglish();
    bool English() const { return english_; }

    // The language choice, read from the settings file when the window is
    // made and written back when it is destroyed.
    TIniDatas& Settings() { return settings_; }
    // Where Help and Web hand their address (tests watch instead of a browser).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }

    const Evaluator& Evaluation() const { return evaluator_; }
    char DecimalMark() const { return decimalMark_; }

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    void BuildMenu();
    void BuildStatusBar();
    void SetTabOrder();
    void ConnectCommands();
    void BuildPlotPage();
    // The program file whose settings the window keeps.
    static std::string SettingsProgram();
    void UpdateNotice();
    // The counts and time of a Solve in the notice, its lists on the plot.
    void SolveFinished(qint64 nanoseconds);
    // Writes the language choice; a failure is reported, the exit goes on.
    void SaveSettingsAtExit();

    TIniDatas settings_;
    Evaluator evaluator_;
    bool english_ = false;
    QString solveNotice_;
    char solveMark_ = '.';
    std::function<bool(const QUrl&)> openUrl_;
    char decimalMark_ = '.';
    bool placed_ = false;
};

}  // namespace quill
