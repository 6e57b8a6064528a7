#include "lines/pane_text.h"

#include <algorithm>
#include <vector>

#include "common/utf8_steps.h"

namespace quill {

namespace {

constexpr std::string_view kBreak{"\r\n", 2};

}  // namespace

void PaneText::setDiscard(TextDiscard discard) {
    discard_ = discard;
    history_.setDiscard(std::move(discard));
}

void PaneText::clear() {
    std::vector<RowText> gone(1, rows_);  // shares the blocks, which now go with it
    ByteLineList::clear();
    history_.forget();
    if (discard_) discard_(std::move(gone));
    changed(true);
}

void PaneText::load(RowText rows, FileEncoding encoding) {
    RowText before = rows_;  // shares the blocks: no copy
    ByteLineList::load(std::move(rows), encoding);
    history_.record({{}, end(), std::move(before), EditKind::other});
    changed(true);
}

void PaneText::appended() {
    history_.forget();
    changed(false);
}

TextPos PaneText::after(TextPos at, std::string_view text) {
    const std::size_t last = text.rfind(kBreak);
    if (last == std::string_view::npos) return {at.row, at.col + text.size()};
    int64_t breaks = 0;
    for (std::size_t p = text.find(kBreak); p != std::string_view::npos; p = text.find(kBreak, p + 2)) ++breaks;
    return {at.row + breaks, text.size() - (last + 2)};
}

PaneText::EditResult PaneText::edit(TextPos from, TextPos to, std::string_view text, EditKind kind) {
    from = clamp(from);
    to = clamp(to);
    if (to < from) std::swap(from, to);

    RowText away = rows_.between(from, to);
    const int64_t room = capacity() - (characters() - away.characters());
    const bool cut = utf8::countCharacters(text) > room;
    if (cut) {
        const std::size_t fits = utf8::bytesOfFirst(text, std::max<int64_t>(room, 0));
        // Half a line break would leave a stray CR in the row.
        const bool halfBreak = fits > 0 && text[fits - 1] == '\r' && fits < text.size() && text[fits] == '\n';
        text = text.substr(0, halfBreak ? fits - 1 : fits);
    }
    if (text.empty() && from == to) return {from, cut};
    return replaceSpan(from, to, std::move(away), RowText(std::string(text)), kind, cut);
}

PaneText::EditResult PaneText::edit(TextPos from, TextPos to, RowText text, EditKind kind) {
    from = clamp(from);
    to = clamp(to);
    if (to < from) std::swap(from, to);
    RowText away = rows_.between(from, to);
    // Rows that do not fit are cut as any text is.
    if (text.characters() > capacity() - (characters() - away.characters())) return edit(from, to, text.text(), kind);
    return replaceSpan(from, to, std::move(away), std::move(text), kind, false);
}

PaneText::EditResult PaneText::replaceSpan(TextPos from, TextPos to, RowText away, RowText text, EditKind kind,
                                           bool cut) {
    const TextPos end = text.endAfter(from);
    rows_.replace(from, to, text);
    history_.record({from, end, std::move(away), kind});
    changed(false);
    return {end, cut};
}

std::pair<TextPos, TextPos> PaneText::swapIn(EditStep& step) {
    RowText present = rows_.between(step.from, step.end);
    const TextPos end = step.away.endAfter(step.from);
    rows_.replace(step.from, step.end, step.away);
    step.end = end;
    step.away = std::move(present);
    return {step.from, step.end};
}

std::pair<TextPos, TextPos> PaneText::undo() {
    if (!canUndo()) return {};
    EditStep step = history_.takeUndo();
    const auto span = swapIn(step);
    history_.putRedo(std::move(step));
    changed(false);
    return span;
}

std::pair<TextPos, TextPos> PaneText::redo() {
    if (!canRedo()) return {};
    EditStep step = history_.takeRedo();
    const auto span = swapIn(step);
    history_.putUndo(std::move(step));
    changed(false);
    return span;
}

void PaneText::changed(bool replaced) {
    if (observer_) observer_(replaced);
}

}  // namespace quill
