// The phone and About dialogs: layout, results of a modal show, placement.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/about_box.h"
#include "ui/dialog_support.h"
#include "ui/help_commands.h"
#include "ui/phone_dialog.h"
#include "ui/program_icon.h"

using quill::TAboutBox;
using quill::TFrmVisitePhone;

namespace {

enum class Kind { about, phone };

std::unique_ptr<QDialog> Make(Kind kind) {
    if (kind == Kind::about) return std::make_unique<TAboutBox>();
    return std::make_unique<TFrmVisitePhone>();
}

// Runs the dialog modally, doing `action` once it is up; returns ModalResult,
// or -1 when the action left the dialog open (it is then shut after a while).
int RunWith(QDialog& dialog, const std::function<void(QDialog&)>& action) {
    bool stuck = false;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        action(dialog);
        if (dialog.isVisible())
            QTimer::singleShot(2000, &dialog, [&] {
                stuck = true;
                dialog.done(0);
            });
    });
    const int result = quill::RunDialogModal(dialog);
    return stuck ? -1 : result;
}

QPushButton* TheButton(QDialog& dialog) {
    const char* name = qobject_cast<TAboutBox*>(&dialog) ? "OKButton" : "BtnClose";
    return dialog.findChild<QPushButton*>(name);
}

}  // namespace

class InfoDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void modalResultMapping() {
        QCOMPARE(quill::ModalResultFromExec(1), 1);
        for (int other : {0, 2, 3, -1}) QCOMPARE(quill::ModalResultFromExec(other), 2);
    }

    void modalResults_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expected");
        for (auto [kind, name, button] : {std::tuple{Kind::about, "about", 1}, std::tuple{Kind::phone, "phone", 2}}) {
            QTest::addRow("%s: its button", name) << int(kind) << "button" << button;
            QTest::addRow("%s: Alt+mnemonic", name) << int(kind) << "mnemonic" << button;
            QTest::addRow("%s: close box", name) << int(kind) << "close" << 2;
            QTest::addRow("%s: Escape", name) << int(kind) << "escape" << 2;
        }
        QTest::addRow("about: Enter presses OK") << int(Kind::about) << "enter" << 1;
    }

    void modalResults() {
        QFETCH(int, kind);
        QFETCH(QString, how);
        QFETCH(int, expected);
        auto dialog = Make(Kind(kind));
        const int result = RunWith(*dialog, [&](QDialog& d) {
            if (how == "button") TheButton(d)->click();
            if (how == "mnemonic") {
                const char key = qobject_cast<TAboutBox*>(&d) ? 'O' : 'C';
                QTest::keyClick(&d, Qt::Key(key), Qt::AltModifier);
            }
            if (how == "close") d.close();
            if (how == "escape") QTest::keyClick(&d, Qt::Key_Escape);
            if (how == "enter") QTest::keyClick(&d, Qt::Key_Return);
        });
        QCOMPARE(result, expected);
        QCOMPARE(dialog->result(), expected);  // the dialog's own value, before any mapping
        QVERIFY(!dialog->isVisible());
    }

    // Opened again after any ending, the dialog comes back and still works.
    void reopensWithSameContent() {
        TAboutBox about;
        const QString before = about.findChild<QLabel*>("NoticeWeb")->text();
        QCOMPARE(RunWith(about, [](QDialog& d) { d.close(); }), 2);
        QCOMPARE(RunWith(about, [](QDialog& d) { TheButton(d)->click(); }), 1);
        QCOMPARE(about.findChild<QLabel*>("NoticeWeb")->text(), before);
    }

    void firstShowCentresThenKeepsPosition_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("about, centre of the screen") << int(Kind::about);
        QTest::newRow("phone, centre of the desktop") << int(Kind::phone);
    }

    void firstShowCentresThenKeepsPosition() {
        QFETCH(int, kind);
        auto dialog = Make(Kind(kind));
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = Kind(kind) == Kind::about ? screen->geometry() : screen->virtualGeometry();

        QPoint firstPos;
        QSize outer;  // with the frame, known once the window exists
        RunWith(*dialog, [&](QDialog& d) {
            firstPos = d.pos();
            outer = d.frameGeometry().size();
            d.move(firstPos + QPoint(37, -23));  // the user drags it away
            d.close();
        });
        QCOMPARE(firstPos, QPoint(area.left() + (area.width() - outer.width()) / 2,
                                  area.top() + (area.height() - outer.height()) / 2));

        QPoint secondPos;
        RunWith(*dialog, [&](QDialog& d) {
            secondPos = d.pos();
            d.close();
        });
        QCOMPARE(secondPos, firstPos + QPoint(37, -23));
    }

    // A parent window must not pull the dialog over itself on later shows.
    void parentDoesNotRecentre() {
        QWidget mainWindow;
        mainWindow.setGeometry(0, 0, 300, 200);
        mainWindow.show();
        TFrmVisitePhone phone(&mainWindow);
        RunWith(phone, [](QDialog& d) {
            d.move(5, 6);
            d.close();
        });
        QPoint again;
        RunWith(phone, [&](QDialog& d) {
            again = d.pos();
            d.close();
        });
        QCOMPARE(again, QPoint(5, 6));
    }

    void layout_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        const auto about = int(Kind::about);
        const auto phone = int(Kind::phone);
        QTest::newRow("about panel") << about << "Panel1" << QRect(8, 8, 281, 217) << "";
        QTest::newRow("about icon") << about << "ProgramIcon" << QRect(16, 16, 33, 33) << "";
        QTest::newRow("about name") << about << "ProductName" << QRect(64, 16, 209, 16)
                                    << "Quillometer多项式求值器2023";
        QTest::newRow("about version") << about << "Version" << QRect(64, 40, 209, 16) << "版本号Version：2023";
        QTest::newRow("about OK") << about << "OKButton" << QRect(103, 236, 75, 25) << "关闭&OK";
        QTest::newRow("phone code") << phone << "Img2DimsCode" << QRect(0, 0, 210, 210) << "";
        QTest::newRow("phone close") << phone << "BtnClose" << QRect(0, 216, 209, 25) << "关闭&Close";
    }

    void layout() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        auto dialog = Make(Kind(kind));
        auto* control = dialog->findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->geometry(), geometry);
        if (auto* label = qobject_cast<QLabel*>(control); label && !text.isEmpty()) QCOMPARE(label->text(), text);
        if (auto* button = qobject_cast<QPushButton*>(control)) QCOMPARE(button->text(), text);
    }

    void windows_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("fontPixels");
        QTest::newRow("about") << int(Kind::about) << "关于本软件About" << QSize(298, 263) << 12;
        QTest::newRow("phone") << int(Kind::phone) << "手机二维码访问本软件网站Visite with 2-Dims Code"
                               << QSize(211, 247) << 15;
    }

    void windows() {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QSize, client);
        QFETCH(int, fontPixels);
        auto dialog = Make(Kind(kind));
        QCOMPARE(dialog->windowTitle(), caption);
        QCOMPARE(dialog->size(), client);
        QCOMPARE(dialog->minimumSize(), client);  // fixed: the user cannot resize it
        QCOMPARE(dialog->maximumSize(), client);
        QCOMPARE(dialog->font().pixelSize(), fontPixels);
        QCOMPARE(dialog->font().family(), quill::DialogFontFamily());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowContextHelpButtonHint));
    }

    void aboutOkIsTheDefaultButton() {
        TAboutBox about;
        QVERIFY(about.OKButton->isDefault());
    }

    // Every notice line fits its place: single lines on one line, the
    // wrapped ones within the panel, none running into the next.
    void aboutNoticesFit() {
        TAboutBox about;
        about.show();
        QCOMPARE(about.NoticePurpose->geometry().top(), 72);
        QCOMPARE(about.NoticeBuild->geometry().top(), 96);
        QCOMPARE(about.NoticeLicence->geometry().top(), 120);
        QCOMPARE(about.NoticeWeb->geometry().top(), 160);
        for (QLabel* single : {about.ProductName, about.Version, about.NoticePurpose, about.NoticeBuild}) {
            const QFontMetrics metrics(single->font());
            QVERIFY2(metrics.horizontalAdvance(single->text()) <= single->width(), qPrintable(single->text()));
        }
        for (QLabel* wrapped : {about.NoticeLicence, about.NoticeWeb}) {
            QVERIFY2(wrapped->heightForWidth(wrapped->width()) <= wrapped->height(), qPrintable(wrapped->text()));
            QVERIFY(wrapped->geometry().bottom() < about.Panel1->height() - 2);
        }
        QVERIFY(about.NoticeLicence->geometry().bottom() < about.NoticeWeb->geometry().top());
    }

    void aboutNamesBuildLicenceAndAddress() {
        TAboutBox about;
        QString web = about.NoticeWeb->text();
        web.remove(QChar(0x200B));
        QVERIFY(web.endsWith(quill::WebAddress()));
        QVERIFY(about.NoticeBuild->text().contains(quill::BuildVersion()));
        QVERIFY(!quill::BuildVersion().isEmpty());
        QVERIFY(about.NoticeLicence->text().contains("MIT"));
    }

    void wrappableAddressOnlyAddsBreakChances() {
        const QString address = "https://a-b.example.org/x/y?q=1";
        QString wrapped = quill::WrappableAddress(address);
        QCOMPARE(wrapped.count(QChar(0x200B)), 7);  // four '/', two '.', one '-'
        wrapped.remove(QChar(0x200B));
        QCOMPARE(wrapped, address);
    }

    void programIconHasEveryDesktopSize() {
        const QIcon icon = quill::ProgramIcon();
        QVERIFY(!icon.isNull());
        for (int size : {32, 48, 64, 128, 256}) {
            const QPixmap pixmap = icon.pixmap(QSize(size, size));
            QCOMPARE(pixmap.size(), QSize(size, size));
            // Not a blank square: the picture has both opaque and clear corners.
            const QImage image = pixmap.toImage();
            QVERIFY(qAlpha(image.pixel(size / 2, size / 2)) == 255);
            QVERIFY(qAlpha(image.pixel(0, 0)) < 255);
        }
        TAboutBox about;
        QVERIFY(!about.ProgramIcon->pixmap().isNull());
        QVERIFY(about.ProgramIcon->hasScaledContents());
    }
};

QTEST_MAIN(InfoDialogsTest)
#include "info_dialogs_test.moc"
