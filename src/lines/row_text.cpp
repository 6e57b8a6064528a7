#include "lines/row_text.h"

#include <algorithm>

#include "common/utf8_steps.h"
#include "row_block.h"

namespace quill {

RowText::RowText() : RowText(std::string()) {}

RowText::RowText(std::string text) {
    cutIntoBlocks(std::move(text), true, blocks_);
    reindex();
}

void RowText::reindex() {
    rowEnds_.resize(blocks_.size());
    unitEnds_.resize(blocks_.size());
    characters_ = 0;
    bytes_ = 0;
    int64_t rows = 0, units = 0;
    for (std::size_t k = 0; k < blocks_.size(); ++k) {
        rows += static_cast<int64_t>(blocks_[k]->rows());
        rowEnds_[k] = rows;
        units += blocks_[k]->utf16Units;
        unitEnds_[k] = units;
        characters_ += blocks_[k]->characters;
        bytes_ += blocks_[k]->size;
    }
}

std::pair<std::size_t, std::size_t> RowText::locate(int64_t r) const {
    const auto k = static_cast<std::size_t>(std::upper_bound(rowEnds_.begin(), rowEnds_.end(), r) - rowEnds_.begin());
    const int64_t first = k == 0 ? 0 : rowEnds_[k - 1];
    return {k, static_cast<std::size_t>(r - first)};
}

std::size_t RowText::offsetInBlock(std::size_t block, std::size_t rowInBlock, std::size_t col) const {
    return blocks_[block]->rowStart(rowInBlock) + col;
}

std::string_view RowText::row(int64_t r) const {
    const auto [k, i] = locate(r);
    return blocks_[k]->row(i);
}

std::size_t RowText::widestRowBytes() const {
    std::size_t widest = 0;
    for (const Block& block : blocks_) widest = std::max(widest, block->widest);
    return widest;
}

TextPos RowText::end() const { return {rowCount() - 1, blocks_.back()->row(blocks_.back()->rows() - 1).size()}; }

TextPos RowText::clamp(TextPos pos) const {
    pos.row = std::clamp<int64_t>(pos.row, 0, rowCount() - 1);
    const std::string_view r = row(pos.row);
    pos.col = utf8::floor(r, std::min(pos.col, r.size()));
    return pos;
}

std::string RowText::text() const {
    std::string text;
    text.reserve(bytes_);
    for (const Block& block : blocks_) text.append(block->bytes());
    return text;
}

RowText RowText::between(TextPos from, TextPos to) const {
    if (from == TextPos{} && to == end()) return *this;
    const auto [bf, rf] = locate(from.row);
    const auto [bt, rt] = locate(to.row);
    const std::size_t a = offsetInBlock(bf, rf, from.col), b = offsetInBlock(bt, rt, to.col);
    if (bf == bt) return RowText(std::string(blocks_[bf]->bytes().substr(a, b - a)));
    // The first block from `from` on ends with a break; the blocks in
    // between are shared; the last is cut at `to` and ends the text.
    RowText span;
    span.blocks_.clear();
    cutIntoBlocks(std::string(blocks_[bf]->bytes().substr(a)), false, span.blocks_);
    span.blocks_.insert(span.blocks_.end(), blocks_.begin() + static_cast<std::ptrdiff_t>(bf) + 1,
                        blocks_.begin() + static_cast<std::ptrdiff_t>(bt));
    cutIntoBlocks(std::string(blocks_[bt]->bytes().substr(0, b)), true, span.blocks_);
    span.reindex();
    return span;
}

std::string RowText::textBetween(TextPos from, TextPos to, std::string_view lineBreak) const {
    if (from.row == to.row) return std::string(row(from.row).substr(from.col, to.col - from.col));
    std::string text;
    int64_t r = from.row;
    forEachRow(from.row, to.row, [&](std::string_view shown) {
        if (r == from.row) {
            text.append(shown.substr(from.col));
        } else {
            text.append(lineBreak);
            text.append(r == to.row ? shown.substr(0, to.col) : shown);
        }
        ++r;
    });
    return text;
}

void RowText::replace(TextPos from, TextPos to, const RowText& text) {
    if (from == TextPos{} && to == end()) {
        *this = text;
        return;
    }
    const auto [bf, rf] = locate(from.row);
    const auto [bt, rt] = locate(to.row);
    const bool last = bt + 1 == blocks_.size();
    const std::vector<Block>& in = text.blocks_;
    // Lines added at the end, one at a time, go into the last block itself.
    if (from == to && to == end() && in.size() == 1 && appendInPlace(in.front()->bytes())) return;
    // The rows of the first and last blocks around the span are joined with
    // the text and cut again; a long text keeps its inner blocks.
    const std::string_view head = blocks_[bf]->bytes().substr(0, offsetInBlock(bf, rf, from.col));
    const std::string_view tail = blocks_[bt]->bytes().substr(offsetInBlock(bt, rt, to.col));
    std::vector<Block> made;
    if (in.size() < 3) {
        std::string joined;
        joined.reserve(head.size() + text.bytes() + tail.size());
        joined.append(head);
        for (const Block& block : in) joined.append(block->bytes());
        joined.append(tail);
        cutIntoBlocks(std::move(joined), last, made);
    } else {
        std::string front(head);
        front.append(in.front()->bytes());
        cutIntoBlocks(std::move(front), false, made);
        made.insert(made.end(), in.begin() + 1, in.end() - 1);
        std::string back(in.back()->bytes());
        back.append(tail);
        cutIntoBlocks(std::move(back), last, made);
    }
    const auto first = blocks_.begin() + static_cast<std::ptrdiff_t>(bf);
    blocks_.erase(first, blocks_.begin() + static_cast<std::ptrdiff_t>(bt) + 1);
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(bf), made.begin(), made.end());
    reindex();
}

