#pragma once
// Coefficients from a formula: a polynomial written the way people write one,
// (x - 0,1)^3(2x + 1), expanded exactly and rounded once.

#include <atomic>
#include <cstddef>
#include <string_view>
#include <vector>

#include "common/error.h"

namespace quill {

// The highest degree a formula may reach, and the most characters it may hold.
inline constexpr int kMaxFormulaDegree = 10000;
inline constexpr std::size_t kMaxFormulaLength = 100000;

// A formula that cannot be expanded. The message is "formula:<column>: …"
// (the column counted in characters from 1) or "formula: …" for a problem of
// the whole result.
class FormulaError : public Error {
public:
    using Error::Error;
};

// The formula's syntax: numbers as the panes read them (digits, the decimal
// mark, an exponent "e" or "E"), x, + and - (also as signs), *, · and × and
// products written side by side (2x, 3(x-1), (x-1)(x+2)), / by something
// that expands to a non-zero number, ^ (or a superscript) with a whole
// exponent, parentheses, blanks anywhere between. Every number is taken
// exactly as written: 0,1 is one tenth, not the double nearest to it.
//
// Returns a(0), a(1), … a(n) of the exact expansion, n its exact degree (a
// single 0 for the zero polynomial), each rounded once to the nearest double,
// ties to the even significand. Raises FormulaError for a formula that breaks
// the syntax, divides by x or by zero, reaches beyond kMaxFormulaDegree or an
// exact size that could not be served (refused before any arithmetic), or
// has a coefficient beyond the double range; AbortError once *cancel is set.
std::vector<double> expandFormula(std::string_view formula, char decimalMark,
                                  const std::atomic<bool>* cancel = nullptr);

}  // namespace quill
