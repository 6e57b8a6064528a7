#pragma once
// The plot page: the report's points (x, F(x)) as markers and the polynomial
// as a curve across the view. The wheel zooms, dragging pans, Fit shows
// everything again, Log y switches the y axis to a symmetric logarithm,
// Export writes the plot as PNG or SVG, or its points as CSV. All the numbers
// it works out come from plot::PlotModel; this class only draws them and takes
// the input. After the analysis of the Solve (solve/analysis_outcome.h)
// it marks the real roots and the turning points on the curve and draws the
// points with fewer than 10 correct digits in a warning colour; hovering a
// mark, or stepping to it with Left and Right on the plot, shows its values.
// List opens the list of the marks (PointListDialog). The y entry draws the
// line y = c and marks and lists its crossings with the curve, each x the
// double nearest to the exact root of F(x) - c (analysis/inverse.h), worked
// out off the window's thread. After a fit (showFit) the points are the
// measured ones, each with its residual in its tooltip. Its controls are
// found by object name: PlotArea, BtnFit, ChkLogY, EdtLevel, LblSearching,
// BtnExport, BtnPointList.

#include <QColor>
#include <QSharedPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/inverse.h"
#include "plot/plot_model.h"
#include "solve/analysis_outcome.h"
#include "ui/shared/command_guard.h"

class QCheckBox;
class QCPGraph;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quill {

class PlotTicker;
class PointListDialog;
class WindowTask;

namespace plot_page {
// The warning colour of report points with few correct digits.
inline const QColor kWarningColour(235, 130, 0);
}  // namespace plot_page

class PlotPage : public QWidget {
    Q_OBJECT

public:
    // Asks for the name to export to. Gets the name confirmed last time in
    // this run (empty at first) and gives back the chosen one, or an empty
    // string for Cancel. The default is a save dialog offering PNG, SVG and CSV.
    using SaveNameChooser = std::function<QString(QWidget* parent, const QString& lastName)>;

    // Errors of the page's commands go to errors.
    explicit PlotPage(ErrorRoute& errors, QWidget* parent = nullptr);
    ~PlotPage() override;

    // The lists of a successful Solve: coefficients (a(0) first), the x
    // values and F at each of them. Fits the view to them.
    void showSolve(const std::vector<double>& coefficients, const std::vector<double>& x,
                   const std::vector<double>& fx);
    // The same with the model already given the lists (on another thread,
    // for a long Solve) in the scale yScale() had then.
    void showSolve(plot::PlotModel model);
    plot::YScale yScale() const { return model_.yScale(); }
    // The size the page draws its frames at now: a model made elsewhere
    // prepares its fitting frame for it (PlotModel::prepareFitFrame).
    plot::FrameSize frameSize() const;
    // The byte between integer and fraction digits in ticks and coordinates.
    void setDecimalMark(char mark);
    // Captions bilingual (Chinese, then English) or English only.
    void setEnglish(bool english);
    void setSaveNameChooser(SaveNameChooser chooser);
    // What screen readers call the plot (the page's tab caption).
    void setPlotName(const QString& name);

    // Writes the plot at its size on screen: SVG when the name ends in .svg,
    // the points as a table when it ends in .csv (plot::csvTable), PNG
    // otherwise. Raises FileError "Cannot create file <path>" or "Failed to
    // Save Stream"; an existing file is then left as it was.
    void exportTo(const QString& path);

    // What the analysis of the Solve on show found; a new Solve, or
    // clearAnalysis, takes it away.
    void showAnalysis(const AnalysisOutcome& analysis);
    void clearAnalysis();

    // A least-squares fit: the model holds the fitted coefficients and the
    // measured points (x, y), drawn with the curve; a point's tooltip gives
    // its residual y - F(x), F as the Solve evaluates it. The next Solve
    // takes them away.
    void showFit(plot::PlotModel model);
    // The line y = level and its crossings with the curve, as the y entry
    // sets them; none: no line. The crossings are searched for off the
    // window's thread, again for each new curve; a constant F has none.
    void setLevel(std::optional<double> level);
    // The search for crossings is under way.
    bool searchingCrossings() const;

signals:
    // "x=<x>  y=<y>" under the mouse, in the report's number text; empty when
    // the mouse leaves the plot.
    void coordinatesChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class PlotPageProbe;  // the tests' view of what is on show

