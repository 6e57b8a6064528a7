#include "engine/parallel_solve.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "common/error.h"
#include "engine/poly.h"
#include "engine/worker_pool.h"
#include "numtext/format.h"
#include "numtext/parse.h"

namespace quill {

namespace {

constexpr std::string_view kBreak{"\r\n", 2};
static_assert(kNumber < 256, "a number's length is kept in a byte");

// Text per conversion chunk: large enough that handing a chunk to a thread
// costs nothing next to it, small enough that all threads get several. A
// text below the smallest chunk is converted on the calling thread alone.
constexpr std::size_t kSmallestChunk = std::size_t{32} << 10;
constexpr std::size_t kLargestChunk = std::size_t{256} << 10;
// Fewer values than this are evaluated and formatted on the calling thread.
constexpr std::size_t kSmallCount = 4096;
// The most memory the report's pieces in flight take together (unless two
// pieces need more).
constexpr std::size_t kPiecesMemory = std::size_t{24} << 20;
static_assert(kIndexedLine <= kResultLine);
// Values per block when they come as values rather than text.
constexpr std::size_t kBlockValues = 16384;
// Text gathered from the pieces before it is converted.
constexpr std::size_t kRoundBytes = std::size_t{4} << 20;

// The pool's control for a job of one stage: the Solve's cancel flag, and its
// progress with `before` chunks of the stage done ahead of the job.
ChunkControl stageControl(const SolveControl& solve, SolveStage stage, std::size_t before = 0) {
    ChunkControl control;
    control.cancel = solve.cancel;
    if (solve.progress)
        control.progress = [&solve, stage, before](std::size_t done, std::size_t total) {
            solve.progress(stage, before + done, before + total);
        };
    return control;
}

void checkCancel(const std::atomic<bool>* cancel) {
    if (cancel && cancel->load()) throw AbortError();
}

std::size_t countBreaks(std::string_view text) {
    std::size_t breaks = 0;
    for (std::size_t at = text.find(kBreak); at != std::string_view::npos; at = text.find(kBreak, at + 2)) ++breaks;
    return breaks;
}

// Converts every non-blank line of the text, each line ending at a CR LF or
// at the end of the text; raises the first error, with the index of its line
// in the text. Returns the number of line breaks passed.
std::size_t parseLines(std::string_view text, char decimalMark, std::vector<double>& out) {
    const char* p = text.data();
    const char* const end = p + text.size();
    out.reserve(static_cast<std::size_t>(std::count(p, end, '\n')) + 1);
    std::size_t lines = 0;
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
            if (!value.empty()) out.push_back(textToDouble(value, decimalMark));
            if (lineEnd != end) ++lines;
            p = next;
        }
    } catch (ValueError& e) {
        e.setLineIndex(static_cast<int64_t>(lines));
        throw;
    }
    if (out.size() < out.capacity() / 2) out.shrink_to_fit();
    return lines;
}

// A byte buffer that is written through a pointer and never zero-filled.
struct TextBuffer {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
    std::size_t size = 0;

    char* room(std::size_t bytes) {
        if (capacity < bytes) {
            data.reset();
            data = std::make_unique_for_overwrite<char[]>(bytes);
            capacity = bytes;
        }
        size = 0;
        return data.get();
    }
    std::string_view view() const { return {data.get(), size}; }
};

char* put(char* to, std::string_view s) {
    std::memcpy(to, s.data(), s.size());
    return to + s.size();
}

// A number's text: always kNumber bytes are copied, which a copy of unknown
// length would spend more time deciding than doing. Both buffers have room
// for a whole number at every number's place.
char* putNumber(char* to, const char* from, std::size_t length) {
    std::memcpy(to, from, kNumber);
    return to + length;
}

}  // namespace

// A run of consecutive x values: one conversion chunk of the text.
struct ParallelSolve::Block {
    std::vector<double> x, fx;
    TextBuffer xText;              // the report's text of every x, one after another
    std::vector<uint8_t> xLength;  // the length of each
    std::size_t first = 0;         // index of the first x
};

ParallelSolve::ParallelSolve(const ReportStyle& style, SolveControl control)
    : style_(style), control_(std::move(control)), pool_(std::make_unique<WorkerPool>(control_.threads)) {}

