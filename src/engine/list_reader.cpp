#include "engine/list_reader.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <utility>

#include "common/bytes16.h"
#include "common/error.h"
#include "engine/worker_pool.h"
#include "numtext/parse.h"

namespace quill {

namespace {

constexpr std::string_view kBreak{"\r\n", 2};

// Text per conversion chunk: large enough that handing a chunk to a thread
// costs nothing next to it, small enough that all threads get several. A
// text below the smallest chunk is converted on the calling thread alone.
constexpr std::size_t kSmallestChunk = std::size_t{32} << 10;
constexpr std::size_t kLargestChunk = std::size_t{256} << 10;
// Values per block when they come as values rather than text.
constexpr std::size_t kBlockValues = 16384;
// Text gathered from the pieces before it is converted.
constexpr std::size_t kRoundBytes = std::size_t{4} << 20;

// The LF bytes of the text, sixteen at a time in the vector registers
// wherever there are some: each LF adds -1 to its byte's count, which is
// added up before it can wrap.
std::size_t countLineFeeds(std::string_view text) {
    std::size_t count = 0, at = 0;
    while (at + 16 <= text.size()) {
        Bytes16 counts{};
        for (int round = 0; round < 255 && at + 16 <= text.size(); ++round, at += 16)
            counts += reinterpret_cast<Bytes16>(load16(text.data() + at) == '\n');
        count += markTotal(counts);
    }
    for (; at < text.size(); ++at) count += text[at] == '\n';
    return count;
}

std::size_t countBreaks(std::string_view text) {
    std::size_t breaks = 0;
    for (std::size_t at = text.find(kBreak); at != std::string_view::npos; at = text.find(kBreak, at + 2)) ++breaks;
    return breaks;
}

// Converts every non-blank line of the text into the block, each line ending
// at a CR LF or at the end of the text; raises the first error, with the index
// of its line in the text. Returns the number of line breaks passed.
std::size_t parseLines(std::string_view text, char decimalMark, ValueBlock& out) {
    const char* p = text.data();
    const char* const end = p + text.size();
    out.values.reserve(countLineFeeds(text) + 1);
    std::size_t lines = 0, skipped = 0;
    try {
        while (p < end) {
            const char* lineEnd = end;
            const char* next = end;
            for (const char* q = p; q < end; ++q) {
                q = static_cast<const char*>(std::memchr(q, '\n', static_cast<std::size_t>(end - q)));
                if (q == nullptr) break;
                if (q > p && q[-1] == '\r') {
                    lineEnd = q - 1;
                    next = q + 1;
                    break;
                }
            }
            const std::string_view value = trimBlanks(std::string_view(p, static_cast<std::size_t>(lineEnd - p)));
            if (!value.empty()) {
                const double v = textToDouble(value, decimalMark);
                const std::size_t j = out.values.size();
                if (lines - j != skipped) {
                    skipped = lines - j;
                    out.gaps.emplace_back(static_cast<uint32_t>(j), static_cast<uint32_t>(skipped));
                }
                out.values.push_back(v);
            }
            if (lineEnd != end) ++lines;
            p = next;
        }
    } catch (ValueError& e) {
        e.setLineIndex(static_cast<int64_t>(lines));
        throw;
    }
    if (out.values.size() < out.values.capacity() / 2) out.values.shrink_to_fit();
    return lines;
}

}  // namespace

int64_t ValueBlock::lineOf(std::size_t j) const {
    if (line < 0) return -1;
    const auto after = std::upper_bound(
        gaps.begin(), gaps.end(), j, [](std::size_t v, const std::pair<uint32_t, uint32_t>& g) { return v < g.first; });
    const std::size_t skipped = after == gaps.begin() ? 0 : std::prev(after)->second;
    return line + static_cast<int64_t>(j + skipped);
}

// A stretch of text converted as one job: the values of its chunks.
struct ListReader::Round {
    std::string text;  // the text of a round in the background
    std::string_view lines;
    std::vector<std::size_t> cuts;  // chunk i is lines[cuts[i], cuts[i + 1])
    std::vector<ValueBlock> blocks;
    std::vector<std::size_t> breaks;
    std::function<void(std::size_t)> work;  // converts chunk i
    ChunkControl control;
    std::exception_ptr error;  // the first conversion error, kept for finish()
    std::exception_ptr abort;  // AbortError, raised at once
};

ListReader::ListReader(char decimalMark, WorkerPool& pool, const SolveControl& control)
    : decimalMark_(decimalMark), pool_(pool), control_(control) {}

ListReader::~ListReader() { dropRound(); }

void ListReader::prepare(std::string_view lines, Round& round) const {
    // Chunks end just after a CR LF, so that no line is split.
    const std::size_t threads = pool_.threads();
    const std::size_t chunk = std::clamp(lines.size() / (threads * 4), kSmallestChunk, kLargestChunk);
    round.lines = lines;
    round.cuts.assign(1, 0);
    for (std::size_t at = chunk; at < lines.size();) {
        const std::size_t found = lines.find(kBreak, at - 1);
        if (found == std::string_view::npos || found + 2 >= lines.size()) break;
        round.cuts.push_back(found + 2);
        at = found + 2 + chunk;
    }
    round.cuts.push_back(lines.size());
    const std::size_t chunks = round.cuts.size() - 1;
    round.blocks.resize(chunks);
    round.breaks.resize(chunks);
    round.work = [this, &round](std::size_t i) {
        const std::string_view lines = round.lines;
        const std::vector<std::size_t>& cuts = round.cuts;
        try {
            round.breaks[i] = parseLines(lines.substr(cuts[i], cuts[i + 1] - cuts[i]), decimalMark_, round.blocks[i]);
        } catch (ValueError& e) {
            // Where the chunk starts in the pane: counted only for an error.
            e.setLineIndex(linesRead_ + static_cast<int64_t>(countBreaks(lines.substr(0, cuts[i]))) + e.lineIndex());
            throw;
        }
    };
}

// Runs `job` (the pool's run or finish of a round), keeping its outcome in the round.
template <class Job>
void keepOutcome(Job job, std::exception_ptr& error, std::exception_ptr& abort) {
    try {
        job();
    } catch (const AbortError&) {
        abort = std::current_exception();
    } catch (...) {
        error = std::current_exception();
    }
}

void ListReader::merge(Round& round) {
    if (round.abort) std::rethrow_exception(round.abort);
    if (round.error) {
        error_ = round.error;
        return;
    }
    chunksRead_ += round.blocks.size();
    for (std::size_t i = 0; i < round.blocks.size(); ++i) {
        ValueBlock& b = round.blocks[i];
        b.line = linesRead_;
        linesRead_ += static_cast<int64_t>(round.breaks[i]);
        if (b.values.empty()) continue;
        b.first = count_;
        count_ += b.values.size();
        blocks_.push_back(std::move(b));
    }
    // The report numbers the values with 32-bit integers, as the pane does.
    if (count_ > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        error_ = std::make_exception_ptr(std::bad_alloc());
}

void ListReader::convertLines(std::string_view lines) {
    collect();
    if (lines.empty() || error_) return;
    Round round;
    prepare(lines, round);
    round.control = stageControl(control_, SolveStage::reading, chunksRead_);
    keepOutcome([&] { pool_.run(round.cuts.size() - 1, round.work, round.control); }, round.error, round.abort);
    merge(round);
}

void ListReader::convertInBackground(std::string text) {
    collect();
    if (error_) return;
    auto round = std::make_unique<Round>();
    round->text = std::move(text);
    prepare(round->text, *round);
    // The caller's share and the progress come with collect, on its thread.
    round->control = stageControl(control_, SolveStage::reading, chunksRead_);
    pool_.start(round->cuts.size() - 1, round->work, round->control);
    round_ = std::move(round);
}

void ListReader::collect() {
    if (!round_) return;
    const std::unique_ptr<Round> round = std::move(round_);
    keepOutcome([&] { pool_.finish(); }, round->error, round->abort);
    merge(*round);
}

void ListReader::add(std::string_view piece) {
    if (piece.empty()) return;
    empty_ = false;
    if (error_) return;
    if (pending_.empty() && piece.size() >= kRoundBytes) {
        // A large text is converted where it lies; only its open last line waits.
        const std::size_t last = piece.rfind(kBreak);
        const std::size_t cut = last == std::string_view::npos ? 0 : last + 2;
        convertLines(piece.substr(0, cut));
        pending_.assign(piece.substr(cut));
        pendingBreakEnd_ = 0;
        return;
    }
    // Only the new bytes (and the one before them, for a CR LF across the
    // cut) are looked at, so a very long line is scanned once.
    const std::size_t from = pending_.empty() ? 0 : pending_.size() - 1;
    pending_.append(piece);
    const std::size_t last = std::string_view(pending_).substr(from).rfind(kBreak);
    if (last != std::string_view::npos) pendingBreakEnd_ = from + last + 2;
    if (pending_.size() >= kRoundBytes && pendingBreakEnd_ > 0) {
        // The open last line starts the next round.
        std::string next;
        next.reserve(kRoundBytes + std::max(piece.size(), pending_.size() - pendingBreakEnd_));
        next.append(std::string_view(pending_).substr(pendingBreakEnd_));
        pending_.resize(pendingBreakEnd_);
        convertInBackground(std::exchange(pending_, std::move(next)));
        pendingBreakEnd_ = 0;
    }
}

void ListReader::finish() {
    convertLines(pending_);
    std::string().swap(pending_);
    pendingBreakEnd_ = 0;
    if (error_) std::rethrow_exception(error_);
}

void ListReader::dropRound() {
    if (!round_) return;
    keepOutcome([&] { pool_.finish(); }, round_->error, round_->abort);
    round_.reset();
}

void ListReader::setValues(const std::vector<double>& values) {
    dropRound();
    blocks_.clear();
    count_ = 0;
    for (std::size_t at = 0; at < values.size(); at += kBlockValues) {
        const std::size_t n = std::min(kBlockValues, values.size() - at);
        ValueBlock& b = blocks_.emplace_back();
        b.values.assign(values.data() + at, values.data() + at + n);
        b.first = at;
        count_ += n;
    }
}

std::vector<double> ListReader::values() const {
    std::vector<double> all;
    all.reserve(count_);
    for (const ValueBlock& b : blocks_) all.insert(all.end(), b.values.begin(), b.values.end());
    return all;
}

int64_t ListReader::lineOf(std::size_t index) const {
    const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), index,
                                        [](std::size_t i, const ValueBlock& b) { return i < b.first; });
    if (after == blocks_.begin() || index >= count_) return -1;
    const ValueBlock& b = *std::prev(after);
    return b.lineOf(index - b.first);
}

std::vector<double> readList(std::string_view text, char decimalMark) {
    WorkerPool pool(1);
    const SolveControl control;
    ListReader reader(decimalMark, pool, control);
    reader.add(text);
    reader.finish();
    if (reader.blocks().size() == 1) return std::move(reader.blocks().front().values);
    return reader.values();
}

}  // namespace quill
