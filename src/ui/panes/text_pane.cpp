#include "ui/panes/text_pane.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "common/utf8_steps.h"
#include "ui/panes/pane_work.h"
#include "ui/shared/dispose_aside.h"

namespace quill {

namespace {

constexpr int kLeftMargin = 2;
constexpr int kTopMargin = 1;

// Control characters are shown as their pictures (U+2400...), so that a
// stray byte in a loaded file is visible and takes room.
char32_t pictureOf(char32_t c) {
    if (c < 0x20) return 0x2400 + c;
    if (c == 0x7F) return 0x2421;
    return c;
}

void appendShown(QString& run, char32_t c) {
    const char32_t shown = pictureOf(c);
    run.append(QString::fromUcs4(&shown, 1));
}

// Calls fn(pos, end, c, x, width) for each character of the row in turn
// until fn returns false. A tab reaches to the next tab stop.
template <class Fn>
void walk(std::string_view s, qreal tabWidth, const auto& advanceOf, Fn fn) {
    qreal x = 0;
    for (std::size_t pos = 0; pos < s.size();) {
        const auto lead = static_cast<unsigned char>(s[pos]);
        std::size_t end;
        char32_t c;
        if (lead < 0x80) {
            end = pos + 1;
            c = lead;
        } else {
            end = utf8::next(s, pos);
            c = utf8::decode(s, pos, end);
        }
        const qreal width = c == '\t' ? (std::floor(x / tabWidth) + 1) * tabWidth - x : advanceOf(c);
        if (!fn(pos, end, c, x, width)) return;
        x += width;
        pos = end;
    }
}

}  // namespace

TextPane::TextPane(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    text_.setObserver([this](bool replaced) { textChanged(replaced); });
    // Texts of a megabyte and more are freed beside the window.
    text_.setDiscard([](std::vector<RowText> texts) {
        std::size_t bytes = 0;
        for (const RowText& text : texts) bytes += text.bytes();
        if (bytes >= (std::size_t{1} << 20)) disposeAside(std::move(texts));
    });
    updateMetrics();
}

void TextPane::setWork(PaneWork* work) { work_ = work; }

PaneWork* TextPane::work() const { return work_; }

// ---- text and caret -------------------------------------------------------

void TextPane::textChanged(bool replaced) {
    emit contentsChanged();
    if (replaced) {
        caret_ = anchor_ = TextPos{};
        contentWidth_ = 0;
        goalX_ = -1;
    } else if (!editing_) {
        // Lines added by the program: the caret goes after them, as if they
        // had been typed there.
        caret_ = anchor_ = text_.end();
    }
    caret_ = text_.clamp(caret_);
    anchor_ = text_.clamp(anchor_);
    updateScrollRanges();
    if (replaced) {
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
    } else if (!editing_) {
        ensureCaretVisible();
    }
    measureShownRows();
    viewport()->update();
}

void TextPane::setCaret(TextPos pos, bool keepAnchor) {
    goalX_ = -1;
    moveCaret(text_.clamp(pos), keepAnchor);
}

void TextPane::select(TextPos anchor, TextPos caret) {
    anchor_ = text_.clamp(anchor);
    setCaret(caret, true);
}

std::string TextPane::selectedText() const {
    return text_.textBetween(std::min(caret_, anchor_), std::max(caret_, anchor_));
}

void TextPane::selectAll() {
    anchor_ = TextPos{};
    caret_ = text_.end();
    goalX_ = -1;
    ensureCaretVisible();
    viewport()->update();
}

// ---- geometry -------------------------------------------------------------

void TextPane::updateMetrics() {
    const QFontMetricsF metrics(font());
    rowHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.lineSpacing())));
    ascent_ = static_cast<int>(std::round(metrics.ascent()));
    for (char32_t c = 0; c < 128; ++c) {
        const char32_t shown = pictureOf(c);
        asciiAdvance_[c] = metrics.horizontalAdvance(QString::fromUcs4(&shown, 1));
    }
    tabWidth_ = std::max<qreal>(1, 8 * asciiAdvance_[' ']);
    advances_.clear();
    contentWidth_ = 0;
    updateScrollRanges();
    measureShownRows();
    viewport()->update();
}

qreal TextPane::advance(char32_t c) const {
    if (c < 128) return asciiAdvance_[c];
    auto found = advances_.constFind(c);
    if (found != advances_.constEnd()) return *found;
    const char32_t shown = pictureOf(c);
    const qreal width = QFontMetricsF(font()).horizontalAdvance(QString::fromUcs4(&shown, 1));
    advances_.insert(c, width);
    return width;
}

qreal TextPane::xOf(int64_t row, std::size_t col) const {
    qreal at = 0;
    bool found = false;
    const auto advanceOf = [this](char32_t c) { return advance(c); };
    walk(text_.row(row), tabWidth_, advanceOf, [&](std::size_t pos, std::size_t, char32_t, qreal x, qreal width) {
        if (pos >= col) {
            at = x;
            found = true;
            return false;
        }
        at = x + width;
        return true;
    });
    return found || col > 0 ? at : 0;
}

