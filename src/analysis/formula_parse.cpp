#include "formula_parse.h"

#include <algorithm>
#include <cmath>

#include "analysis/formula.h"

namespace quill::analysis {

namespace {

// Exact expansions beyond this estimate of their size in bits are refused.
constexpr double kMostExpansionBits = 1 << 30;
// Parentheses and signs nested deeper than this are refused (the parser
// recurses once for each).
constexpr int kMostNesting = 500;

constexpr double kBitsPerDigit = 3.3219280948873623;  // log2(10)

// One character of the formula: an ASCII byte, or one of the typographic
// signs people paste from documents, mapped to its ASCII meaning.
struct Char {
    char c = 0;  // '\0' at the end; '^' with superscript >= 0
    int superscript = -1;
    std::size_t bytes = 0;
    std::string text;  // as written, for messages
};

// Size estimates that travel with each node: the degree, and log2 of the
// 1-norm of the numerator polynomial and of the common denominator.
struct Bounds {
    int64_t degree = 0;
    double numeratorBits = 0.0;
    double denominatorBits = 0.0;
};

class Parser {
public:
    Parser(std::string_view text, char mark) : text_(text), mark_(mark) {}

    FormulaTree run() {
        if (text_.size() > kMaxFormulaLength)
            throw FormulaError("formula: longer than " + std::to_string(kMaxFormulaLength) + " characters");
        skipBlanks();
        if (peek().c == 0) fail("the formula is empty");
        tree_.root = expression(0);
        if (peek().c == ')') fail("')' without a matching '('");
        if (peek().c != 0) fail("unexpected " + describe(peek()));
        return std::move(tree_);
    }

private:
    [[noreturn]] void fail(const std::string& what) const { failAt(column_, what); }

    static std::string describe(const Char& ch) { return "'" + ch.text + "'"; }

    Char peek() const {
        Char ch;
        if (at_ >= text_.size()) return ch;
        const auto b = static_cast<unsigned char>(text_[at_]);
        ch.bytes = 1;
        if (b < 0x80) {
            ch.c = static_cast<char>(b);
            ch.text.assign(1, ch.c);
            return ch;
        }
        ch.bytes = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        ch.bytes = std::min(ch.bytes, text_.size() - at_);
        ch.text = std::string(text_.substr(at_, ch.bytes));
        static const struct {
            const char* utf8;
            char c;
            int superscript;
        } kSigns[] = {{"\u2212", '-', -1}, {"\u00B7", '*', -1}, {"\u00D7", '*', -1}, {"\u2070", '^', 0},
                      {"\u00B9", '^', 1},  {"\u00B2", '^', 2},  {"\u00B3", '^', 3},  {"\u2074", '^', 4},
                      {"\u2075", '^', 5},  {"\u2076", '^', 6},  {"\u2077", '^', 7},  {"\u2078", '^', 8},
                      {"\u2079", '^', 9}};
        for (const auto& s : kSigns)
            if (ch.text == s.utf8) {
                ch.c = s.c;
                ch.superscript = s.superscript;
                return ch;
            }
        ch.c = '\x01';  // no character of the syntax
        return ch;
    }

    void advance() {
        at_ += std::max<std::size_t>(peek().bytes, 1);
        ++column_;
    }

    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) advance();
    }

    // Refuses a node too large to expand, at the node's column.
    int add(FormulaNode node, const Bounds& bounds) {
        if (bounds.degree > kMaxFormulaDegree)
            failAt(node.column, "the degree would exceed " + std::to_string(kMaxFormulaDegree));
        const double bits = (bounds.numeratorBits + bounds.denominatorBits + 1) * double(bounds.degree + 1);
        if (!(bits <= kMostExpansionBits)) failAt(node.column, "the exact expansion would be too large");
        tree_.nodes.push_back(std::move(node));
        bounds_.push_back(bounds);
        return static_cast<int>(tree_.nodes.size() - 1);
    }

