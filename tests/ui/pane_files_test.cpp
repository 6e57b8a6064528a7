// Pane files on the main window: the shared open and save dialogs, Load and
// Save with their failures, encodings that come back byte for byte, dropped
// files, and a 50 MB file. Dialogs are answered by an injected runner, except
// in the one test that drives the real dialog.

#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <random>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lines/line_list.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/pane_encoding.h"
#include "ui_test_support.h"

using namespace quill;
using quill::test::RecordingPresenter;
using quill::test::Text;

namespace {

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

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

// In a child run as user nobody: saves "new" over the path through the Save
// button and prints the message shown.
int SaveAsNobody(const char* path) {
    RecordingPresenter boxes;
    TFrmMain window;
    window.SaveDlg.SetRunner([path](QWidget*, const FileDialogRequest&) {
        return FileDialogAnswer{true, QString::fromLocal8Bit(path), 0};
    });
    window.MemoAN->Lines().setFileBytes("new\r\n");
    window.BtnSaveAn->click();
    std::fputs(boxes.boxes.empty() ? "ok" : qPrintable(boxes.boxes[0].text), stdout);
    std::fflush(stdout);
    return 0;
}

// Runs answer on the file dialog once it is up.
void WhenDialogUp(std::function<void(QFileDialog*)> answer) {
    QTimer::singleShot(10, [answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            answer(dialog);
        else
            WhenDialogUp(answer);
    });
}

}  // namespace

class PaneFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    TFrmMain* window_ = nullptr;
    Answering answers_;

    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

