// Measures the desktop program on large panes: a Solve of a million x
// values from the click until the report is on screen, typing in a
// million-line pane, loading a 50 MB file over typed text and taking it
// back, filling the x pane with ten million values, and the peak memory.
// With "freeze", the longest the window went without answering during each
// of the pane operations on x panes of that many lines (freeze_probe below).
// Prints figures; asserts nothing.
//   QT_QPA_PLATFORM=offscreen build/bin/quill_ui_speed [x-count]
//   QT_QPA_PLATFORM=offscreen build/bin/quill_ui_speed freeze [x-count] [runs]
// tools/freeze-probe.sh runs the freeze table with a screen reader's bridge on.

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/range_fill.h"
#include "ui/application/application.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/file_dialogs.h"
#include "ui/panes/fit_dialog.h"
#include "ui/panes/pane_files.h"
#include "ui/panes/range_dialog.h"
#include "ui/panes/text_pane.h"
#include "ui/plot_page/plot_page.h"
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

// Runs the event loop until the pane's work (a load, a fill) has ended.
void settleWork(QWidget* window, const quill::TextPane& pane) {
    while (!pane.isEnabled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    settle(window);
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

// ---- freeze_probe -------------------------------------------------------
// The longest gap between two ticks of a 5 ms timer, from the start of an
// operation (begun from the event loop, as a click is) until it is done and
// the window has been idle for a moment: the longest the window did not answer.
// Beside it, the interface thread's own CPU time in that gap: on a busy
// machine a gap far longer than it was spent waiting for a core.
struct Freeze {
    double longestMs = 0, workMs = 0;  // the longest gap; from the start until done
    double busyMs = 0;                 // the thread's CPU time in the longest gap
};

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

Freeze longestFreeze(const std::function<void()>& start, const std::function<bool()>& done) {
    constexpr qint64 kIdleMs = 150;
    QElapsedTimer sinceTick, sinceDone, sinceStart;
    double workMs = 0;
    double longest = 0, busy = 0, cpuAtTick = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const double gap = sinceTick.nsecsElapsed() / 1e6, cpu = threadCpuMs();
        if (gap > longest) longest = gap, busy = cpu - cpuAtTick;
        cpuAtTick = cpu;
        sinceTick.restart();
    });
    QEventLoop loop;
    QTimer watch;
    watch.setInterval(2);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!sinceDone.isValid() && done()) {
            sinceDone.start();
            workMs = sinceStart.nsecsElapsed() / 1e6;
        }
        if (sinceDone.isValid() && sinceDone.elapsed() >= kIdleMs) loop.quit();
    });
    QTimer::singleShot(0, [&] {
        sinceTick.start();
        cpuAtTick = threadCpuMs();
        sinceStart.start();
        ticks.start();
        watch.start();
        start();
    });
    loop.exec();
    return {longest, workMs, busy};
}

void sendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// Every pane operation on an x pane of `lines` lines, `runs` times; prints
// the median and the runs of each.
// A million measured points for the fit, on a cubic with some noise: the
// file's path in the folder.
QString writeFitPoints(const QTemporaryDir& folder) {
    const QString path = folder.filePath(QStringLiteral("points.txt"));
    constexpr int kFitPoints = 1000000;
    QFile points(path);
    points.open(QIODevice::WriteOnly);
    std::string chunk;
    for (int i = 0; i < kFitPoints; ++i) {
        const double t = -1.0 + 2.0 * i / kFitPoints;
        chunk += std::to_string(t) + "," + std::to_string(t * t * t - t + (i % 7) * 1e-3) + "\n";
        if (chunk.size() > (1 << 20) || i + 1 == kFitPoints) {
            points.write(chunk.data(), static_cast<qint64>(chunk.size()));
            chunk.clear();
        }
    }
    return path;
}

