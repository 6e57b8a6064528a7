#pragma once
// The rows of a text: UTF-8 bytes (or any bytes) divided at every CR LF. The
// rows are kept in blocks of a few thousand (row_block.h), so that an edit
// anywhere copies one block, a text of millions of lines is taken from the
// string it came in without a copy, and a copy of a RowText shares its
// blocks: taking one aside, for the undo history or for a save or a Solve on
// another thread, costs next to nothing. A RowText is a value; nothing that
// one copy does is seen by another. No Qt here.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quill {

struct RowBlock;

// A place in the text: a row and a byte offset into it, on a character start.
struct TextPos {
    int64_t row = 0;
    std::size_t col = 0;
    friend auto operator<=>(const TextPos&, const TextPos&) = default;
};

class RowText {
public:
    // One empty row.
    RowText();
    // The rows of the text, which is kept as it is.
    explicit RowText(std::string text);

    // At least one; the last is empty when the text ends with CR LF.
    int64_t rowCount() const { return rowEnds_.back(); }
    std::string_view row(int64_t r) const;
    int64_t characters() const { return characters_; }  // CR LF counted as two
    std::size_t bytes() const { return bytes_; }
    std::size_t widestRowBytes() const;
    TextPos end() const;
    // The nearest valid place: row and column inside the text, column on a
    // character start.
    TextPos clamp(TextPos pos) const;

    // The whole text, rows joined by CR LF.
    std::string text() const;
    // The text between two valid places: as a RowText that shares the blocks
    // wholly inside the span, or as bytes with rows joined by lineBreak.
    RowText between(TextPos from, TextPos to) const;
    std::string textBetween(TextPos from, TextPos to, std::string_view lineBreak = "\r\n") const;
    // Puts text in place of [from, to) (valid places, from <= to).
    void replace(TextPos from, TextPos to, const RowText& text);
    // Puts bytes at the end, into the last block itself when nothing else
    // holds it: lines added one at a time cost no copy of the block.
    void append(std::string_view bytes);
    // Where this text ends once put at `at`.
    TextPos endAfter(TextPos at) const;

    // Places counted in UTF-16 units, as Qt's strings and screen readers
    // count them, each row break one unit ("\n"): the offset of a place, the
    // place of an offset (the end for one past it), and the whole length.
    int64_t utf16Offset(TextPos pos) const;
    TextPos posAtUtf16(int64_t offset) const;
    int64_t utf16Length() const;

    // Calls take with the text in pieces, in order, CR LF breaks included.
    void forEachPiece(const std::function<void(std::string_view)>& take) const;
    // Calls visit with each of the first `rows` rows (all of them if fewer).
    void forEachRow(int64_t rows, const std::function<void(std::string_view)>& visit) const;
    // Calls visit with each row from row `first` to row `last`, in order.
    void forEachRow(int64_t first, int64_t last, const std::function<void(std::string_view)>& visit) const;
    // The first empty row among the first `rows`, or -1.
    int64_t firstEmptyRow(int64_t rows) const;
    // How many rows from the first, each counted with the CR LF after it,
    // hold at most `characters`; the last row, without a break, never counts.
    int64_t wholeRowsWithin(int64_t characters) const;

private:
    using Block = std::shared_ptr<RowBlock>;
    // The block that holds row r, and r's index in it.
    std::pair<std::size_t, std::size_t> locate(int64_t r) const;
    // The offset of a place within its block's bytes.
    std::size_t offsetInBlock(std::size_t block, std::size_t rowInBlock, std::size_t col) const;
    // Brings rowEnds_, unitEnds_, characters_ and bytes_ up to the blocks.
    void reindex();
    bool appendInPlace(std::string_view bytes);

    std::vector<Block> blocks_;
    std::vector<int64_t> rowEnds_;   // the rows of blocks_[0..k], for each k
    std::vector<int64_t> unitEnds_;  // their UTF-16 units, each row break one
    int64_t characters_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace quill
