#pragma once
// What the plot page's files share: the report's number text as Qt text,
// the export's file name rule and its safe save, and how near the mouse must
// come to a mark.

#include <QByteArray>
#include <QString>
#include <string>

namespace quill::plot_page {

// Number text is bytes: ASCII digits and the one-byte decimal mark.
QString latin1(const std::string& text);
QString numberLabel(double value, char decimalMark);
bool hasSuffix(const QString& name, const char* suffix);
// Saves safely beside the target; raises FileError as a list file's save does.
void saveFile(const QString& path, const QByteArray& bytes);

// How near the mouse must come to a mark, in pixels, for its values to show.
constexpr double kHoverPixels = 7.0;

}  // namespace quill::plot_page
