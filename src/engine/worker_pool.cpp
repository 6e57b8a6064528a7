#include "engine/worker_pool.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <system_error>

#include "common/error.h"

namespace quill {

namespace {
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kWait = kNone - 1;
}  // namespace

struct WorkerPool::Job {
    std::size_t count = 0;
    std::size_t window = 0;
    const std::function<void(std::size_t)>* work = nullptr;
    const std::function<void(std::size_t)>* deliver = nullptr;  // null for an unordered job
    const ChunkControl* control = nullptr;
    ChunkControl kept;  // the control of a job started ahead, which outlives the caller's

    std::atomic<std::size_t> next{0};    // the next chunk to claim
    std::atomic<uint32_t> delivered{0};  // chunks handed over; helpers wait on it for room
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> failedAt{kNone};  // the lowest chunk that threw
    std::atomic<bool> stop{false};
    std::atomic<bool> cancelled{false};
    std::atomic<std::ptrdiff_t> seats{0};            // helpers still wanted
    std::unique_ptr<std::atomic<uint32_t>[]> ready;  // per slot: chunk number + 1 once done
    std::vector<std::exception_ptr> errors;          // per slot

    bool cancelRequested() {
        if (control->cancel && control->cancel->load(std::memory_order_relaxed)) cancelled.store(true);
        return cancelled.load(std::memory_order_relaxed);
    }

    // A chunk to work on, kWait when the window is full, or kNone.
    std::size_t claim() {
        std::size_t i = next.load(std::memory_order_relaxed);
        for (;;) {
            if (stop.load(std::memory_order_relaxed) || cancelRequested()) return kNone;
            if (i >= count || i > failedAt.load(std::memory_order_relaxed)) return kNone;
            if (deliver && i >= delivered.load(std::memory_order_acquire) + window) return kWait;
            if (next.compare_exchange_weak(i, i + 1, std::memory_order_relaxed)) return i;
        }
    }

    void workOn(std::size_t i) {
        const std::size_t slot = i % window;
        try {
            (*work)(i);
        } catch (...) {
            errors[slot] = std::current_exception();
            std::size_t seen = failedAt.load();
            while (i < seen && !failedAt.compare_exchange_weak(seen, i)) {
            }
        }
        done.fetch_add(1, std::memory_order_relaxed);
        ready[slot].store(static_cast<uint32_t>(i + 1), std::memory_order_release);
        if (deliver) ready[slot].notify_all();
    }

    // A helper's share: chunks until none is left.
    void help() {
        for (;;) {
            const std::size_t i = claim();
            if (i == kNone) return;
            if (i == kWait) {
                const uint32_t seen = delivered.load(std::memory_order_acquire);
                if (next.load(std::memory_order_relaxed) >= seen + window && !stop.load()) delivered.wait(seen);
                continue;
            }
            workOn(i);
        }
    }

    void halt() {
        stop.store(true);
        delivered.fetch_add(1);
        delivered.notify_all();
    }

    void reportProgress(std::size_t n) {
        if (control->progress) control->progress(n, count);
    }

    // The calling thread's share of an unordered job.
    void leadUnordered() {
        for (std::size_t i; (i = claim()) != kNone;) {
            workOn(i);
            reportProgress(done.load(std::memory_order_relaxed));
        }
    }

    // The calling thread's share of an ordered job: deliver what is ready,
    // otherwise work on the next chunk, otherwise wait for the one due.
    // Returns the exception that ended the job, if any.
    std::exception_ptr leadOrdered() {
        for (std::size_t due = 0; due < count;) {
            const std::size_t slot = due % window;
            const uint32_t seen = ready[slot].load(std::memory_order_acquire);
            if (seen == due + 1) {
                if (errors[slot]) return errors[slot];
                try {
                    (*deliver)(due);
                } catch (...) {
                    return std::current_exception();
                }
                ++due;
                delivered.store(static_cast<uint32_t>(due), std::memory_order_release);
                delivered.notify_all();
                reportProgress(due);
                continue;
            }
            const std::size_t i = claim();
            if (i != kNone && i != kWait) {
                workOn(i);
            } else if (cancelRequested()) {
                return nullptr;
            } else {
                ready[slot].wait(seen);  // the chunk due is in a helper's hands
            }
        }
        return nullptr;
    }
};

WorkerPool::WorkerPool(unsigned threads) : threads_(threads) {
    if (threads_ == 0) threads_ = std::thread::hardware_concurrency();
    if (threads_ == 0) threads_ = 1;
}

WorkerPool::~WorkerPool() {
    if (started_) {
        try {
            finish();
        } catch (...) {  // nobody is left to take the job's outcome
        }
    }
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : helpers_) t.join();
}

