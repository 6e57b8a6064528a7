// The pane widget: typing, keys, clipboard, mouse and input methods end in
// the right pane text; the program's own additions move the view; a drop
// is a step of Undo.

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QThreadPool>
#include <QVBoxLayout>
#include <memory>
#include <thread>

#include "ui/panes/pane_drop.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/dispose_aside.h"
#include "ui_test_support.h"

using quill::TextPane;
using quill::TextPos;
using quill::test::paneText;

class TextPaneTest : public QObject {
    Q_OBJECT

private:
    QWidget* window_ = nullptr;
    TextPane* pane_ = nullptr;
    TextPane* other_ = nullptr;

private slots:
    void init() {
        window_ = new QWidget;
        auto* layout = new QVBoxLayout(window_);
        pane_ = new TextPane(window_);
        other_ = new TextPane(window_);
        layout->addWidget(pane_);
        layout->addWidget(other_);
        window_->resize(300, 400);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        pane_->setFocus();
    }
    void cleanup() { delete window_; }

    void typedKeysMakeCrLfLines() {
        QTest::keyClicks(pane_, "1");
        QTest::keyClick(pane_, Qt::Key_Return);
        QTest::keyClicks(pane_, "2.5");
        QTest::keyClick(pane_, Qt::Key_Return, Qt::ShiftModifier);  // a break like any other
        QTest::keyClicks(pane_, "-3");
        QCOMPARE(paneText(pane_), std::string("1\r\n2.5\r\n-3"));
        QCOMPARE(pane_->lines().count(), 3);
        QCOMPARE(pane_->lines().line(1), std::string("2.5"));
    }

    void backspaceAndDeleteJoinLines() {
        pane_->lines().load({"12\r\n34"});
        pane_->setCaret({1, 0});
        QTest::keyClick(pane_, Qt::Key_Backspace);
        QCOMPARE(paneText(pane_), std::string("1234"));
        QCOMPARE(pane_->caret(), (TextPos{0, 2}));
        QTest::keyClick(pane_, Qt::Key_Return);
        QTest::keyClick(pane_, Qt::Key_Left);
        QTest::keyClick(pane_, Qt::Key_Delete);
        QCOMPARE(paneText(pane_), std::string("1234"));
    }

