// What a screen reader gets from the main window, asked through Qt's
// accessibility interfaces as a reader would: names and roles of the
// controls (checked against the window's control table) and menu entries,
// the panes named by their labels, the panes' text, caret and lines, edits
// made through the interface, and the panes' context menu.

#include <QAccessible>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "ui/main_window/main_window.h"
#include "ui/main_window/main_window_controls.h"
#include "ui/panes/text_pane.h"
#include "ui_test_support.h"

using quill::MainWindow;

using namespace quill::test;

namespace {

QAccessibleInterface* accessibleOf(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    // Every control of the table speaks its caption in the language shown,
    // with its role; a pane is named by its label, which is its buddy, and
    // described as the table says.
    void everyControlHasItsNameAndRole() {
        using quill::ControlKind;
        MainWindow w(quill::test::testApp());
        const std::pair<ControlKind, QAccessible::Role> roles[] = {{ControlKind::pane, QAccessible::EditableText},
                                                                   {ControlKind::button, QAccessible::Button},
                                                                   {ControlKind::checkBox, QAccessible::CheckBox},
                                                                   {ControlKind::label, QAccessible::StaticText},
                                                                   {ControlKind::statusPanel, QAccessible::StaticText}};
        for (const bool english : {false, true}) {
            w.setLanguage(english);
            for (const quill::ControlSpec& spec : quill::mainWindowControls()) {
                const auto role = std::find_if(std::begin(roles), std::end(roles),
                                               [&spec](const auto& r) { return r.first == spec.kind; });
                if (role == std::end(roles) || !*spec.caption.bilingual) continue;
                QWidget* control = childNamed<QWidget>(w, spec.name);
                QAccessibleInterface* a = accessibleOf(control);
                QVERIFY2(a && a->isValid(), spec.name);
                QCOMPARE(a->role(), role->second);
                const bool pane = spec.kind == ControlKind::pane;
                const quill::ControlSpec& naming =
                    pane ? quill::mainWindowControls()[quill::indexOf(spec.namedBy)] : spec;
                QCOMPARE(a->text(QAccessible::Name), naming.caption.text(english).remove('&'));
                if (!pane) continue;
                QCOMPARE(labelNamed(w, naming.name)->buddy(), control);
                QCOMPARE(a->text(QAccessible::Description), spec.description.text(english));
            }
        }
        w.setLanguage(false);

        // Menu entries speak their captions without the '&'.
        QStringList entries, expected;
        for (const quill::ControlSpec& spec : quill::mainWindowControls())
            if (spec.kind == ControlKind::menuEntry || spec.kind == ControlKind::menuChoice)
                expected << spec.caption.text(false).remove('&');
        for (QMenu* menu : {menuNamed(w, "MnuFile"), menuNamed(w, "MnuSet"), menuNamed(w, "MnuHelp")}) {
            QAccessibleInterface* m = accessibleOf(menu);
            for (int i = 0; i < m->childCount(); ++i) {
                if (m->child(i)->role() == QAccessible::MenuItem) entries << m->child(i)->text(QAccessible::Name);
            }
        }
        QCOMPARE(entries, expected);
    }

    // Offsets count UTF-16 units over the rows joined by one line feed; a
    // character outside the BMP takes two.
    void aPaneIsReadAsEditableText() {
        MainWindow w(quill::test::testApp());
        paneNamed(w, "MemoAN")->lines().load({"12 34\r\n系数\r\n\xF0\x9F\x98\x80x\r\nlast"});
        QAccessibleInterface* a = accessibleOf(paneNamed(w, "MemoAN"));
        QAccessibleTextInterface* text = a->textInterface();
        QVERIFY(text);
        QVERIFY(a->state().editable && a->state().multiLine);
        const QString whole = QString::fromUtf8("12 34\n系数\n\xF0\x9F\x98\x80x\nlast");
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(0, text->characterCount()), whole);
        QCOMPARE(text->text(3, 8), QStringLiteral("34\n系数"));

        const struct {
            quill::TextPos caret;
            int offset;
            const char* line;
        } carets[] = {
            {{0, 0}, 0, "12 34"},
            {{1, 3}, 7, "系数"},                // after the first Chinese character (3 bytes)
            {{2, 4}, 11, "\xF0\x9F\x98\x80x"},  // after the emoji: two units
            {{3, 4}, 17, "last"},
        };
        for (const auto& c : carets) {
            paneNamed(w, "MemoAN")->setCaret(c.caret);
            QCOMPARE(text->cursorPosition(), c.offset);
            QCOMPARE(a->text(QAccessible::Value), QString::fromUtf8(c.line));
            paneNamed(w, "MemoAN")->setCaret({});
            text->setCursorPosition(c.offset);
            QCOMPARE(paneNamed(w, "MemoAN")->caret(), c.caret);
        }

        int start = -1, end = -1;
        QCOMPARE(text->textAtOffset(7, QAccessible::LineBoundary, &start, &end), QStringLiteral("系数\n"));
        QCOMPARE(std::pair(start, end), std::pair(6, 9));
        QCOMPARE(text->textBeforeOffset(7, QAccessible::LineBoundary, &start, &end), QStringLiteral("12 34\n"));
        QCOMPARE(std::pair(start, end), std::pair(0, 6));
        QCOMPARE(text->textAfterOffset(12, QAccessible::LineBoundary, &start, &end), QStringLiteral("last"));
        QCOMPARE(std::pair(start, end), std::pair(13, 17));
        QCOMPARE(text->textAtOffset(4, QAccessible::WordBoundary, &start, &end), QStringLiteral("34"));
        QCOMPARE(std::pair(start, end), std::pair(3, 5));
        QCOMPARE(text->textAtOffset(9, QAccessible::CharBoundary, &start, &end), QString::fromUtf8("\xF0\x9F\x98\x80"));
        QCOMPARE(std::pair(start, end), std::pair(9, 11));

        text->setSelection(0, 3, 8);
        text->selection(0, &start, &end);
        QCOMPARE(std::pair(start, end), std::pair(3, 8));
        QCOMPARE(QString::fromStdString(paneNamed(w, "MemoAN")->selectedText()), QStringLiteral("34\r\n系数"));
    }

