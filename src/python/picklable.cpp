#include <pybind11/eval.h>

#include "functions.h"

namespace quill::python {

namespace py = pybind11;

void makePicklable(py::module_& module) {
    py::dict scope;
    scope["module"] = module;
    py::exec(R"(
import functools

def by_name(native):
    def call(*args, **kwargs):
        return native(*args, **kwargs)
    functools.update_wrapper(call, native)
    call.__module__ = module.__name__
    call.__qualname__ = native.__name__
    return call

for name, value in list(vars(module).items()):
    if not name.startswith('_') and callable(value):
        setattr(module, name, by_name(value))
)",
             scope);
}

}  // namespace quill::python
