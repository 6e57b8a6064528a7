#pragma once
// A double as the shortest text the panes read back as that very double.

#include <string>

namespace quill {

// The double with the fewest significant digits, 15 to 17, correctly rounded,
// that textToDouble(text, decimalMark) turns back into value, bit for bit
// (the sign of zero included). The layout is the report's: plain from 1E-4
// to below 1E15, else one digit, the mark, the rest and "E<exponent>";
// trailing zeros dropped. "INF", "-INF" and "NAN" for the rest.
std::string roundTripText(double value, char decimalMark);

}  // namespace quill
