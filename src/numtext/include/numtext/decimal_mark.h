#pragma once
// The decimal separator of the user's locale, one byte.

namespace quill {

// Reads LC_NUMERIC as the environment sets it (LC_ALL, LC_NUMERIC, LANG),
// without changing the process's locale. Returns the locale's separator when
// it is exactly one byte, else '.'.
char readLocaleDecimalMark();

}  // namespace quill
