// Texts right at the halfway points between doubles, where a single rounding
// of the exact value and the 80-bit steps can part.
#include "numtext/parse.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace quill {
namespace {

// The exact value halfway between a double and the next one up, as its
// decimal digits and the power of ten that scales them.
std::pair<std::string, int> halfwayAbove(double d) {
    int binary = 0;
    const double fraction = std::frexp(d, &binary);  // d = fraction * 2^binary, fraction in [0.5, 1)
    const auto m = static_cast<uint64_t>(std::ldexp(fraction, 53));
    int twos = binary - 54;  // halfway = (2m + 1) * 2^twos
    std::vector<uint32_t> limbs{uint32_t((2 * m + 1) % 1000000000), uint32_t((2 * m + 1) / 1000000000 % 1000000000),
                                uint32_t((2 * m + 1) / 1000000000000000000ULL)};  // base 10^9, lowest first
    auto multiply = [&](uint32_t f) {
        uint64_t carry = 0;
        for (uint32_t& limb : limbs) {
            carry += uint64_t{limb} * f;
            limb = uint32_t(carry % 1000000000);
            carry /= 1000000000;
        }
        if (carry) limbs.push_back(uint32_t(carry));
    };
    int power = 0;
    for (; twos > 0; --twos) multiply(2);
    for (; twos < 0; ++twos, --power) multiply(5);  // 2^-1 = 5 * 10^-1
    std::string digits = std::to_string(limbs.back());
    for (std::size_t k = limbs.size() - 1; k-- > 0;) digits += std::to_string(limbs[k] + 1000000000).substr(1);
    return {digits, power};
}

// Texts of at most 19 digits right at and around the halfway points between
// doubles, where the 80-bit steps and a single rounding of the exact value
// can part: the direct road to a double must still give the steps' double.
TEST(TextToDouble, HalfwayBetweenDoublesGivesTheStepsDouble) {
    std::mt19937_64 random(53);
    for (int i = 0; i < 40000; ++i) {
        const int binary = i % 8 == 0 ? int(random() % 64) : int(random() % 400) - 200;
        const double d = std::ldexp(1.0 + double(random() >> 12) * 0x1p-52, binary);
        auto [digits, power] = halfwayAbove(d);
        if (digits.size() > 19) {  // cut to 19 digits: within a few units of the 64th bit
            power += int(digits.size() - 19);
            digits.resize(19);
        }
        const int64_t shift = int64_t(random() % 9) - 4;
        const uint64_t s = std::stoull(digits) + uint64_t(shift);
        const std::string text = std::to_string(s) + "e" + std::to_string(power);
        // textToNumber keeps to the 80-bit steps; the parse tests hold it to them.
        const double steps = narrowToDouble(textToNumber(text, '.'));
        ASSERT_EQ(std::bit_cast<uint64_t>(textToDouble(text, '.')), std::bit_cast<uint64_t>(steps)) << text;
    }
}

}  // namespace
}  // namespace quill
