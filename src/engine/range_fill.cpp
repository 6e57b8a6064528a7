#include "engine/range_fill.h"

#include <cmath>

#include "common/error.h"
#include "numtext/format.h"
#include "numtext/parse.h"

namespace quill {

namespace {

enum class Read { ok, notNumber, tooLarge };

Read readDouble(std::string_view text, char decimalMark, double& out) {
    Ext80 v;
    if (!tryTextToNumber(trimBlanks(text), decimalMark, v)) return Read::notNumber;
    try {
        out = narrowToDouble(v);
    } catch (const OverflowError&) {
        return Read::tooLarge;
    }
    return Read::ok;
}

}  // namespace

RangeFault readRange(std::string_view fromText, std::string_view toText, std::string_view countText, char decimalMark,
                     RangeRequest& out) {
    RangeRequest r;
    switch (readDouble(fromText, decimalMark, r.from)) {
        case Read::notNumber: return RangeFault::fromNotNumber;
        case Read::tooLarge: return RangeFault::fromTooLarge;
        case Read::ok: break;
    }
    switch (readDouble(toText, decimalMark, r.to)) {
        case Read::notNumber: return RangeFault::toNotNumber;
        case Read::tooLarge: return RangeFault::toTooLarge;
        case Read::ok: break;
    }
    double count = 0.0;
    if (readDouble(countText, decimalMark, count) != Read::ok || count != std::floor(count) || count < 1 ||
        count > kMostRangeValues) {
        return RangeFault::countNotAllowed;
    }
    r.count = static_cast<int32_t>(count);
    if (r.count == 1 && r.from != r.to) return RangeFault::singleValueNeedsEqualEnds;
    // i * (To - From) grows with i; the largest product used is that of the
    // last value but one (the last is To itself).
    if (!std::isfinite(r.to - r.from) || (r.count > 2 && !std::isfinite((r.count - 2) * (r.to - r.from)))) {
        return RangeFault::tooWide;
    }
    out = r;
    return RangeFault::none;
}

double rangeValue(const RangeRequest& range, int32_t i) {
    if (i == 0) return range.from;
    if (i == range.count - 1) return range.to;
    return range.from + i * (range.to - range.from) / (range.count - 1);
}

std::string rangeText(const RangeRequest& range, char decimalMark) {
    return rangeText(range, decimalMark, 0, range.count);
}

std::string rangeText(const RangeRequest& range, char decimalMark, int32_t first, int32_t end) {
    std::string text;
    if (end <= first) return text;
    text.resize(static_cast<std::size_t>(end - first) * (kMaxDoubleTextLength + 2));
    char* out = text.data();
    for (int32_t i = first; i < end; ++i) {
        out += doubleToText(rangeValue(range, i), decimalMark, out);
        *out++ = '\r';
        *out++ = '\n';
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

}  // namespace quill
