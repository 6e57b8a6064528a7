#include "ui/accessibility/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <climits>
#include <string_view>

#include "common/utf8_steps.h"
#include "ui/panes/text_pane.h"

namespace quill {

namespace {

// ---- the pane's text as a screen reader counts it ----------------------------
// Offsets count UTF-16 units, as in a QString; rows are joined by one "\n".
// The rows keep the units of each block of them, so a place is found
// without walking every row before it.

QString decoded(std::string_view row) { return QString::fromStdU16String(utf8::toUtf16(row)); }

int clampOffset(int64_t offset) { return static_cast<int>(std::clamp<int64_t>(offset, 0, INT_MAX)); }

struct RowPlace {
    int64_t row;
    int64_t start;  // offset of the row's first unit
};

RowPlace rowAt(const PaneText& text, int64_t offset) {
    const int64_t row = text.rows().posAtUtf16(offset).row;
    return {row, text.rows().utf16Offset({row, 0})};
}

int64_t offsetOf(const PaneText& text, TextPos pos) { return text.rows().utf16Offset(pos); }

TextPos posAt(const PaneText& text, int64_t offset) { return text.rows().posAtUtf16(offset); }

int64_t unitCount(const PaneText& text) { return text.rows().utf16Length(); }

// One row (with its "\n") as a text of its own, so that Qt's own word,
// sentence and character boundaries can be used on it.
class SingleRowText : public QAccessibleTextInterface {
public:
    explicit SingleRowText(QString text) : text_(std::move(text)) {}
    QString text(int start, int end) const override { return text_.mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(text_.size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = *end = 0;
        return {};
    }

private:
    QString text_;
};

// ---- the pane's accessible interface -----------------------------------------

class PaneAccessible : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
public:
    explicit PaneAccessible(TextPane* pane) : QAccessibleWidget(pane, QAccessible::EditableText) {}

    TextPane* pane() const { return static_cast<TextPane*>(widget()); }
    const PaneText& lines() const { return pane()->lines(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The open context menu is a child of the pane: Qt leaves menus out of
    // a widget's children and popups out of the application's windows, so
    // without this a screen reader never reaches it.
    int childCount() const override { return QAccessibleWidget::childCount() + (openMenu() ? 1 : 0); }
    QAccessibleInterface* child(int index) const override {
        if (QMenu* menu = openMenu(); menu && index == QAccessibleWidget::childCount())
            return QAccessible::queryAccessibleInterface(menu);
        return QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (QMenu* menu = openMenu(); menu && child && child->object() == menu) return QAccessibleWidget::childCount();
        return QAccessibleWidget::indexOfChild(child);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    // Setting the value replaces the whole text, as one step of the undo
    // history (the value read is the caret's line).
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value)
            replaceText(0, characterCount(), text);
        else
            QAccessibleWidget::setText(t, text);
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                if (!pane()->accessibleName().isEmpty()) return pane()->accessibleName();
                return buddyCaption();
            case QAccessible::Value:  // the line of the caret
                return decoded(lines().row(pane()->caret().row));
            default: return QAccessibleWidget::text(t);
        }
    }