    void selectionIsReplacedByTyping() {
        pane_->lines().load({"abc\r\n就绪Ready"});
        pane_->setCaret({1, 0});
        QTest::keyClick(pane_, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(pane_->selectedText(), std::string("就绪Ready"));
        QTest::keyClicks(pane_, "7");
        QCOMPARE(paneText(pane_), std::string("abc\r\n7"));
        // Right with a selection lands on its end.
        pane_->setCaret({0, 0});
        pane_->setCaret({0, 2}, true);
        QTest::keyClick(pane_, Qt::Key_Right);
        QCOMPARE(pane_->caret(), (TextPos{0, 2}));
        QVERIFY(!pane_->hasSelection());
        // Up and down keep to the column.
        QTest::keyClick(pane_, Qt::Key_Down);
        QCOMPARE(pane_->caret(), (TextPos{1, 1}));
    }

    void pasteMakesEveryBreakALineBreak() {
        QGuiApplication::clipboard()->setText(QStringLiteral("a\r\nb\rc\nd") + QChar(0x2029) + QStringLiteral("e") +
                                              QChar(0) + QStringLiteral("f"));
        QTest::keyClick(pane_, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(paneText(pane_), std::string("a\r\nb\r\nc\r\nd\r\nef"));
        pane_->selectAll();
        QTest::keyClick(pane_, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\nb\nc\nd\nef"));
        QTest::keyClick(pane_, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(paneText(pane_), std::string());
    }

    void undoAndRedoKeys() {
        QTest::keyClicks(pane_, "123");
        QTest::keyClick(pane_, Qt::Key_Return);
        QTest::keyClick(pane_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(paneText(pane_), std::string("123"));
        QTest::keyClick(pane_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(paneText(pane_), std::string());
        QTest::keyClick(pane_, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(paneText(pane_), std::string("123"));
    }

    // A file dropped on the pane replaces its text as one step: Ctrl+Z
    // brings back what was typed.
    void aDropIsTakenBackByUndo() {
        QTemporaryDir folder;
        QFile file(folder.filePath("x.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("7\n8\n") == 4);
        file.close();
        quill::acceptFileDrops(*pane_, quill::test::testApp());
        QTest::keyClicks(pane_, "12");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file.fileName())});
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane_->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane_->viewport(), &drop);
        QTRY_COMPARE(paneText(pane_), std::string("7\r\n8\r\n"));
        QTest::keyClick(pane_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(paneText(pane_), std::string("12"));
    }

    void typingStopsAtTheCapacity() {
        pane_->lines().setCapacity(5);
        QTest::keyClicks(pane_, "1234567");
        QCOMPARE(paneText(pane_), std::string("12345"));
        QGuiApplication::clipboard()->setText(QStringLiteral("x"));
        pane_->setCaret({0, 0});
        QTest::keyClick(pane_, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(paneText(pane_), std::string("12345"));
    }

    void tabLeavesThePaneAndCtrlEnterIsNotThePanes() {
        QTest::keyClick(pane_, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), other_);
        QCOMPARE(paneText(pane_), std::string());

        const auto overridden = [this](int key, Qt::KeyboardModifiers modifiers, const QString& text) {
            QKeyEvent event(QEvent::ShortcutOverride, key, modifiers, text);
            event.ignore();
            QApplication::sendEvent(pane_, &event);
            return event.isAccepted();
        };
        QVERIFY(overridden(Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
        QVERIFY(overridden(Qt::Key_C, Qt::ControlModifier, QString()));
        QVERIFY(!overridden(Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\r")));
        QVERIFY(!overridden(Qt::Key_F, Qt::AltModifier, QStringLiteral("f")));
    }

    void mousePlacesCaretAndDoubleClickTakesAWord() {
        pane_->lines().load({"first\r\nF(2)=17 x"});
        const int row1 = pane_->rowHeight() + pane_->rowHeight() / 2;
        QTest::mouseClick(pane_->viewport(), Qt::LeftButton, {}, QPoint(1, row1));
        QCOMPARE(pane_->caret(), (TextPos{1, 0}));
        QTest::mouseClick(pane_->viewport(), Qt::LeftButton, {}, QPoint(1000, 1));
        QCOMPARE(pane_->caret(), (TextPos{0, 5}));
        QTest::mouseDClick(pane_->viewport(), Qt::LeftButton, {}, QPoint(3, row1));
        QCOMPARE(pane_->selectedText(), std::string("F"));
        QTest::keyClick(pane_, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(pane_->caret(), (TextPos{1, 2}));
    }

    void linesAddedByTheProgramShowAtTheEnd() {
        quill::LineBatch batch;
        for (int i = 0; i < 1000; ++i) batch.add("F(" + std::to_string(i) + ")=0");
        pane_->lines().addLines(batch);
        QCOMPARE(pane_->caret(), pane_->lines().end());
        QScrollBar* vertical = pane_->verticalScrollBar();
        QVERIFY(vertical->maximum() > 900);
        QCOMPARE(vertical->value(), vertical->maximum());
        QVERIFY(pane_->viewport()->rect().contains(pane_->caretRect()));

        // A new text starts at the top.
        pane_->lines().load({"1\r\n2"});
        QCOMPARE(vertical->value(), 0);
        QCOMPARE(pane_->caret(), (TextPos{0, 0}));
    }

    void aLongRowCanBeScrolledTo() {
        pane_->lines().load({std::string(2000, '9') + "\r\n1"});
        QScrollBar* horizontal = pane_->horizontalScrollBar();
        QVERIFY(horizontal->maximum() > 2000 * 5);
        QTest::keyClick(pane_, Qt::Key_End);
        QVERIFY(horizontal->value() > 0);
        QVERIFY(pane_->viewport()->rect().contains(pane_->caretRect()));
    }

    void inputMethodTextIsTyped() {
        QInputMethodEvent composing(QStringLiteral("jiu"), {});
        QApplication::sendEvent(pane_, &composing);
        QCOMPARE(paneText(pane_), std::string());
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("就绪"));
        QApplication::sendEvent(pane_, &commit);
        QCOMPARE(paneText(pane_), std::string("就绪"));
        QCOMPARE(pane_->inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);

        // Of a very long row the input method sees the stretch around the caret.
        pane_->lines().load({std::string(10'000'000, '9')});
        pane_->setCaret({0, 5'000'000});
        const QString around = pane_->inputMethodQuery(Qt::ImSurroundingText).toString();
        QVERIFY(around.size() <= 2048 && around.size() > 1000);
        QCOMPARE(pane_->inputMethodQuery(Qt::ImCursorPosition).toInt(), 1024);
    }

    // Large values (a cleared text, the last Solve's lists) are freed on
    // another thread.
    void largeValuesAreFreedAside() {
        struct Noted {
            explicit Noted(std::thread::id* where) : where(where) {}
            ~Noted() { *where = std::this_thread::get_id(); }
            std::thread::id* where;
        };
        std::thread::id freedOn;
        quill::disposeAside(std::make_unique<Noted>(&freedOn));
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(freedOn != std::thread::id() && freedOn != std::this_thread::get_id());
    }
};

QUILL_UI_TEST_MAIN(TextPaneTest)
#include "text_pane_test.moc"
