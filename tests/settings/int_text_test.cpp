#include "settings/int_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quill {
namespace {

using namespace std::string_literals;
constexpr std::nullopt_t kNone = std::nullopt;

TEST(Int32FromText, AcceptsExactlyTheIntegerForms) {
    // clang-format off
    const struct { std::string text; std::optional<std::int32_t> value; } cases[] = {
        // zeros in every form
        {"0", 0}, {"00", 0}, {"-0", 0}, {"+0", 0}, {"0x0", 0}, {"0X0", 0}, {"$0", 0}, {"x0", 0},
        {"X0", 0}, {" 0", 0}, {"     0", 0},
        // decimal, up to the limits
        {"1", 1}, {"2", 2}, {"-1", -1}, {"+17", 17}, {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN}, {"0000000000002147483647", INT32_MAX},
        {"2147483648", kNone}, {"-2147483649", kNone}, {"21474836470", kNone},
        // hexadecimal: eight significant digits, two's complement
        {"0x10", 16}, {"$ff", 255}, {"XaB", 0xAB}, {"$FFFFFFFF", -1}, {"$7FFFFFFF", INT32_MAX},
        {"$80000000", INT32_MIN}, {"$00000000000000FF", 255}, {" 0x1", 1},
        {"$100000000", kNone}, {"$1FFFFFFFF", kNone}, {"0x1g", kNone}, {"$G", kNone},
        // not integers at all
        {"", kNone}, {"   ", kNone}, {"true", kNone}, {"false", kNone}, {"no", kNone},
        {"0x", kNone}, {"$", kNone}, {"x", kNone}, {"-", kNone}, {"+", kNone}, {"1 2", kNone},
        {"1 ", kNone}, {"\t1", kNone}, {"-$1", kNone}, {"-0x1", kNone}, {"+x1", kNone},
        {"$-1", kNone}, {"- 1", kNone}, {"1e3", kNone}, {"1.0", kNone}, {"0b1", kNone},
        {"1\0"s, kNone}, {"\xEF\xBC\x91", kNone},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(int32FromText(c.text), c.value) << "[" << c.text << "]";
}

}  // namespace
}  // namespace quill
