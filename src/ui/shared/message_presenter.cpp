#include "ui/shared/message_presenter.h"

#include <QMessageBox>

namespace quill {

namespace {

constexpr qsizetype kKeepAtStart = 600;
constexpr qsizetype kKeepAtEnd = 200;
constexpr qsizetype kLongestUnbroken = 60;
const QChar kZeroWidthSpace(0x200B);

}  // namespace

QString displayText(const QString& message) {
    QString shown = message;
    if (shown.size() > kKeepAtStart + kKeepAtEnd + 1) {
        qsizetype head = kKeepAtStart, tail = shown.size() - kKeepAtEnd;
        // Never split a surrogate pair.
        if (shown.at(head - 1).isHighSurrogate()) --head;
        if (shown.at(tail).isLowSurrogate()) ++tail;
        shown = shown.left(head) + QChar(0x2026) + shown.mid(tail);
    }
    QString wrapped;
    wrapped.reserve(shown.size() + shown.size() / kLongestUnbroken + 1);
    qsizetype run = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown.at(i);
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestUnbroken && !c.isLowSurrogate()) {
            wrapped.append(kZeroWidthSpace);
            run = 1;
        }
        wrapped.append(c);
    }
    return wrapped;
}

void BoxPresenter::show(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace quill
