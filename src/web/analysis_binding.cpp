// The analysis for JavaScript (embind), a module of its own that the page
// loads on its first analysis: the roots and turning points of a Solve's
// polynomial and the correct digits of its F(x) values, with their texts in
// the report's style. The lists come from the engine's module.

#include <emscripten/bind.h>

#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/roots.h"
#include "analysis/tables.h"
#include "analysis/trusted_digits.h"
#include "analysis/turning_points.h"
#include "engine/error_text.h"
#include "engine/report_format.h"
#include "engine/solve.h"
#include "engine/solve_run.h"
#include "js_values.h"
#include "numtext/format.h"

namespace quill::web {

namespace {

val rootsAndTurningPoints(const std::vector<double>& coefficients, const ReportStyle& style) {
    const RootList roots = findRoots(coefficients);
    const TurningPointList points = findTurningPoints(coefficients);
    val o = val::object();
    o.set("zeroPolynomial", roots.zeroPolynomial);
    o.set("constant", points.constant);
    val rootList = val::array();
    for (const PolynomialRoot& root : roots.roots) {
        val r = val::object();
        r.set("re", root.re);
        r.set("im", root.im);
        r.set("multiplicity", root.multiplicity);
        r.set("text", rootText(root, style));
        rootList.call<void>("push", r);
    }
    o.set("roots", rootList);
    val pointList = val::array();
    for (const TurningPoint& point : points.points) {
        val p = val::object();
        p.set("x", point.x);
        p.set("fx", point.fx);
        p.set("kind", std::string(turningKindName(point.kind)));
        p.set("xText", doubleToText(point.x, style.decimalMark));
        p.set("fxText", doubleToText(point.fx, style.decimalMark));
        pointList.call<void>("push", p);
    }
    o.set("turningPoints", pointList);
    // Both tables as the command line writes them: as text and as CSV.
    o.set("rootsText", rootsTable(coefficients, roots, style));
    o.set("turningPointsText", turningPointsTable(coefficients, points, style));
    o.set("rootsCsv", rootsTable(coefficients, roots, csvNumbers(style)));
    o.set("turningPointsCsv", turningPointsTable(coefficients, points, csvNumbers(style)));
    return o;
}

void addDigits(val& o, const std::vector<double>& coefficients, const val& xArray, const val& fxArray,
               const val& progress) {
    const std::vector<double> x = listOf(xArray), fx = listOf(fxArray);
    std::vector<double> exact(x.size());
    std::vector<std::uint8_t> digits(x.size());
    DigitsControl control;
    control.threads = 1;
    if (!progress.isUndefined() && !progress.isNull())
        control.progress = [&progress](std::size_t done, std::size_t total) {
            progress(static_cast<int>(total ? 1000 * done / total : 0));
        };
    checkDigits(coefficients, x, fx, exact, digits, control);
    std::size_t few = 0;
    for (const std::uint8_t d : digits) few += d < kTrustedDigits;
    o.set("digits", arrayOf(digits));
    o.set("exact", arrayOf(exact));
    o.set("fewDigits", static_cast<double>(few));
}

val failure(const std::string& kind, const std::string& message) {
    val o = val::object();
    o.set("ok", false);
    o.set("kind", kind);
    o.set("message", errorBoxText(message));
    return o;
}

// Everything the plot and the status bar show after a Solve: the roots, the
// turning points and the digits of every F(x) of the lists, or the error.
val analyse(const val& coefficientArray, const val& x, const val& fx, const std::string& mark, const val& progress) {
    try {
        const std::vector<double> coefficients = listOf(coefficientArray);
        val o = rootsAndTurningPoints(coefficients, ReportStyle{markOf(mark), false});
        addDigits(o, coefficients, x, fx, progress);
        o.set("ok", true);
        return o;
    } catch (const std::bad_alloc&) {
        return failure("memory", "Out of memory");
    } catch (const std::exception& e) {
        return failure("error", e.what());
    }
}

// The correct digits of F at every x as the command line's --accuracy
// writes them: the report's head, a row per x and the count of values with
// few digits, or the CSV table.
val digitsTable(const val& coefficients, const val& x, const std::string& mark, bool csv) {
    const ReportStyle style{markOf(mark), false, csv ? ReportLayout::csv : ReportLayout::report};
    SolveControl control;
    control.threads = 1;
    control.keepX = true;  // the digits are checked at the x values
    SolveJob job;
    job.keptCoefficients = listOf(coefficients);
    job.keptX = listOf(x);
    std::string text;
    job.write = [&](Solve& solve, const SolveLists& lists) {
        writeDigitsTable(solve, lists.coefficients, style, [&text](std::string_view piece) { text.append(piece); });
    };
    const SolveResult result = runSolve(std::move(job), style, control);
    if (result.failure) return failure("error", result.failure.placedMessage());
    val o = val::object();
    o.set("ok", true);
    o.set("text", text);
    return o;
}

}  // namespace

EMSCRIPTEN_BINDINGS(quillometer_analysis) {
    emscripten::function("analyse", &analyse);
    emscripten::function("digitsTable", &digitsTable);
}

}  // namespace quill::web
