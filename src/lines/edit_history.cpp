#include "lines/edit_history.h"

namespace quill {

namespace {

constexpr std::size_t kMostUndoSteps = 100;
// What the history may hold besides the text; a single larger step (a big
// file loaded over a big text) is still kept, alone.
constexpr std::size_t kMostHistoryBytes = std::size_t{256} << 20;

}  // namespace

void EditHistory::record(EditStep step) {
    drop(redo_, redo_.size());
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
    drop(undo_, undo_.size());
    drop(redo_, redo_.size());
}

void EditHistory::trim() {
    std::size_t count = 0;
    std::size_t bytes = bytes_;
    while (undo_.size() - count > 1 && (undo_.size() - count > kMostUndoSteps || bytes > kMostHistoryBytes))
        bytes -= undo_[count++].away.bytes();
    drop(undo_, count);
}

void EditHistory::drop(std::vector<EditStep>& steps, std::size_t count) {
    if (count == 0) return;
    std::vector<RowText> texts;
    texts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes_ -= steps[i].away.bytes();
        texts.push_back(std::move(steps[i].away));
    }
    steps.erase(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(count));
    if (discard_) discard_(std::move(texts));
}

}  // namespace quill