std::size_t TextPane::colAt(int64_t row, qreal x) const {
    const std::string_view s = text_.row(row);
    std::size_t col = s.size();
    const auto advanceOf = [this](char32_t c) { return advance(c); };
    walk(s, tabWidth_, advanceOf, [&](std::size_t pos, std::size_t, char32_t, qreal left, qreal width) {
        if (x < left + width / 2) {
            col = pos;
            return false;
        }
        return true;
    });
    return col;
}

int64_t TextPane::shownRowCount() const { return viewport()->height() / rowHeight_ + 2; }

int TextPane::fullyVisibleRows() const { return std::max(1, (viewport()->height() - kTopMargin) / rowHeight_); }

int64_t TextPane::firstVisibleRow() const { return verticalScrollBar()->value(); }

TextPos TextPane::posAt(const QPoint& point) const {
    const int64_t rowOnScreen = static_cast<int64_t>(std::floor(double(point.y() - kTopMargin) / rowHeight_));
    const int64_t row = std::clamp<int64_t>(firstVisibleRow() + rowOnScreen, 0, text_.rowCount() - 1);
    const qreal x = point.x() + horizontalScrollBar()->value() - kLeftMargin;
    return {row, colAt(row, x)};
}

QRect TextPane::caretRect() const {
    const int width = std::max(1, style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this));
    const qreal x = xOf(caret_.row, caret_.col) - horizontalScrollBar()->value() + kLeftMargin;
    const int64_t rowOnScreen = caret_.row - firstVisibleRow();
    const int64_t y = kTopMargin + rowOnScreen * rowHeight_;
    return QRect(static_cast<int>(std::floor(x)), static_cast<int>(std::clamp<int64_t>(y, -rowHeight_, INT_MAX / 2)),
                 width, rowHeight_);
}

void TextPane::updateScrollRanges() {
    const int64_t rows = text_.rowCount();
    QScrollBar* vertical = verticalScrollBar();
    const int full = fullyVisibleRows();
    vertical->setRange(0, static_cast<int>(std::clamp<int64_t>(rows - full, 0, INT_MAX)));
    vertical->setPageStep(full);
    vertical->setSingleStep(1);

    // The widest row is known in bytes only; measuring every row of a large
    // pane would cost as much as drawing it. Digits are a fair guess, and
    // rows found wider on screen (or by the caret) stretch the range.
    const qreal guess = static_cast<qreal>(text_.widestRowBytes()) * asciiAdvance_['0'];
    const qreal width = std::max(contentWidth_, guess) + 2 * kLeftMargin + 1;
    QScrollBar* horizontal = horizontalScrollBar();
    const int viewWidth = viewport()->width();
    horizontal->setRange(0, static_cast<int>(std::clamp<qreal>(std::ceil(width) - viewWidth, 0, INT_MAX / 2)));
    horizontal->setPageStep(std::max(1, viewWidth));
    horizontal->setSingleStep(std::max(1, static_cast<int>(asciiAdvance_['0'] * 2)));
}

void TextPane::ensureCaretVisible() {
    QScrollBar* vertical = verticalScrollBar();
    const int full = fullyVisibleRows();
    if (caret_.row < vertical->value()) {
        vertical->setValue(static_cast<int>(std::min<int64_t>(caret_.row, INT_MAX)));
    } else if (caret_.row >= vertical->value() + int64_t{full}) {
        vertical->setValue(static_cast<int>(std::min<int64_t>(caret_.row - full + 1, INT_MAX)));
    }

    const qreal x = xOf(caret_.row, caret_.col);
    if (x > contentWidth_) {
        contentWidth_ = x;
        updateScrollRanges();
    }
    QScrollBar* horizontal = horizontalScrollBar();
    const int viewWidth = viewport()->width();
    const int left = horizontal->value();
    // Like the system's edit controls: jump a third of the width, so that
    // typing at the edge does not scroll at every character.
    if (x < left) {
        horizontal->setValue(static_cast<int>(std::max<qreal>(0, x - viewWidth / 3)));
    } else if (x + 2 * kLeftMargin + 1 > left + viewWidth) {
        horizontal->setValue(static_cast<int>(x + 2 * kLeftMargin + 1 - viewWidth + viewWidth / 3));
    }
}

void TextPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
    measureShownRows();
}

void TextPane::scrollContentsBy(int, int) {
    measureShownRows();
    viewport()->update();
}

