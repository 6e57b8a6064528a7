#pragma once
// Where a window goes when it is centred: on the monitor that holds the mouse
// pointer, not in the middle of the whole desktop, which with several
// monitors may fall between them.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace quill {

// The top-left corner that centres a window of outer size `outer` on the
// screen (of `screens`) that contains `pointer`, or on `primary` when none
// does.
QPoint centredOnPointerScreen(const QList<QRect>& screens, const QRect& primary, const QPoint& pointer,
                              const QSize& outer);

// Moves the window there, with the screens and pointer of the running
// application. Without any screen the window stays where the system put it.
void centreOnPointerScreen(QWidget& window);

}  // namespace quill
