// The main window as the user meets it: layout, captions, tab order and menu;
// Solve, Clear and the sample data on the real panes; errors in the box; the
// close road.

#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <iterator>
#include <optional>

#include <sys/wait.h>

#include "lines/list_file.h"
#include "ui/application/command_line.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/main_window_controls.h"
#include "ui/panes/text_pane.h"
#include "ui_test_support.h"

using quill::Application;
using quill::MainWindow;
using quill::test::paneText;
using quill::test::RecordingPresenter;
using namespace quill::test;

namespace {

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
    Application* app_ = &quill::test::testApp();
    QTemporaryDir samples_;
    MainWindow* window_ = nullptr;

    void setPanes(const std::string& an, const std::string& x) {
        paneNamed(*window_, "MemoAN")->lines().load({an});
        paneNamed(*window_, "MemoX")->lines().load({x});
    }

private slots:
    void initTestCase() {
        QVERIFY(samples_.isValid());
        writeBytes(samples_.filePath("An.txt"), "1\r\n2\r\n3\r\n");
        writeBytes(samples_.filePath("X.txt"), "2\r\n0.5\r\n");
        app_->setExecutableDirectory(samples_.path() + '/');
        window_ = app_->createOwnedWindow<MainWindow>();
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
    }

    void cleanupTestCase() { app_->destroyOwnedWindows(); }

    void init() { childNamed<QCheckBox>(*window_, "ChkAutoClear")->setChecked(true); }

