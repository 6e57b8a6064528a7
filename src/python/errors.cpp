#include "errors.h"

#include "engine/error_text.h"

namespace quill::python {

py::str utf8Text(std::string_view bytes) {
    PyObject* text = PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "replace");
    if (text == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(text);
}

void raise(PyObject* type, std::string_view message, const char* attribute, const py::object& value) {
    py::object error = py::reinterpret_borrow<py::object>(type)(utf8Text(errorBoxText(message)));
    if (attribute != nullptr) error.attr(attribute) = value;
    PyErr_SetObject(type, error.ptr());
    throw py::error_already_set();
}

Place placeOf(std::string_view name, const std::vector<py::ssize_t>& shape, std::size_t flatIndex) {
    std::vector<std::size_t> at(shape.size());
    for (std::size_t d = shape.size(); d-- > 0;) {
        const auto extent = static_cast<std::size_t>(shape[d]);
        at[d] = flatIndex % extent;
        flatIndex /= extent;
    }
    Place place{std::string(name), py::none()};
    if (at.size() == 1) {
        place.text += "[" + std::to_string(at[0]) + "]";
        place.index = py::int_(at[0]);
        return place;
    }
    py::tuple index(at.size());
    for (std::size_t d = 0; d < at.size(); ++d) {
        place.text += (d == 0 ? "[" : ", ") + std::to_string(at[d]);
        index[d] = py::int_(at[d]);
    }
    if (!at.empty()) place.text += "]";
    place.index = std::move(index);
    return place;
}

void raiseAt(PyObject* type, std::string_view name, const std::vector<py::ssize_t>& shape, std::size_t flatIndex,
             std::string_view message) {
    const Place place = placeOf(name, shape, flatIndex);
    raise(type, place.text + ": " + std::string(message), "index", place.index);
}

}  // namespace quill::python
