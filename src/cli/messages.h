#pragma once
// How the command line shows its errors: at their place in a list file, in
// the form editors and tools jump to ("X.txt:5001: ..."), with every text it
// quotes made safe for a terminal.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/solve_run.h"

namespace quill::cli {

// The most characters of a quoted text.
constexpr std::size_t kMostQuotedCharacters = 200;

// Control bytes (0x00-0x1F, 0x7F) written as \xHH, and a text of more than
// kMostQuotedCharacters characters (UTF-8) cut there, with "…".
std::string quoteText(std::string_view text);

// The message of a Solve's failure about a value of a list: "<file>:<line>: "
// (the file as given, the line counted from 1) before the message, with a
// text that is no number quoted by quoteText. An F(x) that overflowed is
// placed at its x, and its message says "F(x): ". Without a line, the
// engine's message alone.
std::string placedMessage(const std::string& file, const SolveFailure& failure);

// The text written to standard error: the error box's text, its control
// bytes written as \xHH.
std::string errorLine(std::string_view message);

}  // namespace quill::cli
