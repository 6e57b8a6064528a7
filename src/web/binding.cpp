// The engine for JavaScript (embind), the module of the page's first view:
// the Solve, list files, range fill and number texts. Each call converts its
// arguments, runs the engine (session.h) and returns plain objects. With
// analysis_binding.cpp, the one place of the browser edition that knows
// emscripten.

#include <emscripten/bind.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/range_fill.h"
#include "engine/report_format.h"
#include "js_values.h"
#include "numtext/format.h"
#include "session.h"

namespace quill::web {

namespace {

// The session with the panes' texts as the page hands them over: UTF-8
// written by the page straight into the module's memory (TextEncoder's
// encodeInto on a view of the room), so that a million lines cross in one
// copy, not byte by byte in JavaScript.
class PageSession : public Session {
public:
    std::string& text(int pane) { return pane == 0 ? coefficientText_ : xText_; }
    const std::string& text(int pane) const { return pane == 0 ? coefficientText_ : xText_; }

private:
    std::string coefficientText_, xText_;
};

// Room for `size` bytes of a pane's text (0: coefficients, 1: x), as a view
// that is good until the module next allocates.
val textRoom(PageSession& session, int pane, double size) {
    std::string& text = session.text(pane);
    text.resize(static_cast<std::size_t>(size));
    return val(emscripten::typed_memory_view(text.size(), reinterpret_cast<std::uint8_t*>(text.data())));
}

// The text written into the room is `length` bytes long.
void setTextLength(PageSession& session, int pane, double length) {
    session.text(pane).resize(static_cast<std::size_t>(length));
}

// The Solve of the texts handed over, its report given to `report` piece by
// piece as views of the module's memory, good only during the call.
val solve(PageSession& session, const std::string& mark, const val& progress, const val& report) {
    const ReportSink sink = [&report](std::string_view piece) {
        report(val(emscripten::typed_memory_view(piece.size(), reinterpret_cast<const std::uint8_t*>(piece.data()))));
    };
    return objectOf(session.solve(session.text(0), session.text(1), markOf(mark), progressOf(progress), sink));
}

val lists(const PageSession& session) {
    val o = val::object();
    o.set("coefficients", arrayOf(session.coefficients()));
    o.set("x", arrayOf(session.x()));
    o.set("fx", arrayOf(session.fx()));
    return o;
}

void restore(PageSession& session, const val& coefficients, const val& x, const val& fx) {
    session.restore(SolveLists{listOf(coefficients), listOf(x), listOf(fx)});
}

// The last Solve as the CSV table x,F(x), as the command line writes it.
std::string csvTable(const PageSession& session) {
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
    emscripten::class_<PageSession>("Session")
        .constructor<>()
        .function("textRoom", &textRoom)
        .function("setTextLength", &setTextLength)
        .function("solve", &solve)
        .function("lists", &lists)
        .function("restore", &restore)
        .function("csvTable", &csvTable);
    emscripten::constant("mostRangeValues", kMostRangeValues);
    emscripten::function("numberText", &numberText);
    emscripten::function("loadListFile", &load);
    emscripten::function("saveListFile", &save);
    emscripten::function("fillRange", &fill);
}

}  // namespace quill::web
