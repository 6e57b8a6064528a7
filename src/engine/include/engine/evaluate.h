#pragma once
// F at many x values on the pool's threads, the work split by its size: each
// term a(i)·x^i takes i multiplications, so one x costs about n²/2 of them
// with n coefficients, and a job is cut into chunks of about equal work. A
// job below one chunk's work runs on the calling thread alone, so the
// one-thread case is the sequential evaluation itself.

#include <cstddef>
#include <functional>

#include "engine/worker_pool.h"

namespace quill {

// Consecutive x values and the room for their F(x).
struct ValueSpan {
    const double* x = nullptr;
    double* fx = nullptr;
    std::size_t count = 0;
};

// The operations F at one x takes with n coefficients (products and sums).
constexpr std::size_t evaluationWork(std::size_t n) { return n * (n + 1) / 2 + n + 1; }
// A chunk's work: far above the cost of handing it to a thread.
constexpr std::size_t kChunkWork = std::size_t{1} << 18;
// The x values of one chunk with n coefficients: never fewer than the
// kernel evaluates side by side (poly_kernel.cpp), which is four.
constexpr std::size_t kLeastChunkValues = 16;
constexpr std::size_t chunkValues(std::size_t n) {
    return kChunkWork / evaluationWork(n) > kLeastChunkValues ? kChunkWork / evaluationWork(n) : kLeastChunkValues;
}

// What the caller does around each span, on the thread that works on it:
// room gives the span's fx when its first chunk starts (none: ValueSpan::fx),
// done follows once every F(x) of the span is made. So the memory of the
// results is taken span by span, as that of spans done may be given back.
struct SpanHooks {
    std::function<double*(std::size_t span)> room;
    std::function<void(std::size_t span)> done;
};

// F at every x of the spans, in the order of the spans. Raises OverflowError
// for the first x (in that order) whose F overflows, with its index counted
// over all spans (OverflowError::valueIndex), what a hook raises, and
// AbortError when cancelled.
void evaluateSpans(WorkerPool& pool, const double* a, std::size_t n, const ValueSpan* spans, std::size_t spanCount,
                   const ChunkControl& control = {}, const SpanHooks& hooks = {});

// The same for one contiguous array: F at x[0..count) into fx[0..count), on
// `threads` threads (0: one per hardware thread), the calling one included.
void evaluate(const double* a, std::size_t n, const double* x, double* fx, std::size_t count, unsigned threads = 0);

}  // namespace quill
