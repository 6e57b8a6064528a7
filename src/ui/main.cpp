// quillometer: the desktop program.

#include <QTimer>

#include "ui/application.h"
#include "ui/entry.h"
#include "ui/main_window.h"

#include <QPushButton>

int main(int argc, char** argv) {
    quill::Application app(argc, argv);
    // For the screenshot script only: press Solve once the window is up.
    if (qEnvironmentVariableIsSet("QUILLOMETER_AUTOSOLVE")) {
        QTimer::singleShot(0, &app, [&app] {
            if (auto* window = app.OwnedWindow<quill::TFrmMain>()) window->BtnSolve->click();
        });
    }
    return quill::RunEntryRoutine(app);
}