    // Text interface.
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || !pane()->hasSelection()) return;
        const int64_t a = offsetOf(lines(), pane()->anchor()), c = offsetOf(lines(), pane()->caret());
        *start = clampOffset(std::min(a, c));
        *end = clampOffset(std::max(a, c));
    }
    int selectionCount() const override { return pane()->hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { pane()->setCaret(pane()->caret()); }
    void setSelection(int, int start, int end) override {
        pane()->setCaret(posAt(lines(), start));
        pane()->setCaret(posAt(lines(), end), true);
    }
    int cursorPosition() const override { return clampOffset(offsetOf(lines(), pane()->caret())); }
    void setCursorPosition(int position) override { pane()->setCaret(posAt(lines(), position)); }

    QString text(int start, int end) const override {
        if (end <= start) return {};
        const TextPos from = posAt(lines(), start), to = posAt(lines(), end);
        const std::string bytes = lines().textBetween(from, to, "\n");
        return decoded(bytes);
    }
    int characterCount() const override { return clampOffset(unitCount(lines())); }

    // Only the caret's place is known outside the pane's drawing.
    QRect characterRect(int offset) const override {
        if (offset != cursorPosition()) return {};
        const QRect caret = pane()->caretRect();
        return QRect(pane()->viewport()->mapToGlobal(caret.topLeft()), caret.size());
    }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int start, int) override { setCursorPosition(start); }
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        return inRow(offset, type, start, end, &QAccessibleTextInterface::textAtOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        if (isLine(type)) {
            const RowPlace place = rowAt(lines(), offset);
            if (place.row == 0) return nothing(start, end);
            return wholeRow(place.row - 1, place.start - 1 - utf8::utf16Units(lines().row(place.row - 1)), start, end);
        }
        return inRow(offset, type, start, end, &QAccessibleTextInterface::textBeforeOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
        if (isLine(type)) {
            const RowPlace place = rowAt(lines(), offset);
            if (place.row + 1 >= lines().rowCount()) return nothing(start, end);
            return wholeRow(place.row + 1, place.start + utf8::utf16Units(lines().row(place.row)) + 1, start, end);
        }
        return inRow(offset, type, start, end, &QAccessibleTextInterface::textAfterOffset);
    }

    // Editable text: each edit goes in as a paste over the span would, as
    // one step of the undo history, and leaves the caret after it.
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        pane()->setCaret(posAt(lines(), start));
        pane()->setCaret(posAt(lines(), std::max(start, end)), true);
        pane()->insertText(text);
    }

private:
    QMenu* openMenu() const {
        QMenu* menu = pane()->contextMenu();
        return menu && menu->isVisible() ? menu : nullptr;
    }

    using BoundaryQuery = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*, int*) const;

    static bool isLine(QAccessible::TextBoundaryType type) {
        return type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary;
    }
    static QString nothing(int* start, int* end) {
        *start = *end = -1;
        return {};
    }

    QString rowWithBreak(int64_t row) const {
        QString text = decoded(lines().row(row));
        if (row + 1 < lines().rowCount()) text += QLatin1Char('\n');
        return text;
    }
    QString wholeRow(int64_t row, int64_t rowStart, int* start, int* end) const {
        const QString text = rowWithBreak(row);
        *start = clampOffset(rowStart);
        *end = clampOffset(rowStart + text.size());
        return text;
    }

    // Words, sentences and characters never reach across a line here; the
    // whole text stays out of it.
    QString inRow(int offset, QAccessible::TextBoundaryType type, int* start, int* end, BoundaryQuery query) const {
        if (type == QAccessible::NoBoundary) {
            *start = 0;
            *end = characterCount();
            return text(*start, *end);
        }
        const RowPlace place = rowAt(lines(), offset);
        if (isLine(type)) return wholeRow(place.row, place.start, start, end);
        const SingleRowText row(rowWithBreak(place.row));
        const QString found = (row.*query)(clampOffset(offset - place.start), type, start, end);
        if (*start >= 0) *start = clampOffset(*start + place.start);
        if (*end >= 0) *end = clampOffset(*end + place.start);
        return found;
    }

    QString buddyCaption() const {
        const QWidget* window = pane()->window();
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->buddy() == pane()) return QString(label->text()).remove(QLatin1Char('&'));
        }
        return {};
    }
};

// ---- the pane's context menu -------------------------------------------------
// Qt makes a popup menu a child of the application, which does not list
// popups among its windows, so a screen reader walking the tree never meets
// it. Here the menu answers to its pane, and its entries to the menu.

class PaneMenuAccessible : public QAccessibleWidget {
public:
    explicit PaneMenuAccessible(QMenu* menu) : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

