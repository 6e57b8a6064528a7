// Points as text for the fit: separators, the header, weights and the line
// an error names.
#include <gtest/gtest.h>

#include "common/error.h"
#include "engine/point_list.h"

namespace quill {
namespace {

TEST(PointList, ReadsEveryLayout) {
    const struct {
        const char* text;
        char mark;
        std::vector<double> x, y, w;
    } cases[] = {
        {"x,y\n1,2\n3,4\n", '.', {1, 3}, {2, 4}, {}},
        {"1 2\r\n\r\n3\t4.5\r\n", '.', {1, 3}, {2, 4.5}, {}},
        {"1,5;2\n3;4,25\n", ',', {1.5, 3}, {2, 4.25}, {}},
        {"1 2\n3 4 0.5\n5 6\n", '.', {1, 3, 5}, {2, 4, 6}, {1, 0.5, 1}},
        {"0.1,1e3", '.', {0.1}, {1000}, {}},
    };
    for (const auto& c : cases) {
        const PointColumns p = readPoints(c.text, c.mark);
        EXPECT_EQ(p.x, c.x) << c.text;
        EXPECT_EQ(p.y, c.y) << c.text;
        EXPECT_EQ(p.w, c.w) << c.text;
    }
}

TEST(PointList, ErrorsNameTheLine) {
    const struct {
        const char* text;
        int64_t line;
        const char* message;
    } cases[] = {
        {"1,2\n3,x\n", 1, "'x' is not a valid floating point value"},
        {"x,y\n1\n", 1, "a point is x and y, and optionally a weight, but this line has 1 field"},
        {"1 2 3 4\n", 0, "a point is x and y, and optionally a weight, but this line has 4 fields"},
        {"1,1e400\n", 0, "Floating point overflow"},
        {"x,y\n\n", -1, "no points"},
    };
    for (const auto& c : cases) {
        try {
            readPoints(c.text, '.');
            ADD_FAILURE() << c.text;
        } catch (const ValueError& e) {
            EXPECT_EQ(e.lineIndex(), c.line) << c.text;
            EXPECT_EQ(e.message(), c.message) << c.text;
        }
    }
}

}  // namespace
}  // namespace quill
