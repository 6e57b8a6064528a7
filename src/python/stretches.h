#pragma once
// Work on a long array split into stretches on the engine's pool of threads.

#include <algorithm>
#include <cstddef>

#include "engine/worker_pool.h"

namespace quill::python {

// Calls work(begin, end) for the consecutive stretches of [0, count), each
// of at most `stretch` items, on `threads` threads (0: one per hardware
// thread), the calling one included; an array of one stretch stays on the
// calling thread. Rethrows the exception of the earliest stretch that
// raised one, so that the first bad item is the one reported.
template <class Work>
void inStretches(std::size_t count, std::size_t stretch, unsigned threads, const Work& work) {
    if (count <= stretch) {
        if (count > 0) work(std::size_t{0}, count);
        return;
    }
    WorkerPool pool(threads);
    pool.run((count + stretch - 1) / stretch, [&](std::size_t i) {
        const std::size_t begin = i * stretch;
        work(begin, std::min(count, begin + stretch));
    });
}

}  // namespace quill::python
