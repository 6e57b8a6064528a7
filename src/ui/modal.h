#pragma once
// Showing a window modally and closing a window, the one road for every way
// of closing (a button, Exit, the close box, Alt+F4).

#include <cstdint>

class QDialog;
class QWidget;

namespace quill {

// The result of a modal show: 0 none, 1 OK, 2 Cancel.
enum ModalResult : int32_t { mrNone = 0, mrOk = 1, mrCancel = 2 };

// Shows the dialog modally: every other window of the program takes no
// input until it closes; the window that was active and its focus come back
// afterwards. Returns the ModalResult: 1 from a button that accepts (the
// About box's OK), 2 from the close box, Escape or RequestClose.
// Raises Error "Cannot make a visible window modal" when the dialog is
// visible, disabled or already being shown modally.
int32_t RunModal(QDialog& dialog);

// Closes a window: a dialog being shown modally ends with Cancel (2); the
// main window ends the program (RequestQuit); any other window is hidden.
void RequestClose(QWidget& window);

// True while the dialog is being shown by RunModal.
bool IsShownModally(const QWidget& window);

}  // namespace quill
