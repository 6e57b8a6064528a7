#include "ui/entry.h"

#include "ui/about_box.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/phone_dialog.h"

namespace quill {

int RunEntryRoutine(Application& app) {
    try {
        app.SetTitle(QString::fromUtf8(kApplicationTitle));
        app.CreateOwnedWindow<TFrmMain>();
        app.CreateOwnedWindow<TFrmVisitePhone>();
        app.CreateOwnedWindow<TAboutBox>();
        app.RunMessageLoop();
    } catch (...) {
        app.routeError(std::current_exception());
    }
    // The windows made so far go in every case, the main window last.
    app.DestroyOwnedWindows();
    return 0;
}

}  // namespace quill
