#include "row_block.h"

#include <algorithm>
#include <atomic>

#include "common/utf8_steps.h"
#include "lines/byte_scan.h"

namespace quill {

namespace {

// The row breaks of the block, each one UTF-16 unit ("\n") but two bytes.
int64_t breaksOf(const RowBlock& block) { return static_cast<int64_t>(block.rows() - (block.open ? 1 : 0)); }

void countBlock(RowBlock& block) {
    const utf8::Counts counts = utf8::countCharactersAndUnits(block.bytes());
    block.characters = counts.characters;
    block.utf16Units = counts.utf16Units - breaksOf(block);
    block.widest = 0;
    for (std::size_t i = 0; i < block.rows(); ++i)
        block.widest = std::max(block.widest, block.rowEnd(i) - block.rowStart(i));
}

}  // namespace

void cutIntoBlocks(const std::shared_ptr<std::string>& buffer, std::size_t begin, std::size_t end, bool open,
                   std::vector<BlockPtr>& out) {
    const char* data = buffer->data();
    std::vector<uint32_t> starts;
    std::size_t blockBegin = begin, rowStart = begin;
    std::size_t widest = 0;  // of the block's rows so far
    const auto close = [&](std::size_t blockEnd, bool last) {
        auto block = std::make_shared<RowBlock>();
        block->buffer = buffer;
        block->begin = blockBegin;
        block->size = blockEnd - blockBegin;
        block->starts = std::move(starts);
        block->open = last;
        block->widest = last ? std::max(widest, blockEnd - rowStart) : widest;
        // Counted where the text is made (a Solve, a load on their threads),
        // not where a screen reader asks for a place.
        const utf8::Counts counts = utf8::countCharactersAndUnits(block->bytes());
        block->characters = counts.characters;
        block->utf16Units = counts.utf16Units - breaksOf(*block);
        out.push_back(std::move(block));
        starts = {};
        blockBegin = blockEnd;
        widest = 0;
    };
    // A LF ends a row only after a CR; begin is a row start, so that CR is
    // never before it.
    byte_scan::forEachLf(data + begin, data + end, [&](const char* lf) {
        if (lf == data + begin || lf[-1] != '\r') return;
        starts.push_back(static_cast<uint32_t>(rowStart - blockBegin));
        const std::size_t next = static_cast<std::size_t>(lf - data) + 1;
        widest = std::max(widest, next - 2 - rowStart);
        rowStart = next;
        if (starts.size() >= kBlockRows || rowStart - blockBegin >= kBlockBytes) close(rowStart, false);
    });
    if (open) {
        starts.push_back(static_cast<uint32_t>(rowStart - blockBegin));
        close(end, true);
    } else if (!starts.empty()) {
        close(rowStart, false);
    }
}

void cutIntoBlocks(std::string text, bool open, std::vector<BlockPtr>& out) {
    const std::size_t size = text.size();
    cutIntoBlocks(std::make_shared<std::string>(std::move(text)), 0, size, open, out);
}

bool appendInPlace(RowBlock& block, long holders, std::string_view bytes) {
    std::string& buffer = *block.buffer;
    const bool alone = holders == 1 && block.buffer.use_count() == 1 && block.begin + block.size == buffer.size();
    // A long piece is cut into blocks of its own: row starts stay small offsets.
    if (!alone || !block.open || block.rows() >= kBlockRows || block.size >= kBlockBytes || bytes.size() > kBlockBytes)
        return false;
    // A copy let go of on another thread (a save, a Solve) read the bytes
    // before it went: those reads come before the writes below.
    std::atomic_thread_fence(std::memory_order_acquire);
    const std::size_t lastRow = block.rows() - 1;
    const std::size_t lastRowStart = block.begin + block.rowStart(lastRow);
    const std::size_t oldEnd = buffer.size();
    const int64_t unitsBefore = block.utf16Units - utf8::utf16Units(block.row(lastRow));
    buffer.append(bytes);
    block.size += bytes.size();
    const char* data = buffer.data();
    bool shrank = false;  // the last row's final CR became half of a break
    byte_scan::forEachLf(data + oldEnd, data + buffer.size(), [&](const char* lf) {
        const std::size_t at = static_cast<std::size_t>(lf - data);
        if (at == lastRowStart || lf[-1] != '\r') return;
        shrank = shrank || at == oldEnd;
        block.starts.push_back(static_cast<uint32_t>(at + 1 - block.begin));
    });
    if (shrank) {
        countBlock(block);
        return true;
    }
    // Only the rows from the old last one on are counted again: lines added
    // one at a time cost their own bytes, not the block's.
    const utf8::Counts counts = utf8::countCharactersAndUnits(std::string_view(buffer).substr(lastRowStart));
    block.characters += utf8::countCharacters(bytes);
    block.utf16Units = unitsBefore + counts.utf16Units - static_cast<int64_t>(block.rows() - 1 - lastRow);
    for (std::size_t i = lastRow; i < block.rows(); ++i)
        block.widest = std::max(block.widest, block.rowEnd(i) - block.rowStart(i));
    return true;
}

}  // namespace quill
