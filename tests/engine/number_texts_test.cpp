#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/number_texts.h"

namespace quill {
namespace {

// Every text read back is the one numberText writes, packed or not (hex, or
// a text with a letter but E), and a reader writes no byte past the room
// the report's lines give it.
TEST(NumberTexts, ReadBackAsWritten) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -7.0,
                                  0.1,
                                  12.5,
                                  -123.456,
                                  1e300,
                                  -2.5e-7,
                                  6.80375434309419,
                                  -4.94065645841247e-324,  // the longest text
                                  std::numeric_limits<double>::max(),
                                  1e15,
                                  123456789012345.0};
    struct Case {
        char mark;
        bool hex, infinity;
    };
    for (const Case c : {Case{'.', false, false}, Case{',', false, false}, Case{'!', false, false},
                         Case{'.', true, false}, Case{'.', false, true}}) {
        SCOPED_TRACE(std::string(1, c.mark) + (c.hex ? " hex" : "") + (c.infinity ? " INF" : ""));
        if (c.infinity) values.push_back(-std::numeric_limits<double>::infinity());
        ReportStyle style;
        style.decimalMark = c.mark;
        style.hexNumbers = c.hex;
        const NibbleCode code(c.mark);
        NumberTexts texts;
        texts.make(values.data(), values.size(), style, code);
        ASSERT_EQ(texts.count(), values.size());
        NumberTexts::Reader reader = texts.reader();
        for (const double v : values) {
            char expected[kNumber], got[NumberTexts::kTextRoom + 1];
            got[NumberTexts::kTextRoom] = '#';
            const std::size_t length = numberText(v, style, expected);
            ASSERT_EQ(reader.next(got), length) << v;
            EXPECT_EQ(std::string(got, length), std::string(expected, length));
            EXPECT_EQ(got[NumberTexts::kTextRoom], '#');
        }
    }
}

TEST(IndexText, CountsUpAcrossEveryCarry) {
    for (const std::size_t first : {0u, 7u, 98u, 999u, 99999u, 2147483600u}) {
        IndexText index(first);
        for (std::size_t i = first; i < first + 40; ++i, index.next()) {
            char text[kMaxIntegerTextLength];
            ASSERT_EQ(std::string(text, index.put(text)), std::to_string(i));
        }
    }
}

}  // namespace
}  // namespace quill
