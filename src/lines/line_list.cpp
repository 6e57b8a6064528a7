#include "lines/line_list.h"

#include <limits>

#include "common/error.h"
#include "common/utf8_steps.h"

namespace quill {

namespace {

constexpr std::string_view kBreak{"\r\n", 2};

// The text up to and including its last CR LF; an open line is left out.
std::string_view finishedLines(std::string_view text) {
    const std::size_t last = text.rfind(kBreak);
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 2);
}

}  // namespace

void LineWriter::addLines(const LineBatch& batch) {
    std::string_view lines = finishedLines(batch.text());
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

PreparedLines::PreparedLines(std::string lines) {
    lines.resize(finishedLines(lines).size());
    rows_ = RowText(std::move(lines));
}

ByteLineList::ByteLineList(std::string text) : rows_(std::move(text)) {}

ByteLineList::ByteLineList(RowText rows) : rows_(std::move(rows)) {}

int32_t ByteLineList::count() const {
    // An empty last row is no line.
    const int64_t lines = rows_.rowCount() - (rows_.end().col == 0 ? 1 : 0);
    return static_cast<int32_t>(std::min<int64_t>(lines, std::numeric_limits<int32_t>::max()));
}

std::string ByteLineList::line(int32_t i) const {
    if (i < 0 || i >= count()) return {};
    return std::string(rows_.row(i));
}

void ByteLineList::forEachLine(const std::function<void(std::string_view)>& visit) const {
    rows_.forEachRow(count(), visit);
}

void ByteLineList::clear() { rows_ = RowText(); }

std::string ByteLineList::fileBytes() const { return encodeFileText(rows_.text(), encoding_); }

void ByteLineList::load(ListText list) { load(RowText(std::move(list.text)), list.encoding); }

void ByteLineList::load(RowText rows, FileEncoding encoding) {
    rows_ = std::move(rows);
    encoding_ = encoding;
}

int32_t ByteLineList::add(std::string_view s) {
    const int32_t before = count();
    // Whole line or nothing: a cut line would pass for a complete value.
    if (rows_.characters() + utf8::countCharacters(s) + 2 > capacity_) throw LineInsertionError();
    // Into the empty last row when the text ends at a line start; otherwise
    // the open last line gets its break first.
    const bool atLineStart = rows_.end().col == 0;
    if (!atLineStart) rows_.append(kBreak);
    rows_.append(s);
    if (atLineStart) rows_.append(kBreak);
    appended();
    return before;
}

void ByteLineList::addLines(const LineBatch& batch) {
    const std::string_view lines = finishedLines(batch.text());
    if (!lines.empty() && !appendLines(RowText(std::string(lines)))) throw LineInsertionError();
}

void ByteLineList::addLines(PreparedLines&& lines) {
    RowText rows = std::move(lines.rows_);
    lines = PreparedLines();
    if (!appendLines(std::move(rows))) throw LineInsertionError();
}

bool ByteLineList::appendLines(RowText lines) {
    int64_t count = lines.rowCount() - 1;
    if (count == 0) return true;
    // Lines go in while they fit; with all of them no line is counted again.
    const bool allFit = rows_.characters() + lines.characters() <= capacity_;
    if (!allFit) {
        count = lines.wholeRowsWithin(capacity_ - rows_.characters());
        if (count == 0) return false;
        lines = lines.between({}, {count, 0});
    }
    const TextPos end = rows_.end();
    if (end.col != 0) {
        // One at a time, each line would go in after a break of its own, an
        // empty one only ending the open line; the lines after it go into
        // the empty row that leaves, as below.
        const int64_t empty = lines.firstEmptyRow(count);
        const RowText none;
        if (empty >= 0) {
            lines.replace({empty, 0}, {empty + 1, 0}, none);
        } else {
            lines.replace({count - 1, lines.row(count - 1).size()}, lines.end(), none);
        }
        rows_.replace(end, end, RowText(std::string(kBreak)));
    }
    rows_.replace(rows_.end(), rows_.end(), lines);  // an empty pane takes them as they are
    appended();
    return allFit;
}

}  // namespace quill
