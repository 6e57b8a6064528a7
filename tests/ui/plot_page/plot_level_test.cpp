// The plot page's line y = c: its crossings with the curve marked, listed,
// copied and stepped through, worked out off the window's thread; and the
// measured points of a fit with their residuals.

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <cmath>

#include "engine/poly_kernel.h"
#include "plot_page_probe.h"
#include "qcustomplot.h"
#include "ui/plot_page/plot_page.h"
#include "ui/plot_page/point_list_dialog.h"
#include "ui_test_support.h"

namespace quill {

class PlotLevelTest : public QObject {
    Q_OBJECT

    void show(const std::vector<double>& an, std::vector<double> x = {-3, 3}) {
        std::vector<double> fx;
        for (const double v : x) fx.push_back(evaluatePolynomial(an, v));
        page_->showSolve(an, x, fx);
    }
    QLineEdit* levelEdit() const { return test::childNamed<QLineEdit>(*page_, "EdtLevel"); }
    void enterLevel(const QString& text) {
        levelEdit()->setText(text);
        levelEdit()->setFocus();
        QTest::keyClick(levelEdit(), Qt::Key_Return);
    }
    QString listCsv() {
        PointListDialog& list = *PlotPageProbe::pointList(*page_);
        test::childNamed<QTabWidget>(list, "PointPages")->setCurrentIndex(2);
        test::buttonNamed(list, "BtnCopyList")->click();
        return QGuiApplication::clipboard()->text();
    }

    std::unique_ptr<PlotPage> page_;

private slots:
    void init() {
        page_ = std::make_unique<PlotPage>(test::testApp());
        page_->resize(795, 415);
        page_->setEnglish(true);
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
    }
    void cleanup() { page_.reset(); }

    void crossingsOfAKnownPolynomial_data() {
        QTest::addColumn<std::vector<double>>("an");
        QTest::addColumn<QString>("level");
        QTest::addColumn<char>("mark");
        QTest::addColumn<std::vector<double>>("x");  // the crossings, each the double nearest to the exact root
        QTest::addColumn<QString>("csv");            // the list's crossings page, as Copy puts it
        QTest::addColumn<QString>("box");            // the error shown ("*": any); the crossings are then none
        QTest::addColumn<bool>("line");              // y = c is drawn
        using V = std::vector<double>;
        const QString header = "y,x,multiplicity\n";
        // clang-format off
        QTest::newRow("tangent and crossing") << V{0, -3, 0, 1} << "2" << '.' << V{-1, 2} << header + "2,-1,2\n2,2,1\n" << "" << true;
        QTest::newRow("irrational, nearest") << V{-2, 0, 1} << " 0 " << '.' << V{-std::sqrt(2.0), std::sqrt(2.0)}
                                             << header + "0,-1.4142135623731,1\n0,1.4142135623731,1\n" << "" << true;
        QTest::newRow("decimal comma") << V{0, 1} << "0,1" << ',' << V{0.1} << header + "0.1,0.1,1\n" << "" << true;
        QTest::newRow("no crossing") << V{1, 0, 1} << "-1" << '.' << V{} << header << "" << true;
        QTest::newRow("no line") << V{0, 1} << "" << '.' << V{} << header << "" << false;
        QTest::newRow("not a number") << V{0, 1} << "x" << '.' << V{} << header << "'x' is not a valid floating point value." << false;
        QTest::newRow("constant") << V{3} << "3" << '.' << V{} << header << "*" << true;
        // clang-format on
    }
    void crossingsOfAKnownPolynomial() {
        QFETCH(std::vector<double>, an);
        QFETCH(QString, level);
        QFETCH(char, mark);
        QFETCH(std::vector<double>, x);
        QFETCH(QString, csv);
        QFETCH(QString, box);
        QFETCH(bool, line);
        test::RecordingPresenter boxes;
        page_->setDecimalMark(mark);
        show(an);
        enterLevel(level);
        QTRY_VERIFY(!page_->searchingCrossings());
        std::vector<double> found;
        for (const InverseRoot& r : PlotPageProbe::crossings(*page_)) found.push_back(r.x);
        QCOMPARE(found, x);
        QCOMPARE(listCsv(), csv);
        QCOMPARE(boxes.boxes.size(), std::size_t(box.isEmpty() ? 0 : 1));
        if (box.size() > 1) QCOMPARE(boxes.boxes[0].text, box);
        // The line is drawn where there is a level, across the view.
        QCPGraph* levelGraph = PlotPageProbe::levelGraph(*page_);
        plotArea()->replot(QCustomPlot::rpImmediateRefresh);
        QCOMPARE(levelGraph->data()->size(), 2);
        QCOMPARE(!std::isnan(levelGraph->data()->begin()->value), line);
    }

