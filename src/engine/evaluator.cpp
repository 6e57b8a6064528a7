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
bool readList(const LineReader& pane, char decimalMark, std::vector<double>& list) {
    const int32_t lineCount = pane.count();
    if (lineCount <= 0) return false;

    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(lineCount));
    int64_t index = 0;
    try {
        pane.forEachLine([&](std::string_view line) {
            const std::string_view text = trimBlanks(line);
            if (!text.empty()) values.push_back(textToDouble(text, decimalMark));
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
        batch_.open().append(buffer, integerToText(value, buffer));
        return *this;
    }
    ReportWriter& number(double value) {
        char buffer[kNumber];
        batch_.open().append(buffer, numberText(value, style_, buffer));
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
LineBatch buildReport(const std::vector<double>& coefficients, const std::vector<double>& x,
                      const std::vector<double>& fx, const ReportStyle& style) {
    // Reserving the most the report can need means the text is never copied
    // while growing; pages never written are never touched.
    LineBatch batch;
    batch.reserve(2 * (kCoefficientCountLabel.size() + kMaxIntegerTextLength + 2) +
                  (coefficients.size() + x.size()) * kIndexedLine + x.size() * kResultLine);

    ReportWriter w(batch, style);
    const auto coefficientCount = static_cast<int32_t>(coefficients.size());
    const auto xCount = static_cast<int32_t>(x.size());
    w.text(kCoefficientCountLabel).integer(coefficientCount).end();
    w.text(kXCountLabel).integer(xCount).end();
    for (int32_t i = 0; i < coefficientCount; ++i) w.text("A[").integer(i).text("]=").number(coefficients[i]).end();
    // Each x is formatted once: its result line copies the text of its x line
    // (where it starts, times 64, plus its length).
    std::vector<std::size_t> xText(x.size());
    for (int32_t i = 0; i < xCount; ++i) {
        w.text("X[").integer(i).text("]=");
        const std::size_t start = w.position();
        w.number(x[i]);
        xText[i] = start << 6 | (w.position() - start);
        w.end();
    }
    // After a failed computation there may be fewer results than x values.
    const int32_t fxCount = fx.size() < x.size() ? static_cast<int32_t>(fx.size()) : xCount;
    for (int32_t j = 0; j < fxCount; ++j)
        w.text("F(").copy(xText[j] >> 6, xText[j] & 63).text(")=").number(fx[j]).end();
    return batch;
}

}  // namespace

bool Evaluator::readCoefficients(const LineReader& pane, char decimalMark) {
    return readList(pane, decimalMark, coefficients_);
}

bool Evaluator::readXValues(const LineReader& pane, char decimalMark) { return readList(pane, decimalMark, x_); }

double Evaluator::termAt(int32_t i, int32_t j) const {
    if (i < 0 || j < 0 || i >= coefficientCount() || j >= xCount()) return 0.0;
    return term(coefficients_[i], x_[j], i);
}

double Evaluator::valueAt(int32_t j) const {
    if (j < 0 || j >= xCount()) return 0.0;
    return poly(coefficients_.data(), coefficients_.size(), x_[j]);
}

void Evaluator::computeValues() {
    // The old results go first; a failure leaves none rather than stale ones.
    std::vector<double>().swap(fx_);
    std::vector<double> fx(x_.size());
    const double* a = coefficients_.data();
    const std::size_t n = coefficients_.size();
    if (evaluatePolynomialRange(a, n, x_.data(), fx.data(), x_.size()) != x_.size()) throw OverflowError();
    fx_.swap(fx);
}

void Evaluator::writeReport(LineWriter& result, const ReportStyle& style) const {
    result.addLines(buildReport(coefficients_, x_, fx_, style));
}

void Evaluator::solve(const LineReader& coefficientPane, const LineReader& xPane, LineWriter& result, bool autoClear,
                      const ReportStyle& style) {
    readCoefficients(coefficientPane, style.decimalMark);
    readXValues(xPane, style.decimalMark);
    computeValues();
    // Built before clearing, so that running out of memory here still leaves
    // the pane as it was.
    const LineBatch report = buildReport(coefficients_, x_, fx_, style);
    if (autoClear) result.clear();
    result.addLines(report);
}

void Evaluator::setLists(std::vector<double> coefficients, std::vector<double> x, std::vector<double> fx) {
    coefficients_ = std::move(coefficients);
    x_ = std::move(x);
    fx_ = std::move(fx);
}

void Evaluator::release() {
    std::vector<double>().swap(fx_);
    std::vector<double>().swap(coefficients_);
    std::vector<double>().swap(x_);
}

double evaluatePolynomial(const std::vector<double>& coefficients, double x) {
    return poly(coefficients.data(), coefficients.size(), x);
}

}  // namespace quill
