#pragma once
// The list of the plot's marks: the roots (real and complex) and the turning
// points of the Solve on show, and the crossings of the curve with the line
// y = c, each on a page of its own, in the report's number text. Copy puts the page's CSV table on the clipboard;
// Export CSV hands it to the plot page, which saves it. Choosing a real root or a turning point marks it on the plot.
// Its controls are found by object name: PointPages, TblRoots, TblTurningPoints, TblCrossings, BtnCopyList,
// BtnExportList, BtnCloseList.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "analysis/inverse.h"
#include "analysis/roots.h"
#include "analysis/turning_points.h"
#include "ui/shared/command_guard.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace quill {

class PointListDialog : public QDialog {
    Q_OBJECT

public:
    using CsvExport = std::function<void(const std::string& table)>;
    // Errors of Copy and Export go to errors; exportCsv saves a table.
    PointListDialog(ErrorRoute& errors, CsvExport exportCsv, QWidget* parent = nullptr);

    void setLists(const RootList& roots, const TurningPointList& points, char decimalMark);
    // The x with F(x) = level, ascending; none: the line is not drawn.
    void setCrossings(double level, std::vector<InverseRoot> crossings);
    void setDecimalMark(char decimalMark);
    void setEnglish(bool english);
    // The CSV table of the page on show (analysis/tables.h).
    std::string csvTable() const;

signals:
    // A real root (y = 0), a turning point or a crossing was chosen.
    void pointChosen(double x, double y);

private:
    void fillTables();
    void chooseRow(int page, int row);

    ErrorRoute& errors_;
    CsvExport exportCsv_;
    RootList roots_;
    TurningPointList points_;
    double level_ = 0.0;
    std::vector<InverseRoot> crossings_;
    char decimalMark_ = '.';
    bool english_ = false;
    QTabWidget* pages_ = nullptr;
    QTableWidget* rootTable_ = nullptr;
    QTableWidget* pointTable_ = nullptr;
    QTableWidget* crossingTable_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace quill
