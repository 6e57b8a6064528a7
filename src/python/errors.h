#pragma once
// How the module's errors reach Python: the engine's message placed at the
// value, text or line it is about ("x[5]: F(x): Floating point overflow."),
// with the error box's full-stop rule, and that place also as an attribute
// of the exception, so that a program can find the value again.

#include <pybind11/pybind11.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quill::python {

namespace py = pybind11;

// A str from UTF-8 bytes; a byte that is not UTF-8 becomes U+FFFD, so that
// making a message never fails.
py::str utf8Text(std::string_view bytes);

// Raises an exception of `type` (PyExc_ValueError, ...) with the message,
// and with the attribute set to value unless attribute is null.
[[noreturn]] void raise(PyObject* type, std::string_view message, const char* attribute = nullptr,
                        const py::object& value = {});

// One value of an array: "x[5]" (or "x[1, 3]", or "x" for a 0-d array) and
// the index that finds it again, x[index]: an int for a 1-d array, else a tuple.
struct Place {
    std::string text;
    py::object index;
};
Place placeOf(std::string_view name, const std::vector<py::ssize_t>& shape, std::size_t flatIndex);

// Raises `type` with "<place>: <message>" and the place's index as `index`.
[[noreturn]] void raiseAt(PyObject* type, std::string_view name, const std::vector<py::ssize_t>& shape,
                          std::size_t flatIndex, std::string_view message);

}  // namespace quill::python
