#pragma once
// What both modules of the browser edition hand to JavaScript: outcomes as
// plain objects, lists as typed arrays, the decimal mark and progress.

#include <emscripten/val.h>

#include <string>
#include <vector>

#include "numtext/decimal_mark.h"
#include "session.h"

namespace quill::web {

using emscripten::val;

inline val objectOf(const Outcome& out) {
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

// The mark the page chose; '.' for anything unusable.
inline char markOf(const std::string& mark) { return mark.size() == 1 && isUsableDecimalMark(mark[0]) ? mark[0] : '.'; }

// Calls a JavaScript function, when there is one, with the progress.
inline Progress progressOf(const val& report) {
    if (report.isUndefined() || report.isNull()) return {};
    return [report](int permille) { report(permille); };
}

// A list from a JavaScript array or typed array.
inline std::vector<double> listOf(const val& array) { return emscripten::convertJSArrayToNumberVector<double>(array); }

// A copy (a typed array made from another copies it), so that the array
// outlives the vector and any growth of the module's memory.
template <class T>
val arrayOf(const std::vector<T>& values) {
    return val::global(sizeof(T) == 1 ? "Uint8Array" : "Float64Array")
        .new_(emscripten::typed_memory_view(values.size(), values.data()));
}

}  // namespace quill::web
