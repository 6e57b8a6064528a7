#pragma once
// A million points on a plot a thousand pixels wide: markers that share a
// pixel column hide one another, so each column keeps only the lowest and the
// highest of its points. The widget then gets at most two markers a column.

#include <cstddef>
#include <vector>

namespace quill::plot {

// A rectangle in view units, u across and v up.
struct ViewRect {
    double u0 = 0.0, u1 = 1.0, v0 = 0.0, v1 = 1.0;
};

// Of the points inside the rectangle (edges included; NaN never is), keeps
// per pixel column the one with the lowest v and the one with the highest v
// (one point when they are the same). The result is in column order and,
// within a column, in u order, so it is sorted by u. Replaces outU/outV.
void decimateByColumn(const double* u, const double* v, std::size_t count, const ViewRect& rect, std::size_t columns,
                      std::vector<double>& outU, std::vector<double>& outV);

}  // namespace quill::plot
