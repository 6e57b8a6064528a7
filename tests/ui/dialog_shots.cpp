// Saves a picture of each information dialog, as a user would see its inside:
//   quill_dialog_shots OUTPUT_FOLDER
// writes about-box.png and phone-dialog.png there.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "ui/about_box.h"
#include "ui/phone_dialog.h"
#include "ui/program_icon.h"

namespace {

bool Shoot(QDialog& dialog, const QString& path) {
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
    QApplication::setWindowIcon(quill::ProgramIcon());
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: quill_dialog_shots OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir out(args[1]);
    quill::TAboutBox about;
    quill::TFrmVisitePhone phone;
    const bool ok = Shoot(about, out.filePath("about-box.png")) && Shoot(phone, out.filePath("phone-dialog.png"));
    return ok ? 0 : 1;
}
