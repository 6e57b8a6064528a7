#pragma once
// The undo and redo steps of a pane. A step keeps only the text it took out
// (for a step that was undone, the text the undo took out), as a RowText that
// shares its blocks: replacing a large text keeps no copy of its bytes, and
// taking a step back swaps texts rather than copying them.

#include <cstddef>
#include <functional>
#include <vector>

#include "lines/row_text.h"

namespace quill {

// Typed characters that follow one another undo together.
enum class EditKind { typing, other };

struct EditStep {
    TextPos from, end;  // the text the step put in spans [from, end)
    RowText away;       // the text it took out
    EditKind kind = EditKind::other;
};

// Takes the texts of the steps a history drops; without one they are freed
// where they drop.
using TextDiscard = std::function<void(std::vector<RowText>)>;

class EditHistory {
public:
    void setDiscard(TextDiscard discard) { discard_ = std::move(discard); }
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Bytes the steps hold besides the text.
    std::size_t bytes() const { return bytes_; }

    // A new edit: the steps to redo are gone, and typing that goes on where
    // the last typed step ended joins it.
    void record(EditStep step);
    // The step to take back or do again, off its list; the caller swaps its
    // text in and hands it on to the other list.
    EditStep takeUndo() { return take(undo_); }
    EditStep takeRedo() { return take(redo_); }
    void putRedo(EditStep step);
    // A step done again is not continued by typing.
    void putUndo(EditStep step);
    // Nothing left to undo or redo.
    void forget();

private:
    EditStep take(std::vector<EditStep>& steps);
    void push(EditStep step);
    // Drops the oldest steps while there are too many or they hold too
    // much; the newest stays whatever its size.
    void trim();
    // Drops steps [0, count) of the list.
    void drop(std::vector<EditStep>& steps, std::size_t count);

    std::vector<EditStep> undo_, redo_;
    TextDiscard discard_;
    std::size_t bytes_ = 0;
};

}  // namespace quill