ParallelSolve::~ParallelSolve() = default;

void ParallelSolve::convertLines(std::string_view lines) {
    if (lines.empty() || xError_) return;
    // Chunks end just after a CR LF, so that no line is split.
    const std::size_t threads = pool_->threads();
    const std::size_t chunk = std::clamp(lines.size() / (threads * 4), kSmallestChunk, kLargestChunk);
    std::vector<std::size_t> cuts{0};
    for (std::size_t at = chunk; at < lines.size();) {
        const std::size_t found = lines.find(kBreak, at - 1);
        if (found == std::string_view::npos || found + 2 >= lines.size()) break;
        cuts.push_back(found + 2);
        at = found + 2 + chunk;
    }
    cuts.push_back(lines.size());

    const std::size_t chunks = cuts.size() - 1;
    std::vector<Block> round(chunks);
    std::vector<std::size_t> breaks(chunks);
    const ChunkControl control = stageControl(control_, SolveStage::reading, chunksRead_);
    const char mark = style_.decimalMark;
    try {
        pool_->run(
            chunks,
            [&](std::size_t i) {
                try {
                    breaks[i] = parseLines(lines.substr(cuts[i], cuts[i + 1] - cuts[i]), mark, round[i].x);
                } catch (ValueError& e) {
                    // Where the chunk starts in the pane: counted only for an error.
                    e.setLineIndex(static_cast<int64_t>(linesRead_ + countBreaks(lines.substr(0, cuts[i]))) +
                                   e.lineIndex());
                    throw;
                }
            },
            control);
    } catch (const AbortError&) {
        throw;
    } catch (...) {
        xError_ = std::current_exception();
        return;
    }
    chunksRead_ += chunks;
    for (const std::size_t n : breaks) linesRead_ += n;
    for (Block& b : round) {
        if (b.x.empty()) continue;
        b.first = count_;
        count_ += b.x.size();
        blocks_.push_back(std::move(b));
    }
    // The report numbers the values with 32-bit integers, as the pane does.
    if (count_ > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        xError_ = std::make_exception_ptr(std::bad_alloc());
}

void ParallelSolve::addXText(std::string_view piece) {
    if (piece.empty()) return;
    xTextEmpty_ = false;
    if (xError_) return;
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
        convertLines(std::string_view(pending_).substr(0, pendingBreakEnd_));
        pending_.erase(0, pendingBreakEnd_);
        pendingBreakEnd_ = 0;
    }
}

void ParallelSolve::finishX() {
    convertLines(pending_);
    std::string().swap(pending_);
    pendingBreakEnd_ = 0;
    if (xError_) std::rethrow_exception(xError_);
}

void ParallelSolve::setX(const std::vector<double>& values) {
    blocks_.clear();
    count_ = 0;
    for (std::size_t at = 0; at < values.size(); at += kBlockValues) {
        const std::size_t n = std::min(kBlockValues, values.size() - at);
        Block& b = blocks_.emplace_back();
        b.x.assign(values.data() + at, values.data() + at + n);
        b.first = at;
        count_ += n;
    }
}

void ParallelSolve::compute(std::vector<double> coefficients) {
    checkCancel(control_.cancel);
    coefficients_ = std::move(coefficients);
    ChunkControl control = stageControl(control_, SolveStage::computing);
    control.threads = count_ < kSmallCount ? 1 : 0;
    const double* a = coefficients_.data();
    const std::size_t n = coefficients_.size();
    pool_->run(
        blocks_.size(),
        [&](std::size_t i) {
            Block& b = blocks_[i];
            const std::size_t count = b.x.size();
            b.fx.resize(count);
            if (evaluatePolynomialRange(a, n, b.x.data(), b.fx.data(), count) != count) throw OverflowError();
            // Each x is formatted once, for both its X line and its F line.
            char* to = b.xText.room(count * kNumber);  // every start leaves kNumber bytes
            b.xLength.resize(count);
            for (std::size_t j = 0; j < count; ++j) {
                const std::size_t length = numberText(b.x[j], style_, to);
                b.xLength[j] = static_cast<uint8_t>(length);
                to += length;
            }
            b.xText.size = static_cast<std::size_t>(to - b.xText.data.get());
            if (!control_.keepX) std::vector<double>().swap(b.x);
        },
        control);
}

