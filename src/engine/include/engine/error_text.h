#pragma once
// The text an error is shown with, in the error box, by the command-line
// solver and in the Python module's exceptions.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/error.h"

namespace quill {

// The most characters of a text quoted in a message.
constexpr std::size_t kMostQuotedCharacters = 200;

// A text as a message quotes it: control bytes (0x00-0x1F, 0x7F) written as
// \xHH, and a text of more than `most` characters (UTF-8) cut there, with "…".
std::string quoteText(std::string_view text, std::size_t most = kMostQuotedCharacters);

// The error of a text that is not a number, with the message that quotes
// the text whole: "'<text>' is not a valid floating point value".
ConvertError notANumber(std::string_view text);

// The message of an error about a value; that of a text that is no number
// quotes it by quoteText.
std::string valueMessage(const ValueError& error);

// The message with "." appended when the first byte of its last character is
// above '.' (0x2E): letters, digits, '/', ':' and every multi-byte character
// get a full stop; a message ending in a space, a control byte or one of
// "!\"#$%&'()*+,-." keeps its end. The empty message stays empty.
std::string errorBoxText(std::string_view message);

// The message of an F(x) beyond the double range where it is shown at its x
// (a line, an array's element): "F(x): " before it.
std::string fxOverflowMessage(std::string_view message);

}  // namespace quill
