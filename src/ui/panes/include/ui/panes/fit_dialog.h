#pragma once
// "Fit to points…": a dialog that takes measured points (pasted, or loaded
// from a list file, one a line: x,y or x y, optionally a weight) and a
// degree, and puts the certified least-squares coefficients into the
// coefficient pane in place of its text, as one step of the pane's Undo.
// Bad points or too few of them are explained in the dialog, which stays
// open. A long load or fit runs off the window's thread with a busy bar;
// Cancel gives it up. Its controls are found by object name: EdtPoints,
// BtnLoadPoints, SpnDegree, LblProblem, PrbWorking, BtnOk, BtnCancel.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "plot/plot_model.h"
#include "ui/panes/range_dialog.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace quill {

class DialogWork;
class ErrorRoute;
class FileDialog;
class TextPane;

// Where a fit goes besides the pane: the measured points and the fitted
// curve, as the plot shows them.
using FitShown = std::function<void(plot::PlotModel points)>;

class FitDialog : public QDialog {
    Q_OBJECT

public:
    FitDialog(TextPane& pane, RangeFillStyle style, QWidget* parent = nullptr);

    // The open dialog of Load (none: one of the dialog's own).
    void setOpenDialog(FileDialog* dialog) { openDialog_ = dialog; }
    void setFitShown(FitShown shown) { shown_ = std::move(shown); }
    // Puts a list file's points into the dialog, read as a pane loads it
    // (lines/list_file.h): into the entry, or when too long to show there,
    // kept aside with its name in the empty entry; a problem is shown.
    void loadPoints(const QString& path);
    // Starts the fit; on its end fills the pane and closes, or shows why not.
    void accept() override;
    // A load or a fit is under way.
    bool working() const;

private:
    void showOutcome(std::exception_ptr error);

    TextPane& pane_;
    RangeFillStyle style_;
    FileDialog* openDialog_ = nullptr;
    FitShown shown_;
    QPlainTextEdit* pointsEdit_ = nullptr;
    QPushButton* loadButton_ = nullptr;
    QSpinBox* degreeBox_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    DialogWork* work_ = nullptr;
    // A loaded file too long for the entry; the points while the entry is empty.
    std::shared_ptr<const std::string> loaded_;
};

// Adds "Fit to points…" to the pane's context menu, as acceptFormulaFill;
// Load uses openDialog, and each fit goes to shown as well.
void acceptPointFit(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style,
                    FileDialog* openDialog = nullptr, FitShown shown = {});

}  // namespace quill
