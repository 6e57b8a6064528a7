#pragma once
// The Solve: the x values' text converted (list_reader.h), F evaluated at
// every x (evaluate.h) and the report formatted, each over chunks on a pool
// of threads, the work split by its size so that a small Solve stays on the
// calling thread. A failing Solve raises its first error, in pane order,
// before any byte of the report exists.
//
// A run: addXText (any number of times), finishX, compute, then writeReport
// or reportText. The coefficients are read whole by readList
// (list_reader.h). runSolve (solve_run.h) drives these steps for every front
// end.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/list_reader.h"
#include "engine/number_texts.h"
#include "engine/report_format.h"
#include "engine/solve_control.h"

namespace quill {

class WorkerPool;

class Solve {
public:
    explicit Solve(const ReportStyle& style, SolveControl control = {});
    ~Solve();
    Solve(const Solve&) = delete;
    Solve& operator=(const Solve&) = delete;

    // The next piece of the x pane's text (CR LF breaks), cut anywhere; see
    // ListReader::add. Raises only AbortError and std::bad_alloc.
    void addXText(std::string_view piece);
    // The text is complete. Raises the error of the earliest line that is not
    // a number (ConvertError) or does not fit a double (OverflowError), with
    // the index of that line in the text.
    void finishX();
    // True until a byte of x text arrives: the pane had no lines.
    bool xTextEmpty() const { return x_.empty(); }
    // Takes the x values as they are, in place of any text: the list kept
    // from an earlier Solve when the pane has no lines.
    void setX(const std::vector<double>& values);

    // F at every x. Raises OverflowError (naming the x by its valueIndex and,
    // where the x came as text, its valueLine), AbortError.
    void compute(std::vector<double> coefficients);

    int32_t xCount() const { return static_cast<int32_t>(x_.count()); }
    std::vector<double> xValues() const;  // empty unless control.keepX
    std::vector<double> fxValues() const;

    // Hands the report (or the CSV table, by the style's layout) to sink in
    // order, in pieces that each end with a line break. Raises AbortError
    // (the report then stops part-way) and what sink raises.
    void writeReport(const std::function<void(std::string_view)>& sink);
    // The whole report as one text.
    std::string reportText();

    // The x values of one block and their F, for a table made by the caller.
    struct RowBlock {
        std::size_t first = 0;                // index of the block's first x in the list
        std::size_t count = 0;                // x values in the block
        const double* x = nullptr;            // the x values; null unless control.keepX
        const double* fx = nullptr;           // F at each of them
        const NumberTexts* xTexts = nullptr;  // their texts as the report writes them
    };
    // Makes the rows of a block from `to` on, at most rowBytes a row, and
    // returns their end. It runs on the pool's threads, blocks side by side.
    using RowWriter = std::function<char*(const RowBlock& block, char* to)>;
    // A table of one row per x value in place of the report's X and F lines:
    // the report's head (its count and A lines), in the CSV layout the
    // header line, then the rows, handed to sink in order as writeReport
    // hands the report.
    void writeTable(std::string_view csvHeader, std::size_t rowBytes, const RowWriter& rows,
                    const std::function<void(std::string_view)>& sink);

private:
    std::string head() const;
    // Piece 0 (first), then one piece per block of x values after xPieces
    // pieces of the report's X lines, made on the pool's threads and handed
    // to sink in order.
    void writePieces(const std::string& first, std::size_t xPieces, std::size_t rowBytes, const RowWriter& rows,
                     const std::function<void(std::string_view)>& sink);

    ReportStyle style_;  // of the numbers written: "." for a CSV table
    SolveControl control_;
    std::unique_ptr<WorkerPool> pool_;
    ListReader x_;
    std::vector<double> coefficients_;
    std::vector<std::vector<double>> fx_;  // per block of x_
    NibbleCode code_;                      // of the x texts, in style_
    std::vector<NumberTexts> xText_;       // per block of x_
};

// Lines of the report's head, for texts in its style: a count line (the
// label, the count, CR LF) and the A[i]= line of every coefficient.
std::string reportCountLine(std::string_view label, int32_t count);
std::string coefficientLines(std::span<const double> coefficients, const ReportStyle& style);

}  // namespace quill
