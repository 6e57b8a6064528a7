#include "plot/span.h"

#include <cfloat>
#include <cmath>

namespace quill::plot {

std::optional<Span> finiteSpan(const double* values, std::size_t count) {
    std::optional<Span> span;
    for (std::size_t i = 0; i < count; ++i) {
        const double v = values[i];
        if (!std::isfinite(v)) continue;
        if (!span) {
            span = Span{v, v};
        } else if (v < span->lo) {
            span->lo = v;
        } else if (v > span->hi) {
            span->hi = v;
        }
    }
    return span;
}

std::optional<Span> unionOf(const std::optional<Span>& a, const std::optional<Span>& b) {
    if (!a) return b;
    if (!b) return a;
    return Span{std::fmin(a->lo, b->lo), std::fmax(a->hi, b->hi)};
}

Span withMargin(Span span, double margin) {
    // Halves first, so that a span across the whole double range cannot overflow.
    const double width = span.hi / 2 - span.lo / 2;
    if (!(width > 0.0)) return Span{span.lo - 1.0, span.hi + 1.0};
    const double pad = 2 * width * margin;
    return Span{std::fmax(span.lo - pad, -DBL_MAX), std::fmin(span.hi + pad, DBL_MAX)};
}

}  // namespace quill::plot
