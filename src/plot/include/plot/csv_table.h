#pragma once
// The report's points as a comma-separated table for spreadsheets.

#include <string>
#include <vector>

namespace quill::plot {

// A header line "x,F(x)", then one row "x,F(x)" per point, the numbers as
// the report writes them but always with "." as the decimal mark (the comma
// separates the columns). ASCII, so valid UTF-8; every line, the last one
// included, ends with LF alone. Rows stop at the shorter list.
std::string csvTable(const std::vector<double>& x, const std::vector<double>& fx);

}  // namespace quill::plot
