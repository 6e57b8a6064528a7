// The Solve off the interface thread: a long one shows its progress, turns
// off its inputs and ends by Cancel, Esc or closing the window with nothing
// changed, or puts the reference's report in the pane; a reading
// error selects the line it names.

#include <QElapsedTimer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <fstream>
#include <memory>

#include "reference_solve.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/text_pane.h"
#include "ui_test_support.h"

using quill::MainWindow;
using quill::PaneRole;
using namespace quill::test;

namespace {

// Many coefficients make every x slow to evaluate, so the Solve outlasts the
// click's wait with little text.
std::string lines(const std::string& line, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + "\r\n";
    return text;
}

void solve(MainWindow& window) {
    QSignalSpy ended(&window, &MainWindow::solveEnded);
    buttonNamed(window, "BtnSolve")->click();
    if (window.solving()) QVERIFY(ended.wait(60000));
}

}  // namespace

class SolveRunTest : public QObject {
    Q_OBJECT

    QTemporaryDir samples_;

private slots:
    void initTestCase() {
        std::ofstream(samples_.filePath("An.txt").toStdString()) << "1\r\n";
        std::ofstream(samples_.filePath("X.txt").toStdString()) << "2\r\n";
        testApp().setExecutableDirectory(samples_.path() + '/');
    }

