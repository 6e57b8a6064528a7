#pragma once
// The module's functions, each group defined (with its docstrings) in a file
// of its own and added to the module by module.cpp.

#include <pybind11/pybind11.h>

namespace quill::python {

void addEvaluation(pybind11::module_& module);  // evaluate
void addNumberText(pybind11::module_& module);  // parse, format
void addReport(pybind11::module_& module);      // report
void addAnalysis(pybind11::module_& module);    // roots, extrema, accuracy

}  // namespace quill::python
