#pragma once
// The doubles the engine reads, taken from what Python passes: a
// C-contiguous, aligned float64 array in native byte order is read where it
// lies, without a copy; any other float64 array (strided, swapped), a
// float32 or float16 array, an integer array and a sequence of such numbers
// are first converted to a float64 copy (an integer above 2**53 in
// magnitude then rounds to the nearest double, as NumPy converts it). Bool,
// complex, long double, object and text arrays are refused with TypeError.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <span>
#include <vector>

namespace quill::python {

namespace py = pybind11;

struct Doubles {
    py::array array;  // holds the memory read
    const double* data = nullptr;
    std::size_t count = 0;
    std::vector<py::ssize_t> shape;
};

inline std::span<const double> spanOf(const Doubles& d) { return {d.data, d.count}; }

enum class Rank {
    list,  // one-dimensional, as a list of coefficients
    any,   // any shape, a 0-d array included
};

// The values of `values`; name is the argument's name for the messages.
// Raises TypeError for a dtype that holds no real numbers and ValueError for
// a list that is not one-dimensional.
Doubles readDoubles(py::handle values, const char* name, Rank rank);

// The index of the first value that is not finite (is a NaN); count when
// there is none.
std::size_t firstNonFinite(const double* values, std::size_t count);
std::size_t firstNaN(const double* values, std::size_t count);

// Raises ValueError at the value of index `at` ("x[3] = nan is not a finite
// number."), with the attribute index.
[[noreturn]] void raiseNotFinite(const char* name, const Doubles& values, std::size_t at);

// Raises that ValueError for the first value that is not finite, if any.
void requireFinite(const char* name, const Doubles& values);

// The `threads` argument as given: any int (or object with __index__), so
// that one far out of range, 10**30, is a ValueError like -1.
struct Threads {
    long long requested = 0;
    bool overflow = false;  // beyond long long
};

// The number of threads a call asks for: 0 (one per hardware thread) up to
// 1024; ValueError otherwise.
unsigned threadCount(Threads threads);

// A new C-ordered array for a result. A big one is taken from memory asked
// for in huge pages where the system grants them, since first writing a
// fresh page costs as much as formatting a few numbers into it; such an
// array holds its memory through its base and shows in tracemalloc.
py::array resultArray(const py::dtype& dtype, const std::vector<py::ssize_t>& shape);

// The decimal mark a call asks for: one character that can be a decimal
// mark (ASCII punctuation but + - ( )); ValueError otherwise.
char decimalMarkOf(const std::string& mark);

}  // namespace quill::python

namespace pybind11::detail {

template <>
struct type_caster<quill::python::Threads> {
    PYBIND11_TYPE_CASTER(quill::python::Threads, const_name("int"));

    // A float is refused, as for any int argument.
    bool load(handle source, bool) {
        if (PyFloat_Check(source.ptr()) || !PyIndex_Check(source.ptr())) return false;
        const object index = reinterpret_steal<object>(PyNumber_Index(source.ptr()));
        if (!index) {
            PyErr_Clear();
            return false;
        }
        int overflow = 0;
        value.requested = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
        if (value.requested == -1 && PyErr_Occurred() != nullptr) {
            PyErr_Clear();
            return false;
        }
        value.overflow = overflow != 0;
        return true;
    }
    static handle cast(quill::python::Threads threads, return_value_policy, handle) {
        return PyLong_FromLongLong(threads.requested);
    }
};

}  // namespace pybind11::detail
