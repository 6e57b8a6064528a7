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

#include <sys/wait.h>

#include "lines/list_file.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

using quill::Application;
using quill::TFrmMain;
using quill::test::RecordingPresenter;
using quill::test::Text;

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
    Application* app_ = Application::current();
    QTemporaryDir samples_;
    TFrmMain* window_ = nullptr;

    void setPanes(const std::string& an, const std::string& x) {
        window_->MemoAN->Lines().setFileBytes(an);
        window_->MemoX->Lines().setFileBytes(x);
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

    void init() { window_->ChkAutoClear->setChecked(true); }

    void aNewWindowHoldsItsPlaceholders() {
        TFrmMain fresh;
        QCOMPARE(Text(fresh.MemoAN), std::string("MemoAN\r\n"));
        QCOMPARE(Text(fresh.MemoX), std::string("MemoX\r\n"));
        QCOMPARE(Text(fresh.MemoFx), std::string("就绪Ready\r\n"));
        QVERIFY(fresh.ChkAutoClear->isChecked());
        QCOMPARE(fresh.StatusPanel0->text(), QStringLiteral("就绪"));
        QCOMPARE(fresh.StatusPanel1->text(), QStringLiteral("小数点 Decimal mark: ."));
        QCOMPARE(fresh.Evaluation().CountAn(), 0);
        QCOMPARE(fresh.Evaluation().CountX(), 0);
    }

    void theWindowIsLaidOutAsDesigned() {
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
        QCOMPARE(window_->PageControl1->geometry(), QRect(0, 0, 801, 441));
        QCOMPARE(window_->PageControl1->tabText(0), QStringLiteral("多项式求解器Quill Solve"));
        QCOMPARE(window_->font().pixelSize(), 15);
        QCOMPARE(window_->StatusPanel0->width(), 150);

        const struct {
            QWidget* control;
            QRect geometry;
            const char* caption;
        } controls[] = {
            {window_->MemoAN, {8, 64, 233, 201}, nullptr},
            {window_->MemoX, {256, 64, 233, 201}, nullptr},
            {window_->MemoFx, {496, 64, 289, 201}, nullptr},
            {window_->BtnClearAn, {8, 272, 75, 25}, "清空Clear"},
            {window_->BtnLoadAn, {88, 272, 75, 25}, "装入Load"},
            {window_->BtnSaveAn, {168, 272, 75, 25}, "保存Save"},
            {window_->BtnClearX, {256, 272, 75, 25}, "清空Clear"},
            {window_->BtnLoadX, {336, 272, 75, 25}, "装入Load"},
            {window_->BtnSaveX, {416, 272, 75, 25}, "保存Save"},
            {window_->BtnClearFx, {544, 304, 75, 25}, "清空Clear"},
            {window_->BtnLoadFx, {632, 304, 75, 25}, "装入Load"},
            {window_->BtnSaveFx, {712, 304, 75, 25}, "保存Save"},
            {window_->ChkAutoClear, {496, 272, 289, 17}, "显示前清空Auto Clear"},
            {window_->BtnSolve, {256, 304, 233, 25}, "计算 Solve"},
            {window_->BtnSampleData, {8, 304, 241, 25}, "例子数据 SampleData"},
        };
        for (const auto& c : controls) {
            QCOMPARE(c.control->parentWidget(), window_->TabSheet1);
            QCOMPARE(c.control->geometry(), c.geometry);
            if (c.caption) QCOMPARE(c.control->property("text").toString(), QString::fromUtf8(c.caption));
        }
        // Labels keep their places and grow only as far as the font needs.
        const struct {
            QLabel* label;
            QRect least;
            const char* caption;
        } labels[] = {
            {window_->Label1, {8, 8, 296, 15}, "Question:a(n)*x^n+...a(1)*x+a(0)=F(x)"},
            {window_->Label2, {8, 40, 72, 15}, "a(0)~a(n)"},
            {window_->Label3, {256, 40, 8, 15}, "X"},
            {window_->Label4, {496, 40, 32, 15}, "F(x)"},
        };
        for (const auto& l : labels) {
            QCOMPARE(l.label->pos(), l.least.topLeft());
            QVERIFY(l.label->width() >= l.least.width() && l.label->width() >= l.label->sizeHint().width());
            QVERIFY(l.label->height() >= l.least.height());
            QCOMPARE(l.label->text(), QString::fromUtf8(l.caption));
        }
        // Nothing on the page reaches beyond it.
        for (QWidget* child : window_->TabSheet1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(window_->TabSheet1->rect().contains(child->geometry()), qPrintable(child->objectName()));
    }

    void tabRunsThroughThePanesThenTheButtons() {
        window_->MemoAN->setFocus();
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
        QCOMPARE(entries(window_->MnuFile), (QStringList{"退出本软件&Exit"}));
        QCOMPARE(entries(window_->MnuSet), (QStringList{"中文界面&Chinese", "英文界面&English"}));
        QCOMPARE(entries(window_->MnuHelp),
                 (QStringList{"帮助主题&Content", "访问本软件网站&Web", "手机访问本软件网站&Phone", "-", "关于本软件&About"}));

        // Alt+S opens the Set menu, and C in it picks Chinese.
        QSignalSpy picked(window_->MnuChinese, &QAction::triggered);
        QSignalSpy opened(window_->MnuSet, &QMenu::aboutToShow);
        window_->MemoAN->setFocus();
        QTest::keyClick(window_->MemoAN, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(opened.count(), 1);
        QTRY_COMPARE(QApplication::activePopupWidget(), window_->MnuSet);
        QTest::keyClick(window_->MnuSet, Qt::Key_C);
        QTRY_COMPARE(picked.count(), 1);
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }

    void theFirstShowLoadedTheSampleFiles() {
        // initTestCase showed the window with An.txt and X.txt beside "the program".
        TFrmMain shown;
        shown.show();
        QCOMPARE(Text(shown.MemoAN), std::string("1\r\n2\r\n3\r\n"));
        QCOMPARE(Text(shown.MemoX), std::string("2\r\n0.5\r\n"));
        QCOMPARE(shown.MemoAN->Lines().capacity(), quill::kLoadedCapacity);
        QCOMPARE(shown.MemoFx->Lines().capacity(), quill::kDefaultCapacity);
    }

    void solveWritesTheReportByteForByte() {
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        QTest::mouseClick(window_->BtnSolve, Qt::LeftButton);
        QCOMPARE(Text(window_->MemoFx), kExampleReport);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(window_->StatusPanel0->text(), QStringLiteral("就绪"));
    }

    void withoutAutoClearReportsGoBelowEarlierLines() {
        setPanes("5", "0\r\n-1");
        window_->MemoFx->Lines().setFileBytes("就绪Ready\r\n");
        QTest::mouseClick(window_->ChkAutoClear, Qt::LeftButton, {}, QPoint(5, 8));
        QVERIFY(!window_->ChkAutoClear->isChecked());
        window_->BtnSolve->click();
        window_->BtnSolve->click();
        const std::string report = "An的数量 An Items Count =1\r\nX的数量 X Count =2\r\nA[0]=5\r\nX[0]=0\r\nX[1]=-1\r\n"
                                   "F(0)=5\r\nF(-1)=5\r\n";
        QCOMPARE(Text(window_->MemoFx), "就绪Ready\r\n" + report + report);
    }

    void clearEmptiesAPaneAndKeepsTheEvaluation() {
        setPanes("1\r\n2\r\n3", "2");
        window_->BtnSolve->click();
        window_->BtnClearAn->click();
        QCOMPARE(Text(window_->MemoAN), std::string());
        QCOMPARE(window_->Evaluation().CountAn(), 3);
        window_->MemoX->Lines().setFileBytes("1");
        window_->BtnSolve->click();  // the coefficients of the last Solve, the x of the pane
        QVERIFY(Text(window_->MemoFx).ends_with("F(1)=6\r\n"));
        window_->BtnClearFx->click();
        QCOMPARE(Text(window_->MemoFx), std::string());
        window_->BtnClearX->click();
        QCOMPARE(window_->Evaluation().CountX(), 1);
    }

    void aConversionErrorIsShownAndTheReportStays() {
        RecordingPresenter boxes;
        setPanes("1", "1\r\nabc\r\n");
        window_->MemoFx->Lines().setFileBytes("earlier");
        QTest::mouseClick(window_->BtnSolve, Qt::LeftButton);
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("'abc' is not a valid floating point value."));
        QCOMPARE(boxes.boxes[0].caption, QStringLiteral("Quillometer2023多项式求值器2023"));
        QCOMPARE(boxes.boxes[0].flags, quill::kMbIconError);
        QCOMPARE(Text(window_->MemoFx), std::string("earlier"));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(window_->StatusPanel0->text(), QStringLiteral("就绪"));
        // The window goes on working.
        window_->MemoX->Lines().setFileBytes("1");
        window_->BtnSolve->click();
        QVERIFY(Text(window_->MemoFx).ends_with("F(1)=1\r\n"));
    }

    void aReportPastTheCapacityStopsAtTheLineThatDoesNotFit() {
        RecordingPresenter boxes;
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        const std::string firstLines = "An的数量 An Items Count =3\r\nX的数量 X Count =2\r\n";
        window_->MemoFx->Lines().setCapacity(static_cast<int64_t>(QString::fromStdString(firstLines).size()) + 3);
        window_->BtnSolve->click();
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("RichEdit line insertion error."));
        QCOMPARE(Text(window_->MemoFx), firstLines);
        window_->MemoFx->Lines().setCapacity(quill::kDefaultCapacity);
    }

    void ctrlEnterSolvesFromInsideAPane() {
        setPanes("1\r\n2\r\n3\r\n", "2\r\n0.5\r\n");
        window_->MemoFx->Lines().clear();
        window_->MemoX->setFocus();
        QTest::keyClick(window_->MemoX, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(Text(window_->MemoFx), kExampleReport);
        QCOMPARE(Text(window_->MemoX), std::string("2\r\n0.5\r\n"));
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
            TFrmMain shown;
            bool visibleDuringBox = true;
            boxes.whileShown = [&] { visibleDuringBox = shown.isVisible(); };
            shown.show();
            QVERIFY(shown.isVisible());
            QVERIFY(!visibleDuringBox);
            QCOMPARE(boxes.boxes.size(), std::size_t{1});
            QCOMPARE(boxes.boxes[0].text, QStringLiteral("Cannot open file %1.").arg(empty.filePath(c.missing)));
            QCOMPARE(Text(shown.MemoAN), c.an);
            QCOMPARE(Text(shown.MemoX), c.x);
        }
        // Solving the placeholders stops at the first of them.
        RecordingPresenter boxes;
        TFrmMain shown;
        shown.BtnSolve->click();
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
        QCOMPARE(window_->DecimalMark(), ',');
        QCOMPARE(window_->StatusPanel1->text(), QStringLiteral("小数点 Decimal mark: ,"));
        setPanes("1\r\n2\r\n3", "0,5");
        window_->BtnSolve->click();
        QVERIFY(Text(window_->MemoFx).ends_with("F(0,5)=2,75\r\n"));

        QApplication::sendEvent(window_, &change);
        std::setlocale(LC_NUMERIC, "C");
        QCOMPARE(window_->DecimalMark(), '.');
    }

    // Last: the close road ends the program.
    void theCloseBoxAndExitTakeTheOneRoad() {
        QSignalSpy quits(app_, &Application::quitRequested);
        QVERIFY(!window_->close());  // refused: the window stays until the application ends
        QVERIFY(window_->isVisible());
        QCOMPARE(quits.count(), 1);
        window_->MnuExit->trigger();
        QCOMPARE(quits.count(), 2);
        QTRY_VERIFY(app_->Terminated());
    }
};

QUILL_UI_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
