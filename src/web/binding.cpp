// The engine for JavaScript (embind): the one place of the browser edition
// that knows emscripten. Each call converts its arguments, runs the engine
// (session.h, the analysis library) and returns plain objects; numbers go
// out as doubles and as the report's own texts, never formatted here.

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/roots.h"
#include "analysis/tables.h"
#include "analysis/trusted_digits.h"
#include "analysis/turning_points.h"
#include "engine/error_text.h"
#include "engine/range_fill.h"
#include "engine/report_format.h"
#include "numtext/decimal_mark.h"
#include "numtext/format.h"
#include "session.h"

namespace quill::web {

namespace {

using emscripten::val;

val objectOf(const Outcome& out) {
    val o = val::object();
    o.set("ok", out.ok);
    o.set("text", out.text);
    if (!out.ok) {
        o.set("list", out.list);
        o.set("line", static_cast<double>(out.line));
        o.set("kind", out.kind);
        o.set("message", out.message);
    }
    return o;
}

char markOf(const std::string& mark) { return mark.size() == 1 && isUsableDecimalMark(mark[0]) ? mark[0] : '.'; }

// Calls a JavaScript function, when there is one, with the progress.
Progress progressOf(const val& report) {
    if (report.isUndefined() || report.isNull()) return {};
    return [report](int permille) { report(permille); };
}

template <class T>
val arrayOf(const std::vector<T>& values) {
    // A copy (a typed array made from another copies it), so that the array
    // outlives the vector and any growth of the module's memory.
    return val::global(sizeof(T) == 1 ? "Uint8Array" : "Float64Array")
        .new_(emscripten::typed_memory_view(values.size(), values.data()));
}

val solve(Session& session, const std::string& coefficients, const std::string& x, const std::string& mark,
          const val& progress) {
    return objectOf(session.solve(coefficients, x, markOf(mark), progressOf(progress)));
}

val lists(const Session& session) {
    val o = val::object();
    o.set("coefficients", arrayOf(session.coefficients()));
    o.set("x", arrayOf(session.x()));
    o.set("fx", arrayOf(session.fx()));
    return o;
}

// The roots and turning points of the last Solve's polynomial, each with its
// texts in the report's style.
val rootsAndTurningPoints(const Session& session, const std::string& mark) {
    const ReportStyle style{markOf(mark), false};
    const RootList roots = findRoots(session.coefficients());
    const TurningPointList points = findTurningPoints(session.coefficients());
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
    o.set("rootsCsv", rootsTable(session.coefficients(), roots, csvNumbers(style)));
    o.set("turningPointsCsv", turningPointsTable(session.coefficients(), points, csvNumbers(style)));
    return o;
}

// The correct digits of every F(x) of the last Solve, and the exact values.
val correctDigits(const Session& session, const val& progress) {
    const std::size_t n = session.x().size();
    std::vector<double> exact(n);
    std::vector<std::uint8_t> digits(n);
    DigitsControl control;
    control.threads = 1;
    if (!progress.isUndefined() && !progress.isNull())
        control.progress = [&progress](std::size_t done, std::size_t total) {
            progress(static_cast<int>(total ? 1000 * done / total : 0));
        };
    checkDigits(session.coefficients(), session.x(), session.fx(), exact, digits, control);
    std::size_t few = 0;
    for (const std::uint8_t d : digits) few += d < kTrustedDigits;
    val o = val::object();
    o.set("digits", arrayOf(digits));
    o.set("exact", arrayOf(exact));
    o.set("fewDigits", static_cast<double>(few));
    return o;
}

// The last Solve as the CSV table x,F(x), as the command line writes it.
std::string csvTable(const Session& session) {
    const ReportStyle numbers = csvNumbers(ReportStyle{});
    std::string table(kCsvHeader);
    char row[kCsvRow];
    for (std::size_t j = 0; j < session.x().size(); ++j)
        table.append(row, CsvRow(row, numbers).number(session.x()[j]).number(session.fx()[j]).end());
    return table;
}

// The analysis' own failures (cancelled, out of memory) as an outcome.
template <class Call>
val guarded(Call call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        val o = val::object();
        o.set("ok", false);
        o.set("kind", std::string("memory"));
        o.set("message", errorBoxText("Out of memory"));
        return o;
    } catch (const std::exception& e) {
        val o = val::object();
        o.set("ok", false);
        o.set("kind", std::string("error"));
        o.set("message", errorBoxText(e.what()));
        return o;
    }
}

std::string numberText(double value, const std::string& mark) { return doubleToText(value, markOf(mark)); }

val load(const std::string& bytes, const std::string& name) {
    const LoadedFile loaded = loadListFile(bytes, name);
    val o = objectOf(loaded.outcome);
    o.set("charset", static_cast<int>(loaded.encoding.charset));
    o.set("mark", loaded.encoding.mark);
    return o;
}

val save(const std::string& text, int charset, bool mark) {
    const std::string bytes = saveListFile(text, FileEncoding{static_cast<Charset>(charset), mark});
    return arrayOf(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

val fill(const std::string& from, const std::string& to, const std::string& count, const std::string& mark) {
    return objectOf(fillRange(from, to, count, markOf(mark)));
}

}  // namespace

EMSCRIPTEN_BINDINGS(quillometer) {
    emscripten::class_<Session>("Session")
        .constructor<>()
        .function("solve", &solve)
        .function("lists", &lists)
        .function(
            "rootsAndTurningPoints",
            +[](const Session& s, const std::string& mark) {
                return guarded([&] { return rootsAndTurningPoints(s, mark); });
            })
        .function(
            "correctDigits",
            +[](const Session& s, const val& progress) { return guarded([&] { return correctDigits(s, progress); }); })
        .function("csvTable", &csvTable);
    emscripten::constant("mostRangeValues", kMostRangeValues);
    emscripten::function("numberText", &numberText);
    emscripten::function("loadListFile", &load);
    emscripten::function("saveListFile", &save);
    emscripten::function("fillRange", &fill);
}

}  // namespace quill::web
