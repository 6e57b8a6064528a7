// The plot page's marks: the roots and turning points that the analysis of
// the Solve on show found, and the report points with few correct digits;
// hovering them, stepping through them with the keyboard, and their list.

#include <QFileDialog>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "plot_page_text.h"
#include "qcustomplot.h"
#include "ui/plot_page/plot_page.h"
#include "ui/plot_page/point_list_dialog.h"
#include "ui/shared/language.h"

namespace quill {

using namespace plot_page;

void PlotPage::showAnalysis(const AnalysisOutcome& analysis) {
    analysisMarks_.clear();
    for (const PolynomialRoot& r : analysis.roots.roots)
        if (r.im == 0.0 && std::isfinite(r.re)) analysisMarks_.push_back({r.re, 0.0, MarkKind::root, r.multiplicity});
    for (const TurningPoint& p : analysis.turningPoints.points)
        if (std::isfinite(p.x) && std::isfinite(p.fx))
            analysisMarks_.push_back({p.x, p.fx, MarkKind::turning, 0, p.kind});
    fewDigits_ = analysis.fewDigits;
    pointList_->setLists(analysis.roots, analysis.turningPoints, decimalMark_);
    gatherMarks();
}

void PlotPage::gatherMarks() {
    marks_ = analysisMarks_;
    for (const InverseRoot& r : crossings_)
        if (std::isfinite(r.x)) marks_.push_back({r.x, *level_, MarkKind::crossing, r.multiplicity});
    std::stable_sort(marks_.begin(), marks_.end(), [](const Mark& a, const Mark& b) { return a.x < b.x; });
    selectedMark_ = -1;
    frameStale_ = true;
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void PlotPage::clearAnalysis() { showAnalysis(AnalysisOutcome{}); }

QPointF PlotPage::markPlace(const Mark& mark) const { return {model_.viewX(mark.x), model_.viewY(mark.y)}; }

QString PlotPage::markText(const Mark& mark) const {
    if (mark.mark == MarkKind::root)
        return captions::analysis::kRootTip.text(english_)
            .arg(numberLabel(mark.x, decimalMark_))
            .arg(mark.multiplicity);
    if (mark.mark == MarkKind::crossing)
        return captions::analysis::kCrossingTip.text(english_)
            .arg(numberLabel(mark.x, decimalMark_), numberLabel(mark.y, decimalMark_))
            .arg(mark.multiplicity);
    const std::string_view kind = turningKindName(mark.kind);
    return captions::analysis::kTurningTip.text(english_).arg(
        numberLabel(mark.x, decimalMark_), numberLabel(mark.y, decimalMark_),
        QString::fromLatin1(kind.data(), static_cast<qsizetype>(kind.size())));
}

QString PlotPage::fewDigitsText(const FewDigitsPoint& point) const {
    return captions::analysis::kDigitsTip.text(english_).arg(
        numberLabel(point.x, decimalMark_), numberLabel(point.fx, decimalMark_), numberLabel(point.exact, decimalMark_),
        QString::number(point.digits));
}

QStringList PlotPage::markTexts() const {
    QStringList texts;
    for (const Mark& mark : marks_) texts.push_back(markText(mark));
    return texts;
}

QString PlotPage::fewDigitsTextAt(double u, double v) const {
    const double x = plot_->xAxis->coordToPixel(u), y = plot_->yAxis->coordToPixel(v);
    for (const std::size_t i : fewDigitsShown_) {
        const FewDigitsPoint& p = fewDigits_[i];
        if (std::hypot(plot_->xAxis->coordToPixel(model_.viewX(p.x)) - x,
                       plot_->yAxis->coordToPixel(model_.viewY(p.fx)) - y) <= kHoverPixels)
            return fewDigitsText(p);
    }
    return {};
}

void PlotPage::stepMark(int step) {
    if (marks_.empty()) return;
    const int count = static_cast<int>(marks_.size());
    selectMark(selectedMark_ < 0 ? (step > 0 ? 0 : count - 1) : std::clamp(selectedMark_ + step, 0, count - 1));
}

void PlotPage::selectMark(int index) {
    selectedMark_ = index;
    const QPointF place = markPlace(marks_[static_cast<std::size_t>(index)]);
    // A mark out of the view brings the view to it, at the same size.
    plot::ViewRect view = currentView();
    if (place.x() < view.u0 || place.x() > view.u1) {
        const double half = (view.u1 - view.u0) / 2;
        view.u0 = place.x() - half;
        view.u1 = place.x() + half;
    }
    if (place.y() < view.v0 || place.y() > view.v1) {
        const double half = (view.v1 - view.v0) / 2;
        view.v0 = place.y() - half;
        view.v1 = place.y() + half;
    }
    setView(view);
    plot_->replot(QCustomPlot::rpImmediateRefresh);
    const QString text = markText(marks_[static_cast<std::size_t>(index)]);
    const QPoint pixel(static_cast<int>(plot_->xAxis->coordToPixel(place.x())),
                       static_cast<int>(plot_->yAxis->coordToPixel(place.y())));
    QToolTip::showText(plot_->mapToGlobal(pixel), text, plot_);
    emit coordinatesChanged(text);
}

void PlotPage::showPointList() {
    pointList_->show();
    pointList_->raise();
    pointList_->activateWindow();
}

void PlotPage::exportPointList(const std::string& table) {
    QString name = chooseSaveName_
                       ? chooseSaveName_(pointList_, lastExportName_)
                       : QFileDialog::getSaveFileName(pointList_, captions::analysis::kExportCsv.text(english_),
                                                      QString(), QStringLiteral("CSV (*.csv)"));
    if (name.isEmpty()) return;  // Cancel
    if (!hasSuffix(name, "csv")) name += QStringLiteral(".csv");
    saveFile(name, QByteArray::fromRawData(table.data(), static_cast<qsizetype>(table.size())));
}

void PlotPage::drawMarks(const plot::ViewRect& view, int columns) {
    // Per kind of mark (MarkKind order), then the one selected.
    QVector<double> u[4], v[4];
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        const QPointF place = markPlace(marks_[i]);
        const auto kind = static_cast<std::size_t>(marks_[i].mark);
        u[kind].push_back(place.x());
        v[kind].push_back(place.y());
        if (static_cast<int>(i) == selectedMark_) {
            u[3].push_back(place.x());
            v[3].push_back(place.y());
        }
    }
    QCPGraph* graphs[] = {rootGraph_, turningGraph_, crossingGraph_, selectedGraph_};
    for (std::size_t k = 0; k < 4; ++k) graphs[k]->setData(u[k], v[k], true);
    // The line y = c across the view.
    const double level = level_ ? model_.viewY(*level_) : NAN;
    levelGraph_->setData(QVector<double>{view.u0, view.u1}, QVector<double>{level, level}, true);
    // The points with few correct digits in the view, at most two a pixel
    // column, as the points themselves are thinned.
    fewDigitsShown_.clear();
    std::vector<unsigned char> inColumn(static_cast<std::size_t>(columns), 0);
    QVector<double> fewU, fewV;
    for (std::size_t i = 0; i < fewDigits_.size(); ++i) {
        const double u = model_.viewX(fewDigits_[i].x), v = model_.viewY(fewDigits_[i].fx);
        if (!(u >= view.u0 && u <= view.u1 && v >= view.v0 && v <= view.v1)) continue;
        const auto column = std::min(static_cast<std::size_t>((u - view.u0) / (view.u1 - view.u0) * columns),
                                     static_cast<std::size_t>(columns - 1));
        if (inColumn[column]++ >= 2) continue;
        fewDigitsShown_.push_back(i);
        fewU.push_back(u);
        fewV.push_back(v);
    }
    fewDigitsGraph_->setData(fewU, fewV, true);
}

QString PlotPage::markTextAt(const QPoint& position, double u, double v) const {
    for (const Mark& mark : marks_) {
        const QPointF place = markPlace(mark);
        if (std::hypot(plot_->xAxis->coordToPixel(place.x()) - position.x(),
                       plot_->yAxis->coordToPixel(place.y()) - position.y()) <= kHoverPixels)
            return markText(mark);
    }
    const QString few = fewDigitsTextAt(u, v);
    return few.isEmpty() ? residualTextAt(u, v) : few;
}

}  // namespace quill
