#pragma once
// The evaluation state and the Solve: the two value lists parsed from their
// panes, F evaluated at every x, and the report written to the result pane.

#include <cstdint>
#include <vector>

#include "lines/line_list.h"

namespace quill {

struct ReportStyle {
    char decimalMark = '.';
    bool hexNumbers = false;  // numbers as C99 hexadecimal constants (command line --hex)
};

class Evaluator {
public:
    // Parses the pane into the coefficients / x values. A pane without lines
    // is no error: the previous list stays in use, and the answer is false.
    // Raises ConvertError or OverflowError, with the index of the pane line
    // (ValueError::lineIndex); the list is then as it was before.
    bool readCoefficients(const LineReader& pane, char decimalMark);
    bool readXValues(const LineReader& pane, char decimalMark);

    double termAt(int32_t i, int32_t j) const;  // a(i) * x(j)^i, left to right
    double valueAt(int32_t j) const;            // F(x(j)), terms summed in ascending power
    void computeValues();

    // Adds the report lines to the result pane.
    void writeReport(LineWriter& result, const ReportStyle& style) const;

    // The Solve command: read both lists, compute, clear the result pane when
    // autoClear is set, write the report. Nothing is cleared or written unless
    // reading and computing succeeded.
    void solve(const LineReader& coefficientPane, const LineReader& xPane, LineWriter& result, bool autoClear,
               const ReportStyle& style);

    // Takes the lists of a Solve made elsewhere (on another thread).
    void setLists(std::vector<double> coefficients, std::vector<double> x, std::vector<double> fx);

    // Releases the three arrays (the window's destroy event).
    void release();

    const std::vector<double>& coefficients() const { return coefficients_; }
    const std::vector<double>& xValues() const { return x_; }
    const std::vector<double>& fxValues() const { return fx_; }
    int32_t coefficientCount() const { return static_cast<int32_t>(coefficients_.size()); }
    int32_t xCount() const { return static_cast<int32_t>(x_.size()); }

private:
    std::vector<double> coefficients_, x_, fx_;
};

// F at x by the same rules as valueAt, for callers outside a Solve (the plot).
double evaluatePolynomial(const std::vector<double>& coefficients, double x);

}  // namespace quill
