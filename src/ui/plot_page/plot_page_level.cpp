// The plot page's line y = c and its crossings with the curve, and the
// measured points of a fit with their residuals.

#include <QLineEdit>
#include <memory>

#include "common/error.h"
#include "engine/poly_kernel.h"
#include "numtext/parse.h"
#include "plot_page_text.h"
#include "qcustomplot.h"
#include "ui/plot_page/plot_page.h"
#include "ui/plot_page/point_list_dialog.h"
#include "ui/shared/language.h"
#include "ui/shared/window_task.h"

namespace quill {

using namespace plot_page;

void PlotPage::showFit(plot::PlotModel model) {
    showSolve(std::move(model));
    fitShown_ = true;
}

void PlotPage::applyLevelEntry() {
    const QByteArray text = levelEdit_->text().toUtf8();
    const std::string_view entry =
        trimBlanks(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (entry.empty()) {
        setLevel(std::nullopt);
        return;
    }
    level_ = textToDouble(entry, decimalMark_);
    findCrossings(true);
}

void PlotPage::setLevel(std::optional<double> level) {
    level_ = level;
    findCrossings(false);
}

bool PlotPage::searchingCrossings() const { return crossingTask_->running(); }

void PlotPage::findCrossings(bool announce) {
    crossingTask_->cancel();
    const std::vector<double>& coefficients = model_.coefficients();
    if (!level_ || coefficients.empty()) {
        showCrossings({});
        return;
    }
    // The search works on its own copies; its list comes back through done.
    auto found = std::make_shared<InverseList>();
    auto job = [found, a = coefficients, y = *level_](const std::atomic<bool>& cancel) {
        *found = invertPolynomial(a, std::span(&y, 1), std::nullopt, 0, &cancel);
    };
    crossingTask_->start(std::move(job), [this, found, announce](std::exception_ptr error) {
        if (!error) {
            showCrossings(std::move(found->roots));
            return;
        }
        showCrossings({});
        // A constant curve has no crossings to show, whatever the level; only
        // the entry's own command says why.
        if (announce && !isAbort(error)) errors_.routeError(error);
    });
}

void PlotPage::showCrossings(std::vector<InverseRoot> crossings) {
    crossings_ = std::move(crossings);
    pointList_->setCrossings(level_.value_or(0.0), crossings_);
    gatherMarks();
}

QString PlotPage::residualTextAt(double u, double v) const {
    if (!fitShown_) return {};
    // The reach of the hover in view units, across and up.
    const double rx = std::abs(plot_->xAxis->pixelToCoord(kHoverPixels) - plot_->xAxis->pixelToCoord(0));
    const double ry = std::abs(plot_->yAxis->pixelToCoord(kHoverPixels) - plot_->yAxis->pixelToCoord(0));
    const std::optional<std::size_t> i = model_.pointNear(u, v, rx, ry);
    if (!i) return {};
    const std::vector<double>& a = model_.coefficients();
    const double x = model_.xValues()[*i], y = model_.fxValues()[*i];
    double fx = 0.0;
    // Where F(x) overflows, the residual is infinite, as the fit's statistics say.
    const double residual = evaluatePolynomialAt(a.data(), a.size(), x, fx) ? y - fx : (y > 0 ? HUGE_VAL : -HUGE_VAL);
    return captions::analysis::kResidualTip.text(english_).arg(
        numberLabel(x, decimalMark_), numberLabel(y, decimalMark_), numberLabel(residual, decimalMark_));
}

}  // namespace quill
