// The two-dimensional code: a crisp picture of libqrencode's symbol, and a
// real reader (zbarimg) getting the address back from what the dialog shows.

#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ui/dialogs/phone_dialog.h"
#include "ui/dialogs/qr_matrix.h"
#include "ui/shared/help_commands.h"

using quill::QrMatrix;

namespace {

// The text of the one symbol zbarimg finds; sets skip when it is not installed.
QString decode(const QImage& image, QString& skip) {
    const QString zbarimg = QStandardPaths::findExecutable("zbarimg");
    if (zbarimg.isEmpty()) {
        skip = "zbarimg is not installed (Debian: apt-get install zbar-tools)";
        return {};
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("code.png");
    if (!image.save(path)) return "(cannot save)";
    QProcess reader;
    reader.start(zbarimg, {"--quiet", "--raw", "-Sdisable", "-Sqrcode.enable", path});
    reader.waitForFinished(30000);
    return QString::fromUtf8(reader.readAllStandardOutput()).chopped(1);  // the raw text and a newline
}

}  // namespace

class QrMatrixTest : public QObject {
    Q_OBJECT

private slots:
    // Whole pixels per module (the largest that fits with the quiet zone),
    // centred, black and white only, and every pixel the colour of its module.
    void pictureIsCrisp_data() {
        QTest::addColumn<int>("side");
        QTest::newRow("the dialog's 210") << 210;
        QTest::newRow("odd spare pixels") << 203;
        QTest::newRow("exact fit") << 37 * 4;
    }

    void pictureIsCrisp() {
        QFETCH(int, side);
        const auto matrix = QrMatrix::encode("https://quillometer.example.org/");
        QVERIFY(matrix);
        const int n = matrix->size();
        QCOMPARE(n, 17 + 4 * matrix->version());
        const QImage image = quill::renderQrSymbol(*matrix, side);
        QCOMPARE(image.size(), QSize(side, side));

        const int module = quill::qrModulePixels(*matrix, side);
        const int span = n + 2 * quill::kQrQuietZoneModules;
        QVERIFY(span * module <= side && span * (module + 1) > side);
        const int origin = (side - n * module) / 2;
        QVERIFY(origin >= quill::kQrQuietZoneModules * module);
        QVERIFY(side - origin - n * module >= quill::kQrQuietZoneModules * module);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const int mx = x >= origin ? (x - origin) / module : -1;
                const int my = y >= origin ? (y - origin) / module : -1;
                const bool dark = mx >= 0 && my >= 0 && mx < n && my < n && matrix->isDark(mx, my);
                if (image.pixel(x, y) != (dark ? 0xFF000000u : 0xFFFFFFFFu))
                    QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            }
    }

    void tooLongTextIsRefused() { QVERIFY(!QrMatrix::encode(QByteArray(3000, 'a'))); }

    void readerDecodes_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("query and fragment") << "https://example.com/a/b?x=1&y=%20z#frag";
        QTest::newRow("version 8") << "https://example.org/" + QString(120, 'q');
    }

    void readerDecodes() {
        QFETCH(QString, text);
        const auto matrix = QrMatrix::encode(text.toUtf8());
        QVERIFY(matrix);
        QString skip;
        const QString decoded = decode(quill::renderQrSymbol(*matrix, 210), skip);
        if (!skip.isEmpty()) QSKIP(qPrintable(skip));
        QCOMPARE(decoded, text);
    }

    // What the dialog shows is the configured web address.
    void phoneDialogShowsTheWebAddress() {
        quill::PhoneDialog phone;
        const QImage shown = phone.findChild<QLabel*>("Img2DimsCode")->pixmap().toImage();
        QCOMPARE(shown.size(), QSize(210, 210));
        QString skip;
        const QString decoded = decode(shown, skip);
        if (!skip.isEmpty()) QSKIP(qPrintable(skip));
        QCOMPARE(decoded, quill::webAddress());
    }
};

QTEST_MAIN(QrMatrixTest)
#include "qr_matrix_test.moc"
