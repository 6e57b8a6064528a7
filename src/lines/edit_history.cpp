#include "lines/edit_history.h"

namespace quill {

namespace {

constexpr std::size_t kMostUndoSteps = 100;
// What the history may hold besides the text; a single larger step (a big
// file loaded over a big text) is still kept, alone.
constexpr std::size_t kMostHistoryBytes = std::size_t{256} << 20;

}  // namespace

void EditHistory::record(EditStep step) {
    for (const EditStep& s : redo_) bytes_ -= s.away.bytes();
    redo_.clear();
    const bool continuesTyping = step.kind == EditKind::typing && step.away.bytes() == 0 && !undo_.empty() &&
                                 undo_.back().kind == EditKind::typing && undo_.back().end == step.from;
    if (continuesTyping) {
        undo_.back().end = step.end;
        return;
    }
    push(std::move(step));
}

EditStep EditHistory::take(std::vector<EditStep>& steps) {
    EditStep step = std::move(steps.back());
    steps.pop_back();
    bytes_ -= step.away.bytes();
    return step;
}

void EditHistory::putRedo(EditStep step) {
    bytes_ += step.away.bytes();
    redo_.push_back(std::move(step));
}

void EditHistory::putUndo(EditStep step) {
    step.kind = EditKind::other;
    push(std::move(step));
}

void EditHistory::push(EditStep step) {
    bytes_ += step.away.bytes();
    undo_.push_back(std::move(step));
    trim();
}

void EditHistory::forget() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

void EditHistory::trim() {
    std::size_t drop = 0;
    while (undo_.size() - drop > 1 && (undo_.size() - drop > kMostUndoSteps || bytes_ > kMostHistoryBytes)) {
        bytes_ -= undo_[drop].away.bytes();
        ++drop;
    }
    undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(drop));
}

}  // namespace quill
