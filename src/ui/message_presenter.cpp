#include "ui/message_presenter.h"

#include <QMessageBox>

namespace quill {

namespace {

constexpr qsizetype kKeepAtStart = 600;
constexpr qsizetype kKeepAtEnd = 200;
constexpr qsizetype kLongestUnbroken = 60;
const QChar kZeroWidthSpace(0x200B);

QMessageBox::Icon IconFor(uint32_t flags) {
    switch (flags & 0xF0) {
    case kMbIconError:
        return QMessageBox::Critical;
    case kMbIconQuestion:
        return QMessageBox::Question;
    case kMbIconExclamation:
        return QMessageBox::Warning;
    case kMbIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

}  // namespace

QString DisplayText(const QString& message) {
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

int BoxPresenter::Show(QWidget* owner, const QString& text, const QString& caption, uint32_t flags) {
    QMessageBox box(IconFor(flags), caption, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return kIdOk;
}

}  // namespace quill
