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
#include <fstream>

#include "ui/about_box.h"
#include "ui/entry.h"
#include "ui/help_commands.h"
#include "ui/main_window.h"
#include "ui/phone_dialog.h"
#include "ui/plot_page.h"
#include "ui_test_support.h"

using quill::Application;
using quill::TFrmMain;
using quill::test::RecordingPresenter;
using quill::test::Text;

using namespace quill::test;

namespace {

std::string ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void WriteBytes(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

// A box's text without the break chances added for long words.
QString Plain(QString boxText) { return boxText.remove(QChar(0x200B)); }

// What a control shows: a button's or label's text, a menu's title, an
// entry's text, a dialog's title.
QString CaptionOf(QObject* control) {
    if (auto* b = qobject_cast<QAbstractButton*>(control)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(control)) return l->text();
    if (auto* m = qobject_cast<QMenu*>(control)) return m->title();
    if (auto* a = qobject_cast<QAction*>(control)) return a->text();
    return qobject_cast<QWidget*>(control)->windowTitle();
}

// Runs `last` on the main window once the loop runs; it ends the program.
void WhenRunning(std::function<void(TFrmMain&)> last) {
    QTimer::singleShot(0, [last] { last(*quill::test::App().OwnedWindow<TFrmMain>()); });
}

// The child run by anUnwritableSettingsFileEndsTheProgramAllTheSame: the
// program with its settings file in a folder that is a regular file. Prints
// each box it would show; the exit code is the entry routine's.
int RunWithUnwritableSettings(int argc, char** argv, const QString& programPath) {
    Application app(argc, argv);
    TheApp() = &app;
    QTemporaryDir samples;  // none: FormShow's box is printed too
    app.SetExecutableDirectory(samples.path() + '/');
    app.SetSettingsProgramPath(programPath);
    RecordingPresenter boxes;
    boxes.whileShown = [&boxes] {
        std::fputs((boxes.boxes.back().text + '\n').toUtf8().constData(), stdout);
        std::fflush(stdout);
    };
    WhenRunning([](TFrmMain& w) { Entry(w, "MnuExit")->trigger(); });
    return quill::RunEntryRoutine(app);
}

}  // namespace

class LanguageSettingsTest : public QObject {
    Q_OBJECT

private:
    Application* app_ = &quill::test::App();
    QTemporaryDir dir_;
    QString settingsFile_;

    std::vector<QUrl> opened_;

    // A window that hands its addresses to opened_ instead of a browser.
    void Watch(TFrmMain& w) {
        opened_.clear();
        w.setUrlOpener([this](const QUrl& url) { return opened_.push_back(url), true; });
    }

private slots:
    void initTestCase() {
        settingsFile_ = dir_.filePath("quillometer.ini");
        WriteBytes(dir_.filePath("An.txt"), "1\r\n2\r\n3\r\n");
        WriteBytes(dir_.filePath("X.txt"), "2\r\n0.5\r\n");
        app_->SetExecutableDirectory(dir_.path() + '/');
        app_->SetSettingsProgramPath(dir_.filePath("quillometer"));
    }

    // The close box and Exit end the program the same way: the choice of the
    // run is in the file afterwards, changed or not, and the next start uses it.
    void everyExitWritesTheChoiceAndTheNextStartUsesIt() {
        const struct {
            std::function<void(TFrmMain&)> last;
            std::string file;
        } rows[] = {
            {[](TFrmMain& w) { w.close(); }, "[Setting]\r\nbChinese=1\r\n"},
            {[](TFrmMain& w) { Entry(w, "MnuExit")->trigger(); }, "[Setting]\r\nbChinese=1\r\n"},
            {[](TFrmMain& w) { Entry(w, "MnuEnglish")->trigger(), w.close(); }, "[Setting]\r\nbChinese=0\r\n"},
        };
        for (const auto& row : rows) {
            QFile::remove(settingsFile_);
            RecordingPresenter boxes;
            WhenRunning(row.last);
            QCOMPARE(quill::RunEntryRoutine(*app_), 0);
            QVERIFY(boxes.boxes.empty());
            QCOMPARE(ReadBytes(settingsFile_), row.file);
        }
        // The last row left English: it is back at the next start.
        TFrmMain next(quill::test::App());
        QVERIFY(!next.settings().bChinese);
        next.show();
        QVERIFY(next.english());
        QCOMPARE(Button(next, "BtnSolve")->text(), QStringLiteral("Solve"));
        Entry(next, "MnuChinese")->trigger();
    }

    // A settings file that cannot be written: the box and standard error say
    // so, and the program still ends normally with 0.
    void anUnwritableSettingsFileEndsTheProgramAllTheSame() {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("folder"), "a regular file, not a folder");
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
        QCOMPARE(Plain(shown.last()), message + '.');
        QVERIFY(QString::fromUtf8(child.readAllStandardError()).contains(message + '\n'));
    }

