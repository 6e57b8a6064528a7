#pragma once
// The one road through a Solve, for every front end (the window, the command
// line, the Python module, the browser edition): runSolve reads the two
// lists, evaluates F, hands the finished Solve to the caller's writer, and
// returns where and why it failed as a value. It raises nothing. Each front
// end only puts a failure in its own words: the error box and the line it
// points at, "file:line: message", a Python exception.
//
// The steps, whose order is the order of the errors (the panes' order):
//   1. the coefficients' text, taken whole;
//   2. the x values' text, handed to the Solve piece by piece, never whole;
//   3. the coefficients converted (readList, list_reader.h);
//   4. the x values converted;
//   5. F at every x;
//   6. the writer (the report, a table), with every value made.
// A list whose text has not one byte takes its kept values instead (the
// window's lists of the last Solve; none elsewhere).

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/report_format.h"
#include "engine/solve_control.h"
#include "engine/solve_lists.h"

namespace quill {

class Solve;

// The list a failure is about.
enum class SolveList : std::uint8_t { none, coefficients, xValues };

// Why a Solve failed.
enum class SolveFault : std::uint8_t {
    none,
    file,        // the text could not be had or the output not written (FileError)
    notNumber,   // a line that is not a number (ConvertError)
    outOfRange,  // a line beyond the double range (OverflowError while reading)
    fxOverflow,  // F beyond the double range at an x (OverflowError of the evaluation)
    aborted,     // cancelled (AbortError): nothing is shown
    other,       // anything else: out of memory, a writer's own error
};

struct SolveFailure {
    SolveFault fault = SolveFault::none;
    SolveList list = SolveList::none;  // none: a failure of neither list (the writer's)
    // The line the failure names, counted from 0 with blank lines: the line
    // read, or for fxOverflow the line of its x; -1 for none.
    int64_t line = -1;
    std::string message;       // the engine's own message
    std::string text;          // notNumber: the line's text that is no number
    std::exception_ptr error;  // the error as raised, for a front end that shows it as it is

    explicit operator bool() const { return fault != SolveFault::none; }
    // The message as it stands at its line: an F(x) that overflowed says so.
    std::string placedMessage() const;
    // placedMessage with a text that is no number quoted by quoteText (cut
    // and its control bytes escaped), as the command line and Python say it.
    std::string quotedMessage() const;
};

// The failure for an error raised at a step about `list`.
SolveFailure solveFailure(const std::exception_ptr& error, SolveList list);

// Hands a list's text to take, in pieces cut anywhere (CR LF between lines).
// It may raise: a FileError is a failure of its list.
using TextTake = std::function<void(std::string_view piece)>;
using TextSource = std::function<void(const TextTake& take)>;

struct SolveJob {
    TextSource coefficientText, xText;  // null: no text
    // Taken for a list without a byte of text.
    std::vector<double> keptCoefficients, keptX;
    // Fill the result's x and fx (the coefficients are always there).
    bool takeLists = false;
    // Step 6, on the calling thread; null: none. What it raises is a failure
    // of no list.
    std::function<void(Solve& solve, const SolveLists& lists)> write;
};

struct SolveResult {
    SolveFailure failure;
    SolveLists lists;
    // How many of the coefficients, x and fx were made whole (0 to 3): a
    // failed Solve still has those.
    int listsMade = 0;
};

// Runs the job in the style, with the control's threads, cancel flag and
// progress.
SolveResult runSolve(SolveJob job, const ReportStyle& style, const SolveControl& control = {});

}  // namespace quill