void RowText::append(std::string_view bytes) {
    if (!appendInPlace(bytes)) replace(end(), end(), RowText(std::string(bytes)));
}

bool RowText::appendInPlace(std::string_view bytes) {
    RowBlock& last = *blocks_.back();
    const int64_t characters = last.characters;
    if (!quill::appendInPlace(last, blocks_.back().use_count(), bytes)) return false;
    const std::size_t k = blocks_.size() - 1;
    rowEnds_.back() = (k > 0 ? rowEnds_[k - 1] : 0) + static_cast<int64_t>(last.rows());
    unitEnds_.back() = (k > 0 ? unitEnds_[k - 1] : 0) + last.utf16Units;
    characters_ += last.characters - characters;
    bytes_ += bytes.size();
    return true;
}

TextPos RowText::endAfter(TextPos at) const {
    const std::size_t lastRow = row(rowCount() - 1).size();
    if (rowCount() == 1) return {at.row, at.col + lastRow};
    return {at.row + rowCount() - 1, lastRow};
}

int64_t RowText::utf16Offset(TextPos pos) const {
    const auto [k, i] = locate(pos.row);
    int64_t units = k == 0 ? 0 : unitEnds_[k - 1];
    const RowBlock& block = *blocks_[k];
    for (std::size_t r = 0; r < i; ++r) units += utf8::utf16Units(block.row(r)) + 1;
    const std::string_view row = block.row(i);
    return units + utf8::utf16Units(row.substr(0, std::min(pos.col, row.size())));
}

TextPos RowText::posAtUtf16(int64_t offset) const {
    offset = std::max<int64_t>(offset, 0);
    // The block that holds the offset (a block's end is the next one's start).
    const auto k = std::min(
        static_cast<std::size_t>(std::upper_bound(unitEnds_.begin(), unitEnds_.end(), offset) - unitEnds_.begin()),
        blocks_.size() - 1);
    if (k > 0) offset -= unitEnds_[k - 1];
    // A row holds the offsets up to its break, which is its end.
    const RowBlock& block = *blocks_[k];
    int64_t row = k == 0 ? 0 : rowEnds_[k - 1];
    for (std::size_t r = 0;; ++r, ++row) {
        const std::string_view shown = block.row(r);
        const int64_t units = utf8::utf16Units(shown);
        if (offset <= units || r + 1 == block.rows()) return {row, utf8::byteOfUtf16Unit(shown, offset)};
        offset -= units + 1;
    }
}

int64_t RowText::utf16Length() const { return unitEnds_.back(); }

void RowText::forEachPiece(const std::function<void(std::string_view)>& take) const {
    for (const Block& block : blocks_)
        if (block->size > 0) take(block->bytes());
}

void RowText::forEachRow(int64_t rows, const std::function<void(std::string_view)>& visit) const {
    for (const Block& block : blocks_) {
        for (std::size_t i = 0; i < block->rows(); ++i) {
            if (rows-- <= 0) return;
            visit(block->row(i));
        }
    }
}

void RowText::forEachRow(int64_t first, int64_t last, const std::function<void(std::string_view)>& visit) const {
    auto [k, i] = locate(first);
    for (int64_t r = first; r <= last; ++r, ++i) {
        if (i == blocks_[k]->rows()) ++k, i = 0;
        visit(blocks_[k]->row(i));
    }
}

int64_t RowText::firstEmptyRow(int64_t rows) const {
    int64_t r = 0;
    for (const Block& block : blocks_) {
        for (std::size_t i = 0; i < block->rows() && r < rows; ++i, ++r)
            if (block->rowEnd(i) == block->rowStart(i)) return r;
    }
    return -1;
}

int64_t RowText::wholeRowsWithin(int64_t characters) const {
    int64_t rows = 0;
    for (const Block& block : blocks_) {
        if (!block->open && block->characters <= characters) {
            characters -= block->characters;
            rows += static_cast<int64_t>(block->rows());
            continue;
        }
        // The block where they stop, or the last one, row by row.
        const std::size_t broken = block->rows() - (block->open ? 1 : 0);
        for (std::size_t i = 0; i < broken; ++i) {
            characters -= utf8::countCharacters(block->row(i)) + 2;
            if (characters < 0) return rows;
            ++rows;
        }
    }
    return rows;
}

}  // namespace quill
