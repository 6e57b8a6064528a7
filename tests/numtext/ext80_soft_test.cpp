// Known answers for the integer model of 80-bit arithmetic, checked on every
// CPU; on x87 machines ext80_differential_test.cpp compares it with the unit.

#include "numtext/ext80_soft.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace quill {
namespace {

constexpr uint64_t kTop = 0x8000000000000000ull;
constexpr uint64_t kOnes = ~uint64_t(0);

struct E {  // an encoding: sign, biased exponent, significand
    bool neg;
    uint16_t exp;
    uint64_t sig;
};
SoftExt80 X(E e) { return SoftExt80::fromBits(e.neg, e.exp, e.sig); }

constexpr E kOne{false, 0x3FFF, kTop};
constexpr E kHalfValue{false, 0x3FFE, kTop};
constexpr E kMinNormal{false, 0x0001, kTop};
constexpr E kMinSubnormal{false, 0x0000, 1};
constexpr E kMax{false, 0x7FFE, kOnes};
constexpr E kInf{false, 0x7FFF, kTop};
constexpr E kIndefinite{true, 0x7FFF, 0xC000000000000000ull};

testing::AssertionResult hasBits(SoftExt80 v, E e) {
    if (v.negative() == e.neg && v.biasedExponent() == e.exp && v.significand() == e.sig) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << std::hex << "got " << (v.negative() ? "-" : "+") << v.biasedExponent() << ":"
                                       << v.significand() << ", want " << (e.neg ? "-" : "+") << e.exp << ":" << e.sig;
}

enum class Op { Mul, Div, Add };
struct Case {
    const char* what;
    Op op;
    E a, b, want;
    bool overflow = false;
    bool invalid = false;
};

// clang-format off
const Case kCases[] = {
    {"one third", Op::Div, kOne, {false, 0x4000, 0xC000000000000000ull}, {false, 0x3FFD, 0xAAAAAAAAAAAAAAABull}},
    {"two thirds", Op::Div, {false, 0x4000, kTop}, {false, 0x4000, 0xC000000000000000ull},
     {false, 0x3FFE, 0xAAAAAAAAAAAAAAABull}},
    {"one tenth", Op::Div, kOne, {false, 0x4002, 0xA000000000000000ull}, {false, 0x3FFB, 0xCCCCCCCCCCCCCCCDull}},
    {"1e27 * 10 rounds once to 1e28", Op::Mul, {false, 0x4058, 0xCECB8F27F4200F3Aull},
     {false, 0x4002, 0xA000000000000000ull}, {false, 0x405C, 0x813F3978F8940984ull}},
    {"2^64 - 1 plus one carries into the exponent", Op::Add, {false, 0x403E, kOnes}, kOne, {false, 0x403F, kTop}},
    {"a tie rounds to the even 2^63", Op::Add, {false, 0x403E, kTop}, kHalfValue, {false, 0x403E, kTop}},
    {"a tie rounds up to the even 2^63 + 2", Op::Add, {false, 0x403E, kTop | 1}, kHalfValue,
     {false, 0x403E, kTop | 2}},
    {"just above a tie rounds up", Op::Add, {false, 0x403E, kTop}, {false, 0x3FFE, kTop | 1},
     {false, 0x403E, kTop | 1}},
    {"a borrow far below rounds back up", Op::Add, {false, 0x403E, kTop}, {true, 0x3FFE, kTop | 1},
     {false, 0x403D, kOnes}},
    {"exact cancellation is +0", Op::Add, kOne, {true, 0x3FFF, kTop}, {false, 0, 0}},
    {"-0 + -0 stays -0", Op::Add, {true, 0, 0}, {true, 0, 0}, {true, 0, 0}},
    {"-0 + +0 is +0", Op::Add, {true, 0, 0}, {false, 0, 0}, {false, 0, 0}},
    {"min normal halved is subnormal", Op::Mul, kMinNormal, kHalfValue, {false, 0, 0x4000000000000000ull}},
    {"min subnormal halved ties to 0", Op::Mul, kMinSubnormal, kHalfValue, {false, 0, 0}},
    {"a negative underflow keeps its sign", Op::Mul, kMinSubnormal, {true, 0x3FFE, kTop}, {true, 0, 0}},
    {"1.5 units tie to 2", Op::Mul, {false, 0, 3}, kHalfValue, {false, 0, 2}},
    {"a subnormal rounds up into the normal range", Op::Mul, {false, 0x0001, kOnes}, kHalfValue, kMinNormal},
    {"min normal / 4", Op::Div, kMinNormal, {false, 0x4001, kTop}, {false, 0, 0x2000000000000000ull}},
    {"subnormal plus subnormal", Op::Add, {false, 0, 0x7FFFFFFFFFFFFFFFull}, kMinSubnormal, kMinNormal},
    {"pseudo-subnormal comes out with exponent 1", Op::Add, {false, 0, kTop}, {false, 0, 0}, kMinNormal},
    {"largest * 2 overflows", Op::Mul, kMax, {false, 0x4000, kTop}, kInf, true},
    {"largest + half an ulp ties up to overflow", Op::Add, kMax, {false, 0x7FBE, kTop}, kInf, true},
    {"largest + less than half an ulp stays", Op::Add, kMax, {false, 0x7FBD, kOnes}, kMax},
    {"negative overflow", Op::Div, {true, 0x7FFE, kTop}, {false, 0x3FFE, kTop}, {true, 0x7FFF, kTop}, true},
    {"finite / 0 is infinity, reported as overflow", Op::Div, kOne, {true, 0, 0}, {true, 0x7FFF, kTop}, true},
    {"0 * inf is invalid", Op::Mul, {false, 0, 0}, kInf, kIndefinite, false, true},
    {"inf - inf is invalid", Op::Add, kInf, {true, 0x7FFF, kTop}, kIndefinite, false, true},
    {"0 / 0 is invalid", Op::Div, {false, 0, 0}, {true, 0, 0}, kIndefinite, false, true},
    {"inf / inf is invalid", Op::Div, kInf, kInf, kIndefinite, false, true},
    {"inf + finite is inf, no flag", Op::Add, {true, 0x7FFF, kTop}, kMax, {true, 0x7FFF, kTop}},
    {"x / inf is a signed zero", Op::Div, kOne, {true, 0x7FFF, kTop}, {true, 0, 0}},
    {"a quiet NaN passes unchanged", Op::Add, {true, 0x7FFF, 0xC000000000000123ull}, kOne,
     {true, 0x7FFF, 0xC000000000000123ull}},
    {"a signalling NaN is made quiet", Op::Mul, kOne, {false, 0x7FFF, 0x8000000000000123ull},
     {false, 0x7FFF, 0xC000000000000123ull}},
    {"of two NaNs the larger significand wins", Op::Div, {false, 0x7FFF, 0xC000000000000001ull},
     {true, 0x7FFF, 0xC000000000000002ull}, {true, 0x7FFF, 0xC000000000000002ull}},
    {"of two NaNs equal but for sign the positive wins", Op::Add, {true, 0x7FFF, 0xC000000000000005ull},
     {false, 0x7FFF, 0xC000000000000005ull}, {false, 0x7FFF, 0xC000000000000005ull}},
    {"an unnormal operand gives the indefinite NaN", Op::Mul, {false, 0x3FFF, 0x4000000000000000ull}, kOne,
     kIndefinite},
    {"an unnormal beats a NaN", Op::Add, {false, 0x7FFF, 0xC000000000000005ull}, {false, 0x4000, 0}, kIndefinite},
};
// clang-format on

TEST(SoftExt80, ArithmeticKnownAnswers) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Ext80Flags flags;
        const SoftExt80 r = c.op == Op::Mul   ? SoftExt80::mul(X(c.a), X(c.b), flags)
                            : c.op == Op::Div ? SoftExt80::div(X(c.a), X(c.b), flags)
                                              : SoftExt80::add(X(c.a), X(c.b), flags);
        EXPECT_TRUE(hasBits(r, c.want));
        EXPECT_EQ(flags.overflow, c.overflow);
        EXPECT_EQ(flags.invalid, c.invalid);
    }
}

