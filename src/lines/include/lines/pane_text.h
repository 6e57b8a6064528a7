#pragma once
// The text of a desktop pane: the line model (ByteLineList, on a RowText)
// with the user's edits and their undo history (EditHistory), and an
// observer told of every change. The rows are UTF-8 bytes joined by CR LF,
// exactly the pane text of the line model, so that the widget (TextPane)
// draws and edits the same text the engine reads and writes. No Qt here.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "lines/edit_history.h"
#include "lines/line_list.h"
#include "lines/row_text.h"

namespace quill {

class PaneText : public ByteLineList {
public:
    using EditKind = quill::EditKind;

    PaneText() = default;

    void clear() override;
    // A load replaces the whole text as one step of the undo history.
    using ByteLineList::load;
    void load(RowText rows, FileEncoding encoding) override;

    // Rows as displayed: at least one; the last is empty when the text ends
    // with CR LF.
    int64_t rowCount() const { return rows_.rowCount(); }
    std::string_view row(int64_t r) const { return rows_.row(r); }
    int64_t characters() const { return rows_.characters(); }
    std::size_t widestRowBytes() const { return rows_.widestRowBytes(); }
    TextPos end() const { return rows_.end(); }
    TextPos clamp(TextPos pos) const { return rows_.clamp(pos); }
    // The text between two places, rows joined by lineBreak.
    std::string textBetween(TextPos from, TextPos to, std::string_view lineBreak = "\r\n") const {
        return rows_.textBetween(from, to, lineBreak);
    }
    // Where text inserted at `at` ends.
    static TextPos after(TextPos at, std::string_view text);

    // An edit by the user: replaces [from, to) with text (CR LF breaks),
    // dropping what would take the text past its capacity; recorded for undo.
    // Typed characters that follow one another undo together.
    struct EditResult {
        TextPos end;       // after what went in
        bool cut = false;  // part of the text did not fit
    };
    EditResult edit(TextPos from, TextPos to, std::string_view text, EditKind kind = EditKind::other);
    // The same with the text's rows already made (on another thread): they
    // go in without a copy when they fit.
    EditResult edit(TextPos from, TextPos to, RowText text, EditKind kind = EditKind::other);

    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    // Each returns the span that the undone or redone edit left behind.
    std::pair<TextPos, TextPos> undo();
    std::pair<TextPos, TextPos> redo();
    // Nothing left to undo or redo: the text as it stands is the start.
    void forgetHistory() { history_.forget(); }
    // Bytes the undo and redo steps hold besides the text.
    std::size_t historyBytes() const { return history_.bytes(); }

    // Called after every change; `replaced` is true when the whole text was
    // replaced or cleared rather than edited or appended to.
    void setObserver(std::function<void(bool replaced)> observer) { observer_ = std::move(observer); }
    // Where the texts go that the pane lets go of (a cleared text, steps the
    // history drops), so that a large one can be freed on another thread.
    void setDiscard(TextDiscard discard);

protected:
    // What the program adds to the text is not undone, and ends the history.
    void appended() override;

private:
    // Puts text in place of [from, to) (valid, in order), which held away,
    // and records it.
    EditResult replaceSpan(TextPos from, TextPos to, RowText away, RowText text, EditKind kind, bool cut);
    // Puts the step's text back in place of the text it spans; the step then
    // holds what was there. Undo and redo both.
    std::pair<TextPos, TextPos> swapIn(EditStep& step);
    void changed(bool replaced);

    EditHistory history_;
    std::function<void(bool)> observer_;
    TextDiscard discard_;
};

}  // namespace quill
