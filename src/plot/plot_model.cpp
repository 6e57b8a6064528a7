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
std::vector<AxisTick> labelled(const std::vector<double>& realTicks, const Map& map, char decimalMark) {
    std::vector<AxisTick> ticks;
    ticks.reserve(realTicks.size());
    for (const double t : realTicks) ticks.push_back({map.toView(t), doubleToText(t, decimalMark)});
    return ticks;
}

bool hasNonZero(const std::vector<double>& values) {
    return std::any_of(values.begin(), values.end(), [](double v) { return v != 0.0 && std::isfinite(v); });
}

}  // namespace

void PlotModel::setData(std::vector<double> coefficients, std::vector<double> x, std::vector<double> fx) {
    coefficients_ = std::move(coefficients);
    x_ = std::move(x);
    fx_ = std::move(fx);
    fx_.resize(x_.size(), 0.0);  // one F per x, whatever the caller passed
    hasData_ = true;
    prepared_.reset();

    xmap_ = LinearMap::forValues(x_.data(), x_.size());
    pu_.resize(x_.size());
    for (std::size_t i = 0; i < x_.size(); ++i) pu_[i] = xmap_.toView(x_[i]);
    pointSpanU_ = finiteSpan(pu_.data(), pu_.size());

    // The curve between the points counts for the fit as much as the points:
    // it may swing far beyond them.
    fitCurveY_.clear();
    if (!pointSpanU_ || pointSpanU_->hi > pointSpanU_->lo) {
        const Span span = pointSpanU_.value_or(kDefaultSpan);
        fitCurveY_ = sampleCurve(coefficients_, xmap_, YMap{}, span.lo, span.hi, kFitCurveColumns).v;
    }

    std::vector<double> everyY = fx_;
    everyY.insert(everyY.end(), fitCurveY_.begin(), fitCurveY_.end());
    ymap_.linear = LinearMap::forValues(everyY.data(), everyY.size());
    // The curve passes close to zero near every root; only the points decide
    // how small the logarithmic axis goes, unless there are none.
    const std::vector<double>& decider = hasNonZero(fx_) ? fx_ : fitCurveY_;
    ymap_.symlog = SymlogMap::forValues(decider.data(), decider.size());
    mapPointsToView();
}

void PlotModel::setYScale(YScale scale) {
    if (ymap_.scale == scale) return;
    ymap_.scale = scale;
    prepared_.reset();
    mapPointsToView();
}

void PlotModel::mapPointsToView() {
    pv_.resize(fx_.size());
    for (std::size_t i = 0; i < fx_.size(); ++i) pv_[i] = ymap_.toView(fx_[i]);
}

ViewRect PlotModel::fitView() const {
    const Span u = withMargin(pointSpanU_.value_or(kDefaultSpan), kFitMargin);

    std::vector<double> curveV(fitCurveY_.size());
    for (std::size_t i = 0; i < fitCurveY_.size(); ++i) curveV[i] = ymap_.toView(fitCurveY_[i]);
    const std::optional<Span> v = unionOf(finiteSpan(pv_.data(), pv_.size()), finiteSpan(curveV.data(), curveV.size()));
    // Nothing finite to show (or nothing yet): -1 to 1 around zero.
    const Span vm = withMargin(v.value_or(Span{0.0, 0.0}), kFitMargin);
    return ViewRect{u.lo, u.hi, vm.lo, vm.hi};
}

void PlotModel::prepareFitFrame(const FrameSize& size) {
    prepared_.reset();
    prepared_ = Prepared{size, frame(fitView(), size)};
}

PlotFrame PlotModel::frame(const ViewRect& view, const FrameSize& size) const {
    return frame(view, size.columns, size.decimalMark, size.maxXTicks, size.maxYTicks);
}

PlotFrame PlotModel::frame(const ViewRect& view, std::size_t columns, char decimalMark, int maxXTicks,
                           int maxYTicks) const {
    if (prepared_ && prepared_->size == FrameSize{columns, decimalMark, maxXTicks, maxYTicks}) {
        const ViewRect& at = prepared_->frame.view;
        if (at.u0 == view.u0 && at.u1 == view.u1 && at.v0 == view.v0 && at.v1 == view.v1) return prepared_->frame;
    }
    PlotFrame frame;
    frame.view = view;
    columns = std::max<std::size_t>(columns, 1);
    decimateByColumn(pu_.data(), pv_.data(), pu_.size(), view, columns, frame.pointU, frame.pointV);

    if (hasData_) {
        frame.curve = sampleCurve(coefficients_, xmap_, ymap_, view.u0, view.u1, columns);
        const double height = view.v1 - view.v0;
        const double below = view.v0 - kCurveOvershoot * height;
        const double above = view.v1 + kCurveOvershoot * height;
        for (double& v : frame.curve.v) {
            if (v < below) v = below;
            if (v > above) v = above;  // NaN stays: a gap
        }
    }

    frame.xTicks = labelled(linearTicks(xmap_.toReal(view.u0), xmap_.toReal(view.u1), maxXTicks), xmap_, decimalMark);
    const std::vector<double> yTicks = ymap_.scale == YScale::linear
                                           ? linearTicks(ymap_.toReal(view.v0), ymap_.toReal(view.v1), maxYTicks)
                                           : symlogTicks(ymap_.symlog, view.v0, view.v1, maxYTicks);
    frame.yTicks = labelled(yTicks, ymap_, decimalMark);
    return frame;
}

std::optional<std::size_t> PlotModel::pointNear(double u, double v, double rx, double ry) const {
    std::optional<std::size_t> nearest;
    double best = 1.0;
    for (std::size_t i = 0; i < pu_.size(); ++i) {
        const double du = (pu_[i] - u) / rx, dv = (pv_[i] - v) / ry;
        const double d = du * du + dv * dv;  // NaN never counts
        if (d <= best) {
            best = d;
            nearest = i;
        }
    }
    return nearest;
}

std::string PlotModel::coordinateText(double u, double v, char decimalMark) const {
    return "x=" + doubleToText(realX(u), decimalMark) + "  y=" + doubleToText(realY(v), decimalMark);
}

}  // namespace quill::plot
