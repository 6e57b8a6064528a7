#include "ui/panes/pane_files.h"

#include <QFile>
#include <memory>
#include <string>

#include "lines/list_file.h"
#include "ui/panes/file_dialogs.h"
#include "ui/panes/pane_work.h"
#include "ui/panes/text_pane.h"

namespace quill {

namespace {

// The path as the file system takes it; on Linux also the bytes the message
// quotes, so the user sees the name as chosen.
std::string fileSystemPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Progress of a load or a save, which the work's Cancel gives up.
FileProgress progressOf(WorkControl& control) {
    return [&control](uint64_t done, uint64_t total) { control.progress(done, total); };
}

}  // namespace

// Regular files only: a FIFO, a device or a socket would keep the window
// waiting (or reading) without end. The rows are made on the work's thread;
// the pane takes them at once.
void loadPaneFile(TextPane& pane, const QString& path, bool inBackground) {
    const std::string file = fileSystemPath(path);
    PaneJob job = [file](WorkControl& control) -> WorkFinish {
        ListText list = readListFile(file, SpecialFiles::refuse, progressOf(control));
        auto rows = std::make_shared<RowText>(std::move(list.text));
        control.check();
        return [rows, encoding = list.encoding](TextPane& target) {
            target.lines().load(std::move(*rows), encoding);
            target.lines().setCapacity(kLoadedCapacity);
        };
    };
    if (inBackground) {
        runPaneWork(pane, {captions::kLoading, true}, std::move(job));
    } else {
        WorkControl control;
        job(control)(pane);
    }
}

// The rows are taken as they stand (a copy shares them); the pane may change
// while they are written.
void savePaneFile(TextPane& pane, const QString& path) {
    const std::string file = fileSystemPath(path);
    auto rows = std::make_shared<const RowText>(pane.lines().rows());
    const FileEncoding encoding = pane.lines().fileEncoding();
    runPaneWork(pane, {captions::kSaving, false, true}, [file, rows, encoding](WorkControl& control) -> WorkFinish {
        writeListFile(*rows, encoding, file, SpecialFiles::refuse, progressOf(control));
        return {};
    });
}

void loadPaneThroughDialog(FileDialog& openDialog, TextPane& pane, QWidget* owner) {
    if (!openDialog.execute(owner)) return;
    loadPaneFile(pane, openDialog.fileName);
}

void savePaneThroughDialog(FileDialog& saveDialog, TextPane& pane, QWidget* owner) {
    if (!saveDialog.execute(owner)) return;
    savePaneFile(pane, saveDialog.fileName);
}

}  // namespace quill