int32_t ParallelSolve::xCount() const { return static_cast<int32_t>(count_); }

std::vector<double> ParallelSolve::xValues() const {
    std::vector<double> all;
    all.reserve(count_);
    for (const Block& b : blocks_) all.insert(all.end(), b.x.begin(), b.x.end());
    return all;
}

std::vector<double> ParallelSolve::fxValues() const {
    std::vector<double> all;
    all.reserve(count_);
    for (const Block& b : blocks_) all.insert(all.end(), b.fx.begin(), b.fx.end());
    return all;
}

void ParallelSolve::writeReport(const std::function<void(std::string_view)>& sink) {
    checkCancel(control_.cancel);
    // The counts and the coefficients: a few lines, made on the calling thread.
    std::string head;
    char number[kNumber > kMaxIntegerTextLength ? kNumber : kMaxIntegerTextLength];
    auto integer = [&](int32_t v) { head.append(number, integerToText(v, number)); };
    head.append(kCoefficientCountLabel);
    integer(static_cast<int32_t>(coefficients_.size()));
    head.append(kBreak);
    head.append(kXCountLabel);
    integer(xCount());
    head.append(kBreak);
    for (std::size_t i = 0; i < coefficients_.size(); ++i) {
        head.append("A[");
        integer(static_cast<int32_t>(i));
        head.append("]=");
        head.append(number, numberText(coefficients_[i], style_, number));
        head.append(kBreak);
    }

    // Then one piece per block for the X lines and one per block for the F
    // lines, formatted ahead on all threads and handed on in order. All the
    // memory is taken before the first piece goes out, so that running out of
    // it never leaves half a report behind.
    const std::size_t blocks = blocks_.size();
    std::size_t largest = 1;
    for (const Block& b : blocks_) largest = std::max(largest, b.xLength.size());
    // Two pieces per thread in flight keep every thread busy while the sink
    // writes; on many cores the pieces' memory sets the bound.
    const std::size_t window =
        std::clamp(kPiecesMemory / (largest * kResultLine), std::size_t{2}, 2 * std::size_t{pool_->threads()} + 2);
    std::vector<TextBuffer> slots(std::min(window, 2 * blocks));
    for (TextBuffer& slot : slots) slot.room(largest * kResultLine);

    // Piece 0 is the head; piece k > 0 is made in slot (k - 1) % window.
    auto work = [&](std::size_t k) {
        if (k-- == 0) return;
        const bool xLines = k < blocks;
        const Block& b = blocks_[xLines ? k : k - blocks];
        const std::size_t count = b.xLength.size();
        TextBuffer& out = slots[k % window];
        char* to = out.room(count * (xLines ? kIndexedLine : kResultLine));
        const char* text = b.xText.data.get();
        for (std::size_t j = 0; j < count; ++j) {
            const char* x = text;
            const std::size_t length = b.xLength[j];
            text += length;
            if (xLines) {
                to = put(to, "X[");
                to += integerToText(static_cast<int32_t>(b.first + j), to);
                to = putNumber(put(to, "]="), x, length);
            } else {
                to = put(putNumber(put(to, "F("), x, length), ")=");
                to += numberText(b.fx[j], style_, to);
            }
            to = put(to, kBreak);
        }
        out.size = static_cast<std::size_t>(to - out.data.get());
    };
    auto deliver = [&](std::size_t k) { sink(k == 0 ? std::string_view(head) : slots[(k - 1) % window].view()); };
    ChunkControl control = stageControl(control_, SolveStage::writing);
    control.threads = count_ < kSmallCount ? 1 : 0;
    pool_->runOrdered(1 + 2 * blocks, window, work, deliver, control);
}

std::string ParallelSolve::reportText() {
    // Room for the longest report, so that the text is never copied while it
    // grows; the pages never written are never touched.
    std::string text;
    const std::size_t counts = kCoefficientCountLabel.size() + kXCountLabel.size() + 2 * (kMaxIntegerTextLength + 2);
    text.reserve(counts + (coefficients_.size() + count_) * kIndexedLine + count_ * kResultLine);
    writeReport([&](std::string_view piece) { text.append(piece); });
    return text;
}

}  // namespace quill
