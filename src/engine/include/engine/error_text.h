#pragma once
// The text an error is shown with, in the error box and by the command-line
// solver.

#include <string>
#include <string_view>

namespace quill {

// The message with "." appended when the first byte of its last character is
// above '.' (0x2E): letters, digits, '/', ':' and every multi-byte character
// get a full stop; a message ending in a space, a control byte or one of
// "!\"#$%&'()*+,-." keeps its end. The empty message stays empty.
std::string errorBoxText(std::string_view message);

// The message of an F(x) beyond the double range where it is shown at its x
// (a line, an array's element): "F(x): " before it.
std::string fxOverflowMessage(std::string_view message);

}  // namespace quill
