// Typing, keys, mouse, clipboard and input methods of the pane.

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <algorithm>
#include <memory>

#include "common/utf8_steps.h"
#include "ui/panes/pane_work.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/language.h"

namespace quill {

namespace {

// Rows of a selection copied at once; more are copied on the pane's work.
constexpr int64_t kCopyRowsAtOnce = 65536;

enum class CharKind { space, word, other };

CharKind kindOf(char32_t c) {
    if (c == ' ' || c == '\t' || c == 0x3000) return CharKind::space;
    if (c == '_' || c > 0xFFFF || QChar(static_cast<char16_t>(c)).isLetterOrNumber()) return CharKind::word;
    return CharKind::other;
}

CharKind kindAt(std::string_view s, std::size_t pos) { return kindOf(utf8::decode(s, pos, utf8::next(s, pos))); }

// Any line break becomes CR LF, the pane's one break; NULs would cut the text
// short when it is saved and loaded again.
std::string paneBytes(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
            plain.append(u'\n');
        } else if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            plain.append(u'\n');
        } else if (c != QChar::Null) {
            plain.append(c);
        }
    }
    const QByteArray utf8 = plain.toUtf8();
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(utf8.size()));
    for (char byte : utf8) {
        if (byte == '\n') bytes.push_back('\r');
        bytes.push_back(byte);
    }
    return bytes;
}

// Text typed as characters: printable, and not part of a shortcut.
QString typedText(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    QString typed;
    for (QChar c : event->text())
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F) typed.append(c);
    return typed;
}

// Backspace has no standard key binding of its own on most platforms.
bool isPlainBackspace(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier);
}

// clang-format off
const QKeySequence::StandardKey kEditingKeys[] = {
    QKeySequence::MoveToNextChar,        QKeySequence::MoveToPreviousChar,   QKeySequence::MoveToNextWord,
    QKeySequence::MoveToPreviousWord,    QKeySequence::MoveToNextLine,       QKeySequence::MoveToPreviousLine,
    QKeySequence::MoveToNextPage,        QKeySequence::MoveToPreviousPage,   QKeySequence::MoveToStartOfLine,
    QKeySequence::MoveToEndOfLine,       QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,
    QKeySequence::SelectNextChar,        QKeySequence::SelectPreviousChar,   QKeySequence::SelectNextWord,
    QKeySequence::SelectPreviousWord,    QKeySequence::SelectNextLine,       QKeySequence::SelectPreviousLine,
    QKeySequence::SelectNextPage,        QKeySequence::SelectPreviousPage,   QKeySequence::SelectStartOfLine,
    QKeySequence::SelectEndOfLine,       QKeySequence::SelectStartOfDocument, QKeySequence::SelectEndOfDocument,
    QKeySequence::SelectAll,             QKeySequence::Copy,                 QKeySequence::Cut,
    QKeySequence::Paste,                 QKeySequence::Undo,                 QKeySequence::Redo,
    QKeySequence::Delete,                QKeySequence::Backspace,            QKeySequence::DeleteEndOfWord,
    QKeySequence::DeleteStartOfWord,     QKeySequence::InsertParagraphSeparator, QKeySequence::InsertLineSeparator,
};
// clang-format on

}  // namespace

// ---- editing --------------------------------------------------------------

void TextPane::replaceSelection(std::string_view utf8, PaneText::EditKind kind) {
    const TextPos from = std::min(caret_, anchor_), to = std::max(caret_, anchor_);
    PaneText::EditResult result;
    {
        editing_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{editing_};
        result = text_.edit(from, to, utf8, kind);
    }
    if (result.cut) QApplication::beep();
    goalX_ = -1;
    moveCaret(result.end, false);
}

void TextPane::insertText(const QString& text) { replaceSelection(paneBytes(text), PaneText::EditKind::other); }

void TextPane::deleteOrExtend(TextPos other) {
    if (!hasSelection()) anchor_ = other;
    replaceSelection({}, PaneText::EditKind::other);
}

