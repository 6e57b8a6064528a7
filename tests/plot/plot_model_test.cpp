#include "plot/plot_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "engine/evaluator.h"
#include "lines/line_list.h"
#include "lines/list_file.h"

namespace quill::plot {
namespace {

const double kSubnormal = std::ldexp(1.0, -1074);

struct SolveLists {
    std::vector<double> an, x, fx;
};

// The sample files through the real Solve, as the window would hand them over.
SolveLists SampleSolve() {
    ByteLineList an, x, result;
    LoadFromFile(an, QUILL_SAMPLE_DIR "/An.txt");
    LoadFromFile(x, QUILL_SAMPLE_DIR "/X.txt");
    Evaluator evaluator;
    evaluator.Solve(an, x, result, true, ReportStyle{});
    return {evaluator.DataAn(), evaluator.DataX(), evaluator.DataFx()};
}

TEST(Curve, AgreesWithTheReportAtEveryPoint) {
    const SolveLists s = SampleSolve();
    ASSERT_EQ(s.x.size(), 7u);
    for (std::size_t j = 0; j < s.x.size(); ++j) {
        EXPECT_EQ(std::bit_cast<uint64_t>(CurveValue(s.an, s.x[j])), std::bit_cast<uint64_t>(s.fx[j])) << s.x[j];
    }
    // Sampled across a view whose edges are two of the x values, the curve's
    // first and last samples are exactly the report's F there.
    PlotModel model;
    model.SetData(s.an, s.x, s.fx);
    const ViewRect view{model.ViewX(-2), model.ViewX(10), -100, 100};
    const PlotFrame frame = model.Frame(view, 300, '.', 8, 8);
    ASSERT_EQ(frame.curve.u.size(), 301u);
    EXPECT_TRUE(frame.curve.exact);
    EXPECT_EQ(model.RealY(frame.curve.v.front()), CurveValue(s.an, -2));
    EXPECT_EQ(model.RealX(frame.curve.u.back()), 10.0);
}

TEST(Curve, OverflowIsAGapNotAnError) {
    const struct {
        std::vector<double> an;
        double x;
    } rows[] = {
        {{0, 1e200}, 1e200},          // a product beyond the range
        {{DBL_MAX, DBL_MAX}, 1},      // a sum beyond it
        {{1, 1, 1}, INFINITY},        // no such x, but no error either
        {{1, 0, 0, 0, 1e10}, 1e100},  // x^4 on the way
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(std::isnan(CurveValue(row.an, row.x)));
        EXPECT_TRUE(std::isnan(QuickCurveValue(row.an, row.x)));
    }
    EXPECT_EQ(CurveValue({}, 5.0), 0.0);  // no coefficients: F is 0
    EXPECT_EQ(QuickCurveValue({}, 5.0), 0.0);
}

TEST(Curve, LongPolynomialsAreSampledQuicklyAndStillClose) {
    // 1000 coefficients: the report's rules would cost half a million
    // products per sample. The quick sum keeps one sample per column.
    std::vector<double> an(1000);
    for (std::size_t i = 0; i < an.size(); ++i) an[i] = (i % 7 == 0 ? -1.0 : 0.5) / static_cast<double>(i + 1);
    const CurveSamples quick = SampleCurve(an, LinearMap(0), YMap{}, -0.99, 0.99, 800);
    EXPECT_FALSE(quick.exact);
    ASSERT_EQ(quick.u.size(), 801u);
    for (std::size_t i = 0; i < quick.u.size(); i += 80) {
        const double exact = CurveValue(an, quick.u[i]);
        EXPECT_NEAR(quick.v[i], exact, 1e-12 * (1 + std::fabs(exact))) << quick.u[i];
    }
    // Short ones by the report's rules.
    EXPECT_TRUE(SampleCurve({1, 2, 3}, LinearMap(0), YMap{}, 0, 1, 800).exact);
    // Absurdly long ones thin out rather than hang.
    const std::vector<double> huge(1'000'000, 1.0);
    const CurveSamples thin = SampleCurve(huge, LinearMap(0), YMap{}, -0.5, 0.5, 800);
    EXPECT_LE(static_cast<double>(thin.u.size()) * 1e6, kQuickCurveBudget + 1e6);
    EXPECT_EQ(thin.u.back(), 0.5);
}

// What the widget can take: finite ranges, wider than 1e-280, inside 1e250.
void ExpectDrawable(const ViewRect& r, const std::string& what) {
    for (const double v : {r.u0, r.u1, r.v0, r.v1}) {
        EXPECT_TRUE(std::isfinite(v)) << what;
        EXPECT_LT(std::fabs(v), 1e250) << what;
    }
    EXPECT_GT(r.u1 - r.u0, 1e-280) << what;
    EXPECT_GT(r.v1 - r.v0, 1e-280) << what;
}

TEST(PlotModel, AnySolveFitsAndDrawsSensibly) {
    const double big = 1.7976931348623157e308;
    std::vector<double> thousandTwos(1000, 2.0);
    const struct {
        const char* name;
        std::vector<double> an, x;
    } rows[] = {
        {"sample", SampleSolve().an, SampleSolve().x},
        {"no coefficients", {}, {1, 2, 3}},
        {"no x values", {1, -2, 0.5}, {}},
        {"nothing", {}, {}},
        {"one x", {1, 2, 3}, {4}},
        {"all x equal", {0, 1}, thousandTwos},
        {"x across the whole range", {0, 1}, {-big, big, 0}},
        {"F at the top of the range", {big}, {-1, 1}},
        {"subnormal x", {0, 1}, {kSubnormal, 2 * kSubnormal, 5 * kSubnormal}},
        {"subnormal and huge together", {0, 1}, {kSubnormal, 1e300}},
        {"curve overflows in the margin", {1, 0, 1e298}, {-1.3e5, 1.3e5}},
        {"zero x", {5}, {0, -0.0}},
    };
    for (const auto& row : rows) {
        std::vector<double> fx;
        for (const double x : row.x) fx.push_back(EvaluatePolynomial(row.an, x));
        PlotModel model;
        model.SetData(row.an, row.x, fx);
        for (const YScale scale : {YScale::linear, YScale::symlog}) {
            model.SetYScale(scale);
            const std::string what = std::string(row.name) + (scale == YScale::symlog ? " (log)" : "");
            const ViewRect fit = model.FitView();
            ExpectDrawable(fit, what);

            const PlotFrame frame = model.Frame(fit, 640, '.', 8, 8);
            // Every point is in the fitting view, so every column that has
            // points shows at least one.
            EXPECT_EQ(frame.pointU.empty(), row.x.empty()) << what;
            EXPECT_LE(frame.pointU.size(), 2 * 640u) << what;
            for (const double v : frame.curve.v) {
                EXPECT_TRUE(std::isnan(v) || std::fabs(v) < 1e250) << what;
            }
            EXPECT_GE(frame.xTicks.size(), 2u) << what;
            EXPECT_GE(frame.yTicks.size(), 2u) << what;
            for (const AxisTick& t : frame.xTicks) EXPECT_TRUE(t.position >= fit.u0 && t.position <= fit.u1) << what;
            for (const AxisTick& t : frame.yTicks) EXPECT_TRUE(t.position >= fit.v0 && t.position <= fit.v1) << what;
        }
    }
}

TEST(PlotModel, FitLeavesAMarginAroundThePointsAndTheCurveBetweenThem) {
    // F = x^2 - 1 at x = -2 and 2: both points at 3, the curve dips to -1 between.
    PlotModel model;
    model.SetData({-1, 0, 1}, {-2, 2}, {3, 3});
    const ViewRect fit = model.FitView();
    EXPECT_EQ(model.RealX(fit.u0), -2.2);
    EXPECT_EQ(model.RealX(fit.u1), 2.2);
    EXPECT_NEAR(model.RealY(fit.v0), -1.2, 1e-12);
    EXPECT_NEAR(model.RealY(fit.v1), 3.2, 1e-12);
}

TEST(PlotModel, CoordinatesInTheReportsNumberText) {
    PlotModel model;
    model.SetData({1, 2, 3}, {2, 0.5}, {17, 2.75});
    EXPECT_EQ(model.CoordinateText(model.ViewX(0.5), model.ViewY(2.75), '.'), "x=0.5  y=2.75");
    EXPECT_EQ(model.CoordinateText(model.ViewX(1.0 / 3), model.ViewY(-1e-5), ','), "x=0,333333333333333  y=-1E-5");
    model.SetYScale(YScale::symlog);
    EXPECT_EQ(model.CoordinateText(model.ViewX(0.5), model.ViewY(2.75), ','), "x=0,5  y=2,75");
    EXPECT_EQ(model.Frame(model.FitView(), 100, ',', 8, 8).xTicks.at(1).label.find('.'), std::string::npos);
}

TEST(PlotModel, AMillionPointsBecomeAtMostTwoAColumn) {
    std::vector<double> x(1'000'000), fx(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = -3.0 + 6.0 * static_cast<double>(i * 7919 % x.size()) / static_cast<double>(x.size());
        fx[i] = EvaluatePolynomial({1, -3, 0.5, 2}, x[i]);
    }
    PlotModel model;
    model.SetData({1, -3, 0.5, 2}, x, fx);
    const PlotFrame frame = model.Frame(model.FitView(), 780, '.', 8, 8);
    EXPECT_GT(frame.pointU.size(), 780u);  // a steep curve: two per column
    EXPECT_LE(frame.pointU.size(), 2 * 780u);
}

}  // namespace
}  // namespace quill::plot
