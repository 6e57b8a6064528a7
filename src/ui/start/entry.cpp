#include "ui/start/entry.h"

#include "ui/application/application.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/phone_dialog.h"
#include "ui/main_window/main_window.h"

namespace quill {

int runEntryRoutine(Application& app) {
    try {
        app.setTitle(QString::fromUtf8(kApplicationTitle));
        app.createOwnedWindow<MainWindow>();
        app.createOwnedWindow<PhoneDialog>();
        app.createOwnedWindow<AboutBox>();
        app.runMessageLoop();
    } catch (...) {
        app.routeError(std::current_exception());
    }
    // The windows made so far go in every case, the main window last.
    app.destroyOwnedWindows();
    return 0;
}

}  // namespace quill
