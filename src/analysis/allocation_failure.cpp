#include "analysis/allocation_failure.h"

#include <gmp.h>

#include <cstddef>
#include <cstdlib>

#include "flint_handles.h"

namespace quill {

namespace {

void (*failed)() = nullptr;  // set once, before any analysis runs

void* checked(void* block, std::size_t size) {
    if (!block && size != 0) {
        failed();
        std::abort();  // outOfMemory did not end the process
    }
    return block;
}

void* allocate(std::size_t size) { return checked(std::malloc(size), size); }
void* reallocate(void* block, std::size_t, std::size_t size) { return checked(std::realloc(block, size), size); }
void release(void* block, std::size_t) { std::free(block); }

void* flintAllocate(std::size_t size) { return checked(std::malloc(size), size); }
void* flintZeroed(std::size_t count, std::size_t size) { return checked(std::calloc(count, size), count * size); }
void* flintReallocate(void* block, std::size_t size) { return checked(std::realloc(block, size), size); }
void flintRelease(void* block) { std::free(block); }

}  // namespace

void endOnAllocationFailure(void (*outOfMemory)()) {
    failed = outOfMemory;
    // Both keep malloc and free underneath, as their defaults do, so blocks
    // taken before the change are freed alike.
    mp_set_memory_functions(allocate, reallocate, release);
    __flint_set_memory_functions(flintAllocate, flintZeroed, flintReallocate, flintRelease);
}

}  // namespace quill
