#include "engine/evaluate.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "common/error.h"
#include "engine/poly_kernel.h"

namespace quill {

namespace {

// A stretch of one span that a thread evaluates at a time.
struct Chunk {
    std::size_t span, begin, end, first;  // first: the index of x[begin] over all spans
};

// A span's state while its chunks are under way.
struct SpanState {
    std::once_flag made;
    double* fx = nullptr;
    std::atomic<std::size_t> left{0};  // chunks not yet done
};

}  // namespace

void evaluateSpans(WorkerPool& pool, const double* a, std::size_t n, const ValueSpan* spans, std::size_t spanCount,
                   const ChunkControl& control, const SpanHooks& hooks) {
    const std::size_t perChunk = chunkValues(n);
    std::vector<Chunk> chunks;
    const auto state = std::make_unique<SpanState[]>(spanCount);
    std::size_t first = 0;
    for (std::size_t s = 0; s < spanCount; ++s) {
        for (std::size_t at = 0; at < spans[s].count; at += perChunk) {
            chunks.push_back({s, at, std::min(spans[s].count, at + perChunk), first + at});
            ++state[s].left;
        }
        first += spans[s].count;
    }
    pool.run(
        chunks.size(),
        [&](std::size_t i) {
            const Chunk& c = chunks[i];
            SpanState& span = state[c.span];
            std::call_once(span.made, [&] { span.fx = hooks.room ? hooks.room(c.span) : spans[c.span].fx; });
            const std::size_t count = c.end - c.begin;
            const std::size_t done = evaluatePolynomialRange(a, n, spans[c.span].x + c.begin, span.fx + c.begin, count);
            if (done != count) {
                OverflowError overflow;
                overflow.setValueIndex(static_cast<int64_t>(c.first + done));
                throw overflow;
            }
            if (span.left.fetch_sub(1) == 1 && hooks.done) hooks.done(c.span);
        },
        control);
}

void evaluate(const double* a, std::size_t n, const double* x, double* fx, std::size_t count, unsigned threads) {
    WorkerPool pool(threads);
    const ValueSpan span{x, fx, count};
    evaluateSpans(pool, a, n, &span, 1);
}

}  // namespace quill
