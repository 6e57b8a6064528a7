#pragma once
// The integer model of 80-bit arithmetic against the x87 unit itself: random
// operands aimed at every corner of the format (extended and double
// subnormals, ties, the overflow and underflow edges, zeros, infinities,
// NaNs, the encodings the unit refuses), each operation done both ways and
// compared bit for bit, flags included. Used by the test suite (a bounded
// run) and by tools/ext80_differential (as long a run as wanted).

#include <cfloat>

#if LDBL_MANT_DIG == 64 && (defined(__x86_64__) || defined(__i386__))
#define QUILL_HAVE_X87_EXT80 1

#include <bit>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "numtext/ext80_soft.h"
#include "numtext/ext80_x87.h"

namespace quill::ext80diff {

enum class Op {
    FromDouble,
    FromUint64,
    Classify,  // the bit accessors, isZero, isFinite, negated, abs
    Mul,
    Div,
    Add,
    RoundToInteger,
    ToUint64,
    LessThan,
    Narrow,
    MulDoubles,
    AddDoubles,
};
inline constexpr Op kAllOps[] = {Op::FromDouble, Op::FromUint64, Op::Classify,       Op::Mul,
                                 Op::Div,        Op::Add,        Op::RoundToInteger, Op::ToUint64,
                                 Op::LessThan,   Op::Narrow,     Op::MulDoubles,     Op::AddDoubles};

inline const char* opName(Op op) {
    switch (op) {
        case Op::FromDouble: return "fromDouble";
        case Op::FromUint64: return "fromUint64";
        case Op::Classify: return "classify";
        case Op::Mul: return "mul";
        case Op::Div: return "div";
        case Op::Add: return "add";
        case Op::RoundToInteger: return "roundToInteger";
        case Op::ToUint64: return "toUint64";
        case Op::LessThan: return "lessThan";
        case Op::Narrow: return "narrowToDouble";
        case Op::MulDoubles: return "mulDoubles";
        case Op::AddDoubles: return "addDoubles";
    }
    return "?";
}

struct Bits {
    bool negative;
    uint16_t exponent;  // biased, 15 bits
    uint64_t significand;
};

constexpr int32_t kBias = 16383;
constexpr uint64_t kTop = 0x8000000000000000ull;

// Operands with a deliberate taste for the edges.
class OperandSource {
public:
    explicit OperandSource(uint64_t seed) : state_(seed) {}

    uint64_t next() {  // splitmix64
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t n) { return uint32_t(next() % n); }
    bool coin() { return (next() & 1) != 0; }

    // A significand with its integer bit set.
    uint64_t normalSignificand() {
        switch (below(6)) {
            case 0:
            case 1: return kTop | next();
            case 2: return oddOfWidth(1 + below(64));
            case 3: {  // the 11 bits a double store cuts off, at and around one half
                static constexpr uint64_t kCuts[] = {0x400, 0x3FF, 0x401, 0, 0x7FF, 0x001};
                return ((kTop | next()) & ~uint64_t(0x7FF)) | kCuts[below(6)];
            }
            case 4: {
                static constexpr uint64_t kPatterns[] = {kTop,         ~uint64_t(0),          kTop | 1,
                                                         ~uint64_t(1), 0xC000000000000000ull, 0xFFFFFFFFFFFFF800ull};
                return kPatterns[below(6)];
            }
            default: return kTop | (next() & next() & next());
        }
    }
    // A significand whose lowest set bit is bit 64 - width: few significant
    // bits, so that exact results and exact ties are common.
    uint64_t oddOfWidth(uint32_t width) {
        const uint64_t v = ((kTop | next()) >> (64 - width)) | 1;
        return v << (64 - width);
    }

    // The integer bit and one more: products with long runs of zeros, where
    // only a sticky bit far below tells a tie from a value above it.
    uint64_t twoBits() { return kTop | (uint64_t(1) << below(63)); }

