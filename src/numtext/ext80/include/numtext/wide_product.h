#pragma once
// The exact 128-bit product of two 64-bit integers, for the integer 80-bit
// model and the number text's steps alike.

#include <cstdint>

#ifndef __SIZEOF_INT128__
#error "the integer steps need unsigned __int128 (a 64-bit target)"
#endif

namespace quill {

using U128 = unsigned __int128;

// The exact 128-bit product of two 64-bit integers, as its two words.
struct WideProduct {
    uint64_t hi, lo;
};

// By four 32-bit products, the way a target without a 64 x 64 -> 128
// multiply needs it done.
inline WideProduct wideProductByHalves(uint64_t a, uint64_t b) {
    const uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    // The middle column with the carry of the low one: below 3 * 2^32.
    const uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), a * b};
}

inline WideProduct wideProduct(uint64_t a, uint64_t b) {
#if defined(__wasm__)
    // WebAssembly has no such instruction: an unsigned __int128 product is a
    // call into the runtime there, several times slower than this inline.
    return wideProductByHalves(a, b);
#else
    const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
    return {static_cast<uint64_t>(p >> 64), static_cast<uint64_t>(p)};
#endif
}

// The same product as one 128-bit integer: only the multiplication itself
// is a call into the runtime on WebAssembly, shifts and masks are not.
inline U128 wideMul(uint64_t a, uint64_t b) {
    const WideProduct p = wideProduct(a, b);
    return (U128(p.hi) << 64) | p.lo;
}

}  // namespace quill
