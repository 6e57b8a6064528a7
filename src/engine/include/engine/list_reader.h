#pragma once
// The one reader of a list's text: every non-blank line converted to a
// double, each value with the index of the pane line that held it, and the
// first error with the line it names. The text comes in pieces cut anywhere
// (CR LF breaks; a lone CR or LF stays inside its line) and is converted in
// chunks on the pool's threads; a text below one chunk stays on the calling
// thread. Pieces gathered into a round are converted on the pool's helper
// threads while the caller makes the next ones (reads a file, decodes it),
// one round at a time.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/solve_control.h"

namespace quill {

class WorkerPool;

// Consecutive values of a list, from one stretch of its text.
struct ValueBlock {
    std::vector<double> values;
    std::size_t first = 0;  // index of the first value in the list
    int64_t line = -1;      // index of the line the stretch starts at; -1: values without lines
    // (value index in the block, its line minus the stretch's line minus the
    // value index), wherever that difference grows: blank lines before it.
    std::vector<std::pair<uint32_t, uint32_t>> gaps;

    // The pane line of value j of the block, -1 for values without lines.
    int64_t lineOf(std::size_t j) const;
};

class ListReader {
public:
    // The pool and the control must outlive the reader.
    ListReader(char decimalMark, WorkerPool& pool, const SolveControl& control);
    ~ListReader();
    ListReader(const ListReader&) = delete;
    ListReader& operator=(const ListReader&) = delete;

    // The next piece of the text. A conversion error is kept for finish(), so
    // that errors the caller finds meanwhile can come first; nothing after it
    // is converted. Raises only AbortError and std::bad_alloc.
    void add(std::string_view piece);
    // The text is complete. Raises the error of the earliest line that is not
    // a number (ConvertError) or does not fit a double (OverflowError), with
    // the index of that line in the text.
    void finish();
    // True until a byte of text arrives: the pane had no lines.
    bool empty() const { return empty_; }
    // Takes values as they are, in place of any text: they have no lines.
    void setValues(const std::vector<double>& values);

    std::size_t count() const { return count_; }
    std::vector<ValueBlock>& blocks() { return blocks_; }
    const std::vector<ValueBlock>& blocks() const { return blocks_; }
    std::vector<double> values() const;  // all of them, in order
    int64_t lineOf(std::size_t index) const;

private:
    struct Round;
    // Cuts a round's lines into chunks and makes its work; changes nothing but the round.
    void prepare(std::string_view lines, Round& round) const;
    // Takes a converted round's values in order, or its error.
    void merge(Round& round);
    // Converts lines on the pool's threads and the caller's, after the round
    // in the background.
    void convertLines(std::string_view lines);
    // Starts the conversion of text on the pool's helper threads, after the
    // round before it is merged, and returns at once.
    void convertInBackground(std::string text);
    // Takes the caller's share of the round in the background, if any, waits
    // for it and merges it.
    void collect();
    // Waits for the round in the background, if any, and drops its outcome
    // (the reader's end, or values set in place of the text).
    void dropRound();

    char decimalMark_;
    WorkerPool& pool_;
    const SolveControl& control_;
    std::vector<ValueBlock> blocks_;
    std::size_t count_ = 0;
    std::string pending_;              // text not yet converted
    std::size_t pendingBreakEnd_ = 0;  // end of the last CR LF in pending_, 0 when none
    std::exception_ptr error_;         // the first conversion error
    bool empty_ = true;
    std::size_t chunksRead_ = 0;
    int64_t linesRead_ = 0;         // line breaks in the text converted so far
    std::unique_ptr<Round> round_;  // the round in the background
};

// A whole list text on the calling thread: the values, or the first error.
std::vector<double> readList(std::string_view text, char decimalMark);

}  // namespace quill