    void aNewWindowHoldsItsPlaceholders() {
        MainWindow fresh(quill::test::testApp());
        QCOMPARE(paneText(paneNamed(fresh, "MemoAN")), std::string("MemoAN\r\n"));
        QCOMPARE(paneText(paneNamed(fresh, "MemoX")), std::string("MemoX\r\n"));
        QCOMPARE(paneText(paneNamed(fresh, "MemoFx")), std::string("就绪Ready\r\n"));
        QVERIFY(childNamed<QCheckBox>(fresh, "ChkAutoClear")->isChecked());
        QCOMPARE(labelNamed(fresh, "StatusPanel0")->text(), QStringLiteral("就绪"));
        QCOMPARE(labelNamed(fresh, "StatusPanel1")->text(), QStringLiteral("小数点 Decimal mark: ."));
        QCOMPARE(fresh.lists().coefficientCount(), 0);
        QCOMPARE(fresh.lists().xCount(), 0);
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

        // Every control stands in its parent where it belongs and shows its
        // caption, as written here apart from the window's own table; a label
        // keeps its place and grows only as far as the font needs.
        enum Kind { placed, label, panel, entry };
        struct Expected {
            const char *name, *parent;
            Kind kind;
            QRect place;
            const char* text;  // null: none shown
        };
        // clang-format off
        const Expected expected[] = {
            {"PageControl1",  "",          placed, {0, 0, 801, 441},     nullptr},
            {"TabSheet1",     nullptr,     entry,  {},                   nullptr},
            {"TabSheet2",     nullptr,     entry,  {},                   nullptr},
            {"Label1",        "TabSheet1", label,  {8, 8, 296, 15},      "Question:a(n)*x^n+...a(1)*x+a(0)=F(x)"},
            {"Label2",        "TabSheet1", label,  {8, 40, 72, 15},      "a(0)~a(n)"},
            {"Label3",        "TabSheet1", label,  {256, 40, 8, 15},     "X"},
            {"Label4",        "TabSheet1", label,  {496, 40, 32, 15},    "F(x)"},
            {"MemoAN",        "TabSheet1", placed, {8, 64, 233, 201},    nullptr},
            {"MemoX",         "TabSheet1", placed, {256, 64, 233, 201},  nullptr},
            {"MemoFx",        "TabSheet1", placed, {496, 64, 289, 201},  nullptr},
            {"BtnClearAn",    "TabSheet1", placed, {8, 272, 75, 25},     "清空Clear"},
            {"BtnLoadAn",     "TabSheet1", placed, {88, 272, 75, 25},    "装入Load"},
            {"BtnSaveAn",     "TabSheet1", placed, {168, 272, 75, 25},   "保存Save"},
            {"BtnClearX",     "TabSheet1", placed, {256, 272, 75, 25},   "清空Clear"},
            {"BtnLoadX",      "TabSheet1", placed, {336, 272, 75, 25},   "装入Load"},
            {"BtnSaveX",      "TabSheet1", placed, {416, 272, 75, 25},   "保存Save"},
            {"BtnClearFx",    "TabSheet1", placed, {544, 304, 75, 25},   "清空Clear"},
            {"BtnLoadFx",     "TabSheet1", placed, {632, 304, 75, 25},   "装入Load"},
            {"BtnSaveFx",     "TabSheet1", placed, {712, 304, 75, 25},   "保存Save"},
            {"ChkAutoClear",  "TabSheet1", placed, {496, 272, 289, 17},  "显示前清空Auto Clear"},
            {"BtnSolve",      "TabSheet1", placed, {256, 304, 233, 25},  "计算 Solve"},
            {"BtnSampleData", "TabSheet1", placed, {8, 304, 241, 25},    "例子数据 SampleData"},
            {"MnuFile",       nullptr,     entry,  {},                   nullptr},
            {"MnuExit",       nullptr,     entry,  {},                   "退出本软件&Exit"},
            {"MnuSet",        nullptr,     entry,  {},                   nullptr},
            {"MnuChinese",    nullptr,     entry,  {},                   "中文界面&Chinese"},
            {"MnuEnglish",    nullptr,     entry,  {},                   "英文界面&English"},
            {"MnuHelp",       nullptr,     entry,  {},                   nullptr},
            {"MnuContent",    nullptr,     entry,  {},                   "帮助主题&Content"},
            {"MnuWeb",        nullptr,     entry,  {},                   "访问本软件网站&Web"},
            {"MnuPhone",      nullptr,     entry,  {},                   "手机访问本软件网站&Phone"},
            {"MnuAbout",      nullptr,     entry,  {},                   "关于本软件&About"},
            {"StatusPanel0",  nullptr,     panel,  {0, 0, 150, 19},      "就绪"},
            {"StatusPanel1",  nullptr,     entry,  {},                   nullptr},
        };
        // clang-format on
        int named = 0;  // the window's controls with a name: each one expected here
        for (const quill::ControlSpec& spec : quill::mainWindowControls()) named += *spec.name != 0;
        QCOMPARE(named, static_cast<int>(std::size(expected)));
        for (const Expected& e : expected) {
            QObject* control = window_->findChild<QObject*>(e.name);
            QVERIFY2(control, e.name);
            auto* widget = qobject_cast<QWidget*>(control);
            if (e.parent && *e.parent) QCOMPARE(widget->parentWidget()->objectName(), QString(e.parent));
            if (e.parent && !*e.parent) QCOMPARE(widget->parentWidget(), window_->centralWidget());
            if (e.kind == label) {
                QCOMPARE(widget->pos(), e.place.topLeft());
                QVERIFY(widget->width() >= e.place.width() && widget->width() >= widget->sizeHint().width());
                QVERIFY(widget->height() >= e.place.height());
            } else if (e.kind == panel) {
                QCOMPARE(widget->width(), e.place.width());
            } else if (e.kind == placed) {
                QCOMPARE(widget->geometry(), e.place);
            }
            if (e.text) QCOMPARE(control->property("text").toString(), QString(e.text));
        }
        // Nothing on the page reaches beyond it.
        QWidget* page = childNamed<QWidget>(*window_, "TabSheet1");
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(page->rect().contains(child->geometry()), qPrintable(child->objectName()));
    }

