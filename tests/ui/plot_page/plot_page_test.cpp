// The plot page on the offscreen platform: export files, the commands,
// zoom, pan and coordinates, the odd Solves, and a million points timed.

#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <cfloat>
#include <cmath>

#include "engine/poly_kernel.h"
#include "plot_page_probe.h"
#include "qcustomplot.h"
#include "solve/background_analysis.h"
#include "ui/plot_page/plot_page.h"
#include "ui/plot_page/point_list_dialog.h"
#include "ui_test_support.h"

namespace quill {

class PlotPageTest : public QObject {
    Q_OBJECT

    struct Lists {
        std::vector<double> an, x, fx;
    };
    static Lists solved(std::vector<double> an, std::vector<double> x) {
        std::vector<double> fx;
        for (const double v : x) fx.push_back(evaluatePolynomial(an, v));
        return {std::move(an), std::move(x), std::move(fx)};
    }
    // The sample files' lists.
    static Lists sample() { return solved({1, -3, 0.5, 2}, {-2, -1, 0, 0.5, 1, 2.5, 10}); }

    static AnalysisOutcome analysed(const Lists& s) {
        BackgroundAnalysis run({s.an, s.x, s.fx}, nullptr);
        run.waitFor(std::chrono::seconds(60));
        return std::move(run.outcome());
    }
    QPoint pixelOf(double x, double y) const {
        return QPoint(qRound(plotArea()->xAxis->coordToPixel(PlotPageProbe::model(*page_).viewX(x))),
                      qRound(plotArea()->yAxis->coordToPixel(PlotPageProbe::model(*page_).viewY(y))));
    }

