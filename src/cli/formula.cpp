#include "formula.h"

#include <unistd.h>

#include <charconv>

#include "common/error.h"
#include "common/posix_file.h"
#include "formula_tasks.h"
#include "numtext/decimal_mark.h"
#include "numtext/parse.h"
#include "streams.h"

namespace quill::cli {

namespace {

constexpr int kExitUsage = 2;

int usageError(const std::string& problem) {
    writeAll(STDERR_FILENO, "quillometer-cli: " + problem + "\n");
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
        auto value = [&](std::string_view name, std::string& out) {
            if (arg == name) {
                if (i + 1 >= argc) return -1;
                out = argv[++i];
                return 1;
            }
            if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
                out = arg.substr(name.size() + 1);
                return 1;
            }
            return 0;
        };
        std::string given;
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
        } else if (int r = value("--format", given)) {
            if (r < 0 || (given != "report" && given != "csv")) return usageError("the format must be report or csv");
            task.style.layout = given == "csv" ? ReportLayout::csv : ReportLayout::report;
        } else if (int r = value("--decimal-mark", given)) {
            if (r < 0 || given.size() != 1 || !isUsableDecimalMark(given[0]))
                return usageError(
                    "the decimal mark must be one byte of ASCII punctuation other than '+', '-', '(' and ')'");
            mark = given[0];
        } else if (int r = value("--interval", given)) {
            if (r < 0 || task.kind != FormulaTask::inverse) return usageError("--interval A,B goes with --inverse");
            interval = given;
        } else if (int r = value("--threads", given)) {
            unsigned n = 0;
            const auto [end, ec] = std::from_chars(given.data(), given.data() + given.size(), n);
            if (r < 0 || ec != std::errc() || end != given.data() + given.size() || n < 1 || n > 1024)
                return usageError("the thread count must be a whole number from 1 to 1024");
            task.threads = n;
        } else if (arg == "-o") {
            if (i + 1 >= argc || !*argv[i + 1]) return usageError("-o needs a file name");
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
    if (task.kind == FormulaTask::inverse && task.operands[0] == task.operands[1] && task.operands[0] == "-")
        return usageError("standard input can feed only one of the two lists");
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