void WorkerPool::startHelpers(std::size_t wanted) {
    while (helpers_.size() < wanted) {
        try {
            helpers_.emplace_back([this, g = generation_] { helperLoop(g); });
        } catch (const std::system_error&) {
            return;  // no more threads to be had: the job runs on those there are
        } catch (const std::bad_alloc&) {
            return;
        }
    }
}

void WorkerPool::helperLoop(uint64_t seenGeneration) {
    for (;;) {
        Job* job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return quit_ || generation_ != seenGeneration; });
            if (quit_) return;
            seenGeneration = generation_;
            job = job_;
        }
        if (job->seats.fetch_sub(1) > 0) job->help();
        {
            std::lock_guard lock(mutex_);
            if (--busy_ == 0) idle_.notify_all();
        }
    }
}

bool WorkerPool::handOver(Job& job) {
    job.ready = std::make_unique<std::atomic<uint32_t>[]>(job.window);
    job.errors.resize(job.window);

    // Small jobs stay on the calling thread: no hand-over, no waking.
    const unsigned threads = job.control->threads ? std::min(job.control->threads, threads_) : threads_;
    const std::size_t helpers = job.count > 1 ? std::min<std::size_t>(threads - 1, job.count - 1) : 0;
    if (helpers > 0) {
        startHelpers(helpers);
        if (!helpers_.empty()) {
            std::lock_guard lock(mutex_);
            job_ = &job;
            job.seats = static_cast<std::ptrdiff_t>(helpers);
            ++generation_;
            busy_ = helpers_.size();
        }
    }
    const bool shared = job_ == &job;
    if (shared) wake_.notify_all();
    return shared;
}

void WorkerPool::complete(Job& job, bool shared) {
    // Whatever ends the caller's share, the helpers are stopped and waited
    // for before the job goes out of scope.
    std::exception_ptr ended;
    try {
        if (job.deliver) {
            ended = job.leadOrdered();
        } else {
            job.leadUnordered();
        }
    } catch (...) {  // from progress
        ended = std::current_exception();
    }
    job.halt();
    if (shared) {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [&] { return busy_ == 0; });
        job_ = nullptr;
    }

    if (ended) std::rethrow_exception(ended);
    if (!job.deliver) job.reportProgress(job.done.load());  // the last chunks may have been the helpers'
    if (job.cancelRequested()) throw AbortError();
    const std::size_t failed = job.failedAt.load();
    if (failed != kNone) std::rethrow_exception(job.errors[failed % job.window]);
}

void WorkerPool::execute(Job& job) { complete(job, handOver(job)); }

void WorkerPool::start(std::size_t count, const std::function<void(std::size_t)>& work, const ChunkControl& control) {
    auto job = std::make_unique<Job>();
    job->count = job->window = count;
    job->work = &work;
    job->kept = control;
    job->control = &job->kept;
    started_ = std::move(job);
    startedShared_ = count > 0 && handOver(*started_);
}

void WorkerPool::finish() {
    const std::unique_ptr<Job> job = std::move(started_);
    if (job && job->count > 0) complete(*job, startedShared_);
}

void WorkerPool::run(std::size_t count, const std::function<void(std::size_t)>& work, const ChunkControl& control) {
    if (count == 0) return;
    Job job;
    job.count = job.window = count;
    job.work = &work;
    job.control = &control;
    execute(job);
}

void WorkerPool::runOrdered(std::size_t count, std::size_t window, const std::function<void(std::size_t)>& work,
                            const std::function<void(std::size_t)>& deliver, const ChunkControl& control) {
    if (count == 0) return;
    Job job;
    job.count = count;
    job.window = window < 1 ? 1 : window;
    job.work = &work;
    job.deliver = &deliver;
    job.control = &control;
    execute(job);
}

}  // namespace quill