int freezeTable(quill::MainWindow* window, int lines, int runs) {
    QTemporaryDir folder;
    const QString xFile = folder.filePath(QStringLiteral("x.txt")), anFile = folder.filePath(QStringLiteral("an.txt"));
    const QString saved = folder.filePath(QStringLiteral("saved.txt"));
    qint64 xBytes = 0;
    {
        QFile x(xFile);
        x.open(QIODevice::WriteOnly);
        std::string chunk;
        for (int i = 0; i < lines; ++i) {
            chunk += std::to_string(i % 2000 - 1000) + "." + std::to_string(i % 997) + "\r\n";
            if (chunk.size() > (1 << 20) || i + 1 == lines) {
                x.write(chunk.data(), static_cast<qint64>(chunk.size()));
                chunk.clear();
            }
        }
        xBytes = x.size();
        QFile an(anFile);
        an.open(QIODevice::WriteOnly);
        an.write("1\r\n-3\r\n0.5\r\n2\r\n");
    }
    const QString pointsFile = writeFitPoints(folder);
    std::unique_ptr<quill::FitDialog> fit;
    auto* plot = window->findChild<quill::PlotPage*>();
    auto* level = plot->findChild<QLineEdit*>(QStringLiteral("EdtLevel"));
    quill::TextPane& x = window->paneFor(quill::PaneRole::xValues);
    quill::TextPane& results = window->paneFor(quill::PaneRole::results);
    auto* pages = window->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    const auto answer = [](const QString& path) {
        return [path](QWidget*, const quill::FileDialogRequest&) { return quill::FileDialogAnswer{true, path, 1}; };
    };
    const auto click = [window](const char* name) {
        return [window, name] { window->findChild<QPushButton*>(QLatin1String(name))->click(); };
    };
    const auto linesAre = [](quill::TextPane& pane, int count) {
        // A pane is off while work that replaces its text runs.
        return [&pane, count] { return pane.lines().count() == count && pane.isEnabled(); };
    };
    const auto now = [] { return true; };
    bool solved = false, copied = false;
    QObject::connect(window, &quill::MainWindow::solveEnded, [&solved] { solved = true; });
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, [&copied] { copied = true; });
    window->fileDialog(quill::FileDialog::Kind::open).setRunner(answer(anFile));
    window->findChild<QPushButton*>(QStringLiteral("BtnLoadAn"))->click();

    struct Operation {
        const char* name;
        std::function<void()> start;
        std::function<bool()> done;
        std::function<void()> before = [] {};
    };
    std::vector<Operation> operations = {
        {"load (Load button)", click("BtnLoadX"), linesAre(x, lines),
         [&] { window->fileDialog(quill::FileDialog::Kind::open).setRunner(answer(xFile)); }},
        {"one character typed mid-pane", [&] { sendKey(&x, Qt::Key_5, Qt::NoModifier, QStringLiteral("5")); }, now,
         [&] {
             x.setFocus();
             x.setCaret({lines / 2, 0});
         }},
        {"Ctrl+Z of that character", [&] { sendKey(&x, Qt::Key_Z, Qt::ControlModifier); }, now},
        {"save (Save button)", click("BtnSaveX"), [&] { return QFileInfo(saved).size() == xBytes; },
         [&] {
             QFile::remove(saved);
             window->fileDialog(quill::FileDialog::Kind::save).setRunner(answer(saved));
         }},
        {"Select All + Copy",
         [&] {
             sendKey(&x, Qt::Key_A, Qt::ControlModifier);
             sendKey(&x, Qt::Key_C, Qt::ControlModifier);
         },
         [&] { return copied; }, [&] { copied = false; }},
        {"Solve (report into the pane)", click("BtnSolve"), [&] { return solved && !window->solving(); },
         [&] { solved = false; }},
        {"switch to the plot page", [&] { pages->setCurrentIndex(1); }, now},
        {"switch back to the panes", [&] { pages->setCurrentIndex(0); }, now},
        {"Clear (result pane)", click("BtnClearFx"), linesAre(results, 0)},
        {"range fill",
         [&] {
             quill::RangeDialog dialog(x, {false, '.'}, window);
             dialog.findChild<QLineEdit*>(QStringLiteral("EdtFrom"))->setText(QStringLiteral("-1000"));
             dialog.findChild<QLineEdit*>(QStringLiteral("EdtTo"))->setText(QStringLiteral("1000"));
             dialog.findChild<QLineEdit*>(QStringLiteral("EdtCount"))->setText(QString::number(lines));
             dialog.findChild<QPushButton*>(QStringLiteral("BtnOk"))->click();
         },
         [&] { return x.lines().count() == lines && x.lines().line(0) == "-1000"; }, [&] { x.setFocus(); }},
        {"Ctrl+Z of the fill", [&] { sendKey(&x, Qt::Key_Z, Qt::ControlModifier); },
         [&] { return x.lines().count() == lines && x.lines().line(0) != "-1000"; }},
        {"Redo of the fill", [&] { sendKey(&x, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); },
         [&] { return x.lines().count() == lines && x.lines().line(0) == "-1000"; }},
        {"fit dialog: load 1 M points",
         [&] {
             fit = std::make_unique<quill::FitDialog>(window->paneFor(quill::PaneRole::coefficients),
                                                      quill::RangeFillStyle{false, '.'}, window);
             fit->loadPoints(pointsFile);
         },
         [&] { return !fit->working(); }},
        {"fit of 1 M points, degree 5",
         [&] {
             fit->findChild<QSpinBox*>(QStringLiteral("SpnDegree"))->setValue(5);
             fit->setFitShown([plot](quill::plot::PlotModel points) { plot->showFit(std::move(points)); });
             fit->accept();
         },
         [&] { return !fit->working(); }},
        {"line y = 0.1: its crossings",
         [&] {
             level->setText(QStringLiteral("0.1"));
             sendKey(level, Qt::Key_Return);
         },
         [&] { return !plot->searchingCrossings(); }},
        {"Clear (x pane)", click("BtnClearX"), linesAre(x, 0)},
        {"drop of the file",
         [&] {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(xFile)});
             QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(x.viewport(), &enter);
             QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(x.viewport(), &drop);
         },
         linesAre(x, lines)},
    };
    std::map<std::string, std::vector<double>> measured, took, busy;
    for (int run = 0; run < runs; ++run) {
        for (Operation& op : operations) {
            op.before();
            settle(window);
            const Freeze freeze = longestFreeze(op.start, op.done);
            measured[op.name].push_back(freeze.longestMs);
            took[op.name].push_back(freeze.workMs);
            busy[op.name].push_back(freeze.busyMs);
        }
    }
    std::printf(
        "longest freeze with %d x lines (ms; median of %d runs, then each run; the median time until done; the\n"
        "interface thread's CPU time in each run's longest freeze)\n",
        lines, runs);
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    for (const Operation& op : operations) {
        std::printf("| %-30s | %6.0f |", op.name, median(measured[op.name]));
        for (double t : measured[op.name]) std::printf(" %.0f", t);
        std::printf(" | %.0f |", median(took[op.name]));
        for (double t : busy[op.name]) std::printf(" %.0f", t);
        std::printf("\n");
    }
    std::printf("peak memory: %ld MB\n", peakMegabytes());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    quill::Application app(argc, argv);
    app.setTitle(QString::fromUtf8(quill::kApplicationTitle));
    const bool freeze = argc > 1 && std::string(argv[1]) == "freeze";
    const int xCount = argc > 1 + freeze ? std::atoi(argv[1 + freeze]) : 1'000'000;
    SilentPresenter presenter;
    app.setPresenter(&presenter);

    auto* window = app.createOwnedWindow<quill::MainWindow>();
    window->show();
    settle(window);
    if (freeze) {
        // A forced bridge turns on once it has reached the accessibility bus.
        QElapsedTimer waited;
        waited.start();
        while (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") && !QAccessible::isActive() &&
               waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        std::printf("accessibility bridge: %s\n", QAccessible::isActive() ? "on" : "off");
        const int status = freezeTable(window, xCount, argc > 3 ? std::atoi(argv[3]) : 3);
        app.setPresenter(nullptr);
        app.destroyOwnedWindows();
        return status;
    }

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
        settleWork(window, x);
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
        settleWork(window, x);
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
        settleWork(window, window->paneFor(quill::PaneRole::xValues));
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
