// Measures the desktop program on large panes: a Solve of a million x
// values from the click until the report is on screen, typing in a
// million-line pane, loading a 50 MB file over typed text and taking it
// back, filling the x pane with ten million values, and the peak memory. Prints figures; asserts nothing.
//   QT_QPA_PLATFORM=offscreen build/bin/quill_ui_speed [x-count]

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/range_fill.h"
#include "ui/application/application.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/pane_files.h"
#include "ui/panes/range_dialog.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/message_presenter.h"

namespace {

long statusMegabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray name(field);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name)) return line.mid(name.size()).trimmed().split(' ').at(0).toLong() / 1024;
    return -1;
}
long peakMegabytes() { return statusMegabytes("VmHWM:"); }
long currentMegabytes() { return statusMegabytes("VmRSS:"); }

void settle(QWidget* window) {
    window->repaint();
    QApplication::processEvents();
}

// Clicks Solve and runs the event loop until the Solve has ended; the
// longest the loop was kept from running meanwhile goes to longestPauseMs,
// how long the click itself took to clickMs.
void solveAndWait(quill::MainWindow* window, double* longestPauseMs = nullptr, double* clickMs = nullptr) {
    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    QElapsedTimer click;
    click.start();
    window->findChild<QPushButton*>("BtnSolve")->click();
    if (clickMs) *clickMs = click.nsecsElapsed() / 1e6;
    if (window->solving()) {
        QEventLoop loop;
        QObject::connect(window, &quill::MainWindow::solveEnded, &loop, &QEventLoop::quit);
        sinceTick.start();
        ticks.start();
        loop.exec();
    }
    settle(window);
    if (longestPauseMs) *longestPauseMs = longest;
}

// Average milliseconds per key, each followed by a repaint of the pane.
double timeKeys(quill::TextPane* pane, int key, const QString& text, int times) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < times; ++i) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(pane, &press);
        pane->viewport()->repaint();
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6 / times;
}

class SilentPresenter : public quill::MessagePresenter {
public:
    void show(QWidget*, const QString& text, const QString&, QMessageBox::Icon) override { shownLength = text.size(); }
    qsizetype shownLength = 0;
};

}  // namespace

