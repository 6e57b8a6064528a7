#pragma once
// The stretch of values an axis has to show, with the margin around it.

#include <cstddef>
#include <optional>

namespace quill::plot {

struct Span {
    double lo = 0.0, hi = 0.0;
};

// The smallest and the largest finite value; none when no value is finite.
std::optional<Span> finiteSpan(const double* values, std::size_t count);
// The union of two spans, either of which may be missing.
std::optional<Span> unionOf(const std::optional<Span>& a, const std::optional<Span>& b);

// Widens the span by margin times its width on each side. A span of a single
// value becomes that value +-1: in view units (largest magnitude in [1, 2))
// that is a width in keeping with the value, and 0 gets -1 to 1.
Span withMargin(Span span, double margin);

}  // namespace quill::plot
