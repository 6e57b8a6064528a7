#pragma once
// How the command line shows its errors: at their place in a list file, in
// the form editors and tools jump to ("X.txt:5001: ..."), with every text it
// quotes made safe for a terminal.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/error_text.h"
#include "engine/solve_run.h"

namespace quill::cli {

// Every text quoted as the engine quotes it (engine/error_text.h).
using quill::quoteText;

// The message of a Solve's failure about a value of a list: "<file>:<line>: "
// (the file as given, the line counted from 1) before the message, with a
// text that is no number quoted by quoteText. An F(x) that overflowed is
// placed at its x, and its message says "F(x): ". Without a line, the
// engine's message alone.
std::string placedMessage(const std::string& file, const SolveFailure& failure);

// The text written to standard error: the error box's text, its control
// bytes written as \xHH.
std::string errorLine(std::string_view message);

// The message of an allocation that failed.
inline constexpr std::string_view kOutOfMemory = "Out of memory";

}  // namespace quill::cli