uint64_t doubleBits(double d) { return std::bit_cast<uint64_t>(d); }

TEST(SoftExt80, WideningKnownAnswers) {
    const struct {
        uint64_t dbl;
        E want;
    } cases[] = {
        {0x3FF0000000000000ull, kOne},
        {0x8000000000000000ull, {true, 0, 0}},
        {0x0000000000000001ull, {false, 0x3BCD, kTop}},  // 2^-1074 is a normal extended value
        {0x000FFFFFFFFFFFFFull, {false, 0x3C00, 0xFFFFFFFFFFFFF000ull}},
        {0x7FEFFFFFFFFFFFFFull, {false, 0x43FE, 0xFFFFFFFFFFFFF800ull}},
        {0xFFF0000000000000ull, {true, 0x7FFF, kTop}},
        {0x7FF0000000000001ull, {false, 0x7FFF, 0xC000000000000800ull}},  // quieted on load
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dbl);
        EXPECT_TRUE(hasBits(SoftExt80::fromDouble(std::bit_cast<double>(c.dbl)), c.want));
    }
    EXPECT_TRUE(hasBits(SoftExt80::fromUint64(0), {false, 0, 0}));
    EXPECT_TRUE(hasBits(SoftExt80::fromUint64(1), kOne));
    EXPECT_TRUE(hasBits(SoftExt80::fromUint64(kOnes), {false, 0x403E, kOnes}));
    EXPECT_TRUE(hasBits(SoftExt80::fromUint64(10), {false, 0x4002, 0xA000000000000000ull}));
}

