#pragma once
// The list of the plot's marks: the roots (real and complex) and the turning
// points of the Solve on show, each on a page of its own, in the report's
// number text. Copy puts the page's CSV table on the clipboard; Export CSV
// hands it to the plot page, which saves it. Choosing a real root or a
// turning point marks it on the plot. Its controls are found by object
// name: PointPages, TblRoots, TblTurningPoints, BtnCopyList, BtnExportList,
// BtnCloseList.

#include <QDialog>
#include <functional>
#include <string>

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
    void setDecimalMark(char decimalMark);
    void setEnglish(bool english);
    // The CSV table of the page on show (analysis/tables.h).
    std::string csvTable() const;

signals:
    // A real root (y = 0) or a turning point was chosen.
    void pointChosen(double x, double y);

private:
    void fillTables();
    void chooseRow(bool rootsPage, int row);

    ErrorRoute& errors_;
    CsvExport exportCsv_;
    RootList roots_;
    TurningPointList points_;
    char decimalMark_ = '.';
    bool english_ = false;
    QTabWidget* pages_ = nullptr;
    QTableWidget* rootTable_ = nullptr;
    QTableWidget* pointTable_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace quill
