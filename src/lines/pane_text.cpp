#include "lines/pane_text.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "common/error.h"
#include "common/utf8_steps.h"

namespace quill {

namespace {

constexpr std::string_view kBreak{"\r\n", 2};
constexpr std::size_t kMostUndoSteps = 100;
// What the history may hold besides the text; a single larger step (a big
// file loaded over a big text) is still kept, alone.
constexpr std::size_t kMostHistoryBytes = std::size_t{256} << 20;

// Calls fn(line) for each piece of text between CR LF breaks, the piece after
// the last break included (empty when text ends with one).
template <class Fn>
void forEachPiece(std::string_view text, Fn fn) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(kBreak, start);
        if (at == std::string_view::npos) break;
        fn(text.substr(start, at - start));
        start = at + 2;
    }
    fn(text.substr(start));
}

}  // namespace

PaneText::PaneText() : rows_(1) {}

int32_t PaneText::count() const {
    const auto lines = static_cast<std::size_t>(rowCount()) - (rows_.back().empty() ? 1 : 0);
    constexpr std::size_t kMost = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::min(lines, kMost));
}

std::string PaneText::line(int32_t i) const {
    if (i < 0 || i >= count()) return {};
    return std::string(row(i));
}

std::string_view PaneText::row(int64_t r) const {
    const int64_t frozen = frozenRows();
    if (r >= frozen) return rows_[static_cast<std::size_t>(r - frozen)];
    const std::size_t start = frozenStarts_[static_cast<std::size_t>(r)];
    const std::size_t end = r + 1 < frozen ? frozenStarts_[static_cast<std::size_t>(r + 1)] : frozenText_.size();
    return std::string_view(frozenText_).substr(start, end - 2 - start);
}

void PaneText::thaw(int64_t r) {
    const int64_t frozen = frozenRows();
    if (r >= frozen) return;
    std::vector<std::string> rows;
    rows.reserve(static_cast<std::size_t>(frozen - r) + rows_.size());
    for (int64_t i = r; i < frozen; ++i) rows.emplace_back(row(i));
    std::move(rows_.begin(), rows_.end(), std::back_inserter(rows));
    rows_.swap(rows);
    frozenText_.resize(frozenStarts_[static_cast<std::size_t>(r)]);
    frozenStarts_.resize(static_cast<std::size_t>(r));
    if (frozenStarts_.empty()) dropFrozen();
}

void PaneText::dropFrozen() {
    std::string().swap(frozenText_);
    std::vector<std::size_t>().swap(frozenStarts_);
}

PreparedLines::PreparedLines(std::string lines) : text_(std::move(lines)) {
    const std::size_t last = text_.rfind(kBreak);
    text_.resize(last == std::string::npos ? 0 : last + 2);
    starts_.reserve(static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n')));
    std::size_t start = 0;
    for (std::size_t at = text_.find(kBreak); at != std::string::npos; at = text_.find(kBreak, start)) {
        starts_.push_back(start);
        const std::size_t bytes = at - start;
        if (bytes > widest_) {
            widest_ = bytes;
            widestRows_ = 1;
        } else if (bytes == widest_) {
            ++widestRows_;
        }
        start = at + 2;
    }
    characters_ = utf8::countCharacters(text_);  // CR and LF count one each
}

std::string_view PreparedLines::line(std::size_t i) const {
    const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] : text_.size();
    return std::string_view(text_).substr(starts_[i], end - 2 - starts_[i]);
}

void PaneText::appendLine(std::string_view s) {
    // Into the empty last row when the text ends at a line start; otherwise
    // the open last line gets its break first.
    if (rows_.back().empty()) {
        rows_.back().assign(s);
        rowRemoved(0);
        rowAdded(s.size());
        rows_.emplace_back();
        rowAdded(0);
    } else {
        rows_.emplace_back(s);
        rowAdded(s.size());
    }
}

void PaneText::rowAdded(std::size_t bytes) const {
    if (!widestKnown_) return;
    if (bytes > widest_) {
        widest_ = bytes;
        widestRows_ = 1;
    } else if (bytes == widest_) {
        ++widestRows_;
    }
}

