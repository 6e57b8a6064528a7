#pragma once
// The decimal separator of the user's locale, one byte.

namespace quill {

// Reads LC_NUMERIC from the environment (setlocale + localeconv). Returns the
// locale's separator when it is exactly one byte, else '.'.
char ReadLocaleDecimalMark();

}  // namespace quill
