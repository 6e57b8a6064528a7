// Help > Content and Help > Web, with the desktop and the message box replaced
// by recorders.

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "ui/help_commands.h"

using quill::HelpPlatform;
using quill::HelpShown;

namespace {

struct Recorder {
    QList<QUrl> opened;
    struct Box {
        QString text, caption;
    };
    QList<Box> boxes;
    bool openSucceeds = true;

    HelpPlatform platform() {
        HelpPlatform p;
        p.openUrl = [this](const QUrl& url) {
            opened << url;
            return openSucceeds;
        };
        p.showExclamation = [this](QWidget*, const QString& text, const QString& caption) { boxes << Box{text, caption}; };
        return p;
    }
};

void Touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

}  // namespace

class HelpCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void content_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("openedName");

        QTest::newRow("both: the .chm wins") << QStringList{"Quillometer.chm", "Quillometer.html"} << QStringList{}
                                             << int(HelpShown::chm) << "Quillometer.chm";
        QTest::newRow("only .chm") << QStringList{"Quillometer.chm"} << QStringList{} << int(HelpShown::chm)
                                   << "Quillometer.chm";
        QTest::newRow("only .html") << QStringList{"Quillometer.html"} << QStringList{} << int(HelpShown::html)
                                    << "Quillometer.html";
        QTest::newRow("a folder named like the .chm is no help file")
            << QStringList{"Quillometer.html"} << QStringList{"Quillometer.chm"} << int(HelpShown::html)
            << "Quillometer.html";
        QTest::newRow("names are matched exactly") << QStringList{"quillometer.chm", "Quillometer.htm"}
                                                   << QStringList{} << int(HelpShown::missing) << "";
        QTest::newRow("neither") << QStringList{} << QStringList{"Quillometer.html"} << int(HelpShown::missing) << "";
    }

    void content() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(int, expected);
        QFETCH(QString, openedName);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString& name : files) Touch(dir.filePath(name));
        for (const QString& name : folders) QVERIFY(QDir(dir.path()).mkdir(name));

        Recorder recorder;
        const QString directory = dir.path() + '/';
        QCOMPARE(int(quill::ShowHelpContent(nullptr, directory, recorder.platform())), expected);

        if (openedName.isEmpty()) {
            QVERIFY(recorder.opened.isEmpty());
            QCOMPARE(recorder.boxes.size(), 1);
        } else {
            QVERIFY(recorder.boxes.isEmpty());
            QCOMPARE(recorder.opened.size(), 1);
            QCOMPARE(recorder.opened.front(), QUrl::fromLocalFile(directory + openedName));
        }
    }

    // The box text carries the .chm path right after each sentence, with a
    // CR LF between the two languages, under the hint caption.
    void missingMessageIsExact() {
        QTemporaryDir dir;
        const QString directory = dir.path() + "/帮助 folder/";
        QVERIFY(QDir().mkpath(directory));

        Recorder recorder;
        quill::ShowHelpContent(nullptr, directory, recorder.platform());
        QCOMPARE(recorder.boxes.size(), 1);
        const QString chm = directory + "Quillometer.chm";
        QCOMPARE(recorder.boxes.front().text,
                 QString("不能打开帮助文件") + chm + "\r\nCan not Open Help File" + chm);
        QCOMPARE(recorder.boxes.front().caption, QString("系统提示System Hint"));
    }

    // A desktop that cannot open the file is not the program's failure: no
    // box, no second attempt with the other file.
    void failedOpenIsSilent() {
        QTemporaryDir dir;
        Touch(dir.filePath("Quillometer.chm"));
        Touch(dir.filePath("Quillometer.html"));
        Recorder recorder;
        recorder.openSucceeds = false;
        QCOMPARE(quill::ShowHelpContent(nullptr, dir.path() + '/', recorder.platform()), HelpShown::chm);
        QCOMPARE(recorder.opened.size(), 1);
        QVERIFY(recorder.boxes.isEmpty());
    }

    // The real platform's box has the exclamation icon, one OK button, and
    // shows the two sentences on two lines.
    void systemBoxLooksRight() {
        QTemporaryDir dir;
        QString seenText, seenTitle;
        int seenIcon = -1, seenButtons = -1;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    seenText = box->text();
                    seenTitle = box->windowTitle();
                    seenIcon = box->icon();
                    seenButtons = int(box->standardButtons());
                    box->accept();
                }
            }
        });
        quill::ShowHelpContent(nullptr, dir.path() + '/', HelpPlatform::System());
        const QString chm = dir.path() + "/Quillometer.chm";
        QCOMPARE(seenTitle, QString("系统提示System Hint"));
        QCOMPARE(seenIcon, int(QMessageBox::Warning));
        QCOMPARE(seenButtons, int(QMessageBox::Ok));
        QCOMPARE(seenText, QString("不能打开帮助文件") + chm + "\nCan not Open Help File" + chm);
    }

    void webOpensTheConfiguredAddress() {
        Recorder recorder;
        quill::OpenWebPage(recorder.platform());
        QCOMPARE(recorder.opened.size(), 1);
        QCOMPARE(recorder.opened.front().toString(), quill::WebAddress());
        QVERIFY(recorder.opened.front().isValid());
        QVERIFY(recorder.boxes.isEmpty());
    }
};

QTEST_MAIN(HelpCommandsTest)
#include "help_commands_test.moc"
