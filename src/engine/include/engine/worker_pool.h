#pragma once
// A fixed set of threads that work through the numbered chunks of one job.
// Each chunk is claimed by exactly one thread through an atomic counter and
// writes only its own output, so the work itself takes no lock; the calling
// thread takes part, and a job of one chunk runs on it alone.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quill {

// How a job runs.
struct ChunkControl {
    // At most this many threads, the caller included (0: all of the pool's);
    // 1 keeps a small job on the calling thread.
    unsigned threads = 0;
    // Once set (from any thread), no further chunk starts and the job ends
    // with AbortError.
    const std::atomic<bool>* cancel = nullptr;
    // Called on the calling thread with the chunks done so far and the total.
    std::function<void(std::size_t done, std::size_t total)> progress;
};

class WorkerPool {
public:
    // threads: how many threads work on a job, the caller included; 0 means
    // one per hardware thread. Helper threads start with the first job that
    // needs them; where one cannot be started, the job runs on fewer.
    explicit WorkerPool(unsigned threads = 0);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    unsigned threads() const { return threads_; }

    // Calls work(i) once for every i in [0, count), in any order. When chunks
    // throw, the exception of the lowest such i is rethrown after every
    // thread has stopped; chunks above it may be skipped.
    void run(std::size_t count, const std::function<void(std::size_t)>& work, const ChunkControl& control = {});

    // As run, and deliver(i) is called on the calling thread in the order of
    // i as soon as work(i) is done. At most `window` chunks are done or in
    // progress ahead of delivery, so a chunk may keep its output in slot
    // i % window until it is delivered. An exception from work(i) or from
    // deliver ends the job: nothing after chunk i is delivered.
    void runOrdered(std::size_t count, std::size_t window, const std::function<void(std::size_t)>& work,
                    const std::function<void(std::size_t)>& deliver, const ChunkControl& control = {});

    // As run, in two halves, so that the calling thread can do other work
    // while the helpers start on the chunks: start hands the job to them and
    // returns at once; finish takes the caller's share, waits for the rest
    // and raises what run raises. work must live until finish (the control
    // is copied), which must come before any other job (or the pool's end).
    void start(std::size_t count, const std::function<void(std::size_t)>& work, const ChunkControl& control = {});
    void finish();

private:
    struct Job;
    void execute(Job& job);
    // The job to the helpers; true where they take part.
    bool handOver(Job& job);
    // The caller's share of a job handed over, then the wait for the helpers.
    void complete(Job& job, bool shared);
    void startHelpers(std::size_t wanted);
    void helperLoop(uint64_t seenGeneration);

    unsigned threads_;
    std::vector<std::thread> helpers_;
    std::mutex mutex_;  // guards the hand-over of a job, never a chunk
    std::condition_variable wake_, idle_;
    Job* job_ = nullptr;
    uint64_t generation_ = 0;
    std::size_t busy_ = 0;
    bool quit_ = false;
    std::unique_ptr<Job> started_;  // the job between start and finish
    bool startedShared_ = false;
};

}  // namespace quill
