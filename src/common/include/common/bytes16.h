#pragma once
// Sixteen bytes side by side, in the vector registers wherever there are
// some (SSE2, NEON, WebAssembly's SIMD), byte by byte elsewhere; for the
// scans that look at every byte of a big text.

#include <cstdint>
#include <cstring>

namespace quill {

using Bytes16 = uint8_t __attribute__((vector_size(16)));

inline Bytes16 load16(const char* p) {
    Bytes16 v;
    std::memcpy(&v, p, 16);
    return v;
}

// Whether any bit of the sixteen bytes is set.
inline bool anySet(Bytes16 v) {
    uint64_t words[2];
    std::memcpy(words, &v, 16);
    return (words[0] | words[1]) != 0;
}

// A comparison marks a byte with -1 (0xFF): marks added up byte by byte
// count down, for at most 255 rounds. Their total, counted up.
inline int64_t markTotal(Bytes16 marks) {
    int64_t total = 0;
    for (int i = 0; i < 16; ++i) total += uint8_t(-marks[i]);
    return total;
}

}  // namespace quill
