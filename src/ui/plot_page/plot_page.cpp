#include "ui/plot_page/plot_page.h"

#include <QBuffer>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <utility>

#include "common/error.h"
#include "common/safe_file.h"
#include "numtext/format.h"
#include "plot/csv_table.h"
#include "plot_page_text.h"
#include "qcustomplot.h"
#include "ui/plot_page/point_list_dialog.h"
#include "ui/shared/dispose_aside.h"
#include "ui/shared/language.h"
#include "ui/shared/window_task.h"

namespace quill {

namespace plot_page {

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString numberLabel(double value, char decimalMark) { return latin1(doubleToText(value, decimalMark)); }

bool hasSuffix(const QString& name, const char* suffix) {
    return QFileInfo(name).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

void saveFile(const QString& path, const QByteArray& bytes) {
    const std::string target = QFile::encodeName(path).toStdString();
    std::string keptCopy;
    const SaveStatus status =
        saveFileSafely(target, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                       SpecialFiles::accept, &keptCopy);
    checkSaved(status, path.toStdString(), keptCopy);
}

}  // namespace plot_page

using namespace plot_page;

// Hands the axis the ticks and labels the model worked out for the frame
// being drawn, instead of the widget's own (which know neither view units
// nor the report's number text).
class PlotTicker : public QCPAxisTicker {
public:
    void setTicks(const std::vector<plot::AxisTick>& ticks) { ticks_ = ticks; }

    void generate(const QCPRange&, const QLocale&, QChar, int, QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override {
        ticks.clear();
        if (subTicks) subTicks->clear();
        if (tickLabels) tickLabels->clear();
        for (const plot::AxisTick& t : ticks_) {
            ticks.push_back(t.position);
            if (tickLabels) tickLabels->push_back(latin1(t.label));
        }
    }

private:
    std::vector<plot::AxisTick> ticks_;
};

namespace {

// Pixels per tick label, across and up.
constexpr int kPixelsPerXTick = 100;
constexpr int kPixelsPerYTick = 30;
constexpr int kLabelGap = 24;  // the least room between two x labels

QVector<double> toQVector(const std::vector<double>& values) { return QVector<double>(values.begin(), values.end()); }

// Every k-th tick, in step with the tick at zero when there is one.
std::vector<plot::AxisTick> everyKth(const std::vector<plot::AxisTick>& ticks, std::size_t k) {
    if (k <= 1) return ticks;
    std::size_t start = 0;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        if (ticks[i].position == 0.0) start = i % k;
    }
    std::vector<plot::AxisTick> kept;
    for (std::size_t i = start; i < ticks.size(); i += k) kept.push_back(ticks[i]);
    return kept;
}

// The formats Export writes, by file name suffix; the first is the default.
constexpr const char* kExportSuffixes[] = {"png", "svg", "csv"};

bool hasExportSuffix(const QString& name) {
    return std::any_of(std::begin(kExportSuffixes), std::end(kExportSuffixes),
                       [&](const char* suffix) { return hasSuffix(name, suffix); });
}

QString askForSaveName(QWidget* parent, const QString& lastName, bool english) {
    const QString filters[] = {QStringLiteral("PNG (*.png)"), QStringLiteral("SVG (*.svg)"),
                               QStringLiteral("CSV (*.csv)")};
    QString filter = filters[0];
    for (std::size_t i = 0; i < std::size(filters); ++i) {
        if (hasSuffix(lastName, kExportSuffixes[i])) filter = filters[i];
    }
    const QString offered = QStringList(std::begin(filters), std::end(filters)).join(QStringLiteral(";;"));
    QString name =
        QFileDialog::getSaveFileName(parent, captions::kPlotExport.text(english), lastName, offered, &filter);
    if (!name.isEmpty() && !hasExportSuffix(name)) {
        for (std::size_t i = 0; i < std::size(filters); ++i) {
            if (filter == filters[i]) name += QLatin1Char('.') + QLatin1String(kExportSuffixes[i]);
        }
    }
    return name;
}

}  // namespace

PlotPage::PlotPage(ErrorRoute& errors, QWidget* parent) : QWidget(parent), errors_(errors) {
    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QStringLiteral("PlotArea"));
    plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot_->axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
    plot_->axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
    plot_->xAxis->setLabel(QStringLiteral("x"));
    plot_->yAxis->setLabel(QStringLiteral("F(x)"));
    xTicker_.reset(new PlotTicker);
    yTicker_.reset(new PlotTicker);
    plot_->xAxis->setTicker(xTicker_);
    plot_->yAxis->setTicker(yTicker_);
    // The top and right axes only close the frame.
    for (QCPAxis* frameAxis : {plot_->xAxis2, plot_->yAxis2}) {
        frameAxis->setVisible(true);
        frameAxis->setTicks(false);
        frameAxis->setTickLabels(false);
    }
    plot_->xAxis->grid()->setZeroLinePen(QPen(QColor(140, 140, 140), 0, Qt::DashLine));
    plot_->yAxis->grid()->setZeroLinePen(QPen(QColor(140, 140, 140), 0, Qt::DashLine));

