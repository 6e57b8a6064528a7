#pragma once
// A run of whole rows of a text, with the start of each: the one line-start
// index of the line models. A block looks into a buffer that other blocks
// may share (a loaded file stays one buffer, cut into views), and a block or
// buffer that something else still holds is never changed: copies of a text
// share its blocks, so that taking a text aside (for the history, a save or
// a Solve on another thread) costs no copy of its bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quill {

// A block is closed at this many rows or, at the end of a row, bytes: an edit
// copies its block, so a block stays small enough to copy at every key.
constexpr std::size_t kBlockRows = 4096;
constexpr std::size_t kBlockBytes = std::size_t{64} << 10;

struct RowBlock {
    std::shared_ptr<std::string> buffer;
    std::size_t begin = 0, size = 0;  // the block's bytes in the buffer
    // The first byte of each row, from begin (below kBlockBytes by the rule above).
    std::vector<uint32_t> starts;
    // The last row has no CR LF after it: the block ends its text.
    bool open = false;
    int64_t characters = 0;  // CR and LF count one each
    std::size_t widest = 0;  // the most bytes in one row
    // Its UTF-16 units, a break counted as one (as "\n"), counted with the
    // characters where the block is made: a screen reader's offsets are sums.
    int64_t utf16Units = 0;

    std::size_t rows() const { return starts.size(); }
    std::string_view bytes() const { return {buffer->data() + begin, size}; }
    std::size_t rowStart(std::size_t i) const { return starts[i]; }
    std::size_t rowEnd(std::size_t i) const {
        return i + 1 < starts.size() ? starts[i + 1] - 2 : size - (open ? 0 : 2);
    }
    std::string_view row(std::size_t i) const { return bytes().substr(rowStart(i), rowEnd(i) - rowStart(i)); }
};

using BlockPtr = std::shared_ptr<RowBlock>;

// Cuts bytes [begin, end) of the buffer into blocks at CR LF breaks and
// appends them to out. Without open the bytes end with CR LF (or are none);
// with open the piece after the last break is the last row, even when empty.
void cutIntoBlocks(const std::shared_ptr<std::string>& buffer, std::size_t begin, std::size_t end, bool open,
                   std::vector<BlockPtr>& out);
void cutIntoBlocks(std::string text, bool open, std::vector<BlockPtr>& out);

// Appends bytes to an open block where nothing else holds it or its buffer
// and it has room; false (nothing changed) otherwise.
bool appendInPlace(RowBlock& block, long holders, std::string_view bytes);

}  // namespace quill
