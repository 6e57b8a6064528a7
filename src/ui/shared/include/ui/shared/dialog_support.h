#pragma once
// What the windows share: their font, their placement at the first show, and
// the result a modal show hands back.

#include <QDialog>
#include <QFont>
#include <QString>

class QWidget;

namespace quill {

// Shows the dialog modally: Accepted only when it was accepted (the About
// box's OK button); every other ending counts as Rejected.
QDialog::DialogCode runDialogModal(QDialog& dialog);

// "宋体" (or SimSun) when installed, otherwise WenQuanYi Micro Hei, which the
// program's packages bring along; sized in pixels so the layout holds at any DPI.
QString dialogFontFamily();
QFont dialogFont(int pixelSize);

// Where a window goes the first time it is shown: the centre of its screen,
// or the centre of the screen that holds the mouse pointer.
enum class FirstShowPlacement { screenCentre, pointerScreenCentre };

// Moves the window to the centre of that screen the first time it
// is called for that window (placed is the window's own flag) and does
// nothing afterwards, so a window the user moved comes back where it was.
// Call it from showEvent before QDialog::showEvent: the explicit move also
// stops QDialog from re-centring the window over its parent at every show.
void placeAtFirstShow(QWidget& window, FirstShowPlacement placement, bool& placed);

}  // namespace quill
