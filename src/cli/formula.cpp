#include "formula.h"

#include <unistd.h>

#include <charconv>
#include <span>

#include "analysis/fit.h"
#include "common/error.h"
#include "common/posix_file.h"
#include "formula_tasks.h"
#include "numtext/decimal_mark.h"
#include "numtext/parse.h"
#include "options.h"
#include "streams.h"

namespace quill::cli {

namespace {

constexpr int kExitUsage = 2;

int usageError(std::string_view problem) {
    writeAll(STDERR_FILENO, "quillometer-cli: " + std::string(problem) + "\n");
    writeAll(STDERR_FILENO, kFormulaUsage);
    return kExitUsage;
}

bool readInterval(std::string_view text, char mark, InverseInterval& out) {
    // "A,B", or "A;B" where the comma is the decimal mark.
    std::size_t split = text.find(';');
    if (split == std::string_view::npos && mark != ',') split = text.find(',');
    if (split == std::string_view::npos) return false;
    double ends[2];
    const std::string_view parts[2] = {text.substr(0, split), text.substr(split + 1)};
    for (int i = 0; i < 2; ++i) {
        Ext80 value;
        if (!tryTextToNumber(parts[i], mark, value)) return false;
        try {
            ends[i] = narrowToDouble(value);
        } catch (const Error&) {
            return false;
        }
    }
    out = {ends[0], ends[1]};
    return out.low <= out.high;
}

// A fit's degree: the whole text one number from 0 to kMaxFitDegree.
bool readDegree(std::string_view text, int& out) {
    int degree = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), degree);
    if (ec != std::errc() || end != text.data() + text.size() || degree < 0 || degree > kMaxFitDegree) return false;
    out = degree;
    return true;
}

}  // namespace

std::optional<int> runFormulaTask(int argc, char** argv, const TaskIo& io) {
    FormulaTask task;
    int at = 0;
    for (int i = 1; i < argc && at == 0; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg == "--expand" || arg == "--fit" || arg == "--inverse") at = i;
    }
    if (at == 0) return std::nullopt;
    const std::string_view mode = argv[at];
    task.kind = mode == "--expand" ? FormulaTask::expand : mode == "--fit" ? FormulaTask::fit : FormulaTask::inverse;
    const std::size_t operandCount = task.kind == FormulaTask::expand ? 1 : 2;

    std::optional<char> mark;
    std::optional<std::string> interval;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view given;
        auto value = [&](std::string_view name) { return optionValue(argc, argv, i, name, given); };
        if (i == at) continue;
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-' ||
            (task.kind == FormulaTask::expand && task.operands.empty() && i == at + 1)) {
            task.operands.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--hex") {
            task.style.hexNumbers = true;
        } else if (arg == "--report") {
            task.statisticsInReport = true;
        } else if (Given g = value("--format"); g != Given::no) {
            if (g == Given::missing || (given != "report" && given != "csv")) return usageError(kBadFormat);
            task.style.layout = given == "csv" ? ReportLayout::csv : ReportLayout::report;
        } else if (Given g = value("--decimal-mark"); g != Given::no) {
            if (g == Given::missing || given.size() != 1 || !isUsableDecimalMark(given[0])) return usageError(kBadMark);
            mark = given[0];
        } else if (Given g = value("--interval"); g != Given::no) {
            if (g == Given::missing || task.kind != FormulaTask::inverse)
                return usageError("--interval A,B goes with --inverse");
            interval = given;
        } else if (Given g = value("--threads"); g != Given::no) {
            if (g == Given::missing || !readThreadCount(given, task.threads)) return usageError(kBadThreads);
        } else if (arg == "-o") {
            if (i + 1 >= argc || !*argv[i + 1]) return usageError(kNoOutputName);
            task.output = argv[++i];
        } else if (arg == "--expand" || arg == "--fit" || arg == "--inverse" || arg == "--roots" ||
                   arg == "--extrema" || arg == "--accuracy") {
            return usageError(std::string(mode) + " and " + std::string(arg) + " exclude one another");
        } else {
            return usageError("unknown option " + std::string(arg));
        }
    }
    if (task.operands.size() != operandCount) {
        return usageError(task.kind == FormulaTask::expand ? "--expand takes one formula"
                          : task.kind == FormulaTask::fit  ? "--fit takes DEGREE and POINTS"
                                                           : "--inverse takes COEFFICIENTS and Y_VALUES");
    }
    if (task.kind == FormulaTask::fit && !readDegree(task.operands[0], task.degree)) return usageError(fitDegreeRule());
    // The list files: POINTS, or COEFFICIENTS and Y_VALUES.
    const std::span<const std::string> inputs(task.operands.begin() + (task.kind == FormulaTask::inverse ? 0 : 1),
                                              task.operands.end());
    if (const auto misuse = streamMisuse(inputs, task.output)) return usageError(*misuse);
    task.style.decimalMark = mark ? *mark : readLocaleDecimalMark();
    if (interval) {
        InverseInterval ends;
        if (!readInterval(*interval, task.style.decimalMark, ends))
            return usageError("--interval needs two numbers A,B with A <= B");
        task.interval = ends;
    }
    runTask(task, io);
    return 0;
}

}  // namespace quill::cli
