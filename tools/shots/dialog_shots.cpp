// Saves a picture of each information dialog, as a user would see its inside:
//   quill_dialog_shots OUTPUT_FOLDER
// writes about-box.png, phone-dialog.png and range-dialog.png there.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "ui/dialogs/about_box.h"
#include "ui/dialogs/phone_dialog.h"
#include "ui/panes/range_dialog.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/program_icon.h"

namespace {

bool shoot(QDialog& dialog, const QString& path) {
    dialog.show();
    // Let the window system map and paint it before grabbing.
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    const bool saved = dialog.grab().save(path);
    dialog.hide();
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(quill::programIcon());
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: quill_dialog_shots OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir out(args[1]);
    quill::AboutBox about;
    quill::PhoneDialog phone;
    quill::TextPane pane;
    quill::RangeDialog range(pane, {false, '.'});
    range.findChild<QLineEdit*>(QStringLiteral("EdtFrom"))->setText(QStringLiteral("-2"));
    range.findChild<QLineEdit*>(QStringLiteral("EdtTo"))->setText(QStringLiteral("10"));
    range.findChild<QLineEdit*>(QStringLiteral("EdtCount"))->setText(QStringLiteral("121"));
    const bool ok = shoot(about, out.filePath("about-box.png")) && shoot(phone, out.filePath("phone-dialog.png")) &&
                    shoot(range, out.filePath("range-dialog.png"));
    return ok ? 0 : 1;
}
