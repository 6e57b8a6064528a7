// Long pane work: a short one is done before its command returns; a long one
// lets the window answer with the pane and the controls that would change it
// off, shows its caption, progress and Cancel in the status bar after half a
// second, and once cancelled changes nothing.

#include <QProgressBar>
#include <atomic>
#include <chrono>
#include <thread>

#include "ui/main_window/main_window.h"
#include "ui/panes/pane_work.h"
#include "ui/panes/text_pane.h"
#include "ui_test_support.h"

namespace quill {

class PaneWorkTest : public QObject {
    Q_OBJECT

    // Work that puts "done" into the pane once released, checking for
    // Cancel as it waits.
    static PaneJob waitingJob(const std::atomic<bool>& release) {
        return [&release](WorkControl& control) -> WorkFinish {
            while (!release.load()) {
                control.progress(250, 1000);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return [](TextPane& pane) { pane.lines().load({"done"}); };
        };
    }

private slots:
    void shortWorkIsDoneBeforeItsCommandReturns() {
        MainWindow window(test::testApp());
        TextPane& pane = window.paneFor(PaneRole::xValues);
        const std::atomic<bool> release{true};
        runPaneWork(pane, {captions::kLoading, true}, waitingJob(release));
        QCOMPARE(test::paneText(&pane), std::string("done"));
        QVERIFY(pane.isEnabled());
    }

    void longWorkShowsItsProgressAndCancelDropsIt() {
        MainWindow window(test::testApp());
        window.show();
        TextPane& pane = window.paneFor(PaneRole::xValues);
        const std::string before = test::paneText(&pane);
        for (const bool cancel : {true, false}) {
            std::atomic<bool> release{false};
            runPaneWork(pane, {captions::kLoading, true}, waitingJob(release));
            for (const char* off : {"MemoX", "BtnLoadX", "BtnClearX", "BtnSaveX", "BtnSolve", "BtnSampleData"})
                QVERIFY2(!test::childNamed<QWidget>(window, off)->isEnabled(), off);
            QVERIFY(test::childNamed<QWidget>(window, "BtnLoadAn")->isEnabled());
            QTRY_VERIFY(test::childNamed<QProgressBar>(window, "SolveProgress")->isVisible());
            QCOMPARE(test::labelNamed(window, "StatusPanel0")->text(), QStringLiteral("正在载入 Loading…"));
            QCOMPARE(test::childNamed<QProgressBar>(window, "SolveProgress")->value(), 250);
            if (cancel)
                test::buttonNamed(window, "BtnCancelSolve")->click();
            else
                release = true;
            QTRY_VERIFY(pane.isEnabled());
            QCOMPARE(test::paneText(&pane), cancel ? before : std::string("done"));
            QVERIFY(test::buttonNamed(window, "BtnSolve")->isEnabled());
            QVERIFY(!test::childNamed<QProgressBar>(window, "SolveProgress")->isVisible());
            QCOMPARE(test::labelNamed(window, "StatusPanel0")->text(), QStringLiteral("就绪"));
        }
    }
};

}  // namespace quill

QUILL_UI_TEST_MAIN(quill::PaneWorkTest)
#include "pane_work_test.moc"
