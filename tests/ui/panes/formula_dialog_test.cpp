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
#include <QTemporaryDir>
#include <QTimer>

#include "plot_page_probe.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/file_dialogs.h"
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
        QTRY_VERIFY(!dialog.working());
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
        QTRY_VERIFY(!dialog.working());
        checkOutcome(dialog, coefficients, pane, problem);
    }

    // Load reads a list file as a pane does (its encodings, its refusals);
    // a file too long for the entry is kept aside until points are typed.
    void loadPoints_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("entry");    // afterwards
        QTest::addColumn<QString>("problem");  // "%1": the file's path
        QTest::addColumn<QString>("pane");     // after OK at degree 1
        // clang-format off
        QTest::newRow("UTF-8, CR LF") << QByteArray("x,y\r\n0,1\r\n1,3\r\n") << "x,y\n0,1\n1,3\n" << "" << "1\r\n2\r\n";
        QTest::newRow("UTF-16 with its mark") << QByteArray("\xff\xfe" "0\0\t\0" "1\0\n\0" "2\0\t\0" "5\0\n\0", 18)
                                              << "0\t1\n2\t5\n" << "" << "1\r\n2\r\n";
        QTest::newRow("NUL byte") << QByteArray("0,1\n1,3\0\n", 9) << "" << "File %1 contains a NUL byte at line 2" << "5\r\n";
        QTest::newRow("missing") << QByteArray() << "" << "Cannot open file %1" << "5\r\n";
        // clang-format on
        QByteArray longFile;
        for (int i = 0; i < 30000; ++i) longFile += QByteArray::number(i) + ',' + QByteArray::number(2 * i + 1) + '\n';
        QTest::newRow("too long to show") << longFile << ""
                                          << ""
                                          << "1\r\n2\r\n";
    }
    void loadPoints() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, entry);
        QFETCH(QString, problem);
        QFETCH(QString, pane);
        QTemporaryDir dir;
        const QString path = dir.filePath("points.txt");
        if (!bytes.isEmpty()) test::writeBytes(path, bytes.toStdString());
        TextPane coefficients;
        holdFive(coefficients);
        FitDialog dialog(coefficients, {true, '.'});
        FileDialog open(FileDialog::Kind::open);
        open.setRunner([&](QWidget*, const FileDialogRequest&) { return FileDialogAnswer{true, path, 0}; });
        dialog.setOpenDialog(&open);
        dialog.show();
        auto* edit = test::childNamed<QPlainTextEdit>(dialog, "EdtPoints");
        test::buttonNamed(dialog, "BtnLoadPoints")->click();
        QTRY_VERIFY(!dialog.working());
        QCOMPARE(edit->toPlainText(), entry);
        QCOMPARE(test::labelNamed(dialog, "LblProblem")->text(), problem.arg(path));
        QCOMPARE(edit->placeholderText().contains("points.txt"), bytes.size() > 100000);
        test::buttonNamed(dialog, "BtnOk")->click();
        QTRY_VERIFY(!dialog.working());
        QCOMPARE(QString::fromStdString(test::paneText(&coefficients)), pane);
        if (bytes.size() < 100000) return;
        edit->setPlainText("0,5\n1,5\n");  // typed points take the file's place
        test::buttonNamed(dialog, "BtnOk")->click();
        QTRY_VERIFY(!dialog.working());
        QCOMPARE(test::paneText(&coefficients), std::string("5\r\n0\r\n"));
    }

    // A long fit lets the window answer with a busy bar; Cancel gives it up
    // and leaves the pane as it was.
    void aLongFitRunsAsideAndCancelLeavesThePane() {
        QTemporaryDir dir;
        std::string points;
        for (int i = 0; i < 400000; ++i) points += std::to_string(i) + ' ' + std::to_string(i % 97) + '\n';
        test::writeBytes(dir.filePath("many.txt"), points);
        TextPane coefficients;
        holdFive(coefficients);
        FitDialog dialog(coefficients, {true, '.'});
        dialog.show();
        dialog.loadPoints(dir.filePath("many.txt"));
        QTRY_VERIFY(!dialog.working());
        test::childNamed<QSpinBox>(dialog, "SpnDegree")->setValue(10);
        test::buttonNamed(dialog, "BtnOk")->click();
        if (!dialog.working()) QSKIP("the fit ended within the wait at its start");
        QVERIFY(test::childNamed<QWidget>(dialog, "PrbWorking")->isVisible());
        QVERIFY(!test::buttonNamed(dialog, "BtnOk")->isEnabled());
        test::buttonNamed(dialog, "BtnCancel")->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.working());
        QCOMPARE(test::paneText(&coefficients), std::string("5\r\n"));
    }

    // An expansion cannot stop half-way: Cancel closes the dialog at once
    // and what the expansion gives later is dropped.
    void aLongExpansionIsDroppedOnCancel() {
        TextPane coefficients;
        holdFive(coefficients);
        {
            FormulaDialog dialog(coefficients, {true, '.'});
            dialog.show();
            test::childNamed<QLineEdit>(dialog, "EdtFormula")->setText("(x+1.1)^6000");
            test::buttonNamed(dialog, "BtnOk")->click();
            if (!dialog.working()) QSKIP("the expansion ended within the wait at its start");
            QVERIFY(test::childNamed<QWidget>(dialog, "PrbWorking")->isVisible());
            test::buttonNamed(dialog, "BtnCancel")->click();
            QVERIFY(!dialog.isVisible());
        }
        QTest::qWait(1000);
        QCOMPARE(test::paneText(&coefficients), std::string("5\r\n"));
    }

    // Through the window's menu: the pane is filled and the plot shows the
    // measured points with the fitted curve.
    void aFitFromTheMenuIsPlotted() {
        MainWindow window(test::testApp());
        window.show();
        QMenu menu;
        emit window.paneFor(PaneRole::coefficients).contextMenuBuilt(&menu);
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<FitDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            test::childNamed<QPlainTextEdit>(*dialog, "EdtPoints")->setPlainText("0,1\n1,3.5\n2,5\n");
            test::buttonNamed(*dialog, "BtnOk")->click();
        });
        menu.findChild<QAction*>("MnuFitPoints")->trigger();
        QTRY_COMPARE(test::paneText(&window.paneFor(PaneRole::coefficients)),
                     std::string("1.1666666666666667\r\n2\r\n"));
        const PlotPage* plot = window.findChild<PlotPage*>();
        QCOMPARE(PlotPageProbe::model(*plot).fxValues(), (std::vector<double>{1, 3.5, 5}));
        QCOMPARE(PlotPageProbe::model(*plot).coefficients(), (std::vector<double>{7.0 / 6, 2}));
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
