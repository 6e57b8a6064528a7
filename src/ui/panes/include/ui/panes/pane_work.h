#pragma once
// Long pane work off the interface thread: a load (the Load button, a drop),
// a save, a range fill, the copy of a large selection. The work runs on a
// thread of its own and hands back what is left to do on the interface
// thread (putting the text in, filling the clipboard). Work that ends within
// a moment is done before its command returns, errors and all; longer work
// lets the window answer, shows its progress in the window's status bar after
// half a second, with Cancel where dropping it changes nothing, and the pane
// whose text it will replace is off until it ends.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/shared/language.h"

class QTimer;

namespace quill {

class ErrorRoute;
class TextPane;

// What the work sees on its thread.
class WorkControl {
public:
    // Raises AbortError once the work is cancelled: it ends, changing nothing.
    void check() const;
    // done of total; checks.
    void progress(uint64_t done, uint64_t total);
    void cancel() { cancelled_.store(true); }
    // 0 to 1000.
    int permille() const { return permille_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<int> permille_{0};
};

// What is left to do on the interface thread, on the pane the work was for;
// none: nothing.
using WorkFinish = std::function<void(TextPane& pane)>;
// The work, on its thread.
using PaneJob = std::function<WorkFinish(WorkControl& control)>;

struct WorkKind {
    Caption caption;    // what the status bar says while it runs
    bool replacesText;  // the pane is off while it runs
    // A window that closes waits for it (a save) rather than dropping it.
    bool finishOnClose = false;
};

// Where long work shows: the window's status bar, with its progress bar and
// Cancel button.
class WorkDisplay {
public:
    virtual ~WorkDisplay() = default;
    // Shows the work's caption and progress (0 to 1000), with Cancel calling
    // cancel; false when the status bar shows other work (a Solve).
    virtual bool showWork(const Caption& caption, int permille, const std::function<void()>& cancel) = 0;
    virtual void hideWork() = 0;
};

// The long pane work of one window.
class PaneWork : public QObject {
    Q_OBJECT

public:
    // Errors of the work go to errors; its progress to display (may be null).
    explicit PaneWork(ErrorRoute& errors, WorkDisplay* display = nullptr, QObject* parent = nullptr);
    // Drops the work under way but saves, which it waits for.
    ~PaneWork() override;

    void start(TextPane& pane, const WorkKind& kind, PaneJob job);
    // Work is under way that will replace a pane's text.
    bool replacingAny() const;

signals:
    // Work that will replace the pane's text began, or ended.
    void paneBusy(TextPane* pane, bool busy);

private:
    struct Run;  // on a BackgroundRun (solve/background_run.h)
    // Takes the run off the list and does what is left of it; nothing for
    // one already finished.
    void finish(uint64_t id);
    void showProgress();

    ErrorRoute& errors_;
    WorkDisplay* display_;
    std::vector<std::unique_ptr<Run>> runs_;
    Run* shown_ = nullptr;
    uint64_t lastId_ = 0;
    QTimer* progressTimer_;
};

// Runs the job for the pane: on the pane's PaneWork (TextPane::setWork), or
// without one at once, its errors raised to the caller.
void runPaneWork(TextPane& pane, const WorkKind& kind, PaneJob job);

}  // namespace quill
