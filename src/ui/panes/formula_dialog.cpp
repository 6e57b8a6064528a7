#include "ui/panes/formula_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <utility>

#include "analysis/formula.h"
#include "fill_dialog_parts.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/language.h"

namespace quill {

FormulaDialog::FormulaDialog(TextPane& pane, RangeFillStyle style, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), pane_(pane), style_(style) {
    using namespace captions;
    const bool english = style.english;
    setObjectName(QStringLiteral("FormulaDialog"));
    setWindowTitle(formula::kTitle.text(english));

    formulaEdit_ = new QLineEdit(this);
    formulaEdit_->setObjectName(QStringLiteral("EdtFormula"));
    formulaEdit_->setAccessibleName(formula::kFormula.text(english).remove(QLatin1Char('&')));
    formulaEdit_->setMinimumWidth(360);
    auto* label = new QLabel(formula::kFormula.text(english), this);
    label->setBuddy(formulaEdit_);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(formulaEdit_);

    problemLabel_ = fill_parts::problemLabel(*this, formula::kTitle.text(english));
    QDialogButtonBox* buttons = fill_parts::okCancel(*this, english);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(problemLabel_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool FormulaDialog::fill() {
    std::vector<double> coefficients;
    try {
        coefficients = expandFormula(formulaEdit_->text().toStdString(), style_.decimalMark);
    } catch (const FormulaError& e) {
        fill_parts::showProblem(problemLabel_, formulaEdit_, QString::fromStdString(e.message()));
        return false;
    }
    return fill_parts::fillOrExplain(pane_, coefficients, style_, problemLabel_, formulaEdit_);
}

void FormulaDialog::accept() {
    if (fill()) QDialog::accept();
}

void acceptFormulaFill(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style) {
    fill_parts::addMenuEntry<FormulaDialog>(pane, window, errors, std::move(style), captions::formula::kMenuEntry,
                                            "MnuFillFormula", true);
}

}  // namespace quill
