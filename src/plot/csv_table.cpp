#include "plot/csv_table.h"

#include <algorithm>

#include "numtext/format.h"

namespace quill::plot {

std::string csvTable(const std::vector<double>& x, const std::vector<double>& fx) {
    static constexpr char kHeader[] = "x,F(x)\n";
    const std::size_t rows = std::min(x.size(), fx.size());
    std::string text(sizeof kHeader - 1 + rows * (2 * kMaxDoubleTextLength + 2), '\0');
    char* out = std::copy_n(kHeader, sizeof kHeader - 1, text.data());
    for (std::size_t i = 0; i < rows; ++i) {
        out += doubleToText(x[i], '.', out);
        *out++ = ',';
        out += doubleToText(fx[i], '.', out);
        *out++ = '\n';
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

}  // namespace quill::plot
