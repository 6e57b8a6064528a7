#include "ui/plot_page/point_list_dialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/tables.h"
#include "plot_page_text.h"
#include "ui/shared/language.h"

namespace quill {

namespace {

// A table of read-only cells, one row selected at a time, its columns named
// as the CSV table's.
QTableWidget* makeTable(const char* name, std::string_view csvHeader, QWidget* parent) {
    auto* table = new QTableWidget(parent);
    table->setObjectName(QLatin1String(name));
    const QStringList columns = QString::fromLatin1(csvHeader.data(), static_cast<qsizetype>(csvHeader.size()))
                                    .trimmed()
                                    .split(QLatin1Char(','));
    table->setColumnCount(static_cast<int>(columns.size()));
    table->setHorizontalHeaderLabels(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setVisible(false);
    return table;
}

void setRow(QTableWidget* table, int row, const QStringList& cells) {
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setToolTip(cells.join(QStringLiteral("  ")));
        table->setItem(row, column, item);
    }
}

}  // namespace

PointListDialog::PointListDialog(ErrorRoute& errors, CsvExport exportCsv, QWidget* parent)
    : QDialog(parent), errors_(errors), exportCsv_(std::move(exportCsv)) {
    setObjectName(QStringLiteral("FrmPointList"));
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PointPages"));
    rootTable_ = makeTable("TblRoots", kRootsCsvHeader, pages_);
    pointTable_ = makeTable("TblTurningPoints", kTurningPointsCsvHeader, pages_);
    crossingTable_ = makeTable("TblCrossings", kInverseCsvHeader, pages_);
    for (QTableWidget* table : {rootTable_, pointTable_, crossingTable_}) pages_->addTab(table, QString());
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("LblPointNote"));
    note_->hide();
    copyButton_ = new QPushButton(this);
    copyButton_->setObjectName(QStringLiteral("BtnCopyList"));
    exportButton_ = new QPushButton(this);
    exportButton_->setObjectName(QStringLiteral("BtnExportList"));
    closeButton_ = new QPushButton(this);
    closeButton_->setObjectName(QStringLiteral("BtnCloseList"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copyButton_);
    buttons->addWidget(exportButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    resize(460, 320);
    setEnglish(false);

    connectCommand(copyButton_, &QPushButton::clicked, this, errors_, [this] {
        const std::string table = csvTable();
        QGuiApplication::clipboard()->setText(QString::fromLatin1(table.data(), static_cast<qsizetype>(table.size())));
    });
    connectCommand(exportButton_, &QPushButton::clicked, this, errors_, [this] { exportCsv_(csvTable()); });
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    int page = 0;
    for (QTableWidget* table : {rootTable_, pointTable_, crossingTable_}) {
        connect(table, &QTableWidget::currentCellChanged, this, [this, page](int row) { chooseRow(page, row); });
        ++page;
    }
}

void PointListDialog::setLists(const RootList& roots, const TurningPointList& points, char decimalMark) {
    roots_ = roots;
    points_ = points;
    decimalMark_ = decimalMark;
    fillTables();
}

void PointListDialog::setCrossings(double level, std::vector<InverseRoot> crossings) {
    level_ = level;
    crossings_ = std::move(crossings);
    fillTables();
}

void PointListDialog::setDecimalMark(char decimalMark) {
    decimalMark_ = decimalMark;
    fillTables();
}

void PointListDialog::setEnglish(bool english) {
    english_ = english;
    setWindowTitle(captions::analysis::kListTitle.text(english));
    const Caption pageCaptions[] = {captions::analysis::kRootsPage, captions::analysis::kTurningPointsPage,
                                    captions::analysis::kCrossingsPage};
    for (int page = 0; page < 3; ++page) {
        pages_->setTabText(page, pageCaptions[page].text(english));
        pages_->widget(page)->setAccessibleName(pageCaptions[page].text(english));
    }
    pages_->setAccessibleName(captions::analysis::kListTitle.text(english));
    copyButton_->setText(captions::analysis::kCopy.text(english));
    exportButton_->setText(captions::analysis::kExportCsv.text(english));
    closeButton_->setText(captions::analysis::kClose.text(english));
    note_->setText(captions::analysis::kNoIsolatedRoots.text(english));
}

std::string PointListDialog::csvTable() const {
    const ReportStyle csv{'.', false, ReportLayout::csv};
    switch (pages_->currentIndex()) {
        case 0: return rootsTable({}, roots_, csv);
        case 1: return turningPointsTable({}, points_, csv);
        default: {
            std::string table(kInverseCsvHeader);
            if (!crossings_.empty()) appendInverseRows(table, level_, crossings_, csv);
            return table;
        }
    }
}

void PointListDialog::fillTables() {
    rootTable_->setRowCount(static_cast<int>(roots_.roots.size()));
    for (int row = 0; row < rootTable_->rowCount(); ++row) {
        const PolynomialRoot& r = roots_.roots[static_cast<std::size_t>(row)];
        setRow(rootTable_, row,
               {plot_page::numberLabel(r.re, decimalMark_), plot_page::numberLabel(r.im, decimalMark_),
                QString::number(r.multiplicity)});
    }
    pointTable_->setRowCount(static_cast<int>(points_.points.size()));
    for (int row = 0; row < pointTable_->rowCount(); ++row) {
        const TurningPoint& p = points_.points[static_cast<std::size_t>(row)];
        const std::string_view kind = turningKindName(p.kind);
        setRow(pointTable_, row,
               {plot_page::numberLabel(p.x, decimalMark_), plot_page::numberLabel(p.fx, decimalMark_),
                QString::fromLatin1(kind.data(), static_cast<qsizetype>(kind.size()))});
    }
    crossingTable_->setRowCount(static_cast<int>(crossings_.size()));
    for (int row = 0; row < crossingTable_->rowCount(); ++row) {
        const InverseRoot& r = crossings_[static_cast<std::size_t>(row)];
        setRow(crossingTable_, row,
               {plot_page::numberLabel(level_, decimalMark_), plot_page::numberLabel(r.x, decimalMark_),
                QString::number(r.multiplicity)});
    }
    note_->setVisible(roots_.zeroPolynomial);
}

void PointListDialog::chooseRow(int page, int row) {
    if (row < 0) return;
    const auto at = static_cast<std::size_t>(row);
    if (page == 0) {
        if (at < roots_.roots.size() && roots_.roots[at].im == 0.0) emit pointChosen(roots_.roots[at].re, 0.0);
    } else if (page == 1) {
        if (at < points_.points.size()) emit pointChosen(points_.points[at].x, points_.points[at].fx);
    } else if (at < crossings_.size()) {
        emit pointChosen(crossings_[at].x, level_);
    }
}

}  // namespace quill
