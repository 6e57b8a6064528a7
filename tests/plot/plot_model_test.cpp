#include "plot/plot_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "engine/list_reader.h"
#include "engine/poly_kernel.h"
#include "engine/solve.h"
#include "lines/line_list.h"
#include "lines/list_file.h"

namespace quill::plot {
namespace {

TEST(Curve, AgreesWithTheReportAtEveryPoint) {
    ByteLineList an, xPane;
    loadFromFile(an, QUILL_SAMPLE_DIR "/An.txt");
    loadFromFile(xPane, QUILL_SAMPLE_DIR "/X.txt");
    Solve solve({});
    solve.addXText(xPane.text());
    solve.finishX();
    const std::vector<double> a = readList(an.text(), '.');
    solve.compute(a);
    const std::vector<double> x = solve.xValues(), fx = solve.fxValues();
    ASSERT_EQ(x.size(), 7u);
    for (std::size_t j = 0; j < x.size(); ++j)
        EXPECT_EQ(std::bit_cast<uint64_t>(curveValue(a, x[j])), std::bit_cast<uint64_t>(fx[j]));
    // Across a view from x = -2 to 10 the end samples are exactly the report's F there.
    PlotModel model;
    model.setData(a, x, fx);
    const PlotFrame frame = model.frame({model.viewX(-2), model.viewX(10), -100, 100}, 300, '.', 8, 8);
    ASSERT_EQ(frame.curve.u.size(), 301u);
    EXPECT_TRUE(frame.curve.exact);
    EXPECT_EQ(model.realY(frame.curve.v.front()), fx[0]);
    EXPECT_EQ(model.realX(frame.curve.u.back()), 10.0);
}

TEST(Curve, OverflowIsAGapNotAnError) {
    const struct {
        std::vector<double> an;
        double x;
    } rows[] = {{{0, 1e200}, 1e200}, {{DBL_MAX, DBL_MAX}, 1}, {{1, 1, 1}, INFINITY}, {{1, 0, 0, 0, 1e10}, 1e100}};
    for (const auto& row : rows) {
        EXPECT_TRUE(std::isnan(curveValue(row.an, row.x)));
        EXPECT_TRUE(std::isnan(quickCurveValue(row.an, row.x)));
    }
    EXPECT_EQ(curveValue({}, 5.0), 0.0);  // no coefficients: F is 0
    // Where u stands for an x past the double range there is no curve, not a
    // flat line at the largest double.
    const CurveSamples past = sampleCurve({0, 1}, LinearMap(1023), YMap{}, -2.5, 2.5, 4);
    EXPECT_TRUE(std::isnan(past.v[0]) && std::isnan(past.v[4]));
    EXPECT_EQ(past.v[2], 0.0);
}

TEST(Curve, LongPolynomialsAreSampledQuicklyAndStillClose) {
    // A thousand coefficients would cost half a million products a sample.
    std::vector<double> an(1000);
    for (std::size_t i = 0; i < an.size(); ++i) an[i] = (i % 7 == 0 ? -1.0 : 0.5) / static_cast<double>(i + 1);
    const CurveSamples quick = sampleCurve(an, LinearMap(0), YMap{}, -0.99, 0.99, 800);
    EXPECT_FALSE(quick.exact);
    ASSERT_EQ(quick.u.size(), 801u);  // still one per column
    for (std::size_t i = 0; i < quick.u.size(); i += 80) {
        const double exact = curveValue(an, quick.u[i]);
        EXPECT_NEAR(quick.v[i], exact, 1e-12 * (1 + std::fabs(exact)));
    }
    EXPECT_TRUE(sampleCurve({1, 2, 3}, LinearMap(0), YMap{}, 0, 1, 800).exact);
    // Absurdly long ones thin out rather than hang.
    const CurveSamples thin = sampleCurve(std::vector<double>(1'000'000, 1.0), LinearMap(0), YMap{}, -0.5, 0.5, 800);
    EXPECT_LE(static_cast<double>(thin.u.size()) * 1e6, kQuickCurveBudget + 1e6);
}

TEST(PlotModel, AnySolveFitsAndDrawsSensibly) {
    const double sub = std::ldexp(1.0, -1074);
    const struct {
        const char* name;
        std::vector<double> an, x;
    } rows[] = {
        {"sample", {1, -3, 0.5, 2}, {-2, -1, 0, 0.5, 1, 2.5, 10}},
        {"no coefficients", {}, {1, 2, 3}},
        {"no x values", {1, -2, 0.5}, {}},
        {"nothing", {}, {}},
        {"one x", {1, 2, 3}, {4}},
        {"all x equal", {0, 1}, std::vector<double>(1000, 2.0)},
        {"x across the whole range", {0, 1}, {-DBL_MAX, DBL_MAX, 0}},
        {"F at the top of the range", {DBL_MAX}, {-1, 1}},
        {"subnormal x", {0, 1}, {sub, 2 * sub, 5 * sub}},
        {"subnormal and huge together", {0, 1}, {sub, 1e300}},
        {"curve overflows in the margin", {1, 0, 1e298}, {-1.3e5, 1.3e5}},
    };
    for (const auto& row : rows) {
        std::vector<double> fx;
        for (const double x : row.x) fx.push_back(evaluatePolynomial(row.an, x));
        PlotModel model;
        model.setData(row.an, row.x, fx);
        for (const YScale scale : {YScale::linear, YScale::symlog}) {
            model.setYScale(scale);
            const std::string what = std::string(row.name) + (scale == YScale::symlog ? " (log)" : "");
            const ViewRect fit = model.fitView();
            // What the widget takes: finite, inside 1e250, wider than 1e-280.
            for (const double v : {fit.u0, fit.u1, fit.v0, fit.v1}) EXPECT_LT(std::fabs(v), 1e250) << what;
            EXPECT_TRUE(fit.u1 - fit.u0 > 1e-280 && fit.v1 - fit.v0 > 1e-280) << what;
            // Fitted, zoomed far in and far out: every point in view shows, the
            // curve stays near the view, readable ticks on both axes.
            const double mu = fit.u0 / 2 + fit.u1 / 2, mv = fit.v0 / 2 + fit.v1 / 2;
            for (const ViewRect& view :
                 {fit, ViewRect{mu, mu + 1e-270, mv, mv + 1e-270}, ViewRect{-1e249, 1e249, -1e249, 1e249}}) {
                const PlotFrame frame = model.frame(view, 640, '.', 8, 8);
                const bool fitted = &view == &fit;
                EXPECT_TRUE(!fitted || frame.pointU.empty() == row.x.empty()) << what;
                EXPECT_LE(frame.pointU.size(), 2 * 640u) << what;
                for (const double v : frame.curve.v) EXPECT_TRUE(std::isnan(v) || std::fabs(v) < 1e251) << what;
                EXPECT_LE(frame.xTicks.size(), 18u);
                EXPECT_TRUE(!fitted || (frame.xTicks.size() >= 2 && frame.yTicks.size() >= 2)) << what;
            }
        }
    }
}

// A frame worked out ahead is the one frame() would draw: handed out for its
// own view and size only, and never once the scale has changed.
TEST(PlotModel, PreparedFitFrameIsTheFrameDrawn) {
    PlotModel model;
    model.setData({1, -3, 0.5}, {-2, -1, 0.5, 3, 7}, {1, 2, -1, 30, 100});
    const FrameSize size{300, ',', 4, 5};
    model.prepareFitFrame(size);
    const auto same = [](const PlotFrame& a, const PlotFrame& b) {
        const auto labels = [](const std::vector<AxisTick>& ticks) {
            std::vector<std::string> l;
            for (const AxisTick& t : ticks) l.push_back(t.label);
            return l;
        };
        return a.pointU == b.pointU && a.pointV == b.pointV && a.curve.v == b.curve.v &&
               labels(a.xTicks) == labels(b.xTicks) && labels(a.yTicks) == labels(b.yTicks);
    };
    PlotModel fresh = model;
    fresh.setData({1, -3, 0.5}, {-2, -1, 0.5, 3, 7}, {1, 2, -1, 30, 100});
    const ViewRect fit = model.fitView();
    const ViewRect moved{fit.u0 + 1, fit.u1, fit.v0, fit.v1};
    const FrameSize wider{301, ',', 4, 5}, dotted{300, '.', 4, 5};
    for (const auto& [view, at] : {std::pair{fit, size}, {moved, size}, {fit, wider}, {fit, dotted}})
        EXPECT_TRUE(same(model.frame(view, at), fresh.frame(view, at)));
    model.setYScale(YScale::symlog);
    fresh.setYScale(YScale::symlog);
    EXPECT_TRUE(same(model.frame(fit, size), fresh.frame(fit, size)));
}

TEST(PlotModel, FitTakesInTheCurveBetweenThePoints) {
    // F = x^2 - 1 at x = -2 and 2: both points at 3, the curve dips to -1 between.
    PlotModel model;
    model.setData({-1, 0, 1}, {-2, 2}, {3, 3});
    const ViewRect fit = model.fitView();
    EXPECT_EQ(model.realX(fit.u0), -2.2);
    EXPECT_EQ(model.realX(fit.u1), 2.2);
    EXPECT_NEAR(model.realY(fit.v0), -1.2, 1e-12);
    EXPECT_NEAR(model.realY(fit.v1), 3.2, 1e-12);
}

// The point under the mouse: the nearest within reach (an ellipse rx
// across, ry up), none beyond it, NaN never.
TEST(PlotModel, PointNearIsTheNearestWithinReach) {
    PlotModel model;
    model.setData({0, 1}, {0, 1, 1, 2}, {0, 1, NAN, 2});
    const double u1 = model.viewX(1), v1 = model.viewY(1);
    const struct {
        double du, dv, rx, ry;
        std::optional<std::size_t> found;
    } cases[] = {
        {0, 0, 0.01, 0.01, 1},           // on it
        {0.009, 0, 0.01, 0.01, 1},       // inside across
        {0.011, 0, 0.01, 0.01, {}},      // just beyond
        {0.008, 0.008, 0.01, 0.01, {}},  // outside the ellipse though inside its box
        {0, 0.2, 0.01, 0.5, 1},          // a tall reach
    };
    for (const auto& c : cases) EXPECT_EQ(model.pointNear(u1 + c.du, v1 + c.dv, c.rx, c.ry), c.found) << c.du;
    EXPECT_EQ(model.pointNear(model.viewX(2), model.viewY(2) + 1e-9, 0.01, 0.01), std::optional<std::size_t>(3));
}

TEST(PlotModel, CoordinatesAndTicksInTheReportsNumberText) {
    PlotModel model;
    model.setData({1, 2, 3}, {2, 0.5}, {17, 2.75});
    EXPECT_EQ(model.coordinateText(model.viewX(0.5), model.viewY(2.75), '.'), "x=0.5  y=2.75");
    EXPECT_EQ(model.coordinateText(model.viewX(1.0 / 3), model.viewY(-1e-5), ','), "x=0,333333333333333  y=-1E-5");
    model.setYScale(YScale::symlog);
    EXPECT_EQ(model.coordinateText(model.viewX(0.5), model.viewY(2.75), ','), "x=0,5  y=2,75");
    const PlotFrame frame = model.frame(model.fitView(), 100, ',', 8, 8);
    for (const AxisTick& t : frame.xTicks) EXPECT_EQ(t.label.find('.'), std::string::npos) << t.label;
}

}  // namespace
}  // namespace quill::plot
