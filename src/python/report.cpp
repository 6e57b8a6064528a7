// report: the command line's report for two list texts.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "arrays.h"
#include "common/error.h"
#include "engine/error_text.h"
#include "engine/list_reader.h"
#include "engine/solve.h"
#include "errors.h"
#include "functions.h"
#include "lines/file_encoding.h"
#include "lines/list_file.h"

namespace quill::python {

namespace {

constexpr const char* kReportDoc = R"(report(coefficient_text, x_text, decimal_mark='.', hex=False, *, threads=0)
--

The report of a Solve of two lists, exactly the text quillometer-cli
writes (report.encode() is its output, byte for byte) for two files
holding these texts: the two counts, then the A[i]=, X[j]= and F(x)=
lines, each ending with CR LF.

coefficient_text, x_text: str, one value a line (LF, CR LF or CR between
lines; blank lines are skipped). decimal_mark and hex as the command
line's --decimal-mark and --hex. The Solve runs with the GIL released, on
`threads` threads (0: one per processor).

A line that is not a number, or beyond the double range, raises
ValueError ("x_text, line 3: '12x34' is not a valid floating point
value."); an F(x) beyond the double range raises OverflowError
("x_text, line 9: F(x): Floating point overflow."); both carry the line
(counted from 1, blank lines included) as the attribute `line`.

>>> quillometer.report('1\n2\n', '0.5\n3\n').splitlines()
['An的数量 An Items Count =2', 'X的数量 X Count =2', 'A[0]=1', 'A[1]=2', 'X[0]=0.5', 'X[1]=3', 'F(0.5)=2', 'F(3)=7'])";

// The UTF-8 of a str argument.
std::string_view textOf(py::handle text, const char* name) {
    if (!PyUnicode_Check(text.ptr())) {
        throw py::type_error(std::string(name) + " must be str, not " + Py_TYPE(text.ptr())->tp_name);
    }
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
    if (utf8 == nullptr) {
        PyErr_Clear();
        throw py::value_error(std::string(name) + " cannot be written as UTF-8 (it holds a lone surrogate)");
    }
    return {utf8, static_cast<std::size_t>(size)};
}

// What a list of the report went wrong with, and where.
struct ListFault {
    const char* list = nullptr;
    PyObject* type = nullptr;
    int64_t line = -1;  // from 0; -1: none
    std::string message;
};

// The pane text a file holding the UTF-8 text loads as: its line breaks
// made CR LF, a byte-order mark dropped, a NUL byte refused.
std::string paneText(std::string_view utf8) { return transferIntoPane(decodeFileText(std::string(utf8)).utf8); }

// Runs a stage on the list's values; a fault about one of them is kept.
template <class Stage>
bool atLines(const char* list, ListFault& fault, Stage stage) {
    try {
        stage();
        return true;
    } catch (const FileError& e) {  // a NUL byte
        fault = {list, PyExc_ValueError, -1, e.message()};
    } catch (const OverflowError& e) {
        if (e.lineIndex() >= 0) {
            fault = {list, PyExc_ValueError, e.lineIndex(), e.message()};
        } else {
            fault = {list, PyExc_OverflowError, e.valueLine(), "F(x): " + e.message()};
        }
    } catch (const ValueError& e) {
        fault = {list, PyExc_ValueError, e.lineIndex(), valueMessage(e)};
    }
    return false;
}

py::str reportOf(py::handle coefficientText, py::handle xText, const std::string& decimalMark, bool hex,
                 Threads threads) {
    ReportStyle style;
    style.decimalMark = decimalMarkOf(decimalMark);
    style.hexNumbers = hex;
    SolveControl control;
    control.threads = threadCount(threads);
    control.keepX = false;
    const std::string_view coefficientUtf8 = textOf(coefficientText, "coefficient_text");
    const std::string_view xUtf8 = textOf(xText, "x_text");

    std::string report;
    ListFault fault;
    {
        py::gil_scoped_release unlocked;
        // As the command line goes: both texts loaded, then the errors in
        // pane order, the coefficients first; every value is read and
        // evaluated before the report is written.
        std::string coefficients, x;
        std::vector<double> a;
        Solve solve(style, control);
        const bool done = atLines("coefficient_text", fault, [&] { coefficients = paneText(coefficientUtf8); }) &&
                          atLines("x_text", fault, [&] { x = paneText(xUtf8); }) &&
                          atLines("coefficient_text", fault, [&] { a = readList(coefficients, style.decimalMark); }) &&
                          atLines("x_text", fault, [&] {
                              solve.addXText(x);
                              std::string().swap(x);
                              solve.finishX();
                              solve.compute(std::move(a));
                          });
        if (done) report = solve.reportText();
    }
    if (fault.list != nullptr) {
        std::string place = fault.list;
        if (fault.line >= 0) place += ", line " + std::to_string(fault.line + 1);
        raise(fault.type, place + ": " + fault.message, "line",
              fault.line >= 0 ? py::object(py::int_(fault.line + 1)) : py::object(py::none()));
    }
    return utf8Text(report);
}

}  // namespace

void addReport(py::module_& module) {
    module.def("report", &reportOf, py::arg("coefficient_text"), py::arg("x_text"), py::arg("decimal_mark") = ".",
               py::arg("hex") = false, py::kw_only(), py::arg("threads") = 0, kReportDoc);
}

}  // namespace quill::python
