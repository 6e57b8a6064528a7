#pragma once
// What the plot page has on show, for its tests: the model, the frame, the
// view, the marks' texts, the point list, the last export's name, the
// crossings with the line y = c and the residual tooltips of a fit.

#include "ui/plot_page/plot_page.h"

namespace quill {

class PlotPageProbe {
public:
    static const plot::PlotModel& model(const PlotPage& page) { return page.model_; }
    static const plot::PlotFrame& frame(const PlotPage& page) { return page.frame_; }
    static plot::ViewRect currentView(const PlotPage& page) { return page.currentView(); }
    static QStringList markTexts(const PlotPage& page) { return page.markTexts(); }
    static QString fewDigitsTextAt(const PlotPage& page, double u, double v) { return page.fewDigitsTextAt(u, v); }
    static PointListDialog* pointList(const PlotPage& page) { return page.pointList_; }
    static const QString& lastExportName(const PlotPage& page) { return page.lastExportName_; }
    static const std::vector<InverseRoot>& crossings(const PlotPage& page) { return page.crossings_; }
    static QCPGraph* levelGraph(const PlotPage& page) { return page.levelGraph_; }
    static QString residualTextAt(const PlotPage& page, double u, double v) { return page.residualTextAt(u, v); }
};

}  // namespace quill
