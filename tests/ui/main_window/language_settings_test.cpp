// The language choice and its settings file, the Help and Web entries, the
// status bar's notice and the plot page as the main window drives them.

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cstdio>

#include "plot_page_probe.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/phone_dialog.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/text_pane.h"
#include "ui/plot_page/plot_page.h"
#include "ui/shared/help_commands.h"
#include "ui/start/entry.h"
#include "ui_test_support.h"

using quill::Application;
using quill::MainWindow;
using quill::test::paneText;
using quill::test::RecordingPresenter;

using namespace quill::test;

namespace {

// A box's text without the break chances added for long words.
QString plain(QString boxText) { return boxText.remove(QChar(0x200B)); }

// What a control shows: a button's or label's text, a menu's title, an
// entry's text, a dialog's title.
QString captionOf(QObject* control) {
    if (auto* b = qobject_cast<QAbstractButton*>(control)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(control)) return l->text();
    if (auto* m = qobject_cast<QMenu*>(control)) return m->title();
    if (auto* a = qobject_cast<QAction*>(control)) return a->text();
    return qobject_cast<QWidget*>(control)->windowTitle();
}

// Runs `last` on the main window once the loop runs; it ends the program.
void whenRunning(std::function<void(MainWindow&)> last) {
    QTimer::singleShot(0, [last] { last(*quill::test::testApp().ownedWindow<MainWindow>()); });
}

// The child run by anUnwritableSettingsFileEndsTheProgramAllTheSame: the
// program with its settings file in a folder that is a regular file. Prints
// each box it would show; the exit code is the entry routine's.
int runWithUnwritableSettings(int argc, char** argv, const QString& programPath) {
    Application app(argc, argv);
    registeredApp() = &app;
    QTemporaryDir samples;  // none: the show event's box is printed too
    app.setExecutableDirectory(samples.path() + '/');
    app.setSettingsProgramPath(programPath);
    RecordingPresenter boxes;
    boxes.whileShown = [&boxes] {
        std::fputs((boxes.boxes.back().text + '\n').toUtf8().constData(), stdout);
        std::fflush(stdout);
    };
    whenRunning([](MainWindow& w) { entryNamed(w, "MnuExit")->trigger(); });
    return quill::runEntryRoutine(app);
}

}  // namespace

class LanguageSettingsTest : public QObject {
    Q_OBJECT

private:
    Application* app_ = &quill::test::testApp();
    QTemporaryDir dir_;
    QString settingsFile_;

    std::vector<QUrl> opened_;

    // A window that hands its addresses to opened_ instead of a browser.
    void watch(MainWindow& w) {
        opened_.clear();
        w.setUrlOpener([this](const QUrl& url) { return opened_.push_back(url), true; });
    }

private slots:
    void initTestCase() {
        settingsFile_ = dir_.filePath("quillometer.ini");
        writeBytes(dir_.filePath("An.txt"), "1\r\n2\r\n3\r\n");
        writeBytes(dir_.filePath("X.txt"), "2\r\n0.5\r\n");
        app_->setExecutableDirectory(dir_.path() + '/');
        app_->setSettingsProgramPath(dir_.filePath("quillometer"));
    }

    // The close box and Exit end the program the same way: the choice of the
    // run is in the file afterwards, changed or not, and the next start uses it.
    void everyExitWritesTheChoiceAndTheNextStartUsesIt() {
        const struct {
            std::function<void(MainWindow&)> last;
            std::string file;
        } rows[] = {
            {[](MainWindow& w) { w.close(); }, "[Setting]\r\nbChinese=1\r\n"},
            {[](MainWindow& w) { entryNamed(w, "MnuExit")->trigger(); }, "[Setting]\r\nbChinese=1\r\n"},
            {[](MainWindow& w) { entryNamed(w, "MnuEnglish")->trigger(), w.close(); }, "[Setting]\r\nbChinese=0\r\n"},
        };
        for (const auto& row : rows) {
            QFile::remove(settingsFile_);
            RecordingPresenter boxes;
            whenRunning(row.last);
            QCOMPARE(quill::runEntryRoutine(*app_), 0);
            QVERIFY(boxes.boxes.empty());
            QCOMPARE(readBytes(settingsFile_), row.file);
        }
        // The last row left English: it is back at the next start.
        MainWindow next(quill::test::testApp());
        QVERIFY(!next.settings().chinese());
        next.show();
        QVERIFY(next.english());
        QCOMPARE(buttonNamed(next, "BtnSolve")->text(), QStringLiteral("Solve"));
        entryNamed(next, "MnuChinese")->trigger();
    }