    void tabRunsThroughThePanesThenTheButtons() {
        paneNamed(*window_, "MemoAN")->setFocus();
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        const QStringList expected = {"MemoAN",       "MemoX",      "MemoFx",        "BtnClearAn",
                                      "BtnLoadAn",    "BtnSaveAn",  "BtnClearX",     "BtnLoadX",
                                      "BtnSaveX",     "BtnClearFx", "BtnLoadFx",     "BtnSaveFx",
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
        QCOMPARE(entries(menuNamed(*window_, "MnuFile")), (QStringList{"退出本软件&Exit"}));
        QCOMPARE(entries(menuNamed(*window_, "MnuSet")), (QStringList{"中文界面&Chinese", "英文界面&English"}));
        QCOMPARE(entries(menuNamed(*window_, "MnuHelp")),
                 (QStringList{"帮助主题&Content", "访问本软件网站&Web", "手机访问本软件网站&Phone", "-",
                              "关于本软件&About"}));

        // Alt+S opens the Set menu, and C in it picks Chinese.
        QSignalSpy picked(entryNamed(*window_, "MnuChinese"), &QAction::triggered);
        QSignalSpy opened(menuNamed(*window_, "MnuSet"), &QMenu::aboutToShow);
        paneNamed(*window_, "MemoAN")->setFocus();
        QTest::keyClick(paneNamed(*window_, "MemoAN"), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(opened.count(), 1);
        QTRY_COMPARE(QApplication::activePopupWidget(), menuNamed(*window_, "MnuSet"));
        QTest::keyClick(menuNamed(*window_, "MnuSet"), Qt::Key_C);
        QTRY_COMPARE(picked.count(), 1);
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }

    void theFirstShowLoadedTheSampleFiles() {
        // initTestCase showed the window with An.txt and X.txt beside "the program".
        MainWindow shown(quill::test::testApp());
        shown.show();
        QCOMPARE(paneText(paneNamed(shown, "MemoAN")), std::string("1\r\n2\r\n3\r\n"));
        QCOMPARE(paneText(paneNamed(shown, "MemoX")), std::string("2\r\n0.5\r\n"));
        QCOMPARE(paneNamed(shown, "MemoAN")->lines().capacity(), quill::kLoadedCapacity);
        QCOMPARE(paneNamed(shown, "MemoFx")->lines().capacity(), quill::kDefaultCapacity);
    }

    // The files of the command line take the sample data's place, by the
    // Load buttons' road; one that fails leaves the sample data, shows its
    // box, and holds back the Solve. Bad arguments end the program.
    void filesOfTheCommandLineReplaceTheSampleData() {
        QTemporaryDir files;
        writeBytes(files.filePath("c.txt"), "4\n");
        writeBytes(files.filePath("x.txt"), "1\r2\r");
        const QString c = files.filePath("c.txt"), x = files.filePath("x.txt"), missing = files.filePath("none");
        const struct {
            QStringList arguments;
            std::optional<int> status;
            std::string an, x, box, reportStart;
        } cases[] = {
            // clang-format off
            {{"--solve", c, x},       {}, "4\r\n",           "1\r\n2\r\n",   "",                                                 "An的数量 An Items Count =1\r\n"},
            {{c},                     {}, "4\r\n",           "2\r\n0.5\r\n", "",                                                 "就绪Ready"},
            {{"--solve", missing, x}, {}, "1\r\n2\r\n3\r\n", "1\r\n2\r\n",   "Cannot open file " + missing.toStdString() + ".", "就绪Ready"},
            {{c, x, c},               2,  {},                {},           {},                                                 {}},
            {{"--bogus", c},          2,  {},                {},           {},                                                 {}},
            // clang-format on
        };
        for (const auto& k : cases) {
            quill::StartRequest start;
            QCOMPARE(quill::readStartRequest(QStringList{"quillometer"} + k.arguments, start), k.status);
            if (k.status) continue;
            app_->setStartRequest(start);
            RecordingPresenter boxes;
            MainWindow shown(quill::test::testApp());
            shown.show();
            QTest::qWait(10);  // the Solve is pressed once the window is up
            QCOMPARE(paneText(paneNamed(shown, "MemoAN")), k.an);
            QCOMPARE(paneText(paneNamed(shown, "MemoX")), k.x);
            QVERIFY(paneText(paneNamed(shown, "MemoFx")).starts_with(k.reportStart));
            QCOMPARE(boxes.boxes.size(), k.box.empty() ? 0u : 1u);
            if (!k.box.empty()) QCOMPARE(boxes.boxes[0].text.toStdString(), k.box);
            QVERIFY(!paneNamed(shown, "MemoAN")->lines().canUndo());
        }
        app_->setStartRequest({});
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
    }

    void solveWritesTheReportByteForByte() {
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        QTest::mouseClick(buttonNamed(*window_, "BtnSolve"), Qt::LeftButton);
        QCOMPARE(paneText(paneNamed(*window_, "MemoFx")), kExampleReport);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(labelNamed(*window_, "StatusPanel0")->text(), QStringLiteral("就绪"));
    }

    void withoutAutoClearReportsGoBelowEarlierLines() {
        setPanes("5", "0\r\n-1");
        paneNamed(*window_, "MemoFx")->lines().load({"就绪Ready\r\n"});
        QTest::mouseClick(childNamed<QCheckBox>(*window_, "ChkAutoClear"), Qt::LeftButton, {}, QPoint(5, 8));
        QVERIFY(!childNamed<QCheckBox>(*window_, "ChkAutoClear")->isChecked());
        buttonNamed(*window_, "BtnSolve")->click();
        buttonNamed(*window_, "BtnSolve")->click();
        const std::string report =
            "An的数量 An Items Count =1\r\nX的数量 X Count =2\r\nA[0]=5\r\nX[0]=0\r\nX[1]=-1\r\n"
            "F(0)=5\r\nF(-1)=5\r\n";
        QCOMPARE(paneText(paneNamed(*window_, "MemoFx")), "就绪Ready\r\n" + report + report);
    }

    void clearEmptiesAPaneAndKeepsTheEvaluation() {
        setPanes("1\r\n2\r\n3", "2");
        buttonNamed(*window_, "BtnSolve")->click();
        buttonNamed(*window_, "BtnClearAn")->click();
        QCOMPARE(paneText(paneNamed(*window_, "MemoAN")), std::string());
        QCOMPARE(window_->lists().coefficientCount(), 3);
        paneNamed(*window_, "MemoX")->lines().load({"1"});
        buttonNamed(*window_, "BtnSolve")->click();  // the coefficients of the last Solve, the x of the pane
        QVERIFY(paneText(paneNamed(*window_, "MemoFx")).ends_with("F(1)=6\r\n"));
        buttonNamed(*window_, "BtnClearFx")->click();
        QCOMPARE(paneText(paneNamed(*window_, "MemoFx")), std::string());
        buttonNamed(*window_, "BtnClearX")->click();
        QCOMPARE(window_->lists().xCount(), 1);
    }

    void aConversionErrorIsShownAndTheReportStays() {
        RecordingPresenter boxes;
        setPanes("1", "1\r\nabc\r\n");
        paneNamed(*window_, "MemoFx")->lines().load({"earlier"});
        QTest::mouseClick(buttonNamed(*window_, "BtnSolve"), Qt::LeftButton);
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("'abc' is not a valid floating point value."));
        QCOMPARE(boxes.boxes[0].caption, QStringLiteral("Quillometer2023多项式求值器2023"));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(paneText(paneNamed(*window_, "MemoFx")), std::string("earlier"));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(labelNamed(*window_, "StatusPanel0")->text(), QStringLiteral("就绪"));
        // The window goes on working.
        paneNamed(*window_, "MemoX")->lines().load({"1"});
        buttonNamed(*window_, "BtnSolve")->click();
        QVERIFY(paneText(paneNamed(*window_, "MemoFx")).ends_with("F(1)=1\r\n"));
    }

    void aReportPastTheCapacityStopsAtTheLineThatDoesNotFit() {
        RecordingPresenter boxes;
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        const std::string firstLines = "An的数量 An Items Count =3\r\nX的数量 X Count =2\r\n";
        paneNamed(*window_, "MemoFx")
            ->lines()
            .setCapacity(static_cast<int64_t>(QString::fromStdString(firstLines).size()) + 3);
        buttonNamed(*window_, "BtnSolve")->click();
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("RichEdit line insertion error."));
        QCOMPARE(paneText(paneNamed(*window_, "MemoFx")), firstLines);
        paneNamed(*window_, "MemoFx")->lines().setCapacity(quill::kDefaultCapacity);
    }

