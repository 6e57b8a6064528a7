#pragma once
// A plain-text pane: a multi-line editor with both scroll bars and no
// wrapping, drawn straight from its PaneText so that a pane of millions of
// lines fills, scrolls and takes typing as quickly as a short one. Only the
// rows on screen are ever measured or drawn.

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QHash>
#include <QPointer>
#include <string>

#include "lines/pane_text.h"

class QMenu;
class QPainter;

namespace quill {

class PaneWork;

class TextPane : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TextPane(QWidget* parent = nullptr);

    // The pane's line list: what the engine reads and writes.
    PaneText& lines() { return text_; }
    const PaneText& lines() const { return text_; }

    TextPos caret() const { return caret_; }
    TextPos anchor() const { return anchor_; }
    // Moves the caret; with keepAnchor the selection stretches to it.
    void setCaret(TextPos pos, bool keepAnchor = false);
    // Selects from anchor to caret; only the caret's place is measured.
    void select(TextPos anchor, TextPos caret);
    bool hasSelection() const { return caret_ != anchor_; }
    // The selection with CR LF breaks.
    std::string selectedText() const;
    void selectAll();

    // Puts text in place of the selection as the user would type or paste
    // it: any line break becomes a row break, NULs are dropped, and what does
    // not fit the capacity is left out (with a beep).
    void insertText(const QString& text);

    // A large selection is copied on the pane's work (pane_work.h).
    void copy();
    void cut();
    void paste();
    void undo();
    void redo();

    int64_t firstVisibleRow() const;
    int rowHeight() const { return rowHeight_; }
    // Where the caret is drawn, in viewport coordinates.
    QRect caretRect() const;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // Where the pane's long work runs (loads, saves, fills, copies); none:
    // at once.
    void setWork(PaneWork* work);
    PaneWork* work() const;

    // The context menu, a child of the pane so that screen readers find it
    // under the pane while it is open; null until it first opens.
    QMenu* contextMenu() const { return contextMenu_; }

signals:
    // The context menu is built and about to open: a place for more entries.
    void contextMenuBuilt(QMenu* menu);
    // The text changed: an edit, a load, a clear or added lines.
    void contentsChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Geometry and painting (text_pane.cpp).
    void textChanged(bool replaced);
    void updateMetrics();
    void updateScrollRanges();
    // Widens the content to the rows on screen that are wider than it, so
    // that the scroll bar reaches them; runs where the text, the view or the
    // font changes, never while painting.
    void measureShownRows();
    // Rows that may show: those that fit, and the one cut at the bottom.
    int64_t shownRowCount() const;
    int fullyVisibleRows() const;
    qreal advance(char32_t c) const;
    // x of a column within its row, from the row's start.
    qreal xOf(int64_t row, std::size_t col) const;
    // The column whose left edge is nearest to x.
    std::size_t colAt(int64_t row, qreal x) const;
    TextPos posAt(const QPoint& viewportPoint) const;
    void ensureCaretVisible();
    void paintRow(QPainter& painter, QPalette::ColorGroup group, int64_t row, int top) const;
    void paintCaret(QPainter& painter, QPalette::ColorGroup group) const;
    void restartBlink();

    // Editing (text_pane_input.cpp).
    bool handleStandardKey(QKeyEvent* event);
    void moveCaret(TextPos pos, bool select);
    void moveVertically(int64_t rows, bool select);
    TextPos wordStep(TextPos from, bool forward) const;
    void replaceSelection(std::string_view utf8, PaneText::EditKind kind);
    void deleteOrExtend(TextPos other);
    void selectWordAt(TextPos pos);
    void dragScroll();

    PaneText text_;
    TextPos caret_, anchor_;
    qreal goalX_ = -1;  // x kept while moving up and down
    QString preedit_;   // input-method text not yet committed

    int rowHeight_ = 1;
    int ascent_ = 0;
    qreal asciiAdvance_[128] = {};
    qreal tabWidth_ = 1;
    mutable QHash<char32_t, qreal> advances_;
    qreal contentWidth_ = 0;  // widest row measured so far (on screen, or by the caret)

    bool editing_ = false;  // the change under way is the user's, not the program's
    bool caretShown_ = true;
    bool selectingWithMouse_ = false;
    QPoint lastMousePos_;
    QBasicTimer blinkTimer_, dragScrollTimer_;
    QMenu* contextMenu_ = nullptr;
    QPointer<PaneWork> work_;
};

}  // namespace quill
