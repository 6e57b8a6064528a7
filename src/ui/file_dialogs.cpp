#include "ui/file_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>

#include "ui/application.h"
#include "ui/modal.h"

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
            dialog->move(DialogPlacement(screen_->geometry(), dialog->frameGeometry().size()));
        return false;
    }

private:
    QPointer<QScreen> screen_;
};

}  // namespace

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString& pattern = parts[i + 1];
        // A name that already shows its pattern, as ours do, stays as it is;
        // Qt reads the patterns from the last parentheses.
        if (name.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')')) && !pattern.contains(QLatin1Char(';')))
            filters << name;
        else
            filters << name + QStringLiteral(" (") + QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                           QLatin1Char(')');
    }
    return filters;
}

QString WithDefaultExtension(const QString& path, const QString& defaultExt) {
    if (path.isEmpty() || defaultExt.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.'))) return path;
    return defaultExt.startsWith(QLatin1Char('.')) ? path + defaultExt : path + QLatin1Char('.') + defaultExt;
}

QPoint DialogPlacement(const QRect& monitor, const QSize& dialog) {
    // Integer division rounds toward zero, also for a dialog larger than the monitor.
    return {monitor.left() + (monitor.width() - dialog.width()) / 2,
            monitor.top() + (monitor.height() - dialog.height()) / 3};
}

FileDialogAnswer RunQtFileDialog(QWidget* owner, const FileDialogRequest& request) {
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
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);

    QWidget* reference = QApplication::activeWindow();
    if (!reference && Application::current()) reference = Application::current()->MainWindow();
    if (!reference) reference = owner;
    PlaceWhenShown placer(dialog, reference ? reference->screen() : QGuiApplication::primaryScreen());

    FileDialogAnswer answer;
    answer.confirmed = RunModal(dialog) == mrOk && !dialog.selectedFiles().isEmpty();
    if (answer.confirmed) {
        answer.fileName = dialog.selectedFiles().constFirst();
        answer.filterIndex = static_cast<int>(request.nameFilters.indexOf(dialog.selectedNameFilter()));
    }
    return answer;
}

bool FileDialog::Execute(QWidget* owner) {
    FileDialogRequest request;
    request.save = kind_ == Kind::save;
    request.nameFilters = QtNameFilters(Filter);
    request.filterIndex = FilterIndex - 1;
    if (request.filterIndex < 0 || request.filterIndex >= request.nameFilters.size()) request.filterIndex = 0;
    request.fileName = FileName;
    request.initialDir = InitialDir;
    request.title = Title;
    request.defaultSuffix = DefaultExt.startsWith(QLatin1Char('.')) ? DefaultExt.mid(1) : DefaultExt;

    const FileDialogAnswer answer = runner_ ? runner_(owner, request) : RunQtFileDialog(owner, request);
    if (!answer.confirmed || answer.fileName.isEmpty()) return false;
    FileName = WithDefaultExtension(answer.fileName, DefaultExt);
    if (answer.filterIndex >= 0) FilterIndex = answer.filterIndex + 1;
    return true;
}

}  // namespace quill
