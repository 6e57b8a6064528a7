#include "ui/panes/file_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>

#include "ui/shared/language.h"
#include "ui/shared/modal.h"

namespace quill {

namespace {

// Places a dialog on a monitor once it has laid itself out and its window
// (with the frame, where the platform tells it) exists, just before it
// appears. The explicit move also keeps Qt from centring it over its owner.
class PlaceWhenShown : public QObject {
public:
    PlaceWhenShown(QWidget& dialog, QScreen* screen) : screen_(screen) { dialog.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && dialog && screen_)
            dialog->move(dialogPlacement(screen_->geometry(), dialog->frameGeometry().size()));
        return false;
    }

private:
    QPointer<QScreen> screen_;
};

}  // namespace

QString withDefaultExtension(const QString& path, const QString& suffix) {
    if (path.isEmpty() || suffix.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.'))) return path;
    return path + QLatin1Char('.') + suffix;
}

QPoint dialogPlacement(const QRect& monitor, const QSize& dialog) {
    // Integer division rounds toward zero, also for a dialog larger than the monitor.
    return {monitor.left() + (monitor.width() - dialog.width()) / 2,
            monitor.top() + (monitor.height() - dialog.height()) / 3};
}

FileDialogAnswer runQtFileDialog(QWidget* owner, const FileDialogRequest& request) {
    QFileDialog dialog(owner, request.title, request.initialDir);
    dialog.setObjectName(request.save ? QStringLiteral("SaveDlg") : QStringLiteral("OpenDlg"));
    // The toolkit's own dialog: a native one could not be placed, and some
    // check that an opened file exists.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.nameFilters);
    if (request.filterIndex >= 0 && request.filterIndex < request.nameFilters.size())
        dialog.selectNameFilter(request.nameFilters[request.filterIndex]);
    // When opening, the suffix is added afterwards, only to a name that does
    // not exist as it stands (FileDialog::execute).
    if (request.save) dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);

    QWidget* reference = QApplication::activeWindow();
    if (!reference && owner) reference = owner->window();
    PlaceWhenShown placer(dialog, reference ? reference->screen() : QGuiApplication::primaryScreen());

    FileDialogAnswer answer;
    answer.confirmed = runModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (answer.confirmed) {
        answer.fileName = dialog.selectedFiles().constFirst();
        answer.filterIndex = static_cast<int>(request.nameFilters.indexOf(dialog.selectedNameFilter()));
    }
    return answer;
}

FileDialog::FileDialog(Kind kind)
    : nameFilters{captions::kTextFiles.text(false), captions::kAllFiles.text(false)}, kind_(kind) {}

bool FileDialog::execute(QWidget* owner) {
    FileDialogRequest request;
    request.save = kind_ == Kind::save;
    request.nameFilters = nameFilters;
    request.filterIndex = filterIndex >= 0 && filterIndex < nameFilters.size() ? filterIndex : 0;
    request.fileName = fileName;
    request.initialDir = initialDir;
    request.title = title;
    request.defaultSuffix = defaultSuffix;

    const FileDialogAnswer answer = runner_ ? runner_(owner, request) : runQtFileDialog(owner, request);
    if (!answer.confirmed || answer.fileName.isEmpty()) return false;
    // An existing file opens under its own name, extension or none.
    const bool existing = kind_ == Kind::open && QFileInfo::exists(answer.fileName);
    fileName = existing ? answer.fileName : withDefaultExtension(answer.fileName, defaultSuffix);
    if (answer.filterIndex >= 0) filterIndex = answer.filterIndex;
    return true;
}

}  // namespace quill