void TextPane::copy() {
    if (!hasSelection()) return;
    const TextPos from = std::min(caret_, anchor_), to = std::max(caret_, anchor_);
    // The clipboard takes a QString: a large selection becomes one on the
    // pane's work, from the rows as they stand now.
    if (to.row - from.row < kCopyRowsAtOnce) {
        const std::string text = text_.textBetween(from, to, "\n");
        QGuiApplication::clipboard()->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        return;
    }
    auto rows = std::make_shared<const RowText>(text_.rows());
    runPaneWork(*this, {captions::kCopying, false}, [rows, from, to](WorkControl& control) -> WorkFinish {
        std::string text;
        for (int64_t first = from.row; first <= to.row; first += kCopyRowsAtOnce) {
            const int64_t last = std::min(to.row, first + kCopyRowsAtOnce - 1);
            if (first > from.row) text.push_back('\n');
            const TextPos a = first == from.row ? from : TextPos{first, 0};
            const TextPos b = last == to.row ? to : TextPos{last, rows->row(last).size()};
            text.append(rows->textBetween(a, b, "\n"));
            control.progress(static_cast<uint64_t>(last - from.row), static_cast<uint64_t>(to.row - from.row));
        }
        auto copied =
            std::make_shared<const QString>(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        control.check();
        return [copied](TextPane&) { QGuiApplication::clipboard()->setText(*copied); };
    });
}

void TextPane::cut() {
    if (!hasSelection()) return;
    copy();
    replaceSelection({}, PaneText::EditKind::other);
}

void TextPane::paste() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText()) insertText(data->text());
}

void TextPane::undo() {
    if (!text_.canUndo()) return;
    editing_ = true;
    const auto span = text_.undo();
    editing_ = false;
    goalX_ = -1;
    moveCaret(span.second, false);
}

void TextPane::redo() {
    if (!text_.canRedo()) return;
    editing_ = true;
    const auto span = text_.redo();
    editing_ = false;
    goalX_ = -1;
    moveCaret(span.second, false);
}

// ---- caret movement -------------------------------------------------------

void TextPane::moveCaret(TextPos pos, bool select) {
    caret_ = pos;
    if (!select) anchor_ = pos;
    ensureCaretVisible();
    restartBlink();
    viewport()->update();
    updateMicroFocus();
}

void TextPane::moveVertically(int64_t rows, bool select) {
    if (goalX_ < 0) goalX_ = xOf(caret_.row, caret_.col);
    const int64_t row = std::clamp<int64_t>(caret_.row + rows, 0, text_.rowCount() - 1);
    const qreal goal = goalX_;
    moveCaret({row, colAt(row, goal)}, select);
    goalX_ = goal;
}

TextPos TextPane::wordStep(TextPos from, bool forward) const {
    const std::string_view s = text_.row(from.row);
    std::size_t pos = from.col;
    if (forward) {
        if (pos >= s.size()) return from.row + 1 < text_.rowCount() ? TextPos{from.row + 1, 0} : from;
        const CharKind kind = kindAt(s, pos);
        if (kind != CharKind::space)
            while (pos < s.size() && kindAt(s, pos) == kind) pos = utf8::next(s, pos);
        while (pos < s.size() && kindAt(s, pos) == CharKind::space) pos = utf8::next(s, pos);
    } else {
        if (pos == 0) return from.row > 0 ? TextPos{from.row - 1, text_.row(from.row - 1).size()} : from;
        while (pos > 0 && kindAt(s, utf8::previous(s, pos)) == CharKind::space) pos = utf8::previous(s, pos);
        if (pos > 0) {
            const CharKind kind = kindAt(s, utf8::previous(s, pos));
            while (pos > 0 && kindAt(s, utf8::previous(s, pos)) == kind) pos = utf8::previous(s, pos);
        }
    }
    return {from.row, pos};
}

void TextPane::selectWordAt(TextPos pos) {
    const std::string_view s = text_.row(pos.row);
    if (s.empty()) return setCaret(pos);
    std::size_t at = pos.col < s.size() ? pos.col : utf8::previous(s, pos.col);
    const CharKind kind = kindAt(s, at);
    std::size_t start = at, end = utf8::next(s, at);
    while (start > 0 && kindAt(s, utf8::previous(s, start)) == kind) start = utf8::previous(s, start);
    while (end < s.size() && kindAt(s, end) == kind) end = utf8::next(s, end);
    goalX_ = -1;
    anchor_ = {pos.row, start};
    moveCaret({pos.row, end}, true);
}

// ---- keys -----------------------------------------------------------------

