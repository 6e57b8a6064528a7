#pragma once
// The command line's certified analysis: the roots (--roots), the turning
// points (--extrema) and the correct digits of the Solve's values
// (--accuracy), as CSV tables or as readable text (analysis/tables.h). A
// build without FLINT leaves the analysis out.

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "engine/report_format.h"

namespace quill {
class Solve;
}

namespace quill::cli {

#ifdef QUILL_HAS_ANALYSIS
constexpr bool kHasAnalysis = true;
#else
constexpr bool kHasAnalysis = false;
#endif

using Sink = std::function<void(std::string_view)>;

// Before any analysis: an allocation of the exact arithmetic that fails
// ends the program with "Out of memory." and status 1, not an abort.
void endOnAllocationFailure();

// The tables of the roots and of the turning points of the coefficients read
// from file. Raises Error, naming the file, where none is isolated: every
// coefficient is zero (roots), the polynomial is constant (turning points).
std::string rootsText(const std::string& file, std::span<const double> coefficients, const ReportStyle& style);
std::string extremaText(const std::string& file, std::span<const double> coefficients, const ReportStyle& style);

// After solve.compute (with control.keepX): the correct digits table
// (writeDigitsTable, analysis/tables.h).
void writeAccuracy(Solve& solve, std::span<const double> coefficients, const ReportStyle& style, const Sink& sink);

}  // namespace quill::cli
