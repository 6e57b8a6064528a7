// The range dialog: a fill is one step of the pane's Undo, bad entries keep
// the dialog open and say why, and only the x pane's menu offers it.

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "ui/main_window/main_window.h"
#include "ui/panes/range_dialog.h"
#include "ui/panes/text_pane.h"
#include "ui_test_support.h"

namespace quill {

class RangeDialogTest : public QObject {
    Q_OBJECT

    static void enterRange(RangeDialog& d, const char* from, const char* to, const char* count) {
        test::childNamed<QLineEdit>(d, "EdtFrom")->setText(QString::fromUtf8(from));
        test::childNamed<QLineEdit>(d, "EdtTo")->setText(QString::fromUtf8(to));
        test::childNamed<QLineEdit>(d, "EdtCount")->setText(QString::fromUtf8(count));
    }

private slots:
    void fillIsOneUndoableStep() {
        TextPane pane;
        pane.lines().load({"5\r\n6\r\n"});
        RangeDialog dialog(pane, {false, ','});
        dialog.show();
        enterRange(dialog, "-1", "1", "5");
        test::buttonNamed(dialog, "BtnOk")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(test::paneText(&pane), std::string("-1\r\n-0,5\r\n0\r\n0,5\r\n1\r\n"));
        pane.setFocus();
        QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(test::paneText(&pane), std::string("5\r\n6\r\n"));
    }

    void badEntryKeepsTheDialogOpen_data() {
        QTest::addColumn<QString>("entries");  // From|To|Count
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("message");
        QTest::newRow("from") << "1..2|1|2" << 100 << "EdtFrom"
                              << "From is not a valid number.";
        QTest::newRow("to") << "0|1e999|2" << 100 << "EdtTo"
                            << "To is beyond the range of a double.";
        QTest::newRow("count") << "0|1|10000001" << 100 << "EdtCount"
                               << "Count must be a whole number from 1 to 10000000.";
        QTest::newRow("one value") << "0|1|1" << 100 << "EdtTo"
                                   << "With a Count of 1, From and To must be equal.";
        QTest::newRow("over the capacity") << "0|1|11" << 30 << "EdtCount"
                                           << "The values do not fit into the pane.";
    }

    void badEntryKeepsTheDialogOpen() {
        QFETCH(QString, entries);
        QFETCH(int, capacity);
        QFETCH(QString, entry);
        QFETCH(QString, message);
        TextPane pane;
        pane.lines().load({"5\r\n"});
        pane.lines().forgetHistory();
        pane.lines().setCapacity(capacity);
        RangeDialog dialog(pane, {true, '.'});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        enterRange(dialog, "?", "1", "2");
        test::buttonNamed(dialog, "BtnOk")->click();  // a reason on From first, gone once From is right
        const QStringList parts = entries.split('|');
        enterRange(dialog, qPrintable(parts[0]), qPrintable(parts[1]), qPrintable(parts[2]));
        QTest::keyClick(test::childNamed<QLineEdit>(dialog, "EdtCount"), Qt::Key_Return);  // OK is the default button
        QVERIFY(dialog.isVisible());
        QCOMPARE(test::labelNamed(dialog, "LblProblem")->text(), message);
        QCOMPARE(dialog.focusWidget()->objectName(), entry);
        for (const char* name : {"EdtFrom", "EdtTo", "EdtCount"}) {
            const QLineEdit* e = test::childNamed<QLineEdit>(dialog, name);
            QCOMPARE(e->accessibleDescription(), e->objectName() == entry ? message : QString());
        }
        QCOMPARE(test::paneText(&pane), std::string("5\r\n"));
        QVERIFY(!pane.lines().canUndo());
    }

    void captionsNameTheEntries() {
        TextPane pane;
        for (const bool english : {false, true}) {
            RangeDialog dialog(pane, {english, '.'});
            QStringList shown;
            for (QLabel* label : dialog.findChildren<QLabel*>())
                if (label->buddy()) shown << label->text() + '>' + label->buddy()->accessibleName();
            QCOMPARE(shown, english ? QStringList({"&From>From", "&To>To", "&Count>Count"})
                                    : QStringList({"从&From>从From", "到&To>到To", "个数&Count>个数Count"}));
        }
    }

    void onlyTheXPaneOffersTheFill() {
        MainWindow window(test::testApp());
        window.show();
        window.setLanguage(true);  // after the show, which puts the stored language
        TextPane* const xPane = &window.paneFor(PaneRole::xValues);
        for (TextPane* pane : {&window.paneFor(PaneRole::coefficients), xPane, &window.paneFor(PaneRole::results)}) {
            QMenu menu;
            emit pane->contextMenuBuilt(&menu);
            QAction* entry = menu.findChild<QAction*>("MnuFillRange");
            QCOMPARE(entry != nullptr, pane == xPane);
            if (!entry) continue;
            QCOMPARE(entry->text(), RangeDialog::menuCaption(true));
            QTimer::singleShot(0, [] {
                auto* dialog = qobject_cast<RangeDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                enterRange(*dialog, "1", "2", "3");
                test::buttonNamed(*dialog, "BtnOk")->click();
            });
            entry->trigger();
            const std::string mid = std::string("1") + window.decimalMark() + "5";
            QCOMPARE(test::paneText(xPane), "1\r\n" + mid + "\r\n2\r\n");
        }
    }
};

}  // namespace quill

QUILL_UI_TEST_MAIN(quill::RangeDialogTest)
#include "range_dialog_test.moc"
