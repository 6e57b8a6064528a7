#include "plot/csv_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quill::plot {
namespace {

TEST(CsvTableTest, HeaderThenOneRowPerPointWithADot) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::vector<double> x, fx;
        std::string_view csv;
    } cases[] = {
        {{}, {}, "x,F(x)\n"},
        {{-2, 0.5, 1e-20}, {-7, 1.25, -123456789012345678.0}, "x,F(x)\n-2,-7\n0.5,1.25\n1E-20,-1.23456789012346E17\n"},
        {{1, 2}, {inf, -inf}, "x,F(x)\n1,INF\n2,-INF\n"},
        {{1, 2, 3}, {4}, "x,F(x)\n1,4\n"},  // stops at the shorter list
    };
    for (const auto& c : cases) EXPECT_EQ(csvTable(c.x, c.fx), c.csv);
}

}  // namespace
}  // namespace quill::plot