    QMenu* menu() const { return static_cast<QMenu*>(widget()); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(menu()->parentWidget());
    }
    int childCount() const override { return static_cast<int>(menu()->actions().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QAction*> entries = menu()->actions();
        if (index < 0 || index >= entries.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(entries.at(index));
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(menu()->actions().indexOf(qobject_cast<QAction*>(child->object()))) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAction* entry = menu()->actionAt(menu()->mapFromGlobal(QPoint(x, y)));
        return entry ? QAccessible::queryAccessibleInterface(entry) : nullptr;
    }
};

class PaneMenuEntryAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PaneMenuEntryAccessible(QAction* entry, QMenu* menu) : entry_(entry), menu_(menu) {}

    bool isValid() const override { return entry_ && menu_; }
    QObject* object() const override { return entry_; }
    QWindow* window() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(menu_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return QString(entry_->text()).remove(QLatin1Char('&'));
        if (t == QAccessible::Accelerator) return entry_->shortcut().toString(QKeySequence::NativeText);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect r = menu_->actionGeometry(entry_);
        return r.translated(menu_->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override {
        return entry_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !menu_->isVisible() || !entry_->isVisible();
        s.disabled = entry_->isSeparator() || !entry_->isEnabled();
        s.focusable = !s.disabled;
        s.focused = menu_->activeAction() == entry_;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override {
        if (entry_->isSeparator()) return {};
        return {pressAction()};
    }
    void doAction(const QString& name) override {
        if (name != pressAction() || !entry_->isEnabled()) return;
        menu_->hide();
        entry_->trigger();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QAction> entry_;
    QPointer<QMenu> menu_;
};

QMenu* paneMenuOf(QObject* object) {
    auto* menu = qobject_cast<QMenu*>(object);
    return menu && qobject_cast<TextPane*>(menu->parent()) ? menu : nullptr;
}

QAccessibleInterface* paneFactory(const QString&, QObject* object) {
    if (auto* pane = qobject_cast<TextPane*>(object)) return new PaneAccessible(pane);
    if (QMenu* menu = paneMenuOf(object)) return new PaneMenuAccessible(menu);
    if (auto* entry = qobject_cast<QAction*>(object)) {
        if (QMenu* menu = paneMenuOf(entry->parent())) return new PaneMenuEntryAccessible(entry, menu);
    }
    return nullptr;
}

// Tells screen readers when the caret moves or the text changes. Every such
// change repaints the pane, so the paint is where it is noticed.
class PaneWatcher : public QObject {
public:
    explicit PaneWatcher(TextPane* pane) : QObject(pane), pane_(pane) { pane->viewport()->installEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && QAccessible::isActive()) notice();
        return false;
    }

private:
    void notice() {
        const PaneText& lines = pane_->lines();
        const bool textChanged = lines.characters() != characters_ || lines.rowCount() != rows_;
        const bool caretMoved = pane_->caret() != caret_ || pane_->anchor() != anchor_;
        characters_ = lines.characters();
        rows_ = lines.rowCount();
        caret_ = pane_->caret();
        anchor_ = pane_->anchor();
        if (textChanged || caretMoved) {
            QAccessibleValueChangeEvent value(pane_, decoded(lines.row(caret_.row)));
            QAccessible::updateAccessibility(&value);
        }
        if (caretMoved) {
            QAccessibleTextCursorEvent cursor(pane_, clampOffset(offsetOf(lines, caret_)));
            QAccessible::updateAccessibility(&cursor);
        }
    }

    TextPane* pane_;
    int64_t characters_ = -1, rows_ = -1;
    TextPos caret_, anchor_;
};

// Makes Qt build the panes' accessible interface, once.
void installPaneAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&paneFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace

void makeAccessible(TextPane& pane, QLabel& label) {
    installPaneAccessibility();
    label.setBuddy(&pane);
    new PaneWatcher(&pane);
}

}  // namespace quill
