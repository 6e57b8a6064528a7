#pragma once
// The decimal separator of the user's locale, one byte.

namespace quill {

// A byte that can be the decimal mark of the numbers read and written: ASCII
// punctuation other than a sign and the brackets of the report's F(x) lines.
// A digit, 'e' or 'E', a letter, a blank, a control byte or a byte of 0x80 or
// above would change what a number reads as, split lines or make the report
// invalid UTF-8.
bool isUsableDecimalMark(char mark);

// Reads LC_NUMERIC as the environment sets it (LC_ALL, LC_NUMERIC, LANG),
// without changing the process's locale. Returns the locale's separator when
// it is exactly one byte and usable, else '.'.
char readLocaleDecimalMark();

}  // namespace quill
