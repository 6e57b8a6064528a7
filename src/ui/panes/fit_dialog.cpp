#include "ui/panes/fit_dialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <utility>

#include "analysis/fit.h"
#include "common/error.h"
#include "engine/point_list.h"
#include "fill_dialog_parts.h"
#include "ui/panes/text_pane.h"

namespace quill {

FitDialog::FitDialog(TextPane& pane, RangeFillStyle style, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), pane_(pane), style_(style) {
    using namespace captions;
    const bool english = style.english;
    setObjectName(QStringLiteral("FitDialog"));
    setWindowTitle(fit::kTitle.text(english));

    pointsEdit_ = new QPlainTextEdit(this);
    pointsEdit_->setObjectName(QStringLiteral("EdtPoints"));
    pointsEdit_->setAccessibleName(fit::kPoints.text(english).remove(QLatin1Char('&')));
    pointsEdit_->setTabChangesFocus(true);
    pointsEdit_->setMinimumSize(360, 200);
    degreeBox_ = new QSpinBox(this);
    degreeBox_->setObjectName(QStringLiteral("SpnDegree"));
    degreeBox_->setRange(0, kMaxFitDegree);
    degreeBox_->setValue(1);
    degreeBox_->setAccessibleName(fit::kDegree.text(english).remove(QLatin1Char('&')));

    auto* pointsLabel = new QLabel(fit::kPoints.text(english), this);
    pointsLabel->setBuddy(pointsEdit_);
    auto* degreeLabel = new QLabel(fit::kDegree.text(english), this);
    degreeLabel->setBuddy(degreeBox_);
    auto* form = new QFormLayout;
    form->addRow(degreeLabel, degreeBox_);

    problemLabel_ = fill_parts::problemLabel(*this, fit::kTitle.text(english));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pointsLabel);
    layout->addWidget(pointsEdit_);
    layout->addLayout(form);
    layout->addWidget(problemLabel_);
    layout->addWidget(fill_parts::okCancel(*this, english));
}

bool FitDialog::fill() {
    FitResult fit;
    try {
        const PointColumns points = readPoints(pointsEdit_->toPlainText().toStdString(), style_.decimalMark);
        fit = fitPolynomial(points.x, points.y, points.w, degreeBox_->value());
    } catch (const ValueError& e) {
        QString text = QString::fromStdString(e.message());
        if (e.lineIndex() >= 0) text = QStringLiteral("%1: %2").arg(e.lineIndex() + 1).arg(text);
        fill_parts::showProblem(problemLabel_, pointsEdit_, text);
        return false;
    } catch (const FitError& e) {
        fill_parts::showProblem(problemLabel_, pointsEdit_, QString::fromStdString(e.message()));
        return false;
    }
    return fill_parts::fillOrExplain(pane_, fit.coefficients, style_, problemLabel_, pointsEdit_);
}

void FitDialog::accept() {
    if (fill()) QDialog::accept();
}

void acceptPointFit(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style) {
    fill_parts::addMenuEntry<FitDialog>(pane, window, errors, std::move(style), captions::fit::kMenuEntry,
                                        "MnuFitPoints", false);
}

}  // namespace quill