void PaneText::rowRemoved(std::size_t bytes) const {
    if (widestKnown_ && bytes == widest_ && --widestRows_ == 0) widestKnown_ = false;
}

int32_t PaneText::add(std::string_view s) {
    const int32_t before = count();
    const int64_t needed = utf8::countCharacters(s) + 2;
    // Whole line or nothing: a cut line would pass for a complete value.
    if (characters_ + needed > capacity_) throw LineInsertionError();
    appendLine(s);
    characters_ += needed;
    forgetHistory();
    changed(false);
    return before;
}

void PaneText::addLines(const LineBatch& batch) {
    const std::string_view text = batch.text();
    rows_.reserve(rows_.size() + static_cast<std::size_t>(batch.count()));
    bool full = false;
    bool added = false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(kBreak, start);
        if (at == std::string_view::npos) break;  // an unfinished line is no line
        const std::string_view s = text.substr(start, at - start);
        const int64_t needed = utf8::countCharacters(s) + 2;
        if (characters_ + needed > capacity_) {
            full = true;
            break;
        }
        appendLine(s);
        characters_ += needed;
        added = true;
        start = at + 2;
    }
    // One notice for the whole batch, also when it stopped part-way.
    if (added) {
        forgetHistory();
        changed(false);
    }
    if (full) throw LineInsertionError();
}

void PaneText::addLines(PreparedLines&& lines) {
    PreparedLines taken = std::move(lines);
    lines = PreparedLines();
    // When all of them fit, no line is counted again.
    const bool fit = characters_ + taken.characters_ <= capacity_;
    if (fit && taken.count() > 0 && rowCount() == 1 && rows_.back().empty()) {
        // Into an empty pane: the text is taken as it is.
        frozenText_ = std::move(taken.text_);
        frozenStarts_ = std::move(taken.starts_);
        characters_ = taken.characters_;
        widest_ = taken.widest_;
        widestRows_ = taken.widestRows_ + (widest_ == 0 ? 1 : 0);
        widestKnown_ = true;
        forgetHistory();
        changed(false);
        return;
    }
    rows_.reserve(rows_.size() + taken.starts_.size() + 1);
    bool full = false;
    bool added = false;
    for (std::size_t i = 0; i < taken.starts_.size(); ++i) {
        const std::string_view s = taken.line(i);
        if (!fit) {
            const int64_t needed = utf8::countCharacters(s) + 2;
            if (characters_ + needed > capacity_) {
                full = true;
                break;
            }
            characters_ += needed;
        }
        appendLine(s);
        added = true;
    }
    if (fit) characters_ += taken.characters_;
    // One notice for all of them, also when they stopped part-way.
    if (added) {
        forgetHistory();
        changed(false);
    }
    if (full) throw LineInsertionError();
}

void PaneText::clear() {
    std::vector<std::string>(1).swap(rows_);  // gives the row storage back
    dropFrozen();
    characters_ = 0;
    widest_ = 0;
    widestRows_ = 1;
    widestKnown_ = true;
    forgetHistory();
    changed(true);
}

std::string PaneText::fileBytes() const {
    if (codec_) return codec_->encode(text());
    return text();
}

std::string PaneText::text() const {
    std::size_t size = frozenText_.size() + 2 * (rows_.size() - 1);
    for (const std::string& r : rows_) size += r.size();
    std::string bytes;
    bytes.reserve(size);
    bytes.append(frozenText_);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (i > 0) bytes.append(kBreak);
        bytes.append(rows_[i]);
    }
    return bytes;
}

void PaneText::setFileBytes(std::string bytes) {
    if (codec_) bytes = codec_->decode(std::move(bytes));
    std::string before = text();
    replaceWhole(std::move(bytes));
    for (const Step& s : redo_) historyBytes_ -= s.away.size();
    redo_.clear();
    record(Step{{}, end(), std::move(before), EditKind::other});
    changed(true);
}

