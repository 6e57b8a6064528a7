#include "plot/decimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace quill::plot {
namespace {

// Against a plain count per column: every column's lowest and highest
// visible point survive, nothing else, in u order.
TEST(DecimateByColumn, KeepsEachColumnsLowestAndHighestPoint) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> any(-2.0, 2.0);
    const ViewRect rect{-1.0, 1.5, -0.5, 1.0};
    for (const std::size_t columns : {1u, 7u, 640u}) {
        std::vector<double> u(20000), v(u.size());
        for (std::size_t i = 0; i < u.size(); ++i) {
            u[i] = any(random);
            v[i] = i % 97 == 0 ? NAN : any(random);
        }
        u[0] = rect.u1;  // the right edge belongs to the last column
        v[0] = rect.v1;
        const auto columnOf = [&](double pu) {
            const auto c =
                static_cast<std::size_t>((pu - rect.u0) * (static_cast<double>(columns) / (rect.u1 - rect.u0)));
            return std::min(c, columns - 1);
        };
        std::map<std::size_t, std::pair<double, double>> expected, kept;
        const auto note = [](auto& m, std::size_t c, double pv) {
            auto [it, fresh] = m.try_emplace(c, pv, pv);
            it->second = {std::fmin(it->second.first, pv), std::fmax(it->second.second, pv)};
        };
        for (std::size_t i = 0; i < u.size(); ++i) {
            if (u[i] >= rect.u0 && u[i] <= rect.u1 && v[i] >= rect.v0 && v[i] <= rect.v1)
                note(expected, columnOf(u[i]), v[i]);
        }
        std::vector<double> outU, outV;
        decimateByColumn(u.data(), v.data(), u.size(), rect, columns, outU, outV);
        ASSERT_EQ(outU.size(), outV.size());
        EXPECT_LE(outU.size(), 2 * columns);
        for (std::size_t k = 0; k < outU.size(); ++k) {
            EXPECT_TRUE(k == 0 || outU[k - 1] <= outU[k]);
            note(kept, columnOf(outU[k]), outV[k]);
        }
        EXPECT_EQ(kept, expected);
    }
}

TEST(DecimateByColumn, EdgeCases) {
    std::vector<double> outU{9.0}, outV{9.0};
    const ViewRect rect{0.0, 1.0, 0.0, 1.0};
    decimateByColumn(nullptr, nullptr, 0, rect, 100, outU, outV);
    EXPECT_TRUE(outU.empty() && outV.empty());  // replaced, not appended
    const std::vector<double> same(1000000, 0.25);
    decimateByColumn(same.data(), same.data(), same.size(), rect, 800, outU, outV);
    EXPECT_EQ(outU, std::vector<double>{0.25});
    const std::vector<double> u{0.52, 0.51}, v{0.9, 0.1};
    decimateByColumn(u.data(), v.data(), 2, rect, 0, outU, outV);  // no columns still means one
    EXPECT_EQ(outU, (std::vector<double>{0.51, 0.52}));
    EXPECT_EQ(outV, (std::vector<double>{0.1, 0.9}));
}

}  // namespace
}  // namespace quill::plot
