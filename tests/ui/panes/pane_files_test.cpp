// Pane files on the main window: the shared open and save dialogs, Load and
// Save with their failures, a file saved in the encoding it came in, dropped
// files, and a 50 MB file. Dialogs are answered by an injected runner, except
// in the one test that drives the real dialog.

#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <sys/mount.h>
#include <sys/stat.h>

#include "lines/list_file.h"
#include "ui/main_window/main_window.h"
#include "ui/panes/file_dialogs.h"
#include "ui/panes/text_pane.h"
#include "ui_test_support.h"

using namespace quill;
using quill::test::paneText;
using quill::test::RecordingPresenter;
using namespace quill::test;

namespace {

// A runner that confirms `path` with the filter entry `entry` (from 0), or
// cancels when path is empty, and keeps the request it was given.
struct Answering {
    FileDialogRequest last;
    FileDialogRunner operator()(QString path, int entry = 0) {
        return [this, path, entry](QWidget*, const FileDialogRequest& request) {
            last = request;
            return FileDialogAnswer{!path.isEmpty(), path, entry};
        };
    }
};

// Runs answer on the file dialog once it is up.
void whenDialogUp(std::function<void(QFileDialog*)> answer) {
    QTimer::singleShot(10, [answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            answer(dialog);
        else
            whenDialogUp(answer);
    });
}

}  // namespace

class PaneFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    MainWindow* window_ = nullptr;
    Answering answers_;

    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
    FileDialog& openDialog() { return window_->fileDialog(FileDialog::Kind::open); }
    FileDialog& saveDialog() { return window_->fileDialog(FileDialog::Kind::save); }

