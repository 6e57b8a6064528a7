#include "settings/int_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quill {
namespace {

using namespace std::string_literals;

struct IntCase {
    std::string text;
    std::optional<std::int32_t> value;  // nothing: not an integer text
};

class Int32FromTextTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(Int32FromTextTest, ConvertsOrRefuses) {
    const IntCase& c = GetParam();
    EXPECT_EQ(Int32FromText(c.text), c.value) << "text: [" << c.text << "]";
}

INSTANTIATE_TEST_SUITE_P(Zeros, Int32FromTextTest, ::testing::Values(
    IntCase{"0", 0}, IntCase{"00", 0}, IntCase{"-0", 0}, IntCase{"+0", 0}, IntCase{"0x0", 0},
    IntCase{"0X0", 0}, IntCase{"$0", 0}, IntCase{"x0", 0}, IntCase{"X0", 0}, IntCase{" 0", 0},
    IntCase{"     0", 0}));

INSTANTIATE_TEST_SUITE_P(Decimal, Int32FromTextTest, ::testing::Values(
    IntCase{"1", 1}, IntCase{"2", 2}, IntCase{"-1", -1}, IntCase{"+17", 17}, IntCase{"  42", 42},
    IntCase{"2147483647", 2147483647}, IntCase{"+2147483647", 2147483647},
    IntCase{"-2147483648", INT32_MIN}, IntCase{"0000000000002147483647", 2147483647},
    IntCase{"2147483648", std::nullopt}, IntCase{"-2147483649", std::nullopt},
    IntCase{"21474836470", std::nullopt}, IntCase{"99999999999999999999", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(Hexadecimal, Int32FromTextTest, ::testing::Values(
    IntCase{"0x10", 16}, IntCase{"$ff", 255}, IntCase{"XaB", 0xAB}, IntCase{"$FFFFFFFF", -1},
    IntCase{"$7FFFFFFF", INT32_MAX}, IntCase{"$80000000", INT32_MIN},
    IntCase{"$00000000000000FF", 255}, IntCase{" 0x1", 1},
    IntCase{"$100000000", std::nullopt}, IntCase{"$1FFFFFFFF", std::nullopt},
    IntCase{"0x1g", std::nullopt}, IntCase{"$G", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(NotIntegers, Int32FromTextTest, ::testing::Values(
    IntCase{"", std::nullopt}, IntCase{"   ", std::nullopt}, IntCase{"true", std::nullopt},
    IntCase{"false", std::nullopt}, IntCase{"no", std::nullopt}, IntCase{"0x", std::nullopt},
    IntCase{"$", std::nullopt}, IntCase{"x", std::nullopt}, IntCase{"-", std::nullopt},
    IntCase{"+", std::nullopt}, IntCase{"1 2", std::nullopt}, IntCase{"1 ", std::nullopt},
    IntCase{"\t1", std::nullopt}, IntCase{"-$1", std::nullopt}, IntCase{"-0x1", std::nullopt},
    IntCase{"+x1", std::nullopt}, IntCase{"$-1", std::nullopt}, IntCase{"- 1", std::nullopt},
    IntCase{"1e3", std::nullopt}, IntCase{"1.0", std::nullopt}, IntCase{"0b1", std::nullopt},
    IntCase{"1\0"s, std::nullopt}, IntCase{"\xEF\xBC\x91", std::nullopt}));

TEST(HexPrefixToDollar, RewritesOnlyALeadingZeroXWithDigitsRoom) {
    const struct { std::string text, expected; } cases[] = {
        {"0x10", "$10"}, {"0X1f", "$1f"}, {"0xzz", "$zz"}, {"0x", "0x"}, {"0", "0"},
        {"00x1", "00x1"}, {" 0x1", " 0x1"}, {"x1", "x1"}, {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(HexPrefixToDollar(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace quill