    // Across blocks of rows: the count, the caret's offset and the line at an
    // offset, against the same text counted directly as a QString.
    void offsetsMatchTheTextCountedDirectly() {
        MainWindow w(quill::test::testApp());
        quill::TextPane* pane = paneNamed(w, "MemoX");
        QAccessibleTextInterface* text = accessibleOf(pane)->textInterface();
        const auto rows = [](int count, const std::string& row) {
            std::string made;
            for (int i = 0; i < count; ++i) made += std::to_string(i) + row + "\r\n";
            return made;
        };
        const struct {
            const char* what;
            std::string bytes;
            int step;  // every step-th offset is asked for
        } cases[] = {
            {"short rows, a pair", "\xF0\x9F\x98\x80\r\n\r\nx\xE5\xB0\xB1y", 1},
            {"pairs over many blocks", rows(9000, "\xF0\x9F\x98\x80") + "end", 211},
            {"wide rows over many blocks", rows(3000, std::string(40, 'z') + "\xE5\xB0\xB1"), 499},
        };
        for (const auto& c : cases) {
            pane->lines().load({c.bytes});
            const QString whole = QString::fromUtf8(c.bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            QCOMPARE(text->characterCount(), whole.size());
            for (int offset = 0; offset <= whole.size(); offset += c.step) {
                const int lineStart = offset == 0 ? 0 : whole.lastIndexOf('\n', offset - 1) + 1;
                const int lineEnd = whole.indexOf('\n', offset);
                const QString line = whole.mid(lineStart, lineEnd < 0 ? -1 : lineEnd + 1 - lineStart);
                int start = -1, end = -1;
                QCOMPARE(text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end), line);
                QCOMPARE(std::pair(start, end), std::pair(lineStart, lineStart + static_cast<int>(line.size())));
                // A place inside a pair is its character's start.
                text->setCursorPosition(offset);
                const bool insidePair = offset > 0 && whole.at(offset - 1).isHighSurrogate();
                QVERIFY2(text->cursorPosition() == offset - (insidePair ? 1 : 0), c.what);
            }
        }
    }

