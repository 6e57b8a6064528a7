#pragma once
// How a Solve runs: its threads, its cancel flag and its progress, and the
// pool's control of one stage made from them.

#include <atomic>
#include <cstddef>
#include <functional>

#include "engine/worker_pool.h"

namespace quill {

enum class SolveStage { reading, computing, writing };

// A Solve's progress on the way to 1000, as a progress bar shows it: each
// stage has its share, making the report's rows the longest.
inline int solvePermille(SolveStage stage, std::size_t done, std::size_t total) {
    constexpr int kStageStart[] = {0, 350, 500, 1000};
    const auto at = static_cast<std::size_t>(stage);
    const int span = kStageStart[at + 1] - kStageStart[at];
    return kStageStart[at] + static_cast<int>(total ? span * done / total : 0);
}

struct SolveControl {
    unsigned threads = 0;  // 0: one per hardware thread
    // Once set (from any thread), the Solve ends at the next chunk with
    // AbortError; a report being written stops part-way.
    const std::atomic<bool>* cancel = nullptr;
    // Called on the calling thread between chunks: chunks done of total in
    // the stage (reading counts the chunks converted so far, total included).
    std::function<void(SolveStage stage, std::size_t done, std::size_t total)> progress;
    // False: each x is dropped once its text for the report is made, which
    // saves 8 bytes a value where xValues() is not wanted.
    bool keepX = true;
};

// The pool's control for a job of one stage: the Solve's cancel flag, and its
// progress with `before` chunks of the stage done ahead of the job and
// `after` still to come behind it.
inline ChunkControl stageControl(const SolveControl& solve, SolveStage stage, std::size_t before = 0,
                                 std::size_t after = 0) {
    ChunkControl control;
    control.cancel = solve.cancel;
    if (solve.progress)
        control.progress = [&solve, stage, before, after](std::size_t done, std::size_t total) {
            solve.progress(stage, before + done, before + total + after);
        };
    return control;
}

}  // namespace quill