    void aLongSolveShowsProgressAndEndsAsAsked() {
        const std::string an = lines("1", 120), x = lines("0.5", 300000);
        enum class End { finish, cancelButton, escape, close, destroy };
        for (End end : {End::finish, End::cancelButton, End::escape, End::close, End::destroy}) {
            auto window = std::make_unique<MainWindow>(testApp());
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            paneNamed(*window, "MemoAN")->lines().load({an});
            paneNamed(*window, "MemoX")->lines().load({x});
            paneNamed(*window, "MemoFx")->lines().load({"earlier\r\n"});
            QSignalSpy ended(window.get(), &MainWindow::solveEnded);

            buttonNamed(*window, "BtnSolve")->click();
            QVERIFY(window->solving());
            for (const char* input : {"MemoAN", "MemoX", "BtnLoadAn", "BtnClearX", "BtnSampleData", "BtnSolve"})
                QVERIFY2(!childNamed<QWidget>(*window, input)->isEnabled(), input);
            QVERIFY(childNamed<QWidget>(*window, "MemoFx")->isEnabled());
            QTRY_VERIFY(childNamed<QProgressBar>(*window, "SolveProgress")->isVisible());
            QCOMPARE(buttonNamed(*window, "BtnCancelSolve")->text(), QStringLiteral("取消 Cancel"));

            switch (end) {
                case End::finish: QVERIFY(ended.wait(60000)); break;
                case End::cancelButton: buttonNamed(*window, "BtnCancelSolve")->click(); break;
                case End::escape:
                    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(),
                                    Qt::Key_Escape);
                    break;
                case End::close: window->close(); break;
                case End::destroy: window.reset(); continue;
            }
            QVERIFY(!window->solving());
            QCOMPARE(ended.count(), 1);
            QVERIFY(!childNamed<QProgressBar>(*window, "SolveProgress")->isVisible());
            QVERIFY(childNamed<QWidget>(*window, "MemoX")->isEnabled() &&
                    buttonNamed(*window, "BtnSolve")->isEnabled());
            if (end == End::finish) {
                QVERIFY(paneText(paneNamed(*window, "MemoFx")) == quill::test::referenceReport(an, x));
                QCOMPARE(window->lists().xCount(), 300000);
            } else {
                QCOMPARE(paneText(paneNamed(*window, "MemoFx")), std::string("earlier\r\n"));
                QCOMPARE(window->lists().xCount(), 0);
                QCoreApplication::processEvents();  // a late notice of the ended Solve changes nothing
                QCOMPARE(paneText(paneNamed(*window, "MemoFx")), std::string("earlier\r\n"));
            }
        }
    }

    // Once the analysis beside the window ends, the notice says how the
    // report's digits stand; an edit of a list or the next Solve cancels it.
    void theAnalysisAfterASolveSpeaksOfTheDigits() {
        struct Case {
            const char* what;
            std::string an, x;
            const char* notice;
        };
        const std::string cube = "1\r\n-3\r\n3\r\n-1\r\n";  // (1-x)^3 written out
        const Case cases[] = {
            {"exact", "-2\r\n0\r\n1\r\n", "0\r\n3\r\n", "All values are right to 15 digits"},
            {"12 digits at 1.1", cube, "1.1\r\n", "All values are right to 10 digits or more"},
            {"6 digits at 1.001", cube, "1.001\r\n0\r\n", "1 value has fewer than 10 correct digits"},
            {"two near 1", cube, "1.001\r\n0.999\r\n2\r\n", "2 values have fewer than 10 correct digits"},
        };
        MainWindow window(testApp());
        window.show();
        window.setLanguage(true);
        QLabel* notice = labelNamed(window, "StatusPanel1");
        for (const Case& c : cases) {
            paneNamed(window, "MemoAN")->lines().load({c.an});
            paneNamed(window, "MemoX")->lines().load({c.x});
            QSignalSpy analysed(&window, &MainWindow::analysisEnded);
            solve(window);
            QVERIFY(analysed.count() > 0 || analysed.wait(60000));
            QVERIFY2(notice->text().endsWith(c.notice), qPrintable(notice->text()));
        }
        // A long analysis: an edit of a list cancels it at once; so does the
        // next Solve, whose analysis alone ends.
        paneNamed(window, "MemoX")->lines().load({lines("1.001", 400000)});
        solve(window);
        QVERIFY(window.analysing());
        QVERIFY(notice->text().endsWith("Analysing…"));
        paneNamed(window, "MemoAN")->lines().load({cube});
        QVERIFY(!window.analysing());
        QVERIFY(!notice->text().contains("Analysing"));
        QSignalSpy analysed(&window, &MainWindow::analysisEnded);
        solve(window);
        solve(window);
        QVERIFY(analysed.wait(60000));
        QTest::qWait(100);
        QCOMPARE(analysed.count(), 1);
        QVERIFY(notice->text().endsWith("400000 values have fewer than 10 correct digits"));
    }

    // Measured, not asserted: a million x values and ten coefficients, from
    // the click to the report shown, and on to the analysis' word.
    void millionValuesTimed() {
        std::string x;
        for (int i = 0; i < 1000000; ++i) x += std::to_string(-2.0 + 4e-6 * i) + "\r\n";
        MainWindow window(testApp());
        window.show();
        paneNamed(window, "MemoAN")->lines().load({lines("1.25", 10)});
        paneNamed(window, "MemoX")->lines().load({x});
        for (int run = 0; run < 3; ++run) {
            QSignalSpy analysed(&window, &MainWindow::analysisEnded);
            QElapsedTimer timer;
            timer.start();
            solve(window);
            const qint64 shown = timer.elapsed();
            QVERIFY(analysed.count() > 0 || analysed.wait(120000));
            qInfo("1,000,000 values: report shown %lld ms after the click, the analysis' word %lld ms after that",
                  shown, timer.elapsed() - shown);
        }
    }

    void aReadingErrorSelectsItsLine() {
        struct Case {
            const char* what;
            std::string an, x;
            PaneRole pane;
            int64_t line;
        };
        const Case cases[] = {
            {"coefficient not a number", "1\r\n\r\n x \r\n2", "1", PaneRole::coefficients, 2},
            {"coefficient too large", "1\r\n1e999\r\n", "1", PaneRole::coefficients, 1},
            {"x too large", "1", "1\r\n \r\n1e400\r\nz", PaneRole::xValues, 2},
            {"x not a number, deep in a long pane", "1", lines("0.25", 150000) + "1;5\r\n" + lines("7", 9),
             PaneRole::xValues, 150000},
        };
        MainWindow window(testApp());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (const Case& c : cases) {
            RecordingPresenter boxes;
            paneNamed(window, "MemoAN")->lines().load({c.an});
            paneNamed(window, "MemoX")->lines().load({c.x});
            paneNamed(window, "MemoFx")->lines().load({"earlier"});
            buttonNamed(window, "BtnSolve")->setFocus();
            solve(window);
            QCOMPARE(boxes.boxes.size(), std::size_t{1});
            const quill::TextPane& pane = window.paneFor(c.pane);
            const std::size_t length = pane.lines().row(c.line).size();
            QVERIFY2(pane.hasFocus(), c.what);
            QCOMPARE(pane.anchor(), (quill::TextPos{c.line, length}));
            QCOMPARE(pane.caret(), (quill::TextPos{c.line, 0}));
            const int64_t rowsShown = pane.viewport()->height() / pane.rowHeight();
            QVERIFY2(pane.firstVisibleRow() <= c.line && c.line < pane.firstVisibleRow() + rowsShown, c.what);
            QCOMPARE(paneText(paneNamed(window, "MemoFx")), std::string("earlier"));
            // The coefficients read before a bad x value are kept, as a Solve
            // step by step keeps them; a bad coefficient keeps the old (none).
            QCOMPARE(window.lists().coefficientCount(), c.pane == PaneRole::xValues ? 1 : 0);
        }
    }
};

QUILL_UI_TEST_MAIN(SolveRunTest)
#include "solve_run_test.moc"
