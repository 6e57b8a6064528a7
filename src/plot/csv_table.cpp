#include "plot/csv_table.h"

#include <algorithm>

#include "engine/report_format.h"

namespace quill::plot {

std::string csvTable(const std::vector<double>& x, const std::vector<double>& fx) {
    const ReportStyle numbers = csvNumbers({});
    const std::size_t rows = std::min(x.size(), fx.size());
    std::string text(kCsvHeader.size() + rows * kCsvRow, '\0');
    char* out = std::copy(kCsvHeader.begin(), kCsvHeader.end(), text.data());
    char xText[kNumber];
    for (std::size_t i = 0; i < rows; ++i)
        out = putCsvRow(out, std::string_view(xText, numberText(x[i], numbers, xText)), fx[i], numbers);
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

}  // namespace quill::plot
