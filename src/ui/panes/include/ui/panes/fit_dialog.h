#pragma once
// "Fit to points…": a dialog that takes measured points (pasted, one a line:
// x,y or x y, optionally a weight) and a degree, and puts the certified
// least-squares coefficients into the coefficient pane in place of its text,
// as one step of the pane's Undo. Bad points or too few of them are
// explained in the dialog, which stays open. Its controls are found by
// object name: EdtPoints, SpnDegree, LblProblem, BtnOk, BtnCancel.

#include <QDialog>
#include <functional>

#include "ui/panes/range_dialog.h"

class QLabel;
class QPlainTextEdit;
class QSpinBox;

namespace quill {

class ErrorRoute;
class TextPane;

class FitDialog : public QDialog {
    Q_OBJECT

public:
    FitDialog(TextPane& pane, RangeFillStyle style, QWidget* parent = nullptr);

    // Fits and fills the pane; on bad points shows why and returns false.
    bool fill();
    void accept() override;

private:
    TextPane& pane_;
    RangeFillStyle style_;
    QPlainTextEdit* pointsEdit_ = nullptr;
    QSpinBox* degreeBox_ = nullptr;
    QLabel* problemLabel_ = nullptr;
};

// Adds "Fit to points…" to the pane's context menu, as acceptFormulaFill.
void acceptPointFit(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style);

}  // namespace quill
