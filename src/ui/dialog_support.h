#pragma once
// What the phone and About dialogs share: their font, their placement at the
// first show, and the result a modal show hands back.

#include <QFont>
#include <QString>

class QDialog;
class QWidget;

namespace quill {

// Results of a modal show: 0 none, 1 OK, 2 Cancel.
constexpr int kModalResultNone = 0;
constexpr int kModalResultOk = 1;
constexpr int kModalResultCancel = 2;

// QDialog::exec() gives 1 only when the dialog was accepted (the About box's
// OK button); every other ending (its own done(2), a close box, Escape,
// Rejected = 0) counts as Cancel.
constexpr int ModalResultFromExec(int execResult) {
    return execResult == kModalResultOk ? kModalResultOk : kModalResultCancel;
}

// Shows the dialog modally and returns its ModalResult (1 or 2).
int RunDialogModal(QDialog& dialog);

// "宋体" (or SimSun) when installed, otherwise WenQuanYi Micro Hei, which the
// program's packages bring along; sized in pixels so the layout holds at any DPI.
QString DialogFontFamily();
QFont DialogFont(int pixelSize);

// Where a window goes the first time it is shown: the centre of its screen,
// or the centre of the screen that holds the mouse pointer.
enum class FirstShowPlacement { screenCentre, pointerScreenCentre };

// Moves the window to the centre of that screen the first time it
// is called for that window (placed is the window's own flag) and does
// nothing afterwards, so a window the user moved comes back where it was.
// Call it from showEvent before QDialog::showEvent: the explicit move also
// stops QDialog from re-centring the window over its parent at every show.
void PlaceAtFirstShow(QWidget& window, FirstShowPlacement placement, bool& placed);

}  // namespace quill