    static QByteArray readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void redraw() { plotArea()->replot(QCustomPlot::rpImmediateRefresh); }
    QPoint plotCentre() const { return plotArea()->axisRect()->rect().center(); }
    void turnWheel(int steps) {
        const QPointF at = plotCentre();
        QWheelEvent wheel(at, plotArea()->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(plotArea(), &wheel);
    }

    QCustomPlot* plotArea() const { return test::childNamed<QCustomPlot>(*page_, "PlotArea"); }
    QAbstractButton* buttonNamed(const char* name) const { return test::childNamed<QAbstractButton>(*page_, name); }

    std::unique_ptr<PlotPage> page_;
    QTemporaryDir dir_;

private slots:
    void init() {
        page_ = std::make_unique<PlotPage>(test::testApp());
        page_->resize(795, 415);  // the tab page inside the main window
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
        const Lists s = sample();
        page_->showSolve(s.an, s.x, s.fx);
        redraw();
    }
    void cleanup() { page_.reset(); }

    void exportWritesTheChosenFormatAtThePlotsSize() {
        const QSize size = plotArea()->size();
        page_->exportTo(dir_.filePath("plot.png"));
        const QImage png(dir_.filePath("plot.png"), "PNG");
        QCOMPARE(png.size(), size);
        // Not a blank picture: markers and curve are in it.
        QVERIFY(png.convertToFormat(QImage::Format_Indexed8).colorCount() > 8);

        page_->exportTo(dir_.filePath("plot.SVG"));
        const QByteArray svg = readAll(dir_.filePath("plot.SVG"));
        QVERIFY(svg.contains("<svg"));
        QVERIFY(svg.contains(QStringLiteral("viewBox=\"0 0 %1 %2\"").arg(size.width()).arg(size.height()).toUtf8()));
        for (const auto& tick : PlotPageProbe::frame(*page_).yTicks)
            QVERIFY(svg.contains(">" + tick.label + "</text>"));
        QVERIFY(svg.size() > 10000);

        page_->exportTo(dir_.filePath("points.csv"));
        const QByteArray csv = readAll(dir_.filePath("points.csv"));
        QVERIFY(csv.startsWith("x,F(x)\n-2,-7\n-1,2.5\n"));
        QCOMPARE(csv.count('\n'), 8);
    }

    void exportAsksForANameAndRemembersIt() {
        QStringList offered;
        QString answer = dir_.filePath("first");
        page_->setSaveNameChooser([&](QWidget*, const QString& last) {
            offered << last;
            return answer;
        });
        buttonNamed("BtnExport")->click();
        QVERIFY(QFile::exists(dir_.filePath("first.png")));  // no suffix: PNG
        answer = dir_.filePath("points.CSV");
        buttonNamed("BtnExport")->click();
        QVERIFY(readAll(answer).startsWith("x,F(x)\n"));
        answer = dir_.filePath("second.svg");
        buttonNamed("BtnExport")->click();
        answer.clear();  // Cancel: nothing written, the name kept
        buttonNamed("BtnExport")->click();
        QCOMPARE(offered, QStringList({QString(), dir_.filePath("first.png"), dir_.filePath("points.CSV"),
                                       dir_.filePath("second.svg")}));
        QCOMPARE(PlotPageProbe::lastExportName(*page_), dir_.filePath("second.svg"));
        QVERIFY(readAll(dir_.filePath("second.svg")).contains("<svg"));
    }

    void anExportThatCannotBeWrittenIsShownAndChangesNothing() {
        test::RecordingPresenter boxes;
        QFile blocker(dir_.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("keep") == 4);
        blocker.close();
        page_->setSaveNameChooser([&](QWidget*, const QString&) { return dir_.filePath("file/plot.png"); });
        buttonNamed("BtnExport")->click();
        QCOMPARE(boxes.boxes.size(), std::size_t(1));
        QCOMPARE(boxes.boxes[0].text, "Cannot create file " + dir_.filePath("file/plot.png") + '.');
        QCOMPARE(readAll(dir_.filePath("file")), QByteArray("keep"));
    }

    void wheelZoomsDragPansFitShowsEverything() {
        const plot::ViewRect fit = PlotPageProbe::currentView(*page_);
        turnWheel(2);
        redraw();
        const plot::ViewRect zoomed = PlotPageProbe::currentView(*page_);
        QVERIFY(zoomed.u1 - zoomed.u0 < 0.9 * (fit.u1 - fit.u0));
        QCOMPARE(PlotPageProbe::frame(*page_).view.u0, zoomed.u0);  // the frame followed
        QVERIFY(PlotPageProbe::frame(*page_).pointU.size() < 7);    // some points are out of view now

        QTest::mousePress(plotArea(), Qt::LeftButton, {}, plotCentre());
        QTest::mouseMove(plotArea(), plotCentre() + QPoint(100, 0));
        QTest::mouseRelease(plotArea(), Qt::LeftButton, {}, plotCentre() + QPoint(100, 0));
        redraw();
        QVERIFY(PlotPageProbe::currentView(*page_).u0 < zoomed.u0);  // dragged right: the view moved left
        QCOMPARE(PlotPageProbe::frame(*page_).view.u0, PlotPageProbe::currentView(*page_).u0);

        buttonNamed("BtnFit")->click();
        redraw();
        QCOMPARE(PlotPageProbe::currentView(*page_).u0, fit.u0);
        QCOMPARE(PlotPageProbe::currentView(*page_).v1, fit.v1);
        QCOMPARE(PlotPageProbe::frame(*page_).pointU.size(), std::size_t(7));
    }

    void logYShowsDecadesAndKeepsTheXView() {
        turnWheel(1);
        redraw();
        const plot::ViewRect before = PlotPageProbe::currentView(*page_);
        buttonNamed("ChkLogY")->click();
        redraw();
        QCOMPARE(PlotPageProbe::model(*page_).yScale(), plot::YScale::symlog);
        QCOMPARE(PlotPageProbe::currentView(*page_).u0, before.u0);
        QStringList labels;
        for (const auto& t : PlotPageProbe::frame(*page_).yTicks) labels << QString::fromStdString(t.label);
        QVERIFY2(labels.contains("0") && labels.contains("100") && labels.contains("-1"), qPrintable(labels.join(" ")));
        buttonNamed("ChkLogY")->click();
        QCOMPARE(PlotPageProbe::model(*page_).yScale(), plot::YScale::linear);
    }

    void coordinatesUnderTheMouseInTheReportsText() {
        QSignalSpy spy(page_.get(), &PlotPage::coordinatesChanged);
        page_->setDecimalMark(',');
        QTest::mouseMove(plotArea(), plotCentre());
        QVERIFY(!spy.isEmpty());
        const QString text = spy.last().at(0).toString();
        const double u = plotArea()->xAxis->pixelToCoord(plotCentre().x());
        const double v = plotArea()->yAxis->pixelToCoord(plotCentre().y());
        QCOMPARE(text, QString::fromStdString(PlotPageProbe::model(*page_).coordinateText(u, v, ',')));
        QVERIFY(text.startsWith("x=") && text.contains(',') && !text.contains('.'));
        QTest::mouseMove(plotArea(), QPoint(2, 2));  // over the margin, outside the axes
        QCOMPARE(spy.last().at(0).toString(), QString());
    }

    // The marks of x^3 - 3x ascending in x, in the report's numbers, reached
    // with Left and Right on the plot or by hovering; a new Solve clears them.
    void marksShowTheirValuesByKeyboardAndMouse() {
        const Lists s = solved({0, -3, 0, 1}, {-2, -1, 0, 0.5, 1, 2});
        page_->showSolve(s.an, s.x, s.fx);
        page_->setDecimalMark(',');
        page_->setEnglish(true);
        page_->showAnalysis(analysed(s));
        redraw();
        const QStringList expected{"Root: x=-1,73205080756888  multiplicity 1", "Turning point (max): x=-1  F(x)=2",
                                   "Root: x=0  multiplicity 1", "Turning point (min): x=1  F(x)=-2",
                                   "Root: x=1,73205080756888  multiplicity 1"};
        QCOMPARE(PlotPageProbe::markTexts(*page_), expected);
        QSignalSpy spy(page_.get(), &PlotPage::coordinatesChanged);
        plotArea()->setFocus();
        const std::pair<Qt::Key, int> steps[] = {
            {Qt::Key_Right, 0}, {Qt::Key_Right, 1}, {Qt::Key_Left, 0}, {Qt::Key_Left, 0}};
        for (const auto& [key, mark] : steps) {
            QTest::keyClick(plotArea(), key);
            QCOMPARE(spy.last().at(0).toString(), expected[mark]);
        }
        redraw();
        QTest::mouseMove(plotArea(), pixelOf(1, -2));
        QCOMPARE(spy.last().at(0).toString(), expected[3]);
        page_->showSolve(s.an, s.x, s.fx);
        QVERIFY(PlotPageProbe::markTexts(*page_).isEmpty());
    }

    // (1-x)^3 written out keeps 12 digits at 1.1 and 6 at 1.001: only the
    // latter is drawn in the warning colour, its count in its text.
    void fewDigitPointsInTheWarningColourWithTheirCount() {
        const Lists s = solved({1, -3, 3, -1}, {0, 1.001, 1.1, 2});
        page_->showSolve(s.an, s.x, s.fx);
        page_->setEnglish(true);
        page_->showAnalysis(analysed(s));
        redraw();
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            const QString text = PlotPageProbe::fewDigitsTextAt(*page_, PlotPageProbe::model(*page_).viewX(s.x[i]),
                                                                PlotPageProbe::model(*page_).viewY(s.fx[i]));
            const bool warned = s.x[i] == 1.001;
            QCOMPARE(text.endsWith("correct digits: 6"), warned);
            QCOMPARE(text.isEmpty(), !warned);
        }
        // The one graph in the warning colour holds that point alone.
        QCPGraph* warning = nullptr;
        for (int i = 0; i < plotArea()->graphCount(); ++i)
            if (plotArea()->graph(i)->scatterStyle().brush().color() == quill::plot_page::kWarningColour)
                warning = plotArea()->graph(i);
        QVERIFY(warning);
        QCOMPARE(warning->data()->size(), 1);
        QCOMPARE(warning->data()->begin()->key, PlotPageProbe::model(*page_).viewX(1.001));
    }

