// expand, fit and inverse: coefficients from a formula or from measured
// points, and x back from F(x), each number the double nearest to the exact
// answer for the doubles given.

#include <atomic>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/fit.h"
#include "analysis/formula.h"
#include "analysis/inverse.h"
#include "arrays.h"
#include "errors.h"
#include "functions.h"
#include "interruptible.h"

namespace quill::python {

namespace {

constexpr const char* kExpandDoc = R"(expand(text, *, decimal_mark='.')
--

The coefficients of a polynomial written as a formula, such as
'(x - 0.1)^3 (2x + 1)': numbers (with the decimal mark), x, + - * /
(dividing by a number), ^ with a whole exponent, parentheses and products
written side by side. Every number is taken exactly as written (0.1 is one
tenth, not its double), the product is expanded exactly, and each
coefficient is rounded once to the nearest double, ties to even.

Returns a float64 array a(0), a(1), ... a(n), n the exact degree (one 0
for the zero polynomial). Raises ValueError naming the column of a formula
that breaks the syntax ("formula:7: ..."), divides by x or by zero, goes
beyond degree 10000 or a size that cannot be served, or has a coefficient
beyond the double range. Ctrl+C stops the expansion (KeyboardInterrupt).

>>> quillometer.expand('(x - 0.1)^3 (2x + 1)').tolist()
[-0.001, 0.028, -0.24, 0.4, 2.0]
>>> quillometer.expand('(1 + 1e-17)^3 x - x/3').tolist()
[0.0, 0.6666666666666667])";

constexpr const char* kFitDoc = R"(fit(x, y, degree, w=None, *, threads=0)
--

The least-squares polynomial of the given degree through the points
(x, y), weighted by w (None: every weight 1): the a minimising
sum(w * (y - F(x))**2). The normal equations are formed and solved exactly
in rational arithmetic for the very doubles given, and each coefficient is
the double nearest to the exact solution (ties to even).

x, y and w: one-dimensional, of one length, finite; weights not negative.
Returns (coefficients, statistics): a float64 array a(0) ... a(degree), and
a dict with 'count' (the points), 'largest_residual' and 'rms_residual'
(of y - F(x), F as evaluate forms it for those coefficients; weighted with
w) and 'r_squared'. The GIL is released while the fit runs, and Ctrl+C
stops it (KeyboardInterrupt).

Raises ValueError for fewer distinct x (of positive weight) than
degree + 1, a degree outside 0..100, a value that is not finite, a
negative weight or a coefficient beyond the double range.

>>> coefficients, statistics = quillometer.fit([0, 1, 2, 3], [1, 2, 5, 10], 1)
>>> coefficients
array([0., 3.]))";

constexpr const char* kInverseDoc = R"(inverse(coefficients, y, interval=None, *, threads=0)
--

For each y, every real x with F(x) = y (in the interval [low, high] when
given, decided exactly), each the double nearest to the exact root of
F(x) - y (ties to even), with its multiplicity.

Returns three one-dimensional arrays (index, x, multiplicity), one entry
per root, ascending in x for each y: index (int64) the position of its y,
x (float64) and multiplicity (int64). A y without a root has no entry. The
GIL is released while the roots are found, and Ctrl+C stops the search
(KeyboardInterrupt).

Raises ValueError for a constant polynomial, a coefficient, y or interval
end that is not finite, and low > high.

>>> quillometer.inverse([-2.0, 0.0, 1.0], [2.0, -2.0, -3.0])
(array([0, 0, 1]), array([-2.,  2.,  0.]), array([1, 1, 2])))";

py::array_t<double> doublesArray(const std::vector<double>& values) {
    py::array_t<double> out(static_cast<py::ssize_t>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) out.mutable_at(i) = values[i];
    return out;
}

py::array_t<double> expandText(const std::string& text, const std::string& mark) {
    const char decimalMark = decimalMarkOf(mark);
    try {
        std::vector<double> a;
        runInterruptibly([&](const std::atomic<bool>* cancel) { a = expandFormula(text, decimalMark, cancel); });
        return doublesArray(a);
    } catch (const FormulaError& e) {
        raise(PyExc_ValueError, e.message());
    }
}

py::tuple fitPoints(py::handle x, py::handle y, int degree, py::handle w, Threads threads) {
    const unsigned threadsWanted = threadCount(threads);
    const Doubles xs = readDoubles(x, "x", Rank::list), ys = readDoubles(y, "y", Rank::list);
    Doubles ws;
    if (!w.is_none()) ws = readDoubles(w, "w", Rank::list);
    if (ys.count != xs.count || (!w.is_none() && ws.count != xs.count))
        throw py::value_error("x, y and w must be of one length.");
    FitResult result;
    try {
        runInterruptibly([&](const std::atomic<bool>* cancel) {
            result = fitPolynomial(spanOf(xs), spanOf(ys), spanOf(ws), degree, threadsWanted, cancel);
        });
    } catch (const FitError& e) {
        raise(PyExc_ValueError, e.message());
    }
    py::dict statistics;
    statistics["count"] = result.statistics.count;
    statistics["largest_residual"] = result.statistics.largestResidual;
    statistics["rms_residual"] = result.statistics.rmsResidual;
    statistics["r_squared"] = result.statistics.rSquared;
    return py::make_tuple(doublesArray(result.coefficients), statistics);
}

py::tuple inverseOf(py::handle coefficients, py::handle y, py::handle interval, Threads threads) {
    const unsigned threadsWanted = threadCount(threads);
    const Doubles a = readDoubles(coefficients, "coefficients", Rank::list);
    const Doubles ys = readDoubles(y, "y", Rank::list);
    std::optional<InverseInterval> within;
    if (!interval.is_none()) {
        const Doubles ends = readDoubles(interval, "interval", Rank::list);
        if (ends.count != 2) throw py::value_error("interval must be (low, high).");
        within = InverseInterval{ends.data[0], ends.data[1]};
    }
    InverseList found;
    try {
        runInterruptibly([&](const std::atomic<bool>* cancel) {
            found = invertPolynomial(spanOf(a), spanOf(ys), within, threadsWanted, cancel);
        });
    } catch (const InverseError& e) {
        raise(PyExc_ValueError, e.message());
    }
    const std::size_t n = found.roots.size();
    py::array_t<int64_t> index(static_cast<py::ssize_t>(n)), multiplicity(static_cast<py::ssize_t>(n));
    py::array_t<double> x(static_cast<py::ssize_t>(n));
    for (std::size_t j = 0; j + 1 < found.first.size(); ++j) {
        for (std::size_t i = found.first[j]; i < found.first[j + 1]; ++i) {
            index.mutable_at(i) = static_cast<int64_t>(j);
            x.mutable_at(i) = found.roots[i].x;
            multiplicity.mutable_at(i) = found.roots[i].multiplicity;
        }
    }
    return py::make_tuple(index, x, multiplicity);
}

}  // namespace

void addFormula(py::module_& module) {
    module.def("expand", &expandText, py::arg("text"), py::kw_only(), py::arg("decimal_mark") = ".", kExpandDoc);
    module.def("fit", &fitPoints, py::arg("x"), py::arg("y"), py::arg("degree"), py::arg("w") = py::none(),
               py::kw_only(), py::arg("threads") = 0, kFitDoc);
    module.def("inverse", &inverseOf, py::arg("coefficients"), py::arg("y"), py::arg("interval") = py::none(),
               py::kw_only(), py::arg("threads") = 0, kInverseDoc);
}

}  // namespace quill::python
