#pragma once
// The main window: three panes side by side (coefficients, x values,
// results), a row of buttons under each, the Solve and sample-data buttons,
// the plot page, the menu bar and the status bar. It owns the evaluation
// state and routes every command. Its making, events and end are in
// main_window.cpp. The controls are described in main_window_controls.cpp
// and built from there in main_window_layout.cpp; the window reaches them
// by their role (Control), other code and tests by object name or through
// the operations below. The commands are in main_window_commands.cpp and
// main_window_menu.cpp, Solve in main_window_solve.cpp, the first show in
// main_window_start.cpp, the status bar's notice in main_window_notice.cpp,
// long pane work in main_window_work.cpp, the analysis after a Solve in
// main_window_analysis.cpp.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "engine/solve_lists.h"
#include "settings/language_setting.h"
#include "ui/main_window/main_window_controls.h"
#include "ui/panes/file_dialogs.h"
#include "ui/panes/pane_work.h"

class QAction;
class QCheckBox;
class QDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTabWidget;
class QTimer;
class QUrl;

namespace quill {

class Application;
struct Caption;
class BackgroundAnalysis;
class BackgroundSolve;
class PlotPage;
class TextPane;

enum class PaneRole { coefficients, xValues, results };

class MainWindow : public QMainWindow, public WorkDisplay {
    Q_OBJECT

public:
    // Errors of its commands go to the application's box; the settings file
    // is the one of the application's settings program.
    explicit MainWindow(Application& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The area under the menu bar, status bar included, at 96 dpi.
    static constexpr int kClientWidth = 805;
    static constexpr int kClientHeight = 465;
    static constexpr int kStatusBarHeight = 19;

    TextPane& paneFor(PaneRole role) const;

    // Captions bilingual (the default) or English only, in this window and
    // the application's dialogs; the choice goes to the settings file at the
    // end of the run.
    void setLanguage(bool english);
    bool english() const { return english_; }

    // The open and save dialogs that the three panes share.
    FileDialog& fileDialog(FileDialog::Kind kind) { return kind == FileDialog::Kind::open ? openDialog_ : saveDialog_; }

    // The language choice, read from the settings file when the window is
    // made and written back when it is destroyed.
    LanguageSetting& settings() { return settings_; }
    // Where Help and Web hand their address (tests watch instead of a browser).
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }

    // The lists of the last Solve.
    const SolveLists& lists() const { return lists_; }
    char decimalMark() const { return decimalMark_; }

    void setVisible(bool visible) override;

    // A Solve runs off the interface thread; a short one has ended before
    // its click returns, a long one shows its progress in the status bar.
    bool solving() const { return solveRun_ != nullptr; }
    // After a Solve its analysis runs beside the window (the plot's marks,
    // the notice's word on the correct digits); the next Solve or an edit
    // of the coefficient or x pane cancels it.
    bool analysing() const { return analysisRun_ != nullptr; }

    // Long pane work (main_window_work.cpp) shows in the status bar, with
    // the Solve's progress bar and Cancel, while no Solve does.
    bool showWork(const Caption& caption, int permille, const std::function<void()>& cancel) override;
    void hideWork() override;

signals:
    // A Solve has ended: its report is in the result pane, its error has been
    // shown, or it was cancelled.
    void solveEnded();
    // The analysis of the last Solve is on show.
    void analysisEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    QObject* buildControl(const ControlSpec& spec, QWidget* client);
    void setTabOrder();
    void connectCommands();
    // The control in that role, built from the table.
    template <class Widget = QWidget>
    Widget* control(Control role) const {
        return qobject_cast<Widget*>(controls_[indexOf(role)]);
    }
    // Puts every caption into the language; nothing is stored.
    void applyLanguage(bool english);

