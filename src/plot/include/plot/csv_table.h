#pragma once
// The report's points as a comma-separated table for spreadsheets.

#include <string>
#include <vector>

namespace quill::plot {

// The table by the engine's CSV rule (engine/report_format.h): a header
// line "x,F(x)", then one row "x,F(x)" per point, the numbers as the report
// writes them but always with "." as the decimal mark, LF after every line.
// Rows stop at the shorter list.
std::string csvTable(const std::vector<double>& x, const std::vector<double>& fx);

}  // namespace quill::plot
