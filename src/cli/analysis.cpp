#include "analysis.h"

#include "common/error.h"
#include "engine/solve.h"
#include "messages.h"

#ifdef QUILL_HAS_ANALYSIS
#include <atomic>
#include <cstdint>
#include <vector>

#include <unistd.h>

#include "analysis/allocation_failure.h"
#include "analysis/tables.h"
#include "analysis/trusted_digits.h"
#endif

namespace quill::cli {

#ifdef QUILL_HAS_ANALYSIS

namespace {

std::string outOfMemoryLine;  // made before memory runs out

// As main's std::bad_alloc: the message, status 1.
void outOfMemory() {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, outOfMemoryLine.data(), outOfMemoryLine.size());
    ::_exit(1);
}

}  // namespace

void endOnAllocationFailure() {
    outOfMemoryLine = errorLine(kOutOfMemory);
    quill::endOnAllocationFailure(outOfMemory);
}

std::string rootsText(const std::string& file, std::span<const double> coefficients, const ReportStyle& style) {
    const RootList roots = findRoots(coefficients);
    if (roots.zeroPolynomial) throw Error(quoteText(file) + ": " + std::string(kNoIsolatedRoots));
    return rootsTable(coefficients, roots, style);
}

std::string extremaText(const std::string& file, std::span<const double> coefficients, const ReportStyle& style) {
    const TurningPointList points = findTurningPoints(coefficients);
    if (points.constant) throw Error(quoteText(file) + ": " + std::string(kNoIsolatedTurningPoints));
    return turningPointsTable(coefficients, points, style);
}

void writeAccuracy(Solve& solve, std::span<const double> coefficients, const ReportStyle& style, const Sink& sink) {
    const ReportStyle numbers = style.layout == ReportLayout::csv ? csvNumbers(style) : style;
    std::atomic<std::size_t> fewDigits{0};
    // Each block is checked on the thread that makes its rows: the blocks
    // are checked side by side, and only the blocks in flight hold their
    // exact values and digits.
    auto rows = [&](const Solve::RowBlock& block, char* to) {
        std::vector<double> exact(block.count);
        std::vector<std::uint8_t> digits(block.count);
        DigitsControl oneThread;
        oneThread.threads = 1;
        checkDigits(coefficients, {block.x, block.count}, {block.fx, block.count}, exact, digits, oneThread);
        NumberTexts::Reader texts = block.xTexts->reader();
        std::size_t few = 0;
        for (std::size_t j = 0; j < block.count; ++j) {
            char x[NumberTexts::kTextRoom];
            const std::string_view xText(x, texts.next(x));
            to = putDigitsRow(to, xText, block.fx[j], exact[j], digits[j], numbers);
            few += digits[j] < kTrustedDigits;
        }
        fewDigits += few;
        return to;
    };
    solve.writeTable(kDigitsCsvHeader, kDigitsRow, rows, sink);
    if (style.layout != ReportLayout::csv) sink(fewDigitsLine(fewDigits.load()));
}

#else

namespace {
[[noreturn]] void missing() { throw Error("this build has no analysis"); }
}  // namespace

void endOnAllocationFailure() {}
std::string rootsText(const std::string&, std::span<const double>, const ReportStyle&) { missing(); }
std::string extremaText(const std::string&, std::span<const double>, const ReportStyle&) { missing(); }
void writeAccuracy(Solve&, std::span<const double>, const ReportStyle&, const Sink&) { missing(); }

#endif

}  // namespace quill::cli
