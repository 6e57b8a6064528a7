// The formula and fit dialogs: the exact expansion or the certified fit fills
// the coefficient pane as one step of its Undo, a bad formula or bad points
// keep the dialog open and say where, and only the coefficient pane's menu
// offers them.

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include "ui/main_window/main_window.h"
#include "ui/panes/fit_dialog.h"
#include "ui/panes/formula_dialog.h"
#include "ui/panes/text_pane.h"
#include "ui_test_support.h"

namespace quill {

class FormulaDialogTest : public QObject {
    Q_OBJECT

    // A pane holding 5, with nothing to undo.
    static void holdFive(TextPane& pane) {
        pane.lines().load({"5\r\n"});
        pane.lines().forgetHistory();
    }

    // After OK: the dialog closed and the pane filled as one step of its
    // Undo, or the dialog open with the problem and the pane untouched.
    static void checkOutcome(const QDialog& dialog, TextPane& pane, const QString& filled, const QString& problem) {
        QCOMPARE(dialog.isVisible(), !problem.isEmpty());
        QCOMPARE(test::labelNamed(dialog, "LblProblem")->text(), problem);
        QCOMPARE(test::paneText(&pane), problem.isEmpty() ? filled.toStdString() : std::string("5\r\n"));
        QCOMPARE(pane.lines().canUndo(), problem.isEmpty());
    }

private slots:
    void fill_data() {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("pane");     // afterwards; "" when refused
        QTest::addColumn<QString>("problem");  // "" when accepted
        QTest::newRow("exact, with the comma") << "(x - 0,1)^2"
                                               << "0,01\r\n-0,2\r\n1\r\n"
                                               << "";
        QTest::newRow("rounded once") << "(1 + 1e-17)^3x - x/3"
                                      << "0\r\n0,6666666666666667\r\n"
                                      << "";
        QTest::newRow("unclosed") << "(x+1"
                                  << ""
                                  << "formula:5: '(' at column 1 is not closed";
        QTest::newRow("by x") << "1/x"
                              << ""
                              << "formula:2: can divide only by a number, not by x";
    }

    void fill() {
        QFETCH(QString, formula);
        QFETCH(QString, pane);
        QFETCH(QString, problem);
        TextPane coefficients;
        holdFive(coefficients);
        FormulaDialog dialog(coefficients, {true, ','});
        dialog.show();
        test::childNamed<QLineEdit>(dialog, "EdtFormula")->setText(formula);
        test::buttonNamed(dialog, "BtnOk")->click();
        checkOutcome(dialog, coefficients, pane, problem);
        if (!problem.isEmpty()) return;
        coefficients.setFocus();
        QTest::keyClick(&coefficients, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(test::paneText(&coefficients), std::string("5\r\n"));
    }

    void fit_data() {
        QTest::addColumn<QString>("points");
        QTest::addColumn<int>("degree");
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QString>("problem");
        QTest::newRow("a line") << "x,y\n0,1\n1,3\n2,5\n"
                                << 1 << "1\r\n2\r\n"
                                << "";
        QTest::newRow("weights") << "0 1 1\n1 3 1\n2 9 0\n"
                                 << 1 << "1\r\n2\r\n"
                                 << "";
        QTest::newRow("bad point") << "0,1\n1,x\n"
                                   << 1 << ""
                                   << "2: 'x' is not a valid floating point value";
        QTest::newRow("too few") << "0,1\n1,2\n"
                                 << 2 << ""
                                 << "a fit of degree 2 needs at least 3 distinct x values, and there are 2";
    }

    void fit() {
        QFETCH(QString, points);
        QFETCH(int, degree);
        QFETCH(QString, pane);
        QFETCH(QString, problem);
        TextPane coefficients;
        holdFive(coefficients);
        FitDialog dialog(coefficients, {true, '.'});
        dialog.show();
        test::childNamed<QPlainTextEdit>(dialog, "EdtPoints")->setPlainText(points);
        test::childNamed<QSpinBox>(dialog, "SpnDegree")->setValue(degree);
        test::buttonNamed(dialog, "BtnOk")->click();
        checkOutcome(dialog, coefficients, pane, problem);
    }

    void onlyTheCoefficientPaneOffersTheFill() {
        MainWindow window(test::testApp());
        window.show();
        window.setLanguage(true);
        TextPane* const aPane = &window.paneFor(PaneRole::coefficients);
        for (TextPane* pane : {aPane, &window.paneFor(PaneRole::xValues), &window.paneFor(PaneRole::results)}) {
            QMenu menu;
            emit pane->contextMenuBuilt(&menu);
            QAction* entry = menu.findChild<QAction*>("MnuFillFormula");
            QCOMPARE(entry != nullptr, pane == aPane);
            QCOMPARE(menu.findChild<QAction*>("MnuFitPoints") != nullptr, pane == aPane);
            if (!entry) continue;
            QCOMPARE(entry->text(), QString("Fill from a formula…"));
            QTimer::singleShot(0, [] {
                auto* dialog = qobject_cast<FormulaDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                test::childNamed<QLineEdit>(*dialog, "EdtFormula")->setText("2x+1");
                test::buttonNamed(*dialog, "BtnOk")->click();
            });
            entry->trigger();
            QCOMPARE(test::paneText(aPane), std::string("1\r\n2\r\n"));
        }
    }
};

}  // namespace quill

QUILL_UI_TEST_MAIN(quill::FormulaDialogTest)
#include "formula_dialog_test.moc"
