#pragma once
// Evenly spaced x values: From, To and Count read as the panes' numbers are
// read, and the pane text that holds them, one value a line in the report's
// number format.

#include <cstdint>
#include <string>
#include <string_view>

namespace quill {

constexpr int32_t kMostRangeValues = 10'000'000;

struct RangeRequest {
    double from = 0.0;
    double to = 0.0;
    int32_t count = 0;
};

// Why a request is refused; the first fault found, From before To before Count.
enum class RangeFault {
    none,
    fromNotNumber,
    fromTooLarge,  // beyond the double range
    toNotNumber,
    toTooLarge,
    countNotAllowed,  // not a whole number from 1 to kMostRangeValues
    singleValueNeedsEqualEnds,
    tooWide,  // To - From, or a multiple of it on the way, is beyond the double range
};

// Reads the three texts with the pane's decimal mark. out is set only when
// the answer is RangeFault::none.
RangeFault readRange(std::string_view from, std::string_view to, std::string_view count, char decimalMark,
                     RangeRequest& out);

// Value i of count: From + i * (To - From) / (count - 1) in double
// arithmetic, the first exactly From and the last exactly To.
double rangeValue(const RangeRequest& range, int32_t i);

// The values as pane text, each followed by CR LF.
std::string rangeText(const RangeRequest& range, char decimalMark);
// Values first to end - 1 of them, the same text in parts.
std::string rangeText(const RangeRequest& range, char decimalMark, int32_t first, int32_t end);

}  // namespace quill
