#pragma once
// The browser edition's engine calls, as the page's worker makes them: the
// window's Solve on two pane texts, the lists it keeps for the next Solve and
// for the analysis, list files in and out, and range fill. Plain C++: the
// binding (binding.cpp) hands these to JavaScript.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/solve_lists.h"
#include "lines/file_encoding.h"

namespace quill::web {

// What a Solve, a load or a fill ends with: the text, or the error box's
// text and where it points.
struct Outcome {
    bool ok = true;
    std::string text;     // the pane text (LF breaks) or the filled values
    std::string list;     // the pane the error is about: "MemoAN", "MemoX" or ""
    int64_t line = -1;    // the line to select, from 0; -1: none
    std::string kind;     // "value", "overflow", "file", "memory", "abort" or "error"
    std::string message;  // as the error box shows it
};

// A Solve's progress, 0 to 1000.
using Progress = std::function<void(int permille)>;
// Takes a Solve's report piece by piece, in order, each piece whole lines.
using ReportSink = std::function<void(std::string_view piece)>;

class Session {
public:
    // The Solve of the panes' texts (LF, CR LF or CR between lines). A pane
    // without text takes the list of the last Solve again, as the window does.
    // The report goes to `report` as it is written.
    Outcome solve(std::string_view coefficientText, std::string_view xText, char decimalMark, const Progress& progress,
                  const ReportSink& report);

    // The lists another session kept (the page's copy of them, for a worker
    // started afresh after a Cancel ended the one that made them).
    void restore(SolveLists lists) { lists_ = std::move(lists); }

    const std::vector<double>& coefficients() const { return lists_.coefficients; }
    const std::vector<double>& x() const { return lists_.x; }
    const std::vector<double>& fx() const { return lists_.fx; }

private:
    SolveLists lists_;
};

// A list file's bytes as a pane takes them (LF breaks) and how they were
// encoded; name stands for the file in the error message.
struct LoadedFile {
    Outcome outcome;
    FileEncoding encoding;
};
LoadedFile loadListFile(std::string_view bytes, const std::string& name);
// The bytes a pane text saves as, in the encoding of its last load, or the
// outcome of a save that failed.
struct SavedFile {
    Outcome outcome;
    std::string bytes;
};
SavedFile saveListFile(std::string_view paneText, FileEncoding encoding);

// "Fill with a range": the values as pane text (LF breaks), or the fault's
// name (RangeFault: "fromNotNumber", …) as the outcome's kind.
Outcome fillRange(std::string_view from, std::string_view to, std::string_view count, char decimalMark);

// A pane text with LF breaks from one with CR LF.
std::string withLineFeeds(std::string_view text);

}  // namespace quill::web