private slots:
    void init() { window_ = new MainWindow(quill::test::testApp()); }
    void cleanup() { delete window_; }

    void theDialogsRememberNameAndEntryAndAddTheExtension() {
        writeBytes(path("a.csv"), "1\r\n");
        openDialog().setRunner(answers_(path("a.csv"), 1));
        buttonNamed(*window_, "BtnLoadX")->click();
        const FileDialogRequest first = answers_.last;
        QCOMPARE(first.nameFilters, (QStringList{"文本数据文件(*.txt)", "所有文件(*.*)"}));
        QVERIFY(first.filterIndex == 0 && first.defaultSuffix == "txt" && first.fileName.isEmpty() && !first.save);
        QVERIFY(openDialog().fileName == path("a.csv") && openDialog().filterIndex == 1);

        // The next Load, under any pane, starts from there; Cancel keeps it all.
        openDialog().setRunner(answers_(QString()));
        buttonNamed(*window_, "BtnLoadAn")->click();
        QVERIFY(answers_.last.fileName == path("a.csv") && answers_.last.filterIndex == 1);
        QVERIFY(openDialog().fileName == path("a.csv") && openDialog().filterIndex == 1);
        QCOMPARE(paneText(paneNamed(*window_, "MemoAN")), std::string("MemoAN\r\n"));

        // Saving remembers on its own; a name without extension gets ".txt",
        // however many dots its folder has.
        QDir(dir_.path()).mkdir("v1.0");
        saveDialog().setRunner(answers_(path("v1.0/report")));
        buttonNamed(*window_, "BtnSaveX")->click();
        QVERIFY(answers_.last.save && answers_.last.fileName.isEmpty());
        QCOMPARE(saveDialog().fileName, path("v1.0/report.txt"));
        QCOMPARE(readBytes(path("v1.0/report.txt")), std::string("1\r\n"));
        QCOMPARE(QDir(path("v1.0")).entryList(QDir::Files), QStringList{"report.txt"});

        // Opening, a name that exists as it stands is taken as it is.
        writeBytes(path("coeffs"), "2\r\n");
        openDialog().setRunner(answers_(path("coeffs"), 1));
        buttonNamed(*window_, "BtnLoadAn")->click();
        QCOMPARE(openDialog().fileName, path("coeffs"));
        QCOMPARE(paneText(paneNamed(*window_, "MemoAN")), std::string("2\r\n"));
    }

    // Anything but a regular file fails at once (a FIFO without a writer
    // would otherwise hang the window), as does a file with a NUL byte.
    void specialFilesAndNulBytesFailAtOnce() {
        RecordingPresenter boxes;
        QVERIFY(::mkfifo(QFile::encodeName(path("fifo.txt")).constData(), 0600) == 0);
        QDir(dir_.path()).mkdir("folder.txt");
        writeBytes(path("nul.txt"), std::string("1\r\n2\0\r\n", 7));
        const struct {
            QString path, loadMessage;
            bool saves;  // a save there is tried too
        } cases[] = {
            {path("fifo.txt"), "Cannot open file " + path("fifo.txt"), true},
            {path("folder.txt"), "Cannot open file " + path("folder.txt"), true},
            {"/dev/zero", "Cannot open file /dev/zero", false},
            {path("nul.txt"), "File " + path("nul.txt") + " contains a NUL byte at line 2", false},
        };
        for (const auto& c : cases) {
            boxes.boxes.clear();
            openDialog().setRunner(answers_(c.path, 1));
            buttonNamed(*window_, "BtnLoadAn")->click();
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(c.path)});
            QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(paneNamed(*window_, "MemoAN")->viewport(), &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(paneNamed(*window_, "MemoAN")->viewport(), &drop);
            // A load that outlasts the short wait finishes on the next turns of the loop.
            QTRY_COMPARE(boxes.boxes.size(), std::size_t{2});
            for (const auto& box : boxes.boxes) QCOMPARE(box.text, c.loadMessage + ".");
            QCOMPARE(paneText(paneNamed(*window_, "MemoAN")), std::string("MemoAN\r\n"));
            if (!c.saves) continue;
            saveDialog().setRunner(answers_(c.path, 1));
            buttonNamed(*window_, "BtnSaveAn")->click();
            QCOMPARE(boxes.boxes.at(2).text, "Cannot create file " + c.path + ".");
        }
        QVERIFY(!QFileInfo(path("fifo.txt")).isFile() && QFileInfo::exists(path("fifo.txt")));
    }

    void failuresShowTheirMessageAndChangeNothing() {
        RecordingPresenter boxes;
        openDialog().setRunner(answers_(path("missing")));  // typed, not checked by the dialog
        buttonNamed(*window_, "BtnLoadAn")->click();
        saveDialog().setRunner(answers_(path("no folder/x.txt")));
        buttonNamed(*window_, "BtnSaveAn")->click();
        QCOMPARE(boxes.boxes.size(), std::size_t{2});
        QCOMPARE(boxes.boxes[0].text, "Cannot open file " + path("missing.txt") + ".");
        QCOMPARE(boxes.boxes[1].text, "Cannot create file " + path("no folder/x.txt") + ".");
        QCOMPARE(paneText(paneNamed(*window_, "MemoAN")), std::string("MemoAN\r\n"));
        QCOMPARE(paneNamed(*window_, "MemoAN")->lines().capacity(), kDefaultCapacity);

        // A full disk: the old file stays whole.
        const QByteArray disk = QFile::encodeName(path("disk"));
        QDir(dir_.path()).mkdir("disk");
        if (::mount("tmpfs", disk.constData(), "tmpfs", 0, "size=64k") != 0) QSKIP("cannot mount a small tmpfs here");
        writeBytes(path("disk/old.txt"), "old\r\n");
        paneNamed(*window_, "MemoAN")->lines().load({std::string(1 << 20, '5')});
        saveDialog().setRunner(answers_(path("disk/old.txt")));
        buttonNamed(*window_, "BtnSaveAn")->click();
        const std::string left = readBytes(path("disk/old.txt"));
        ::umount2(disk.constData(), MNT_DETACH);
        QCOMPARE(boxes.boxes.at(2).text, QStringLiteral("Failed to Save Stream."));
        QCOMPARE(left, std::string("old\r\n"));
    }

    // A pane saves in the encoding of the file it loaded (the lines tests
    // go through every encoding).
    void aPaneSavesInTheEncodingItLoaded() {
        const std::string gbk = "\xBE\xCD\xD0\xF7\r\n1.5\r\n";
        writeBytes(path("in.txt"), gbk);
        openDialog().setRunner(answers_(path("in.txt")));
        saveDialog().setRunner(answers_(path("out.txt")));
        buttonNamed(*window_, "BtnLoadFx")->click();
        QCOMPARE(paneNamed(*window_, "MemoFx")->lines().line(0), std::string("就绪"));
        buttonNamed(*window_, "BtnSaveFx")->click();
        QCOMPARE(readBytes(path("out.txt")), gbk);
    }

    void aDroppedLocalFileLoadsOneAtATime() {
        RecordingPresenter boxes;
        writeBytes(path("dropped.txt"), "7\r\n");
        const struct {
            QList<QUrl> urls;
            bool taken;
        } cases[] = {
            {{QUrl("https://example.com/a.txt")}, false},
            {{QUrl::fromLocalFile(path("dropped.txt")), QUrl::fromLocalFile(path("dropped.txt"))}, false},
            {{QUrl::fromLocalFile(path("gone.txt"))}, true},
            {{QUrl::fromLocalFile(path("dropped.txt"))}, true},
        };
        QWidget* target = paneNamed(*window_, "MemoX")->viewport();
        for (const auto& c : cases) {
            QMimeData data;
            data.setUrls(c.urls);
            // Shift proposes a move, which must become a copy: the file stays where it was.
            QDragEnterEvent enter({5, 5}, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ShiftModifier);
            QApplication::sendEvent(target, &enter);
            QCOMPARE(enter.isAccepted(), c.taken);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ShiftModifier);
            QApplication::sendEvent(target, &drop);
            if (c.taken) QCOMPARE(drop.dropAction(), Qt::CopyAction);
            QCoreApplication::processEvents();
        }
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, "Cannot open file " + path("gone.txt") + ".");
        QCOMPARE(paneText(paneNamed(*window_, "MemoX")), std::string("7\r\n"));
    }

    void theRealDialogIsPlacedAndTakesAMissingName() {
        RecordingPresenter boxes;  // for the sample data of the first show
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        QPoint placed(-1, -1);
        QString title;
        whenDialogUp([&](QFileDialog* dialog) {
            placed = dialog->pos() - dialogPlacement(window_->screen()->geometry(), dialog->frameGeometry().size());
            title = dialog->windowTitle();
            QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("文本数据文件(*.txt)"));
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path("new list"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QVERIFY(openDialog().execute(window_));
        QCOMPARE(placed, QPoint(0, 0));
        QVERIFY(!title.isEmpty());
        QCOMPARE(openDialog().fileName, path("new list.txt"));
        whenDialogUp([](QFileDialog* dialog) { dialog->close(); });
        QVERIFY(!saveDialog().execute(window_));
    }

    void aFiftyMegabyteFile() {
        std::string file;
        file.reserve(50u << 20);
        for (unsigned i = 0; file.size() < (50u << 20); ++i) file += std::to_string(i * 7919u % 1000003u) + ".25\r\n";
        writeBytes(path("big.txt"), file);
        openDialog().setRunner(answers_(path("big.txt")));
        saveDialog().setRunner(answers_(path("big-out.txt")));
        // Each may run on after its click; the pane is off until the load ends.
        QElapsedTimer clock;
        clock.start();
        buttonNamed(*window_, "BtnLoadAn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(paneNamed(*window_, "MemoAN")->isEnabled(), 60000);
        const qint64 load = clock.restart();
        buttonNamed(*window_, "BtnSaveAn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path("big-out.txt")).size() == qint64(file.size()), 60000);
        const qint64 save = clock.elapsed();
        qInfo().nospace() << "50 MB file: load " << load << " ms, save " << save << " ms";
        QVERIFY(readBytes(path("big-out.txt")) == file);
    }
};

int main(int argc, char** argv) {
    // The toolkit's file dialog keeps its own state in the user's settings,
    // and the windows theirs beside the program: both go to scratch folders.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    Application app(argc, argv);
    test::registeredApp() = &app;
    app.setTitle(QString::fromUtf8(kApplicationTitle));
    app.setSettingsProgramPath(config.filePath("quillometer"));
    PaneFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "pane_files_test.moc"
