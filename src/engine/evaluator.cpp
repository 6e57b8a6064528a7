#include "engine/evaluator.h"

#include <string_view>
#include <utility>

#include "common/error.h"
#include "engine/poly.h"
#include "numtext/format.h"
#include "numtext/parse.h"

namespace quill {

namespace {

// Parses every non-blank line of the pane. The list is replaced only when the
// whole pane converted, so a failure part-way leaves it exactly as it was.
bool ReadList(const LineReader& pane, char decimalMark, std::vector<double>& list) {
    const int32_t lineCount = pane.count();
    if (lineCount <= 0) return false;

    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(lineCount));
    int64_t index = 0;
    try {
        pane.forEachLine([&](std::string_view line) {
            const std::string_view text = TrimBlanks(line);
            if (!text.empty()) values.push_back(TextToDouble(text, decimalMark));
            ++index;
        });
    } catch (ValueError& e) {
        e.setLineIndex(index);
        throw;
    }
    values.shrink_to_fit();
    list.swap(values);
    return true;
}

class ReportWriter {
public:
    ReportWriter(LineBatch& batch, const ReportStyle& style) : batch_(batch), style_(style) {}

    ReportWriter& text(std::string_view s) {
        batch_.open().append(s);
        return *this;
    }
    ReportWriter& integer(int32_t value) {
        char buffer[kMaxIntegerTextLength];
        batch_.open().append(buffer, IntegerToText(value, buffer));
        return *this;
    }
    ReportWriter& number(double value) {
        char buffer[kNumber];
        batch_.open().append(buffer, NumberText(value, style_, buffer));
        return *this;
    }
    // Repeats a stretch written earlier in this batch.
    ReportWriter& copy(std::size_t offset, std::size_t length) {
        std::string& text = batch_.open();
        text.append(text.data() + offset, length);  // the room is reserved: no reallocation
        return *this;
    }
    std::size_t position() const { return batch_.text().size(); }
    void end() { batch_.endLine(); }

private:
    LineBatch& batch_;
    const ReportStyle& style_;
};

// All report lines in one batch, built before the pane is touched.
LineBatch BuildReport(const std::vector<double>& an, const std::vector<double>& x, const std::vector<double>& fx,
                      const ReportStyle& style) {
    // Reserving the most the report can need means the text is never copied
    // while growing; pages never written are never touched.
    LineBatch batch;
    batch.reserve(2 * (kCountAnLabel.size() + kMaxIntegerTextLength + 2) + (an.size() + x.size()) * kIndexedLine +
                  x.size() * kResultLine);

    ReportWriter w(batch, style);
    const auto countAn = static_cast<int32_t>(an.size());
    const auto countX = static_cast<int32_t>(x.size());
    w.text(kCountAnLabel).integer(countAn).end();
    w.text(kCountXLabel).integer(countX).end();
    for (int32_t i = 0; i < countAn; ++i) w.text("A[").integer(i).text("]=").number(an[i]).end();
    // Each x is formatted once: its result line copies the text of its x line
    // (where it starts, times 64, plus its length).
    std::vector<std::size_t> xText(x.size());
    for (int32_t i = 0; i < countX; ++i) {
        w.text("X[").integer(i).text("]=");
        const std::size_t start = w.position();
        w.number(x[i]);
        xText[i] = start << 6 | (w.position() - start);
        w.end();
    }
    // After a failed computation there may be fewer results than x values.
    const int32_t countFx = fx.size() < x.size() ? static_cast<int32_t>(fx.size()) : countX;
    for (int32_t j = 0; j < countFx; ++j) w.text("F(").copy(xText[j] >> 6, xText[j] & 63).text(")=").number(fx[j]).end();
    return batch;
}

}  // namespace

bool Evaluator::ReadAnList(const LineReader& pane, char decimalMark) { return ReadList(pane, decimalMark, an_); }

bool Evaluator::ReadXList(const LineReader& pane, char decimalMark) { return ReadList(pane, decimalMark, x_); }

double Evaluator::EvalTerm(int32_t i, int32_t j) const {
    if (i < 0 || j < 0 || i >= CountAn() || j >= CountX()) return 0.0;
    return Term(an_[i], x_[j], i);
}

double Evaluator::EvalPoly(int32_t j) const {
    if (j < 0 || j >= CountX()) return 0.0;
    return Poly(an_.data(), an_.size(), x_[j]);
}

void Evaluator::ComputeFx() {
    // The old results go first; a failure leaves none rather than stale ones.
    std::vector<double>().swap(fx_);
    std::vector<double> fx(x_.size());
    const double* a = an_.data();
    const std::size_t n = an_.size();
    if (EvaluatePolynomialRange(a, n, x_.data(), fx.data(), x_.size()) != x_.size()) throw OverflowError();
    fx_.swap(fx);
}

void Evaluator::ShowResult(LineWriter& result, const ReportStyle& style) const {
    result.addLines(BuildReport(an_, x_, fx_, style));
}

void Evaluator::Solve(const LineReader& an, const LineReader& x, LineWriter& result, bool autoClear,
                      const ReportStyle& style) {
    ReadAnList(an, style.decimalMark);
    ReadXList(x, style.decimalMark);
    ComputeFx();
    // Built before clearing, so that running out of memory here still leaves
    // the pane as it was.
    const LineBatch report = BuildReport(an_, x_, fx_, style);
    if (autoClear) result.clear();
    result.addLines(report);
}

void Evaluator::SetLists(std::vector<double> an, std::vector<double> x, std::vector<double> fx) {
    an_ = std::move(an);
    x_ = std::move(x);
    fx_ = std::move(fx);
}

void Evaluator::Release() {
    std::vector<double>().swap(fx_);
    std::vector<double>().swap(an_);
    std::vector<double>().swap(x_);
}

double EvaluatePolynomial(const std::vector<double>& coefficients, double x) {
    return Poly(coefficients.data(), coefficients.size(), x);
}

}  // namespace quill
