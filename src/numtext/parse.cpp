#include "numtext/parse.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "common/error.h"
#include "numtext/pow10.h"

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

// Reads a run of digits into acc and returns the first byte after it. Stops
// early once the accumulator has overflowed: the text is rejected then,
// whatever follows, so the remaining digits need no arithmetic.
const Byte* readDigits(const Byte* p, const Byte* end, Accumulator& acc) {
    if (!acc.wide) {
        // 10 * s + 9 stays below 2^64 for every s below this bound.
        constexpr uint64_t kSafeBound = UINT64_MAX / 10;
        uint64_t s = acc.small;
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

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    const auto* data = reinterpret_cast<const Byte*>(text.data());
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && data[first] <= 0x20) ++first;
    while (last > first && data[last - 1] <= 0x20) --last;
    return text.substr(first, last - first);
}

bool TryTextToNumber(std::string_view text, char decimalMark, Ext80& out) {
    const auto* p = reinterpret_cast<const Byte*>(text.data());
    const Byte* end = p + text.size();
    if (const void* nul = std::memchr(p, 0, text.size())) end = static_cast<const Byte*>(nul);
    const Byte mark = static_cast<Byte>(decimalMark);

    p = skipSpaces(p, end);
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '+' || *p == '-')) ++p;

    const Byte* const start = p;
    Accumulator acc;
    p = readDigits(p, end, acc);
    if (acc.flags.any()) return false;

    // Counted as a 64-bit number so that even a line of billions of fraction
    // digits cannot wrap around into a positive power.
    int64_t fractionDigits = 0;
    if (p != end && *p == mark) {
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
    if (p != end) return false;

    // Anything at or below -5120 scales to +0; clamp before narrowing to 32 bits.
    const int64_t power = static_cast<int64_t>(exponent) - fractionDigits;
    const int32_t n = power < -5120 ? -5120 : static_cast<int32_t>(power);
    Ext80 v = ScaleByPowerOfTen(acc.value(), n, acc.flags);
    if (negative) v = v.negated();
    if (acc.flags.any()) return false;
    out = v;
    return true;
}

Ext80 TextToNumber(std::string_view text, char decimalMark) {
    Ext80 v;
    if (!TryTextToNumber(text, decimalMark, v)) {
        std::string message;
        message.reserve(text.size() + 40);
        message += '\'';
        message += text;
        message += "' is not a valid floating point value";
        throw ConvertError(message);
    }
    return v;
}

double NarrowToDouble(Ext80 v) {
    const Ext80::Narrowed n = v.narrowToDouble();
    // No infinity or NaN is ever stored: a value that is already not finite
    // fails the store just as one that rounds beyond the double range.
    if (n.overflow || !v.isFinite()) throw OverflowError();
    return n.value;
}

}  // namespace quill
