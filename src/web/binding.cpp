// The engine for JavaScript (embind), the module of the page's first view:
// the Solve, list files, range fill and number texts. Each call converts its
// arguments, runs the engine (session.h) and returns plain objects. With
// analysis_binding.cpp, the one place of the browser edition that knows
// emscripten.

#include <emscripten/bind.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/range_fill.h"
#include "engine/report_format.h"
#include "js_values.h"
#include "numtext/format.h"
#include "session.h"

namespace quill::web {

namespace {

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

// The last Solve as the CSV table x,F(x), as the command line writes it.
std::string csvTable(const Session& session) {
    const ReportStyle numbers = csvNumbers(ReportStyle{});
    std::string table(kCsvHeader);
    char row[kCsvRow];
    for (std::size_t j = 0; j < session.x().size(); ++j)
        table.append(row, CsvRow(row, numbers).number(session.x()[j]).number(session.fx()[j]).end());
    return table;
}

std::string numberText(double value, const std::string& mark) { return doubleToText(value, markOf(mark)); }

val load(const std::string& bytes, const std::string& name) {
    const LoadedFile loaded = loadListFile(bytes, name);
    val o = objectOf(loaded.outcome);
    o.set("charset", static_cast<int>(loaded.encoding.charset));
    o.set("mark", loaded.encoding.mark);
    return o;
}

// The outcome with the file's bytes, or that of a save that failed.
val save(const std::string& text, int charset, bool mark) {
    const SavedFile saved = saveListFile(text, FileEncoding{static_cast<Charset>(charset), mark});
    val o = objectOf(saved.outcome);
    if (saved.outcome.ok) o.set("bytes", arrayOf(std::vector<std::uint8_t>(saved.bytes.begin(), saved.bytes.end())));
    return o;
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
        .function("csvTable", &csvTable);
    emscripten::constant("mostRangeValues", kMostRangeValues);
    emscripten::function("numberText", &numberText);
    emscripten::function("loadListFile", &load);
    emscripten::function("saveListFile", &save);
    emscripten::function("fillRange", &fill);
}

}  // namespace quill::web