    // Each edit through the interface changes the text as asked and is one
    // step that the pane's Undo takes back.
    void aPaneIsEditedThroughTheInterface() {
        MainWindow w(quill::test::testApp());
        quill::TextPane* pane = paneNamed(w, "MemoAN");
        QAccessibleInterface* a = accessibleOf(pane);
        QAccessibleEditableTextInterface* edit = a->editableTextInterface();
        QVERIFY(edit);
        const std::string start = "12 34\r\n系数\r\n\xF0\x9F\x98\x80x";
        const struct {
            const char* what;
            std::function<void()> act;
            std::string after;
        } edits[] = {
            {"insert", [&] { edit->insertText(9, QStringLiteral("1\n2")); },
             "12 34\r\n系数\r\n1\r\n2\xF0\x9F\x98\x80x"},
            {"delete", [&] { edit->deleteText(2, 7); }, "12数\r\n\xF0\x9F\x98\x80x"},
            {"replace", [&] { edit->replaceText(9, 11, QStringLiteral("y")); }, "12 34\r\n系数\r\nyx"},
            {"whole text", [&] { a->setText(QAccessible::Value, QStringLiteral("5\r\n6")); }, "5\r\n6"},
        };
        for (const auto& e : edits) {
            pane->lines().load({start});
            e.act();
            QCOMPARE(quill::test::paneText(pane), e.after);
            pane->undo();
            QVERIFY2(quill::test::paneText(pane) == start, e.what);
        }
    }

    // The open context menu hangs under its pane, with every entry named,
    // and an entry works when a screen reader presses it.
    void theContextMenuIsReachable() {
        MainWindow w(quill::test::testApp());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const char* name : {"MemoAN", "MemoX"}) {
            quill::TextPane* pane = paneNamed(w, name);
            QAccessibleInterface* a = accessibleOf(pane);
            const int closed = a->childCount();
            QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5), pane->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(pane, &open);
            QVERIFY(pane->contextMenu() && pane->contextMenu()->isVisible());
            QCOMPARE(a->childCount(), closed + 1);
            QAccessibleInterface* menu = a->child(closed);
            QCOMPARE(menu->role(), QAccessible::PopupMenu);
            QCOMPARE(menu->parent(), a);
            QCOMPARE(a->indexOfChild(menu), closed);
            QStringList entries;
            QAccessibleInterface* selectAll = nullptr;
            for (int i = 0; i < menu->childCount(); ++i) {
                QAccessibleInterface* entry = menu->child(i);
                if (entry->role() != QAccessible::MenuItem) continue;
                entries << entry->text(QAccessible::Name);
                if (entries.back() == "Select All") selectAll = entry;
            }
            QStringList expected{"Undo", "Redo", "Cut", "Copy", "Paste", "Delete", "Select All"};
            if (QByteArray(name) == "MemoX") expected << QString::fromUtf8("等差数列填充Fill with a range…");
            if (QByteArray(name) == "MemoAN")
                expected << QString::fromUtf8("从公式填充 Fill from a formula…")
                         << QString::fromUtf8("拟合 Fit to points…");
            QCOMPARE(entries, expected);
            selectAll->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QTRY_VERIFY(!pane->contextMenu()->isVisible());
            QCOMPARE(pane->selectedText(), pane->lines().textBetween({}, pane->lines().end()));
            QCOMPARE(a->childCount(), closed);
        }
    }
};

QUILL_UI_TEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
