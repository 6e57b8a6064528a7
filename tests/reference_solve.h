#pragma once
// The Solve one step after the other, as the tests' reference for the one
// Solve of the engine: a pane read line by line, each term a(i)·x^i and each
// sum formed one 80-bit operation at a time, the report added line by line
// to a pane. Slow and plain on purpose; no product code runs it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "engine/report_format.h"
#include "lines/line_list.h"
#include "numtext/ext80.h"
#include "numtext/format.h"
#include "numtext/parse.h"

namespace quill::test {

class ReferenceSolve {
public:
    // Every non-blank line of the pane; a pane without lines keeps the list,
    // and the answer is false. A failure names its line and keeps the list.
    static bool readList(const LineReader& pane, char mark, std::vector<double>& list) {
        if (pane.count() <= 0) return false;
        std::vector<double> values;
        int64_t index = 0;
        try {
            pane.forEachLine([&](std::string_view line) {
                const std::string_view text = trimBlanks(line);
                if (!text.empty()) values.push_back(textToDouble(text, mark));
                ++index;
            });
        } catch (ValueError& e) {
            e.setLineIndex(index);
            throw;
        }
        list.swap(values);
        return true;
    }

    // a(i)·x(j)^i multiplied left to right; 0 outside the lists.
    double termAt(int32_t i, int32_t j) const {
        if (i < 0 || j < 0 || i >= int32_t(a_.size()) || j >= int32_t(x_.size())) return 0.0;
        double r = a_[i];
        for (int32_t k = 0; k < i; ++k) r = store(Ext80::mulDoubles(r, x_[j]));
        return r;
    }
    // The terms summed from +0 in ascending power; 0 outside the list.
    double valueAt(int32_t j) const {
        if (j < 0 || j >= int32_t(x_.size())) return 0.0;
        double s = 0.0;
        for (int32_t i = 0; i < int32_t(a_.size()); ++i) s = store(Ext80::addDoubles(termAt(i, j), s));
        return s;
    }

    // Reads both panes, computes, and adds the report to the result pane,
    // cleared first when autoClear is set; nothing changes in it on an error.
    void solve(const LineReader& an, const LineReader& x, LineWriter& result, bool autoClear,
               const ReportStyle& style = {}) {
        readList(an, style.decimalMark, a_);
        readList(x, style.decimalMark, x_);
        fx_.clear();
        for (int32_t j = 0; j < int32_t(x_.size()); ++j) fx_.push_back(valueAt(j));
        LineBatch report;
        report.add(std::string(kCoefficientCountLabel) + integerToText(int32_t(a_.size())));
        report.add(std::string(kXCountLabel) + integerToText(int32_t(x_.size())));
        for (std::size_t i = 0; i < a_.size(); ++i)
            report.add("A[" + integerToText(int32_t(i)) + "]=" + number(a_[i], style));
        for (std::size_t j = 0; j < x_.size(); ++j)
            report.add("X[" + integerToText(int32_t(j)) + "]=" + number(x_[j], style));
        for (std::size_t j = 0; j < x_.size(); ++j)
            report.add("F(" + number(x_[j], style) + ")=" + number(fx_[j], style));
        if (autoClear) result.clear();
        result.addLines(report);
    }

    const std::vector<double>& coefficients() const { return a_; }
    const std::vector<double>& xValues() const { return x_; }
    const std::vector<double>& fxValues() const { return fx_; }

private:
    static double store(const Ext80::Narrowed& p) {
        if (p.overflow) throw OverflowError();
        return p.value;
    }
    static std::string number(double v, const ReportStyle& style) {
        char text[kNumber];
        return std::string(text, numberText(v, style, text));
    }

    std::vector<double> a_, x_, fx_;
};

// The reference's report of two pane texts, or its error.
inline std::string referenceReport(const std::string& an, const std::string& x, const ReportStyle& style = {}) {
    ByteLineList result;
    ReferenceSolve().solve(ByteLineList(an), ByteLineList(x), result, true, style);
    return result.text();
}

}  // namespace quill::test
