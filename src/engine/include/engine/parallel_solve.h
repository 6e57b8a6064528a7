#pragma once
// The Solve on all cores. The x values are converted, F is evaluated and the
// report is formatted over chunks of x values on a pool of threads; the
// report is the very text of the sequential Solve (evaluator.h), and a
// failing Solve raises the same first error, in pane order, before any byte
// of the report exists.
//
// A run: addXText (any number of times), finishX, compute, then writeReport
// or reportText. The coefficients are read as the sequential Solve reads them
// (Evaluator::readCoefficients), before finishX when its errors are to come first.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/evaluator.h"

namespace quill {

class WorkerPool;

enum class SolveStage { reading, computing, writing };

struct SolveControl {
    unsigned threads = 0;  // 0: one per hardware thread
    // Once set (from any thread), the Solve ends at the next chunk with
    // AbortError; a report being written stops part-way.
    const std::atomic<bool>* cancel = nullptr;
    // Called on the calling thread between chunks: chunks done of total in
    // the stage (reading counts the chunks converted so far, total included).
    std::function<void(SolveStage stage, std::size_t done, std::size_t total)> progress;
    // False: each x is dropped once its text for the report is made, which
    // saves 8 bytes a value where xValues() is not wanted.
    bool keepX = true;
};

class ParallelSolve {
public:
    explicit ParallelSolve(const ReportStyle& style, SolveControl control = {});
    ~ParallelSolve();
    ParallelSolve(const ParallelSolve&) = delete;
    ParallelSolve& operator=(const ParallelSolve&) = delete;

    // The next piece of the x pane's text (CR LF breaks), cut anywhere. A
    // conversion error is kept for finishX, so that errors the caller finds
    // meanwhile (a read error, the coefficients) can come first; nothing after
    // it is converted. Raises only AbortError and std::bad_alloc.
    void addXText(std::string_view piece);
    // The text is complete. Raises the error of the earliest line that is not
    // a number (ConvertError) or does not fit a double (OverflowError), with
    // the index of that line in the text.
    void finishX();
    // True until a byte of x text arrives: the pane had no lines.
    bool xTextEmpty() const { return xTextEmpty_; }
    // Takes the x values as they are, in place of any text: the list kept
    // from an earlier Solve when the pane has no lines.
    void setX(const std::vector<double>& values);

    // F at every x. Raises OverflowError, AbortError.
    void compute(std::vector<double> coefficients);

    int32_t xCount() const;
    std::vector<double> xValues() const;  // empty unless control.keepX
    std::vector<double> fxValues() const;

    // Hands the report to sink in order, in pieces that each end with a line
    // break. Raises AbortError (the report then stops part-way) and what sink
    // raises.
    void writeReport(const std::function<void(std::string_view)>& sink);
    // The whole report as one text.
    std::string reportText();

private:
    struct Block;
    void convertLines(std::string_view lines);

    ReportStyle style_;
    SolveControl control_;
    std::unique_ptr<WorkerPool> pool_;
    std::vector<double> coefficients_;
    std::vector<Block> blocks_;
    std::size_t count_ = 0;
    std::string pending_;              // text not yet converted
    std::size_t pendingBreakEnd_ = 0;  // end of the last CR LF in pending_, 0 when none
    std::exception_ptr xError_;        // the first conversion error
    bool xTextEmpty_ = true;
    std::size_t chunksRead_ = 0;
    std::size_t linesRead_ = 0;  // line breaks in the text converted so far
};

}  // namespace quill
