#include "plot/decimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace quill::plot {
namespace {

struct Extremes {
    double lowV = INFINITY, highV = -INFINITY;
};

// The same column rule as the widget's pixels: [u0, u1] cut into equal
// columns, u1 itself in the last one.
std::size_t ColumnOf(double u, const ViewRect& r, std::size_t columns) {
    const auto c = static_cast<std::size_t>((u - r.u0) * (static_cast<double>(columns) / (r.u1 - r.u0)));
    return c < columns ? c : columns - 1;
}

TEST(DecimateByColumn, KeepsEachColumnsLowestAndHighestPoint) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> any(-2.0, 2.0);
    for (const std::size_t columns : {1u, 7u, 640u}) {
        const ViewRect rect{-1.0, 1.5, -0.5, 1.0};
        std::vector<double> u(20000), v(u.size());
        for (std::size_t i = 0; i < u.size(); ++i) {
            u[i] = any(random);
            v[i] = i % 97 == 0 ? NAN : any(random);
        }
        u[0] = rect.u1;  // the right edge belongs to the last column
        v[0] = rect.v1;

        std::map<std::size_t, Extremes> expected;
        for (std::size_t i = 0; i < u.size(); ++i) {
            if (!(u[i] >= rect.u0 && u[i] <= rect.u1 && v[i] >= rect.v0 && v[i] <= rect.v1)) continue;
            Extremes& e = expected[ColumnOf(u[i], rect, columns)];
            e.lowV = std::fmin(e.lowV, v[i]);
            e.highV = std::fmax(e.highV, v[i]);
        }

        std::vector<double> outU, outV;
        DecimateByColumn(u.data(), v.data(), u.size(), rect, columns, outU, outV);
        ASSERT_EQ(outU.size(), outV.size());
        EXPECT_LE(outU.size(), 2 * columns);

        std::map<std::size_t, Extremes> kept;
        for (std::size_t k = 0; k < outU.size(); ++k) {
            if (k > 0) {
                EXPECT_LE(outU[k - 1], outU[k]);  // sorted for the widget
            }
            // Every marker is one of the input points, inside the view.
            Extremes& e = kept[ColumnOf(outU[k], rect, columns)];
            e.lowV = std::fmin(e.lowV, outV[k]);
            e.highV = std::fmax(e.highV, outV[k]);
        }
        ASSERT_EQ(kept.size(), expected.size());
        for (const auto& [column, e] : expected) {
            EXPECT_EQ(kept[column].lowV, e.lowV) << "column " << column;
            EXPECT_EQ(kept[column].highV, e.highV) << "column " << column;
        }
        EXPECT_EQ(kept[columns - 1].highV, rect.v1);
    }
}

TEST(DecimateByColumn, EdgeCases) {
    std::vector<double> outU{9.0}, outV{9.0};
    const ViewRect rect{0.0, 1.0, 0.0, 1.0};
    DecimateByColumn(nullptr, nullptr, 0, rect, 100, outU, outV);
    EXPECT_TRUE(outU.empty() && outV.empty());  // replaced, not appended

    // A million equal points: one marker.
    const std::vector<double> same(1000000, 0.25);
    DecimateByColumn(same.data(), same.data(), same.size(), rect, 800, outU, outV);
    EXPECT_EQ(outU, std::vector<double>{0.25});

    // Two points in one column: the lower first when it lies to the left.
    const std::vector<double> u{0.52, 0.51}, v{0.9, 0.1};
    DecimateByColumn(u.data(), v.data(), 2, rect, 10, outU, outV);
    EXPECT_EQ(outU, (std::vector<double>{0.51, 0.52}));
    EXPECT_EQ(outV, (std::vector<double>{0.1, 0.9}));

    // No columns at all still means one.
    DecimateByColumn(u.data(), v.data(), 2, rect, 0, outU, outV);
    EXPECT_EQ(outU.size(), 2u);
}

}  // namespace
}  // namespace quill::plot
