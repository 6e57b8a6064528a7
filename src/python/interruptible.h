#pragma once
// Long work that Ctrl+C can stop: the certified analysis, the expansion,
// the fit and the inverse run through runInterruptibly.

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace quill::python {

namespace py = pybind11;

// How often the caller looks for a signal while the work runs.
inline constexpr std::chrono::milliseconds kSignalLook{50};

// Runs work(cancel) on a thread of its own while the calling thread, without
// the GIL, looks for signals between short waits: Python runs its signal
// handlers only there, never inside a C++ call. When a handler raises (Ctrl+C:
// KeyboardInterrupt), the cancel is set, the work stops within moments
// (AbortError, dropped) and the handler's exception comes out; otherwise the
// work's own exception does.
template <class Work>
inline void runInterruptibly(Work work) {
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false, interrupted = false;
    std::exception_ptr error;
    {
        py::gil_scoped_release unlocked;
        std::thread thread([&] {
            try {
                work(&cancel);
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard lock(mutex);
            done = true;
            ended.notify_all();
        });
        for (;;) {
            std::unique_lock lock(mutex);
            if (ended.wait_for(lock, kSignalLook, [&] { return done; })) break;
            lock.unlock();
            if (interrupted) continue;
            py::gil_scoped_acquire locked;
            if (PyErr_CheckSignals() != 0) {  // the exception stays set for below
                interrupted = true;
                cancel.store(true);
            }
        }
        thread.join();
    }
    if (interrupted) throw py::error_already_set();
    if (error) std::rethrow_exception(error);
}

}  // namespace quill::python