private slots:
    void init() { window_ = new TFrmMain; }
    void cleanup() { delete window_; }

    void theDialogsStartAsDesignedAndRememberSeparately() {
        WriteBytes(path("a.csv"), "1\r\n");
        window_->OpenDlg.SetRunner(answers_(path("a.csv"), 1));
        window_->BtnLoadX->click();
        const FileDialogRequest& first = answers_.last;
        QCOMPARE(first.nameFilters, (QStringList{"文本数据文件(*.txt)", "所有文件(*.*)"}));
        QCOMPARE(first.filterIndex, 0);
        QCOMPARE(first.defaultSuffix, QStringLiteral("txt"));
        QVERIFY(first.fileName.isEmpty() && first.title.isEmpty() && !first.save);
        QCOMPARE(window_->OpenDlg.FileName, path("a.csv"));
        QCOMPARE(window_->OpenDlg.FilterIndex, 2);

        // The next Load, under any pane, starts from there; Cancel keeps it.
        window_->OpenDlg.SetRunner(answers_(QString()));
        window_->MemoAN->Lines().setFileBytes("kept");
        window_->BtnLoadAn->click();
        QCOMPARE(answers_.last.fileName, path("a.csv"));
        QCOMPARE(answers_.last.filterIndex, 1);
        QCOMPARE(window_->OpenDlg.FileName, path("a.csv"));
        QCOMPARE(window_->OpenDlg.FilterIndex, 2);
        QCOMPARE(Text(window_->MemoAN), std::string("kept"));

        // Saving remembers on its own; a cancelled save writes nothing.
        window_->SaveDlg.SetRunner(answers_(QString()));
        window_->BtnSaveFx->click();
        QVERIFY(answers_.last.save && answers_.last.fileName.isEmpty() && answers_.last.filterIndex == 0);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"a.csv"});
    }

    void aNameWithoutExtensionGetsTxt() {
        const struct {
            const char *confirmed, *saved;
        } cases[] = {{"report", "report.txt"}, {"report.csv", "report.csv"}, {"v1.0/report", "v1.0/report.txt"}};
        QDir(dir_.path()).mkdir("v1.0");
        for (const auto& c : cases) {
            window_->SaveDlg.SetRunner(answers_(path(c.confirmed)));
            window_->BtnSaveX->click();
            QCOMPARE(window_->SaveDlg.FileName, path(c.saved));
            QCOMPARE(ReadBytes(path(c.saved)), std::string("MemoX\r\n"));
        }
        QVERIFY(!QFile::exists(path("report")));
    }

    void failuresShowTheirMessageAndChangeNothing() {
        RecordingPresenter boxes;
        window_->MemoAN->Lines().setFileBytes("kept\r\n");
        window_->OpenDlg.SetRunner(answers_(path("missing")));  // a typed name, not checked by the dialog
        window_->BtnLoadAn->click();
        window_->SaveDlg.SetRunner(answers_(path("no folder/x.txt")));
        window_->BtnSaveAn->click();
        QCOMPARE(boxes.boxes.size(), std::size_t{2});
        QCOMPARE(boxes.boxes[0].text, "Cannot open file " + path("missing.txt") + ".");
        QCOMPARE(boxes.boxes[1].text, "Cannot create file " + path("no folder/x.txt") + ".");
        QCOMPARE(Text(window_->MemoAN), std::string("kept\r\n"));
        QCOMPARE(window_->MemoAN->Lines().capacity(), kDefaultCapacity);

        // A full disk: the old file stays whole.
        const QString disk = path("disk");
        QDir(dir_.path()).mkdir("disk");
        if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("cannot mount a small tmpfs here");
        WriteBytes(disk + "/old.txt", "old\r\n");
        window_->MemoAN->Lines().setFileBytes(std::string(1 << 20, '5'));
        window_->SaveDlg.SetRunner(answers_(disk + "/old.txt"));
        window_->BtnSaveAn->click();
        const std::string left = ReadBytes(disk + "/old.txt");
        ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
        QCOMPARE(boxes.boxes.at(2).text, QStringLiteral("Failed to Save Stream."));
        QCOMPARE(left, std::string("old\r\n"));
    }

    void aReadOnlyFileIsNotReplacedForAnUnprivilegedUser() {
        ::chmod(QFile::encodeName(dir_.path()).constData(), 0777);
        const QString target = path("readonly.txt");
        WriteBytes(target, "old\r\n");
        QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QString self = QCoreApplication::applicationFilePath();
        const QString command = (::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
                                QStringLiteral("'%1' --save-as-nobody '%2' 2>/dev/null").arg(self, target);
        FILE* child = ::popen(command.toLocal8Bit().constData(), "r");
        QVERIFY(child);
        std::string said;
        char buffer[512];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, child)) > 0;) said.append(buffer, n);
        if (::pclose(child) != 0 && said.empty()) QSKIP("cannot run a child as user nobody");
        QCOMPARE(QString::fromStdString(said), "Cannot create file " + target + ".");
        QCOMPARE(ReadBytes(target), std::string("old\r\n"));
    }

    void encodingsComeBackByteForByte() {
        const QByteArray emoji = QStringEncoder("GB18030").encode(QStringLiteral("😀 €\r\n"));
        const struct {
            std::string file, firstLine, saved;
        } cases[] = {
            {"就绪\r\n1.5\r\n", "就绪", ""},                                    // UTF-8
            {"\xBE\xCD\xD0\xF7\r\n1.5\r\n", "就绪", ""},                        // GBK, code page 936
            {emoji.toStdString(), "😀 €", ""},                                  // four-byte GB18030
            {"\xBE\xCD\n2\r\n", "就", "\xBE\xCD\r\n2\r\n"},                     // LF comes back as CR LF
            {"caf\xE9\r\n\xFF\x80\r\n", "café", ""},                            // neither: Latin-1
        };
        for (const auto& c : cases) {
            WriteBytes(path("in.txt"), c.file);
            window_->OpenDlg.SetRunner(answers_(path("in.txt")));
            window_->SaveDlg.SetRunner(answers_(path("out.txt")));
            window_->BtnLoadFx->click();
            QCOMPARE(window_->MemoFx->Lines().line(0), c.firstLine);
            QCOMPARE(window_->MemoFx->Lines().capacity(), kLoadedCapacity);
            window_->BtnSaveFx->click();
            QCOMPARE(ReadBytes(path("out.txt")), c.saved.empty() ? c.file : c.saved);
        }
        // Text Latin-1 cannot hold is saved as UTF-8 rather than lost.
        window_->MemoFx->Lines().add("就绪");
        window_->BtnSaveFx->click();
        QCOMPARE(ReadBytes(path("out.txt")), std::string("café\r\nÿ\u0080\r\n就绪\r\n"));
    }

    void theEngineReadsLoadedGbkAsText() {
        RecordingPresenter boxes;
        WriteBytes(path("x.txt"), "2\r\n\xBE\xCD\r\n");
        window_->OpenDlg.SetRunner(answers_(path("x.txt")));
        window_->BtnLoadX->click();
        window_->MemoAN->Lines().setFileBytes("1");
        window_->BtnSolve->click();
        QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("'就' is not a valid floating point value."));
    }

    void anyBytesDecodeAndEncodeBackUnchanged() {
        std::mt19937 random(7);
        for (int round = 0; round < 3000; ++round) {
            std::string bytes(random() % 24, '\0');
            // Mostly high bytes and digits, so that GB18030 pairs and four-byte
            // forms turn up as well as broken UTF-8.
            for (char& b : bytes) b = static_cast<char>(random() % 3 ? 0x80 + random() % 128 : '0' + random() % 10);
            const DecodedText decoded = DecodeFileText(bytes);
            QVERIFY(IsValidUtf8(decoded.utf8));
            QCOMPARE(EncodeFileText(decoded.utf8, decoded.encoding), bytes);
        }
        const struct {
            const char* bytes;
            bool valid;
        } utf8[] = {{"\xF0\x9F\x98\x80", true}, {"\xEF\xBF\xBF", true}, {"\xC0\xAF", false}, {"\xED\xA0\x80", false},
                    {"\xF4\x90\x80\x80", false}, {"\xE5\xB0", false},    {"12345678\xC3", false}};
        for (const auto& c : utf8) QVERIFY2(IsValidUtf8(c.bytes) == c.valid, c.bytes);
    }

    void aDroppedLocalFileLoadsOneAtATime() {
        RecordingPresenter boxes;
        WriteBytes(path("dropped.txt"), "7\r\n");
        const struct {
            QList<QUrl> urls;
            bool taken;
        } cases[] = {
            {{QUrl("https://example.com/a.txt")}, false},
            {{QUrl::fromLocalFile(path("dropped.txt")), QUrl::fromLocalFile(path("dropped.txt"))}, false},
            {{QUrl::fromLocalFile(path("gone.txt"))}, true},
            {{QUrl::fromLocalFile(path("dropped.txt"))}, true},
        };
        QWidget* target = window_->MemoX->viewport();
        for (const auto& c : cases) {
            QMimeData data;
            data.setUrls(c.urls);
            QDragEnterEvent enter({5, 5}, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(target, &enter);
            QCOMPARE(enter.isAccepted(), c.taken);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(target, &drop);
            if (c.taken) QCOMPARE(drop.dropAction(), Qt::CopyAction);  // never a move: the file stays where it was
            QCoreApplication::processEvents();
        }
        QCOMPARE(boxes.boxes.size(), std::size_t{1});
        QCOMPARE(boxes.boxes[0].text, "Cannot open file " + path("gone.txt") + ".");
        QCOMPARE(Text(window_->MemoX), std::string("7\r\n"));
    }

    void theRealDialogIsPlacedAndTakesAMissingName() {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        QPoint placed(-1, -1);
        QString title;
        WhenDialogUp([&](QFileDialog* dialog) {
            placed = dialog->pos() - DialogPlacement(window_->screen()->geometry(), dialog->frameGeometry().size());
            title = dialog->windowTitle();
            QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("文本数据文件(*.txt)"));
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path("new list"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QVERIFY(window_->OpenDlg.Execute(window_));
        QCOMPARE(placed, QPoint(0, 0));
        QVERIFY(!title.isEmpty());
        QCOMPARE(window_->OpenDlg.FileName, path("new list.txt"));
        WhenDialogUp([](QFileDialog* dialog) { dialog->close(); });
        QVERIFY(!window_->SaveDlg.Execute(window_));
    }

    void aFiftyMegabyteFile() {
        std::string file;
        file.reserve(50u << 20);
        for (unsigned i = 0; file.size() < (50u << 20); ++i) file += std::to_string(i * 7919u % 1000003u) + ".25\r\n";
        WriteBytes(path("big.txt"), file);
        window_->OpenDlg.SetRunner(answers_(path("big.txt")));
        window_->SaveDlg.SetRunner(answers_(path("big-out.txt")));
        QElapsedTimer clock;
        clock.start();
        window_->BtnLoadAn->click();
        const qint64 load = clock.restart();
        window_->BtnSaveAn->click();
        const qint64 save = clock.elapsed();
        qInfo("50 MB file: load %lld ms, save %lld ms", load, save);
        QVERIFY(ReadBytes(path("big-out.txt")) == file);
    }
};

int main(int argc, char** argv) {
    // The toolkit's file dialog keeps its own state in the user's settings;
    // keep the test's out of them.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    Application app(argc, argv);
    app.SetTitle(QString::fromUtf8(kApplicationTitle));
    if (argc == 3 && std::string_view(argv[1]) == "--save-as-nobody") return SaveAsNobody(argv[2]);
    PaneFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "pane_files_test.moc"
