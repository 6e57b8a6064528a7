// The main window's first show: the files named on the command line.

#include <QPushButton>

#include "ui/application/application.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/pane_files.h"
#include "ui/panes/text_pane.h"

namespace quill {

void MainWindow::openStartFiles() {
    const StartRequest& start = app_.startRequest();
    bool allLoaded = true;
    const std::pair<const QString*, PaneRole> files[] = {{&start.coefficients, PaneRole::coefficients},
                                                         {&start.xValues, PaneRole::xValues}};
    for (const auto& [path, role] : files) {
        if (path->isEmpty()) continue;
        // A file that fails is reported and leaves the sample data in its pane.
        runGuarded(app_, [&, path = path, role = role] {
            try {
                loadPaneFile(paneFor(role), *path, false);  // before the Solve asked for
            } catch (...) {
                allLoaded = false;
                throw;
            }
        });
    }
    // What the window opens with is where Undo stops.
    for (TextPane* pane : panes_) pane->lines().forgetHistory();
    // A report of the sample data in place of a file that failed would pass
    // for the file's: no Solve then.
    if (start.solve && allLoaded) QMetaObject::invokeMethod(solveButton_, &QPushButton::click, Qt::QueuedConnection);
}

}  // namespace quill
