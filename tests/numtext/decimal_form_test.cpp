#include "numtext/format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "digits_by_the_steps.h"

namespace quill {
namespace {

// 80-bit values as the parser makes them carry all 64 bits of significand,
// of every magnitude the digits' short road takes and some beyond.
TEST(ToDecimalForm, AgreesWithTheStepsForFullEightyBitSignificands) {
    std::mt19937_64 random(808);
    for (int i = 0; i < 200000; ++i) {
        const uint16_t biased = uint16_t(16383 - 1200 + random() % 2400);
        const Ext80 v = Ext80::fromBits(false, biased, random() | 0x8000000000000000ULL);
        const auto [exponent, fifteen] = digitsByTheSteps(v);
        const DecimalForm form = toDecimalForm(v);
        ASSERT_EQ(form.exponent, exponent) << biased << " " << v.significand();
        std::string digits = std::to_string(fifteen + 1000000000000000ULL).substr(1);
        digits.erase(digits.find_last_not_of('0') + 1);
        ASSERT_EQ(std::string(form.digits), digits) << biased << " " << v.significand();
    }
}

}  // namespace
}  // namespace quill
