#pragma once
// Finding line-break bytes eight at a time. List lines are short (a number
// each), so a library search per line costs more in calls than in scanning.

#include <bit>
#include <cstdint>
#include <cstring>

#include "common/bytes16.h"

namespace quill::byte_scan {

constexpr uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
constexpr uint64_t kOnes = 0x0101010101010101ull;

// Eight bytes from p, the first in the lowest byte whatever the host order.
inline uint64_t loadWord(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

// The top bit of every byte of word that equals c, and no other bit.
inline uint64_t bytesEqual(uint64_t word, char c) {
    const uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// Offset of the byte whose top bit is the lowest set bit of mask.
inline int firstMarked(uint64_t mask) { return std::countr_zero(mask) / 8; }

// The first CR or LF in [from, end), or end.
inline const char* findCrOrLf(const char* from, const char* end) {
    for (; end - from >= 8; from += 8) {
        const uint64_t word = loadWord(from);
        const uint64_t marks = bytesEqual(word, '\r') | bytesEqual(word, '\n');
        if (marks != 0) return from + firstMarked(marks);
    }
    while (from < end && *from != '\r' && *from != '\n') ++from;
    return from;
}

// The first byte of [from, end) outside ASCII, or end: sixteen bytes at a
// time in the vector registers while they are all ASCII, then eight.
inline const char* findNonAscii(const char* from, const char* end) {
    while (end - from >= 16 && !anySet(load16(from) & 0x80)) from += 16;
    for (; end - from >= 8; from += 8) {
        const uint64_t high = loadWord(from) & ~kLow7;
        if (high != 0) return from + firstMarked(high);
    }
    while (from < end && static_cast<unsigned char>(*from) < 0x80) ++from;
    return from;
}

// Calls found(p) for every LF in [from, end), in order.
template <class Found>
inline void forEachLf(const char* from, const char* end, Found found) {
    for (; end - from >= 8; from += 8) {
        for (uint64_t marks = bytesEqual(loadWord(from), '\n'); marks != 0; marks &= marks - 1)
            found(from + firstMarked(marks));
    }
    for (; from < end; ++from)
        if (*from == '\n') found(from);
}

// True when the bytes are pane text as they stand, so that a load can take
// them without a copy: no NUL, every CR followed by LF and every LF after a
// CR, and no CR at the end (which waits for the byte after it). Where they
// are, their LF bytes are added to breaks. Sixteen bytes at a time, in the
// vector registers wherever there are some.
inline bool isPaneText(const char* from, const char* end, int64_t& breaks) {
    Bytes16 crBefore{}, wrong{}, lfCount{};
    int64_t lfs = 0;
    const auto addUp = [&] {
        lfs += markTotal(lfCount);
        lfCount = Bytes16{};
    };
    for (int round = 1; end - from >= 16; from += 16, ++round) {
        const Bytes16 v = load16(from);
        const auto cr = reinterpret_cast<Bytes16>(v == '\r'), lf = reinterpret_cast<Bytes16>(v == '\n');
        // Byte i of crAhead is the mark of byte i - 1: a CR there wants an
        // LF here. Shifted in two 64-bit halves, the byte before each
        // coming from the half below; a later byte is a higher one on a
        // little-endian machine.
        using Halves = uint64_t __attribute__((vector_size(16)));
        const auto halves = reinterpret_cast<const Halves&>(cr);
        const Halves below = __builtin_shufflevector(reinterpret_cast<const Halves&>(crBefore), halves, 1, 2);
        const Halves ahead =
            std::endian::native == std::endian::little ? (halves << 8) | (below >> 56) : (halves >> 8) | (below << 56);
        const auto crAhead = reinterpret_cast<const Bytes16&>(ahead);
        wrong |= (crAhead ^ lf) | reinterpret_cast<Bytes16>(v == 0);
        lfCount += lf;
        crBefore = cr;
        if (round % 128 == 0) {  // before a count reaches 256; a wrong text stops early
            if (anySet(wrong)) return false;
            addUp();
        }
    }
    if (anySet(wrong)) return false;
    addUp();
    bool cr = crBefore[15] != 0;
    for (; from < end; ++from) {
        if (*from == '\0' || (*from == '\n') != cr) return false;
        cr = *from == '\r';
        lfs += *from == '\n';
    }
    if (cr) return false;
    breaks += lfs;
    return true;
}

}  // namespace quill::byte_scan
