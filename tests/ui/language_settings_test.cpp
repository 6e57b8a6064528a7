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
    QTimer::singleShot(0, [last] { last(*Application::current()->OwnedWindow<TFrmMain>()); });
}

// The child run by anUnwritableSettingsFileEndsTheProgramAllTheSame: the
// program with its settings file in a folder that is a regular file. Prints
// each box it would show; the exit code is the entry routine's.
int RunWithUnwritableSettings(int argc, char** argv, const QString& programPath) {
    Application app(argc, argv);
    QTemporaryDir samples;  // none: FormShow's box is printed too
    app.SetExecutableDirectory(samples.path() + '/');
    app.SetSettingsProgramPath(programPath);
    RecordingPresenter boxes;
    boxes.whileShown = [&boxes] {
        std::fputs((boxes.boxes.back().text + '\n').toUtf8().constData(), stdout);
        std::fflush(stdout);
    };
    WhenRunning([](TFrmMain& w) { w.MnuExit->trigger(); });
    return quill::RunEntryRoutine(app);
}

}  // namespace

class LanguageSettingsTest : public QObject {
    Q_OBJECT

private:
    Application* app_ = Application::current();
    QTemporaryDir dir_;
    QString settingsFile_;

    std::vector<QUrl> opened_;

    // A window that hands its addresses to opened_ instead of a browser.
    void Watch(TFrmMain& w) {
        opened_.clear();
        w.SetUrlOpener([this](const QUrl& url) { return opened_.push_back(url), true; });
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
            {[](TFrmMain& w) { w.MnuExit->trigger(); }, "[Setting]\r\nbChinese=1\r\n"},
            {[](TFrmMain& w) { w.MnuEnglish->trigger(), w.close(); }, "[Setting]\r\nbChinese=0\r\n"},
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
        TFrmMain next;
        QVERIFY(!next.Settings().bChinese);
        next.show();
        QVERIFY(next.English());
        QCOMPARE(next.BtnSolve->text(), QStringLiteral("Solve"));
        next.MnuChinese->trigger();
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
        TFrmMain w;
        const auto open = [&w] {
            emit w.MnuSet->aboutToShow();
            return std::pair{w.MnuChinese->isChecked(), w.MnuEnglish->isChecked()};
        };
        QCOMPARE(open(), std::pair(true, false));
        // Picking the same entry twice leaves the mark on it all the same.
        for (QAction* pick : {w.MnuEnglish, w.MnuEnglish, w.MnuChinese, w.MnuChinese}) {
            pick->trigger();
            QCOMPARE(w.Settings().bChinese, pick == w.MnuChinese);
            QCOMPARE(open(), std::pair(pick == w.MnuChinese, pick == w.MnuEnglish));
        }
    }

