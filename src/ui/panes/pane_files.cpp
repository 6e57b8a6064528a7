#include "ui/panes/pane_files.h"

#include <QFile>
#include <string>

#include "lines/list_file.h"
#include "ui/panes/file_dialogs.h"
#include "ui/panes/text_pane.h"

namespace quill {

namespace {

// The path as the file system takes it; on Linux also the bytes the message
// quotes, so the user sees the name as chosen.
std::string fileSystemPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

// Regular files only: a FIFO, a device or a socket would keep the window
// waiting (or reading) without end.
void loadPaneFile(TextPane& pane, const QString& path) {
    loadFromFile(pane.lines(), fileSystemPath(path), SpecialFiles::refuse);
}

void savePaneFile(const TextPane& pane, const QString& path) {
    saveToFile(pane.lines(), fileSystemPath(path), SpecialFiles::refuse);
}

void loadPaneThroughDialog(FileDialog& openDialog, TextPane& pane, QWidget* owner) {
    if (!openDialog.execute(owner)) return;
    loadPaneFile(pane, openDialog.fileName);
}

void savePaneThroughDialog(FileDialog& saveDialog, const TextPane& pane, QWidget* owner) {
    if (!saveDialog.execute(owner)) return;
    savePaneFile(pane, saveDialog.fileName);
}

}  // namespace quill