    // The text of every mark, ascending in x: what hovering it or stepping
    // to it shows.
    QStringList markTexts() const;
    // The text of a report point with few correct digits near the place, in
    // view units, or an empty text.
    QString fewDigitsTextAt(double u, double v) const;
    // Steps the marked place by step marks (Left: -1, Right: +1), shows it
    // and its values.
    void stepMark(int step);
    // Saves a list's CSV table, asking for the name as Export does.
    void exportPointList(const std::string& table);
    plot::ViewRect currentView() const;

    // The commands behind the controls; each runs guarded when clicked.
    void fitView();
    void applyYScale();  // Log y
    void exportPlot();

    void setView(const plot::ViewRect& view);
    // Works out markers, curve and ticks for the view the widget is about to
    // draw, unless they are still those of the last frame.
    void updateFrame();
    void showCoordinates(const QPoint& position);
    void applyCaptions();
    // A mark's place in view units, and its text in the report's numbers.
    enum class MarkKind { root, turning, crossing };
    struct Mark {
        double x = 0.0, y = 0.0;
        MarkKind mark = MarkKind::root;
        int multiplicity = 0;  // a root's or a crossing's
        TurningKind kind = TurningKind::flat;
    };
    QPointF markPlace(const Mark& mark) const;
    QString markText(const Mark& mark) const;
    QString fewDigitsText(const FewDigitsPoint& point) const;
    // The text of the mark, or else the point with few correct digits, under
    // the mouse at position (u, v in view units); empty for none.
    QString markTextAt(const QPoint& position, double u, double v) const;
    // Hands the marks in the view to their graphs (columns: the frame's
    // width in pixels, for thinning the points with few correct digits).
    void drawMarks(const plot::ViewRect& view, int columns);
    void selectMark(int index);
    void showPointList();
    // The marks of the analysis and the crossings, ascending in x.
    void gatherMarks();
    // The y entry (plot_page_level.cpp): reads it and sets the level.
    void applyLevelEntry();
    // Searches for the crossings of the level with the curve on show; a
    // failure goes to the error route when announced (the entry's command).
    void findCrossings(bool announce);
    void showCrossings(std::vector<InverseRoot> crossings);
    // The residual tooltip of a measured point near the place, or empty.
    QString residualTextAt(double u, double v) const;

    QCustomPlot* plot_ = nullptr;
    QCPGraph* curveGraph_ = nullptr;
    QCPGraph* pointGraph_ = nullptr;
    QSharedPointer<PlotTicker> xTicker_, yTicker_;
    QPushButton* fitButton_ = nullptr;
    QCheckBox* logYCheck_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* listButton_ = nullptr;
    QLabel* levelLabel_ = nullptr;
    QLineEdit* levelEdit_ = nullptr;
    QLabel* searchingLabel_ = nullptr;
    QCPGraph* levelGraph_ = nullptr;
    QCPGraph* crossingGraph_ = nullptr;
    WindowTask* crossingTask_ = nullptr;
    PointListDialog* pointList_ = nullptr;
    QCPGraph* rootGraph_ = nullptr;
    QCPGraph* turningGraph_ = nullptr;
    QCPGraph* fewDigitsGraph_ = nullptr;
    QCPGraph* selectedGraph_ = nullptr;
    ErrorRoute& errors_;

    plot::PlotModel model_;
    plot::PlotFrame frame_;
    bool frameStale_ = true;
    plot::FrameSize frameSize_{0};  // of frame_
    char decimalMark_ = '.';
    bool english_ = false;
    SaveNameChooser chooseSaveName_;
    QString lastExportName_;

    std::vector<Mark> analysisMarks_;
    std::optional<double> level_;
    std::vector<InverseRoot> crossings_;  // of level_ with the curve on show
    bool fitShown_ = false;               // the points are measured ones
    std::vector<Mark> marks_;             // ascending in x
    int selectedMark_ = -1;
    std::vector<FewDigitsPoint> fewDigits_;
    std::vector<std::size_t> fewDigitsShown_;  // of fewDigits_, in the frame
};

}  // namespace quill
