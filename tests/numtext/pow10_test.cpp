#include "numtext/pow10.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ten_powers.h"

namespace quill {
namespace {

// Just enough of an unsigned big integer to hold exact powers of ten.
class BigUint {
public:
    explicit BigUint(uint32_t v) : limbs_{v} {}
    void mulSmall(uint32_t m) {
        uint64_t carry = 0;
        for (uint32_t& limb : limbs_) {
            const uint64_t t = uint64_t{limb} * m + carry;
            limb = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        if (carry) limbs_.push_back(static_cast<uint32_t>(carry));
    }
    int bitLength() const { return 32 * int(limbs_.size() - 1) + (32 - __builtin_clz(limbs_.back())); }
    bool bit(int i) const { return i >= 0 && (limbs_[i / 32] >> (i % 32)) & 1u; }
    bool anyBitBelow(int i) const {
        for (int k = 0; k < i; ++k)
            if (bit(k)) return true;
        return false;
    }
    void doubleIt() { mulSmall(2); }
    bool notBelow(const BigUint& other) const {  // *this >= other
        if (limbs_.size() != other.limbs_.size()) return limbs_.size() > other.limbs_.size();
        for (std::size_t k = limbs_.size(); k-- > 0;)
            if (limbs_[k] != other.limbs_[k]) return limbs_[k] > other.limbs_[k];
        return true;
    }
    void subtract(const BigUint& other) {  // *this >= other
        int64_t borrow = 0;
        for (std::size_t k = 0; k < limbs_.size(); ++k) {
            const int64_t t = int64_t{limbs_[k]} - (k < other.limbs_.size() ? other.limbs_[k] : 0) - borrow;
            limbs_[k] = static_cast<uint32_t>(t);
            borrow = t < 0;
        }
        while (limbs_.size() > 1 && limbs_.back() == 0) limbs_.pop_back();
    }

private:
    std::vector<uint32_t> limbs_;  // least significant first
};

struct Rounded {
    uint16_t biasedExponent;
    uint64_t significand;
    bool exact;
};

// The value rounded once to 64 significant bits, to nearest, ties to even.
Rounded roundTo64Bits(const BigUint& x) {
    const int length = x.bitLength();
    uint64_t sig = 0;
    for (int k = 0; k < 64; ++k) sig = (sig << 1) | (x.bit(length - 1 - k) ? 1u : 0u);
    int exponent = length - 1;
    const int roundBit = length - 65;
    const bool half = x.bit(roundBit);
    const bool sticky = x.anyBitBelow(roundBit);
    if (half && (sticky || (sig & 1))) {
        if (++sig == 0) {  // carried out of the top: 1.000... of the next binade
            sig = 0x8000000000000000ULL;
            ++exponent;
        }
    }
    return {static_cast<uint16_t>(exponent + 16383), sig, !half && !sticky};
}

TEST(TenPowerTables, EveryEntryIsTheExactPowerRoundedOnce) {
    struct Table {
        const Ext80Bits* entries;
        int first, last, step;  // entry k holds 10^(k*step)
    };
    const Table tables[] = {{kTenPowLow, 0, 31, 1}, {kTenPowMid, 1, 15, 32}, {kTenPowHigh, 1, 9, 512}};
    for (const Table& table : tables) {
        BigUint power(1);
        int current = 0;
        for (int k = table.first; k <= table.last; ++k) {
            for (; current < k * table.step; ++current) power.mulSmall(10);
            const Rounded expected = roundTo64Bits(power);
            SCOPED_TRACE("10^" + std::to_string(current));
            EXPECT_EQ(table.entries[k].biasedExponent, expected.biasedExponent);
            EXPECT_EQ(table.entries[k].significand, expected.significand);
            EXPECT_EQ(expected.exact, current <= 27);  // 5^27 < 2^64 <= 5^28
        }
    }
}

// 1 / d (d > 1 not a power of two) rounded once to 64 significant bits, by
// long division: 2^(L + 63) / d lies in (2^63, 2^64) for d of L bits.
Rounded reciprocalTo64Bits(const BigUint& d) {
    const int length = d.bitLength();
    BigUint rest(1);
    uint64_t quotient = 0;
    for (int k = 0; k < length + 63; ++k) {
        rest.doubleIt();
        quotient <<= 1;
        if (rest.notBelow(d)) {
            rest.subtract(d);
            quotient |= 1;
        }
    }
    rest.doubleIt();  // twice the remainder against d: never equal, d is no power of two
    int exponent = -length;
    if (rest.notBelow(d) && ++quotient == 0) {
        quotient = 0x8000000000000000ULL;
        ++exponent;
    }
    return {static_cast<uint16_t>(exponent + 16383), quotient, false};
}

TEST(TenPowerTables, TheSixtyFourBitSignificandsAreTheExactPowersRoundedOnce) {
    BigUint power(1);
    for (int n = 0; n <= std::max(-ten_powers::kFirst, ten_powers::kLast); ++n, power.mulSmall(10)) {
        for (int signedN : {n, -n}) {
            if (signedN < ten_powers::kFirst || signedN > ten_powers::kLast || (n == 0 && signedN < 0)) continue;
            const Rounded expected = signedN >= 0 ? roundTo64Bits(power) : reciprocalTo64Bits(power);
            SCOPED_TRACE("10^" + std::to_string(signedN));
            EXPECT_EQ(ten_powers::significand(signedN), expected.significand);
            EXPECT_EQ(ten_powers::binaryExponent(signedN) + 16383, expected.biasedExponent);
        }
    }
}

Ext80 one() { return Ext80::fromUint64(1); }

// Distance in units of the last place of the exact value, as an integer.
int64_t ulpsFrom(Ext80 got, const Rounded& exact) {
    const int shift = int(got.biasedExponent()) - int(exact.biasedExponent);
    EXPECT_LE(std::abs(shift), 1);
    const __int128 a = shift >= 0 ? (__int128(got.significand()) << (1 + shift)) : __int128(got.significand());
    const __int128 b = __int128(exact.significand) << 1;
    const __int128 d = a > b ? a - b : b - a;
    return static_cast<int64_t>(d / 2);
}

TEST(ScaleByPowerOfTen, PositivePowersOfOneStayWithinThreeRoundings) {
    BigUint power(1);
    for (int n = 1; n <= 4931; ++n) {
        power.mulSmall(10);
        Ext80Flags flags;
        const Ext80 got = scaleByPowerOfTen(one(), n, flags);
        ASSERT_FALSE(flags.any()) << n;
        const int64_t ulps = ulpsFrom(got, roundTo64Bits(power));
        ASSERT_LE(ulps, n <= 27 ? 0 : 3) << "10^" << n;
    }
}

TEST(ScaleByPowerOfTen, NegativePowersUndoPositiveOnes) {
    for (int a = 1; a <= 4931; ++a) {
        Ext80Flags flags;
        const Ext80 back = scaleByPowerOfTen(scaleByPowerOfTen(one(), -a, flags), a, flags);
        ASSERT_FALSE(flags.any()) << a;
        // Within a few units of the last place of 1, on either side of it.
        const bool near = back.biasedExponent() == 16383 ? back.significand() - 0x8000000000000000ULL <= 12
                                                         : back.biasedExponent() == 16382 && ~back.significand() < 24;
        ASSERT_TRUE(near) << "10^-" << a;
    }
}

TEST(ScaleByPowerOfTen, ZeroPowerIsNoOperationAtAll) {
    // Not even a multiplication by 1, which would quieten a signalling NaN.
    const Ext80 signalling = Ext80::fromBits(false, 0x7FFF, 0x8000000000000001ULL);
    Ext80Flags flags;
    const Ext80 same = scaleByPowerOfTen(signalling, 0, flags);
    EXPECT_EQ(same.significand(), signalling.significand());
    EXPECT_FALSE(flags.any());
}

TEST(ScaleByPowerOfTen, VeryNegativePowersGivePositiveZero) {
    const Ext80 huge = Ext80::fromBits(true, 0x7FFE, 0xFFFFFFFFFFFFFFFFULL);
    const Ext80 infinity = Ext80::fromBits(true, 0x7FFF, 0x8000000000000000ULL);
    for (int32_t n : {-5120, -5121, -100000, INT32_MIN}) {
        for (Ext80 v : {huge, infinity, one()}) {
            Ext80Flags flags;
            const Ext80 r = scaleByPowerOfTen(v, n, flags);
            EXPECT_TRUE(r.isZero() && !r.negative()) << n;
            EXPECT_FALSE(flags.any());
        }
    }
    Ext80Flags flags;  // one step less still divides
    EXPECT_FALSE(scaleByPowerOfTen(huge, -5119, flags).isZero());
}

// The factors apply smallest first, and a negative power divides by the
// positive table entries. Random values tell apart every other order.
TEST(ScaleByPowerOfTen, FactorsApplySmallestFirst) {
    struct Case {
        int32_t n;
        std::vector<Ext80Bits> factors;
    };
    const Case cases[] = {
        {4933, {kTenPowLow[5], kTenPowMid[10], kTenPowHigh[9]}},
        {-330, {kTenPowLow[10], kTenPowMid[10]}},
        {-4933, {kTenPowLow[5], kTenPowMid[10], kTenPowHigh[9]}},
        {1024, {kTenPowLow[0], kTenPowHigh[2]}},
        {-37, {kTenPowLow[5], kTenPowMid[1]}},
    };
    std::mt19937_64 random(12345);
    for (const Case& c : cases) {
        int reversedDiffers = 0;
        for (int i = 0; i < 2000; ++i) {
            // Far enough from 1 that 10^±4933 keeps within range.
            const uint16_t exponent = c.n > 0 ? 16383 - 64 : 16383 + 64;
            const Ext80 v = Ext80::fromBits(false, exponent, random() | 0x8000000000000000ULL);
            Ext80Flags flags;
            Ext80 inOrder = v, reversed = v;
            for (std::size_t k = 0; k < c.factors.size(); ++k) {
                const Ext80 f = toExt80(c.factors[k]), g = toExt80(c.factors[c.factors.size() - 1 - k]);
                inOrder = c.n > 0 ? Ext80::mul(inOrder, f, flags) : Ext80::div(inOrder, f, flags);
                reversed = c.n > 0 ? Ext80::mul(reversed, g, flags) : Ext80::div(reversed, g, flags);
            }
            const Ext80 got = scaleByPowerOfTen(v, c.n, flags);
            ASSERT_EQ(got.significand(), inOrder.significand()) << c.n;
            ASSERT_EQ(got.biasedExponent(), inOrder.biasedExponent()) << c.n;
            reversedDiffers += reversed.significand() != inOrder.significand();
        }
        if (c.n % 32 != 0) {  // a factor 1 commutes
            EXPECT_GT(reversedDiffers, 0) << c.n;
        }
    }
}

// The integer road gives the bits of the 80-bit steps whenever it answers,
// and answers for every value in range: integers of every length (exact
// multiples of powers of five among them, whose quotients are exact) times
// powers near one and across the whole range.
TEST(ScaleIntegerByPowerOfTen, MatchesTheEightyBitSteps) {
    std::mt19937_64 random(2024);
    int settled = 0, inRange = 0;
    for (int i = 0; i < 300000; ++i) {
        uint64_t s = random() >> (random() % 64);
        if (i % 4 == 1)
            s = (s >> 30) * [&] {
                uint64_t f = 1;
                for (int k = random() % 19; k > 0; --k) f *= 5;
                return f;
            }();
        if (i % 4 == 2) s = UINT64_MAX - (random() % 1000);
        if (s == 0) continue;
        const int32_t n = i % 3 ? int32_t(random() % 81) - 40 : int32_t(random() % 10239) - 5119;
        Ext80Flags flags;
        const Ext80 slow = scaleByPowerOfTen(Ext80::fromUint64(s), n, flags);
        const bool normal = !flags.any() && slow.biasedExponent() >= 2 && slow.biasedExponent() <= 0x7FFE;
        inRange += normal;
        Ext80Bits fast;
        if (!scaleIntegerByPowerOfTen(s, n, fast)) continue;
        ++settled;
        ASSERT_TRUE(normal) << s << "e" << n;
        ASSERT_EQ(fast.biasedExponent, slow.biasedExponent()) << s << "e" << n;
        ASSERT_EQ(fast.significand, slow.significand()) << s << "e" << n;
    }
    EXPECT_EQ(settled, inRange);
    // Values of every binade, as doubles and 80-bit values bring them.
    for (int i = 0; i < 100000; ++i) {
        const Ext80Bits v{uint16_t(1 + random() % 0x7FFE), random() | (uint64_t(1) << 63)};
        const int32_t n = int32_t(random() % 10239) - 5119;
        Ext80Flags flags;
        const Ext80 slow = scaleByPowerOfTen(toExt80(v), n, flags);
        Ext80Bits fast;
        if (!scaleBitsByPowerOfTen(v, n, fast)) continue;
        ASSERT_FALSE(flags.any());
        ASSERT_EQ(fast.biasedExponent, slow.biasedExponent()) << v.biasedExponent << " " << v.significand << "e" << n;
        ASSERT_EQ(fast.significand, slow.significand()) << v.biasedExponent << " " << v.significand << "e" << n;
        ++settled;
    }
    EXPECT_GT(settled, inRange + 20000);
}

}  // namespace
}  // namespace quill
