#include "arrays.h"

#include <sys/mman.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>

#include "errors.h"
#include "numtext/decimal_mark.h"
#include "numtext/format.h"

// Python 3.11 declares these without C linkage for C++; they are C functions.
namespace quill::python::c_api {
extern "C" int PyTraceMalloc_Track(unsigned int domain, uintptr_t ptr, size_t size);
extern "C" int PyTraceMalloc_Untrack(unsigned int domain, uintptr_t ptr);
}  // namespace quill::python::c_api

namespace quill::python {

namespace {

constexpr unsigned kMostThreads = 1024;

// Results from this size on go into huge pages, of this size.
constexpr std::size_t kHugeResult = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// The tracemalloc domain of those results.
constexpr unsigned kTraceDomain = 0x5175696c;  // "Quil"

std::string dtypeName(const py::array& array) { return py::str(array.dtype()).cast<std::string>(); }

bool convertible(const py::array& array) {
    const char kind = array.dtype().kind();
    const py::ssize_t size = array.dtype().itemsize();
    return kind == 'i' || kind == 'u' || (kind == 'f' && size <= 8);
}

}  // namespace

Doubles readDoubles(py::handle values, const char* name, Rank rank) {
    const py::module_ numpy = py::module_::import("numpy");
    py::array array = py::isinstance<py::array>(values) ? py::reinterpret_borrow<py::array>(values)
                                                        : py::array(numpy.attr("asarray")(values));
    if (!convertible(array)) {
        throw py::type_error(std::string(name) + " must hold real numbers (float64, or float32, float16 or integers" +
                             " converted to float64), not " + dtypeName(array));
    }
    if (rank == Rank::list && array.ndim() != 1) {
        throw py::value_error(std::string(name) + " must be one-dimensional, not of shape " +
                              py::str(py::tuple(array.attr("shape"))).cast<std::string>());
    }
    // Read in place where the array is already what the engine reads;
    // otherwise a fresh, aligned C-ordered float64 copy.
    const bool inPlace = py::array_t<double, py::array::c_style>::check_(array) &&
                         (array.flags() & py::detail::npy_api::NPY_ARRAY_ALIGNED_) != 0;
    if (!inPlace) array = numpy.attr("array")(array, py::arg("dtype") = numpy.attr("float64"), py::arg("order") = "C");

    Doubles doubles;
    doubles.data = static_cast<const double*>(array.data());
    doubles.count = static_cast<std::size_t>(array.size());
    doubles.shape.assign(array.shape(), array.shape() + array.ndim());
    doubles.array = std::move(array);
    return doubles;
}

namespace {

// The index of the first value that is bad; count when none is. Blocks
// without a branch per value, so that the usual case of none runs at memory
// speed.
template <class Bad>
std::size_t firstBad(const double* values, std::size_t count, Bad bad) {
    constexpr std::size_t kBlock = 256;
    std::size_t at = 0;
    for (; at + kBlock <= count; at += kBlock) {
        bool found = false;
        for (std::size_t i = at; i < at + kBlock; ++i) found |= bad(values[i]);
        if (found) break;
    }
    for (; at < count; ++at) {
        if (bad(values[at])) return at;
    }
    return count;
}

}  // namespace

std::size_t firstNonFinite(const double* values, std::size_t count) {
    return firstBad(values, count, [](double v) { return !std::isfinite(v); });
}

std::size_t firstNaN(const double* values, std::size_t count) {
    return firstBad(values, count, [](double v) { return std::isnan(v); });
}

void raiseNotFinite(const char* name, const Doubles& values, std::size_t at) {
    const Place place = placeOf(name, values.shape, at);
    const std::string value = doubleToHexText(values.data[at]);  // inf, -inf or nan
    raise(PyExc_ValueError, place.text + " = " + value + " is not a finite number", "index", place.index);
}

void requireFinite(const char* name, const Doubles& values) {
    const std::size_t at = firstNonFinite(values.data, values.count);
    if (at != values.count) raiseNotFinite(name, values, at);
}

py::array resultArray(const py::dtype& dtype, const std::vector<py::ssize_t>& shape) {
    const auto count = static_cast<std::size_t>(
        std::accumulate(shape.begin(), shape.end(), py::ssize_t{1}, std::multiplies<py::ssize_t>()));
    const std::size_t bytes = count * static_cast<std::size_t>(dtype.itemsize());
#ifdef MADV_HUGEPAGE
    if (bytes >= kHugeResult) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        if (void* memory = std::aligned_alloc(kHugePage, rounded)) {
            madvise(memory, rounded, MADV_HUGEPAGE);  // a hint: without huge pages, normal ones
            c_api::PyTraceMalloc_Track(kTraceDomain, reinterpret_cast<uintptr_t>(memory), bytes);
            py::capsule owner(memory, [](void* held) {
                c_api::PyTraceMalloc_Untrack(kTraceDomain, reinterpret_cast<uintptr_t>(held));
                std::free(held);
            });
            return py::array(dtype, shape, {}, memory, owner);
        }
    }
#endif
    return py::array(dtype, shape);
}

unsigned threadCount(Threads threads) {
    if (threads.overflow || threads.requested < 0 || threads.requested > kMostThreads) {
        throw py::value_error("threads must be a whole number from 0 (one per processor) to " +
                              std::to_string(kMostThreads));
    }
    return static_cast<unsigned>(threads.requested);
}

char decimalMarkOf(const std::string& mark) {
    if (mark.size() != 1 || !isUsableDecimalMark(mark[0])) {
        throw py::value_error(
            "decimal_mark must be one character of ASCII punctuation other than '+', '-', '(' and ')'");
    }
    return mark[0];
}

}  // namespace quill::python
