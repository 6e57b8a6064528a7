#include "engine/range_fill.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(RangeFillTest, ReadRangeRefusesWhatThePaneCouldNotHold) {
    const struct {
        std::string_view from, to, count;
        char mark;
        RangeFault fault;
    } cases[] = {
        {" 1,5 ", "2", "3", ',', RangeFault::none},  // trimmed, the pane's decimal mark
        {"0", "1", "10000000", '.', RangeFault::none},
        {"0", "1", "1e7", '.', RangeFault::none},
        {"2", "2", "1", '.', RangeFault::none},
        {"abc", "1", "2", '.', RangeFault::fromNotNumber},
        {"", "1", "2", '.', RangeFault::fromNotNumber},
        {"1e999", "1", "2", '.', RangeFault::fromTooLarge},
        {"0", "1.5", "2", ',', RangeFault::toNotNumber},
        {"0", "-1e400", "2", '.', RangeFault::toTooLarge},
        {"0", "1", "0", '.', RangeFault::countNotAllowed},
        {"0", "1", "-3", '.', RangeFault::countNotAllowed},
        {"0", "1", "2.5", '.', RangeFault::countNotAllowed},
        {"0", "1", "10000001", '.', RangeFault::countNotAllowed},
        {"0", "1", "1e999", '.', RangeFault::countNotAllowed},
        {"0", "1", "x", '.', RangeFault::countNotAllowed},
        {"2", "3", "1", '.', RangeFault::singleValueNeedsEqualEnds},
        {"-1e308", "1e308", "3", '.', RangeFault::tooWide},
        {"-1e308", "0", "3", '.', RangeFault::none},
        {"-1e308", "0", "4", '.', RangeFault::tooWide},  // 2 * (To - From) overflows
    };
    for (const auto& c : cases) {
        RangeRequest r{-7, -7, -7};
        EXPECT_EQ(readRange(c.from, c.to, c.count, c.mark, r), c.fault) << c.from << ' ' << c.to << ' ' << c.count;
        if (c.fault != RangeFault::none) {
            EXPECT_EQ(r.count, -7);  // untouched
        }
    }
    RangeRequest r;
    ASSERT_EQ(readRange("-0.5", "4", "10000000", '.', r), RangeFault::none);
    EXPECT_EQ(r.from, -0.5);
    EXPECT_EQ(r.to, 4.0);
    EXPECT_EQ(r.count, 10000000);
}

TEST(RangeFillTest, TextHoldsEveryValueInTheReportsFormat) {
    const struct {
        RangeRequest range;
        char mark;
        std::string_view text;
    } cases[] = {
        {{0, 1, 5}, '.', "0\r\n0.25\r\n0.5\r\n0.75\r\n1\r\n"},
        {{0, 1, 3}, ',', "0\r\n0,5\r\n1\r\n"},
        {{1, -1, 2}, '.', "1\r\n-1\r\n"},
        {{7, 7, 1}, '.', "7\r\n"},
        {{1e20, 3e20, 3}, '.', "1E20\r\n2E20\r\n3E20\r\n"},
        // The formula would end on 0.9000000000000001 here; the last value is To itself.
        {{0.001, 0.9, 10},
         '.',
         "0.001\r\n0.100888888888889\r\n0.200777777777778\r\n0.300666666666667\r\n"
         "0.400555555555556\r\n0.500444444444444\r\n0.600333333333333\r\n"
         "0.700222222222222\r\n0.800111111111111\r\n0.9\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rangeText(c.range, c.mark), c.text) << c.range.count;
        // Made in parts, the text is the same.
        const int32_t half = c.range.count / 2;
        EXPECT_EQ(rangeText(c.range, c.mark, 0, half) + rangeText(c.range, c.mark, half, c.range.count), c.text);
    }
    const RangeRequest r{0.001, 0.9, 10};
    EXPECT_EQ(rangeValue(r, 9), 0.9);
    EXPECT_EQ(rangeValue(r, 3), 0.001 + 3 * (0.9 - 0.001) / 9);
}

}  // namespace
}  // namespace quill
