#include "ui/panes/formula_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

#include "analysis/formula.h"
#include "fill_dialog_parts.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/command_guard.h"
#include "ui/shared/language.h"
#include "ui/shared/modal.h"

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
    const std::string text = fill_parts::coefficientText(coefficients, style_.decimalMark);
    PaneText& lines = pane_.lines();
    if (static_cast<int64_t>(text.size()) > lines.capacity()) {
        fill_parts::showProblem(problemLabel_, formulaEdit_, captions::formula::kTooLong.text(style_.english));
        return false;
    }
    lines.edit(TextPos{}, lines.end(), text);
    pane_.setCaret(TextPos{});
    return true;
}

void FormulaDialog::accept() {
    if (fill()) QDialog::accept();
}

void acceptFormulaFill(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style) {
    QObject::connect(&pane, &TextPane::contextMenuBuilt, window, [&pane, window, &errors, style](QMenu* menu) {
        menu->addSeparator();
        QAction* entry = menu->addAction(captions::formula::kMenuEntry.text(style().english));
        entry->setObjectName(QStringLiteral("MnuFillFormula"));
        connectCommand(entry, &QAction::triggered, window, errors, [&pane, window, style] {
            FormulaDialog dialog(pane, style(), window);
            runModal(dialog);
        });
    });
}

}  // namespace quill