bool TextPane::event(QEvent* event) {
    // Keys the pane uses itself must not fire the window's shortcuts while
    // it has the focus; Ctrl+Enter and the Alt mnemonics stay the window's.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool editing = std::any_of(std::begin(kEditingKeys), std::end(kEditingKeys),
                                         [key](QKeySequence::StandardKey k) { return key->matches(k); });
        if (editing || isPlainBackspace(key) || !typedText(key).isEmpty()) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool TextPane::handleStandardKey(QKeyEvent* event) {
    using K = QKeySequence;
    const auto is = [event](K::StandardKey key) { return event->matches(key); };
    const int64_t page = fullyVisibleRows();
    const TextPos selFrom = std::min(caret_, anchor_), selTo = std::max(caret_, anchor_);
    const std::string_view row = text_.row(caret_.row);
    const TextPos nextChar = caret_.col < row.size()             ? TextPos{caret_.row, utf8::next(row, caret_.col)}
                             : caret_.row + 1 < text_.rowCount() ? TextPos{caret_.row + 1, 0}
                                                                 : caret_;
    const TextPos previousChar = caret_.col > 0   ? TextPos{caret_.row, utf8::previous(row, caret_.col)}
                                 : caret_.row > 0 ? TextPos{caret_.row - 1, text_.row(caret_.row - 1).size()}
                                                  : caret_;
    const auto jump = [this](TextPos to, bool select) {
        goalX_ = -1;
        moveCaret(to, select);
    };

    // clang-format off
    if (is(K::SelectAll)) selectAll();
    else if (is(K::Copy)) copy();
    else if (is(K::Cut)) cut();
    else if (is(K::Paste)) paste();
    else if (is(K::Undo)) undo();
    else if (is(K::Redo)) redo();
    // Without shift, an arrow first collapses a selection onto its side.
    else if (is(K::MoveToNextChar)) jump(hasSelection() ? selTo : nextChar, false);
    else if (is(K::MoveToPreviousChar)) jump(hasSelection() ? selFrom : previousChar, false);
    else if (is(K::SelectNextChar)) jump(nextChar, true);
    else if (is(K::SelectPreviousChar)) jump(previousChar, true);
    else if (is(K::MoveToNextWord) || is(K::SelectNextWord)) jump(wordStep(caret_, true), is(K::SelectNextWord));
    else if (is(K::MoveToPreviousWord) || is(K::SelectPreviousWord))
        jump(wordStep(caret_, false), is(K::SelectPreviousWord));
    else if (is(K::MoveToNextLine) || is(K::SelectNextLine)) moveVertically(1, is(K::SelectNextLine));
    else if (is(K::MoveToPreviousLine) || is(K::SelectPreviousLine)) moveVertically(-1, is(K::SelectPreviousLine));
    else if (is(K::MoveToNextPage) || is(K::SelectNextPage)) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() + static_cast<int>(page));
        moveVertically(page, is(K::SelectNextPage));
    } else if (is(K::MoveToPreviousPage) || is(K::SelectPreviousPage)) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() - static_cast<int>(page));
        moveVertically(-page, is(K::SelectPreviousPage));
    } else if (is(K::MoveToStartOfLine) || is(K::SelectStartOfLine))
        jump({caret_.row, 0}, is(K::SelectStartOfLine));
    else if (is(K::MoveToEndOfLine) || is(K::SelectEndOfLine))
        jump({caret_.row, row.size()}, is(K::SelectEndOfLine));
    else if (is(K::MoveToStartOfDocument) || is(K::SelectStartOfDocument)) jump({}, is(K::SelectStartOfDocument));
    else if (is(K::MoveToEndOfDocument) || is(K::SelectEndOfDocument)) jump(text_.end(), is(K::SelectEndOfDocument));
    else if (is(K::Delete)) deleteOrExtend(nextChar);
    else if (isPlainBackspace(event) || is(K::Backspace)) deleteOrExtend(previousChar);
    else if (is(K::DeleteEndOfWord)) deleteOrExtend(wordStep(caret_, true));
    else if (is(K::DeleteStartOfWord)) deleteOrExtend(wordStep(caret_, false));
    // Every break in the pane is a line break: Shift+Enter makes one too.
    else if (is(K::InsertParagraphSeparator) || is(K::InsertLineSeparator))
        replaceSelection("\r\n", PaneText::EditKind::other);
    else return false;
    // clang-format on
    return true;
}

void TextPane::keyPressEvent(QKeyEvent* event) {
    if (handleStandardKey(event)) {
        event->accept();
        return;
    }
    const QString typed = typedText(event);
    if (typed.isEmpty()) {
        event->ignore();  // for the window: Ctrl+Enter, mnemonics, Escape
        return;
    }
    replaceSelection(paneBytes(typed), PaneText::EditKind::typing);
    event->accept();
}

// ---- input methods --------------------------------------------------------

void TextPane::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty())
        replaceSelection(paneBytes(event->commitString()), PaneText::EditKind::typing);
    preedit_ = event->preeditString();
    viewport()->update();
    event->accept();
}

