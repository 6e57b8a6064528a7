#include "ui/dialog_support.h"

#include <QDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "ui/screen_placement.h"

namespace quill {

QDialog::DialogCode RunDialogModal(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected;
}

QString DialogFontFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const char* name : {"宋体", "SimSun"}) {
        const QString family = QString::fromUtf8(name);
        if (installed.contains(family, Qt::CaseInsensitive)) return family;
    }
    return QStringLiteral("WenQuanYi Micro Hei");
}

QFont DialogFont(int pixelSize) {
    QFont font(DialogFontFamily());
    font.setPixelSize(pixelSize);
    return font;
}

void PlaceAtFirstShow(QWidget& window, FirstShowPlacement placement, bool& placed) {
    if (placed) return;
    placed = true;
    if (placement == FirstShowPlacement::pointerScreenCentre) {
        CentreOnPointerScreen(window);
        return;
    }

    QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;  // no screen at all: leave the position to the system
    const QRect area = screen->geometry();

    // The outer size where the frame is known already, the client size otherwise.
    const QSize outer = window.frameGeometry().size();
    window.move(CentredOnPointerScreen({}, area, QPoint(), outer));
}

}  // namespace quill
