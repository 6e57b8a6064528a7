// The main window as the user meets it: layout, captions, tab order and menu;
// Solve, Clear and the sample data on the real panes; errors in the box; the
// close road.

#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <optional>

#include <sys/wait.h>

#include "lines/list_file.h"
#include "ui/command_line.h"
#include "ui/main_window.h"
#include "ui/main_window_controls.h"
#include "ui_test_support.h"

using quill::Application;
using quill::TFrmMain;
using quill::test::RecordingPresenter;
using quill::test::Text;
using namespace quill::test;

namespace {

void WriteFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

const std::string kExampleReport =
    "An的数量 An Items Count =3\r\n"
    "X的数量 X Count =2\r\n"
    "A[0]=1\r\nA[1]=2\r\nA[2]=3\r\n"
    "X[0]=2\r\nX[1]=0.5\r\n"
    "F(2)=17\r\nF(0.5)=2.75\r\n";

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    Application* app_ = &quill::test::App();
    QTemporaryDir samples_;
    TFrmMain* window_ = nullptr;

    void setPanes(const std::string& an, const std::string& x) {
        Pane(*window_, "MemoAN")->Lines().setFileBytes(an);
        Pane(*window_, "MemoX")->Lines().setFileBytes(x);
    }

private slots:
    void initTestCase() {
        QVERIFY(samples_.isValid());
        WriteFile(samples_.filePath("An.txt"), "1\r\n2\r\n3\r\n");
        WriteFile(samples_.filePath("X.txt"), "2\r\n0.5\r\n");
        app_->SetExecutableDirectory(samples_.path() + '/');
        window_ = app_->CreateOwnedWindow<TFrmMain>();
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
    }

    void cleanupTestCase() { app_->DestroyOwnedWindows(); }

    void init() { Child<QCheckBox>(*window_, "ChkAutoClear")->setChecked(true); }

    void aNewWindowHoldsItsPlaceholders() {
        TFrmMain fresh(quill::test::App());
        QCOMPARE(Text(Pane(fresh, "MemoAN")), std::string("MemoAN\r\n"));
        QCOMPARE(Text(Pane(fresh, "MemoX")), std::string("MemoX\r\n"));
        QCOMPARE(Text(Pane(fresh, "MemoFx")), std::string("就绪Ready\r\n"));
        QVERIFY(Child<QCheckBox>(fresh, "ChkAutoClear")->isChecked());
        QCOMPARE(Label(fresh, "StatusPanel0")->text(), QStringLiteral("就绪"));
        QCOMPARE(Label(fresh, "StatusPanel1")->text(), QStringLiteral("小数点 Decimal mark: ."));
        QCOMPARE(fresh.evaluation().CountAn(), 0);
        QCOMPARE(fresh.evaluation().CountX(), 0);
    }

    void theWindowIsBuiltFromItsTable() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Quillometer2023多项式求值器2023"));
        QWidget* client = window_->centralWidget();
        QCOMPARE(client->size(), QSize(805, 446));
        QCOMPARE(window_->statusBar()->geometry(), QRect(0, client->y() + 446, 805, 19));
        QVERIFY(window_->menuBar()->geometry().bottom() < client->y());
        QCOMPARE(window_->size(), QSize(805, client->y() + 465));
        // Fixed: no resizing, no maximise box.
        QCOMPARE(window_->minimumSize(), window_->maximumSize());
        QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window_->windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(window_->font().pixelSize(), 15);