    // The crossings join the marks that Left and Right step through, follow
    // a new curve, and go with the level.
    void crossingsAreMarksAndFollowTheCurve() {
        show({0, 1});
        enterLevel("2");
        QCOMPARE(PlotPageProbe::markTexts(*page_), QStringList{"Crossing: x=2  F(x)=2  multiplicity 1"});
        QSignalSpy spy(page_.get(), &PlotPage::coordinatesChanged);
        plotArea()->setFocus();
        QTest::keyClick(plotArea(), Qt::Key_Right);
        QCOMPARE(spy.last().at(0).toString(), QString("Crossing: x=2  F(x)=2  multiplicity 1"));
        show({0, 0, 1});
        QTRY_COMPARE(PlotPageProbe::crossings(*page_).size(), std::size_t(2));
        QCOMPARE(PlotPageProbe::crossings(*page_)[1].x, std::sqrt(2.0));
        page_->setLevel(std::nullopt);
        QVERIFY(PlotPageProbe::markTexts(*page_).isEmpty());
    }

    // A long search lets the window answer, says so, and Esc gives it up.
    void aLongSearchRunsAsideAndEscCancelsIt() {
        std::vector<double> an(4001);
        for (std::size_t i = 0; i < an.size(); ++i) an[i] = std::ldexp(static_cast<double>(i * 7919 % 1000) - 499, -9);
        show(an, {-1, 1});
        enterLevel("0.5");
        if (!page_->searchingCrossings()) QSKIP("the search ended within the wait at its start");
        QVERIFY(test::labelNamed(*page_, "LblSearching")->isVisible());
        QTest::keyClick(levelEdit(), Qt::Key_Escape);
        QVERIFY(!page_->searchingCrossings());
        QVERIFY(!test::labelNamed(*page_, "LblSearching")->isVisible());
        QVERIFY(PlotPageProbe::crossings(*page_).empty());
    }

    // Tab reaches the entry after Log y, Alt+Y jumps to it, and screen
    // readers call it by its caption.
    void theEntryIsReachedByKeyboardAndNamed() {
        QCOMPARE(test::childNamed<QWidget>(*page_, "ChkLogY")->nextInFocusChain(), levelEdit());
        page_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(page_.get()));
        plotArea()->setFocus();
        QTest::keyClick(page_.get(), Qt::Key_Y, Qt::AltModifier);
        QTRY_VERIFY(levelEdit()->hasFocus());
        for (const bool english : {false, true}) {
            page_->setEnglish(english);
            QCOMPARE(levelEdit()->accessibleName(), english ? QString("Line y =") : QString("水平线 Line y ="));
        }
    }

    // After a fit the points are the measured ones, each with y - F(x).
    void aFitShowsItsPointsWithResiduals() {
        const std::vector<double> x{0, 1, 2}, y{1, 3.25, 5}, an{1, 2};
        plot::PlotModel fit;
        fit.setData(an, x, y);
        page_->showFit(std::move(fit));
        plotArea()->replot(QCustomPlot::rpImmediateRefresh);
        QCOMPARE(PlotPageProbe::model(*page_).fxValues(), y);
        const QString expected[] = {"Point: x=0  y=1  residual=0", "Point: x=1  y=3.25  residual=0.25",
                                    "Point: x=2  y=5  residual=0"};
        for (std::size_t i = 0; i < x.size(); ++i) {
            const auto& model = PlotPageProbe::model(*page_);
            QCOMPARE(PlotPageProbe::residualTextAt(*page_, model.viewX(x[i]), model.viewY(y[i])), expected[i]);
        }
        show(an, x);  // a Solve: no residuals
        QCOMPARE(PlotPageProbe::residualTextAt(*page_, PlotPageProbe::model(*page_).viewX(1),
                                               PlotPageProbe::model(*page_).viewY(3)),
                 QString());
    }

private:
    QCustomPlot* plotArea() const { return test::childNamed<QCustomPlot>(*page_, "PlotArea"); }
};

}  // namespace quill

QUILL_UI_TEST_MAIN(quill::PlotLevelTest)
#include "plot_level_test.moc"
