#pragma once
// "Fill with a range…": a small dialog that asks for From, To and Count and
// puts Count evenly spaced values into a pane in place of its text, as one
// step the pane's Undo takes back. Bad entries are explained in the dialog,
// which stays open. Its controls are found by object name: EdtFrom, EdtTo,
// EdtCount, LblProblem (the reason for refusing an entry), BtnOk, BtnCancel.

#include <QDialog>
#include <functional>

#include "engine/range_fill.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace quill {

class ErrorRoute;

class TextPane;

// How the window shows numbers and captions at the moment.
struct RangeFillStyle {
    bool english = false;
    char decimalMark = '.';
};

class RangeDialog : public QDialog {
    Q_OBJECT

public:
    RangeDialog(TextPane& pane, RangeFillStyle style, QWidget* parent = nullptr);

    // The context menu entry's caption.
    static QString menuCaption(bool english);

    // Reads the entries and fills the pane; on a bad entry shows why, puts
    // the focus on that entry and returns false.
    bool fill();
    // OK: fills and closes, or stays open on a bad entry.
    void accept() override;

private:
    void showProblem(const QString& text, QLineEdit* entry);

    TextPane& pane_;
    RangeFillStyle style_;
    QLineEdit* fromEdit_ = nullptr;
    QLineEdit* toEdit_ = nullptr;
    QLineEdit* countEdit_ = nullptr;
    QLabel* problemLabel_ = nullptr;  // empty until an entry is refused
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// Adds "Fill with a range…" to the pane's context menu. The dialog opens as
// a command of window, with the style the window has at that moment.
void acceptRangeFill(TextPane& pane, QWidget* window, ErrorRoute& errors, std::function<RangeFillStyle()> style);

}  // namespace quill
