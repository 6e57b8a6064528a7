#include "formula_tasks.h"

#include <unistd.h>

#include <string_view>

#include "analysis/fit.h"
#include "analysis/formula.h"
#include "analysis/tables.h"
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
            std::string text;
            if (task.style.layout == ReportLayout::csv) {
                text.assign(kInverseCsvHeader);
            } else {
                text = reportCountLine(kCoefficientCountLabel, int32_t(std::min<std::size_t>(a.size(), INT32_MAX))) +
                       coefficientLines(a, task.style);
            }
            for (std::size_t j = 0; j < y.size(); ++j) {
                appendInverseRows(text, y[j],
                                  std::span(found.roots).subspan(found.first[j], found.first[j + 1] - found.first[j]),
                                  task.style);
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