    // The commands, each run guarded when its control raises it.
    void clearPane(PaneRole role);
    void loadPane(PaneRole role);
    void savePane(PaneRole role);
    void loadSampleData();
    // Solve (main_window_solve.cpp): starts the Solve on its thread...
    void solve();
    // ...which hands its outcome to the window here...
    void solveDone();
    void finishSolve();
    // ...or is cancelled (Esc, Cancel, closing the window): nothing changes.
    void cancelSolve(bool notify = true);
    void buildSolveProgress();
    void applySolveProgressLanguage();
    // The controls that change a Solve's input are off while it runs.
    void setSolving(bool solving);
    void updateSolveProgress();
    // The pane work of the window, and the controls that would change a
    // pane whose text it replaces, off while it runs.
    void buildPaneWork();
    void paneBusy(TextPane* pane, bool busy);
    // The analysis (main_window_analysis.cpp): started after a Solve is
    // shown, on the copy of its lists that the Solve made, taken in when it
    // ends, or cancelled; a cancelled one is kept
    // until its thread ends, so that the window never waits for it.
    void startAnalysis(SolveLists lists);
    void analysisDone();
    void cancelAnalysis();
    // The notice's word on the analysis, in the language of the moment: a
    // caption, with count for its %1; none: nothing.
    void showAnalysisNotice(const Caption* word, std::size_t count = 0);
    // Selects the pane line that a reading error names and shows it.
    void pointAtLine(PaneRole role, int64_t line);
    void markLanguageChoice();  // the Set menu opens
    void showHelp();
    void showWebPage();
    void showDialog(QDialog* dialog);
    // Exit, the close box, Alt+F4: the application's main window ends the
    // program, any other is hidden.
    void requestClose();
    // The show event: the stored language, then the sample data.
    void prepareShow();
    // After the show event: the files of the command line in place of the
    // sample data, a fresh undo history, and the Solve asked for
    // (main_window_start.cpp).
    void openStartFiles();
    // The destroy event: releases the evaluation state.
    void releaseLists();

    // The program file whose settings the window keeps.
    static std::string settingsProgram(const Application& app);
    // The decimal mark the panes read and write (the locale's): in the
    // notice, and on the plot.
    void setDecimalMark(char mark);
    void updateNotice();
    // The counts and time of a Solve in the notice.
    void showSolveFigures(qint64 nanoseconds);
    // Writes the language choice; a failure is reported, the exit goes on.
    void saveSettingsAtExit();

    Application& app_;
    std::array<QObject*, kControlCount> controls_{};
    TextPane* panes_[3] = {};
    QCheckBox* autoClear_ = nullptr;
    QPushButton* solveButton_ = nullptr;
    QTabWidget* pages_ = nullptr;
    PlotPage* plotPage_ = nullptr;
    QAction* chineseEntry_ = nullptr;
    QAction* englishEntry_ = nullptr;
    QLabel* statePanel_ = nullptr;   // ready, or busy during a Solve
    QLabel* noticePanel_ = nullptr;  // the decimal mark in use, the last Solve
    FileDialog openDialog_{FileDialog::Kind::open};
    FileDialog saveDialog_{FileDialog::Kind::save};

    LanguageSetting settings_;
    SolveLists lists_;  // of the last Solve
    bool english_ = false;
    QString solveNotice_;
    char solveMark_ = '.';
    std::function<bool(const QUrl&)> openUrl_;
    char decimalMark_ = '.';
    bool placed_ = false;

    std::unique_ptr<BackgroundSolve> solveRun_;
    QElapsedTimer solveClock_;
    bool solveAutoClear_ = true;
    QPointer<QWidget> focusBeforeSolve_;
    QTimer* solveTimer_ = nullptr;
    QProgressBar* solveProgress_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QShortcut* cancelShortcut_ = nullptr;
    std::unique_ptr<PaneWork> paneWork_;
    std::function<void()> cancelWork_;  // Cancel of the pane work shown

    std::unique_ptr<BackgroundAnalysis> analysisRun_;
    std::vector<std::unique_ptr<BackgroundAnalysis>> cancelledAnalyses_;
    const Caption* analysisWord_ = nullptr;
    std::size_t analysisCount_ = 0;
};

}  // namespace quill
