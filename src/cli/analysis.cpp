#include "analysis.h"

#include "common/error.h"
#include "engine/solve.h"
#include "messages.h"

#ifdef QUILL_HAS_ANALYSIS
#include <unistd.h>

#include "analysis/allocation_failure.h"
#include "analysis/tables.h"
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
    writeDigitsTable(solve, coefficients, style, sink);
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
