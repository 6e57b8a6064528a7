// quillometer-cli: the Solve without a window. Loads the two lists the way the
// panes load them, writes the report the result pane would hold (or the CSV
// table the plot's export writes), and shows an error at its place in a list
// file. With --roots, --extrema or --accuracy it writes the certified
// analysis instead (analysis.cpp).

#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis.h"
#include "common/error.h"
#include "common/posix_file.h"
#include "common/safe_file.h"
#include "copy_on_signals.h"
#include "engine/list_reader.h"
#include "engine/solve.h"
#include "engine/solve_run.h"
#ifdef QUILL_HAS_ANALYSIS
#include "formula.h"
#endif
#include "lines/file_encoding.h"
#include "lines/list_file.h"
#include "messages.h"
#include "numtext/decimal_mark.h"
#include "options.h"
#include "streams.h"

#ifndef QUILL_VERSION
#define QUILL_VERSION "unknown"
#endif

namespace {

constexpr int kExitError = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Usage: quillometer-cli [options] COEFFICIENTS X_VALUES\n"
    "       quillometer-cli --roots|--extrema [options] COEFFICIENTS\n"
    "       quillometer-cli --accuracy [options] COEFFICIENTS X_VALUES\n"
    "Evaluates F(x) = a(0) + a(1)*x + ... + a(n)*x^n at every x value and writes\n"
    "the report. COEFFICIENTS holds a(0), a(1), ... one per line; X_VALUES one x\n"
    "per line. Either file may be '-' for standard input.\n"
    "\n"
    "Certified analysis, from the exact value of every coefficient double:\n"
    "  --roots           every distinct root: the double nearest to its real and\n"
    "                    imaginary parts, and its multiplicity\n"
    "  --extrema         every real turning point x (F'(x) = 0): the doubles\n"
    "                    nearest to x and F(x), and min, max or flat\n"
    "  --accuracy        for every x: the report's F(x), the double nearest to the\n"
    "                    exact F(x), and how many significant digits of the\n"
    "                    report's value are correct (0 to 17)\n"
    "\n"
    "Options:\n"
    "  --format F        report (the default) or csv: a header line, then one row\n"
    "                    per value, '.' as the decimal mark, LF endings; columns\n"
    "                    x,F(x) (Solve), real,imaginary,multiplicity (--roots),\n"
    "                    x,F(x),kind (--extrema), x,F(x),exact,digits (--accuracy)\n"
    "  --decimal-mark C  the decimal separator of the numbers, one byte of ASCII\n"
    "                    punctuation but + - ( ) (default: the locale's)\n"
    "  --hex             write every number as an exact hexadecimal constant\n"
    "  -o FILE           write the report to FILE ('-', /dev/stdout: standard output)\n"
    "  --threads N       work on N threads (default: one per processor)\n"
    "  --help            show this help and exit\n"
    "  --version         show the version and exit\n";

enum class Task { solve, roots, extrema, accuracy };

struct Options {
    Task task = Task::solve;
    quill::ReportLayout layout = quill::ReportLayout::report;
    std::optional<char> decimalMark;
    bool hex = false;
    std::optional<std::string> output;
    unsigned threads = 0;  // 0: one per processor
    std::string coefficients;
    std::string xValues;
};

enum class Parsed { run, help, version, bad };

struct ParseResult {
    Parsed what = Parsed::run;
    std::string problem;  // for Parsed::bad
};

ParseResult parseArguments(int argc, char** argv, Options& options) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    auto bad = [](std::string_view problem) { return ParseResult{Parsed::bad, std::string(problem)}; };
    auto setMark = [&](std::string_view value) -> bool {
        if (value.size() != 1 || !quill::isUsableDecimalMark(value[0])) return false;
        options.decimalMark = value[0];
        return true;
    };
    using quill::cli::Given;
    std::string_view value;
    auto valueOf = [&](int& at, std::string_view name) { return quill::cli::optionValue(argc, argv, at, name, value); };

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            files.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            return {Parsed::help, {}};
        } else if (arg == "--version") {
            return {Parsed::version, {}};
        } else if (arg == "--hex") {
            options.hex = true;
        } else if (arg == "--roots" || arg == "--extrema" || arg == "--accuracy") {
            const Task task = arg == "--roots" ? Task::roots : arg == "--extrema" ? Task::extrema : Task::accuracy;
            if (options.task != Task::solve && options.task != task)
                return bad("--roots, --extrema and --accuracy exclude one another");
            options.task = task;
        } else if (const Given given = valueOf(i, "--format"); given != Given::no) {
            if (given == Given::missing) return bad("--format needs a value");
            if (value == "report") {
                options.layout = quill::ReportLayout::report;
            } else if (value == "csv") {
                options.layout = quill::ReportLayout::csv;
            } else {
                return bad(quill::cli::kBadFormat);
            }
        } else if (const Given given = valueOf(i, "--decimal-mark"); given != Given::no) {
            if (given == Given::missing) return bad("--decimal-mark needs a value");
            if (!setMark(value)) return bad(quill::cli::kBadMark);
        } else if (const Given given = valueOf(i, "--threads"); given != Given::no) {
            if (given == Given::missing) return bad("--threads needs a value");
            if (!quill::cli::readThreadCount(value, options.threads)) return bad(quill::cli::kBadThreads);
        } else if (arg == "-o") {
            if (i + 1 >= argc) return bad(quill::cli::kNoOutputName);
            options.output = argv[++i];
            if (options.output->empty()) return bad(quill::cli::kNoOutputName);
        } else {
            return bad("unknown option " + std::string(arg));
        }
    }
    if (options.task != Task::solve && !quill::cli::kHasAnalysis)
        return bad("this build has no analysis: --roots, --extrema and --accuracy need FLINT with Arb");
    if (options.task == Task::roots || options.task == Task::extrema) {
        if (files.size() != 1)
            return bad(std::string(options.task == Task::roots ? "--roots" : "--extrema") +
                       " takes one file, COEFFICIENTS");
    } else if (files.size() != 2) {
        return bad("expected two files, COEFFICIENTS and X_VALUES");
    }
    if (const auto misuse = quill::cli::streamMisuse(files, options.output)) return bad(*misuse);
    options.coefficients = std::move(files[0]);
    if (files.size() == 2) options.xValues = std::move(files[1]);
    return {};
}

