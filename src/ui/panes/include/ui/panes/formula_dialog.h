#pragma once
// "Fill from a formula…": a small dialog that asks for a formula such as
// (x-0.1)^3(2x+1) and puts its exact expansion, each coefficient rounded
// once and written in the fewest digits that read back as that double, into
// the coefficient pane in place of its text, as one step of the pane's Undo.
// A bad formula is explained in the dialog, which stays open. Its controls
// are found by object name: EdtFormula, LblProblem, PrbWorking, BtnOk,
// BtnCancel.

#include <QDialog>
#include <functional>

#include "ui/panes/range_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quill {

class DialogWork;
class ErrorRoute;
class TextPane;

class FormulaDialog : public QDialog {
    Q_OBJECT

public:
    FormulaDialog(TextPane& pane, RangeFillStyle style, QWidget* parent = nullptr);

    // OK: expands the formula (off the window's thread, with a busy bar
    // when it takes long) and fills the pane and closes, or stays open on a
    // bad formula.
    void accept() override;
    // The expansion is under way.
    bool working() const;

private:
    TextPane& pane_;
    RangeFillStyle style_;
    QLineEdit* formulaEdit_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    DialogWork* work_ = nullptr;
};

// Adds "Fill from a formula…" to the pane's context menu. The dialog opens as
// a command of window, with the style the window has at that moment.
void acceptFormulaFill(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style);

}  // namespace quill