    // The list of x^2 + 1: two complex roots and a minimum; Copy and Export
    // CSV write the page on show, a failed save is shown as Export's.
    void theListCopiesAndExportsItsTables() {
        test::RecordingPresenter boxes;
        const Lists s = solved({1, 0, 1}, {-1, 1});
        page_->showSolve(s.an, s.x, s.fx);
        page_->showAnalysis(analysed(s));
        buttonNamed("BtnPointList")->click();
        PointListDialog& list = *PlotPageProbe::pointList(*page_);
        QVERIFY(list.isVisible());
        QCOMPARE(test::childNamed<QTableWidget>(list, "TblRoots")->rowCount(), 2);
        test::buttonNamed(list, "BtnCopyList")->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), "real,imaginary,multiplicity\n0,-1,1\n0,1,1\n");
        test::childNamed<QTabWidget>(list, "PointPages")->setCurrentIndex(1);
        QString answer = dir_.filePath("points");
        page_->setSaveNameChooser([&](QWidget*, const QString&) { return answer; });
        test::buttonNamed(list, "BtnExportList")->click();
        QCOMPARE(readAll(dir_.filePath("points.csv")), QByteArray("x,F(x),kind\n0,1,min\n"));
        answer = dir_.filePath("points.csv/list.csv");
        test::buttonNamed(list, "BtnExportList")->click();
        QCOMPARE(boxes.boxes.size(), std::size_t(1));
        QCOMPARE(boxes.boxes[0].text, "Cannot create file " + answer + '.');
        list.close();
    }

    void captionsBilingualOrEnglish() {
        for (const bool english : {false, true}) {
            page_->setEnglish(english);
            const QStringList captions{buttonNamed("BtnFit")->text(), buttonNamed("ChkLogY")->text(),
                                       buttonNamed("BtnExport")->text()};
            QCOMPARE(captions.join('|'),
                     english ? QStringLiteral("Fit|Log y|Export") : QStringLiteral("适合Fit|对数Log y|导出Export"));
        }
    }

    void oddSolvesStillDraw_data() {
        QTest::addColumn<std::vector<double>>("an");
        QTest::addColumn<std::vector<double>>("x");
        const double sub = std::ldexp(1.0, -1074);
        QTest::newRow("nothing") << std::vector<double>{} << std::vector<double>{};
        QTest::newRow("no coefficients") << std::vector<double>{} << std::vector<double>{1, 2};
        QTest::newRow("no x values") << std::vector<double>{1, 2} << std::vector<double>{};
        QTest::newRow("one x") << std::vector<double>{1, 2, 3} << std::vector<double>{4};
        QTest::newRow("all x equal") << std::vector<double>{0, 1} << std::vector<double>(500, -7.5);
        QTest::newRow("largest doubles") << std::vector<double>{0, 1} << std::vector<double>{-DBL_MAX, DBL_MAX};
        QTest::newRow("subnormals") << std::vector<double>{0, 1} << std::vector<double>{sub, 3 * sub};
        QTest::newRow("curve overflows") << std::vector<double>{0, 0, 0, 1e300} << std::vector<double>{-1e2, 1e2};
    }
    void oddSolvesStillDraw() {
        QFETCH(std::vector<double>, an);
        QFETCH(std::vector<double>, x);
        const Lists s = solved(an, x);
        for (const bool logY : {false, true}) {
            if (buttonNamed("ChkLogY")->isChecked() != logY) buttonNamed("ChkLogY")->click();
            page_->showSolve(s.an, s.x, s.fx);
            turnWheel(-3);  // zoom out past the data, where F overflows
            redraw();
            buttonNamed("BtnFit")->click();
            redraw();
            QCOMPARE(PlotPageProbe::frame(*page_).pointU.empty(), x.empty());
            QVERIFY(PlotPageProbe::frame(*page_).xTicks.size() >= 2 && PlotPageProbe::frame(*page_).yTicks.size() >= 2);
            page_->exportTo(dir_.filePath("odd.png"));
            QCOMPARE(QImage(dir_.filePath("odd.png")).size(), plotArea()->size());
        }
    }

    // Measured, not asserted: how long a million points take to appear, and
    // a zoom and a pan to redraw.
    void millionPointsTimed() {
        std::vector<double> x(1'000'000);
        for (std::size_t i = 0; i < x.size(); ++i) x[i] = -3.0 + 6e-6 * static_cast<double>(i * 7919 % x.size());
        const Lists s = solved({1, -3, 0.5, 2}, std::move(x));
        QElapsedTimer timer;
        timer.start();
        page_->showSolve(s.an, s.x, s.fx);
        redraw();
        const qint64 shown = timer.restart();
        turnWheel(1);
        redraw();
        const qint64 zoomed = timer.restart();
        QTest::mousePress(plotArea(), Qt::LeftButton, {}, plotCentre());
        QTest::mouseMove(plotArea(), plotCentre() + QPoint(40, 20));
        redraw();
        const qint64 panned = timer.elapsed();
        QTest::mouseRelease(plotArea(), Qt::LeftButton, {}, plotCentre() + QPoint(40, 20));
        qInfo("1,000,000 points: shown in %lld ms, zoom redrawn in %lld ms, pan redrawn in %lld ms; %zu markers drawn",
              shown, zoomed, panned, PlotPageProbe::frame(*page_).pointU.size());
        QVERIFY(PlotPageProbe::frame(*page_).pointU.size() <= 2 * static_cast<std::size_t>(plotArea()->width()));
    }
};

}  // namespace quill

QUILL_UI_TEST_MAIN(quill::PlotPageTest)
#include "plot_page_test.moc"
