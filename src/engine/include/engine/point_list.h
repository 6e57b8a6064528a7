#pragma once
// Measured points as text: one point a line, x and y (and optionally a
// weight), for a least-squares fit.

#include <string_view>
#include <vector>

namespace quill {

struct PointColumns {
    std::vector<double> x, y;
    std::vector<double> w;  // empty when no line gives a weight; else 1 where a line gives none
};

// Lines "x,y", "x y", "x<tab>y" or "x;y" (the comma separates only where it
// is not the decimal mark), an optional third field the weight; blank lines
// are skipped and a first line that is not all numbers is a header. Numbers are
// read as the panes read them. Raises ConvertError for a field that is not
// a number, OverflowError beyond the double range and ValueError for a line
// of one field or more than three, each with the line's index (from 0); and
// ValueError "no points" when no line holds one.
PointColumns readPoints(std::string_view text, char decimalMark);

}  // namespace quill
