#pragma once
// The one runner of work on a thread of its own, beside the window: it starts
// at once, can be asked to stop, and tells when it has ended. The Solve, the
// analysis and the panes' long work each hold one, as their last member, so
// that their thread starts once the rest is in place and is joined before the
// rest goes. No Qt here.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace quill {

class BackgroundRun {
public:
    // Runs work at once; then, on the same thread and once done() holds,
    // calls finished. work must not throw.
    BackgroundRun(std::function<void()> work, std::function<void()> finished);
    // Asks the work to stop and waits for its thread.
    ~BackgroundRun();
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    // The flag the work looks at between its chunks.
    void cancel() { cancel_.store(true); }
    bool cancelled() const { return cancel_.load(); }
    const std::atomic<bool>* cancelFlag() const { return &cancel_; }
    // Waits at most that long; true once the work has ended.
    bool waitFor(std::chrono::milliseconds time);
    bool done() const;

private:
    void run() noexcept;

    std::function<void()> work_, finished_;
    std::atomic<bool> cancel_{false};
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread thread_;  // last: starts once the rest is in place
};

}  // namespace quill
