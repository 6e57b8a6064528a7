#include "numtext/parse.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/error.h"
#include "numtext/pow10.h"
#include "pow10_steps.h"
#include "ten_powers.h"

namespace quill {

namespace {

using Byte = unsigned char;

// Every byte test looks at the unsigned value: bytes 0x80..0xFF are never
// blanks, signs, digits or exponent letters.
inline unsigned digitValue(Byte b) { return static_cast<unsigned>(b) - '0'; }  // > 9 for a non-digit

const Byte* skipSpaces(const Byte* p, const Byte* end) {
    while (p != end && *p == ' ') ++p;
    return p;
}

// The digit accumulator v = v * 10 + d. While the exact value stays below
// 2^64 both roundings of a step are exact, so an integer register gives the
// very bits the 80-bit steps would; beyond that every step goes through Ext80.
struct Accumulator {
    uint64_t small = 0;
    bool wide = false;  // the value left the integer range and lives in v
    Ext80 v;
    Ext80Flags flags;

    Ext80 value() const { return wide ? v : Ext80::fromUint64(small); }
};

// Digits eight at a time: a chunk holds eight bytes of the text, the first
// in the lowest byte.

template <typename T>
inline uint64_t load(const Byte* p) {
    T t;
    std::memcpy(&t, p, sizeof t);
    return t;
}

constexpr uint64_t kZeros = 0x3030303030303030ULL;  // "00000000"

// From the bytes XOR "0", which maps exactly "0".."9" to 0..9: the high bit
// of the first byte that is not a digit set, and none below it (adding 0x76
// reaches 0x80 from 10 on; a byte from 0x8A on carries into the next one,
// which only ever follows a non-digit). Zero for eight digits.
inline uint64_t nonDigitValues(uint64_t x) { return ((x + 0x7676767676767676ULL) | x) & 0x8080808080808080ULL; }
inline uint64_t nonDigitBytes(uint64_t chunk) { return nonDigitValues(chunk ^ kZeros); }

// The number eight digit values 0..9 (the first in the lowest byte) make:
// pairs, quadruples and the whole combined by multiply-and-add on packed lanes.
inline uint64_t valueOfEight(uint64_t values) {
    values = values * 10 + (values >> 8);  // two-digit values in the even bytes
    const uint64_t pairs = values & 0x00FF00FF00FF00FFULL;
    const uint64_t quads = ((pairs * (1 + (100ULL << 16))) >> 16) & 0x0000FFFF0000FFFFULL;
    return (quads * (1 + (10000ULL << 32))) >> 32;
}
inline uint64_t eightDigitsValue(uint64_t chunk) { return valueOfEight(chunk ^ kZeros); }

// The largest s for which s * 10^8 + (10^8 - 1) still fits in 64 bits.
constexpr uint64_t kMaxBeforeEight = (UINT64_MAX - 99999999) / 100000000;

// Reads a run of digits into acc and returns the first byte after it. Stops
// early once the accumulator has overflowed: the text is rejected then,
// whatever follows, so the remaining digits need no arithmetic.
[[gnu::always_inline]] inline const Byte* readDigits(const Byte* p, const Byte* end, Accumulator& acc) {
    if (!acc.wide) {
        uint64_t s = acc.small;
        if constexpr (std::endian::native == std::endian::little) {
            // Eight digits at a time while eight more bytes follow.
            while (end - p >= 8) {
                const uint64_t chunk = load<uint64_t>(p);
                if (nonDigitBytes(chunk) != 0 || s > kMaxBeforeEight) break;
                s = s * 100000000 + eightDigitsValue(chunk);
                p += 8;
            }
        }
        // 10 * s + 9 stays below 2^64 for every s below this bound.
        constexpr uint64_t kSafeBound = UINT64_MAX / 10;
        for (; p != end; ++p) {
            const unsigned d = digitValue(*p);
            if (d > 9) break;
            if (s >= kSafeBound) {
                uint64_t next;
                if (__builtin_mul_overflow(s, 10u, &next) || __builtin_add_overflow(next, d, &next)) break;
                s = next;
            } else {
                s = s * 10 + d;
            }
        }
        acc.small = s;
        if (p == end || digitValue(*p) > 9) return p;
        acc.wide = true;  // the next step leaves 64 bits: continue in 80-bit arithmetic
        acc.v = Ext80::fromUint64(s);
    }
    const Ext80 ten = toExt80(kTenPowLow[1]);
    for (; p != end; ++p) {
        const unsigned d = digitValue(*p);
        if (d > 9) break;
        acc.v = Ext80::mul(acc.v, ten, acc.flags);
        acc.v = Ext80::add(acc.v, Ext80::fromUint64(d), acc.flags);
        if (acc.flags.any()) break;
    }
    return p;
}

// The usual texts at once: an optional sign, at most 19 digits around an
// optional mark (so that their value fits 64 bits), an optional exponent of
// at most three digits, and nothing after. The text is read eight bytes at a
// time, a byte past its end reading as 0 (where it ends, as at a NUL); a
// run of digits is found by its first non-digit byte and converted at once.
// False for anything else, which scan() then reads byte by byte: it gives
// the very same result for every text this one accepts.
class Window {
public:
    explicit Window(std::string_view text) {
        begin_ = reinterpret_cast<const Byte*>(text.data());
        const std::size_t n = text.size();
        if (n < 8) {  // copied, zeros after it, in two overlapping loads of four or three single bytes
            uint64_t bytes = 0;
            if (n >= 4) {
                bytes = load<uint32_t>(begin_) | uint64_t{load<uint32_t>(begin_ + n - 4)} << 8 * (n - 4);
            } else if (n > 0) {
                bytes = begin_[0] | uint64_t{begin_[n / 2]} << 8 * (n / 2) | uint64_t{begin_[n - 1]} << 8 * (n - 1);
            }
            std::memcpy(copy_, &bytes, 8);
            begin_ = copy_;
        }
        last_ = begin_ + (n < 8 ? 0 : n - 8);
    }
    Window(const Window&) = delete;  // begin_ may point into copy_
    Window& operator=(const Window&) = delete;
    const Byte* begin() const { return begin_; }
    // The eight bytes from p on (p at most at the end), zeros past the end.
    uint64_t at(const Byte* p) const {
        const Byte* q = p < last_ ? p : last_;
        const unsigned half = 4 * static_cast<unsigned>(p - q);  // two shifts: up to 64 bits
        return load<uint64_t>(q) >> half >> half;
    }

private:
    const Byte* begin_;
    const Byte* last_;  // the last place eight bytes can be read from
    Byte copy_[8];
};

constexpr uint64_t kTenPow[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
// The value of the first k < 8 of eight digit values: moved to the top,
// zeros shifted in below them.
inline uint64_t valueOfFirst(uint64_t values, unsigned k) { return valueOfEight((values << (56 - 8 * k)) << 8); }

// s * 10^count + the run of digits from p on; returns the byte after the run
// and sets `after` to the bytes from there on, of which at least one is
// read (s wraps around beyond 2^64: the caller counts the digits).
[[gnu::always_inline]] inline const Byte* quickDigits(const Window& w, const Byte* p, uint64_t& s, uint64_t& after) {
    for (;;) {
        const uint64_t chunk = w.at(p);
        const uint64_t values = chunk ^ kZeros;
        const uint64_t other = nonDigitValues(values);
        if (other != 0) [[likely]] {
            const unsigned k = static_cast<unsigned>(std::countr_zero(other)) / 8;
            s = s * kTenPow[k] + valueOfFirst(values, k);
            after = chunk >> 8 * k;
            return p + k;
        }
        s = s * 100000000 + valueOfEight(values);
        p += 8;
    }
}

struct Quick {
    bool negative;
    int32_t power;
    uint64_t digits;
};

[[gnu::always_inline]] inline bool quickScan(std::string_view text, char decimalMark, Quick& out) {
    if constexpr (std::endian::native != std::endian::little) return false;  // chunks hold the first byte lowest
    const Window w(text);
    const Byte* p = w.begin();
    const bool negative = *p == '-';  // a byte of the text or of its copy
    p += (*p == '+') | negative;
    const Byte* const start = p;
    uint64_t s = 0;
    uint64_t chunk;
    p = quickDigits(w, p, s, chunk);
    int64_t fraction = 0;
    bool marked = false;
    if ((chunk & 0xFF) == static_cast<Byte>(decimalMark) && decimalMark != 0) {
        marked = true;
        const Byte* const fractionStart = p + 1;
        p = quickDigits(w, fractionStart, s, chunk);
        fraction = p - fractionStart;
    }
    const int64_t length = p - start;  // the digits and the mark
    if (length == 0 || length - marked > 19) return false;
    int32_t exponent = 0;
    if (((chunk & 0xFF) | 0x20) == 'e') {
        chunk = w.at(p + 1);
        const bool exponentNegative = (chunk & 0xFF) == '-';
        chunk >>= 8 * (((chunk & 0xFF) == '+') | exponentNegative);
        const unsigned k =
            static_cast<unsigned>(std::countr_zero(nonDigitBytes(chunk) | 1ULL << 63)) / 8;  // 7 for 7 or more
        if (k > 3) return false;
        exponent = static_cast<int32_t>(valueOfFirst(chunk ^ kZeros, k));
        exponent = exponentNegative ? -exponent : exponent;
        chunk >>= 8 * k;
    }
    if ((chunk & 0xFF) != 0) return false;  // neither the end nor a NUL
    out = {negative, exponent - static_cast<int32_t>(fraction), s};
    return true;
}

// A number text taken apart: its sign, its digits as accumulated and the
// power of ten that scales them. False for a text that is not a number.
struct Scanned {
    bool negative;
    int32_t power;
    Accumulator acc;
};

[[gnu::noinline]] bool scanBytes(std::string_view text, char decimalMark, Scanned& out) {
    // The text ends at its first NUL. No step below reads a NUL as part of a
    // number (a NUL separator is never matched), so every one of them stops
    // there as at the end, and only the final check needs to know.
    const Byte* p = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = p + text.size();
    const Byte mark = static_cast<Byte>(decimalMark);
    const bool hasMark = mark != 0;

    p = skipSpaces(p, end);
    bool negative = false;
    if (p != end) {
        negative = *p == '-';
        p += (*p == '+') | negative;
    }

    const Byte* const start = p;
    Accumulator& acc = out.acc;
    p = readDigits(p, end, acc);
    if (acc.flags.any()) return false;

    // Counted as a 64-bit number so that even a line of billions of fraction
    // digits cannot wrap around into a positive power.
    int64_t fractionDigits = 0;
    if (p != end && *p == mark && hasMark) {
        const Byte* fractionStart = ++p;
        p = readDigits(p, end, acc);
        if (acc.flags.any()) return false;
        fractionDigits = p - fractionStart;
    }
    if (p == start) return false;  // neither a digit nor the separator

    int32_t exponent = 0;
    if (p != end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool exponentNegative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            exponentNegative = *p == '-';
            ++p;
        }
        // Stops at 500: a further digit stays unread and rejects the text, so
        // no exponent beyond 4999 can be written.
        while (exponent < 500 && p != end && digitValue(*p) <= 9) {
            exponent = exponent * 10 + static_cast<int32_t>(digitValue(*p));
            ++p;
        }
        if (exponentNegative) exponent = -exponent;
    }

    p = skipSpaces(p, end);
    if (p != end && *p != 0) return false;

    // Anything at or below -5120 scales to +0; clamp before narrowing to 32 bits.
    const int64_t power = static_cast<int64_t>(exponent) - fractionDigits;
    out.power = power < -5120 ? -5120 : static_cast<int32_t>(power);
    out.negative = negative;
    return true;
}

[[gnu::always_inline]] inline bool scan(std::string_view text, char decimalMark, Scanned& out) {
    Quick q;
    if (!quickScan(text, decimalMark, q)) [[unlikely]]
        return scanBytes(text, decimalMark, out);
    out.negative = q.negative;
    out.power = q.power;
    out.acc.small = q.digits;
    return true;
}

// The double the 80-bit steps and the store give for s * 10^n (s > 0), by
// one multiplication with the 64-bit significand of 10^n. For |n| <= 340
// the steps take at most two factors, each rounded to 64 bits, and round
// each result to 64 bits: four relative errors of at most 2^-64, so their
// result lies within 4 units of the 64th bit of the exact value; the
// significand adds one unit more, the truncation of the product another.
// Unless the product lies within 16 units of half a unit of the double's
// last place, both round to the same double. False for those and for
// results outside the normal doubles (or at their top, where a carry would
// overflow), which the steps then settle.
[[gnu::always_inline]] inline bool storeScaled(uint64_t s, int32_t n, bool negative, double& out) {
    if (n < ten_powers::kFirst || n > ten_powers::kLast) return false;
    const int shift = std::countl_zero(s);
    const U128 product = wideMul(s << shift, ten_powers::significand(n));
    const unsigned top = static_cast<unsigned>(product >> 127);  // the product lies in [2^126, 2^128)
    const uint64_t m = static_cast<uint64_t>(product >> (63 + top));
    const uint64_t rest = m & 0x7FF;  // the eleven bits the store drops
    if (rest - (0x400 - 16) <= 32) return false;
    const int32_t biased = ten_powers::binaryExponent(n) + 63 + int32_t(top) - shift + 1023;
    if (biased < 1 || biased > 2045) return false;
    const uint64_t bits = (uint64_t(negative) << 63) + ((uint64_t(biased) << 52) | ((m >> 11) & 0xFFFFFFFFFFFFFULL)) +
                          uint64_t(rest > 0x400);
    out = std::bit_cast<double>(bits);
    return true;
}

[[noreturn]] void throwNotANumber(std::string_view text) {
    std::string message;
    message.reserve(text.size() + 40);
    message += '\'';
    message += text;
    message += "' is not a valid floating point value";
    throw ConvertError(message, std::string(text));
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    const auto* data = reinterpret_cast<const Byte*>(text.data());
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && data[first] <= 0x20) ++first;
    while (last > first && data[last - 1] <= 0x20) --last;
    return text.substr(first, last - first);
}

bool tryTextToNumber(std::string_view text, char decimalMark, Ext80& out) {
    Scanned s;
    if (!scan(text, decimalMark, s)) return false;
    Ext80 v;
    Ext80Bits bits;
    if (!s.acc.wide && s.acc.small != 0 && scaleIntegerByPowerOfTen(s.acc.small, s.power, bits)) {
        v = Ext80::fromBits(false, bits.biasedExponent, bits.significand);
    } else {
        v = scaleByPowerOfTen(s.acc.value(), s.power, s.acc.flags);
    }
    if (s.negative) v = v.negated();
    if (s.acc.flags.any()) return false;
    out = v;
    return true;
}

Ext80 textToNumber(std::string_view text, char decimalMark) {
    Ext80 v;
    if (!tryTextToNumber(text, decimalMark, v)) throwNotANumber(text);
    return v;
}

namespace {

// textToDouble for every text the short road leaves.
[[gnu::noinline]] double textToDoubleByTheSteps(std::string_view text, char decimalMark) {
    Scanned s;
    if (!scan(text, decimalMark, s)) throwNotANumber(text);
    if (!s.acc.wide) {
        if (s.acc.small == 0) return s.negative ? -0.0 : 0.0;  // zero scales to zero
        // The steps of scaleIntegerByPowerOfTen inline, and the store of
        // their bits, in integer registers too.
        const int shift = std::countl_zero(s.acc.small);
        pow10_steps::Wide v{s.acc.small << shift, 63 - shift};
        if (pow10_steps::scaleWithinRange(v, s.power)) [[likely]] {
            const SoftExt80::Narrowed d = SoftExt80::fromBits(s.negative, uint16_t(v.e + 16383), v.m).narrowToDouble();
            if (d.overflow) throw OverflowError();
            return d.value;
        }
    }
    Ext80 v = scaleByPowerOfTen(s.acc.value(), s.power, s.acc.flags);
    if (s.acc.flags.any()) throwNotANumber(text);
    return narrowToDouble(s.negative ? v.negated() : v);
}

}  // namespace

double textToDouble(std::string_view text, char decimalMark) {
    Quick q;
    double d;
    if (quickScan(text, decimalMark, q)) [[likely]] {
        if (q.digits == 0) return q.negative ? -0.0 : 0.0;  // zero scales to zero
        if (storeScaled(q.digits, q.power, q.negative, d)) [[likely]]
            return d;
    }
    return textToDoubleByTheSteps(text, decimalMark);
}

double narrowToDouble(Ext80 v) {
    const Ext80::Narrowed n = v.narrowToDouble();
    // No infinity or NaN is ever stored: a value that is already not finite
    // fails the store just as one that rounds beyond the double range.
    if (n.overflow || !v.isFinite()) throw OverflowError();
    return n.value;
}

}  // namespace quill