    // A settings file that cannot be written: the box and standard error say
    // so, and the program still ends normally with 0.
    void anUnwritableSettingsFileEndsTheProgramAllTheSame() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("folder"), "a regular file, not a folder");
        const QString programPath = dir.filePath("folder/quillometer");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("HOME");  // no per-user folder to fall back to
        env.remove("XDG_CONFIG_HOME");
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--unwritable-settings", programPath});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(std::pair(child.exitStatus(), child.exitCode()), std::pair(QProcess::NormalExit, 0));
        const QString message = "Unable to write to " + dir.filePath("folder/quillometer.ini");
        const QStringList shown = QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(shown.size(), 2);  // the missing samples at the show, then the settings
        QCOMPARE(plain(shown.last()), message + '.');
        QVERIFY(QString::fromUtf8(child.readAllStandardError()).contains(message + '\n'));
    }

    void theSetMenuMarksTheCurrentChoiceEachTimeItOpens() {
        MainWindow w(quill::test::testApp());
        const auto open = [&w] {
            emit menuNamed(w, "MnuSet")->aboutToShow();
            return std::pair{entryNamed(w, "MnuChinese")->isChecked(), entryNamed(w, "MnuEnglish")->isChecked()};
        };
        QCOMPARE(open(), std::pair(true, false));
        // Picking the same entry twice leaves the mark on it all the same.
        for (QAction* pick : {entryNamed(w, "MnuEnglish"), entryNamed(w, "MnuEnglish"), entryNamed(w, "MnuChinese"),
                              entryNamed(w, "MnuChinese")}) {
            pick->trigger();
            QCOMPARE(w.settings().chinese(), pick == entryNamed(w, "MnuChinese"));
            QCOMPARE(open(), std::pair(pick == entryNamed(w, "MnuChinese"), pick == entryNamed(w, "MnuEnglish")));
        }
    }

    // English turns every caption of the program to its English part;
    // Chinese brings back exactly what the windows were built with. The
    // report and the title stay as they are.
    void englishSwitchesEveryCaptionAndChineseRestoresThem() {
        MainWindow w(quill::test::testApp());
        quill::AboutBox* about = app_->createOwnedWindow<quill::AboutBox>();
        quill::PhoneDialog* phone = app_->createOwnedWindow<quill::PhoneDialog>();
        const struct {
            QObject* control;
            const char* english;
        } rows[] = {
            {buttonNamed(w, "BtnClearAn"), "Clear"},
            {buttonNamed(w, "BtnLoadAn"), "Load"},
            {buttonNamed(w, "BtnSaveAn"), "Save"},
            {buttonNamed(w, "BtnClearX"), "Clear"},
            {buttonNamed(w, "BtnLoadX"), "Load"},
            {buttonNamed(w, "BtnSaveX"), "Save"},
            {buttonNamed(w, "BtnClearFx"), "Clear"},
            {buttonNamed(w, "BtnLoadFx"), "Load"},
            {buttonNamed(w, "BtnSaveFx"), "Save"},
            {buttonNamed(w, "ChkAutoClear"), "Auto Clear"},
            {buttonNamed(w, "BtnSolve"), "Solve"},
            {buttonNamed(w, "BtnSampleData"), "SampleData"},
            {menuNamed(w, "MnuFile"), "&File"},
            {entryNamed(w, "MnuExit"), "&Exit"},
            {menuNamed(w, "MnuSet"), "&Set"},
            {entryNamed(w, "MnuChinese"), "&Chinese"},
            {entryNamed(w, "MnuEnglish"), "&English"},
            {menuNamed(w, "MnuHelp"), "&Help"},
            {entryNamed(w, "MnuContent"), "&Content"},
            {entryNamed(w, "MnuWeb"), "&Web"},
            {entryNamed(w, "MnuPhone"), "&Phone"},
            {entryNamed(w, "MnuAbout"), "&About"},
            {labelNamed(w, "StatusPanel0"), "Ready"},
            {buttonNamed(w, "BtnFit"), "Fit"},
            {labelNamed(w, "Label1"), "Question:a(n)*x^n+...a(1)*x+a(0)=F(x)"},
            {labelNamed(w, "Label4"), "F(x)"},
            {about, "About"},
            {labelNamed(*about, "ProductName"), "Quillometer2023"},
            {labelNamed(*about, "Version"), "Version: 2023"},
            {labelNamed(*about, "NoticePurpose"), "Polynomial evaluator"},
            {labelNamed(*about, "NoticeLicence"), "Released under the MIT License, without warranty."},
            {buttonNamed(*about, "OKButton"), "&OK"},
            {phone, "Visite with 2-Dims Code"},
            {buttonNamed(*phone, "BtnClose"), "&Close"},
        };
        QStringList built;
        for (const auto& row : rows) built << captionOf(row.control);
        QTabWidget* pages = childNamed<QTabWidget>(w, "PageControl1");
        const QStringList tabs = {pages->tabText(0), pages->tabText(1)};
        const QString description = paneNamed(w, "MemoAN")->accessibleDescription();
        const QStringList filters = w.fileDialog(quill::FileDialog::Kind::open).nameFilters;

        entryNamed(w, "MnuEnglish")->trigger();
        for (const auto& row : rows) QCOMPARE(captionOf(row.control), QString::fromUtf8(row.english));
        QCOMPARE(pages->tabText(0), QStringLiteral("Quill Solve"));
        QCOMPARE(pages->tabText(1), QStringLiteral("Plot"));
        QCOMPARE(labelNamed(w, "StatusPanel1")->text(), QStringLiteral("Decimal mark: ."));
        QCOMPARE(paneNamed(w, "MemoAN")->accessibleDescription(),
                 QStringLiteral("Coefficients, one per line, a(0) first"));
        QCOMPARE(w.fileDialog(quill::FileDialog::Kind::save).nameFilters,
                 (QStringList{"Text data files(*.txt)", "All files(*.*)"}));
        // Nothing else speaks English only: the title, the placeholder and the report.
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillometer2023多项式求值器2023"));
        QCOMPARE(paneText(paneNamed(w, "MemoFx")), std::string("就绪Ready\r\n"));
        paneNamed(w, "MemoAN")->lines().load({"1"});
        paneNamed(w, "MemoX")->lines().load({"2"});
        buttonNamed(w, "BtnSolve")->click();
        QCOMPARE(paneText(paneNamed(w, "MemoFx")),
                 std::string("An的数量 An Items Count =1\r\nX的数量 X Count =1\r\nA[0]=1\r\nX[0]=2\r\nF(2)=1\r\n"));
        QCOMPARE(labelNamed(w, "StatusPanel0")->text(), QStringLiteral("Ready"));

        entryNamed(w, "MnuChinese")->trigger();
        QStringList restored;
        for (const auto& row : rows) restored << captionOf(row.control);
        QCOMPARE(restored, built);
        QCOMPARE((QStringList{pages->tabText(0), pages->tabText(1)}), tabs);
        QCOMPARE(paneNamed(w, "MemoAN")->accessibleDescription(), description);
        QCOMPARE(w.fileDialog(quill::FileDialog::Kind::open).nameFilters, filters);
        QCOMPARE(w.fileDialog(quill::FileDialog::Kind::save).nameFilters, filters);
        QVERIFY(
            labelNamed(w, "StatusPanel1")->text().startsWith(QStringLiteral("小数点 Decimal mark: .    An 1, X 1, ")));
        app_->destroyOwnedWindows();
    }

    void helpOpensTheDocumentOrExplainsThatItIsMissing() {
        const QString chm = dir_.filePath("Quillometer.chm");
        const struct {
            bool english, present;
            const char* text;  // %1: the document's path
            const char* caption;
        } rows[] = {
            {false, false, "不能打开帮助文件%1\r\nCan not Open Help File%1", "系统提示System Hint"},
            {true, false, "Can not Open Help File%1", "System Hint"},
            {false, true, nullptr, nullptr},
        };
        for (const auto& row : rows) {
            QFile::remove(chm);
            if (row.present) writeBytes(chm, "help");
            MainWindow w(quill::test::testApp());
            watch(w);
            if (row.english) entryNamed(w, "MnuEnglish")->trigger();
            RecordingPresenter boxes;
            entryNamed(w, "MnuContent")->trigger();
            QCOMPARE(boxes.boxes.size(), std::size_t{row.present ? 0u : 1u});
            QCOMPARE(opened_.size(), std::size_t{row.present ? 1u : 0u});
            if (row.present) {
                QCOMPARE(opened_[0], QUrl::fromLocalFile(chm));
                continue;
            }
            QCOMPARE(plain(boxes.boxes[0].text), QString::fromUtf8(row.text).arg(chm));
            QCOMPARE(boxes.boxes[0].caption, QString::fromUtf8(row.caption));
            QCOMPARE(boxes.boxes[0].icon, QMessageBox::Warning);
            entryNamed(w, "MnuWeb")->trigger();
            QCOMPARE(opened_, std::vector{QUrl(quill::webAddress())});
        }
        QFile::remove(chm);
    }

    // A Solve puts its counts and time in the notice and its lists on the
    // plot; a failed one changes neither.
    void aSolveReachesTheNoticeAndThePlot() {
        MainWindow w(quill::test::testApp());
        paneNamed(w, "MemoAN")->lines().load({"1\r\n2\r\n3\r\n4"});
        paneNamed(w, "MemoX")->lines().load({"0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6"});
        QSignalSpy analysed(&w, &MainWindow::analysisEnded);
        buttonNamed(w, "BtnSolve")->click();
        // Then the word of the analysis beside the window.
        const QRegularExpression figures(
            QStringLiteral("^小数点 Decimal mark: \\.    An 4, X 7, \\d+\\.\\d+ ms    .*(digits|Analysing…)$"));
        // On a busy machine the Solve can outlast the click's short wait.
        QTRY_VERIFY2(figures.match(labelNamed(w, "StatusPanel1")->text()).hasMatch(),
                     qPrintable(labelNamed(w, "StatusPanel1")->text()));
        QCOMPARE(quill::PlotPageProbe::model(*childNamed<quill::PlotPage>(w, "TabSheet2")).pointCount(),
                 std::size_t{7});

        QVERIFY(analysed.count() > 0 || analysed.wait(60000));
        QVERIFY(labelNamed(w, "StatusPanel1")->text().endsWith("All values are right to 15 digits"));
        RecordingPresenter boxes;
        const QString before = labelNamed(w, "StatusPanel1")->text();
        paneNamed(w, "MemoX")->lines().load({"1\r\nabc"});
        buttonNamed(w, "BtnSolve")->click();
        QTRY_COMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(labelNamed(w, "StatusPanel1")->text(), before);
        QCOMPARE(quill::PlotPageProbe::model(*childNamed<quill::PlotPage>(w, "TabSheet2")).pointCount(),
                 std::size_t{7});

        // The coordinates under the mouse stand in for the notice meanwhile.
        emit childNamed<quill::PlotPage>(w, "TabSheet2")->coordinatesChanged(QStringLiteral("x=1  y=10"));
        QCOMPARE(labelNamed(w, "StatusPanel1")->text(), QStringLiteral("x=1  y=10"));
        emit childNamed<quill::PlotPage>(w, "TabSheet2")->coordinatesChanged(QString());
        QCOMPARE(labelNamed(w, "StatusPanel1")->text(), before);
    }

    // The plot page is a second tab; the keyboard reaches it and comes back.
    void ctrlTabTurnsToThePlotAndBack() {
        MainWindow w(quill::test::testApp());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        buttonNamed(w, "BtnSolve")->setFocus();
        for (QWidget* page : {static_cast<QWidget*>(childNamed<quill::PlotPage>(w, "TabSheet2")),
                              childNamed<QWidget>(w, "TabSheet1")}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(childNamed<QTabWidget>(w, "PageControl1")->currentWidget(), page);
        }
    }
};

int main(int argc, char** argv) {
    int childArgc = 1;
    if (argc == 3 && qstrcmp(argv[1], "--unwritable-settings") == 0)
        return runWithUnwritableSettings(childArgc, argv, QString::fromLocal8Bit(argv[2]));
    Application app(argc, argv);
    registeredApp() = &app;
    app.setTitle(QString::fromUtf8(quill::kApplicationTitle));
    LanguageSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "language_settings_test.moc"