TEST(SoftExt80, NarrowingKnownAnswers) {
    const struct {
        const char* what;
        E v;
        uint64_t want;
        bool overflow;
    } cases[] = {
        {"2^53 + 1 ties to 2^53", {false, 0x4034, kTop | 0x400}, 0x4340000000000000ull, false},
        {"2^53 + 3 ties to 2^53 + 4", {false, 0x4034, kTop | 0xC00}, 0x4340000000000002ull, false},
        {"just above a tie rounds up", {false, 0x4034, kTop | 0x401}, 0x4340000000000001ull, false},
        {"2^1024 - 2^970 overflows", {false, 0x43FE, 0xFFFFFFFFFFFFFC00ull}, 0x7FF0000000000000ull, true},
        {"just below it is the largest double", {true, 0x43FE, 0xFFFFFFFFFFFFFBFFull}, 0xFFEFFFFFFFFFFFFFull, false},
        {"far beyond the double range", {false, 0x7FFE, kTop}, 0x7FF0000000000000ull, true},
        {"the smallest normal from just below", {false, 0x3C00, kOnes}, 0x0010000000000000ull, false},
        {"2^-1075 ties to zero", {false, 0x3BCC, kTop}, 0, false},
        {"1.5 * 2^-1075 rounds up", {false, 0x3BCC, 0xC000000000000000ull}, 1, false},
        {"3 * 2^-1075 ties to 2 units", {false, 0x3BCD, 0xC000000000000000ull}, 2, false},
        {"a tiny negative is -0", {true, 0x3B00, kTop}, 0x8000000000000000ull, false},
        {"an extended subnormal is 0", {false, 0, kOnes >> 1}, 0, false},
        {"infinity is no overflow", {true, 0x7FFF, kTop}, 0xFFF0000000000000ull, false},
        {"a NaN keeps its top payload bits", {false, 0x7FFF, 0xC000000000000800ull}, 0x7FF8000000000001ull, false},
        {"an unnormal gives the negative quiet NaN", {false, 0x3FFF, 1}, 0xFFF8000000000000ull, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SoftExt80::Narrowed n = X(c.v).narrowToDouble();
        EXPECT_EQ(doubleBits(n.value), c.want);
        EXPECT_EQ(n.overflow, c.overflow);
    }
}

TEST(SoftExt80, TwoRoundingsOfTheEvaluation) {
    // 2^53 + 1 + 2^-52: the 64-bit sum drops the tiny part, and the store
    // then meets an exact tie and goes to even; one rounding would go up.
    EXPECT_EQ(SoftExt80::addDoubles(9007199254740992.0, 1.0000000000000002).value, 9007199254740992.0);
    EXPECT_EQ(SoftExt80::addDoubles(0.1, 0.2).value, 0.30000000000000004);
    // 2 - 2^-105: the 64-bit rounding carries out of every bit.
    EXPECT_EQ(SoftExt80::addDoubles(1.9999999999999998, 0x1.fffffffffffffp-53).value, 2.0);
    EXPECT_EQ(SoftExt80::mulDoubles(3.0, 7.0).value, 21.0);
    const SoftExt80::Narrowed huge = SoftExt80::mulDoubles(1e300, -1e10);
    EXPECT_TRUE(huge.overflow);
    EXPECT_EQ(huge.value, -std::numeric_limits<double>::infinity());
    const SoftExt80::Narrowed tiny = SoftExt80::mulDoubles(1e-300, -1e-300);
    EXPECT_FALSE(tiny.overflow);
    EXPECT_EQ(doubleBits(tiny.value), 0x8000000000000000ull);
    EXPECT_EQ(SoftExt80::addDoubles(5e-324, 5e-324).value, 1e-323);
}

// The inline roads of the evaluation's product and sum against the general
// operations followed by the store, on operands chosen to reach their edges:
// ties of either rounding (sparse or full significands), sums that cancel,
// results at the ends of the normal range.
TEST(SoftExt80, EvaluationRoadsAgreeWithTheGeneralOperations) {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    const auto next = [&state] {  // splitmix64
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    };
    const auto fraction = [&]() -> uint64_t {
        switch (next() % 4) {
            case 0: return next() & 0xFFFF000000000000ull;        // short: exact results, ties
            case 1: return 0xFFFFFFFFFFF00ull | (next() & 0xFF);  // long runs of ones
            case 2: return (next() & 0xFF) << (next() % 45);
            default: return next();
        }
    };
    const auto make = [&](uint64_t e) {
        return std::bit_cast<double>((next() << 63) | ((e & 0x7FF) << 52) | (fraction() & 0xFFFFFFFFFFFFFull));
    };
    const auto general = [](bool product, double a, double b) {
        Ext80Flags ignored;
        const SoftExt80 x = SoftExt80::fromDouble(a), y = SoftExt80::fromDouble(b);
        return (product ? SoftExt80::mul(x, y, ignored) : SoftExt80::add(x, y, ignored)).narrowToDouble();
    };
    for (int i = 0; i < 400000; ++i) {
        const uint64_t kind = next() % 4;
        uint64_t ea = 1023 + next() % 8, eb = ea - next() % 3;
        if (kind == 1) ea = 1 + next() % 4, eb = ea - next() % 2;      // the smallest normals
        if (kind == 2) ea = 0x7FE - next() % 4, eb = ea - next() % 3;  // the largest
        const double a = make(ea);
        double b = make(eb);
        if (kind == 3) b = std::bit_cast<double>((std::bit_cast<uint64_t>(a) ^ (next() & 7)) ^ (next() << 63));
        // For the product, a factor that lands the result near either end.
        const double f = kind == 1 ? make(1022 - next() % 3) : kind == 2 ? make(1023 + next() % 3) : b;
        for (const bool product : {false, true}) {
            const double second = product ? f : b;
            const SoftExt80::Narrowed want = general(product, a, second);
            const SoftExt80::Narrowed got =
                product ? SoftExt80::mulDoubles(a, second) : SoftExt80::addDoubles(a, second);
            if (doubleBits(got.value) != doubleBits(want.value) || got.overflow != want.overflow) {
                ADD_FAILURE() << (product ? "product " : "sum ") << std::hexfloat << a << " " << second << ": "
                              << got.value << " instead of " << want.value;
                return;
            }
        }
    }
}

TEST(SoftExt80, RoundToIntegerTiesToEven) {
    const struct {
        E v, want;
    } cases[] = {
        {kHalfValue, {false, 0, 0}},
        {{true, 0x3FFE, kTop}, {true, 0, 0}},
        {{false, 0x3FFF, 0xC000000000000000ull}, {false, 0x4000, kTop}},                   // 1.5 -> 2
        {{false, 0x4000, 0xA000000000000000ull}, {false, 0x4000, kTop}},                   // 2.5 -> 2
        {{true, 0x4000, 0xE000000000000000ull}, {true, 0x4001, kTop}},                     // -3.5 -> -4
        {{false, 0x3FFE, 0xC000000000000000ull}, kOne},                                    // 0.75 -> 1
        {{false, 0x3FFE, kTop | 1}, kOne},                                                 // just above 1/2
        {{false, 0x3FFD, kOnes}, {false, 0, 0}},                                           // just below 1/2
        {{false, 0x403A, 0xDE0B6B3A76400008ull}, {false, 0x403A, 0xDE0B6B3A76400000ull}},  // 1e18 + 0.5 -> 1e18
        {{false, 0x403E, kOnes}, {false, 0x403E, kOnes}},
        {kMinSubnormal, {false, 0, 0}},
        {kInf, kInf},
        {{false, 0x7FFF, 0x8000000000000001ull}, {false, 0x7FFF, 0xC000000000000001ull}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.v.exp << ":" << c.v.sig);
        EXPECT_TRUE(hasBits(X(c.v).roundToInteger(), c.want));
    }
    EXPECT_EQ(X({false, 0x403E, kOnes}).toUint64(), kOnes);
    EXPECT_EQ(X({false, 0x4002, 0xA000000000000000ull}).toUint64(), 10u);
    EXPECT_EQ(X({false, 0x4000, 0xA000000000000000ull}).toUint64(), 2u);  // 2.5 is cut to 2
    EXPECT_EQ(X({false, 0, 0}).toUint64(), 0u);
}

TEST(SoftExt80, OrderAndClassification) {
    const E qnan{false, 0x7FFF, 0xC000000000000000ull};
    const E unnormal{false, 0x3FFF, 0x4000000000000000ull};
    const struct {
        E a, b;
        bool less;
    } cases[] = {
        {kOne, {false, 0x4000, kTop}, true},
        {{true, 0, 0}, {false, 0, 0}, false},  // -0 equals +0
        {{false, 0, 0}, {true, 0, 0}, false},
        {{true, 0x3FFF, kTop}, {false, 0, 0}, true},
        {{true, 0x4000, kTop}, {true, 0x3FFF, kTop}, true},
        {{false, 0, kTop}, kMinNormal, false},  // pseudo-subnormal equals the smallest normal
        {{false, 0, kTop - 1}, {false, 0, kTop}, true},
        {kMax, kInf, true},
        {qnan, kInf, false},
        {kOne, qnan, false},
        {unnormal, {false, 0x4000, kTop}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(X(c.a).lessThan(X(c.b)), c.less)
            << std::hex << c.a.exp << ":" << c.a.sig << " < " << c.b.exp << ":" << c.b.sig;
    }
    EXPECT_TRUE(X({true, 0, 0}).isZero());
    EXPECT_FALSE(X({false, 0x3FFF, 0}).isZero());  // pseudo-zero is an unnormal
    EXPECT_FALSE(X(unnormal).isFinite());
    EXPECT_FALSE(X(kInf).isFinite());
    EXPECT_TRUE(X(kMinSubnormal).isFinite());
    EXPECT_TRUE(hasBits(X(qnan).negated(), {true, 0x7FFF, 0xC000000000000000ull}));
    EXPECT_TRUE(hasBits(X({true, 0x3FFF, 1}).abs(), {false, 0x3FFF, 1}));
    EXPECT_TRUE(hasBits(SoftExt80(), {false, 0, 0}));
}

// The product by 32-bit halves (the WebAssembly build's) against the
// 128-bit one: carries out of every column, and random words.
TEST(SoftExt80, WideProductByHalves) {
    const uint64_t words[] = {0,     1,         0xFFFFFFFFu,           0x100000000ull,        kTop,
                              kOnes, kOnes - 1, 0xFFFFFFFF00000001ull, 0x00000001FFFFFFFFull, 0xDE0B6B3A76400000ull};
    std::vector<std::pair<uint64_t, uint64_t>> pairs;
    for (uint64_t a : words) {
        for (uint64_t b : words) pairs.emplace_back(a, b);
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 10000; ++i) pairs.emplace_back(random(), random());
    for (const auto& [a, b] : pairs) {
        const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
        const WideProduct w = wideProductByHalves(a, b);
        ASSERT_EQ(w.hi, uint64_t(p >> 64)) << std::hex << a << " * " << b;
        ASSERT_EQ(w.lo, uint64_t(p)) << std::hex << a << " * " << b;
    }
}

}  // namespace
}  // namespace quill
