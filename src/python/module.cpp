// The Python module quillometer: the engine's evaluation, number text and
// report, and the certified analysis, on NumPy arrays.

#include <pybind11/pybind11.h>

#include "functions.h"

#ifndef QUILL_VERSION
#define QUILL_VERSION "unknown"
#endif

PYBIND11_MODULE(quillometer, module) {
    namespace py = pybind11;
    // Each docstring starts with its own signature line, which Python's
    // inspect reads (the arguments take any array-like, not one C++ type).
    py::options options;
    options.disable_function_signatures();
    module.doc() =
        "Exact, reproducible evaluation of F(x) = a(0) + a(1)*x + ... + a(n)*x**n\n"
        "on NumPy arrays: evaluate, parse, format, report, and (where the module\n"
        "was built with the analysis) roots, extrema and accuracy.";
    module.attr("__version__") = QUILL_VERSION;
    quill::python::addEvaluation(module);
    quill::python::addNumberText(module);
    quill::python::addReport(module);
#ifdef QUILL_HAS_ANALYSIS
    quill::python::addAnalysis(module);
    quill::python::addFormula(module);
#endif
    quill::python::makePicklable(module);
}
