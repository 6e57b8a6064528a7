// The phone and About dialogs: captions, results of a modal show, placement.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/dialogs/about_box.h"
#include "ui/dialogs/phone_dialog.h"
#include "ui/shared/dialog_support.h"
#include "ui/shared/help_commands.h"
#include "ui/shared/program_icon.h"
#include "ui/shared/screen_placement.h"

using quill::AboutBox;

namespace {

std::unique_ptr<QDialog> makeDialog(bool about) {
    if (about) return std::make_unique<AboutBox>();
    return std::make_unique<quill::PhoneDialog>();
}

// Runs the dialog modally, doing `action` once it is up; returns its result,
// or -1 when the action left the dialog open (it is then shut after a while).
int runWith(QDialog& dialog, const std::function<void(QDialog&)>& action) {
    bool stuck = false;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.activateWindow();  // shortcuts only reach the active window
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        action(dialog);
        if (dialog.isVisible()) QTimer::singleShot(2000, &dialog, [&] { stuck = true, dialog.done(0); });
    });
    const int result = quill::runDialogModal(dialog);
    return stuck ? -1 : result;
}

}  // namespace

class InfoDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void modalResults_data() {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expected");
        for (bool about : {true, false}) {
            const char* name = about ? "about" : "phone";
            const int button = about ? QDialog::Accepted : QDialog::Rejected;
            QTest::addRow("%s: its button", name) << about << "button" << button;
            QTest::addRow("%s: Alt+mnemonic", name) << about << "mnemonic" << button;
            QTest::addRow("%s: close box", name) << about << "close" << int(QDialog::Rejected);
            QTest::addRow("%s: Escape", name) << about << "escape" << int(QDialog::Rejected);
        }
        QTest::addRow("about: Enter presses OK") << true << "enter" << int(QDialog::Accepted);
    }

    void modalResults() {
        QFETCH(bool, about);
        QFETCH(QString, how);
        QFETCH(int, expected);
        auto dialog = makeDialog(about);
        const int result = runWith(*dialog, [&](QDialog& d) {
            if (how == "button") d.findChild<QPushButton*>(about ? "OKButton" : "BtnClose")->click();
            if (how == "mnemonic") QTest::keyClick(&d, about ? Qt::Key_O : Qt::Key_C, Qt::AltModifier);
            if (how == "close") d.close();
            if (how == "escape") QTest::keyClick(&d, Qt::Key_Escape);
            if (how == "enter") QTest::keyClick(&d, Qt::Key_Return);
        });
        QCOMPARE(result, expected);
        QCOMPARE(dialog->result(), expected);
    }

    // Centred at the first show (About: its screen, phone: the pointer's);
    // moved by the user, it comes back there, even with a parent window that
    // QDialog would otherwise centre it over.
    void placement_data() {
        QTest::addColumn<bool>("about");
        QTest::newRow("about") << true;
        QTest::newRow("phone") << false;
    }

    void placement() {
        QFETCH(bool, about);
        QWidget mainWindow;
        mainWindow.setGeometry(0, 0, 300, 200);
        mainWindow.show();
        auto dialog = makeDialog(about);
        dialog->setParent(&mainWindow, dialog->windowFlags());
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen->geometry();  // the one screen holds the pointer too

        QPoint first, second;
        QSize outer;
        for (QPoint* seen : {&first, &second})
            QCOMPARE(runWith(*dialog,
                             [&](QDialog& d) {
                                 *seen = d.pos();
                                 outer = d.frameGeometry().size();
                                 d.move(d.pos() + QPoint(37, -23));  // the user drags it away
                                 d.close();
                             }),
                     int(QDialog::Rejected));
        QCOMPARE(first,
                 area.topLeft() + QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2));
        QCOMPARE(second, first + QPoint(37, -23));
    }

    // The captions each dialog is built with (the bilingual ones).
    void captions() {
        const struct {
            bool about;
            const char* name;
            const char* text;
        } controls[] = {
            {true, "ProductName", "Quillometer多项式求值器2023"},
            {true, "Version", "版本号Version：2023"},
            {true, "OKButton", "关闭&OK"},
            {false, "BtnClose", "关闭&Close"},
        };
        for (const auto& c : controls) {
            auto dialog = makeDialog(c.about);
            auto* control = dialog->findChild<QWidget*>(c.name);
            QVERIFY2(control, c.name);
            QCOMPARE(control->property("text").toString(), QString(c.text));
        }
    }

    void windows() {
        for (bool about : {true, false}) {
            auto dialog = makeDialog(about);
            const QSize client = about ? QSize(298, 263) : QSize(211, 247);
            QCOMPARE(dialog->windowTitle(),
                     QString(about ? "关于本软件About" : "手机二维码访问本软件网站Visite with 2-Dims Code"));
            QCOMPARE(dialog->minimumSize(), client);  // fixed: no resizing
            QCOMPARE(dialog->maximumSize(), client);
            QCOMPARE(dialog->font().pixelSize(), about ? 12 : 15);
            QCOMPARE(dialog->font().family(), quill::dialogFontFamily());
        }
        QVERIFY(AboutBox().findChild<QPushButton*>("OKButton")->isDefault());
    }

    // Every notice line fits its place, and they name the build, licence and address.
    void aboutNotices() {
        AboutBox about;
        about.show();
        const auto label = [&about](const char* name) { return about.findChild<QLabel*>(name); };
        const QList<QLabel*> lines{label("NoticePurpose"), label("NoticeBuild"), label("NoticeLicence"),
                                   label("NoticeWeb")};
        const int tops[] = {72, 96, 120, 160};
        for (int i = 0; i < 4; ++i) {
            QLabel* line = lines[i];
            QCOMPARE(line->y(), tops[i]);
            if (i < 2)
                QVERIFY(QFontMetrics(line->font()).horizontalAdvance(line->text()) <= line->width());
            else
                QVERIFY2(line->heightForWidth(line->width()) <= line->height(), qPrintable(line->text()));
            QVERIFY(line->geometry().bottom() <
                    (i < 3 ? tops[i + 1] : about.findChild<QWidget*>("Panel1")->height() - 2));
        }
        QVERIFY(label("NoticeBuild")->text().contains(quill::buildVersion()) && !quill::buildVersion().isEmpty());
        QVERIFY(label("NoticeLicence")->text().contains("MIT"));
        QVERIFY(label("NoticeWeb")->text().remove(QChar(0x200B)).endsWith(quill::webAddress()));
        QCOMPARE(quill::wrappableAddress("https://a-b.c/d").remove(QChar(0x200B)), QString("https://a-b.c/d"));
    }

    void programIcon() {
        for (int size : {32, 48, 64, 128, 256}) {
            const QImage image = quill::programIcon().pixmap(QSize(size, size)).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);  // a picture with clear corners
            QVERIFY(qAlpha(image.pixel(0, 0)) < 255);
        }
        QVERIFY(!AboutBox().findChild<QLabel*>("ProgramIcon")->pixmap().isNull());
    }

    // The monitor under the pointer, else the primary one; never the middle
    // of the desktop, which may lie between two monitors.
    void centredOnThePointersScreen_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("topLeft");
        const QRect wide(0, 0, 1920, 1080), right(1920, 0, 1280, 1024), left(-1280, -200, 1280, 1024);
        QTest::newRow("one screen") << QList<QRect>{wide} << QPoint(5, 5) << QPoint(760, 390);
        QTest::newRow("pointer on the second") << QList<QRect>{wide, right} << QPoint(2500, 1023) << QPoint(2360, 362);
        QTest::newRow("left of the primary") << QList<QRect>{wide, left} << QPoint(-1, 0) << QPoint(-840, 162);
        QTest::newRow("pointer nowhere: primary")
            << QList<QRect>{wide, right.translated(100, 0)} << QPoint(1950, 5) << QPoint(760, 390);
    }

    void centredOnThePointersScreen() {
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, topLeft);
        QCOMPARE(quill::centredOnPointerScreen(screens, screens.front(), pointer, QSize(400, 300)), topLeft);
    }
};

QTEST_MAIN(InfoDialogsTest)
#include "info_dialogs_test.moc"