    uint16_t exponentNear(int32_t center, int32_t spread) {
        int32_t e = center + int32_t(below(uint32_t(2 * spread + 1))) - spread;
        if (e < 1) e = 1;
        if (e > 0x7FFE) e = 0x7FFE;
        return uint16_t(e);
    }
    uint16_t normalExponent() {
        switch (below(6)) {
            case 0: return uint16_t(1 + below(0x7FFE));
            case 1: return exponentNear(kBias, 80);
            case 2: return exponentNear(1, 80);             // extended underflow
            case 3: return exponentNear(0x7FFE, 80);        // extended overflow
            case 4: return exponentNear(kBias - 1022, 70);  // the double subnormals
            default: return exponentNear(kBias + 1023, 4);  // the double overflow
        }
    }

    Bits ext() {
        const bool neg = coin();
        switch (below(20)) {
            case 0: return {neg, uint16_t(next() & 0x7FFF), next()};  // any encoding at all
            case 1: return {neg, 0, 0};
            case 2: return {neg, 0x7FFF, kTop};
            case 3: {  // quiet or signalling NaN
                uint64_t sig = kTop | (next() >> below(64));
                if ((sig << 1) == 0) sig |= 1;
                return {neg, 0x7FFF, sig};
            }
            case 4: return {neg, 0, next() >> below(64)};  // subnormal, or pseudo-subnormal
            case 5: return {neg, uint16_t(next() & 0x7FFF), next() >> (1 + below(63))};  // unnormal and kin
            default: return {neg, normalExponent(), normalSignificand()};
        }
    }

    double dbl() {
        const uint64_t sign = next() & kTop;
        uint64_t fraction;
        switch (below(5)) {
            case 0: fraction = next(); break;
            case 1: fraction = oddOfWidth(1 + below(64)); break;
            case 2: fraction = next() & next() & next(); break;
            case 3: fraction = ~(next() & next() & next()); break;  // runs of ones: carries
            default: fraction = 0; break;
        }
        fraction = (fraction >> 12) & 0xFFFFFFFFFFFFFull;
        uint64_t e;
        switch (below(12)) {
            case 0: return std::bit_cast<double>(next());  // any encoding at all
            case 1: e = 0; break;                          // zero and the subnormals
            case 2: e = 0x7FF; break;                      // infinities and NaNs
            case 3: e = 1 + below(3); break;
            case 4: e = 0x7FE - below(3); break;
            case 5: e = 1 + below(0x7FE); break;
            default: e = 1023 - 80 + below(161); break;
        }
        return std::bit_cast<double>(sign | (e << 52) | fraction);
    }
    // A double with the given exponent field (clamped to the normal range).
    double dblWithExponent(int32_t e) {
        if (e < 1) e = 1;
        if (e > 0x7FE) e = 0x7FE;
        const double d = dbl();
        const uint64_t bits = std::bit_cast<uint64_t>(d) & ~(uint64_t(0x7FF) << 52);
        return std::bit_cast<double>(bits | (uint64_t(e) << 52));
    }
    static int32_t exponentOf(double d) { return int32_t(std::bit_cast<uint64_t>(d) >> 52) & 0x7FF; }

    uint64_t uint64() { return next() >> below(64); }

private:
    uint64_t state_;
};

template <class T>
T make(Bits b) {
    return T::fromBits(b.negative, b.exponent, b.significand);
}
template <class T>
Bits bitsOf(T v) {
    return {v.negative(), v.biasedExponent(), v.significand()};
}
inline bool same(Bits a, Bits b) {
    return a.negative == b.negative && a.exponent == b.exponent && a.significand == b.significand;
}
inline std::string show(Bits b) {
    char text[40];
    std::snprintf(text, sizeof text, "%c%04X:%016" PRIX64, b.negative ? '-' : '+', b.exponent, b.significand);
    return text;
}
inline std::string show(double d) {
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIX64, std::bit_cast<uint64_t>(d));
    return text;
}