    curveGraph_ = plot_->addGraph();
    curveGraph_->setPen(QPen(QColor(30, 90, 200), 1.5));
    curveGraph_->setLineStyle(QCPGraph::lsLine);
    pointGraph_ = plot_->addGraph();
    pointGraph_->setLineStyle(QCPGraph::lsNone);
    pointGraph_->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(QColor(200, 40, 30), 1.5), QBrush(QColor(255, 255, 255)), 6));
    levelGraph_ = plot_->addGraph();
    levelGraph_->setPen(QPen(QColor(200, 120, 0), 1, Qt::DashDotLine));
    levelGraph_->setLineStyle(QCPGraph::lsLine);
    // Above the points: the warning colour, the roots, the turning points,
    // the crossings with the line y = c and the place reached with the keyboard.
    const std::pair<QCPGraph**, QCPScatterStyle> markGraphs[] = {
        {&fewDigitsGraph_,
         QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(kWarningColour, 1.5), QBrush(kWarningColour), 7)},
        {&rootGraph_,
         QCPScatterStyle(QCPScatterStyle::ssDiamond, QPen(QColor(0, 120, 60), 1.5), QBrush(QColor(0, 160, 80)), 10)},
        {&turningGraph_, QCPScatterStyle(QCPScatterStyle::ssTriangle, QPen(QColor(110, 40, 160), 1.5),
                                         QBrush(QColor(150, 80, 200)), 10)},
        {&crossingGraph_,
         QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(QColor(170, 90, 0), 1.5), QBrush(QColor(240, 160, 40)), 9)},
        {&selectedGraph_, QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(QColor(0, 0, 0), 2), Qt::NoBrush, 18)},
    };
    for (const auto& [graph, style] : markGraphs) {
        *graph = plot_->addGraph();
        (*graph)->setLineStyle(QCPGraph::lsNone);
        (*graph)->setScatterStyle(style);
    }
    plot_->setFocusPolicy(Qt::StrongFocus);

    fitButton_ = new QPushButton(this);
    fitButton_->setObjectName(QStringLiteral("BtnFit"));
    logYCheck_ = new QCheckBox(this);
    logYCheck_->setObjectName(QStringLiteral("ChkLogY"));
    exportButton_ = new QPushButton(this);
    exportButton_->setObjectName(QStringLiteral("BtnExport"));
    listButton_ = new QPushButton(this);
    listButton_->setObjectName(QStringLiteral("BtnPointList"));
    for (QPushButton* button : {fitButton_, exportButton_, listButton_}) button->setFixedSize(75, 25);
    levelEdit_ = new QLineEdit(this);
    levelEdit_->setObjectName(QStringLiteral("EdtLevel"));
    levelEdit_->setMaximumWidth(160);
    levelLabel_ = new QLabel(this);
    levelLabel_->setBuddy(levelEdit_);
    searchingLabel_ = new QLabel(this);
    searchingLabel_->setObjectName(QStringLiteral("LblSearching"));
    searchingLabel_->hide();
    crossingTask_ = new WindowTask(this);
    connect(crossingTask_, &WindowTask::busyChanged, searchingLabel_, &QWidget::setVisible);
    pointList_ = new PointListDialog(
        errors_, [this](const std::string& table) { exportPointList(table); }, this);
    pointList_->setWindowFlag(Qt::Window);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(fitButton_);
    buttons->addWidget(logYCheck_);
    buttons->addSpacing(12);
    buttons->addWidget(levelLabel_);
    buttons->addWidget(levelEdit_);
    buttons->addWidget(searchingLabel_);
    buttons->addStretch(1);
    buttons->addWidget(listButton_);
    buttons->addWidget(exportButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(plot_, 1);
    layout->addLayout(buttons);
    // Tab follows the controls as they stand, left to right.
    QWidget* const order[] = {plot_, fitButton_, logYCheck_, levelEdit_, listButton_, exportButton_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    applyCaptions();

    connectCommand(fitButton_, &QPushButton::clicked, this, errors_, [this] { fitView(); });
    connectCommand(logYCheck_, &QCheckBox::clicked, this, errors_, [this] { applyYScale(); });
    connectCommand(exportButton_, &QPushButton::clicked, this, errors_, [this] { exportPlot(); });
    connectCommand(listButton_, &QPushButton::clicked, this, errors_, [this] { showPointList(); });
    connectCommand(levelEdit_, &QLineEdit::returnPressed, this, errors_, [this] { applyLevelEntry(); });
    connect(pointList_, &PointListDialog::pointChosen, this, [this](double x, double y) {
        for (std::size_t i = 0; i < marks_.size(); ++i)
            if (marks_[i].x == x && marks_[i].y == y) runGuarded(errors_, [&] { selectMark(static_cast<int>(i)); });
    });
    // Zooming and panning change the axes; the frame follows just before each draw.
    connect(plot_, &QCustomPlot::beforeReplot, this, [this] { runGuarded(errors_, [this] { updateFrame(); }); });
    connect(plot_, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { runGuarded(errors_, [this, event] { showCoordinates(event->pos()); }); });
    plot_->installEventFilter(this);
    levelEdit_->installEventFilter(this);

    setView(model_.fitView());
}

PlotPage::~PlotPage() { crossingTask_->release(); }

void PlotPage::showSolve(const std::vector<double>& coefficients, const std::vector<double>& x,
                         const std::vector<double>& fx) {
    model_.setData(coefficients, x, fx);
    fitShown_ = false;
    clearAnalysis();
    setView(model_.fitView());
    findCrossings(false);
}

void PlotPage::showSolve(plot::PlotModel model) {
    // The scale chosen since the model was made wins.
    const plot::YScale scale = model_.yScale();
    disposeAside(std::exchange(model_, std::move(model)));
    if (model_.yScale() != scale) model_.setYScale(scale);
    fitShown_ = false;
    clearAnalysis();
    setView(model_.fitView());
    findCrossings(false);
}

void PlotPage::setDecimalMark(char mark) {
    if (mark == decimalMark_) return;
    decimalMark_ = mark;
    pointList_->setDecimalMark(mark);
    frameStale_ = true;
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void PlotPage::setEnglish(bool english) {
    english_ = english;
    applyCaptions();
}

void PlotPage::applyCaptions() {
    fitButton_->setText(captions::kPlotFit.text(english_));
    logYCheck_->setText(captions::kPlotLogY.text(english_));
    exportButton_->setText(captions::kPlotExport.text(english_));
    listButton_->setText(captions::analysis::kListButton.text(english_));
    listButton_->setAccessibleName(captions::analysis::kListTitle.text(english_));
    plot_->setAccessibleDescription(captions::analysis::kMarkKeys.text(english_));
    levelLabel_->setText(captions::analysis::kLevel.text(english_));
    levelEdit_->setAccessibleName(captions::analysis::kLevel.text(english_).remove(QLatin1Char('&')));
    searchingLabel_->setText(captions::analysis::kSearching.text(english_));
    pointList_->setEnglish(english_);
}

void PlotPage::setSaveNameChooser(SaveNameChooser chooser) { chooseSaveName_ = std::move(chooser); }

void PlotPage::setPlotName(const QString& name) { plot_->setAccessibleName(name); }

void PlotPage::fitView() { setView(model_.fitView()); }

void PlotPage::applyYScale() {
    model_.setYScale(logYCheck_->isChecked() ? plot::YScale::symlog : plot::YScale::linear);
    // The x view stays; y shows everything on the new scale.
    plot::ViewRect view = currentView();
    const plot::ViewRect fit = model_.fitView();
    view.v0 = fit.v0;
    view.v1 = fit.v1;
    setView(view);
}

void PlotPage::exportPlot() {
    QString name =
        chooseSaveName_ ? chooseSaveName_(this, lastExportName_) : askForSaveName(this, lastExportName_, english_);
    if (name.isEmpty()) return;  // Cancel
    if (!hasExportSuffix(name)) name += QStringLiteral(".png");
    lastExportName_ = name;
    exportTo(name);
}

void PlotPage::exportTo(const QString& path) {
    if (hasSuffix(path, "csv")) {
        const std::string table = plot::csvTable(model_.xValues(), model_.fxValues());
        saveFile(path, QByteArray::fromRawData(table.data(), static_cast<qsizetype>(table.size())));
        return;
    }
    const int width = plot_->width(), height = plot_->height();
    frameStale_ = true;  // the picture is drawn outside a replot: bring the frame up to date first
    updateFrame();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool drawn = false;
    if (hasSuffix(path, "svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(width, height));
        svg.setViewBox(QRect(0, 0, width, height));
        svg.setTitle(QStringLiteral("Quillometer"));
        QCPPainter painter;
        if (painter.begin(&svg)) {
            plot_->toPainter(&painter, width, height);
            drawn = painter.end();
        }
    } else {
        drawn = plot_->toPixmap(width, height).toImage().save(&buffer, "PNG");
    }
    // A picture that could not be drawn fails as a write does.
    if (!drawn || bytes.isEmpty()) checkSaved(SaveStatus::writeFailed, path.toStdString());
    saveFile(path, bytes);
}

plot::ViewRect PlotPage::currentView() const {
    const QCPRange x = plot_->xAxis->range(), y = plot_->yAxis->range();
    return plot::ViewRect{x.lower, x.upper, y.lower, y.upper};
}

void PlotPage::setView(const plot::ViewRect& view) {
    plot_->xAxis->setRange(view.u0, view.u1);
    plot_->yAxis->setRange(view.v0, view.v1);
    frameStale_ = true;
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

plot::FrameSize PlotPage::frameSize() const {
    const QRect area = plot_->axisRect()->rect();
    const int columns = std::max(area.width() > 0 ? area.width() : plot_->width(), 1);
    const int rows = std::max(area.height() > 0 ? area.height() : plot_->height(), 1);
    return {static_cast<std::size_t>(columns), decimalMark_, std::max(2, columns / kPixelsPerXTick),
            std::max(2, rows / kPixelsPerYTick)};
}

void PlotPage::updateFrame() {
    const plot::FrameSize size = frameSize();
    const plot::ViewRect view = currentView();
    const bool sameView = view.u0 == frame_.view.u0 && view.u1 == frame_.view.u1 && view.v0 == frame_.view.v0 &&
                          view.v1 == frame_.view.v1;
    if (!frameStale_ && sameView && size == frameSize_) return;

    frame_ = model_.frame(view, size);
    frameStale_ = false;
    frameSize_ = size;
    const int columns = static_cast<int>(size.columns);
    pointGraph_->setData(toQVector(frame_.pointU), toQVector(frame_.pointV), true);
    curveGraph_->setData(toQVector(frame_.curve.u), toQVector(frame_.curve.v), true);
    drawMarks(view, columns);
    // Long labels (15 digits and an exponent) need more room than the usual
    // spacing gives: fewer ticks then, so that no two labels overlap.
    const QFontMetrics metrics(plot_->xAxis->tickLabelFont());
    int widest = 0;
    for (const plot::AxisTick& t : frame_.xTicks) {
        widest = std::max(widest, metrics.horizontalAdvance(latin1(t.label)));
    }
    const std::size_t fitting = std::max(2, columns / (widest + kLabelGap));
    xTicker_->setTicks(everyKth(frame_.xTicks, (frame_.xTicks.size() + fitting - 1) / fitting));
    yTicker_->setTicks(frame_.yTicks);
}

void PlotPage::showCoordinates(const QPoint& position) {
    if (!plot_->axisRect()->rect().contains(position)) {
        emit coordinatesChanged(QString());
        return;
    }
    const double u = plot_->xAxis->pixelToCoord(position.x());
    const double v = plot_->yAxis->pixelToCoord(position.y());
    // Over a mark, or a point with few correct digits, its values.
    const QString text = markTextAt(position, u, v);
    if (text.isEmpty()) {
        QToolTip::hideText();
        emit coordinatesChanged(latin1(model_.coordinateText(u, v, decimalMark_)));
        return;
    }
    QToolTip::showText(plot_->mapToGlobal(position), text, plot_);
    emit coordinatesChanged(text);
}

bool PlotPage::eventFilter(QObject* watched, QEvent* event) {
    // Esc in the y entry gives up the search for crossings (before the
    // window's own Esc, which cancels a Solve).
    const bool escape = (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (watched == levelEdit_ && escape && crossingTask_->running()) {
        event->accept();
        if (event->type() == QEvent::KeyPress) crossingTask_->cancel();
        return true;
    }
    if (watched == plot_ && event->type() == QEvent::Leave) emit coordinatesChanged(QString());
    if (watched == plot_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            runGuarded(errors_, [this, key] { stepMark(key == Qt::Key_Right ? 1 : -1); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quill
