// Prints what the formula, fit and inverse functions find, every number as a
// hexadecimal double, for check_formula.py to compare with exact arithmetic.
// The input comes on standard input, one request a line:
//   expand MARK FORMULA…          the coefficients, or "error <message>"
//   fit DEGREE X… ; Y… [; W…]    the coefficients, or "error <message>"
//   inverse LOW HIGH|- ; A… ; Y…  per y a line "x multiplicity …", or "error"
// Every request's answer ends with a line "end".
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/fit.h"
#include "analysis/formula.h"
#include "analysis/inverse.h"
#include "probe_numbers.h"

namespace {

using quill::probe::hex;
using quill::probe::read;

// Words split into lists at ";".
std::vector<std::vector<double>> lists(std::istringstream& in) {
    std::vector<std::vector<double>> out(1);
    std::string word;
    while (in >> word) {
        if (word == ";") {
            out.emplace_back();
        } else {
            out.back().push_back(read(word));
        }
    }
    return out;
}

void answer(const std::string& request) {
    std::istringstream in(request);
    std::string command;
    in >> command;
    if (command == "expand") {
        std::string mark;
        in >> mark;
        std::string formula;
        std::getline(in, formula);
        if (!formula.empty()) formula.erase(0, 1);  // the space after MARK
        for (double c : quill::expandFormula(formula, mark[0])) std::cout << hex(c) << "\n";
    } else if (command == "fit") {
        int degree = 0;
        in >> degree;
        const auto l = lists(in);
        const std::vector<double> none;
        const quill::FitResult r = quill::fitPolynomial(l[0], l.at(1), l.size() > 2 ? l[2] : none, degree);
        for (double c : r.coefficients) std::cout << hex(c) << "\n";
    } else if (command == "inverse") {
        std::string low, high;
        in >> low;
        std::optional<quill::InverseInterval> interval;
        if (low != "-") {
            in >> high;
            interval = quill::InverseInterval{read(low), read(high)};
        }
        std::string semicolon;
        in >> semicolon;
        const auto l = lists(in);
        const quill::InverseList r = quill::invertPolynomial(l[0], l.at(1), interval);
        for (std::size_t j = 0; j + 1 < r.first.size(); ++j) {
            std::string line;
            for (std::size_t i = r.first[j]; i < r.first[j + 1]; ++i)
                line += hex(r.roots[i].x) + " " + std::to_string(r.roots[i].multiplicity) + " ";
            std::cout << line << "\n";
        }
    }
}

}  // namespace

int main() {
    std::string request;
    while (std::getline(std::cin, request)) {
        try {
            answer(request);
        } catch (const std::exception& e) {
            std::cout << "error " << e.what() << "\n";
        }
        std::cout << "end" << std::endl;
    }
    return 0;
}
