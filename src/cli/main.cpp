// quillometer-cli: the Solve without a window. Loads the two lists the way the
// panes load them, writes the report the result pane would hold, and shows an
// error the way the error box does.

#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/posix_file.h"
#include "engine/error_text.h"
#include "engine/evaluator.h"
#include "lines/line_list.h"
#include "lines/list_file.h"
#include "numtext/decimal_mark.h"

#ifndef QUILL_VERSION
#define QUILL_VERSION "unknown"
#endif

namespace {

constexpr int kExitError = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Usage: quillometer-cli [options] COEFFICIENTS X_VALUES\n"
    "Evaluates F(x) = a(0) + a(1)*x + ... + a(n)*x^n at every x value and writes\n"
    "the report. COEFFICIENTS holds a(0), a(1), ... one per line; X_VALUES one x\n"
    "per line. Either file may be '-' for standard input.\n"
    "\n"
    "Options:\n"
    "  --decimal-mark C  the decimal separator of the numbers (default: the locale's)\n"
    "  --hex             write every number as an exact hexadecimal constant\n"
    "  -o FILE           write the report to FILE ('-': standard output)\n"
    "  --help            show this help and exit\n"
    "  --version         show the version and exit\n";

struct Options {
    std::optional<char> decimalMark;
    bool hex = false;
    std::optional<std::string> output;
    std::string coefficients;
    std::string xValues;
};

enum class Parsed { run, help, version, bad };

struct ParseResult {
    Parsed what = Parsed::run;
    std::string problem;  // for Parsed::bad
};

ParseResult ParseArguments(int argc, char** argv, Options& options) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    auto bad = [](std::string problem) { return ParseResult{Parsed::bad, std::move(problem)}; };
    auto setMark = [&](std::string_view value) -> bool {
        if (value.size() != 1) return false;
        options.decimalMark = value[0];
        return true;
    };

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
        } else if (arg == "--decimal-mark") {
            if (i + 1 >= argc) return bad("--decimal-mark needs a value");
            if (!setMark(argv[++i])) return bad("the decimal mark must be exactly one byte");
        } else if (arg.starts_with("--decimal-mark=")) {
            if (!setMark(arg.substr(15))) return bad("the decimal mark must be exactly one byte");
        } else if (arg == "-o") {
            if (i + 1 >= argc) return bad("-o needs a file name");
            options.output = argv[++i];
            if (options.output->empty()) return bad("-o needs a file name");
        } else {
            return bad("unknown option " + std::string(arg));
        }
    }
    if (files.size() != 2) return bad("expected two files, COEFFICIENTS and X_VALUES");
    if (files[0] == "-" && files[1] == "-") return bad("standard input can feed only one of the two lists");
    options.coefficients = std::move(files[0]);
    options.xValues = std::move(files[1]);
    return {};
}

// Fills the pane from a file, or from standard input for "-", exactly as a
// pane's load does.
void LoadList(quill::ByteLineList& pane, const std::string& path) {
    if (path == "-") {
        quill::LoadFromDescriptor(pane, STDIN_FILENO, "Cannot read standard input");
    } else {
        quill::LoadFromFile(pane, path);
    }
}

int Run(const Options& options) {
    quill::ByteLineList an, x, result;
    LoadList(an, options.coefficients);
    LoadList(x, options.xValues);

    quill::ReportStyle style;
    style.decimalMark = options.decimalMark ? *options.decimalMark : quill::ReadLocaleDecimalMark();
    style.hexNumbers = options.hex;

    quill::Evaluator evaluator;
    evaluator.Solve(an, x, result, /*autoClear=*/true, style);
    // The inputs and arrays are done with; give their memory back before the
    // report is written out.
    an = quill::ByteLineList();
    x = quill::ByteLineList();
    evaluator.Release();

    if (options.output && *options.output != "-") {
        quill::SaveToFile(result, *options.output);
    } else if (!quill::WriteAll(STDOUT_FILENO, result.text())) {
        throw quill::FileError("Cannot write standard output");
    }
    return 0;
}

int ShowError(std::string_view message) {
    const std::string text = quill::ErrorBoxText(message);
    if (!text.empty()) quill::WriteAll(STDERR_FILENO, text + "\n");
    return kExitError;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Options options;
        const ParseResult parsed = ParseArguments(argc, argv, options);
        switch (parsed.what) {
            case Parsed::help:
                return quill::WriteAll(STDOUT_FILENO, kUsage) ? 0 : kExitError;
            case Parsed::version:
                return quill::WriteAll(STDOUT_FILENO, "quillometer-cli " QUILL_VERSION "\n") ? 0 : kExitError;
            case Parsed::bad:
                quill::WriteAll(STDERR_FILENO, "quillometer-cli: " + parsed.problem + "\n");
                quill::WriteAll(STDERR_FILENO, kUsage);
                return kExitUsage;
            case Parsed::run:
                break;
        }
        return Run(options);
    } catch (const quill::AbortError&) {
        return kExitError;
    } catch (const quill::Error& e) {
        return ShowError(e.message());
    } catch (const std::bad_alloc&) {
        return ShowError("Out of memory");
    } catch (const std::exception& e) {
        return ShowError(e.what());
    } catch (...) {
        return ShowError("");
    }
}
