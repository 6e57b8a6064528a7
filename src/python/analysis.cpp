// roots, extrema and accuracy: the certified analysis of the polynomial of
// the coefficient doubles.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/roots.h"
#include "analysis/trusted_digits.h"
#include "analysis/turning_points.h"
#include "arrays.h"
#include "errors.h"
#include "functions.h"
#include "interruptible.h"

namespace quill::python {

namespace {

constexpr const char* kRootsDoc = R"(roots(coefficients)
--

Every distinct complex root of F(x) = a(0) + a(1)*x + ... + a(n)*x**n, the
polynomial of the coefficient doubles themselves, found exactly: each part
is the double nearest to the exact root's part (ties to even), proven in
ball arithmetic.

coefficients: a(0), a(1), ... lowest power first, finite, one-dimensional
(read as evaluate reads them).

Returns three one-dimensional arrays (re, im, multiplicity): float64,
float64 and int64. The real roots come first, ascending, with im exactly
0; then the others by re, then by im. The multiplicities add up to the
degree; a non-zero constant has no roots (empty arrays). The GIL is
released while the roots are found, and Ctrl+C
stops the search (KeyboardInterrupt).

Raises ValueError when every coefficient is zero (every x is a root) and
for a coefficient that is not finite.

>>> re, im, multiplicity = quillometer.roots([-2.0, 0.0, 1.0, 0.0])
>>> re, im, multiplicity
(array([-1.41421356,  1.41421356]), array([0., 0.]), array([1, 1]))
>>> quillometer.roots([1.0, 2.0, 1.0])
(array([-1.]), array([0.]), array([2]))
>>> quillometer.roots([1.0, 0.0, 1.0])
(array([0., 0.]), array([-1.,  1.]), array([1, 1])))";

constexpr const char* kExtremaDoc = R"(extrema(coefficients)
--

The turning points of F: the real roots c of F', each found exactly as
roots finds them, with F at each of them.

coefficients: as for roots. Returns four one-dimensional arrays
(x, fx, kind, multiplicity), ascending in c: x the double nearest to c,
fx the double nearest to F(c) itself (F at the exact c, not at x), kind
'min', 'max' or 'flat' (F' keeps its sign on both sides, as at 0 for
x**3) in an array of str, multiplicity the multiplicity of c as a root of
F' (int64). The GIL is released while they are found; Ctrl+C
stops the search (KeyboardInterrupt).

Raises ValueError when F is a constant (F' is zero: every x would be a
turning point) and for a coefficient that is not finite.

>>> x, fx, kind, multiplicity = quillometer.extrema([0.0, -3.0, 0.0, 1.0])
>>> x, fx, kind.tolist()
(array([-1.,  1.]), array([ 2., -2.]), ['max', 'min']))";

constexpr const char* kAccuracyDoc = R"(accuracy(coefficients, x, values=None, *, threads=0)
--

How many significant digits of each F(x) are correct, against the exact
value of F at the double x (a dyadic rational).

values: the F(x) values to judge, of x's shape; None (the default) judges
the engine's own, those of evaluate. Returns two arrays of x's shape
(exact, digits): exact the double nearest to the exact F(x) (ties to even,
+-inf beyond the double range), digits (uint8) 17 where the value equals
the exact one, otherwise floor(-log10(|value - exact| / |exact|)) within
0..17, and 0 where the exact value is 0 and the value is not, where the
value is not finite and, for the engine's values, where F(x) overflows.

coefficients and x must be finite (ValueError, with the position as
`index`). The work runs with the GIL released, on `threads` threads
(0: one per processor); Ctrl+C stops it (KeyboardInterrupt). MemoryError
where the exact values would need more memory than can be had.

>>> exact, digits = quillometer.accuracy([1.0, 1.0], [0.5, 0.1])
>>> digits
array([17, 16], dtype=uint8)
>>> quillometer.accuracy([1.0], [2.0], values=[1.001])[1]
array([3], dtype=uint8))";

