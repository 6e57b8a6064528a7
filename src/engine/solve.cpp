#include "engine/solve.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "common/error.h"
#include "engine/evaluate.h"
#include "engine/worker_pool.h"
#include "numtext/format.h"

namespace quill {

namespace {

constexpr std::string_view kBreak{"\r\n", 2};
static_assert(kNumber < 256, "a number's length is kept in a byte");

// The work of one value's report lines, in the operations of evaluate.h: a
// report below one chunk's work is written on the calling thread.
constexpr std::size_t kTextWork = 64;
// The most memory the report's pieces in flight take together (unless two
// pieces need more).
constexpr std::size_t kPiecesMemory = std::size_t{24} << 20;
static_assert(kIndexedLine <= kResultLine && kCsvRow <= kResultLine);

void checkCancel(const std::atomic<bool>* cancel) {
    if (cancel && cancel->load()) throw AbortError();
}

// Threads for writing the report lines of `values` x values.
unsigned textThreads(std::size_t values) { return values * kTextWork < kChunkWork ? 1 : 0; }

// A byte buffer that is written through a pointer and never zero-filled.
struct TextBuffer {
    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char, Free> data;
    std::size_t capacity = 0;
    std::size_t size = 0;

    char* room(std::size_t bytes) {
        if (capacity < bytes) {
            data.reset();
            data.reset(static_cast<char*>(std::malloc(bytes)));
            if (!data) throw std::bad_alloc();
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

}  // namespace

Solve::Solve(const ReportStyle& style, SolveControl control)
    : style_(style.layout == ReportLayout::csv ? csvNumbers(style) : style),
      control_(std::move(control)),
      pool_(std::make_unique<WorkerPool>(control_.threads)),
      x_(style.decimalMark, *pool_, control_),  // read with the style's mark, whatever the layout
      code_(style_.decimalMark) {}

Solve::~Solve() = default;

void Solve::addXText(std::string_view piece) { x_.add(piece); }

void Solve::finishX() { x_.finish(); }

void Solve::setX(const std::vector<double>& values) { x_.setValues(values); }

void Solve::compute(std::vector<double> coefficients) {
    checkCancel(control_.cancel);
    coefficients_ = std::move(coefficients);
    std::vector<ValueBlock>& blocks = x_.blocks();
    std::vector<ValueSpan> spans(blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i)
        spans[i] = {blocks[i].values.data(), nullptr, blocks[i].values.size()};
    fx_.clear();
    fx_.resize(blocks.size());
    xText_.clear();
    xText_.resize(blocks.size());
    // A block's results take their memory as its evaluation starts; once they
    // are made, the text of every x, which both its X line and its F line
    // take, replaces the x values where they are not kept (number_texts.h).
    SpanHooks hooks;
    hooks.room = [&](std::size_t i) {
        fx_[i].resize(blocks[i].values.size());
        return fx_[i].data();
    };
    hooks.done = [&](std::size_t i) {
        std::vector<double>& x = blocks[i].values;
        xText_[i].make(x.data(), x.size(), style_, code_);
        if (!control_.keepX) std::vector<double>().swap(x);
    };
    try {
        evaluateSpans(*pool_, coefficients_.data(), coefficients_.size(), spans.data(), spans.size(),
                      stageControl(control_, SolveStage::computing), hooks);
    } catch (OverflowError& e) {
        e.setValueLine(x_.lineOf(static_cast<std::size_t>(e.valueIndex())));
        throw;
    }
}

std::vector<double> Solve::xValues() const { return x_.values(); }

std::vector<double> Solve::fxValues() const {
    std::vector<double> all;
    all.reserve(x_.count());
    for (const std::vector<double>& fx : fx_) all.insert(all.end(), fx.begin(), fx.end());
    return all;
}

// The report's head: the counts and the coefficients, a few lines made on the
// calling thread; the CSV table's header.
std::string Solve::head() const {
    if (style_.layout == ReportLayout::csv) return std::string(kCsvHeader);
    return reportCountLine(kCoefficientCountLabel, static_cast<int32_t>(coefficients_.size())) +
           reportCountLine(kXCountLabel, xCount()) + coefficientLines(coefficients_, style_);
}

std::string reportCountLine(std::string_view label, int32_t count) {
    char number[kMaxIntegerTextLength];
    std::string line(label);
    line.append(number, integerToText(count, number));
    line.append(kBreak);
    return line;
}

std::string coefficientLines(std::span<const double> coefficients, const ReportStyle& style) {
    std::string lines;
    char number[kNumber > kMaxIntegerTextLength ? kNumber : kMaxIntegerTextLength];
    for (std::size_t i = 0; i < coefficients.size(); ++i) {
        lines.append("A[");
        lines.append(number, integerToText(static_cast<int32_t>(i), number));
        lines.append("]=");
        lines.append(number, numberText(coefficients[i], style, number));
        lines.append(kBreak);
    }
    return lines;
}

void Solve::writeReport(const std::function<void(std::string_view)>& sink) {
    checkCancel(control_.cancel);
    const bool csv = style_.layout == ReportLayout::csv;
    auto rows = [&](const RowBlock& block, char* to) {
        NumberTexts::Reader texts = block.xTexts->reader();
        for (std::size_t j = 0; j < block.count; ++j) {
            if (csv) {
                char x[NumberTexts::kTextRoom];
                to = putCsvRow(to, std::string_view(x, texts.next(x)), block.fx[j], style_);
            } else {
                to = put(to, "F(");
                to = put(to + texts.next(to), ")=");
                to += numberText(block.fx[j], style_, to);
                to = put(to, kBreak);
            }
        }
        return to;
    };
    writePieces(head(), csv ? 0 : xText_.size(), kResultLine, rows, sink);
}

void Solve::writeTable(std::string_view csvHeader, std::size_t rowBytes, const RowWriter& rows,
                       const std::function<void(std::string_view)>& sink) {
    checkCancel(control_.cancel);
    writePieces(style_.layout == ReportLayout::csv ? std::string(csvHeader) : head(), 0, rowBytes, rows, sink);
}

void Solve::writePieces(const std::string& first, std::size_t xPieces, std::size_t rowBytes, const RowWriter& rows,
                        const std::function<void(std::string_view)>& sink) {
    // Then the report's X lines, one piece per block, and its rows (F lines,
    // the CSV table's rows or the caller's), one piece per block, formatted
    // ahead on all threads and handed on in order. All the memory is taken
    // before the first piece goes out, so that running out of it never
    // leaves half a report behind.
    const std::vector<ValueBlock>& blocks = x_.blocks();
    const std::size_t blockCount = xText_.size();
    const std::size_t lineBytes = std::max(rowBytes, xPieces > 0 ? kIndexedLine : std::size_t{1});
    std::size_t largest = 1;
    for (const NumberTexts& t : xText_) largest = std::max(largest, t.count());
    // Two pieces per thread in flight keep every thread busy while the sink
    // writes; on many cores the pieces' memory sets the bound.
    const std::size_t window =
        std::clamp(kPiecesMemory / (largest * lineBytes), std::size_t{2}, 2 * std::size_t{pool_->threads()} + 2);
    std::vector<TextBuffer> slots(std::min(window, xPieces + blockCount));
    for (TextBuffer& slot : slots) slot.room(largest * lineBytes + NumberTexts::kTextRoom);

    // Piece 0 is the head; piece k > 0 is made in slot (k - 1) % window.
    auto work = [&](std::size_t k) {
        if (k-- == 0) return;
        const bool xLines = k < xPieces;
        const std::size_t b = xLines ? k : k - xPieces;
        const NumberTexts& x = xText_[b];
        const std::size_t count = x.count();
        TextBuffer& out = slots[k % window];
        // A text read at a line's end may write past it (number_texts.h).
        char* to = out.room(count * (xLines ? kIndexedLine : rowBytes) + NumberTexts::kTextRoom);
        if (xLines) {
            NumberTexts::Reader texts = x.reader();
            IndexText index(blocks[b].first);
            for (std::size_t j = 0; j < count; ++j, index.next()) {
                to = put(index.put(put(to, "X[")), "]=");
                to = put(to + texts.next(to), kBreak);
            }
        } else {
            const std::vector<double>& values = blocks[b].values;
            const RowBlock block{blocks[b].first, count, values.empty() ? nullptr : values.data(), fx_[b].data(), &x};
            to = rows(block, to);
        }
        out.size = static_cast<std::size_t>(to - out.data.get());
    };
    auto deliver = [&](std::size_t k) { sink(k == 0 ? std::string_view(first) : slots[(k - 1) % window].view()); };
    ChunkControl control = stageControl(control_, SolveStage::writing);
    control.threads = textThreads(x_.count());
    pool_->runOrdered(1 + xPieces + blockCount, window, work, deliver, control);
}

std::string Solve::reportText() {
    // Room for the longest report, so that the text is never copied while it
    // grows; the pages never written are never touched.
    std::string text;
    const std::size_t count = x_.count();
    const std::size_t counts = kCoefficientCountLabel.size() + kXCountLabel.size() + 2 * (kMaxIntegerTextLength + 2);
    text.reserve(counts + (coefficients_.size() + count) * kIndexedLine + count * kResultLine);
    writeReport([&](std::string_view piece) { text.append(piece); });
    return text;
}

}  // namespace quill
