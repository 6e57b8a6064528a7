#pragma once
// Showing a dialog modally, one show at a time, with the active window and
// the keyboard focus given back afterwards.

#include <QDialog>

class QWidget;

namespace quill {

// Shows the dialog modally: every other window of the program takes no
// input until it closes; the window that was active and its focus come back
// afterwards. Accepted from a button that accepts (the About box's OK),
// Rejected from every other ending: the close box, Escape.
// Raises Error "Cannot make a visible window modal" when the dialog is
// visible, disabled or already being shown modally.
QDialog::DialogCode runModal(QDialog& dialog);

// True while the dialog is being shown by runModal.
bool isShownModally(const QWidget& window);

}  // namespace quill