    int binary(FormulaNode::Kind kind, int column, int left, int right) {
        const Bounds a = bounds_[std::size_t(left)], b = bounds_[std::size_t(right)];
        Bounds r;
        switch (kind) {
            case FormulaNode::add:
            case FormulaNode::subtract:
                r.degree = std::max(a.degree, b.degree);
                r.numeratorBits =
                    std::max(a.numeratorBits + b.denominatorBits, b.numeratorBits + a.denominatorBits) + 1;
                r.denominatorBits = a.denominatorBits + b.denominatorBits;
                break;
            case FormulaNode::multiply:
                r.degree = a.degree + b.degree;
                r.numeratorBits = a.numeratorBits + b.numeratorBits;
                r.denominatorBits = a.denominatorBits + b.denominatorBits;
                break;
            default:  // divide: by a number, checked when it is expanded
                r.degree = a.degree;
                r.numeratorBits = a.numeratorBits + b.denominatorBits;
                r.denominatorBits = a.denominatorBits + b.numeratorBits;
                break;
        }
        FormulaNode node;
        node.kind = kind;
        node.column = column;
        node.left = left;
        node.right = right;
        return add(std::move(node), r);
    }

    // expression := term (('+' | '-') term)*
    int expression(int depth) {
        int left = term(depth);
        for (;;) {
            const char c = peek().c;
            if (c != '+' && c != '-') return left;
            const int column = column_;
            advance();
            skipBlanks();
            left = binary(c == '+' ? FormulaNode::add : FormulaNode::subtract, column, left, term(depth));
        }
    }

    static bool startsFactor(char c) { return c == 'x' || c == '(' || (c >= '0' && c <= '9'); }

    // term := signed (('*' | '/') signed | factor written beside)*
    int term(int depth) {
        int left = signedFactor(depth);
        bool lastWasNumber = tree_.nodes[std::size_t(left)].kind == FormulaNode::number;
        for (;;) {
            const Char ch = peek();
            const int column = column_;
            FormulaNode::Kind kind = FormulaNode::multiply;
            if (ch.c == '*' || ch.c == '/') {
                kind = ch.c == '*' ? FormulaNode::multiply : FormulaNode::divide;
                advance();
                skipBlanks();
                lastWasNumber = false;
            } else if (!(startsFactor(ch.c) || (ch.c == mark_ && mark_ != 0))) {
                return left;
            } else if (lastWasNumber && ch.c != 'x' && ch.c != '(') {
                fail("a number cannot follow a number");
            }
            const int right = signedFactor(depth);
            lastWasNumber = tree_.nodes[std::size_t(right)].kind == FormulaNode::number;
            left = binary(kind, column, left, right);
        }
    }

    // signed := ('+' | '-') signed | power
    int signedFactor(int depth) {
        if (depth > kMostNesting) fail("nested too deeply");
        const Char ch = peek();
        if (ch.c == '+' || ch.c == '-') {
            const int column = column_;
            advance();
            skipBlanks();
            const int operand = signedFactor(depth + 1);
            if (ch.c == '+') return operand;
            FormulaNode node;
            node.kind = FormulaNode::negate;
            node.column = column;
            node.left = operand;
            return add(std::move(node), bounds_[std::size_t(operand)]);
        }
        return power(depth);
    }

