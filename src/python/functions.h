#pragma once
// The module's functions, each group defined (with its docstrings) in a file
// of its own and added to the module by module.cpp.

#include <pybind11/pybind11.h>

namespace quill::python {

void addEvaluation(pybind11::module_& module);  // evaluate
void addNumberText(pybind11::module_& module);  // parse, format
void addReport(pybind11::module_& module);      // report
void addAnalysis(pybind11::module_& module);    // roots, extrema, accuracy
void addFormula(pybind11::module_& module);     // expand, fit, inverse

// Dask, multiprocessing and concurrent.futures send a function to another
// process by pickling it by name, which pybind11's functions refuse: each
// function of the module is replaced by a Python function of the same name,
// docstring and signature that calls it.
void makePicklable(pybind11::module_& module);

}  // namespace quill::python
