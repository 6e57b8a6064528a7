#include "solve/background_run.h"

#include <utility>

namespace quill {

BackgroundRun::BackgroundRun(std::function<void()> work, std::function<void()> finished)
    : work_(std::move(work)), finished_(std::move(finished)), thread_([this] { run(); }) {}

BackgroundRun::~BackgroundRun() {
    cancel();
    if (thread_.joinable()) thread_.join();
}

bool BackgroundRun::waitFor(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, time, [this] { return done_; });
}

bool BackgroundRun::done() const {
    std::lock_guard lock(mutex_);
    return done_;
}

void BackgroundRun::run() noexcept {
    work_();
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    ended_.notify_all();
    if (finished_) finished_();
}

}  // namespace quill