    void theSetMenuMarksTheCurrentChoiceEachTimeItOpens() {
        TFrmMain w(quill::test::App());
        const auto open = [&w] {
            emit Menu(w, "MnuSet")->aboutToShow();
            return std::pair{Entry(w, "MnuChinese")->isChecked(), Entry(w, "MnuEnglish")->isChecked()};
        };
        QCOMPARE(open(), std::pair(true, false));
        // Picking the same entry twice leaves the mark on it all the same.
        for (QAction* pick : {Entry(w, "MnuEnglish"), Entry(w, "MnuEnglish"), Entry(w, "MnuChinese"), Entry(w, "MnuChinese")}) {
            pick->trigger();
            QCOMPARE(w.settings().bChinese, pick == Entry(w, "MnuChinese"));
            QCOMPARE(open(), std::pair(pick == Entry(w, "MnuChinese"), pick == Entry(w, "MnuEnglish")));
        }
    }

    // English turns every caption of the program to its English part;
    // Chinese brings back exactly what the windows were built with. The
    // report and the title stay as they are.
    void englishSwitchesEveryCaptionAndChineseRestoresThem() {
        TFrmMain w(quill::test::App());
        quill::TAboutBox* about = app_->CreateOwnedWindow<quill::TAboutBox>();
        quill::TFrmVisitePhone* phone = app_->CreateOwnedWindow<quill::TFrmVisitePhone>();
        const struct {
            QObject* control;
            const char* english;
        } rows[] = {
            {Button(w, "BtnClearAn"), "Clear"}, {Button(w, "BtnLoadAn"), "Load"}, {Button(w, "BtnSaveAn"), "Save"},
            {Button(w, "BtnClearX"), "Clear"}, {Button(w, "BtnLoadX"), "Load"}, {Button(w, "BtnSaveX"), "Save"},
            {Button(w, "BtnClearFx"), "Clear"}, {Button(w, "BtnLoadFx"), "Load"}, {Button(w, "BtnSaveFx"), "Save"},
            {Button(w, "ChkAutoClear"), "Auto Clear"}, {Button(w, "BtnSolve"), "Solve"},
            {Button(w, "BtnSampleData"), "SampleData"}, {Menu(w, "MnuFile"), "&File"}, {Entry(w, "MnuExit"), "&Exit"},
            {Menu(w, "MnuSet"), "&Set"}, {Entry(w, "MnuChinese"), "&Chinese"}, {Entry(w, "MnuEnglish"), "&English"},
            {Menu(w, "MnuHelp"), "&Help"}, {Entry(w, "MnuContent"), "&Content"}, {Entry(w, "MnuWeb"), "&Web"},
            {Entry(w, "MnuPhone"), "&Phone"}, {Entry(w, "MnuAbout"), "&About"}, {Label(w, "StatusPanel0"), "Ready"},
            {Button(w, "BtnFit"), "Fit"}, {Label(w, "Label1"), "Question:a(n)*x^n+...a(1)*x+a(0)=F(x)"},
            {Label(w, "Label4"), "F(x)"}, {about, "About"}, {Label(*about, "ProductName"), "Quillometer2023"},
            {Label(*about, "Version"), "Version: 2023"}, {Label(*about, "NoticePurpose"), "Polynomial evaluator"},
            {Label(*about, "NoticeLicence"), "Released under the MIT License, without warranty."},
            {Button(*about, "OKButton"), "&OK"}, {phone, "Visite with 2-Dims Code"},
            {Button(*phone, "BtnClose"), "&Close"},
        };
        QStringList built;
        for (const auto& row : rows) built << CaptionOf(row.control);
        QTabWidget* pages = Child<QTabWidget>(w, "PageControl1");
        const QStringList tabs = {pages->tabText(0), pages->tabText(1)};
        const QString description = Pane(w, "MemoAN")->accessibleDescription();
        const QStringList filters = w.fileDialog(quill::FileDialog::Kind::open).nameFilters;

        Entry(w, "MnuEnglish")->trigger();
        for (const auto& row : rows) QCOMPARE(CaptionOf(row.control), QString::fromUtf8(row.english));
        QCOMPARE(pages->tabText(0), QStringLiteral("Quill Solve"));
        QCOMPARE(pages->tabText(1), QStringLiteral("Plot"));
        QCOMPARE(Label(w, "StatusPanel1")->text(), QStringLiteral("Decimal mark: ."));
        QCOMPARE(Pane(w, "MemoAN")->accessibleDescription(), QStringLiteral("Coefficients, one per line, a(0) first"));
        QCOMPARE(w.fileDialog(quill::FileDialog::Kind::save).nameFilters,
                 (QStringList{"Text data files(*.txt)", "All files(*.*)"}));
        // Nothing else speaks English only: the title, the placeholder and the report.
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillometer2023多项式求值器2023"));
        QCOMPARE(Text(Pane(w, "MemoFx")), std::string("就绪Ready\r\n"));
        Pane(w, "MemoAN")->Lines().setFileBytes("1");
        Pane(w, "MemoX")->Lines().setFileBytes("2");
        Button(w, "BtnSolve")->click();
        QCOMPARE(Text(Pane(w, "MemoFx")), std::string("An的数量 An Items Count =1\r\nX的数量 X Count =1\r\nA[0]=1\r\nX[0]=2\r\nF(2)=1\r\n"));
        QCOMPARE(Label(w, "StatusPanel0")->text(), QStringLiteral("Ready"));

        Entry(w, "MnuChinese")->trigger();
        QStringList restored;
        for (const auto& row : rows) restored << CaptionOf(row.control);
        QCOMPARE(restored, built);
        QCOMPARE((QStringList{pages->tabText(0), pages->tabText(1)}), tabs);
        QCOMPARE(Pane(w, "MemoAN")->accessibleDescription(), description);
        QCOMPARE(w.fileDialog(quill::FileDialog::Kind::open).nameFilters, filters);
        QCOMPARE(w.fileDialog(quill::FileDialog::Kind::save).nameFilters, filters);
        QVERIFY(Label(w, "StatusPanel1")->text().startsWith(QStringLiteral("小数点 Decimal mark: .    An 1, X 1, ")));
        app_->DestroyOwnedWindows();
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
            if (row.present) WriteBytes(chm, "help");
            TFrmMain w(quill::test::App());
            Watch(w);
            if (row.english) Entry(w, "MnuEnglish")->trigger();
            RecordingPresenter boxes;
            Entry(w, "MnuContent")->trigger();
            QCOMPARE(boxes.boxes.size(), std::size_t{row.present ? 0u : 1u});
            QCOMPARE(opened_.size(), std::size_t{row.present ? 1u : 0u});
            if (row.present) {
                QCOMPARE(opened_[0], QUrl::fromLocalFile(chm));
                continue;
            }
            QCOMPARE(Plain(boxes.boxes[0].text), QString::fromUtf8(row.text).arg(chm));
            QCOMPARE(boxes.boxes[0].caption, QString::fromUtf8(row.caption));
            QCOMPARE(boxes.boxes[0].icon, QMessageBox::Warning);
            Entry(w, "MnuWeb")->trigger();
            QCOMPARE(opened_, std::vector{QUrl(quill::WebAddress())});
        }
        QFile::remove(chm);
    }

    // A Solve puts its counts and time in the notice and its lists on the
    // plot; a failed one changes neither.
    void aSolveReachesTheNoticeAndThePlot() {
        TFrmMain w(quill::test::App());
        Pane(w, "MemoAN")->Lines().setFileBytes("1\r\n2\r\n3\r\n4");
        Pane(w, "MemoX")->Lines().setFileBytes("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6");
        Button(w, "BtnSolve")->click();
        const QRegularExpression figures(QStringLiteral("^小数点 Decimal mark: \\.    An 4, X 7, \\d+\\.\\d+ ms$"));
        QVERIFY2(figures.match(Label(w, "StatusPanel1")->text()).hasMatch(), qPrintable(Label(w, "StatusPanel1")->text()));
        QCOMPARE(Child<quill::PlotPage>(w, "TabSheet2")->Model().PointCount(), std::size_t{7});

        RecordingPresenter boxes;
        const QString before = Label(w, "StatusPanel1")->text();
        Pane(w, "MemoX")->Lines().setFileBytes("1\r\nabc");
        Button(w, "BtnSolve")->click();
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(Label(w, "StatusPanel1")->text(), before);
        QCOMPARE(Child<quill::PlotPage>(w, "TabSheet2")->Model().PointCount(), std::size_t{7});

        // The coordinates under the mouse stand in for the notice meanwhile.
        emit Child<quill::PlotPage>(w, "TabSheet2")->coordinatesChanged(QStringLiteral("x=1  y=10"));
        QCOMPARE(Label(w, "StatusPanel1")->text(), QStringLiteral("x=1  y=10"));
        emit Child<quill::PlotPage>(w, "TabSheet2")->coordinatesChanged(QString());
        QCOMPARE(Label(w, "StatusPanel1")->text(), before);
    }

    // The plot page is a second tab; the keyboard reaches it and comes back.
    void ctrlTabTurnsToThePlotAndBack() {
        TFrmMain w(quill::test::App());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Button(w, "BtnSolve")->setFocus();
        for (QWidget* page : {static_cast<QWidget*>(Child<quill::PlotPage>(w, "TabSheet2")), Child<QWidget>(w, "TabSheet1")}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(Child<QTabWidget>(w, "PageControl1")->currentWidget(), page);
        }
    }
};

int main(int argc, char** argv) {
    int childArgc = 1;
    if (argc == 3 && qstrcmp(argv[1], "--unwritable-settings") == 0)
        return RunWithUnwritableSettings(childArgc, argv, QString::fromLocal8Bit(argv[2]));
    Application app(argc, argv);
    TheApp() = &app;
    app.SetTitle(QString::fromUtf8(quill::kApplicationTitle));
    LanguageSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "language_settings_test.moc"