    void ctrlEnterSolvesFromInsideAPane() {
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        paneNamed(*window_, "MemoFx")->lines().clear();
        paneNamed(*window_, "MemoX")->setFocus();
        QTest::keyClick(paneNamed(*window_, "MemoX"), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(paneText(paneNamed(*window_, "MemoFx")), kExampleReport);
        QCOMPARE(paneText(paneNamed(*window_, "MemoX")), std::string("2\r\n0.5\r\n"));
    }

    void missingSampleFilesAreShownBeforeTheWindowAppears() {
        QTemporaryDir empty;
        app_->setExecutableDirectory(empty.path() + '/');
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
            if (c.withAn) writeBytes(empty.filePath("An.txt"), "7\r\n");
            if (c.withX) writeBytes(empty.filePath("X.txt"), "8\r\n");
            RecordingPresenter boxes;
            MainWindow shown(quill::test::testApp());
            bool visibleDuringBox = true;
            boxes.whileShown = [&] { visibleDuringBox = shown.isVisible(); };
            shown.show();
            QVERIFY(shown.isVisible());
            QVERIFY(!visibleDuringBox);
            QCOMPARE(boxes.boxes.size(), std::size_t{1});
            QCOMPARE(boxes.boxes[0].text, QStringLiteral("Cannot open file %1.").arg(empty.filePath(c.missing)));
            QCOMPARE(paneText(paneNamed(shown, "MemoAN")), c.an);
            QCOMPARE(paneText(paneNamed(shown, "MemoX")), c.x);
        }
        // Solving the placeholders stops at the first of them.
        RecordingPresenter boxes;
        MainWindow shown(quill::test::testApp());
        buttonNamed(shown, "BtnSolve")->click();
        QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("'MemoAN' is not a valid floating point value."));
        app_->setExecutableDirectory(samples_.path() + '/');
    }

    void aLocaleChangeRereadsTheDecimalMark() {
        QTemporaryDir locales;
        const QString source = locales.filePath("comma.src");
        writeBytes(source, "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"\"\ngrouping -1\nEND LC_NUMERIC\n");
        const QString command = QStringLiteral("localedef -c -i '%1' -f UTF-8 '%2' >/dev/null 2>&1")
                                    .arg(source, locales.filePath("qa_COMMA.UTF-8"));
        const int status = std::system(command.toLocal8Bit().constData());
        if (!WIFEXITED(status) || WEXITSTATUS(status) > 1 ||
            !QFile::exists(locales.filePath("qa_COMMA.UTF-8/LC_NUMERIC")))
            QSKIP("localedef cannot build a test locale");

        qputenv("LOCPATH", locales.path().toLocal8Bit());
        qputenv("LC_ALL", "qa_COMMA.UTF-8");
        QEvent change(QEvent::LocaleChange);
        QApplication::sendEvent(window_, &change);
        qunsetenv("LOCPATH");
        qunsetenv("LC_ALL");
        QCOMPARE(window_->decimalMark(), ',');
        QCOMPARE(labelNamed(*window_, "StatusPanel1")->text(), QStringLiteral("小数点 Decimal mark: ,"));
        setPanes("1\r\n2\r\n3", "0,5");
        buttonNamed(*window_, "BtnSolve")->click();
        QVERIFY(paneText(paneNamed(*window_, "MemoFx")).ends_with("F(0,5)=2,75\r\n"));

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
        entryNamed(*window_, "MnuExit")->trigger();
        QCOMPARE(quits.count(), 2);
        // The quit asked for ends the running loop with status 0.
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
    }
};

QUILL_UI_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
