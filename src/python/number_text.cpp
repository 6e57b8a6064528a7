// parse and format: number texts read as a pane's values are read, and
// written as the report writes them.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "arrays.h"
#include "common/error.h"
#include "engine/error_text.h"
#include "engine/report_format.h"
#include "errors.h"
#include "functions.h"
#include "numtext/parse.h"
#include "stretches.h"

namespace quill::python {

namespace {

// Texts or values per stretch of a thread: enough that handing one over
// costs nothing next to it.
constexpr std::size_t kStretch = 16384;

constexpr const char* kParseDoc = R"(parse(texts, decimal_mark='.', *, threads=0)
--

Reads each text as a value of a pane is read (blanks around it ignored,
the digits converted in 80 bits, then stored into a double) and returns
the values as a one-dimensional float64 array.

texts: a sequence of str (a list, a tuple, a NumPy array of str, ...).
decimal_mark: one character of ASCII punctuation other than + - ( ).
The texts are converted with the GIL released, on `threads` threads
(0: one per processor).

A text that is not a number, or whose value is beyond the double range,
raises ValueError with the message of the window and the command line
and the text's position ("texts[2]: '12x34' is not a valid floating
point value."), also as the attribute `index`.

>>> quillometer.parse(['1.5', ' -2e3 '])
array([ 1.5e+00, -2.0e+03])
>>> quillometer.parse(['0,25'], decimal_mark=',')
array([0.25]))";

constexpr const char* kFormatDoc = R"(format(values, decimal_mark='.', hex=False, *, threads=0)
--

The report's number texts of the values: 15 significant digits, the
shortest such text (1, 0.1, 1E-20, ...), or with hex=True the exact double
as a C99 hexadecimal constant (0x1.8p+0). An infinity is written as the
report writes one (INF and -INF, or inf and -inf with hex), as for a root
beyond the double range.

values: an array of numbers, of any shape, read as float64 (see
evaluate). Returns a NumPy array of str of that shape (dtype '<U22', or
'<U24' with hex); .tolist() gives Python strs. The texts are made with the
GIL released, on `threads` threads (0: one per processor). A NaN raises
ValueError, with its position as `index`.

>>> quillometer.format([0.1, 2.0, 1e300, -2.5e-7]).tolist()
['0.1', '2', '1E300', '-2.5E-7']
>>> quillometer.format([1.5], decimal_mark=',').tolist()
['1,5']
>>> quillometer.format([1.5], hex=True).tolist()
['0x1.8p+0'])";

// The UTF-8 of every text, held alive by `held` while it is read.
std::vector<std::string_view> textsOf(py::handle texts, py::list& held) {
    if (PyUnicode_Check(texts.ptr()) || PyBytes_Check(texts.ptr())) {
        throw py::type_error("texts must be a sequence of str, not a single " +
                             std::string(Py_TYPE(texts.ptr())->tp_name));
    }
    PyObject* list = PySequence_List(texts.ptr());
    if (list == nullptr) {
        PyErr_Clear();
        throw py::type_error("texts must be a sequence of str, not " + std::string(Py_TYPE(texts.ptr())->tp_name));
    }
    held = py::reinterpret_steal<py::list>(list);
    std::vector<std::string_view> views(held.size());
    for (std::size_t i = 0; i < views.size(); ++i) {
        PyObject* text = PyList_GET_ITEM(held.ptr(), static_cast<Py_ssize_t>(i));
        const std::string place = "texts[" + std::to_string(i) + "]";
        if (!PyUnicode_Check(text)) throw py::type_error(place + " must be str, not " + Py_TYPE(text)->tp_name);
        Py_ssize_t size = 0;
        const char* utf8 = PyUnicode_AsUTF8AndSize(text, &size);
        if (utf8 == nullptr) {
            PyErr_Clear();
            throw py::value_error(place + " cannot be written as UTF-8 (it holds a lone surrogate)");
        }
        views[i] = std::string_view(utf8, static_cast<std::size_t>(size));
    }
    return views;
}

py::array parseTexts(py::handle texts, const std::string& decimalMark, Threads threads) {
    const char mark = decimalMarkOf(decimalMark);
    const unsigned workers = threadCount(threads);
    py::list held;
    const std::vector<std::string_view> views = textsOf(texts, held);
    py::array values = resultArray(py::dtype::of<double>(), {static_cast<py::ssize_t>(views.size())});
    auto* out = static_cast<double*>(values.mutable_data());
    try {
        py::gil_scoped_release unlocked;
        inStretches(views.size(), kStretch, workers, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                try {
                    // A NUL would end the text early: no number holds one.
                    if (std::memchr(views[i].data(), '\0', views[i].size()) != nullptr) throw notANumber(views[i]);
                    out[i] = textToDouble(trimBlanks(views[i]), mark);
                } catch (ValueError& e) {
                    e.setLineIndex(static_cast<int64_t>(i));
                    throw;
                }
            }
        });
    } catch (const ValueError& e) {
        raiseAt(PyExc_ValueError, "texts", {values.shape(0)}, static_cast<std::size_t>(e.lineIndex()), valueMessage(e));
    }
    return values;
}

py::array formatValues(py::handle values, const std::string& decimalMark, bool hex, Threads threads) {
    ReportStyle style;
    style.decimalMark = decimalMarkOf(decimalMark);
    style.hexNumbers = hex;
    const unsigned workers = threadCount(threads);
    const Doubles v = readDoubles(values, "values", Rank::any);
    const std::size_t width = hex ? kMaxHexTextLength : kMaxDoubleTextLength;
    // NumPy's str arrays hold UCS-4 characters, NUL-padded to the width.
    py::array texts = resultArray(py::dtype::from_args(py::str("<U" + std::to_string(width))), v.shape);
    auto* out = static_cast<char32_t*>(texts.mutable_data());
    std::size_t nanAt = v.count;
    {
        py::gil_scoped_release unlocked;
        nanAt = firstNaN(v.data, v.count);
        if (nanAt == v.count) {
            inStretches(v.count, kStretch, workers, [&](std::size_t begin, std::size_t end) {
                // Each text NUL-padded to the width, then widened whole: a
                // loop without a branch, which the compiler vectorises. The
                // next text is made before this one is widened, so that its
                // bytes are stored by the time they are read back many at once.
                unsigned char texts[2][kNumber];
                auto make = [&](std::size_t i) {
                    unsigned char* text = texts[i % 2];
                    std::fill(text, text + kNumber, 0);
                    numberText(v.data[i], style, reinterpret_cast<char*>(text));
                };
                make(begin);
                for (std::size_t i = begin; i < end; ++i) {
                    if (i + 1 < end) make(i + 1);
                    const unsigned char* text = texts[i % 2];
                    char32_t* to = out + i * width;
                    for (std::size_t c = 0; c < width; ++c) to[c] = text[c];
                }
            });
        }
    }
    if (nanAt != v.count) raiseNotFinite("values", v, nanAt);
    return texts;
}

}  // namespace

void addNumberText(py::module_& module) {
    module.def("parse", &parseTexts, py::arg("texts"), py::arg("decimal_mark") = ".", py::kw_only(),
               py::arg("threads") = 0, kParseDoc);
    module.def("format", &formatValues, py::arg("values"), py::arg("decimal_mark") = ".", py::arg("hex") = false,
               py::kw_only(), py::arg("threads") = 0, kFormatDoc);
}

}  // namespace quill::python
