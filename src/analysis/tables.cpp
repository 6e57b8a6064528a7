#include "analysis/tables.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

#include "analysis/trusted_digits.h"
#include "engine/number_texts.h"
#include "engine/solve.h"

namespace quill {

namespace {

constexpr std::string_view kBreak{"\r\n", 2};

char* put(char* to, std::string_view s) {
    std::memcpy(to, s.data(), s.size());
    return to + s.size();
}

void appendNumber(std::string& text, double value, const ReportStyle& style) {
    char number[kNumber];
    text.append(number, numberText(value, style, number));
}

int32_t countOf(std::size_t count) { return static_cast<int32_t>(std::min<std::size_t>(count, INT32_MAX)); }

// Rows of a table: the CSV header and a row per item, or the readable text:
// the coefficients, the count line and a line per item.
template <class Item, class CsvFields, class Line>
std::string table(std::span<const double> coefficients, std::span<const Item> items, const ReportStyle& style,
                  std::string_view csvHeader, std::string_view countLabel, CsvFields csvFields, Line line) {
    std::string text;
    if (style.layout == ReportLayout::csv) {
        const ReportStyle numbers = csvNumbers(style);
        text.assign(csvHeader);
        char row[4 * (kCsvField + 1)];
        for (const Item& item : items) {
            CsvRow fields(row, numbers);
            csvFields(fields, item);
            text.append(row, static_cast<std::size_t>(fields.end() - row));
        }
        return text;
    }
    text = reportCountLine(kCoefficientCountLabel, countOf(coefficients.size())) +
           coefficientLines(coefficients, style) + reportCountLine(countLabel, countOf(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        line(text, i, items[i]);
        text.append(kBreak);
    }
    return text;
}

}  // namespace

std::string rootText(const PolynomialRoot& root, const ReportStyle& style) {
    std::string text;
    appendNumber(text, root.re, style);
    if (root.im != 0.0) {
        const std::size_t sign = text.size();
        appendNumber(text, root.im, style);
        if (text[sign] != '-') text.insert(sign, 1, '+');
        text.push_back('i');
    }
    return text;
}

std::string rootsTable(std::span<const double> coefficients, const RootList& roots, const ReportStyle& style) {
    return table<PolynomialRoot>(
        coefficients, roots.roots, style, kRootsCsvHeader, kRootCountLabel,
        [](CsvRow& row, const PolynomialRoot& r) { row.number(r.re).number(r.im).integer(r.multiplicity); },
        [&](std::string& text, std::size_t i, const PolynomialRoot& r) {
            text.append("Root[").append(integerToText(countOf(i))).append("]=").append(rootText(r, style));
            if (r.multiplicity > 1) text.append(" (\u00d7").append(integerToText(r.multiplicity)).append(")");
        });
}

std::string turningPointsTable(std::span<const double> coefficients, const TurningPointList& points,
                               const ReportStyle& style) {
    return table<TurningPoint>(
        coefficients, points.points, style, kTurningPointsCsvHeader, kTurningPointCountLabel,
        [](CsvRow& row, const TurningPoint& p) { row.number(p.x).number(p.fx).text(turningKindName(p.kind)); },
        [&](std::string& text, std::size_t, const TurningPoint& p) {
            text.append("F(");
            appendNumber(text, p.x, style);
            text.append(")=");
            appendNumber(text, p.fx, style);
            text.append(" ").append(turningKindName(p.kind));
        });
}

char* putDigitsRow(char* to, std::string_view xText, double fx, double exact, std::uint8_t digits,
                   const ReportStyle& style) {
    if (style.layout == ReportLayout::csv) {
        const ReportStyle numbers = csvNumbers(style);
        return CsvRow(to, numbers).text(xText).number(fx).number(exact).integer(digits).end();
    }
    to = put(put(put(to, "F("), xText), ")=");
    to += numberText(fx, style, to);
    to = put(to, " exact=");
    to += numberText(exact, style, to);
    to = put(to, " digits=");
    to += integerToText(digits, to);
    return put(to, kBreak);
}

void appendInverseRows(std::string& text, double y, std::span<const InverseRoot> roots, const ReportStyle& style) {
    const bool csv = style.layout == ReportLayout::csv;
    const ReportStyle numbers = csv ? csvNumbers(style) : style;
    char yText[kNumber];
    const std::string_view yNumber(yText, numberText(y, numbers, yText));
    if (!csv) text.append("F(x)=").append(yNumber).append(":");
    if (roots.empty() && csv) text.append(yNumber).append(",,\n");
    for (std::size_t i = 0; i < roots.size(); ++i) {
        if (csv) {
            text.append(yNumber).append(",");
            appendNumber(text, roots[i].x, numbers);
            text.append(",").append(integerToText(roots[i].multiplicity)).append("\n");
        } else {
            text.append(i == 0 ? " x=" : ", x=");
            appendNumber(text, roots[i].x, numbers);
            if (roots[i].multiplicity > 1)
                text.append(" (\u00d7").append(integerToText(roots[i].multiplicity)).append(")");
        }
    }
    if (!csv) text.append(kBreak);
}

std::string fewDigitsLine(std::size_t count) { return reportCountLine(kFewDigitsCountLabel, countOf(count)); }

void writeDigitsTable(Solve& solve, std::span<const double> coefficients, const ReportStyle& style,
                      const std::function<void(std::string_view)>& sink) {
    const ReportStyle numbers = style.layout == ReportLayout::csv ? csvNumbers(style) : style;
    std::atomic<std::size_t> fewDigits{0};
    // Each block is checked on the thread that makes its rows: the blocks
    // are checked side by side, and only the blocks in flight hold their
    // exact values and digits.
    auto rows = [&](const Solve::RowBlock& block, char* to) {
        std::vector<double> exact(block.count);
        std::vector<std::uint8_t> digits(block.count);
        DigitsControl oneThread;
        oneThread.threads = 1;
        checkDigits(coefficients, {block.x, block.count}, {block.fx, block.count}, exact, digits, oneThread);
        NumberTexts::Reader texts = block.xTexts->reader();
        std::size_t few = 0;
        for (std::size_t j = 0; j < block.count; ++j) {
            char x[NumberTexts::kTextRoom];
            const std::string_view xText(x, texts.next(x));
            to = putDigitsRow(to, xText, block.fx[j], exact[j], digits[j], numbers);
            few += digits[j] < kTrustedDigits;
        }
        fewDigits += few;
        return to;
    };
    solve.writeTable(kDigitsCsvHeader, kDigitsRow, rows, sink);
    if (style.layout != ReportLayout::csv) sink(fewDigitsLine(fewDigits.load()));
}

}  // namespace quill
