#include <cmath>

#include "analysis/formula.h"
#include "exact_ratio.h"
#include "flint_handles.h"
#include "formula_parse.h"
#include "stop.h"

namespace quill {

using namespace analysis;

namespace {

class Expansion {
public:
    Expansion(const FormulaTree& tree, const std::atomic<bool>* cancel) : tree_(tree), stop_(cancel) {}

    // The exact polynomial of node i, into out.
    void expand(int i, fmpq_poly_struct* out) {
        stop_.poll();
        const FormulaNode& node = tree_.nodes[std::size_t(i)];
        switch (node.kind) {
            case FormulaNode::number: return number(node, out);
            case FormulaNode::x:
                fmpq_poly_zero(out);
                fmpq_poly_set_coeff_si(out, 1, 1);
                return;
            case FormulaNode::negate:
                expand(node.left, out);
                fmpq_poly_neg(out, out);
                return;
            case FormulaNode::power:
                expand(node.left, out);
                fmpq_poly_pow(out, out, ulong(node.exponent));
                return;
            default: break;
        }
        FmpqPoly right;
        expand(node.left, out);
        expand(node.right, right);
        switch (node.kind) {
            case FormulaNode::add: fmpq_poly_add(out, out, right); break;
            case FormulaNode::subtract: fmpq_poly_sub(out, out, right); break;
            case FormulaNode::multiply: fmpq_poly_mul(out, out, right); break;
            default: {
                if (fmpq_poly_degree(right) > 0) failAt(node.column, "can divide only by a number, not by x");
                if (fmpq_poly_is_zero(right)) failAt(node.column, "division by zero");
                Fmpq c;
                fmpq_poly_get_coeff_fmpq(c, right, 0);
                fmpq_poly_scalar_div_fmpq(out, out, c);
            }
        }
    }

private:
    static void number(const FormulaNode& node, fmpq_poly_struct* out) {
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

    const FormulaTree& tree_;
    Stop stop_;
};

}  // namespace

std::vector<double> expandFormula(std::string_view formula, char decimalMark, const std::atomic<bool>* cancel) {
    const FormulaTree tree = parseFormula(formula, decimalMark);
    const ThreadCacheRelease release;
    std::vector<double> out;
    {
        FmpqPoly poly;
        fmpq_poly_struct* p = poly;
        Expansion(tree, cancel).expand(tree.root, p);
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