    // English turns every caption of the program to its English part;
    // Chinese brings back exactly what the windows were built with. The
    // report and the title stay as they are.
    void englishSwitchesEveryCaptionAndChineseRestoresThem() {
        TFrmMain w;
        quill::TAboutBox* about = app_->CreateOwnedWindow<quill::TAboutBox>();
        quill::TFrmVisitePhone* phone = app_->CreateOwnedWindow<quill::TFrmVisitePhone>();
        const struct {
            QObject* control;
            const char* english;
        } rows[] = {
            {w.BtnClearAn, "Clear"},     {w.BtnLoadAn, "Load"},        {w.BtnSaveAn, "Save"},
            {w.BtnClearX, "Clear"},      {w.BtnLoadX, "Load"},         {w.BtnSaveX, "Save"},
            {w.BtnClearFx, "Clear"},     {w.BtnLoadFx, "Load"},        {w.BtnSaveFx, "Save"},
            {w.ChkAutoClear, "Auto Clear"}, {w.BtnSolve, "Solve"},     {w.BtnSampleData, "SampleData"},
            {w.MnuFile, "&File"},        {w.MnuExit, "&Exit"},         {w.MnuSet, "&Set"},
            {w.MnuChinese, "&Chinese"},  {w.MnuEnglish, "&English"},   {w.MnuHelp, "&Help"},
            {w.MnuContent, "&Content"},  {w.MnuWeb, "&Web"},           {w.MnuPhone, "&Phone"},
            {w.MnuAbout, "&About"},      {w.StatusPanel0, "Ready"},    {w.TabSheet2->FitButton(), "Fit"},
            {w.Label1, "Question:a(n)*x^n+...a(1)*x+a(0)=F(x)"},       {w.Label4, "F(x)"},
            {about, "About"},            {about->ProductName, "Quillometer2023"},
            {about->Version, "Version: 2023"}, {about->NoticePurpose, "Polynomial evaluator"},
            {about->NoticeLicence, "Released under the MIT License, without warranty."},
            {about->OKButton, "&OK"},    {phone, "Visite with 2-Dims Code"}, {phone->BtnClose, "&Close"},
        };
        QStringList built;
        for (const auto& row : rows) built << CaptionOf(row.control);
        const QStringList tabs = {w.PageControl1->tabText(0), w.PageControl1->tabText(1)};
        const QString description = w.MemoAN->accessibleDescription();
        const QString filter = w.OpenDlg.Filter;

        w.MnuEnglish->trigger();
        for (const auto& row : rows) QCOMPARE(CaptionOf(row.control), QString::fromUtf8(row.english));
        QCOMPARE(w.PageControl1->tabText(0), QStringLiteral("Quill Solve"));
        QCOMPARE(w.PageControl1->tabText(1), QStringLiteral("Plot"));
        QCOMPARE(w.StatusPanel1->text(), QStringLiteral("Decimal mark: ."));
        QCOMPARE(w.MemoAN->accessibleDescription(), QStringLiteral("Coefficients, one per line, a(0) first"));
        QCOMPARE(w.SaveDlg.Filter, QStringLiteral("Text data files(*.txt)|*.txt|All files(*.*)|*.*"));
        // Nothing else speaks English only: the title, the placeholder and the report.
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillometer2023多项式求值器2023"));
        QCOMPARE(Text(w.MemoFx), std::string("就绪Ready\r\n"));
        w.MemoAN->Lines().setFileBytes("1");
        w.MemoX->Lines().setFileBytes("2");
        w.BtnSolve->click();
        QCOMPARE(Text(w.MemoFx), std::string("An的数量 An Items Count =1\r\nX的数量 X Count =1\r\nA[0]=1\r\nX[0]=2\r\nF(2)=1\r\n"));
        QCOMPARE(w.StatusPanel0->text(), QStringLiteral("Ready"));

        w.MnuChinese->trigger();
        QStringList restored;
        for (const auto& row : rows) restored << CaptionOf(row.control);
        QCOMPARE(restored, built);
        QCOMPARE((QStringList{w.PageControl1->tabText(0), w.PageControl1->tabText(1)}), tabs);
        QCOMPARE(w.MemoAN->accessibleDescription(), description);
        QCOMPARE((QStringList{w.OpenDlg.Filter, w.SaveDlg.Filter}), (QStringList{filter, filter}));
        QVERIFY(w.StatusPanel1->text().startsWith(QStringLiteral("小数点 Decimal mark: .    An 1, X 1, ")));
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
            TFrmMain w;
            Watch(w);
            if (row.english) w.MnuEnglish->trigger();
            RecordingPresenter boxes;
            w.MnuContent->trigger();
            QCOMPARE(boxes.boxes.size(), std::size_t{row.present ? 0u : 1u});
            QCOMPARE(opened_.size(), std::size_t{row.present ? 1u : 0u});
            if (row.present) {
                QCOMPARE(opened_[0], QUrl::fromLocalFile(chm));
                continue;
            }
            QCOMPARE(Plain(boxes.boxes[0].text), QString::fromUtf8(row.text).arg(chm));
            QCOMPARE(boxes.boxes[0].caption, QString::fromUtf8(row.caption));
            QCOMPARE(boxes.boxes[0].flags, quill::kMbIconExclamation);
            w.MnuWeb->trigger();
            QCOMPARE(opened_, std::vector{QUrl(quill::WebAddress())});
        }
        QFile::remove(chm);
    }

    // A Solve puts its counts and time in the notice and its lists on the
    // plot; a failed one changes neither.
    void aSolveReachesTheNoticeAndThePlot() {
        TFrmMain w;
        w.MemoAN->Lines().setFileBytes("1\r\n2\r\n3\r\n4");
        w.MemoX->Lines().setFileBytes("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6");
        w.BtnSolve->click();
        const QRegularExpression figures(QStringLiteral("^小数点 Decimal mark: \\.    An 4, X 7, \\d+\\.\\d+ ms$"));
        QVERIFY2(figures.match(w.StatusPanel1->text()).hasMatch(), qPrintable(w.StatusPanel1->text()));
        QCOMPARE(w.TabSheet2->Model().PointCount(), std::size_t{7});

        RecordingPresenter boxes;
        const QString before = w.StatusPanel1->text();
        w.MemoX->Lines().setFileBytes("1\r\nabc");
        w.BtnSolve->click();
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(w.StatusPanel1->text(), before);
        QCOMPARE(w.TabSheet2->Model().PointCount(), std::size_t{7});

        // The coordinates under the mouse stand in for the notice meanwhile.
        emit w.TabSheet2->coordinatesChanged(QStringLiteral("x=1  y=10"));
        QCOMPARE(w.StatusPanel1->text(), QStringLiteral("x=1  y=10"));
        emit w.TabSheet2->coordinatesChanged(QString());
        QCOMPARE(w.StatusPanel1->text(), before);
    }

    // The plot page is a second tab; the keyboard reaches it and comes back.
    void ctrlTabTurnsToThePlotAndBack() {
        TFrmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.BtnSolve->setFocus();
        for (QWidget* page : {static_cast<QWidget*>(w.TabSheet2), w.TabSheet1}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(w.PageControl1->currentWidget(), page);
        }
    }
};

int main(int argc, char** argv) {
    int childArgc = 1;
    if (argc == 3 && qstrcmp(argv[1], "--unwritable-settings") == 0)
        return RunWithUnwritableSettings(childArgc, argv, QString::fromLocal8Bit(argv[2]));
    Application app(argc, argv);
    app.SetTitle(QString::fromUtf8(quill::kApplicationTitle));
    LanguageSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "language_settings_test.moc"
