#pragma once
// Everything the plot shows, worked out without the widget: the report's
// points in view units, the view that fits them, and for any view the
// markers, the curve and the ticks to draw.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "plot/axis_map.h"
#include "plot/curve.h"
#include "plot/decimate.h"
#include "plot/span.h"

namespace quill::plot {

// The room left around the data by the fitting view, per side, as a share of its width.
constexpr double kFitMargin = 0.05;
// Samples of the curve between the points that the fitting view takes into account.
constexpr std::size_t kFitCurveColumns = 1024;

struct AxisTick {
    double position = 0.0;  // view units
    std::string label;      // the report's number text of the real value
};

struct PlotFrame {
    ViewRect view;
    std::vector<double> pointU, pointV;  // at most two markers per pixel column
    CurveSamples curve;                  // drawn v kept within a few view heights
    std::vector<AxisTick> xTicks, yTicks;
};

// What a frame is drawn for, besides its view: the plot's width in pixel
// columns, the decimal mark of the labels and the most ticks on each axis.
struct FrameSize {
    std::size_t columns = 1;
    char decimalMark = '.';
    int maxXTicks = 2, maxYTicks = 2;
    friend bool operator==(const FrameSize&, const FrameSize&) = default;
};

class PlotModel {
public:
    // The lists of a successful Solve: coefficients (lowest power first), the
    // x values and F at each of them. Keeps the chosen y scale.
    void setData(std::vector<double> coefficients, std::vector<double> x, std::vector<double> fx);
    std::size_t pointCount() const { return x_.size(); }
    // The report's points as given.
    const std::vector<double>& xValues() const { return x_; }
    const std::vector<double>& fxValues() const { return fx_; }
    const std::vector<double>& coefficients() const { return coefficients_; }
    // The point nearest to (u, v) in view units, measured in units of reach
    // (the distance rx across, ry up counts 1), if one lies within reach.
    std::optional<std::size_t> pointNear(double u, double v, double rx, double ry) const;

    void setYScale(YScale scale);
    YScale yScale() const { return ymap_.scale; }

    // Every point and the curve between the smallest and largest x, with a
    // margin. Without points: x from -1 to 1 and the curve there.
    ViewRect fitView() const;

    // What to draw in the view on a plot `columns` pixels wide.
    PlotFrame frame(const ViewRect& view, std::size_t columns, char decimalMark, int maxXTicks, int maxYTicks) const;
    PlotFrame frame(const ViewRect& view, const FrameSize& size) const;
    // Works out the frame of the fitting view ahead, on the thread that made
    // the model: frame() then hands it out at once for the same view and size,
    // until the data or the scale change.
    void prepareFitFrame(const FrameSize& size);

    double realX(double u) const { return xmap_.toReal(u); }
    double realY(double v) const { return ymap_.toReal(v); }
    double viewX(double x) const { return xmap_.toView(x); }
    double viewY(double y) const { return ymap_.toView(y); }

    // "x=<x>  y=<y>" for a place in view units, in the report's number text.
    std::string coordinateText(double u, double v, char decimalMark) const;

private:
    void mapPointsToView();

    bool hasData_ = false;
    std::vector<double> coefficients_, x_, fx_;
    std::vector<double> pu_, pv_;     // the points in view units
    std::vector<double> fitCurveY_;   // real F between the points, for the fitting view
    std::optional<Span> pointSpanU_;  // the points' u, when there are any
    struct Prepared {
        FrameSize size;
        PlotFrame frame;
    };
    std::optional<Prepared> prepared_;
    LinearMap xmap_;
    YMap ymap_;
};

}  // namespace quill::plot
