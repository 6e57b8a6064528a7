#include "plot/decimate.h"

#include <cstdint>
#include <utility>

namespace quill::plot {

void decimateByColumn(const double* u, const double* v, std::size_t count, const ViewRect& rect, std::size_t columns,
                      std::vector<double>& outU, std::vector<double>& outV) {
    outU.clear();
    outV.clear();
    if (columns == 0) columns = 1;
    constexpr std::size_t kNone = SIZE_MAX;
    std::vector<std::size_t> lowest(columns, kNone), highest(columns, kNone);

    const double width = rect.u1 - rect.u0;
    const double scale = width > 0.0 ? static_cast<double>(columns) / width : 0.0;
    const double lastColumn = static_cast<double>(columns - 1);
    for (std::size_t i = 0; i < count; ++i) {
        const double pu = u[i], pv = v[i];
        // Written so that NaN fails every test.
        if (!(pu >= rect.u0 && pu <= rect.u1 && pv >= rect.v0 && pv <= rect.v1)) continue;
        double c = (pu - rect.u0) * scale;
        if (!(c < lastColumn)) c = lastColumn;  // u1 itself and an infinite scale
        const auto column = static_cast<std::size_t>(c);
        std::size_t& lo = lowest[column];
        std::size_t& hi = highest[column];
        if (lo == kNone) {
            lo = hi = i;
        } else if (pv < v[lo]) {
            lo = i;
        } else if (pv > v[hi]) {
            hi = i;
        }
    }

    for (std::size_t column = 0; column < columns; ++column) {
        std::size_t a = lowest[column], b = highest[column];
        if (a == kNone) continue;
        if (u[b] < u[a]) std::swap(a, b);
        outU.push_back(u[a]);
        outV.push_back(v[a]);
        if (b != a) {
            outU.push_back(u[b]);
            outV.push_back(v[b]);
        }
    }
}

}  // namespace quill::plot
