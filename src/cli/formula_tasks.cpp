#include "formula_tasks.h"

#include <unistd.h>

#include <charconv>
#include <string_view>

#include "analysis/fit.h"
#include "analysis/formula.h"
#include "common/error.h"
#include "common/posix_file.h"
#include "engine/list_reader.h"
#include "engine/solve.h"
#include "messages.h"
#include "numtext/parse.h"
#include "numtext/round_trip.h"
#include "streams.h"

namespace quill::cli {

namespace {

constexpr std::string_view kFitCsvHeader = "power,coefficient\n";
constexpr std::string_view kInverseCsvHeader = "y,x,multiplicity\n";
constexpr std::string_view kBreak{"\r\n", 2};

using Sink = std::function<void(std::string_view)>;

std::string number(double value, const ReportStyle& style) {
    char text[kNumber];
    return std::string(text, numberText(value, style, text));
}

// A coefficient list as a pane loads it without loss: the shortest text that
// reads back as the very double, or its hex constant; with --format csv the
// rows power,coefficient.
std::string coefficientList(const std::vector<double>& a, const ReportStyle& style) {
    std::string text;
    const bool csv = style.layout == ReportLayout::csv;
    const char mark = csv ? '.' : style.decimalMark;
    if (csv) text.assign(kFitCsvHeader);
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (csv) text.append(std::to_string(k)).push_back(',');
        text.append(style.hexNumbers ? doubleToHexText(a[k]) : roundTripText(a[k], mark));
        text.push_back('\n');
    }
    return text;
}

std::vector<double> readValues(const std::string& path, const TaskIo& io, char mark) {
    const std::string text = io.load(path);
    try {
        return readList(text, mark);
    } catch (const ValueError& e) {
        throw Error(placedMessage(path, e));
    }
}

struct PointColumns {
    std::vector<double> x, y, w;
};

// The fields of a points line: split at blanks and tabs, at ';', and at ','
// unless the comma is the decimal mark.
std::vector<std::string_view> fieldsOf(std::string_view line, char mark) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    auto separator = [&](char c) { return c == ' ' || c == '\t' || c == ';' || (c == ',' && mark != ','); };
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && !separator(line[i])) continue;
        const bool blank = i < line.size() && (line[i] == ' ' || line[i] == '\t');
        if (i > start || !blank) {
            if (i > start) fields.push_back(line.substr(start, i - start));
        }
        start = i + 1;
    }
    return fields;
}

PointColumns readPoints(const std::string& path, const TaskIo& io, char mark) {
    const std::string text = io.load(path);
    PointColumns points;
    std::size_t lineNumber = 0, numbered = 0;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + from, end - from);
        from = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string_view> fields = fieldsOf(line, mark);
        if (fields.empty()) continue;
        const std::string place = quoteText(path) + ":" + std::to_string(lineNumber) + ": ";
        double values[3];
        bool numbers = fields.size() <= 3;
        for (std::size_t i = 0; numbers && i < fields.size(); ++i) {
            Ext80 v;
            numbers = tryTextToNumber(fields[i], mark, v);
            if (numbers) {
                try {
                    values[i] = narrowToDouble(v);
                } catch (const Error& e) {
                    throw Error(place + e.message());
                }
            }
        }
        if (!numbers && numbered == 0 && points.x.empty() && lineNumber == 1) continue;  // a header line
        if (!numbers || fields.size() < 2) {
            if (fields.size() < 2 || fields.size() > 3)
                throw Error(place + "a point is x and y, and optionally a weight, but this line has " +
                            std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields"));
            for (std::string_view f : fields) {
                Ext80 v;
                if (!tryTextToNumber(f, mark, v))
                    throw Error(place + "'" + quoteText(f) + "' is not a valid floating point value");
            }
        }
        ++numbered;
        if (fields.size() == 3 && points.w.size() != points.x.size()) points.w.resize(points.x.size(), 1.0);
        points.x.push_back(values[0]);
        points.y.push_back(values[1]);
        if (fields.size() == 3 || !points.w.empty()) points.w.push_back(fields.size() == 3 ? values[2] : 1.0);
    }
    if (points.x.empty()) throw Error(quoteText(path) + ": no points");
    return points;
}

