#pragma once
// The command line's coefficient tasks: --expand (a formula), --fit (measured
// points) and --inverse (x back from F(x)). main.cpp hands over its reading
// and writing, so that a file is read and a report saved as for every task.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quill::cli {

// How main.cpp reads a list file ("-": standard input) and writes a report
// (to standard output, or saved as -o names it).
struct TaskIo {
    std::function<std::string(const std::string& path)> load;
    std::function<void(const std::function<void(const std::function<void(std::string_view)>&)>& produce,
                       const std::optional<std::string>& output)>
        write;
};

// The usage lines of the three tasks, for the help text.
inline constexpr std::string_view kFormulaUsage =
    "       quillometer-cli --expand FORMULA [options]\n"
    "       quillometer-cli --fit DEGREE POINTS [--report] [options]\n"
    "       quillometer-cli --inverse COEFFICIENTS Y_VALUES [--interval A,B] [options]\n"
    "Coefficients from a formula or from measured points, and x from F(x):\n"
    "  --expand FORMULA  the exact expansion of a formula such as (x-0.1)^3(2x+1),\n"
    "                    each coefficient rounded once, one per line, lowest\n"
    "                    power first, in the fewest digits that read back exactly\n"
    "  --fit DEGREE POINTS  the least-squares polynomial through the lines x,y (or\n"
    "                    x y, or tab; a header line; a third column is a weight),\n"
    "                    each coefficient the double nearest to the exact solution;\n"
    "                    the count, the largest and RMS residual and R^2 on\n"
    "                    standard error, or in the output with --report\n"
    "  --inverse COEFFICIENTS Y_VALUES  for every y, every real x with F(x) = y,\n"
    "                    each the double nearest to the exact root, with its\n"
    "                    multiplicity; --interval A,B keeps those in [A, B]\n";

// When argv names --expand, --fit or --inverse: parses the rest, runs the task
// and returns the exit status (2 and the usage for bad arguments); errors of
// the task itself are raised as quill::Error for main's handler. Otherwise
// nothing, and main goes on as ever.
std::optional<int> runFormulaTask(int argc, char** argv, const TaskIo& io);

}  // namespace quill::cli
