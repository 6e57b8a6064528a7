// What a screen reader gets from the main window, asked through Qt's
// accessibility interfaces as a reader would: names and roles of the
// controls and menu entries, the panes named by their labels, and the panes'
// text, caret and lines.

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "ui/main_window.h"
#include "ui_test_support.h"

using quill::TFrmMain;

using namespace quill::test;

namespace {

QAccessibleInterface* Accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasItsNameAndRole() {
        TFrmMain w(quill::test::App());
        const struct {
            QObject* control;
            QAccessible::Role role;
            const char* name;
        } rows[] = {
            {Pane(w, "MemoAN"), QAccessible::EditableText, "a(0)~a(n)"},
            {Pane(w, "MemoX"), QAccessible::EditableText, "X"},
            {Pane(w, "MemoFx"), QAccessible::EditableText, "F(x)"},
            {Button(w, "BtnLoadX"), QAccessible::Button, "装入Load"},
            {Button(w, "BtnSolve"), QAccessible::Button, "计算 Solve"},
            {Child<QCheckBox>(w, "ChkAutoClear"), QAccessible::CheckBox, "显示前清空Auto Clear"},
            {Label(w, "Label1"), QAccessible::StaticText, "Question:a(n)*x^n+...a(1)*x+a(0)=F(x)"},
            {Label(w, "StatusPanel0"), QAccessible::StaticText, "就绪"},
        };
        for (const auto& row : rows) {
            QAccessibleInterface* a = Accessible(row.control);
            QVERIFY(a && a->isValid());
            QCOMPARE(a->role(), row.role);
            QCOMPARE(a->text(QAccessible::Name), QString::fromUtf8(row.name));
        }
        const struct {
            QLabel* label;
            QWidget* pane;
        } buddies[] = {{Label(w, "Label2"), Pane(w, "MemoAN")}, {Label(w, "Label3"), Pane(w, "MemoX")}, {Label(w, "Label4"), Pane(w, "MemoFx")}};
        for (const auto& b : buddies) {
            QCOMPARE(b.label->buddy(), b.pane);
            QVERIFY(!Accessible(b.pane)->text(QAccessible::Description).isEmpty());
        }

        // Menu entries speak their captions without the '&'.
        QStringList entries;
        for (QMenu* menu : {Menu(w, "MnuFile"), Menu(w, "MnuSet"), Menu(w, "MnuHelp")}) {
            QAccessibleInterface* m = Accessible(menu);
            for (int i = 0; i < m->childCount(); ++i) {
                if (m->child(i)->role() == QAccessible::MenuItem) entries << m->child(i)->text(QAccessible::Name);
            }
        }
        QCOMPARE(entries, (QStringList{"退出本软件Exit", "中文界面Chinese", "英文界面English", "帮助主题Content",
                                       "访问本软件网站Web", "手机访问本软件网站Phone", "关于本软件About"}));
        Entry(w, "MnuEnglish")->trigger();
        QCOMPARE(Accessible(Button(w, "BtnSolve"))->text(QAccessible::Name), QStringLiteral("Solve"));
        QCOMPARE(Accessible(Pane(w, "MemoX"))->text(QAccessible::Name), QStringLiteral("X"));
    }

    // Offsets count UTF-16 units over the rows joined by one line feed; a
    // character outside the BMP takes two.
    void aPaneIsReadAsEditableText() {
        TFrmMain w(quill::test::App());
        Pane(w, "MemoAN")->Lines().setFileBytes("12 34\r\n系数\r\n\xF0\x9F\x98\x80x\r\nlast");
        QAccessibleInterface* a = Accessible(Pane(w, "MemoAN"));
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
            {{1, 3}, 7, "系数"},          // after the first Chinese character (3 bytes)
            {{2, 4}, 11, "\xF0\x9F\x98\x80x"},  // after the emoji: two units
            {{3, 4}, 17, "last"},
        };
        for (const auto& c : carets) {
            Pane(w, "MemoAN")->setCaret(c.caret);
            QCOMPARE(text->cursorPosition(), c.offset);
            QCOMPARE(a->text(QAccessible::Value), QString::fromUtf8(c.line));
            Pane(w, "MemoAN")->setCaret({});
            text->setCursorPosition(c.offset);
            QCOMPARE(Pane(w, "MemoAN")->caret(), c.caret);
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
        QCOMPARE(QString::fromStdString(Pane(w, "MemoAN")->selectedText()), QStringLiteral("34\r\n系数"));
    }
};

QUILL_UI_TEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