QVariant TextPane::inputMethodQuery(Qt::InputMethodQuery query) const {
    // Input methods ask at every caret move: they get the text around the
    // caret, never the whole of a very long row.
    constexpr std::size_t kAround = 1024;
    const std::string_view row = text_.row(caret_.row);
    const std::size_t start = caret_.col > kAround ? utf8::floor(row, caret_.col - kAround) : 0;
    const std::size_t end = utf8::floor(row, std::min(row.size(), caret_.col + kAround));
    const auto utf16Offset = [&row, start](std::size_t col) {
        return static_cast<int>(utf8::utf16Units(row.substr(start, col - start)));
    };
    const bool anchorNear = anchor_.row == caret_.row && anchor_.col >= start && anchor_.col <= end;
    switch (query) {
        case Qt::ImEnabled: return true;
        case Qt::ImCursorRectangle: return caretRect().translated(viewport()->pos());
        case Qt::ImFont: return font();
        case Qt::ImCursorPosition: return utf16Offset(caret_.col);
        case Qt::ImAnchorPosition: return utf16Offset(anchorNear ? anchor_.col : caret_.col);
        case Qt::ImSurroundingText: return QString::fromStdU16String(utf8::toUtf16(row.substr(start, end - start)));
        case Qt::ImCurrentSelection: return anchorNear ? QString::fromStdString(selectedText()) : QString();
        case Qt::ImHints: return static_cast<int>(Qt::ImhMultiLine);
        default: return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// ---- mouse ----------------------------------------------------------------

void TextPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    goalX_ = -1;
    moveCaret(posAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    selectingWithMouse_ = true;
    lastMousePos_ = event->position().toPoint();
    dragScrollTimer_.start(50, this);
}

void TextPane::mouseMoveEvent(QMouseEvent* event) {
    if (!selectingWithMouse_ || !(event->buttons() & Qt::LeftButton)) return;
    lastMousePos_ = event->position().toPoint();
    goalX_ = -1;
    moveCaret(posAt(lastMousePos_), true);
}

void TextPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        selectingWithMouse_ = false;
        dragScrollTimer_.stop();
    }
}

void TextPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) selectWordAt(posAt(event->position().toPoint()));
}

void TextPane::dragScroll() {
    // Holding the mouse outside the pane while selecting keeps it scrolling.
    const QRect view = viewport()->rect();
    if (!selectingWithMouse_ || view.contains(lastMousePos_)) return;
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    if (lastMousePos_.y() < view.top()) vertical->setValue(vertical->value() - 1);
    if (lastMousePos_.y() > view.bottom()) vertical->setValue(vertical->value() + 1);
    if (lastMousePos_.x() < view.left()) horizontal->setValue(horizontal->value() - horizontal->singleStep());
    if (lastMousePos_.x() > view.right()) horizontal->setValue(horizontal->value() + horizontal->singleStep());
    const QPoint inside(std::clamp(lastMousePos_.x(), view.left(), view.right()),
                        std::clamp(lastMousePos_.y(), view.top(), view.bottom()));
    caret_ = posAt(inside);
    viewport()->update();
}

void TextPane::contextMenuEvent(QContextMenuEvent* event) {
    // One menu for the pane's life, built afresh at every opening; the
    // entries read the same in both languages.
    if (!contextMenu_) {
        contextMenu_ = new QMenu(this);
        contextMenu_->setObjectName(QStringLiteral("PaneMenu"));
    }
    QMenu* menu = contextMenu_;
    menu->clear();
    menu->addAction(captions::kUndo.text(false), QKeySequence::Undo, this, &TextPane::undo)
        ->setEnabled(text_.canUndo());
    menu->addAction(captions::kRedo.text(false), QKeySequence::Redo, this, &TextPane::redo)
        ->setEnabled(text_.canRedo());
    menu->addSeparator();
    menu->addAction(captions::kCut.text(false), QKeySequence::Cut, this, &TextPane::cut)->setEnabled(hasSelection());
    menu->addAction(captions::kCopy.text(false), QKeySequence::Copy, this, &TextPane::copy)->setEnabled(hasSelection());
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    menu->addAction(captions::kPaste.text(false), QKeySequence::Paste, this, &TextPane::paste)
        ->setEnabled(clip && clip->hasText());
    menu->addAction(captions::kDelete.text(false), this, [this] { replaceSelection({}, PaneText::EditKind::other); })
        ->setEnabled(hasSelection());
    menu->addSeparator();
    menu->addAction(captions::kSelectAll.text(false), QKeySequence::SelectAll, this, &TextPane::selectAll)
        ->setEnabled(text_.characters() > 0);
    emit contextMenuBuilt(menu);
    menu->popup(event->globalPos());
    event->accept();
}

}  // namespace quill
