// report: the command line's report for two list texts.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "arrays.h"
#include "engine/error_text.h"
#include "engine/solve.h"
#include "engine/solve_run.h"
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

// The pane text a file holding the UTF-8 text loads as: its line breaks
// made CR LF, a byte-order mark dropped, a NUL byte refused.
std::string paneText(std::string_view utf8) { return transferIntoPane(decodeFileText(std::string(utf8)).utf8); }

// A failed Solve as a Python exception: ValueError at the list (and its
// line) for a text or value that cannot be read, OverflowError at the x for
// an F(x) beyond the double range; any other error as it came.
[[noreturn]] void raiseFailure(const SolveFailure& failure) {
    PyObject* type = PyExc_ValueError;
    switch (failure.fault) {
        case SolveFault::fxOverflow: type = PyExc_OverflowError; break;
        case SolveFault::file:
        case SolveFault::notNumber:
        case SolveFault::outOfRange: break;
        default: std::rethrow_exception(failure.error);
    }
    if (failure.list == SolveList::none) std::rethrow_exception(failure.error);
    std::string place = failure.list == SolveList::coefficients ? "coefficient_text" : "x_text";
    if (failure.line >= 0) place += ", line " + std::to_string(failure.line + 1);
    raise(type, place + ": " + failure.quotedMessage(), "line",
          failure.line >= 0 ? py::object(py::int_(failure.line + 1)) : py::object(py::none()));
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

    // As the command line goes: both texts loaded, then the errors in pane
    // order, the coefficients first; every value is read and evaluated
    // before the report is written.
    std::string report;
    SolveJob job;
    job.coefficientText = [&](const TextTake& take) { take(paneText(coefficientUtf8)); };
    job.xText = [&](const TextTake& take) { take(paneText(xUtf8)); };
    job.write = [&](Solve& solve, const SolveLists&) { report = solve.reportText(); };
    SolveResult result;
    {
        py::gil_scoped_release unlocked;
        result = runSolve(std::move(job), style, control);
    }
    if (result.failure) raiseFailure(result.failure);
    return utf8Text(report);
}

}  // namespace

void addReport(py::module_& module) {
    module.def("report", &reportOf, py::arg("coefficient_text"), py::arg("x_text"), py::arg("decimal_mark") = ".",
               py::arg("hex") = false, py::kw_only(), py::arg("threads") = 0, kReportDoc);
}

}  // namespace quill::python
