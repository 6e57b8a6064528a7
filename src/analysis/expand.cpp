#include <cmath>
#include <memory>
#include <vector>

#include "analysis/formula.h"
#include "exact_ratio.h"
#include "flint_handles.h"
#include "formula_parse.h"
#include "stop.h"

namespace quill {

using namespace analysis;

namespace {

// A number node: digits × 10^powerOfTen, exactly.
void setNumber(const FormulaNode& node, fmpq_poly_struct* out) {
    Fmpz digits, scale;
    fmpz_set_str(digits, node.digits.c_str(), 10);
    fmpz_ui_pow_ui(scale, 10, ulong(node.powerOfTen < 0 ? -node.powerOfTen : node.powerOfTen));
    if (node.powerOfTen >= 0) {
        fmpz_mul(digits, digits, scale);
        fmpq_poly_set_fmpz(out, digits);
    } else {
        fmpq_poly_set_fmpz(out, digits);
        fmpq_poly_scalar_div_fmpz(out, out, scale);
    }
}

// The exact polynomial of the tree's root, into out. The nodes are expanded
// in their order, each after its operands (the parser adds a node after
// them), not by recursion: a long chain such as x+x+…+x would otherwise go
// as deep into the stack as the formula is long. An operand's polynomial
// goes to its one node, which takes it over.
void expandTree(const FormulaTree& tree, fmpq_poly_struct* out, const Stop& stop) {
    std::vector<std::unique_ptr<FmpqPoly>> value(tree.nodes.size());
    auto take = [&](int operand) { return std::move(value[std::size_t(operand)]); };
    for (std::size_t i = 0; i <= std::size_t(tree.root); ++i) {
        stop.poll();
        const FormulaNode& node = tree.nodes[i];
        std::unique_ptr<FmpqPoly> p;
        switch (node.kind) {
            case FormulaNode::number:
                p = std::make_unique<FmpqPoly>();
                setNumber(node, *p);
                break;
            case FormulaNode::x:
                p = std::make_unique<FmpqPoly>();
                fmpq_poly_set_coeff_si(*p, 1, 1);
                break;
            case FormulaNode::negate:
                p = take(node.left);
                fmpq_poly_neg(*p, *p);
                break;
            case FormulaNode::power:
                p = take(node.left);
                fmpq_poly_pow(*p, *p, ulong(node.exponent));
                break;
            default: {
                p = take(node.left);
                const std::unique_ptr<FmpqPoly> right = take(node.right);
                switch (node.kind) {
                    case FormulaNode::add: fmpq_poly_add(*p, *p, *right); break;
                    case FormulaNode::subtract: fmpq_poly_sub(*p, *p, *right); break;
                    case FormulaNode::multiply: fmpq_poly_mul(*p, *p, *right); break;
                    default: {
                        if (fmpq_poly_degree(*right) > 0) failAt(node.column, "can divide only by a number, not by x");
                        if (fmpq_poly_is_zero(*right)) failAt(node.column, "division by zero");
                        Fmpq c;
                        fmpq_poly_get_coeff_fmpq(c, *right, 0);
                        fmpq_poly_scalar_div_fmpq(*p, *p, c);
                    }
                }
            }
        }
        value[i] = std::move(p);
    }
    fmpq_poly_swap(out, *value[std::size_t(tree.root)]);
}

}  // namespace

std::vector<double> expandFormula(std::string_view formula, char decimalMark, const std::atomic<bool>* cancel) {
    const FormulaTree tree = parseFormula(formula, decimalMark);
    const ThreadCacheRelease release;
    std::vector<double> out;
    {
        FmpqPoly poly;
        fmpq_poly_struct* p = poly;
        expandTree(tree, p, Stop(cancel));
        const slong length = fmpq_poly_length(p);
        if (length == 0) return {0.0};
        out.resize(std::size_t(length));
        for (slong i = 0; i < length; ++i) {
            // Each numerator over the common denominator.
            out[std::size_t(i)] = nearestDoubleOfRatio(fmpq_poly_numref(p) + i, fmpq_poly_denref(p));
            if (std::isinf(out[std::size_t(i)]))
                throw FormulaError("formula: the coefficient of x^" + std::to_string(i) +
                                   " is beyond the double range");
        }
    }
    return out;
}

}  // namespace quill
