#include "ui/shared/window_task.h"

#include <algorithm>

#include "solve/background_run.h"

namespace quill {

struct WindowTask::Run {
    std::uint64_t id = 0;
    std::atomic<bool> cancel{false};
    std::exception_ptr error;  // set on the run's thread, read once it ended
    std::unique_ptr<BackgroundRun> thread;
};

WindowTask::WindowTask(QObject* parent) : QObject(parent) {}

WindowTask::~WindowTask() = default;  // each BackgroundRun cancels and joins

bool WindowTask::start(Job job, std::function<void(std::exception_ptr)> done) {
    cancel();
    auto run = std::make_unique<Run>();
    Run* at = run.get();
    at->id = ++lastId_;
    auto work = [at, job = std::move(job)] {
        try {
            job(at->cancel);
        } catch (...) {
            at->error = std::current_exception();
        }
    };
    auto notice = [this, id = at->id] {
        QMetaObject::invokeMethod(
            this, [this, id] { ended(id); }, Qt::QueuedConnection);
    };
    done_ = std::move(done);
    run_ = std::move(run);
    at->thread = std::make_unique<BackgroundRun>(std::move(work), std::move(notice));
    if (at->thread->waitFor(kWaitAtStart)) {
        ended(at->id);
        return true;
    }
    emit busyChanged(true);
    return false;
}

void WindowTask::cancel() {
    done_ = nullptr;
    if (!run_) return;
    run_->cancel.store(true);
    dropped_.push_back(std::move(run_));
    emit busyChanged(false);
}

void WindowTask::release() {
    cancel();
    released_ = true;
    setParent(nullptr);
    ended(0);
}

void WindowTask::ended(std::uint64_t id) {
    std::erase_if(dropped_, [](const std::unique_ptr<Run>& r) { return r->thread->done(); });
    if (run_ && run_->id == id) {
        const std::unique_ptr<Run> run = std::move(run_);
        run->thread.reset();  // its thread has ended: joined at once
        auto done = std::move(done_);
        done_ = nullptr;
        emit busyChanged(false);
        if (done) done(run->error);
    }
    if (released_ && !run_ && dropped_.empty()) deleteLater();
}

}  // namespace quill
