#pragma once
// The three coefficient tasks once their arguments are read (formula.cpp).

#include <optional>
#include <string>
#include <vector>

#include "analysis/inverse.h"
#include "engine/report_format.h"
#include "formula.h"

namespace quill::cli {

struct FormulaTask {
    enum Kind { expand, fit, inverse } kind = expand;
    std::vector<std::string> operands;  // FORMULA | DEGREE POINTS | COEFFICIENTS Y_VALUES
    int degree = 0;                     // DEGREE, read
    ReportStyle style;
    bool statisticsInReport = false;  // --report
    std::optional<InverseInterval> interval;
    std::optional<std::string> output;
    unsigned threads = 0;
};

// Writes the task's result through io; raises quill::Error.
void runTask(const FormulaTask& task, const TaskIo& io);

}  // namespace quill::cli