std::size_t PaneText::widestRowBytes() const {
    if (!widestKnown_) {
        widest_ = 0;
        widestRows_ = 0;
        widestKnown_ = true;
        for (int64_t r = 0; r < rowCount(); ++r) rowAdded(row(r).size());
    }
    return widest_;
}

TextPos PaneText::clamp(TextPos pos) const {
    pos.row = std::clamp<int64_t>(pos.row, 0, rowCount() - 1);
    const std::string_view r = row(pos.row);
    pos.col = utf8::floor(r, std::min(pos.col, r.size()));
    return pos;
}

std::string PaneText::textBetween(TextPos from, TextPos to, std::string_view lineBreak) const {
    if (from.row == to.row) return std::string(row(from.row).substr(from.col, to.col - from.col));
    std::string text(row(from.row).substr(from.col));
    for (int64_t r = from.row + 1; r < to.row; ++r) {
        text.append(lineBreak);
        text.append(row(r));
    }
    text.append(lineBreak);
    text.append(row(to.row).substr(0, to.col));
    return text;
}

TextPos PaneText::after(TextPos at, std::string_view text) {
    const std::size_t last = text.rfind(kBreak);
    if (last == std::string_view::npos) return {at.row, at.col + text.size()};
    int64_t breaks = 0;
    for (std::size_t p = text.find(kBreak); p != std::string_view::npos; p = text.find(kBreak, p + 2)) ++breaks;
    return {at.row + breaks, text.size() - (last + 2)};
}

int64_t PaneText::charactersBetween(TextPos from, TextPos to) const {
    if (from.row == to.row)
        return utf8::countCharacters(std::string_view(row(from.row)).substr(from.col, to.col - from.col));
    int64_t n = utf8::countCharacters(std::string_view(row(from.row)).substr(from.col));
    for (int64_t r = from.row + 1; r < to.row; ++r) n += utf8::countCharacters(row(r));
    n += utf8::countCharacters(std::string_view(row(to.row)).substr(0, to.col));
    return n + 2 * (to.row - from.row);
}

void PaneText::replaceWhole(std::string text) {
    // Every line but the last stays in one text (frozen), as a file or a
    // large text came; rows are made only where it is edited.
    const std::size_t last = text.rfind(kBreak);
    const std::size_t frozenEnd = last == std::string::npos ? 0 : last + 2;
    std::vector<std::string>(1, text.substr(frozenEnd)).swap(rows_);
    text.resize(frozenEnd);
    PreparedLines lines(std::move(text));
    frozenText_ = std::move(lines.text_);
    frozenStarts_ = std::move(lines.starts_);
    characters_ = lines.characters_ + utf8::countCharacters(rows_.back());
    widest_ = lines.widest_;
    widestRows_ = lines.widestRows_;
    widestKnown_ = true;
    rowAdded(rows_.back().size());
}

void PaneText::replace(TextPos from, TextPos to, std::string_view text, int64_t removedCharacters) {
    if (from == TextPos{} && to == end()) {
        replaceWhole(std::string(text));
        return;
    }
    // Sizes of the rows that go, forgotten once the new rows are counted in,
    // so a widest row that only grows never calls for a scan.
    std::vector<std::size_t> oldSizes;
    oldSizes.reserve(static_cast<std::size_t>(to.row - from.row + 1));
    for (int64_t r = from.row; r <= to.row; ++r) oldSizes.push_back(row(r).size());

    // Frozen rows are edited as rows of their own.
    thaw(from.row);
    const int64_t base = frozenRows();
    const auto first = rows_.begin() + (from.row - base);
    std::string tail = rows_[static_cast<std::size_t>(to.row - base)].substr(to.col);
    std::vector<std::string> newRows;
    bool firstPiece = true;
    forEachPiece(text, [&](std::string_view piece) {
        if (firstPiece) {
            first->resize(from.col);
            first->append(piece);
            firstPiece = false;
        } else {
            newRows.emplace_back(piece);
        }
    });
    (newRows.empty() ? *first : newRows.back()).append(tail);

    // Rows from.row + 1 .. to.row give way to the new rows.
    const auto oldEnd = rows_.begin() + (to.row - base) + 1;
    const auto common = std::min<std::ptrdiff_t>(oldEnd - (first + 1), static_cast<std::ptrdiff_t>(newRows.size()));
    std::move(newRows.begin(), newRows.begin() + common, first + 1);
    if (static_cast<std::size_t>(common) < newRows.size()) {
        rows_.insert(first + 1 + common, std::make_move_iterator(newRows.begin() + common),
                     std::make_move_iterator(newRows.end()));
    } else {
        rows_.erase(first + 1 + common, oldEnd);
    }

    for (int64_t r = from.row; r <= from.row + static_cast<int64_t>(newRows.size()); ++r) rowAdded(row(r).size());
    for (std::size_t bytes : oldSizes) rowRemoved(bytes);
    characters_ += utf8::countCharacters(text) - removedCharacters;
}