struct Outcome {
    uint64_t runs = 0;
    uint64_t mismatches = 0;
    std::vector<std::string> examples;  // the first few, for the failure message
    void mismatch(std::string text) {
        ++mismatches;
        if (examples.size() < 8) examples.push_back(std::move(text));
    }
};

class Runner {
public:
    Runner(uint64_t seed, Outcome& out) : src_(seed), out_(out) {}

    void run(Op op, uint64_t count) {
        for (uint64_t i = 0; i < count; ++i) {
            ++out_.runs;
            switch (op) {
                case Op::FromDouble: fromDouble(); break;
                case Op::FromUint64: fromUint64(); break;
                case Op::Classify: classify(); break;
                case Op::Mul: binary(Op::Mul, twin(mulPair())); break;
                case Op::Div: binary(Op::Div, twin(divPair())); break;
                case Op::Add: binary(Op::Add, twin(addPair())); break;
                case Op::RoundToInteger: roundToInteger(); break;
                case Op::ToUint64: toUint64(); break;
                case Op::LessThan: lessThan(); break;
                case Op::Narrow: narrow(src_.ext()); break;
                case Op::MulDoubles: doubles(Op::MulDoubles); break;
                case Op::AddDoubles: doubles(Op::AddDoubles); break;
            }
        }
    }

private:
    struct Pair {
        Bits a, b;
    };

    // Now and then the same encoding twice, either sign: x - x, x / x, two
    // NaNs that differ only in sign.
    Pair twin(Pair p) {
        if (src_.below(16) == 0) {
            p.b = p.a;
            p.b.negative = src_.coin();
        }
        return p;
    }
    Pair mulPair() {
        Pair p{src_.ext(), src_.ext()};
        switch (src_.below(4)) {
            case 0: {  // the product lands at the bottom or the top of the range
                const int32_t target =
                    src_.coin() ? int32_t(src_.below(140)) - 70 : 0x7FFF - 3 + int32_t(src_.below(7));
                p.b.exponent = src_.exponentNear(target - p.a.exponent + kBias, 0);
                break;
            }
            case 1: {  // exact products one bit too long: ties
                const uint32_t w1 = 1 + src_.below(64);
                uint32_t w2 = 65 + src_.below(2) - w1;
                if (w2 < 1) w2 = 1;
                if (w2 > 64) w2 = 64;
                p.a.significand = src_.oddOfWidth(w1);
                p.b.significand = src_.oddOfWidth(w2);
                if (src_.coin())
                    p.b.exponent = src_.exponentNear(kBias - p.a.exponent + int32_t(src_.below(140)) - 60, 0);
                break;
            }
            case 2:  // sparse significands of any width, the product subnormal
                p.a.significand = src_.coin() ? src_.oddOfWidth(1 + src_.below(64)) : src_.twoBits();
                p.b.significand = src_.coin() ? src_.oddOfWidth(1 + src_.below(64)) : src_.twoBits();
                p.b.exponent = src_.exponentNear(kBias - p.a.exponent + int32_t(src_.below(80)) - 70, 0);
                break;
            default: break;
        }
        return p;
    }
    Pair divPair() {
        Pair p{src_.ext(), src_.ext()};
        switch (src_.below(4)) {
            case 0: {
                const int32_t target =
                    src_.coin() ? int32_t(src_.below(140)) - 70 : 0x7FFF - 3 + int32_t(src_.below(7));
                p.b.exponent = src_.exponentNear(p.a.exponent - target + kBias, 0);
                break;
            }
            case 1:  // a sparse dividend over a power of two: exact quotients, ties once subnormal
                p.a.significand = src_.oddOfWidth(1 + src_.below(64));
                p.b.significand = kTop;
                p.b.exponent = src_.exponentNear(p.a.exponent + kBias - int32_t(src_.below(140)) + 70, 0);
                break;
            default: break;
        }
        return p;
    }
    Pair addPair() {
        Pair p{src_.ext(), src_.ext()};
        if (src_.below(4) != 0 && p.a.exponent != 0x7FFF) {
            static constexpr uint32_t kSpreads[] = {4, 70, 140};
            const int32_t d = int32_t(src_.below(kSpreads[src_.below(3)]));
            p.b.exponent = uint16_t(p.a.exponent - d < 0 ? 0 : p.a.exponent - d);
            if (src_.below(4) == 0) p.b.significand = p.a.significand + (src_.next() & 3) - 1;  // cancellation
        }
        if (src_.coin()) std::swap(p.a, p.b);
        return p;
    }

