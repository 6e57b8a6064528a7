#pragma once
// Number text in: the trimming and the text-to-number conversion that decide
// which pane lines the evaluation accepts, and the narrowing store to double.

#include <string_view>

#include "numtext/ext80.h"

namespace quill {

// The text without its leading and trailing bytes 0x00..0x20.
std::string_view trimBlanks(std::string_view text);

// Converts text to an 80-bit value in the fixed order of operations (digits
// accumulated, then scaled by a power of ten). Returns false when the text is
// not a number, including a value beyond the 80-bit range. The text ends at
// its first NUL byte. Never throws.
bool tryTextToNumber(std::string_view text, char decimalMark, Ext80& out);

// As tryTextToNumber, raising ConvertError
// "'<text>' is not a valid floating point value" for a text that is not a number.
Ext80 textToNumber(std::string_view text, char decimalMark);

// narrowToDouble(textToNumber(text, decimalMark)), the same value and the
// same errors, by a shorter road for the usual texts.
double textToDouble(std::string_view text, char decimalMark);

// The store into a double: rounded to 53 bits; raises OverflowError
// ("Floating point overflow") when the magnitude rounds above the largest double.
double narrowToDouble(Ext80 v);

}  // namespace quill
