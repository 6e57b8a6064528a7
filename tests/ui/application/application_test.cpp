// The application object: the error box and its full-stop rule, errors of
// every kind stopped before the event loop, modal shows and their results,
// and the order of start-up and shutdown.

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <new>
#include <stdexcept>

#include "common/error.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/phone_dialog.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/text_pane.h"
#include "ui/shared/modal.h"
#include "ui/start/entry.h"
#include "ui_test_support.h"

using quill::Application;
using quill::runGuarded;
using quill::test::RecordingPresenter;

using namespace quill::test;

namespace {

// A widget whose mouse handler fails, as a command would.
class ThrowingWidget : public QWidget {
protected:
    void mousePressEvent(QMouseEvent*) override {
        throw quill::ConvertError("'x' is not a valid floating point value");
    }
};

// Counts the blocking notices a window gets while another is modal.
class BlockWatcher : public QObject {
public:
    int blocked = 0, unblocked = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowBlocked) ++blocked;
        if (event->type() == QEvent::WindowUnblocked) ++unblocked;
        return false;
    }
};

// Runs fn as soon as a modal window is up (the nested loop is running).
void whenModal(std::function<void(QWidget*)> fn) {
    QTimer::singleShot(0, [fn] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return whenModal(fn);
        fn(modal);
    });
}

}  // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

private:
    Application* app_ = &quill::test::testApp();