PaneText::EditResult PaneText::edit(TextPos from, TextPos to, std::string_view text, EditKind kind) {
    from = clamp(from);
    to = clamp(to);
    if (to < from) std::swap(from, to);

    EditResult result;
    const int64_t removed = charactersBetween(from, to);
    const int64_t room = capacity_ - (characters_ - removed);
    if (utf8::countCharacters(text) > room) {
        result.cut = true;
        const std::size_t fits = utf8::bytesOfFirst(text, std::max<int64_t>(room, 0));
        // Half a line break would leave a stray CR in the row.
        const bool halfBreak = fits > 0 && text[fits - 1] == '\r' && fits < text.size() && text[fits] == '\n';
        text = text.substr(0, halfBreak ? fits - 1 : fits);
    }
    result.end = after(from, text);
    if (text.empty() && from == to) return result;

    Step step{from, result.end, textBetween(from, to), kind};
    replace(from, to, text, removed);

    for (const Step& s : redo_) historyBytes_ -= s.away.size();
    redo_.clear();
    const bool continuesTyping = kind == EditKind::typing && step.away.empty() && !undo_.empty() &&
                                 undo_.back().kind == EditKind::typing && undo_.back().end == from;
    if (continuesTyping) {
        undo_.back().end = result.end;
    } else {
        record(std::move(step));
    }
    changed(false);
    return result;
}

void PaneText::record(Step step) {
    historyBytes_ += step.away.size();
    undo_.push_back(std::move(step));
    trimHistory();
}

void PaneText::trimHistory() {
    std::size_t drop = 0;
    while (undo_.size() - drop > 1 && (undo_.size() - drop > kMostUndoSteps || historyBytes_ > kMostHistoryBytes)) {
        historyBytes_ -= undo_[drop].away.size();
        ++drop;
    }
    undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(drop));
}

std::pair<TextPos, TextPos> PaneText::swapIn(Step& step) {
    std::string present = textBetween(step.from, step.end);
    replace(step.from, step.end, step.away, utf8::countCharacters(present));  // CR and LF count one each
    historyBytes_ += present.size() - step.away.size();
    step.end = after(step.from, step.away);
    step.away = std::move(present);
    return {step.from, step.end};
}

std::pair<TextPos, TextPos> PaneText::undo() {
    if (undo_.empty()) return {};
    Step step = std::move(undo_.back());
    undo_.pop_back();
    const auto span = swapIn(step);
    redo_.push_back(std::move(step));
    changed(false);
    return span;
}

std::pair<TextPos, TextPos> PaneText::redo() {
    if (redo_.empty()) return {};
    Step step = std::move(redo_.back());
    redo_.pop_back();
    const auto span = swapIn(step);
    step.kind = EditKind::other;  // a redone edit is not continued by typing
    undo_.push_back(std::move(step));
    trimHistory();
    changed(false);
    return span;
}

void PaneText::forgetHistory() {
    undo_.clear();
    redo_.clear();
    historyBytes_ = 0;
}

void PaneText::changed(bool replaced) {
    if (observer_) observer_(replaced);
}

}  // namespace quill