void TextPane::measureShownRows() {
    // A row is measured as far as the right edge of the view: one that ends
    // there is known in full. Longer rows stay with the guess, or the caret
    // finds them (ensureCaretVisible).
    const qreal right = horizontalScrollBar()->value() + viewport()->width();
    const int64_t first = firstVisibleRow();
    const int64_t end = std::min(text_.rowCount(), first + shownRowCount());
    qreal widest = contentWidth_;
    for (int64_t row = first; row < end; ++row) {
        bool whole = true;
        qreal width = 0;
        const auto advanceOf = [this](char32_t c) { return advance(c); };
        walk(text_.row(row), tabWidth_, advanceOf, [&](std::size_t, std::size_t, char32_t, qreal x, qreal step) {
            whole = x <= right;
            width = x + step;
            return whole;
        });
        if (whole) widest = std::max(widest, width);
    }
    if (widest > contentWidth_) {
        contentWidth_ = widest;
        updateScrollRanges();
    }
}

void TextPane::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    // Positions are sums of single-character advances, which is what the
    // painter draws only when no kerning pulls characters together.
    if (font().kerning()) {
        QFont unkerned = font();
        unkerned.setKerning(false);
        setFont(unkerned);  // comes back here
        return;
    }
    updateMetrics();
}

// ---- painting -------------------------------------------------------------

void TextPane::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const int64_t first = firstVisibleRow();
    const int64_t end = std::min(text_.rowCount(), first + shownRowCount());
    for (int64_t row = first; row < end; ++row)
        paintRow(painter, group, row, kTopMargin + static_cast<int>(row - first) * rowHeight_);
    paintCaret(painter, group);
}

void TextPane::paintRow(QPainter& painter, QPalette::ColorGroup group, int64_t row, int top) const {
    const std::string_view s = text_.row(row);
    const qreal left = horizontalScrollBar()->value();
    const qreal right = left + viewport()->width();

    // The characters that reach into view, in runs broken at tabs.
    struct Run {
        qreal x;
        QString text;
    };
    std::vector<Run> runs;
    const auto advanceOf = [this](char32_t c) { return advance(c); };
    walk(s, tabWidth_, advanceOf, [&](std::size_t, std::size_t, char32_t c, qreal x, qreal width) {
        if (x > right) return false;
        if (x + width < left) return true;
        if (c == '\t') {
            runs.push_back({x + width, QString()});
        } else {
            if (runs.empty()) runs.push_back({x, QString()});
            appendShown(runs.back().text, c);
        }
        return true;
    });

    QRectF selection;
    const TextPos selFrom = std::min(caret_, anchor_), selTo = std::max(caret_, anchor_);
    if (caret_ != anchor_ && row >= selFrom.row && row <= selTo.row) {
        const qreal x0 = row == selFrom.row ? xOf(row, selFrom.col) : 0;
        qreal x1 = row == selTo.row ? xOf(row, selTo.col) : xOf(row, s.size());
        if (row < selTo.row) x1 += asciiAdvance_[' '];  // the line break is selected too
        selection = QRectF(x0 - left + kLeftMargin, top, x1 - x0, rowHeight_);
        painter.fillRect(selection, palette().color(group, QPalette::Highlight));
    }
    const int baseline = top + ascent_;
    painter.setPen(palette().color(group, QPalette::Text));
    for (const Run& run : runs) painter.drawText(QPointF(run.x - left + kLeftMargin, baseline), run.text);
    if (!selection.isEmpty()) {
        painter.save();
        painter.setClipRect(selection);
        painter.setPen(palette().color(group, QPalette::HighlightedText));
        for (const Run& run : runs) painter.drawText(QPointF(run.x - left + kLeftMargin, baseline), run.text);
        painter.restore();
    }
}

void TextPane::paintCaret(QPainter& painter, QPalette::ColorGroup group) const {
    const QColor textColor = palette().color(group, QPalette::Text);
    const QRect caret = caretRect();
    if (!preedit_.isEmpty()) {
        // Text the input method is still composing, drawn over the caret.
        QFont underlined = font();
        underlined.setUnderline(true);
        const QRect box(caret.left(), caret.top(),
                        static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(preedit_))) + 1, rowHeight_);
        painter.fillRect(box, palette().color(group, QPalette::Base));
        painter.setFont(underlined);
        painter.setPen(textColor);
        painter.drawText(QPointF(box.left(), caret.top() + ascent_), preedit_);
    } else if (hasFocus() && caretShown_) {
        painter.fillRect(caret, textColor);
    }
}

// ---- caret blinking -------------------------------------------------------

void TextPane::restartBlink() {
    caretShown_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0) {
        blinkTimer_.start(flash / 2, this);
    } else {
        blinkTimer_.stop();
    }
}

void TextPane::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void TextPane::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    blinkTimer_.stop();
    viewport()->update();
}

void TextPane::timerEvent(QTimerEvent* event) {
    if (event->timerId() == blinkTimer_.timerId()) {
        caretShown_ = !caretShown_;
        viewport()->update(caretRect());
    } else if (event->timerId() == dragScrollTimer_.timerId()) {
        dragScroll();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

}  // namespace quill