constexpr const char* kCannotReadInput = "Cannot read standard input";

// Hands a list's text to take piece by piece, from a file or from standard
// input for "-", read and decoded exactly as a pane's load does, so that a
// message quotes the text as the window shows it.
void transferList(const std::string& path, const quill::PieceSink& take) {
    if (path == "-") {
        quill::transferFromDescriptor(STDIN_FILENO, take, path, kCannotReadInput);
    } else {
        quill::transferFromFile(path, take);
    }
}

// A failed Solve in the command line's words: an error about a value is
// placed in the file of its list; any other is raised as it came.
[[noreturn]] void raiseFailure(const quill::SolveFailure& failure, const Options& options) {
    using quill::SolveFault;
    const bool aboutValue = failure.fault == SolveFault::notNumber || failure.fault == SolveFault::outOfRange ||
                            failure.fault == SolveFault::fxOverflow;
    if (!aboutValue || failure.list == quill::SolveList::none) std::rethrow_exception(failure.error);
    const std::string& file = failure.list == quill::SolveList::coefficients ? options.coefficients : options.xValues;
    throw quill::Error(quill::cli::placedMessage(file, failure));
}

// Hands what produce writes to its sink to an open standard stream, or
// saves it as a file.
void writeOut(const std::function<void(const quill::cli::Sink&)>& produce, const std::optional<std::string>& output) {
    const int stream = output && *output != "-" ? quill::cli::openStreamNamed(*output) : STDOUT_FILENO;
    if (stream < 0) {
        const std::string& path = *output;
        quill::SafeFileWriter file;
        quill::checkSaved(file.open(path), path);
        produce([&](std::string_view piece) {
            if (!file.write(piece)) quill::checkSaved(quill::SaveStatus::writeFailed, path);
        });
        quill::cli::CopyOnSignals signals;
        quill::checkSaved(file.commit(signals.watch()), path, file.keptCopy());
        return;
    }
    const std::string failure =
        stream == STDOUT_FILENO ? "Cannot write standard output" : "Cannot write " + quill::cli::quoteText(*output);
    produce([&](std::string_view piece) {
        if (!quill::writeAll(stream, piece)) throw quill::FileError(failure);
    });
}

