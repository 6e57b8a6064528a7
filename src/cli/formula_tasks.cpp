#include "formula_tasks.h"

#include <unistd.h>

#include <string_view>

#include "analysis/fit.h"
#include "analysis/formula.h"
#include "common/error.h"
#include "common/posix_file.h"
#include "engine/list_reader.h"
#include "engine/point_list.h"
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
        throw Error(placedMessage(path, solveFailure(std::current_exception(), SolveList::xValues)));
    }
}

// What work returns; a problem it raises with the data of one file (FitError,
// InverseError) is named after that file, as the analysis names its lists.
template <class Work>
auto aboutFile(const std::string& file, Work work) {
    try {
        return work();
    } catch (const FitError& e) {
        throw Error(quoteText(file) + ": " + e.message());
    } catch (const InverseError& e) {
        throw Error(quoteText(file) + ": " + e.message());
    }
}

std::string statisticsText(const FitStatistics& s, const ReportStyle& style) {
    const ReportStyle numbers{style.decimalMark, style.hexNumbers, ReportLayout::report};
    return "points: " + std::to_string(s.count) + "\nlargest residual: " + number(s.largestResidual, numbers) +
           "\nRMS residual: " + number(s.rmsResidual, numbers) + "\nR^2: " + number(s.rSquared, numbers) + "\n";
}

void runFit(const FormulaTask& task, const TaskIo& io) {
    const std::string& file = task.operands[1];
    const std::string text = io.load(file);
    PointColumns points;
    try {
        points = readPoints(text, task.style.decimalMark);
    } catch (const ValueError& e) {
        throw Error(e.lineIndex() < 0
                        ? quoteText(file) + ": " + e.message()
                        : placedMessage(file, solveFailure(std::current_exception(), SolveList::xValues)));
    }
    const FitResult fit =
        aboutFile(file, [&] { return fitPolynomial(points.x, points.y, points.w, task.degree, task.threads); });
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
    // Read as lists, the values are finite: what the inverse refuses is the
    // polynomial, a constant.
    const InverseList found =
        aboutFile(task.operands[0], [&] { return invertPolynomial(a, y, task.interval, task.threads); });
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
