#pragma once
// Work that a dialog or the plot page starts and the window must not wait
// for (a fit, an expansion, the crossings of a line with the curve): it runs
// on a thread of its own (solve/background_run.h) and hands its end back to
// the window's thread. Work that ends within a moment is over before start()
// returns, so a short command behaves as if it ran in place.

#include <QObject>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace quill {

class WindowTask : public QObject {
    Q_OBJECT

public:
    // The work, on its thread: it looks at cancel between its steps and may
    // raise; the window's thread gets its end through done.
    using Job = std::function<void(const std::atomic<bool>& cancel)>;
    // How long a command waits for its work before the window goes on without
    // it: here and for the panes' work alike.
    static constexpr std::chrono::milliseconds kWaitAtStart{50};

    explicit WindowTask(QObject* parent = nullptr);
    // Cancels the work and waits for its thread.
    ~WindowTask() override;

    // Cancels the work under way (its done is never called) and starts job;
    // done is called on the window's thread once job ended, with the error it
    // raised (none: it succeeded). Returns whether it has ended already (done
    // called).
    bool start(Job job, std::function<void(std::exception_ptr error)> done);
    // Sets the work's cancel flag and forgets its done. Work that never looks
    // at the flag runs on to its end; the task only lets go of it then.
    void cancel();
    bool running() const { return run_ != nullptr; }

    // For a task owned by a window that closes: cancels the work and deletes
    // the task once its thread has ended (at once when there is none), so that
    // the window never waits for work that does not look at its flag.
    void release();

signals:
    // The work runs on beyond the wait at start, or has ended (or was cancelled).
    void busyChanged(bool busy);

private:
    struct Run;
    // A run's thread has ended (a notice names its run by its number).
    void ended(std::uint64_t id);

    std::unique_ptr<Run> run_;
    std::function<void(std::exception_ptr)> done_;
    std::uint64_t lastId_ = 0;
    // Runs cancelled before their end, kept until their threads end.
    std::vector<std::unique_ptr<Run>> dropped_;
    bool released_ = false;
};

}  // namespace quill