// The coefficients are few: their text is kept whole.
std::string loadList(const std::string& path) {
    std::string text;
    transferList(path, [&](std::string_view piece) { text.append(piece); });
    return text;
}

quill::ReportStyle styleOf(const Options& options) {
    quill::ReportStyle style;
    style.decimalMark = options.decimalMark ? *options.decimalMark : quill::readLocaleDecimalMark();
    style.hexNumbers = options.hex;
    style.layout = options.layout;
    return style;
}

// The coefficients of the analysis, read as the Solve reads them.
std::vector<double> readCoefficients(const Options& options, char decimalMark) {
    const std::string text = loadList(options.coefficients);
    try {
        return quill::readList(text, decimalMark);
    } catch (...) {
        raiseFailure(quill::solveFailure(std::current_exception(), quill::SolveList::coefficients), options);
    }
}

int run(const Options& options) {
    const quill::ReportStyle style = styleOf(options);
    if (options.task == Task::roots || options.task == Task::extrema) {
        const std::vector<double> coefficients = readCoefficients(options, style.decimalMark);
        const std::string text = options.task == Task::roots
                                     ? quill::cli::rootsText(options.coefficients, coefficients, style)
                                     : quill::cli::extremaText(options.coefficients, coefficients, style);
        writeOut([&](const quill::cli::Sink& sink) { sink(text); }, options.output);
        return 0;
    }
    quill::SolveControl control;
    control.threads = options.threads;
    control.keepX = options.task == Task::accuracy;  // the digits are checked at the x values

    // The x values' text goes to the Solve piece by piece and is never held
    // whole. Every value is read and evaluated before the first byte of the
    // report goes out.
    quill::SolveJob job;
    job.coefficientText = [&](const quill::TextTake& take) { transferList(options.coefficients, take); };
    job.xText = [&](const quill::TextTake& take) { transferList(options.xValues, take); };
    job.write = [&](quill::Solve& solve, const quill::SolveLists& lists) {
        writeOut(
            [&](const quill::cli::Sink& sink) {
                if (options.task == Task::accuracy) {
                    quill::cli::writeAccuracy(solve, lists.coefficients, style, sink);
                } else {
                    solve.writeReport(sink);
                }
            },
            options.output);
    };
    const quill::SolveResult result = quill::runSolve(std::move(job), style, control);
    if (result.failure) raiseFailure(result.failure, options);
    return 0;
}

#ifdef QUILL_HAS_ANALYSIS
using quill::cli::kFormulaUsage;
#else
constexpr std::string_view kFormulaUsage;
#endif

int showError(std::string_view message) {
    if (!message.empty()) quill::writeAll(STDERR_FILENO, quill::cli::errorLine(message));
    return kExitError;
}

}  // namespace

int main(int argc, char** argv) {
    quill::cli::endOnAllocationFailure();
    try {
#ifdef QUILL_HAS_ANALYSIS
        if (const auto status = quill::cli::runFormulaTask(argc, argv, {loadList, writeOut})) return *status;
#endif
        Options options;
        const ParseResult parsed = parseArguments(argc, argv, options);
        switch (parsed.what) {
            case Parsed::help:
                return quill::writeAll(STDOUT_FILENO, std::string(kUsage) + "\n" + std::string(kFormulaUsage))
                           ? 0
                           : kExitError;
            case Parsed::version:
                return quill::writeAll(STDOUT_FILENO, "quillometer-cli " QUILL_VERSION "\n") ? 0 : kExitError;
            case Parsed::bad:
                quill::writeAll(STDERR_FILENO, "quillometer-cli: " + parsed.problem + "\n");
                quill::writeAll(STDERR_FILENO, kUsage);
                return kExitUsage;
            case Parsed::run: break;
        }
        return run(options);
    } catch (const quill::AbortError&) {
        return kExitError;
    } catch (const quill::Error& e) {
        return showError(e.message());
    } catch (const std::bad_alloc&) {
        return showError(quill::cli::kOutOfMemory);
    } catch (const std::exception& e) {
        return showError(e.what());
    } catch (...) {
        return showError("");
    }
}
