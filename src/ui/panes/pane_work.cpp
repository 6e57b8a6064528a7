#include "ui/panes/pane_work.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <exception>

#include "common/error.h"
#include "solve/background_run.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/command_guard.h"
#include "ui/shared/window_task.h"

namespace quill {

namespace {

// When the progress shows, and how often it is brought up to date.
constexpr qint64 kProgressDelayMs = 500;
constexpr int kProgressTickMs = 40;

}  // namespace

void WorkControl::check() const {
    if (cancelled_.load()) throw AbortError();
}

void WorkControl::progress(uint64_t done, uint64_t total) {
    if (total > 0) permille_.store(static_cast<int>(std::min<uint64_t>(1000, done * 1000 / total)));
    check();
}

struct PaneWork::Run {
    uint64_t id = 0;  // a notice names its run by it, never by its address
    QPointer<TextPane> pane;
    WorkKind kind;
    WorkControl control;
    QElapsedTimer clock;
    bool busy = false;      // the pane was turned off
    bool hadFocus = false;  // and had the focus then
    // Set on the work's thread, read once done.
    WorkFinish finish;
    std::exception_ptr error;
    std::unique_ptr<BackgroundRun> thread;
};

PaneWork::PaneWork(ErrorRoute& errors, WorkDisplay* display, QObject* parent)
    : QObject(parent), errors_(errors), display_(display), progressTimer_(new QTimer(this)) {
    progressTimer_->setInterval(kProgressTickMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] { showProgress(); });
}

PaneWork::~PaneWork() {
    for (const auto& run : runs_)
        if (!run->kind.finishOnClose) run->control.cancel();
    for (const auto& run : runs_) run->thread.reset();
}

void PaneWork::start(TextPane& pane, const WorkKind& kind, PaneJob job) {
    auto owned = std::make_unique<Run>();
    Run* run = owned.get();
    run->id = ++lastId_;
    run->pane = &pane;
    run->kind = kind;
    run->clock.start();
    auto work = [run, job = std::move(job)] {
        try {
            run->finish = job(run->control);
        } catch (...) {
            run->error = std::current_exception();
        }
    };
    auto notice = [this, id = run->id] {
        QMetaObject::invokeMethod(
            this, [this, id] { finish(id); }, Qt::QueuedConnection);
    };
    run->thread = std::make_unique<BackgroundRun>(std::move(work), std::move(notice));
    runs_.push_back(std::move(owned));
    if (run->thread->waitFor(WindowTask::kWaitAtStart)) {
        finish(run->id);
        return;
    }
    if (kind.replacesText) {
        run->busy = true;
        run->hadFocus = pane.hasFocus();
        pane.setEnabled(false);
        emit paneBusy(&pane, true);
    }
    progressTimer_->start();
}

bool PaneWork::replacingAny() const {
    return std::any_of(runs_.begin(), runs_.end(), [](const auto& run) { return run->busy; });
}

void PaneWork::finish(uint64_t id) {
    // A notice from work already finished at its start comes late.
    const auto found = std::find_if(runs_.begin(), runs_.end(), [id](const auto& r) { return r->id == id; });
    if (found == runs_.end()) return;
    std::unique_ptr<Run> owned = std::move(*found);
    const Run* run = owned.get();
    runs_.erase(found);
    owned->thread.reset();  // its thread has ended: joined at once
    if (runs_.empty()) progressTimer_->stop();
    if (shown_ == run) {
        shown_ = nullptr;
        if (display_) display_->hideWork();
    }
    TextPane* pane = owned->pane;
    if (owned->busy && pane) {
        pane->setEnabled(true);
        if (owned->hadFocus) pane->setFocus(Qt::OtherFocusReason);
        emit paneBusy(pane, false);
    }
    runGuarded(errors_, [&] {
        if (owned->error) std::rethrow_exception(owned->error);
        if (owned->finish && pane) owned->finish(*pane);
    });
    if (!shown_) showProgress();
}

void PaneWork::showProgress() {
    if (!display_) return;
    if (!shown_) {
        // The oldest work that has run long enough.
        for (const auto& run : runs_) {
            if (run->clock.elapsed() >= kProgressDelayMs) {
                shown_ = run.get();
                break;
            }
        }
        if (!shown_) return;
    }
    Run* run = shown_;
    if (!display_->showWork(run->kind.caption, run->control.permille(), [run] { run->control.cancel(); }))
        shown_ = nullptr;
}

void runPaneWork(TextPane& pane, const WorkKind& kind, PaneJob job) {
    if (PaneWork* work = pane.work()) {
        work->start(pane, kind, std::move(job));
        return;
    }
    WorkControl control;
    if (const WorkFinish finish = job(control)) finish(pane);
}

}  // namespace quill
