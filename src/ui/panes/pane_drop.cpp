#include "ui/panes/pane_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include "ui/panes/pane_files.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/command_guard.h"

namespace quill {

namespace {

// Sits on the pane's viewport, which is where drops arrive.
class DropFilter : public QObject {
public:
    DropFilter(TextPane& pane, ErrorRoute& errors) : QObject(&pane), pane_(&pane), errors_(errors) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: take(static_cast<QDropEvent*>(event)); return true;
            case QEvent::Drop:
                if (take(static_cast<QDropEvent*>(event)))
                    load(droppedFile(static_cast<QDropEvent*>(event)->mimeData()));
                return true;
            default: return QObject::eventFilter(watched, event);
        }
    }

private:
    // Accepts one local file, always as a copy: a drop accepted as a move
    // would let the file manager delete the file it came from.
    static bool take(QDropEvent* event) {
        if (droppedFile(event->mimeData()).isEmpty() || !(event->possibleActions() & Qt::CopyAction)) {
            event->ignore();
            return false;
        }
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return true;
    }

    void load(const QString& path) {
        QPointer<TextPane> pane = pane_;
        ErrorRoute* errors = &errors_;
        QMetaObject::invokeMethod(
            pane_,
            [pane, errors, path] {
                if (pane) runGuarded(*errors, [&] { loadPaneFile(*pane, path); });
            },
            Qt::QueuedConnection);
    }

    TextPane* pane_;
    ErrorRoute& errors_;
};

}  // namespace

QString droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
}

void acceptFileDrops(TextPane& pane, ErrorRoute& errors) {
    pane.viewport()->setAcceptDrops(true);
    pane.viewport()->installEventFilter(new DropFilter(pane, errors));
}

}  // namespace quill
