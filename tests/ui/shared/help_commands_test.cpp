// Help > Content and Help > Web, with the desktop and the message box replaced
// by recorders.

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "ui/shared/help_commands.h"

using quill::HelpShown;

namespace {

struct Recorder {
    QList<QUrl> opened;
    QStringList boxes;  // caption, then text
    quill::HelpPlatform platform() {
        return {[this](const QUrl& url) { return opened << url, false; },  // the desktop fails: must stay silent
                [this](QWidget*, const QString& text, const QString& caption) { boxes << caption << text; }};
    }
};

}  // namespace

class HelpCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void content_data() {
        QTest::addColumn<QStringList>("files");  // a trailing '/' makes a folder
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("opened");
        QTest::newRow("both: the .chm wins")
            << QStringList{"Quillometer.chm", "Quillometer.html"} << int(HelpShown::chm) << "Quillometer.chm";
        QTest::newRow("only .html") << QStringList{"Quillometer.html"} << int(HelpShown::html) << "Quillometer.html";
        QTest::newRow("a folder is no .chm")
            << QStringList{"Quillometer.chm/", "Quillometer.html"} << int(HelpShown::html) << "Quillometer.html";
        QTest::newRow("names match exactly")
            << QStringList{"quillometer.chm", "Quillometer.htm", "Quillometer.html/"} << int(HelpShown::missing) << "";
    }

    void content() {
        QFETCH(QStringList, files);
        QFETCH(int, shown);
        QFETCH(QString, opened);
        QTemporaryDir dir;
        const QString directory = dir.path() + "/帮助 folder/";
        QVERIFY(QDir().mkpath(directory));
        for (const QString& name : files) {
            if (name.endsWith('/'))
                QVERIFY(QDir().mkpath(directory + name));
            else
                QVERIFY(QFile(directory + name).open(QIODevice::WriteOnly));
        }
        Recorder recorder;
        QCOMPARE(int(quill::showHelpContent(nullptr, directory, recorder.platform())), shown);

        if (!opened.isEmpty()) {
            QCOMPARE(recorder.opened, QList<QUrl>{QUrl::fromLocalFile(directory + opened)});
            QVERIFY(recorder.boxes.isEmpty());
        } else {  // the .chm path right after each sentence, nothing opened
            const QString chm = directory + "Quillometer.chm";
            QCOMPARE(recorder.boxes, QStringList({"系统提示System Hint",
                                                  "不能打开帮助文件" + chm + "\r\nCan not Open Help File" + chm}));
            QVERIFY(recorder.opened.isEmpty());
        }
    }

    // The real box: exclamation icon, one OK button, the sentences on two lines.
    void systemBox() {
        QTemporaryDir dir;
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen << box->windowTitle() << box->text();
            QCOMPARE(box->icon(), QMessageBox::Warning);
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            box->accept();
        });
        quill::showHelpContent(nullptr, dir.path() + '/', quill::HelpPlatform::system());
        const QString chm = dir.path() + "/Quillometer.chm";
        QCOMPARE(seen,
                 QStringList({"系统提示System Hint", "不能打开帮助文件" + chm + "\nCan not Open Help File" + chm}));
    }

    // The page the build puts beside the programs is what Content finds, and
    // it explains every message the program can show.
    void shippedHelpPage() {
        const QString directory = quill::helpDirectory();
        if (QFile::exists(directory + "Quillometer.chm")) QSKIP("someone put a Quillometer.chm beside the tests");
        Recorder recorder;
        QCOMPARE(quill::showHelpContent(nullptr, directory, recorder.platform()), HelpShown::html);
        QFile page(directory + "Quillometer.html");
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        for (const char* text :
             {"is not a valid floating point value", "Floating point overflow", "Cannot open file",
              "Cannot create file", "Failed to Save Stream", "RichEdit line insertion error", "Unable to write to",
              "Can not Open Help File", "quillometer-cli", "--decimal-mark", "--hex", "-o FILE", "LC_NUMERIC", "Ctrl"})
            QVERIFY2(html.contains(QString::fromUtf8(text)), text);
    }

    void web() {
        Recorder recorder;
        quill::openWebPage(recorder.platform());
        QCOMPARE(recorder.opened, QList<QUrl>{QUrl(quill::webAddress())});
        QVERIFY(recorder.opened.front().isValid() && !recorder.opened.front().isRelative());
    }
};

QTEST_MAIN(HelpCommandsTest)
#include "help_commands_test.moc"