private slots:
    void errorMessagesGetAFullStopByTheirLastCharacter() {
        const struct {
            const char* message;
            const char* shown;
        } rows[] = {
            {"'abc' is not a valid floating point value", "'abc' is not a valid floating point value."},
            {"Floating point overflow", "Floating point overflow."},
            {"ends with a stop.", "ends with a stop."},
            {"ends with (brackets)", "ends with (brackets)"},
            {"ends with a space ", "ends with a space "},
            {"ends with a comma,", "ends with a comma,"},
            {"ends with a dash-", "ends with a dash-"},
            {"Cannot open file /tmp/", "Cannot open file /tmp/."},
            {"ratio 1:", "ratio 1:."},
            {"digit 7", "digit 7."},
            {"不能打开", "不能打开."},
            {"全角句号。", "全角句号。."},
            {"", ""},
        };
        for (const auto& row : rows) {
            RecordingPresenter boxes;
            runGuarded(*app_, [&] { throw quill::Error(row.message); });
            QCOMPARE(boxes.boxes.size(), std::size_t{1});
            QCOMPARE(boxes.boxes[0].text, QString::fromUtf8(row.shown));
            QCOMPARE(boxes.boxes[0].caption, QStringLiteral("Quillometer2023多项式求值器2023"));
            QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        }
        // A pane line may hold a NUL: the box shows the whole message, as the
        // command line prints it.
        RecordingPresenter boxes;
        const std::string message = std::string("'1") + '\0' + "x' is not a valid floating point value";
        runGuarded(*app_, [&] { throw quill::ConvertError(message); });
        QCOMPARE(boxes.boxes.at(0).text, QString::fromUtf8(message + '.'));
    }

    void everyKindOfErrorStopsAtTheApplication() {
        RecordingPresenter boxes;
        runGuarded(*app_, [] { throw quill::AbortError(); });
        QVERIFY(boxes.boxes.empty());  // silent by design

        runGuarded(*app_, [] { throw std::bad_alloc(); });
        runGuarded(*app_, [] { throw std::runtime_error("disk full"); });
        runGuarded(*app_, [] { throw quill::OverflowError(); });
        runGuarded(*app_, [] { throw 42; });
        QCOMPARE(boxes.boxes.size(), std::size_t{4});
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("Out of memory."));
        QCOMPARE(boxes.boxes[1].text, QStringLiteral("disk full."));
        QCOMPARE(boxes.boxes[2].text, QStringLiteral("Floating point overflow."));
        // Not an error object at all: the fallback box, owned by no window.
        QCOMPARE(boxes.boxes[3].caption, QStringLiteral("Application Error"));
        QCOMPARE(boxes.boxes[3].text,
                 QStringLiteral("Exception int in module ui_application_test at 00000000.\r\n\r\n"));
        QCOMPARE(boxes.boxes[3].icon, QMessageBox::Critical);
        QCOMPARE(boxes.boxes[3].owner, nullptr);

        // Thrown inside an event handler: caught before the loop sees it.
        ThrowingWidget widget;
        widget.show();
        QTest::mouseClick(&widget, Qt::LeftButton);
        QCOMPARE(boxes.boxes.size(), std::size_t{5});
        QCOMPARE(boxes.boxes[4].text, QStringLiteral("'x' is not a valid floating point value."));
    }

    void aHugeMessageIsShortenedOnlyForTheBox() {
        const QString line(100'000'000, QLatin1Char('9'));
        const QString message = "'" + line + "' is not a valid floating point value.";
        const QString shown = quill::displayText(message);
        QVERIFY(shown.size() < 1000);
        QVERIFY(shown.startsWith("'999"));
        QVERIFY(shown.endsWith(" is not a valid floating point value."));
        QVERIFY(shown.contains(QChar(0x2026)));
        QCOMPARE(shown.count(QChar(0x200B)) > 0, true);  // the digits can wrap
        // Short messages are shown as they are.
        QCOMPARE(quill::displayText(QStringLiteral("'abc' is not a valid floating point value.")),
                 QStringLiteral("'abc' is not a valid floating point value."));

        // The real box comes up with it and goes again.
        QString boxText;
        whenModal([&boxText](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box) boxText = box->text();
            modal->close();
        });
        runGuarded(*app_, [&] {
            throw quill::ConvertError(("'" + line + "' is not a valid floating point value").toStdString());
        });
        QVERIFY(boxText.size() < 1000 && boxText.endsWith("value."));
    }

    void theRealBoxBlocksTheProgramAndGivesBackFocus() {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        BlockWatcher watcher;
        window.installEventFilter(&watcher);

        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString caption, text;
        int buttons = 0, blockedDuringBox = 0;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) {
                modal->close();
                return;
            }
            icon = box->icon();
            caption = box->windowTitle();
            text = box->text();
            buttons = static_cast<int>(box->buttons().size());
            blockedDuringBox = watcher.blocked;
            box->button(QMessageBox::Ok)->click();
        });
        app_->showErrorBox("Cannot open file /nowhere/An.txt");
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(caption, QStringLiteral("Quillometer2023多项式求值器2023"));
        QCOMPARE(text, QStringLiteral("Cannot open file /nowhere/An.txt."));
        QCOMPARE(buttons, 1);
        QCOMPARE(blockedDuringBox, 1);
        QTRY_COMPARE(watcher.unblocked, 1);
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), other);
        Q_UNUSED(edit);
    }

    void modalShowsReturnTheirResults() {
        quill::AboutBox about;
        quill::PhoneDialog phone;
        const struct {
            QDialog* dialog;
            std::function<void(QWidget*)> ending;
            QDialog::DialogCode result;
        } rows[] = {
            {&about, [&about](QWidget*) { buttonNamed(about, "OKButton")->click(); }, QDialog::Accepted},
            {&about, [](QWidget* modal) { modal->close(); }, QDialog::Rejected},
            {&about, [](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); }, QDialog::Rejected},
            {&phone, [&phone](QWidget*) { buttonNamed(phone, "BtnClose")->click(); }, QDialog::Rejected},
            {&phone, [](QWidget* modal) { modal->close(); }, QDialog::Rejected},
        };
        for (const auto& row : rows) {
            bool modalWhileShown = false;
            QWidget* shown = nullptr;
            whenModal([&](QWidget* modal) {
                shown = modal;
                modalWhileShown = quill::isShownModally(*modal);
                row.ending(modal);
            });
            QCOMPARE(quill::runModal(*row.dialog), row.result);
            QCOMPARE(shown, row.dialog);
            QVERIFY(modalWhileShown);
            QVERIFY(!row.dialog->isVisible());
            QVERIFY(!quill::isShownModally(*row.dialog));
        }
    }

    void aModalShowGivesBackTheActiveWindowAndFocus() {
        QWidget window;
        new QLineEdit(&window);
        auto* focused = new QLineEdit(&window);
        focused->move(0, 40);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        focused->setFocus();
        quill::AboutBox about;
        bool windowBlocked = false;
        whenModal([&](QWidget* modal) {
            windowBlocked = QApplication::activeModalWidget() == &about && modal == &about;
            buttonNamed(about, "OKButton")->click();
        });
        QCOMPARE(quill::runModal(about), QDialog::Accepted);
        QVERIFY(windowBlocked);
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), focused);
    }

    void aVisibleWindowCannotBeMadeModal() {
        quill::AboutBox about;
        about.show();
        RecordingPresenter boxes;
        runGuarded(*app_, [&about] { quill::runModal(about); });
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("Cannot make a visible window modal."));
        about.hide();
        about.setEnabled(false);
        QVERIFY_THROWS_EXCEPTION(quill::Error, quill::runModal(about));
    }

    // Last: it makes the application's own windows.
    void startUpAndShutdownRunInOrder() {
        QTemporaryDir samples;
        std::ofstream(samples.filePath("An.txt").toStdString()) << "1\r\n2\r\n";
        std::ofstream(samples.filePath("X.txt").toStdString()) << "3\r\n";
        app_->setExecutableDirectory(samples.path() + '/');
        QStringList steps;
        app_->setTrace([&steps](const QString& step) { steps << step; });

        bool mainShown = false, dialogsHidden = false, aboutWasModal = false, mainBlocked = false;
        int aboutResult = -1;
        QTimer::singleShot(0, [&] {
            auto* window = app_->ownedWindow<quill::MainWindow>();
            auto* about = app_->ownedWindow<quill::AboutBox>();
            auto* phone = app_->ownedWindow<quill::PhoneDialog>();
            mainShown = window && window->isVisible() && quill::test::paneText(paneNamed(*window, "MemoX")) == "3\r\n";
            dialogsHidden = about && phone && !about->isVisible() && !phone->isVisible();
            whenModal([&, about, window](QWidget* modal) {
                aboutWasModal = modal == about;
                mainBlocked = QApplication::activeModalWidget() == about && window->isVisible();
                buttonNamed(*about, "OKButton")->click();
            });
            entryNamed(*window, "MnuAbout")->trigger();  // returns once the box is closed
            aboutResult = about->result();
            window->close();  // the close box: the road of Exit
        });
        QCOMPARE(quill::runEntryRoutine(*app_), 0);
        app_->setTrace({});

        QVERIFY(mainShown);
        QVERIFY(dialogsHidden);
        QVERIFY(aboutWasModal);
        QVERIFY(mainBlocked);
        QCOMPARE(aboutResult, QDialog::Accepted);
        const QStringList expected = {"title",
                                      "MainWindow",
                                      "PhoneDialog",
                                      "AboutBox",
                                      "FormShow",
                                      "loop",
                                      "loop ended",
                                      "destroy AboutBox",
                                      "destroyed AboutBox",
                                      "destroy PhoneDialog",
                                      "destroyed PhoneDialog",
                                      "destroy MainWindow",
                                      "FormDestroy",
                                      "destroyed MainWindow"};
        QCOMPARE(steps, expected);
        QVERIFY(!app_->mainWindow());
    }
};

QUILL_UI_TEST_MAIN(ApplicationTest)
#include "application_test.moc"
