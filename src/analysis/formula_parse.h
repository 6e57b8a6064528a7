#pragma once
// The formula's syntax tree, and the parser that builds it (formula.h gives
// the syntax). No arithmetic is done here beyond the bounds that refuse a
// formula too large to expand before any expansion starts.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quill::analysis {

struct FormulaNode {
    enum Kind { number, x, negate, add, subtract, multiply, divide, power } kind = number;
    int column = 1;             // of the token, in characters from 1
    int left = -1, right = -1;  // operand nodes (negate and power: left only)
    // number: the value is digits × 10^powerOfTen, digits a decimal integer.
    std::string digits;
    int64_t powerOfTen = 0;
    // power: the whole exponent.
    int exponent = 0;
};

struct FormulaTree {
    std::vector<FormulaNode> nodes;
    int root = -1;
};

// Raises FormulaError ("formula:<column>: …").
FormulaTree parseFormula(std::string_view text, char decimalMark);

// Raises FormulaError "formula:<column>: <what>", for the parser and the
// expansion alike.
[[noreturn]] void failAt(int column, const std::string& what);

}  // namespace quill::analysis
