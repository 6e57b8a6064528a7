#pragma once
// The analysis as text: the command line writes it and the desktop program
// copies and exports it. Each table comes as a CSV table by the engine's rule
// (engine/report_format.h) or as readable text in the report's style (UTF-8,
// CR LF after every line, numbers as the report writes them), by the style's
// layout.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/inverse.h"
#include "analysis/roots.h"
#include "analysis/turning_points.h"
#include "engine/report_format.h"

namespace quill {

class Solve;

constexpr std::string_view kRootsCsvHeader = "real,imaginary,multiplicity\n";
constexpr std::string_view kTurningPointsCsvHeader = "x,F(x),kind\n";
constexpr std::string_view kDigitsCsvHeader = "x,F(x),exact,digits\n";
constexpr std::string_view kInverseCsvHeader = "y,x,multiplicity\n";

// The count labels of the readable text (UTF-8).
constexpr std::string_view kRootCountLabel = "根的数量 Root Count =";
constexpr std::string_view kTurningPointCountLabel = "驻点的数量 Turning Point Count =";
constexpr std::string_view kFewDigitsCountLabel = "正确位数少于10的数量 Fewer Than 10 Correct Digits Count =";

// A value with fewer correct digits than this is worth a warning.
constexpr std::uint8_t kTrustedDigits = 10;

// A root as the readable text writes it: its real part, and for a complex
// root the imaginary part with its sign and "i" (1-2i).
std::string rootText(const PolynomialRoot& root, const ReportStyle& style);

// The roots: the CSV rows real,imaginary,multiplicity, or the text: the
// coefficients as the report writes them, the count, and Root[i]=<root>, with
// " (×m)" for a multiplicity m above 1.
std::string rootsTable(std::span<const double> coefficients, const RootList& roots, const ReportStyle& style);

// The turning points: the CSV rows x,F(x),kind, or the text: the
// coefficients, the count and F(<x>)=<F> <kind>.
std::string turningPointsTable(std::span<const double> coefficients, const TurningPointList& points,
                               const ReportStyle& style);

// One x value's correct digits: the CSV row x,F(x),exact,digits, or the line
// F(<x>)=<F> exact=<exact> digits=<digits>, from the x's text as the Solve
// made it (engine/solve.h). Writes at most kDigitsRow bytes; returns the end.
constexpr std::size_t kDigitsRow = 2 + kNumber + 2 + kNumber + 7 + kNumber + 8 + kMaxIntegerTextLength + 2;
char* putDigitsRow(char* to, std::string_view xText, double fx, double exact, std::uint8_t digits,
                   const ReportStyle& style);

// The x with F(x) = y (analysis/inverse.h), appended to text: the CSV rows
// y,x,multiplicity (a y without a root gets one row with an empty x), or the
// line F(x)=<y>: x=<x>, x=<x> with " (×m)" for a multiplicity m above 1.
void appendInverseRows(std::string& text, double y, std::span<const InverseRoot> roots, const ReportStyle& style);

// The readable text's last line: how many values have fewer than
// kTrustedDigits correct digits.
std::string fewDigitsLine(std::size_t count);

// The correct digits of a Solve's every F(x), after solve.compute (with
// control.keepX): one row per x value (putDigitsRow) after the report's head,
// each block checked on the Solve's threads as its rows are made and handed
// to sink in order; the readable text ends with fewDigitsLine.
void writeDigitsTable(Solve& solve, std::span<const double> coefficients, const ReportStyle& style,
                      const std::function<void(std::string_view)>& sink);

}  // namespace quill
