#include "ui/shared/dialog_support.h"

#include <QDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "ui/shared/screen_placement.h"

namespace quill {

QDialog::DialogCode runDialogModal(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected;
}

QString dialogFontFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const char* name : {"宋体", "SimSun"}) {
        const QString family = QString::fromUtf8(name);
        if (installed.contains(family, Qt::CaseInsensitive)) return family;
    }
    return QStringLiteral("WenQuanYi Micro Hei");
}

QFont dialogFont(int pixelSize) {
    QFont font(dialogFontFamily());
    font.setPixelSize(pixelSize);
    return font;
}

void placeAtFirstShow(QWidget& window, FirstShowPlacement placement, bool& placed) {
    if (placed) return;
    placed = true;
    if (placement == FirstShowPlacement::pointerScreenCentre) {
        centreOnPointerScreen(window);
        return;
    }

    QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;  // no screen at all: leave the position to the system
    const QRect area = screen->geometry();

    // The outer size where the frame is known already, the client size otherwise.
    const QSize outer = window.frameGeometry().size();
    window.move(centredOnPointerScreen({}, area, QPoint(), outer));
}

}  // namespace quill
