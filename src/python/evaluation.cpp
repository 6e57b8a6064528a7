// evaluate: F at every x, the engine's evaluation on all cores.

#include "arrays.h"
#include "common/error.h"
#include "engine/error_text.h"
#include "engine/evaluate.h"
#include "errors.h"
#include "functions.h"

namespace quill::python {

namespace {

constexpr const char* kEvaluateDoc = R"(evaluate(coefficients, x, *, threads=0)
--

F(x) = a(0) + a(1)*x + ... + a(n)*x**n at every x: the very doubles the
report writes for these coefficient and x doubles, each product and sum
formed in 80 bits and then stored into a double.

coefficients: a(0), a(1), ... lowest power first, a one-dimensional array
or sequence (empty: F is 0). x: an array of any shape. Both are float64;
a C-contiguous float64 array is read where it lies, other real dtypes and
layouts are first converted to a float64 copy.

Returns a new float64 array of x's shape. The GIL is released while F is
evaluated, on `threads` threads (0: one per processor).

Raises ValueError for a value that is not finite, OverflowError
("x[5]: F(x): Floating point overflow.") at the first x whose F(x) is
beyond the double range; both carry the value's position as `index`
(x[e.index] is the value). TypeError for a dtype without real numbers.

>>> quillometer.evaluate([1.0, 2.0, 3.0], [0.0, 0.5, 2.0])
array([ 1.  ,  2.75, 17.  ]))";

py::array evaluateAt(py::handle coefficients, py::handle x, Threads threads) {
    const unsigned workers = threadCount(threads);
    const Doubles a = readDoubles(coefficients, "coefficients", Rank::list);
    requireFinite("coefficients", a);
    const Doubles xs = readDoubles(x, "x", Rank::any);
    py::array fx = resultArray(py::dtype::of<double>(), xs.shape);
    auto* out = static_cast<double*>(fx.mutable_data());
    std::size_t notFinite = xs.count;
    try {
        py::gil_scoped_release unlocked;
        notFinite = firstNonFinite(xs.data, xs.count);
        if (notFinite == xs.count) evaluate(a.data, a.count, xs.data, out, xs.count, workers);
    } catch (const OverflowError& overflow) {
        raiseAt(PyExc_OverflowError, "x", xs.shape, static_cast<std::size_t>(overflow.valueIndex()),
                fxOverflowMessage(overflow.message()));
    }
    if (notFinite != xs.count) raiseNotFinite("x", xs, notFinite);
    return fx;
}

}  // namespace

void addEvaluation(py::module_& module) {
    module.def("evaluate", &evaluateAt, py::arg("coefficients"), py::arg("x"), py::kw_only(), py::arg("threads") = 0,
               kEvaluateDoc);
}

}  // namespace quill::python