std::string statisticsText(const FitStatistics& s, const ReportStyle& style) {
    const ReportStyle numbers{style.decimalMark, style.hexNumbers, ReportLayout::report};
    return "points: " + std::to_string(s.count) + "\nlargest residual: " + number(s.largestResidual, numbers) +
           "\nRMS residual: " + number(s.rmsResidual, numbers) + "\nR^2: " + number(s.rSquared, numbers) + "\n";
}

void runFit(const FormulaTask& task, const TaskIo& io) {
    int degree = -1;
    const std::string& d = task.operands[0];
    const auto [end, ec] = std::from_chars(d.data(), d.data() + d.size(), degree);
    if (ec != std::errc() || end != d.data() + d.size() || degree < 0 || degree > kMaxFitDegree)
        throw Error("the degree must be a whole number from 0 to " + std::to_string(kMaxFitDegree));
    const PointColumns points = readPoints(task.operands[1], io, task.style.decimalMark);
    const FitResult fit = fitPolynomial(points.x, points.y, points.w, degree, task.threads);
    const std::string list = coefficientList(fit.coefficients, task.style);
    const std::string statistics = statisticsText(fit.statistics, task.style);
    io.write(
        [&](const Sink& sink) {
            sink(list);
            if (task.statisticsInReport) {
                sink("\n");
                sink(statistics);
            }
        },
        task.output);
    if (!task.statisticsInReport) writeAll(STDERR_FILENO, statistics);
}

void runInverse(const FormulaTask& task, const TaskIo& io) {
    const std::vector<double> a = readValues(task.operands[0], io, task.style.decimalMark);
    const std::vector<double> y = readValues(task.operands[1], io, task.style.decimalMark);
    const InverseList found = invertPolynomial(a, y, task.interval, task.threads);
    io.write(
        [&](const Sink& sink) {
            const bool csv = task.style.layout == ReportLayout::csv;
            const ReportStyle numbers = csv ? csvNumbers(task.style) : task.style;
            std::string text;
            if (csv) {
                text.assign(kInverseCsvHeader);
            } else {
                text = reportCountLine(kCoefficientCountLabel, int32_t(std::min<std::size_t>(a.size(), INT32_MAX))) +
                       coefficientLines(a, task.style);
            }
            for (std::size_t j = 0; j < y.size(); ++j) {
                const std::string yText = number(y[j], numbers);
                if (!csv) text.append("F(x)=").append(yText).append(":");
                if (found.first[j] == found.first[j + 1] && csv) text.append(yText).append(",,\n");
                for (std::size_t i = found.first[j]; i < found.first[j + 1]; ++i) {
                    const InverseRoot& r = found.roots[i];
                    if (csv) {
                        text.append(yText).append(",").append(number(r.x, numbers)).append(",");
                        text.append(std::to_string(r.multiplicity)).append("\n");
                    } else {
                        text.append(i == found.first[j] ? " x=" : ", x=").append(number(r.x, numbers));
                        if (r.multiplicity > 1)
                            text.append(" (\u00d7").append(std::to_string(r.multiplicity)).append(")");
                    }
                }
                if (!csv) text.append(kBreak);
                if (text.size() > (1 << 16)) {
                    sink(text);
                    text.clear();
                }
            }
            sink(text);
        },
        task.output);
}

}  // namespace

void runTask(const FormulaTask& task, const TaskIo& io) {
    switch (task.kind) {
        case FormulaTask::expand: {
            const std::string list =
                coefficientList(expandFormula(task.operands[0], task.style.decimalMark), task.style);
            io.write([&](const Sink& sink) { sink(list); }, task.output);
            return;
        }
        case FormulaTask::fit: return runFit(task, io);
        case FormulaTask::inverse: return runInverse(task, io);
    }
}

}  // namespace quill::cli
