#include "lines/line_list.h"

#include <limits>

#include "common/error.h"
#include "common/utf8_steps.h"
#include "lines/byte_scan.h"

namespace quill {

namespace {

constexpr std::string_view kBreak{"\r\n", 2};

// The batch up to and including its last CR LF; an open line is left out.
std::string_view finishedLines(const LineBatch& batch) {
    std::string_view text = batch.text();
    std::size_t last = text.rfind(kBreak);
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 2);
}

// How many bytes of whole lines, from the start, hold at most `room`
// characters; 0 when not even one line does.
std::size_t wholeLinesWithin(std::string_view lines, int64_t room) {
    std::size_t end = 0;
    for (std::size_t at; (at = lines.find(kBreak, end)) != std::string_view::npos; end = at + 2) {
        room -= utf8::countCharacters(lines.substr(end, at + 2 - end));
        if (room < 0) break;
    }
    return end;
}

// The end of the break of the first empty line, or npos when none is empty.
// Every CR LF of a batch ends a line, so a CR LF at the start or right after
// another CR LF closes an empty line.
std::size_t firstEmptyLineEnd(std::string_view lines) {
    if (lines.starts_with(kBreak)) return 2;
    std::size_t at = lines.find("\r\n\r\n");
    return at == std::string_view::npos ? at : at + 4;
}

}  // namespace

void LineWriter::addLines(const LineBatch& batch) {
    std::string_view lines = finishedLines(batch);
    while (!lines.empty()) {
        std::size_t end = lines.find(kBreak);
        add(lines.substr(0, end));
        lines.remove_prefix(end + 2);
    }
}

void LineReader::forEachLine(const std::function<void(std::string_view)>& visit) const {
    const int32_t lines = count();
    for (int32_t i = 0; i < lines; ++i) visit(line(i));
}

ByteLineList::ByteLineList(std::string text) : text_(std::move(text)), characters_(-1) { indexFrom(0); }

void ByteLineList::clear() {
    text_.clear();
    breakEnds_.clear();
    characters_ = 0;
}

void ByteLineList::setFileBytes(std::string bytes) {
    text_ = std::move(bytes);
    breakEnds_.clear();
    characters_ = -1;
    indexFrom(0);
}

int64_t ByteLineList::characters() const {
    if (characters_ < 0) characters_ = utf8::countCharacters(text_);
    return characters_;
}

void ByteLineList::indexFrom(std::size_t offset) {
    // A LF ends a line break only when a CR precedes it; that CR may lie just
    // before offset, in text that was already indexed.
    const char* base = text_.data();
    byte_scan::forEachLf(base + offset, base + text_.size(), [&](const char* lf) {
        if (lf > base && lf[-1] == '\r') breakEnds_.push_back(static_cast<std::size_t>(lf - base) + 1);
    });
}

bool ByteLineList::endsAtLineStart() const {
    return text_.empty() || (!breakEnds_.empty() && breakEnds_.back() == text_.size());
}

int32_t ByteLineList::count() const {
    // b breaks make b + 1 lines; an empty last line is not counted.
    std::size_t lines = breakEnds_.size() + (endsAtLineStart() ? 0 : 1);
    constexpr std::size_t kMost = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(lines < kMost ? lines : kMost);
}

std::string_view ByteLineList::lineView(std::size_t index) const {
    std::size_t start = index == 0 ? 0 : breakEnds_[index - 1];
    std::size_t end = index < breakEnds_.size() ? breakEnds_[index] - 2 : text_.size();
    return std::string_view(text_).substr(start, end - start);
}

std::string ByteLineList::line(int32_t i) const {
    if (i < 0 || i >= count()) return {};
    return std::string(lineView(static_cast<std::size_t>(i)));
}

void ByteLineList::forEachLine(const std::function<void(std::string_view)>& visit) const {
    const auto lines = static_cast<std::size_t>(count());
    for (std::size_t i = 0; i < lines; ++i) visit(lineView(i));
}

int32_t ByteLineList::add(std::string_view s) {
    const int32_t before = count();
    const std::size_t oldSize = text_.size();
    // Whole line or nothing: a cut line would pass for a complete value.
    // A character takes at least a byte, so when the bytes fit the
    // characters are not counted at all.
    if (static_cast<int64_t>(oldSize + s.size()) + 2 <= capacity_) {
        characters_ = -1;
    } else {
        const int64_t added = utf8::countCharacters(s) + 2;
        if (characters() + added > capacity_) throw LineInsertionError();
        characters_ += added;
    }
    if (endsAtLineStart()) {
        text_.append(s);
        text_.append(kBreak);
    } else {
        // The last line has no break yet: the new line starts with one.
        text_.append(kBreak);
        text_.append(s);
    }
    indexFrom(oldSize);
    return before;
}

void ByteLineList::addLines(const LineBatch& batch) {
    std::string_view lines = finishedLines(batch);
    if (lines.empty()) return;

    // Adding a line one at a time appends exactly the bytes the line takes
    // in the batch, break included, so the lines that fit are the longest
    // run of whole lines within the room left. A character takes at least a
    // byte: when the bytes fit, so do the characters.
    std::string_view fitting = lines;
    if (static_cast<int64_t>(text_.size() + lines.size()) > capacity_)
        fitting = lines.substr(0, wholeLinesWithin(lines, capacity_ - characters()));
    const bool allFit = fitting.size() == lines.size();

    const std::size_t oldSize = text_.size();
    if (endsAtLineStart()) {
        text_.append(fitting);
    } else if (!fitting.empty()) {
        // One at a time, each line would go in as CR LF + line until an empty
        // line, whose CR LF only ends the open line; from then on the text
        // ends with CR LF and each line goes in as line + CR LF, as batched.
        text_.append(kBreak);
        std::size_t emptyEnd = firstEmptyLineEnd(fitting);
        if (emptyEnd == std::string_view::npos) {
            text_.append(fitting.substr(0, fitting.size() - 2));
        } else {
            text_.append(fitting.substr(0, emptyEnd - 2));
            text_.append(fitting.substr(emptyEnd));
        }
    }
    indexFrom(oldSize);
    if (!fitting.empty()) characters_ = -1;  // counted again only if ever needed
    if (!allFit) throw LineInsertionError();
}

}  // namespace quill