        // Every control of the table stands in its parent where the table
        // puts it and shows its caption; a label keeps its place and grows
        // only as far as the font needs.
        using quill::ControlKind;
        for (const quill::ControlSpec& spec : quill::MainWindowControls()) {
            if (spec.kind == ControlKind::separator) continue;
            QObject* control = window_->findChild<QObject*>(spec.name);
            QVERIFY2(control, spec.name);
            const QString caption = spec.caption.Text(false);
            if (auto* widget = qobject_cast<QWidget*>(control); widget && !spec.place.isNull()) {
                if (*spec.parent) QCOMPARE(widget->parentWidget()->objectName(), QString(spec.parent));
                if (spec.kind == ControlKind::label) {
                    QCOMPARE(widget->pos(), spec.place.topLeft());
                    QVERIFY(widget->width() >= spec.place.width() && widget->width() >= widget->sizeHint().width());
                    QVERIFY(widget->height() >= spec.place.height());
                } else if (spec.kind == ControlKind::statusPanel) {
                    QCOMPARE(widget->width(), spec.place.width());
                } else {
                    QCOMPARE(widget->geometry(), spec.place);
                }
            }
            const bool hasText = spec.kind != ControlKind::pane && spec.kind != ControlKind::page &&
                                 spec.kind != ControlKind::plotPage && spec.kind != ControlKind::menu;
            if (hasText && *spec.caption.bilingual)
                QCOMPARE(control->property("text").toString(), caption);
        }
        // Nothing on the page reaches beyond it.
        QWidget* page = Child<QWidget>(*window_, "TabSheet1");
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(page->rect().contains(child->geometry()), qPrintable(child->objectName()));
    }

    void tabRunsThroughThePanesThenTheButtons() {
        Pane(*window_, "MemoAN")->setFocus();
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        const QStringList expected = {"MemoAN",     "MemoX",        "MemoFx",   "BtnClearAn",    "BtnLoadAn", "BtnSaveAn",
                                      "BtnClearX",  "BtnLoadX",     "BtnSaveX", "BtnClearFx",    "BtnLoadFx", "BtnSaveFx",
                                      "ChkAutoClear", "BtnSolve",   "BtnSampleData", "MemoAN"};
        QCOMPARE(visited, expected);
    }

    void theMenuHoldsEveryEntryWithItsMnemonic() {
        QStringList top;
        for (QAction* a : window_->menuBar()->actions()) top << a->text();
        QCOMPARE(top, (QStringList{"文件&File", "设置&Set", "帮助&Help"}));
        const auto entries = [](QMenu* menu) {
            QStringList texts;
            for (QAction* a : menu->actions()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
            return texts;
        };
        QCOMPARE(entries(Menu(*window_, "MnuFile")), (QStringList{"退出本软件&Exit"}));
        QCOMPARE(entries(Menu(*window_, "MnuSet")), (QStringList{"中文界面&Chinese", "英文界面&English"}));
        QCOMPARE(entries(Menu(*window_, "MnuHelp")),
                 (QStringList{"帮助主题&Content", "访问本软件网站&Web", "手机访问本软件网站&Phone", "-", "关于本软件&About"}));

        // Alt+S opens the Set menu, and C in it picks Chinese.
        QSignalSpy picked(Entry(*window_, "MnuChinese"), &QAction::triggered);
        QSignalSpy opened(Menu(*window_, "MnuSet"), &QMenu::aboutToShow);
        Pane(*window_, "MemoAN")->setFocus();
        QTest::keyClick(Pane(*window_, "MemoAN"), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(opened.count(), 1);
        QTRY_COMPARE(QApplication::activePopupWidget(), Menu(*window_, "MnuSet"));
        QTest::keyClick(Menu(*window_, "MnuSet"), Qt::Key_C);
        QTRY_COMPARE(picked.count(), 1);
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }

    void theFirstShowLoadedTheSampleFiles() {
        // initTestCase showed the window with An.txt and X.txt beside "the program".
        TFrmMain shown(quill::test::App());
        shown.show();
        QCOMPARE(Text(Pane(shown, "MemoAN")), std::string("1\r\n2\r\n3\r\n"));
        QCOMPARE(Text(Pane(shown, "MemoX")), std::string("2\r\n0.5\r\n"));
        QCOMPARE(Pane(shown, "MemoAN")->Lines().capacity(), quill::kLoadedCapacity);
        QCOMPARE(Pane(shown, "MemoFx")->Lines().capacity(), quill::kDefaultCapacity);
    }

    // The files of the command line take the sample data's place, by the
    // Load buttons' road; one that fails leaves the sample data, shows its
    // box, and holds back the Solve. Bad arguments end the program.
    void filesOfTheCommandLineReplaceTheSampleData() {
        QTemporaryDir files;
        WriteFile(files.filePath("c.txt"), "4\n");
        WriteFile(files.filePath("x.txt"), "1\r2\r");
        const QString c = files.filePath("c.txt"), x = files.filePath("x.txt"), missing = files.filePath("none");
        const struct {
            QStringList arguments;
            std::optional<int> status;
            std::string an, x, box, reportStart;
        } cases[] = {
            {{"--solve", c, x}, {}, "4\r\n", "1\r\n2\r\n", "", "An的数量 An Items Count =1\r\n"},
            {{c}, {}, "4\r\n", "2\r\n0.5\r\n", "", "就绪Ready"},
            {{"--solve", missing, x}, {}, "1\r\n2\r\n3\r\n", "1\r\n2\r\n", "Cannot open file " + missing.toStdString() + ".", "就绪Ready"},
            {{c, x, c}, 2, {}, {}, {}, {}},
            {{"--bogus", c}, 2, {}, {}, {}, {}},
        };
        for (const auto& k : cases) {
            quill::StartRequest start;
            QCOMPARE(quill::ReadStartRequest(QStringList{"quillometer"} + k.arguments, start), k.status);
            if (k.status) continue;
            app_->SetStartRequest(start);
            RecordingPresenter boxes;
            TFrmMain shown(quill::test::App());
            shown.show();
            QTest::qWait(10);  // the Solve is pressed once the window is up
            QCOMPARE(Text(Pane(shown, "MemoAN")), k.an);
            QCOMPARE(Text(Pane(shown, "MemoX")), k.x);
            QVERIFY(Text(Pane(shown, "MemoFx")).starts_with(k.reportStart));
            QCOMPARE(boxes.boxes.size(), k.box.empty() ? 0u : 1u);
            if (!k.box.empty()) QCOMPARE(boxes.boxes[0].text.toStdString(), k.box);
            QVERIFY(!Pane(shown, "MemoAN")->Lines().canUndo());
        }
        app_->SetStartRequest({});
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
    }

    void solveWritesTheReportByteForByte() {
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        QTest::mouseClick(Button(*window_, "BtnSolve"), Qt::LeftButton);
        QCOMPARE(Text(Pane(*window_, "MemoFx")), kExampleReport);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(Label(*window_, "StatusPanel0")->text(), QStringLiteral("就绪"));
    }

    void withoutAutoClearReportsGoBelowEarlierLines() {
        setPanes("5", "0\r\n-1");
        Pane(*window_, "MemoFx")->Lines().setFileBytes("就绪Ready\r\n");
        QTest::mouseClick(Child<QCheckBox>(*window_, "ChkAutoClear"), Qt::LeftButton, {}, QPoint(5, 8));
        QVERIFY(!Child<QCheckBox>(*window_, "ChkAutoClear")->isChecked());
        Button(*window_, "BtnSolve")->click();
        Button(*window_, "BtnSolve")->click();
        const std::string report = "An的数量 An Items Count =1\r\nX的数量 X Count =2\r\nA[0]=5\r\nX[0]=0\r\nX[1]=-1\r\n"
                                   "F(0)=5\r\nF(-1)=5\r\n";
        QCOMPARE(Text(Pane(*window_, "MemoFx")), "就绪Ready\r\n" + report + report);
    }

    void clearEmptiesAPaneAndKeepsTheEvaluation() {
        setPanes("1\r\n2\r\n3", "2");
        Button(*window_, "BtnSolve")->click();
        Button(*window_, "BtnClearAn")->click();
        QCOMPARE(Text(Pane(*window_, "MemoAN")), std::string());
        QCOMPARE(window_->evaluation().CountAn(), 3);
        Pane(*window_, "MemoX")->Lines().setFileBytes("1");
        Button(*window_, "BtnSolve")->click();  // the coefficients of the last Solve, the x of the pane
        QVERIFY(Text(Pane(*window_, "MemoFx")).ends_with("F(1)=6\r\n"));
        Button(*window_, "BtnClearFx")->click();
        QCOMPARE(Text(Pane(*window_, "MemoFx")), std::string());
        Button(*window_, "BtnClearX")->click();
        QCOMPARE(window_->evaluation().CountX(), 1);
    }

    void aConversionErrorIsShownAndTheReportStays() {
        RecordingPresenter boxes;
        setPanes("1", "1\r\nabc\r\n");
        Pane(*window_, "MemoFx")->Lines().setFileBytes("earlier");
        QTest::mouseClick(Button(*window_, "BtnSolve"), Qt::LeftButton);
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("'abc' is not a valid floating point value."));
        QCOMPARE(boxes.boxes[0].caption, QStringLiteral("Quillometer2023多项式求值器2023"));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(Text(Pane(*window_, "MemoFx")), std::string("earlier"));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(Label(*window_, "StatusPanel0")->text(), QStringLiteral("就绪"));
        // The window goes on working.
        Pane(*window_, "MemoX")->Lines().setFileBytes("1");
        Button(*window_, "BtnSolve")->click();
        QVERIFY(Text(Pane(*window_, "MemoFx")).ends_with("F(1)=1\r\n"));
    }

    void aReportPastTheCapacityStopsAtTheLineThatDoesNotFit() {
        RecordingPresenter boxes;
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        const std::string firstLines = "An的数量 An Items Count =3\r\nX的数量 X Count =2\r\n";
        Pane(*window_, "MemoFx")->Lines().setCapacity(static_cast<int64_t>(QString::fromStdString(firstLines).size()) + 3);
        Button(*window_, "BtnSolve")->click();
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("RichEdit line insertion error."));
        QCOMPARE(Text(Pane(*window_, "MemoFx")), firstLines);
        Pane(*window_, "MemoFx")->Lines().setCapacity(quill::kDefaultCapacity);
    }

    void ctrlEnterSolvesFromInsideAPane() {
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        Pane(*window_, "MemoFx")->Lines().clear();
        Pane(*window_, "MemoX")->setFocus();
        QTest::keyClick(Pane(*window_, "MemoX"), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(Text(Pane(*window_, "MemoFx")), kExampleReport);
        QCOMPARE(Text(Pane(*window_, "MemoX")), std::string("2\r\n0.5\r\n"));
    }

    void missingSampleFilesAreShownBeforeTheWindowAppears() {
        QTemporaryDir empty;
        app_->SetExecutableDirectory(empty.path() + '/');
        struct Case {
            bool withAn, withX;
            const char* missing;
            std::string an, x;
        };
        const Case cases[] = {
            {false, true, "An.txt", "MemoAN\r\n", "MemoX\r\n"},  // the first failure ends the command
            {true, false, "X.txt", "7\r\n", "MemoX\r\n"},
        };
        for (const Case& c : cases) {
            QFile::remove(empty.filePath("An.txt"));
            QFile::remove(empty.filePath("X.txt"));
            if (c.withAn) WriteFile(empty.filePath("An.txt"), "7\r\n");
            if (c.withX) WriteFile(empty.filePath("X.txt"), "8\r\n");
            RecordingPresenter boxes;
            TFrmMain shown(quill::test::App());
            bool visibleDuringBox = true;
            boxes.whileShown = [&] { visibleDuringBox = shown.isVisible(); };
            shown.show();
            QVERIFY(shown.isVisible());
            QVERIFY(!visibleDuringBox);
            QCOMPARE(boxes.boxes.size(), std::size_t{1});
            QCOMPARE(boxes.boxes[0].text, QStringLiteral("Cannot open file %1.").arg(empty.filePath(c.missing)));
            QCOMPARE(Text(Pane(shown, "MemoAN")), c.an);
            QCOMPARE(Text(Pane(shown, "MemoX")), c.x);
        }
        // Solving the placeholders stops at the first of them.
        RecordingPresenter boxes;
        TFrmMain shown(quill::test::App());
        Button(shown, "BtnSolve")->click();
        QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("'MemoAN' is not a valid floating point value."));
        app_->SetExecutableDirectory(samples_.path() + '/');
    }

    void aLocaleChangeRereadsTheDecimalMark() {
        QTemporaryDir locales;
        const QString source = locales.filePath("comma.src");
        WriteFile(source, "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"\"\ngrouping -1\nEND LC_NUMERIC\n");
        const QString command = QStringLiteral("localedef -c -i '%1' -f UTF-8 '%2' >/dev/null 2>&1")
                                    .arg(source, locales.filePath("qa_COMMA.UTF-8"));
        const int status = std::system(command.toLocal8Bit().constData());
        if (!WIFEXITED(status) || WEXITSTATUS(status) > 1 || !QFile::exists(locales.filePath("qa_COMMA.UTF-8/LC_NUMERIC")))
            QSKIP("localedef cannot build a test locale");

        qputenv("LOCPATH", locales.path().toLocal8Bit());
        qputenv("LC_ALL", "qa_COMMA.UTF-8");
        QEvent change(QEvent::LocaleChange);
        QApplication::sendEvent(window_, &change);
        qunsetenv("LOCPATH");
        qunsetenv("LC_ALL");
        QCOMPARE(window_->decimalMark(), ',');
        QCOMPARE(Label(*window_, "StatusPanel1")->text(), QStringLiteral("小数点 Decimal mark: ,"));
        setPanes("1\r\n2\r\n3", "0,5");
        Button(*window_, "BtnSolve")->click();
        QVERIFY(Text(Pane(*window_, "MemoFx")).ends_with("F(0,5)=2,75\r\n"));

        QApplication::sendEvent(window_, &change);
        std::setlocale(LC_NUMERIC, "C");
        QCOMPARE(window_->decimalMark(), '.');
    }

    // Last: the close road ends the program.
    void theCloseBoxAndExitTakeTheOneRoad() {
        QSignalSpy quits(app_, &Application::quitRequested);
        QVERIFY(!window_->close());  // refused: the window stays until the application ends
        QVERIFY(window_->isVisible());
        QCOMPARE(quits.count(), 1);
        Entry(*window_, "MnuExit")->trigger();
        QCOMPARE(quits.count(), 2);
        QTRY_VERIFY(app_->Terminated());
    }
};

QUILL_UI_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
