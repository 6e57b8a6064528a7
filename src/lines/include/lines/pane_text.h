#pragma once
// The text of a desktop pane: rows of UTF-8 bytes joined by CR LF, which is
// exactly the pane text of the byte-string line model. A text that comes
// whole (a file, a report into an empty pane, a replacement of everything)
// is kept as it came with the start of every row, and rows of their own are
// made only from the first one edited on, so that millions of lines go in at
// the cost of one scan and any line is read in constant time. No Qt here:
// the widget (TextPane) draws and edits it, the engine reads and writes its
// lines.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lines/line_list.h"

namespace quill {

// A place in the text: a row and a byte offset into it, on a character start.
struct TextPos {
    int64_t row = 0;
    std::size_t col = 0;
    friend auto operator<=>(const TextPos&, const TextPos&) = default;
};

// Turns the bytes of a file into the pane's UTF-8 text and back; it may
// remember how the last file it read was encoded. A pane without one takes
// and gives the bytes unchanged.
class FileCodec {
public:
    virtual ~FileCodec() = default;
    virtual std::string decode(std::string bytes) = 0;
    virtual std::string encode(std::string text) const = 0;
};

// Lines made ready away from a pane, on any thread, to go into it at once:
// the text is kept whole with the start of every line, its characters
// counted, so that an empty pane takes millions of lines by taking the text.
class PreparedLines {
public:
    PreparedLines() = default;
    // Whole lines, each ending with CR LF; text after the last one is not taken.
    explicit PreparedLines(std::string lines);
    int64_t count() const { return static_cast<int64_t>(starts_.size()); }

private:
    friend class PaneText;
    std::string_view line(std::size_t i) const;

    std::string text_;
    std::vector<std::size_t> starts_;
    int64_t characters_ = 0;  // line breaks counted as two
    std::size_t widest_ = 0;  // the most bytes in a line, and how many lines have them
    int64_t widestRows_ = 0;
};

class PaneText : public LineList {
public:
    PaneText();

    // The line list.
    int32_t count() const override;
    std::string line(int32_t i) const override;
    int32_t add(std::string_view s) override;
    void addLines(const LineBatch& batch) override;
    // As addLines; an empty pane takes the prepared text itself.
    void addLines(PreparedLines&& lines);
    void clear() override;
    int64_t capacity() const override { return capacity_; }
    void setCapacity(int64_t characters) override { capacity_ = characters; }
    // The whole text, UTF-8 with CR LF breaks.
    std::string text() const;
    // The text through the file codec, if the pane has one. A load replaces
    // the whole text as one step of the undo history.
    std::string fileBytes() const override;
    void setFileBytes(std::string bytes) override;
    void setFileCodec(std::unique_ptr<FileCodec> codec) { codec_ = std::move(codec); }

    // Rows as displayed: at least one; the last is empty when the text ends
    // with CR LF.
    int64_t rowCount() const { return frozenRows() + static_cast<int64_t>(rows_.size()); }
    std::string_view row(int64_t r) const;
    int64_t characters() const { return characters_; }
    // The most bytes in one row (kept lazily: a scan after edits that shrink).
    std::size_t widestRowBytes() const;

    TextPos end() const { return {rowCount() - 1, rows_.back().size()}; }
    // The nearest valid place: row and column inside the text, column on a
    // character start.
    TextPos clamp(TextPos pos) const;
    // The text between two places, rows joined by lineBreak.
    std::string textBetween(TextPos from, TextPos to, std::string_view lineBreak = "\r\n") const;
    // Where text inserted at `at` ends.
    static TextPos after(TextPos at, std::string_view text);

    // An edit by the user: replaces [from, to) with text (CR LF breaks),
    // dropping what would take the text past its capacity; recorded for undo.
    // Typed characters that follow one another undo together.
    enum class EditKind { typing, other };
    struct EditResult {
        TextPos end;       // after what went in
        bool cut = false;  // part of the text did not fit
    };
    EditResult edit(TextPos from, TextPos to, std::string_view text, EditKind kind = EditKind::other);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Each returns the span that the undone or redone edit left behind.
    std::pair<TextPos, TextPos> undo();
    std::pair<TextPos, TextPos> redo();
    // Nothing left to undo or redo: the text as it stands is the start.
    void forgetHistory();
    // Bytes the undo and redo steps hold besides the text.
    std::size_t historyBytes() const { return historyBytes_; }

    // Called after every change; `replaced` is true when the whole text was
    // replaced or cleared rather than edited or appended to.
    void setObserver(std::function<void(bool replaced)> observer) { observer_ = std::move(observer); }

private:
    // An edit as the history keeps it: the text it put in is in the pane
    // from `from` to `end`, and only the text it took out is held (for a
    // step that was undone, the other way round), so that replacing a large
    // text costs one copy of it, not two.
    struct Step {
        TextPos from, end;
        std::string away;
        EditKind kind;
    };

    // Appends one line as add() does, without the capacity check.
    void appendLine(std::string_view s);
    int64_t frozenRows() const { return static_cast<int64_t>(frozenStarts_.size()); }
    // The frozen rows from r on become rows of their own, to be edited.
    void thaw(int64_t r);
    void dropFrozen();
    // removedCharacters: those between from and to, which the caller has counted.
    void replace(TextPos from, TextPos to, std::string_view text, int64_t removedCharacters);
    void replaceWhole(std::string text);
    int64_t charactersBetween(TextPos from, TextPos to) const;
    // Puts the step's held text back in place of the text it spans; the
    // step then holds what was there. Undo and redo both.
    std::pair<TextPos, TextPos> swapIn(Step& step);
    void record(Step step);
    // Drops the oldest steps while the history holds too much; the newest
    // stays whatever its size.
    void trimHistory();
    void changed(bool replaced);
    // Keep the widest row and how many rows share its size, so that only
    // the last widest row shrinking calls for a scan.
    void rowAdded(std::size_t bytes) const;
    void rowRemoved(std::size_t bytes) const;

    // The first rows may stand in one text as it came (frozen), each followed
    // there by CR LF; rows_ holds the rest, at least one row.
    std::string frozenText_;
    std::vector<std::size_t> frozenStarts_;
    std::vector<std::string> rows_;
    int64_t characters_ = 0;
    int64_t capacity_ = kDefaultCapacity;
    mutable std::size_t widest_ = 0;
    mutable int64_t widestRows_ = 1;  // rows as wide as widest_
    mutable bool widestKnown_ = true;
    std::vector<Step> undo_, redo_;
    std::size_t historyBytes_ = 0;
    std::function<void(bool)> observer_;
    std::unique_ptr<FileCodec> codec_;
};

}  // namespace quill