    // power := primary ['^' whole | superscripts]
    int power(int depth) {
        const int base = primary(depth);
        Char ch = peek();
        if (ch.c != '^') return base;
        const int column = column_;
        int64_t exponent = 0;
        if (ch.superscript >= 0) {
            while ((ch = peek()).c == '^' && ch.superscript >= 0) {
                exponent = std::min<int64_t>(exponent * 10 + ch.superscript, int64_t(1) << 40);
                advance();
            }
        } else {
            advance();
            skipBlanks();
            if (peek().c == '+') advance();
            if (!(peek().c >= '0' && peek().c <= '9')) fail("the exponent must be a whole number from 0 on");
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
                exponent = std::min<int64_t>(exponent * 10 + (text_[at_] - '0'), int64_t(1) << 40);
                advance();
            }
        }
        skipBlanks();
        if (peek().c == '^') fail("write a power of a power with parentheses");
        const Bounds b = bounds_[std::size_t(base)];
        Bounds r;
        r.degree = b.degree * exponent;
        r.numeratorBits = b.numeratorBits * double(exponent);
        r.denominatorBits = b.denominatorBits * double(exponent);
        FormulaNode node;
        node.kind = FormulaNode::power;
        node.column = column;
        node.left = base;
        node.exponent = static_cast<int>(std::min<int64_t>(exponent, int64_t(1) << 30));
        return add(std::move(node), r);
    }

    int primary(int depth) {
        const Char ch = peek();
        const int column = column_;
        if (ch.c == 'x') {
            advance();
            skipBlanks();
            FormulaNode node;
            node.kind = FormulaNode::x;
            node.column = column;
            return add(std::move(node), Bounds{1, 0.0, 0.0});
        }
        if (ch.c == '(') {
            advance();
            skipBlanks();
            if (peek().c == ')') fail("empty parentheses");
            const int inner = expression(depth + 1);
            if (peek().c != ')') {
                if (peek().c == 0) fail("'(' at column " + std::to_string(column) + " is not closed");
                fail("unexpected " + describe(peek()));
            }
            advance();
            skipBlanks();
            return inner;
        }
        if ((ch.c >= '0' && ch.c <= '9') || (ch.c == mark_ && mark_ != 0)) return number();
        if (ch.c == 0) fail("the formula ends where a number, x or '(' was expected");
        if (ch.c == ')') fail("')' where a number, x or '(' was expected");
        fail("unexpected " + describe(ch));
    }

    // Digits, the decimal mark and digits, an exponent: as the panes read a number.
    int number() {
        FormulaNode node;
        node.kind = FormulaNode::number;
        node.column = column_;
        int64_t fractionDigits = 0;
        bool anyDigit = false;
        auto digitsRun = [&](bool fraction) {
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
                node.digits.push_back(text_[at_]);
                anyDigit = true;
                if (fraction) ++fractionDigits;
                advance();
            }
        };
        digitsRun(false);
        if (mark_ != 0 && at_ < text_.size() && text_[at_] == mark_) {
            advance();
            digitsRun(true);
        }
        if (!anyDigit) fail("a number needs a digit");
        int64_t exponent = 0;
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            advance();
            bool negative = false;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) {
                negative = text_[at_] == '-';
                advance();
            }
            // As the panes: the exponent's digits are read up to 500; one more
            // makes the text no number.
            while (exponent < 500 && at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
                exponent = exponent * 10 + (text_[at_] - '0');
                advance();
            }
            if (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') fail("the exponent is too large");
            if (negative) exponent = -exponent;
        }
        skipBlanks();
        node.powerOfTen = exponent - fractionDigits;
        const std::size_t first = node.digits.find_first_not_of('0');
        const double significant = first == std::string::npos ? 0.0 : double(node.digits.size() - first);
        Bounds b;
        b.numeratorBits = (significant + double(std::max<int64_t>(node.powerOfTen, 0))) * kBitsPerDigit;
        b.denominatorBits = double(std::max<int64_t>(-node.powerOfTen, 0)) * kBitsPerDigit;
        return add(std::move(node), b);
    }

    std::string_view text_;
    char mark_;
    std::size_t at_ = 0;
    int column_ = 1;
    FormulaTree tree_;
    std::vector<Bounds> bounds_;
};

}  // namespace

FormulaTree parseFormula(std::string_view text, char decimalMark) { return Parser(text, decimalMark).run(); }

void failAt(int column, const std::string& what) {
    throw FormulaError("formula:" + std::to_string(column) + ": " + what);
}

}  // namespace quill::analysis
