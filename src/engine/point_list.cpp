#include "engine/point_list.h"

#include <string>

#include "common/error.h"
#include "numtext/parse.h"

namespace quill {

namespace {

// The fields of a line: split at blanks and tabs, at ';', and at ',' unless
// the comma is the decimal mark.
std::vector<std::string_view> fieldsOf(std::string_view line, char mark) {
    std::vector<std::string_view> fields;
    auto separator = [&](char c) { return c == ' ' || c == '\t' || c == ';' || (c == ',' && mark != ','); };
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && !separator(line[i])) continue;
        if (i > start) fields.push_back(line.substr(start, i - start));
        start = i + 1;
    }
    return fields;
}

// Whether every field reads as a number: only the first line is asked, the
// others are read once, below.
bool allNumbers(const std::vector<std::string_view>& fields, char mark) {
    Ext80 value;
    for (const std::string_view field : fields)
        if (!tryTextToNumber(field, mark, value)) return false;
    return true;
}

template <class E>
[[noreturn]] void raiseAt(E error, int64_t line) {
    error.setLineIndex(line);
    throw error;
}

}  // namespace

PointColumns readPoints(std::string_view text, char decimalMark) {
    PointColumns points;
    int64_t line = -1;
    bool seenRow = false;  // a line that is not blank
    for (std::size_t from = 0; from < text.size();) {
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        std::string_view row = text.substr(from, end - from);
        from = end + 1;
        ++line;
        if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
        const std::vector<std::string_view> fields = fieldsOf(row, decimalMark);
        if (fields.empty()) continue;
        const bool first = !seenRow;
        seenRow = true;
        if (first && !allNumbers(fields, decimalMark)) continue;  // a header
        if (fields.size() < 2 || fields.size() > 3)
            raiseAt(ValueError("a point is x and y, and optionally a weight, but this line has " +
                               std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields")),
                    line);
        double v[3] = {0.0, 0.0, 1.0};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            try {
                v[i] = narrowToDouble(textToNumber(fields[i], decimalMark));
            } catch (ValueError& e) {
                e.setLineIndex(line);
                throw;
            }
        }
        if (fields.size() == 3 && points.w.size() != points.x.size()) points.w.resize(points.x.size(), 1.0);
        points.x.push_back(v[0]);
        points.y.push_back(v[1]);
        if (!points.w.empty() || fields.size() == 3) points.w.push_back(v[2]);
    }
    if (points.x.empty()) throw ValueError("no points");
    return points;
}

}  // namespace quill