// The coefficients as the analysis takes them: finite.
Doubles coefficientsOf(py::handle coefficients) {
    Doubles a = readDoubles(coefficients, "coefficients", Rank::list);
    requireFinite("coefficients", a);
    return a;
}

template <class T>
py::array_t<T> arrayOf(std::size_t count) {
    return py::array_t<T>(static_cast<py::ssize_t>(count));
}

py::tuple rootsOf(py::handle coefficients) {
    const Doubles a = coefficientsOf(coefficients);
    RootList list;
    runInterruptibly([&](const std::atomic<bool>* cancel) { list = findRoots(spanOf(a), cancel); });
    if (list.zeroPolynomial) throw py::value_error(std::string(kNoIsolatedRoots) + ".");
    const std::size_t n = list.roots.size();
    auto re = arrayOf<double>(n), im = arrayOf<double>(n);
    auto multiplicity = arrayOf<int64_t>(n);
    for (std::size_t i = 0; i < n; ++i) {
        re.mutable_at(i) = list.roots[i].re;
        im.mutable_at(i) = list.roots[i].im;
        multiplicity.mutable_at(i) = list.roots[i].multiplicity;
    }
    return py::make_tuple(re, im, multiplicity);
}

py::tuple extremaOf(py::handle coefficients) {
    const Doubles a = coefficientsOf(coefficients);
    TurningPointList list;
    runInterruptibly([&](const std::atomic<bool>* cancel) { list = findTurningPoints(spanOf(a), cancel); });
    if (list.constant) throw py::value_error(std::string(kNoIsolatedTurningPoints) + ".");
    const std::size_t n = list.points.size();
    auto x = arrayOf<double>(n), fx = arrayOf<double>(n);
    auto multiplicity = arrayOf<int64_t>(n);
    py::list kinds;
    for (std::size_t i = 0; i < n; ++i) {
        const TurningPoint& p = list.points[i];
        x.mutable_at(i) = p.x;
        fx.mutable_at(i) = p.fx;
        multiplicity.mutable_at(i) = p.multiplicity;
        kinds.append(py::str(std::string(turningKindName(p.kind))));
    }
    const py::array kind = py::module_::import("numpy").attr("array")(kinds, py::arg("dtype") = "<U4");
    return py::make_tuple(x, fx, kind, multiplicity);
}

py::tuple accuracyOf(py::handle coefficients, py::handle x, py::handle values, Threads threads) {
    DigitsControl control;
    control.threads = threadCount(threads);
    const Doubles a = coefficientsOf(coefficients);
    const Doubles xs = readDoubles(x, "x", Rank::any);
    requireFinite("x", xs);
    Doubles judged;
    const bool own = values.is_none();
    if (!own) {
        judged = readDoubles(values, "values", Rank::any);
        if (judged.shape != xs.shape) throw py::value_error("values must have the shape of x");
    }
    py::array exact = resultArray(py::dtype::of<double>(), xs.shape);
    py::array digits = resultArray(py::dtype::of<uint8_t>(), xs.shape);
    const std::span<double> exactOut(static_cast<double*>(exact.mutable_data()), xs.count);
    const std::span<uint8_t> digitsOut(static_cast<uint8_t*>(digits.mutable_data()), xs.count);
    runInterruptibly([&](const std::atomic<bool>* cancel) {
        control.cancel = cancel;
        if (own) {
            std::vector<double> reported(xs.count);
            checkSolveDigits(spanOf(a), spanOf(xs), reported, exactOut, digitsOut, control);
        } else {
            checkDigits(spanOf(a), spanOf(xs), spanOf(judged), exactOut, digitsOut, control);
        }
    });
    return py::make_tuple(exact, digits);
}

}  // namespace

void addAnalysis(py::module_& module) {
    module.def("roots", &rootsOf, py::arg("coefficients"), kRootsDoc);
    module.def("extrema", &extremaOf, py::arg("coefficients"), kExtremaDoc);
    module.def("accuracy", &accuracyOf, py::arg("coefficients"), py::arg("x"), py::arg("values") = py::none(),
               py::kw_only(), py::arg("threads") = 0, kAccuracyDoc);
}

}  // namespace quill::python
