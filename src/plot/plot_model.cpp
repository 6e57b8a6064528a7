#include "plot/plot_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "numtext/format.h"
#include "plot/ticks.h"

namespace quill::plot {

namespace {

// How far past the view the curve's drawn points may lie. A sample beyond it
// moves towards the view along its own column only, so the visible part of
// every segment keeps its place to within a pixel, and the widget never
// draws to coordinates near the double range.
constexpr double kCurveOvershoot = 4.0;

const Span kDefaultSpan{-1.0, 1.0};

template <class Map>
std::vector<AxisTick> Label(const std::vector<double>& realTicks, const Map& map, char decimalMark) {
    std::vector<AxisTick> ticks;
    ticks.reserve(realTicks.size());
    for (const double t : realTicks) ticks.push_back({map.ToView(t), DoubleToText(t, decimalMark)});
    return ticks;
}

bool HasNonZero(const std::vector<double>& values) {
    return std::any_of(values.begin(), values.end(), [](double v) { return v != 0.0 && std::isfinite(v); });
}

}  // namespace

void PlotModel::SetData(std::vector<double> coefficients, std::vector<double> x, std::vector<double> fx) {
    an_ = std::move(coefficients);
    x_ = std::move(x);
    fx_ = std::move(fx);
    fx_.resize(x_.size(), 0.0);  // one F per x, whatever the caller passed
    hasData_ = true;

    xmap_ = LinearMap::ForValues(x_.data(), x_.size());
    pu_.resize(x_.size());
    for (std::size_t i = 0; i < x_.size(); ++i) pu_[i] = xmap_.ToView(x_[i]);
    pointSpanU_ = FiniteSpan(pu_.data(), pu_.size());

    // The curve between the points counts for the fit as much as the points:
    // it may swing far beyond them.
    fitCurveY_.clear();
    if (!pointSpanU_ || pointSpanU_->hi > pointSpanU_->lo) {
        const Span span = pointSpanU_.value_or(kDefaultSpan);
        fitCurveY_ = SampleCurve(an_, xmap_, YMap{}, span.lo, span.hi, kFitCurveColumns).v;
    }

    std::vector<double> everyY = fx_;
    everyY.insert(everyY.end(), fitCurveY_.begin(), fitCurveY_.end());
    ymap_.linear = LinearMap::ForValues(everyY.data(), everyY.size());
    // The curve passes close to zero near every root; only the points decide
    // how small the logarithmic axis goes, unless there are none.
    const std::vector<double>& decider = HasNonZero(fx_) ? fx_ : fitCurveY_;
    ymap_.symlog = SymlogMap::ForValues(decider.data(), decider.size());
    MapPointsToView();
}

void PlotModel::SetYScale(YScale scale) {
    if (ymap_.scale == scale) return;
    ymap_.scale = scale;
    MapPointsToView();
}

void PlotModel::MapPointsToView() {
    pv_.resize(fx_.size());
    for (std::size_t i = 0; i < fx_.size(); ++i) pv_[i] = ymap_.ToView(fx_[i]);
}

ViewRect PlotModel::FitView() const {
    const Span u = WithMargin(pointSpanU_.value_or(kDefaultSpan), kFitMargin);

    std::vector<double> curveV(fitCurveY_.size());
    for (std::size_t i = 0; i < fitCurveY_.size(); ++i) curveV[i] = ymap_.ToView(fitCurveY_[i]);
    const std::optional<Span> v =
        Union(FiniteSpan(pv_.data(), pv_.size()), FiniteSpan(curveV.data(), curveV.size()));
    // Nothing finite to show (or nothing yet): -1 to 1 around zero.
    const Span vm = WithMargin(v.value_or(Span{0.0, 0.0}), kFitMargin);
    return ViewRect{u.lo, u.hi, vm.lo, vm.hi};
}

PlotFrame PlotModel::Frame(const ViewRect& view, std::size_t columns, char decimalMark, int maxXTicks,
                           int maxYTicks) const {
    PlotFrame frame;
    frame.view = view;
    columns = std::max<std::size_t>(columns, 1);
    DecimateByColumn(pu_.data(), pv_.data(), pu_.size(), view, columns, frame.pointU, frame.pointV);

    if (hasData_) {
        frame.curve = SampleCurve(an_, xmap_, ymap_, view.u0, view.u1, columns);
        const double height = view.v1 - view.v0;
        const double below = view.v0 - kCurveOvershoot * height;
        const double above = view.v1 + kCurveOvershoot * height;
        for (double& v : frame.curve.v) {
            if (v < below) v = below;
            if (v > above) v = above;  // NaN stays: a gap
        }
    }

    frame.xTicks = Label(LinearTicks(xmap_.ToReal(view.u0), xmap_.ToReal(view.u1), maxXTicks), xmap_, decimalMark);
    const std::vector<double> yTicks =
        ymap_.scale == YScale::linear
            ? LinearTicks(ymap_.ToReal(view.v0), ymap_.ToReal(view.v1), maxYTicks)
            : SymlogTicks(ymap_.symlog, view.v0, view.v1, maxYTicks);
    frame.yTicks = Label(yTicks, ymap_, decimalMark);
    return frame;
}

std::string PlotModel::CoordinateText(double u, double v, char decimalMark) const {
    return "x=" + DoubleToText(RealX(u), decimalMark) + "  y=" + DoubleToText(RealY(v), decimalMark);
}

}  // namespace quill::plot
