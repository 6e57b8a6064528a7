#include "ui/shared/screen_placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quill {

QPoint centredOnPointerScreen(const QList<QRect>& screens, const QRect& primary, const QPoint& pointer,
                              const QSize& outer) {
    QRect area = primary;
    for (const QRect& screen : screens) {
        if (screen.contains(pointer)) {
            area = screen;
            break;
        }
    }
    return {area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2};
}

void centreOnPointerScreen(QWidget& window) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->geometry());
    // The outer size where the frame is known already, the client size otherwise.
    window.move(centredOnPointerScreen(screens, primary->geometry(), QCursor::pos(), window.frameGeometry().size()));
}

}  // namespace quill
