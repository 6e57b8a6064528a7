#pragma once
// Integer values of the settings file: the text forms a hand-edited value may
// take, and their conversion to a signed 32-bit integer.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quill {

// Converts text to a signed 32-bit integer, or nothing when it is not one.
// Accepted: leading spaces (0x20 only), then either an optional sign and
// decimal digits within -2147483648..2147483647, or (without a sign) a
// hexadecimal number after "$", "x", "X", "0x" or "0X" of at most eight
// significant digits whose 32 bits read as two's complement ("$FFFFFFFF" is
// -1). Anything else anywhere, a trailing space included, is not a number.
std::optional<std::int32_t> int32FromText(std::string_view text);

// A text longer than two bytes that starts with "0x" or "0X" becomes "$"
// followed by the rest; any other text is returned as it is.
std::string hexPrefixToDollar(std::string_view text);

}  // namespace quill
