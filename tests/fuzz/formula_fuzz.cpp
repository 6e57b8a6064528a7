// Any text through the formula parser and the exact expansion, with the
// decimal mark from the first byte ('.' or ','). Nothing may crash or run
// away; a formula is refused only with FormulaError; an accepted one gives
// finite coefficients within the degree limit, and (T)-(T) expands to the
// one 0.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/formula.h"

namespace {

void check(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "check failed at %s:%d\n", __FILE__, line);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1 || size > 400) return 0;
    const char mark = (data[0] & 1) ? ',' : '.';
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<double> a;
    try {
        a = quill::expandFormula(text, mark);
    } catch (const quill::FormulaError& e) {
        check(e.message().starts_with("formula:"));
        return 0;
    }
    check(!a.empty() && a.size() <= std::size_t(quill::kMaxFormulaDegree) + 1);
    for (double c : a) check(std::isfinite(c));
    try {
        const std::vector<double> zero = quill::expandFormula("(" + text + ")-(" + text + ")", mark);
        check(zero.size() == 1 && zero[0] == 0.0);
    } catch (const quill::FormulaError&) {
        // (T)-(T) may be refused as too large where T alone was not.
    }
    return 0;
}
