#include "ui/panes/formula_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "analysis/formula.h"
#include "dialog_work.h"
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
    work_ = new DialogWork(*this, {formulaEdit_, buttons->findChild<QWidget*>("BtnOk")});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(problemLabel_);
    layout->addWidget(work_->bar());
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool FormulaDialog::working() const { return work_->running(); }

// An expansion cannot be stopped half-way: Cancel lets it run to its end
// aside and drops what it gives.
void FormulaDialog::accept() {
    auto out = std::make_shared<std::vector<double>>();
    auto job = [out, formula = formulaEdit_->text().toStdString(),
                mark = style_.decimalMark](const std::atomic<bool>&) { *out = expandFormula(formula, mark); };
    work_->start(captions::formula::kExpanding, style_.english, std::move(job), [this, out](std::exception_ptr error) {
        try {
            if (error) std::rethrow_exception(error);
        } catch (const std::exception& e) {
            fill_parts::showProblem(problemLabel_, formulaEdit_, QString::fromStdString(e.what()));
            return;
        }
        if (fill_parts::fillOrExplain(pane_, *out, style_, problemLabel_, formulaEdit_)) QDialog::accept();
    });
}

void acceptFormulaFill(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style) {
    fill_parts::addMenuEntry<FormulaDialog>(pane, window, errors, std::move(style), captions::formula::kMenuEntry,
                                            "MnuFillFormula", true);
}

}  // namespace quill