    void fromDouble() {
        const double d = src_.dbl();
        check(Op::FromDouble, bitsOf(X87Ext80::fromDouble(d)), bitsOf(SoftExt80::fromDouble(d)), show(d));
    }
    void fromUint64() {
        const uint64_t u = src_.uint64();
        check(Op::FromUint64, bitsOf(X87Ext80::fromUint64(u)), bitsOf(SoftExt80::fromUint64(u)), std::to_string(u));
    }
    void classify() {
        const Bits b = src_.ext();
        const X87Ext80 h = make<X87Ext80>(b);
        const SoftExt80 s = make<SoftExt80>(b);
        if (!same(bitsOf(h), bitsOf(s)) || h.isZero() != s.isZero() || h.isFinite() != s.isFinite() ||
            !same(bitsOf(h.negated()), bitsOf(s.negated())) || !same(bitsOf(h.abs()), bitsOf(s.abs()))) {
            out_.mismatch(std::string("classify ") + show(b));
        }
    }
    void binary(Op op, Pair p) {
        const X87Ext80 ha = make<X87Ext80>(p.a), hb = make<X87Ext80>(p.b);
        const SoftExt80 sa = make<SoftExt80>(p.a), sb = make<SoftExt80>(p.b);
        Ext80Flags hf, sf;
        X87Ext80 h;
        SoftExt80 s;
        switch (op) {
            // clang-format off
            case Op::Mul: h = X87Ext80::mul(ha, hb, hf); s = SoftExt80::mul(sa, sb, sf); break;
            case Op::Div: h = X87Ext80::div(ha, hb, hf); s = SoftExt80::div(sa, sb, sf); break;
            default: h = X87Ext80::add(ha, hb, hf); s = SoftExt80::add(sa, sb, sf); break;
                // clang-format on
        }
        if (!same(bitsOf(h), bitsOf(s)) || hf.overflow != sf.overflow || hf.invalid != sf.invalid) {
            out_.mismatch(std::string(opName(op)) + " " + show(p.a) + " " + show(p.b) + ": x87 " + show(bitsOf(h)) +
                          flagText(hf) + ", model " + show(bitsOf(s)) + flagText(sf));
        }
    }
    void roundToInteger() {
        Bits b = src_.ext();
        if (src_.coin()) {  // around the integers, halves included
            b.exponent = src_.exponentNear(kBias + 30, 36);
            if (src_.coin()) {
                const int32_t fractionBits = 63 - (int32_t(b.exponent) - kBias);
                if (fractionBits >= 1 && fractionBits <= 63) {
                    const uint64_t mask = (uint64_t(1) << fractionBits) - 1;
                    b.significand = (b.significand & ~mask) | (uint64_t(1) << (fractionBits - 1));
                }
            }
        }
        check(Op::RoundToInteger, bitsOf(make<X87Ext80>(b).roundToInteger()),
              bitsOf(make<SoftExt80>(b).roundToInteger()), show(b));
    }
    void toUint64() {
        // Only values in [0, 2^64) are asked for; fractions are cut off.
        const Bits b{false, src_.exponentNear(kBias + 31, 33), src_.normalSignificand()};
        const X87Ext80 h = make<X87Ext80>(b);
        const SoftExt80 s = make<SoftExt80>(b);
        if (h.toUint64() != s.toUint64() || h.roundToInteger().toUint64() != s.roundToInteger().toUint64()) {
            out_.mismatch(std::string("toUint64 ") + show(b));
        }
    }
    void lessThan() {
        const Bits a = src_.ext();
        Bits b = src_.ext();
        switch (src_.below(4)) {
            case 0:
                b = a;
                b.negative = src_.coin();
                break;  // equal magnitudes, either sign
            case 1:
                b = a;
                b.significand += (src_.next() & 3) - 1;
                break;
            default: break;
        }
        const bool h = make<X87Ext80>(a).lessThan(make<X87Ext80>(b));
        const bool s = make<SoftExt80>(a).lessThan(make<SoftExt80>(b));
        if (h != s) out_.mismatch(std::string("lessThan ") + show(a) + " " + show(b));
    }
    void narrow(Bits b) {
        const X87Ext80::Narrowed h = make<X87Ext80>(b).narrowToDouble();
        const SoftExt80::Narrowed s = make<SoftExt80>(b).narrowToDouble();
        if (std::bit_cast<uint64_t>(h.value) != std::bit_cast<uint64_t>(s.value) || h.overflow != s.overflow) {
            out_.mismatch("narrowToDouble " + show(b) + ": x87 " + show(h.value) + ", model " + show(s.value));
        }
    }
    void doubles(Op op) {
        double a = src_.dbl(), b = src_.dbl();
        const int32_t ea = OperandSource::exponentOf(a);
        switch (src_.below(4)) {
            case 0:  // near the double overflow or deep in the subnormals
                if (op == Op::MulDoubles) {
                    const int32_t target =
                        src_.coin() ? 2046 + int32_t(src_.below(5)) - 2 : int32_t(src_.below(120)) - 60;
                    b = src_.dblWithExponent(target - ea + 1023);
                } else {
                    b = src_.dblWithExponent(ea - int32_t(src_.below(70)));
                }
                break;
            case 1:
                if (op == Op::AddDoubles) b = src_.dblWithExponent(ea - int32_t(src_.below(4)));
                break;
            default: break;
        }
        const bool mul = op == Op::MulDoubles;
        const X87Ext80::Narrowed h = mul ? X87Ext80::mulDoubles(a, b) : X87Ext80::addDoubles(a, b);
        const SoftExt80::Narrowed s = mul ? SoftExt80::mulDoubles(a, b) : SoftExt80::addDoubles(a, b);
        // Which of two NaN operands comes out depends on which one the
        // compiler left in memory (an x87 signalling NaN operand from memory
        // loses to a register NaN), so with a NaN operand only NaN-ness counts.
        // The evaluation never stores a NaN, so never passes one here.
        const bool nanOperand = a != a || b != b;
        const bool differ = nanOperand ? (h.value != h.value) != (s.value != s.value)
                                       : std::bit_cast<uint64_t>(h.value) != std::bit_cast<uint64_t>(s.value);
        if (differ || h.overflow != s.overflow) {
            out_.mismatch(std::string(opName(op)) + " " + show(a) + " " + show(b) + ": x87 " + show(h.value) +
                          (h.overflow ? " overflow" : "") + ", model " + show(s.value) +
                          (s.overflow ? " overflow" : ""));
        }
    }

    void check(Op op, Bits hardware, Bits model, const std::string& operand) {
        if (!same(hardware, model)) {
            out_.mismatch(std::string(opName(op)) + " " + operand + ": x87 " + show(hardware) + ", model " +
                          show(model));
        }
    }
    static std::string flagText(Ext80Flags f) {
        return std::string(f.overflow ? " overflow" : "") + (f.invalid ? " invalid" : "");
    }

    OperandSource src_;
    Outcome& out_;
};

}  // namespace quill::ext80diff

#endif