int main(int argc, char** argv) {
    quill::Application app(argc, argv);
    app.setTitle(QString::fromUtf8(quill::kApplicationTitle));
    const int xCount = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    SilentPresenter presenter;
    app.setPresenter(&presenter);

    auto* window = app.createOwnedWindow<quill::MainWindow>();
    window->show();
    settle(window);

    std::string xs;
    for (int i = 0; i < xCount; ++i) xs += std::to_string(i % 2000 - 1000) + "." + std::to_string(i % 997) + "\r\n";
    QElapsedTimer timer;
    timer.start();
    window->paneFor(quill::PaneRole::coefficients).lines().load({"1\r\n-3\r\n0.5\r\n2\r\n"});
    window->paneFor(quill::PaneRole::xValues).lines().load({xs});
    settle(window);
    std::printf("fill x pane: %d lines in %.0f ms\n", xCount, timer.nsecsElapsed() / 1e6);

    timer.restart();
    double pauseMs = 0, clickMs = 0;
    solveAndWait(window, &pauseMs, &clickMs);
    const double solveMs = timer.nsecsElapsed() / 1e6;
    std::printf("solve: %d report lines in MemoFx %.0f ms after the click\n",
                window->paneFor(quill::PaneRole::results).lines().count(), solveMs);
    std::printf("the click returned after %.0f ms; then the longest the window went without its event loop: %.0f ms\n",
                clickMs, pauseMs);
    std::printf("peak memory after the report: %ld MB\n", peakMegabytes());

    // Typing in the middle of the million-line x pane.
    quill::TextPane* pane = &window->paneFor(quill::PaneRole::xValues);
    pane->setFocus();
    pane->setCaret({xCount / 2, 0});
    settle(window);
    std::printf("typing a digit mid-pane: %.2f ms a key\n", timeKeys(pane, Qt::Key_5, QStringLiteral("5"), 200));
    std::printf("Enter (a new row) mid-pane: %.2f ms a key\n",
                timeKeys(pane, Qt::Key_Return, QStringLiteral("\r"), 50));
    std::printf("Backspace joining rows: %.2f ms a key\n", timeKeys(pane, Qt::Key_Backspace, QString(), 50));
    std::printf("Page Down: %.2f ms a key\n", timeKeys(pane, Qt::Key_PageDown, QString(), 200));
    pane = &window->paneFor(quill::PaneRole::results);
    pane->setFocus();
    std::printf("typing at the end of the report pane: %.2f ms a key\n",
                timeKeys(pane, Qt::Key_7, QStringLiteral("7"), 200));

    // A second Solve: clearing the big report and writing it again.
    timer.restart();
    solveAndWait(window);
    std::printf("second solve (clear + report): %.0f ms\n", timer.nsecsElapsed() / 1e6);

    // An error quoting a 100 MB line.
    window->paneFor(quill::PaneRole::xValues).lines().load({std::string(100'000'000, '9') + "x\r\n"});
    timer.restart();
    solveAndWait(window);
    std::printf("error for a 100 MB line: box text of %lld characters after %.0f ms\n",
                static_cast<long long>(presenter.shownLength), timer.nsecsElapsed() / 1e6);

    // A 50 MB file loaded over typed text, as one step that Undo takes back.
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("big.txt"));
        QFile big(path);
        big.open(QIODevice::WriteOnly);
        std::string line;
        for (int i = 0; big.size() < 50'000'000; ++i) {
            line = std::to_string(i * 7919 % 1000003) + ".0123456789\n";
            big.write(line.data(), static_cast<qint64>(line.size()));
        }
        big.close();
        quill::TextPane& x = window->paneFor(quill::PaneRole::xValues);
        x.lines().load({"1\r\n"});
        x.setCaret(x.lines().end());
        x.insertText(QStringLiteral("2\n3"));
        settle(window);
        const long before = currentMegabytes();
        timer.restart();
        quill::loadPaneFile(x, path);
        settle(window);
        std::printf("load of a %lld-byte file: %d lines in %.0f ms, %+ld MB\n", static_cast<long long>(big.size()),
                    x.lines().count(), timer.nsecsElapsed() / 1e6, currentMegabytes() - before);
        timer.restart();
        x.undo();
        settle(window);
        std::printf("undo of the load: %.0f ms (%d lines back), history %zu bytes\n", timer.nsecsElapsed() / 1e6,
                    x.lines().count(), x.lines().historyBytes());
        timer.restart();
        x.redo();
        settle(window);
        std::printf("redo of the load: %.0f ms, history %zu bytes, %+ld MB\n", timer.nsecsElapsed() / 1e6,
                    x.lines().historyBytes(), currentMegabytes() - before);
        timer.restart();
        quill::loadPaneFile(x, path);
        settle(window);
        std::printf("the same load over the 50 MB text: %.0f ms, history %zu bytes\n", timer.nsecsElapsed() / 1e6,
                    x.lines().historyBytes());
        std::printf("peak memory: %ld MB\n", peakMegabytes());
    }

    // Fill with a range: ten million values in place of the x pane's text,
    // the text alone first, then the whole fill up to the repaint, and Undo.
    window->paneFor(quill::PaneRole::xValues).lines().load({"1\r\n"});
    const quill::RangeRequest range{-1000, 1000, quill::kMostRangeValues};
    timer.restart();
    const std::size_t rangeBytes = quill::rangeText(range, '.').size();
    std::printf("range text: %d values (%zu bytes) in %.0f ms\n", range.count, rangeBytes, timer.nsecsElapsed() / 1e6);
    {
        quill::RangeDialog dialog(window->paneFor(quill::PaneRole::xValues), {false, '.'}, window);
        dialog.findChild<QLineEdit*>(QStringLiteral("EdtFrom"))->setText(QStringLiteral("-1000"));
        dialog.findChild<QLineEdit*>(QStringLiteral("EdtTo"))->setText(QStringLiteral("1000"));
        dialog.findChild<QLineEdit*>(QStringLiteral("EdtCount"))->setText(QString::number(range.count));
        timer.restart();
        dialog.fill();
        settle(window);
    }
    std::printf("fill with a range: %d lines in the x pane %.0f ms\n",
                window->paneFor(quill::PaneRole::xValues).lines().count(), timer.nsecsElapsed() / 1e6);
    timer.restart();
    window->paneFor(quill::PaneRole::xValues).undo();
    settle(window);
    std::printf("undo of the fill: %.0f ms\n", timer.nsecsElapsed() / 1e6);
    std::printf("peak memory at the end: %ld MB\n", peakMegabytes());

    app.setPresenter(nullptr);
    app.destroyOwnedWindows();
    return 0;
}
