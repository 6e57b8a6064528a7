// Saves a picture of the main window after a Solve of the sample data:
//   quill_main_window_shot OUTPUT.png
// The windows are made as at a start of the program (the sample files
// beside it are loaded at the first show), Solve is pressed as a user would,
// and the window is grabbed from the screen, menu bar and status bar with it.

#include <QElapsedTimer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <cstdio>

#include "ui/about_box.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/phone_dialog.h"

namespace {

// Lets the window system map and paint the window.
void Settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

int main(int argc, char** argv) {
    quill::Application app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: quill_main_window_shot OUTPUT.png\n", stderr);
        return 2;
    }
    app.SetTitle(QString::fromUtf8(quill::kApplicationTitle));
    QTemporaryDir settings;  // the default language, whatever a run before chose
    app.SetSettingsProgramPath(settings.filePath("quillometer"));
    auto* window = app.CreateOwnedWindow<quill::TFrmMain>();
    app.CreateOwnedWindow<quill::TFrmVisitePhone>();
    app.CreateOwnedWindow<quill::TAboutBox>();

    window->show();
    Settle(300);
    window->findChild<QPushButton*>(QStringLiteral("BtnSolve"))->click();
    Settle(1000);
    const bool saved = window->screen()->grabWindow(window->winId()).save(args[1]);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(args[1]));
    app.DestroyOwnedWindows();
    return saved ? 0 : 1;
}
